// The frame's legend commands and colour-ramp box: they act on the active map window's legend.

#include "app/TAMOForm.h"
#include "common/Dialogs.h"
#include "map/MapExplorerForm.h"

#include <QAction>
#include <QComboBox>

void TTAMOForm::CreateLegendActions() {
    // The classification dialog's command exists but is kept hidden.
    MakeAction(aDataClassification, "aDataClassification", "&Classification", "Data Classification",
               [this] { aDataClassificationExecute(); });
    aDataClassification->setVisible(false);
    const auto onActiveMap = [this](void (TMapExplorerForm::*operation)()) {
        return [this, operation] {
            if (TMapExplorerForm* map = ActiveMap())
                (map->*operation)();
        };
    };
    MakeAction(aLegendAll, "aLegendAll", "Select All From Legend", {},
               onActiveMap(&TMapExplorerForm::SelectAllClasses));
    MakeAction(aLegendNone, "aLegendNone", "Select None From Legend", {},
               onActiveMap(&TMapExplorerForm::SelectNoClasses));
    MakeAction(aLegendSwitch, "aLegendSwitch", "Switch Legend Selection", {},
               onActiveMap(&TMapExplorerForm::InvertClassSelection));
    m_mapCommands << aDataClassification << aLegendAll << aLegendNone << aLegendSwitch;
}

void TTAMOForm::aDataClassificationExecute() {
    if (TMapExplorerForm* map = ActiveMap())
        map->ShowClassification();
}

void TTAMOForm::cmbColorRampChange(int index) {
    if (m_openingTheme || MapWindowCount() == 0 || index < 0)
        return;
    if (TMapExplorerForm* map = ActiveMap())
        map->ApplyColourRamp(ColorRamp(index));
}
