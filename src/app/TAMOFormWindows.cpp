// The frame's other windows: the help, the About and Disclaimer dialogs, the Export window, the
// toolbar and data location dialogs, and the SMU reports and query window the map tools open.

#include "app/AboutForm.h"
#include "app/DisclaimerForm.h"
#include "app/FrameCommands.h"
#include "app/FrameReports.h"
#include "app/FrameStatistics.h"
#include "app/HelpForm.h"
#include "app/TAMOForm.h"
#include "app/ToolbarForm.h"
#include "common/Dialogs.h"
#include "map/MapExplorerForm.h"
#include "settings/LocationForm.h"
#include "settings/Preferences.h"

#include <QDockWidget>
#include <QToolBar>

void TTAMOForm::ConnectWindowCommands() {
    m_commands->OnTriggered("aToolbars", [this] { aToolbarsExecute(); });
    m_commands->OnTriggered("aDataQuery", [this] { m_reports->ShowQueryWindow(); });
    m_commands->OnTriggered("aDataLocation", [this] {
        if (ShowDataLocation(Preferences(), this))
            ProgramState().ConnectionString = BuildConnectionString(Preferences().ATTRIB_MDB);
    });
    m_commands->OnTriggered("aExportData", [this] { m_statistics->aExportDataExecute(); });
    m_commands->OnTriggered("aZonalStatistics", [this] { m_statistics->aZonalStatisticsExecute(); });
    m_commands->OnTriggered("aHelpContents", [this] { HelpWindow().ShowContents(); });
    m_commands->OnTriggered("aHelpSearch", [this] { HelpWindow().ShowSearch({}); });
    m_commands->OnTriggered("aHelpDisclaimer", [this] { aHelpDisclaimerExecute(); });
    m_commands->OnTriggered("aHelpAbout", [this] { aHelpAboutExecute(); });
}

THelpForm& TTAMOForm::HelpWindow() {
    if (!m_helpForm)
        m_helpForm = new THelpForm(this);
    return *m_helpForm;
}

// On OK the check marks follow the bars.
void TTAMOForm::aToolbarsExecute() {
    TToolbarForm form(m_mainToolbar, m_viewToolbar, m_dataToolbar, m_dataPointWindow, this);
    if (form.ShowAndApply())
        SetCheckMarksFromBars();
}

void TTAMOForm::aHelpAboutExecute() {
    TAboutForm form(this);
    Dialogs::Exec(form);
}

void TTAMOForm::aHelpDisclaimerExecute() {
    TDisclaimerForm form(this);
    Dialogs::Exec(form);
}

// A click on the sea (no unit) opens nothing: the status bar says so and the marker goes.
bool TTAMOForm::IsUnitOrSaySo(int smuId) {
    static const QString noUnit = "No soil mapping unit here";
    if (smuId > 0) {
        if (m_statusText == noUnit)
            ShowStatusText({});
        return true;
    }
    ShowStatusText(noUnit);
    if (TMapExplorerForm* map = ActiveMap())
        map->MarkPoint(0, 0, TMarkAction::Erase);
    return false;
}

void TTAMOForm::ShowSmuOverview(int smuId) {
    if (IsUnitOrSaySo(smuId))
        m_reports->ShowSmuOverview(smuId);
}

bool TTAMOForm::ShowSmuTable(int smuId) {
    return IsUnitOrSaySo(smuId) && m_reports->ShowSmuTable(smuId);
}
