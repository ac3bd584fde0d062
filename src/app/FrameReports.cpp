#include "app/FrameReports.h"

#include "app/FrameStatistics.h"
#include "app/TAMOForm.h"
#include "common/TAMOError.h"
#include "map/MapExplorerForm.h"
#include "query/QueryWindow.h"
#include "reports/SoilPropsForm.h"
#include "reports/TableForm.h"
#include "settings/Preferences.h"

namespace {
void Present(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
}
} // namespace

TFrameReports::TFrameReports(TTAMOForm& frame) : m_frame(frame) {}

template <class TWindow> TWindow* TFrameReports::Shared(TWindow* window) const {
    m_frame.ShareShortcuts(*window);
    return window;
}

TFrameReports::~TFrameReports() {
    delete m_tableForm.data();
    delete m_soilPropsForm.data();
    delete m_queryWindow.data();
}

TTableForm* TFrameReports::TableForm() const {
    return m_tableForm;
}
TSoilPropsForm* TFrameReports::SoilPropsForm() const {
    return m_soilPropsForm;
}
TQueryWindow* TFrameReports::QueryWindow() const {
    return m_queryWindow;
}

bool TFrameReports::ShowSmuTable(int smuId) {
    if (!m_tableForm)
        m_tableForm = Shared(new TTableForm(*this, &m_frame));
    if (!m_tableForm->ShowSMU(smuId, TAddToList::Yes))
        return false;
    Present(*m_tableForm);
    return true;
}

void TFrameReports::ShowSmuOverview(int smuId) {
    if (!m_soilPropsForm)
        m_soilPropsForm = Shared(new TSoilPropsForm(*this, &m_frame));
    if (m_soilPropsForm->ShowOverview(smuId))
        Present(*m_soilPropsForm);
}

void TFrameReports::ShowQueryWindow() {
    if (!m_queryWindow)
        m_queryWindow = Shared(new TQueryWindow(*this, &m_frame));
    Present(*m_queryWindow);
}

TTAMO& TFrameReports::Database() {
    TTAMO* database = m_frame.Database();
    if (!database)
        throw TAMOError("The TAMO database is not loaded.");
    return *database;
}

TPreferences& TFrameReports::Preferences() {
    return ::Preferences();
}

void TFrameReports::SelectionChanged() {
    for (TMapExplorerForm* map : m_frame.MapWindows())
        map->Redraw();
    m_frame.Statistics().SelectionChanged();
}

void TFrameReports::EraseClickMarker() {
    if (TMapExplorerForm* map = m_frame.ActiveMap())
        map->MarkPoint(0, 0, TMarkAction::Erase);
}

TWorldAreas* TFrameReports::WorldAreas() {
    return &m_frame.Statistics().WorldAreas();
}

std::shared_ptr<const TRasterSource> TFrameReports::ActiveRaster() {
    TMapExplorerForm* map = m_frame.ActiveMap();
    return map ? map->SharedRaster() : nullptr;
}
