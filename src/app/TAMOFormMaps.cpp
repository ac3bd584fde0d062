// The frame's side of the map windows: creating them, opening themes in them (also from the
// theme tree), routing the view commands to the active one, arranging and synchronising them.

#include "app/FrameCommands.h"
#include "app/GoToForm.h"
#include "app/TAMOForm.h"
#include "app/ThemeTreeImages.h"
#include "app/ThemeTreeLayout.h"
#include "common/Dialogs.h"
#include "common/Guarded.h"
#include "common/TAMOError.h"
#include "db/DataAccess.h"
#include "db/PrepareDatabase.h"
#include "db/TAMO.h"
#include "map/MapExplorerForm.h"
#include "settings/Preferences.h"
#include "themes/QEVLibraryManager.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QStandardItemModel>
#include <QStyle>
#include <QTableWidget>
#include <QTreeView>
#include <algorithm>

void TTAMOForm::ConnectMapCommands() {
    // One map tool is active, in every map window; its button and menu item show it.
    m_toolGroup = new QActionGroup(this);
    m_toolGroup->setExclusive(true);
    const std::pair<const char*, TMapTool> tools[] = {
        {"aNoAction", mtNoAction},
        {"aViewZoomRectangle", mtZoomRectangle},
        {"aViewZoomIn", mtZoomIn},
        {"aViewZoomOut", mtZoomOut},
        {"aViewPan", mtPan},
        {"aSelectSMU", mtSmuOverview},
        {"aSelectSMUtable", mtSmuTable},
    };
    for (const auto& [name, tool] : tools) {
        m_toolGroup->addAction(Action(name))->setData(int(tool));
        m_commands->OnTriggered(name, [this, tool] { SelectTool(tool); });
    }
    Action("aNoAction")->setChecked(true);
    // Commands of the active map window.
    m_commands->OnTriggered("aViewRedraw", [this] { RunOnActiveMap(mtRedraw); });
    m_commands->OnTriggered("aViewReset", [this] { RunOnActiveMap(mtViewAll); });
    m_commands->OnTriggered("aViewGoTo", [this] { aViewGoToExecute(); });
    m_commands->OnTriggered("aDataFindUnit", [this] { aDataFindUnitExecute(); });
    m_commands->OnTriggered("aWindowCascade", [this] { CascadeSubWindows(); });
    m_commands->OnTriggered("aWindowTileVert", [this] { TileSubWindows(Qt::Horizontal); });
    m_commands->OnTriggered("aWindowTileHoriz", [this] { TileSubWindows(Qt::Vertical); });
    m_commands->OnTriggered("aWindowArrangeAll", [this] { ArrangeIcons(); });
    // + and - zoom the active map in and out around its centre, whatever tool is active (on the
    // keypad too). Text boxes of the frame keep the keys for their text.
    for (const auto& [key, in] : {std::pair{Qt::Key_Plus, true}, {Qt::Key_Minus, false}}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        connect(shortcut, &QShortcut::activated, this, [this, in] {
            Guarded(
                [this, in] {
                    if (TMapExplorerForm* map = ActiveMap())
                        map->ZoomAtCentre(in);
                },
                this);
        });
    }
}

void TTAMOForm::LoadDatabase() {
    const QString cacheFolder = CacheFolder(Preferences());
    PrepareAttributeDatabase(this, ProgramState().ConnectionString, cacheFolder);
    m_library = std::make_unique<TQEVLibraryManager>(ProgramState().ConnectionString, cacheFolder);
    if (!m_themeModel)
        m_themeModel = new QStandardItemModel(this);
    m_library->FillTree(*m_themeModel);
    DecorateThemeTree(*m_themeModel);
    m_themeTree->setModel(m_themeModel);
    if (m_themeModel->rowCount() > 0)
        m_themeTree->collapse(m_themeModel->index(0, 0));
    m_database = std::make_unique<TTAMO>(ProgramState().ConnectionString, cacheFolder);
    m_database->BuildWrbIndex();
}

QList<TMapExplorerForm*> TTAMOForm::MapWindows() const {
    QList<TMapExplorerForm*> maps;
    for (QMdiSubWindow* window : m_mdiArea->subWindowList())
        if (auto* map = qobject_cast<TMapExplorerForm*>(window->widget()))
            maps << map;
    return maps;
}

int TTAMOForm::MapWindowCount() const {
    return int(m_mdiArea->subWindowList().size());
}

void TTAMOForm::RasterInUse(const QString& file) {
    Preferences().RASTER = file;
    ProgramState().LastRasterPath = file;
}

TMapSettings TTAMOForm::MapSettings() const {
    const TPreferences& prefs = Preferences();
    return {CacheFolder(prefs), prefs.RASTER, prefs.DATA_WORLD_MAP, prefs.PersistentView,
            prefs.SynchronizeWindows};
}

TMapExplorerForm* TTAMOForm::ActiveMap() const {
    QMdiSubWindow* active = m_mdiArea->activeSubWindow();
    if (!active && !m_mdiArea->subWindowList().isEmpty())
        active = m_mdiArea->currentSubWindow();
    return active ? qobject_cast<TMapExplorerForm*>(active->widget()) : nullptr;
}

TMapExplorerForm* TTAMOForm::CreateMapWindow() {
    auto* map = new TMapExplorerForm(*this);
    map->SetTool(m_tool);
    QMdiSubWindow* sub = m_mdiArea->addSubWindow(map);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(windowIcon());
    // However a window goes (its close box, Close All, a drawing that had to end first), the
    // commands follow once it is gone, and the readout forgets it.
    connect(
        sub, &QObject::destroyed, this,
        [this] {
            UpdateCommandStates();
            if (MapWindowCount() == 0)
                ClearDataPoint();
        },
        Qt::QueuedConnection);
    return map;
}

void TTAMOForm::ActivateMapWindow(TMapExplorerForm& map) {
    m_mdiArea->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(map.parentWidget()));
    // The keyboard focus goes with it: when the frame becomes active again (a dialog closes), the
    // window holding the focus is made the active one.
    map.Image32View->setFocus(Qt::OtherFocusReason);
}

void TTAMOForm::OpenFirstMapWindow() {
    if (!m_library)
        return;
    const TQEV_Layer* theme = m_library->FirstTheme();
    // A catalogue without themes leaves nothing to show: say so rather than show nothing.
    if (!theme)
        throw TAMOError(QString("The attribute database \"%1\" holds no map themes, so there is no map "
                                "to show.")
                            .arg(QDir::toNativeSeparators(DatabasePathOf(ProgramState().ConnectionString))));
    OpenThemeInNewWindow(*theme);
}

void TTAMOForm::OpenThemeInNewWindow(const TQEV_Layer& theme) {
    // A window whose theme cannot be opened (its raster is missing) is not left empty.
    TMapExplorerForm* map = CreateMapWindow();
    QMdiSubWindow* sub = qobject_cast<QMdiSubWindow*>(map->parentWidget());
    sub->showMaximized();
    ActivateMapWindow(*map);
    OpenOrClose(*sub, [&] { return map->OpenTheme(&theme); });
}

bool TTAMOForm::OpenOrClose(QMdiSubWindow& window, const std::function<bool()>& open) {
    bool opened = false;
    try {
        opened = open();
    } catch (...) {
        window.close();
        throw;
    }
    if (!opened)
        window.close();
    return opened;
}

void TTAMOForm::OpenSelectedTheme() {
    if (!m_library || ActivateSelectedPropertyMap())
        return;
    const TQEV_Layer* theme = nullptr;
    if (!m_library->SelectedTheme(m_themeTree->currentIndex(), theme))
        return;
    const QScopedValueRollback busy(m_openingTheme, true);
    if (MapWindowCount() == 0 || Preferences().NewWindow) {
        OpenThemeInNewWindow(*theme);
    } else if (TMapExplorerForm* map = ActiveMap()) {
        map->RecreateManager();
        map->OpenTheme(theme);
    }
    UpdateCommandStates();
    if (m_dataPointGrid->item(1, 0) && !m_dataPointGrid->item(1, 0)->text().isEmpty())
        m_dataPointGrid->setRowCount(m_dataPointGrid->rowCount() + 1);
    if (TMapExplorerForm* map = ActiveMap())
        m_dataPointGrid->setItem(m_dataPointGrid->rowCount() - 1, 0,
                                 new QTableWidgetItem(map->windowTitle()));
}

void TTAMOForm::aFileCloseAllExecute() {
    const QList<QMdiSubWindow*> windows = m_mdiArea->subWindowList();
    // A window that is drawing closes when its drawing has stopped: the command states follow
    // once it is gone (CreateMapWindow).
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        (*it)->close();
    UpdateCommandStates();
}

void TTAMOForm::SelectTool(TMapTool tool) {
    m_tool = tool;
    for (QAction* action : m_toolGroup->actions())
        if (action->data().toInt() == int(tool))
            action->setChecked(true);
    for (TMapExplorerForm* map : MapWindows())
        map->SetTool(tool);
}

void TTAMOForm::RunOnActiveMap(TMapTool command) {
    if (TMapExplorerForm* map = ActiveMap())
        map->SetTool(command);
    // The command left the map without a tool unless tools persist: so are the others.
    if (!Preferences().PersistentView)
        SelectTool(mtNoAction);
}

void TTAMOForm::aViewGoToExecute() {
    TMapExplorerForm* map = ActiveMap();
    if (!map)
        return;
    TGoToForm dialog(this);
    if (Dialogs::Exec(dialog) != QDialog::Accepted)
        return;
    constexpr double kGoToSpanDegrees = 2;
    map->GoTo(dialog.Place().Longitude, dialog.Place().Latitude, kGoToSpanDegrees);
}

void TTAMOForm::ResetMapTools() {
    for (TMapExplorerForm* map : MapWindows())
        map->ResetTool();
    if (!Preferences().PersistentView)
        SelectTool(mtNoAction);
}

void TTAMOForm::RedrawActiveMap() {
    if (TMapExplorerForm* map = ActiveMap())
        map->Redraw();
}

void TTAMOForm::SynchronizeViews(TMapExplorerForm& source) {
    const TViewRect view = source.GetView();
    const QList<TMapExplorerForm*> maps = MapWindows();
    for (auto it = maps.rbegin(); it != maps.rend(); ++it)
        if (*it != &source)
            (*it)->SetViewAndDraw(view.Col0, view.Col1, view.Row0, view.Row1);
}

QList<QMdiSubWindow*> TTAMOForm::ArrangedSubWindows() const {
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : m_mdiArea->subWindowList())
        if (!window->isMinimized() && window->isVisible())
            windows << window;
    return windows;
}

// Vertical tiling puts the windows side by side, horizontal tiling one above the other.
void TTAMOForm::TileSubWindows(Qt::Orientation orientation) {
    const QList<QMdiSubWindow*> windows = ArrangedSubWindows();
    if (windows.isEmpty())
        return;
    const QRect area = m_mdiArea->viewport()->rect();
    const int count = int(windows.size());
    for (int i = 0; i < count; ++i) {
        windows[i]->showNormal();
        if (orientation == Qt::Horizontal) {
            const int left = area.width() * i / count;
            windows[i]->setGeometry(left, 0, area.width() * (i + 1) / count - left, area.height());
        } else {
            const int top = area.height() * i / count;
            windows[i]->setGeometry(0, top, area.width(), area.height() * (i + 1) / count - top);
        }
    }
}

// Each window takes two thirds of the area (a useful map beside the legend), one caption
// height further down and right than the one before.
void TTAMOForm::CascadeSubWindows() {
    const QList<QMdiSubWindow*> windows = ArrangedSubWindows();
    if (windows.isEmpty())
        return;
    const QRect area = m_mdiArea->viewport()->rect();
    const int step = std::max(20, style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, windows[0]));
    const int count = int(windows.size());
    const QSize size(std::max(area.width() * 2 / 3, std::min(area.width(), 480)),
                     std::max(area.height() * 2 / 3, std::min(area.height(), 360)));
    for (int i = 0; i < count; ++i) {
        windows[i]->showNormal();
        // Windows beyond the area's room start again at the top left.
        const int room = std::max(
            1, std::min((area.width() - size.width()) / step, (area.height() - size.height()) / step) + 1);
        const int offset = (i % room) * step;
        windows[i]->setGeometry(offset, offset, size.width(), size.height());
        windows[i]->raise();
    }
    m_mdiArea->setActiveSubWindow(windows.last());
}

void TTAMOForm::ArrangeIcons() {
    int left = 0;
    for (QMdiSubWindow* window : m_mdiArea->subWindowList()) {
        if (!window->isMinimized())
            continue;
        window->move(left, m_mdiArea->viewport()->height() - window->height());
        left += window->width();
    }
}

// Floating or docked, the client area lies below the tool window's title bar, so the tree needs no
// further allowance for a floating caption.
void TTAMOForm::LayoutThemeTree() {
    m_themeTree->setGeometry(ThemeTreeGeometry(m_themeWindow->widget()->size()));
}
