#include "app/TAMOForm.h"

#include "app/CommandIcons.h"
#include "app/DataPointText.h"
#include "app/FrameReports.h"
#include "app/HelpForm.h"
#include "app/StartupLoad.h"
#include "app/ThemeTreeLayout.h"
#include "app/ToolbarForm.h"
#include "classify/ColorRamp.h"
#include "classify/ColorRampBox.h"
#include "common/Dialogs.h"
#include "common/Guarded.h"
#include "db/TAMO.h"
#include "settings/LocationForm.h"
#include "settings/Preferences.h"
#include "settings/SettingsStore.h"
#include "settings/ToolbarLayout.h"
#include "settings/WindowPlacement.h"
#include "themes/QEVLibraryManager.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDockWidget>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPainter>
#include <QPrinter>
#include <QSpinBox>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QWindowStateChangeEvent>
#include <algorithm>
#include <string_view>

namespace {
constexpr char kNotImplemented[] = " ... to be implemeted...";
} // namespace

TTAMOForm::TTAMOForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName("TAMOForm");
    setWindowTitle("TAMO-Viewer 2.0");
    resize(877, 615);
    setStyleSheet("QMainWindow { background: white; }");

    MdiArea = new QMdiArea(this);
    MdiArea->setObjectName("MdiArea");
    MdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    MdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(MdiArea);

    m_reports = std::make_unique<TFrameReports>(*this);
    CreateActions();
    CreateOutputActions();
    CreateToolBars();
    CreateToolWindows();
    CreateMenus();
    CreateStatusBar();

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setSingleShot(true);
    Timer1->setInterval(500);
    connect(Timer1, &QTimer::timeout, this, [this] { Guarded([this] { Timer1Timer(); }, this); });
    m_startup = std::make_unique<TStartupLoad>(*this, TStartupSteps{
                                                          [this] { LoadDatabase(); },
                                                          [this] {
                                                              OpenFirstMapWindow();
                                                              UpdateCommandStates();
                                                          },
                                                          [this] { close(); },
                                                      });

    // 1. Preferences (defaults, cache folder, default toolbar layout on a first start).
    LoadPreferences(Preferences());
    // 2. The connection string.
    ProgramState().ConnectionString = BuildConnectionString(Preferences().ATTRIB_MDB);
    // 3. Position and size; a first start is maximised.
    RestoreWindowPlacement(*this);
    // 4. The colour-ramp combo: 30 items drawn as ramps.
    cmbColorRamp->clear();
    for (int i = 0; i < kColorRampCount; ++i)
        cmbColorRamp->addItem(" ");
    // 5. Headings of the data-point grid.
    StringGrid->setItem(0, 0, new QTableWidgetItem("Label"));
    StringGrid->setItem(0, 1, new QTableWidgetItem("Value"));
    // 6. Toolbar and tool-window layout.
    m_restoringLayout = true;
    LoadToolbarLayout(*this, TSettingsStore::Global());
    m_restoringLayout = false;
    HideEmptyToolbars();
    // 7. The status bar.
    statusBar()->setVisible(Preferences().StatusBar);
    // 8. Check marks.
    SetCheckMarksFromBars();
    aViewSynchronize->setChecked(Preferences().SynchronizeWindows);
    aViewPersistent->setChecked(Preferences().PersistentView);
    aNewWindow->setChecked(Preferences().NewWindow);
    // No map yet.
    UpdateCommandStates();
}

TTAMOForm::~TTAMOForm() {
    {
        // Everything saved from here on (map windows, placement, preferences, toolbars) reaches
        // the settings file in one write, together with what the closing saved.
        TSettingsBatch batch(TSettingsStore::Global());
        // Map windows go first, also those closed earlier that still wait for their deferred
        // deletion: they draw from the database object and refer to the library's themes.
        MdiArea->closeAllSubWindows();
        qDeleteAll(MdiArea->findChildren<QMdiSubWindow*>());
        m_reports.reset();
        m_database.reset();
        SaveWindowPlacement(*this);
        SavePreferences(Preferences());
        if (!m_layoutSaved)
            SaveLayout();
        m_library.reset();
    }
    m_closingWrites.reset();
}

QAction* TTAMOForm::MakeAction(QAction*& member, const char* name, const QString& caption,
                               const QString& hint, std::function<void()> handler) {
    member = new QAction(caption, this);
    member->setObjectName(name);
    member->setIcon(CommandIcon(name));
    if (!hint.isEmpty()) {
        member->setToolTip(hint);
        member->setStatusTip(hint);
    }
    if (handler)
        connect(member, &QAction::triggered, this,
                [this, handler = std::move(handler)] { Guarded(handler, this); });
    return member;
}

void TTAMOForm::CreateActions() {
    // File
    MakeAction(aFileNewWindow, "aFileNewWindow", "&New Window", "Open New Window", [this] {
        OpenFirstMapWindow();
        UpdateCommandStates();
    });
    MakeAction(aFileCloseAll, "aFileCloseAll", "&Close All", {}, [this] { aFileCloseAllExecute(); });
    MakeAction(aFileExit, "aFileExit", "&Exit", {}, [this] { close(); });

    // View: map tools and commands go to the active map window.
    const auto tool = [this](TMapTool number) { return [this, number] { SetToolOnActiveMap(number); }; };
    MakeAction(aNoAction, "aNoAction", "&No action", {}, tool(mtNoAction));
    // Its toolbar button reads "None" (the menu shows no tool tips).
    aNoAction->setIconText("&None");
    aNoAction->setToolTip("None");
    aNoAction->setStatusTip("None");
    MakeAction(aViewRedraw, "aViewRedraw", "&Redraw View", "Redraw View", tool(mtRedraw));
    MakeAction(aViewReset, "aViewReset", "&View All", "View All", tool(mtViewAll));
    MakeAction(aViewZoomRectangle, "aViewZoomRectangle", "&Zoom Rectangle", "Zoom Rectangle",
               tool(mtZoomRectangle));
    MakeAction(aViewZoomIn, "aViewZoomIn", "Zoom &In", "Zoom In", tool(mtZoomIn));
    MakeAction(aViewZoomOut, "aViewZoomOut", "Zoom &Out", "Zoom Out", tool(mtZoomOut));
    MakeAction(aViewPan, "aViewPan", "&Pan", "Pan", tool(mtPan));

    MakeAction(aViewPersistent, "aViewPersistent", "P&ersistent View Operation", {}, [this] {
        Preferences().PersistentView = !Preferences().PersistentView;
        aViewPersistent->setChecked(Preferences().PersistentView);
    });
    MakeAction(aViewSynchronize, "aViewSynchronize", "&Synchronize Views", {}, [this] {
        Preferences().SynchronizeWindows = !Preferences().SynchronizeWindows;
        aViewSynchronize->setChecked(Preferences().SynchronizeWindows);
    });
    MakeAction(aNewWindow, "aNewWindow", "&Open New Window", {}, [this] {
        Preferences().NewWindow = !Preferences().NewWindow;
        aNewWindow->setChecked(Preferences().NewWindow);
    });
    for (QAction* action : {aViewPersistent, aViewSynchronize, aNewWindow})
        action->setCheckable(true);
    // In the menu its on state is a check mark (an icon would take the mark's place); on the
    // toolbar a pressed button.
    aViewSynchronize->setIconVisibleInMenu(false);

    // Data
    MakeAction(aDataPoint, "aDataPoint", "Data &Point", "Data Point",
               [this] { aToggleBarExecute(TBToolDataPoint, aDataPoint); });
    MakeAction(aDataSelect, "aDataSelect", "&Data Selector", "Data Selector",
               [this] { aToggleBarExecute(TBToolQEVData, aDataSelect); });
    aDataSelect->setVisible(false);
    aDataSelect->setIconText("&Show Data Selector"); // its (hidden) button on the Main toolbar
    MakeAction(aSelectSMU, "aSelectSMU", "&SMU Overview", "SMU Overview", tool(mtSmuOverview));
    aSelectSMU->setVisible(false);
    MakeAction(aSelectSMUtable, "aSelectSMUtable", "SMU table", "SMU Table", tool(mtSmuTable));
    MakeAction(aDataQuery, "aDataQuery", "Data &Query", {}, [this] { m_reports->ShowQueryWindow(); });
    MakeAction(aDataLocation, "aDataLocation", "&Data Location", "Change Location of Data Files",
               [this] { ShowDataLocation(this); });
    MakeAction(aZonalStatistics, "aZonalStatistics", "&Extract Statistics", "Extract Statistics",
               [this] { ShowNotImplemented(); });
    MakeAction(aLibraryManager, "aLibraryManager", "&Library Manager", "Library Manager", [this] {
        ResetMapTools();
        ShowNotImplemented();
    });
    MakeAction(aExportData, "aExportData", "&Export Data", "Export Data", [this] { aExportDataExecute(); });
    aZonalStatistics->setVisible(false);
    aLibraryManager->setVisible(false);
    aExportData->setVisible(false);

    // Window
    MakeAction(aWindowCascade, "aWindowCascade", "&Cascade", "Cascade Windows",
               [this] { CascadeSubWindows(); });
    MakeAction(aWindowTileVert, "aWindowTileVert", "Tile &Vertical", "Tile Vertical",
               [this] { TileSubWindows(Qt::Horizontal); });
    MakeAction(aWindowTileHoriz, "aWindowTileHoriz", "&Tile Horizontal", "Tile Horizontal",
               [this] { TileSubWindows(Qt::Vertical); });
    MakeAction(aWindowArrangeAll, "aWindowArrangeAll", "&Arrange All", "Arrange All",
               [this] { ArrangeIcons(); });

    // Toolbars and tool windows
    MakeAction(aToolMain, "aToolMain", "&Main", {}, [this] { aToggleBarExecute(TBMainToolbar, aToolMain); });
    MakeAction(aToolView, "aToolView", "&View", {}, [this] { aToggleBarExecute(TBViewToolbar, aToolView); });
    MakeAction(aToolData, "aToolData", "&Data", {}, [this] { aToggleBarExecute(TBDataToolbar, aToolData); });
    for (QAction* action : {aToolMain, aToolView, aToolData, aDataPoint, aDataSelect})
        action->setCheckable(true);
    MakeAction(aToolbars, "aToolbars", "&Toolbars", {}, [this] {
        TToolbarForm form(TBMainToolbar, TBViewToolbar, TBDataToolbar, TBToolDataPoint, this);
        if (form.ShowAndApply())
            SetCheckMarksFromBars();
    });

    // Help
    MakeAction(aHelpContents, "aHelpContents", "&Contents", "Display the help contents screen",
               [this] { HelpWindow().ShowContents(); });
    MakeAction(aHelpSearch, "aHelpSearch", "Soil Database", "Search help file for a topic",
               [this] { HelpWindow().ShowSearch({}); });
    aHelpSearch->setVisible(false);
    MakeAction(aHelpDisclaimer, "aHelpDisclaimer", "&Disclaimer", {}, [this] { aHelpDisclaimerExecute(); });
    MakeAction(aHelpAbout, "aHelpAbout", "&About...", "Show program information",
               [this] { aHelpAboutExecute(); });

    // Commands that need a map window; UpdateCommandStates keeps them in step.
    m_mapCommands = {aNoAction,    aViewRedraw, aViewReset, aViewZoomRectangle, aViewZoomIn,
                     aViewZoomOut, aViewPan,    aSelectSMU, aSelectSMUtable,    aDataQuery};
    CreateLegendActions();
}

// The menus and toolbars by the names of their items, "-" being a separator. Hidden commands keep
// their places (and the separators beside them stay); a command the frame does not hold is left out.
namespace {
using TItems = std::initializer_list<const char*>;
// clang-format off
constexpr TItems kMainToolbar = {"aFileNewWindow", "-", "aFilePrint", "-", "aDataSelect", "aDataPoint", "-",
                                 "aCopyClipboard", "-",
                                 "aWindowTileHoriz", "aWindowTileVert", "aWindowCascade", "-"};
constexpr TItems kViewToolbar = {"aNoAction", "aViewRedraw", "aViewReset", "aViewZoomRectangle", "aViewZoomIn",
                                 "aViewZoomOut", "aViewPan", "-",
                                 "aViewSynchronize"};
constexpr TItems kDataToolbar = {"aSelectSMU", "aSelectSMUtable", "-",
                                 "aDataQuery", "-",
                                 "aDataAddShape", "aZonalStatistics", "aExportData", "-",
                                 "Label1", "cmbClassific", "spnClasses", "cmbColorRamp", "aDataClassification", "-",
                                 "aLegendAll", "aLegendNone", "aLegendSwitch"};
constexpr TItems kFileMenu = {"aFileNewWindow", "aFileCloseAll", "-",
                              "aFilePrint", "aFilePrintSetup", "aFileExit"};
constexpr TItems kViewMenu = {"aViewRedraw", "aViewReset", "aViewZoomRectangle", "aViewZoomIn", "aViewZoomOut",
                              "aViewPan", "-",
                              "aCopyClipboard", "-",
                              "aViewPersistent", "aViewSynchronize", "aNewWindow", "-",
                              "aToolbars"};
constexpr TItems kDataMenu = {"aSelectSMU", "aSelectSMUtable", "-",
                              "aDataQuery", "aDataSelect", "aDataPoint", "-",
                              "aDataAddShape", "aZonalStatistics", "aDataClassification", "-",
                              "aDataLocation", "aExportData", "aLibraryManager"};
constexpr TItems kWindowMenu = {"aWindowTileVert", "aWindowTileHoriz", "aWindowCascade", "aWindowArrangeAll"};
constexpr TItems kHelpMenu = {"aHelpContents", "aHelpSearch", "-",
                              "aHelpDisclaimer", "aHelpAbout"};
// clang-format on
} // namespace

void TTAMOForm::AddItems(QWidget& bar, std::initializer_list<const char*> items) {
    auto* toolbar = qobject_cast<QToolBar*>(&bar);
    for (const char* name : items) {
        if (std::string_view(name) == "-") {
            auto* separator = new QAction(&bar);
            separator->setSeparator(true);
            bar.addAction(separator);
        } else if (QAction* action = findChild<QAction*>(name, Qt::FindDirectChildrenOnly)) {
            bar.addAction(action);
        } else if (QWidget* control = findChild<QWidget*>(name); control && toolbar) {
            // The classification controls: their values follow the active map, but they are not shown.
            toolbar->addWidget(control)->setVisible(false);
        }
    }
}

void TTAMOForm::CreateToolBars() {
    const auto makeBar = [this](QToolBar*& bar, const char* name, const QString& caption) {
        bar = new QToolBar(caption, this);
        bar->setObjectName(name);
        bar->setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
        bar->setIconSize(QSize(16, 16));
        bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
        addToolBar(Qt::TopToolBarArea, bar);
    };

    Label1 = new QLabel("Classification: ", this);
    Label1->setObjectName("Label1");
    cmbClassific = new QComboBox(this);
    cmbClassific->setObjectName("cmbClassific");
    cmbClassific->setFixedWidth(78);
    cmbClassific->addItems({"Equal interval", "Quantiles", "Standardized", "Pre-defined", "Manual"});
    spnClasses = new QSpinBox(this);
    spnClasses->setObjectName("spnClasses");
    spnClasses->setFixedWidth(40);
    spnClasses->setRange(2, 24);
    spnClasses->setValue(12);
    spnClasses->setEnabled(false);
    cmbColorRamp = new TColorRampCombo(this);
    cmbColorRamp->setObjectName("cmbColorRamp");
    cmbColorRamp->setFixedWidth(94);
    connect(cmbColorRamp, &QComboBox::currentIndexChanged, this,
            [this](int index) { Guarded([this, index] { cmbColorRampChange(index); }, this); });

    makeBar(TBMainToolbar, "TBMainToolbar", "Main");
    AddItems(*TBMainToolbar, kMainToolbar);
    makeBar(TBViewToolbar, "TBViewToolbar", "View");
    AddItems(*TBViewToolbar, kViewToolbar);
    makeBar(TBDataToolbar, "TBDataToolbar", "Data");
    AddItems(*TBDataToolbar, kDataToolbar);
}

void TTAMOForm::CreateToolWindows() {
    const auto makeDock = [this](QDockWidget*& dock, const char* name, const QString& caption) {
        dock = new QDockWidget(caption, this);
        dock->setObjectName(name);
        dock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
        addDockWidget(Qt::LeftDockWidgetArea, dock);
        dock->hide();
    };

    makeDock(TBToolDataPoint, "TBToolDataPoint", "Data Point");
    StringGrid = new QTableWidget(5, 2, TBToolDataPoint);
    StringGrid->setObjectName("StringGrid");
    StringGrid->horizontalHeader()->hide();
    StringGrid->verticalHeader()->hide();
    StringGrid->verticalHeader()->setDefaultSectionSize(18);
    StringGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A readout: nothing in it is selected, also not the heading cell it starts on.
    StringGrid->setSelectionMode(QAbstractItemView::NoSelection);
    StringGrid->setFocusPolicy(Qt::NoFocus);
    StringGrid->setMinimumSize(120, 60);
    TBToolDataPoint->setWidget(StringGrid);
    SizeDataPointGrid();
    TBToolDataPoint->resize(DataPointDesignSize());
    TBToolDataPoint->installEventFilter(this);
    // Undocked, it takes its full size (DataPointDesignSize) rather than the height of the docking
    // area.
    // The dock sets its floating geometry after the signal: the size follows just after. A
    // floating place read from the layout keeps its stored size.
    connect(TBToolDataPoint, &QDockWidget::topLevelChanged, this, [this](bool floating) {
        if (floating && !m_restoringLayout)
            QTimer::singleShot(0, this, [this] {
                if (TBToolDataPoint->isFloating())
                    TBToolDataPoint->resize(DataPointDesignSize());
            });
    });
    // Closing it with its close button sets the check mark from its visibility.
    connect(TBToolDataPoint, &QDockWidget::visibilityChanged, this,
            [this] { aDataPoint->setChecked(TBToolDataPoint->isVisible()); });

    makeDock(TBToolQEVData, "TBToolQEVData", "VIRA Data");
    // The tree is placed by LayoutThemeTree, not by a layout.
    auto* treeHolder = new QWidget(TBToolQEVData);
    treeHolder->setObjectName("TreeHolder");
    TreeView = new QTreeView(treeHolder);
    TreeView->setObjectName("TreeView");
    TreeView->setHeaderHidden(true);
    TreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView->setSelectionBehavior(QAbstractItemView::SelectRows);
    TreeView->setIndentation(19);
    TreeView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(TreeView, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        // A right click selects the node under it.
        const QModelIndex index = TreeView->indexAt(position);
        if (index.isValid())
            TreeView->setCurrentIndex(index);
    });
    connect(TreeView, &QTreeView::doubleClicked, this,
            [this] { Guarded([this] { OpenSelectedTheme(); }, this); });
    TBToolQEVData->setWidget(treeHolder);
    TBToolQEVData->installEventFilter(this);
    treeHolder->installEventFilter(this);
}

void TTAMOForm::CreateMenus() {
    const auto makeMenu = [this](const char* name, const QString& title, TItems items) {
        QMenu* menu = menuBar()->addMenu(title);
        menu->setObjectName(name);
        AddItems(*menu, items);
        return menu;
    };
    makeMenu("mnuFile", "&File", kFileMenu);
    makeMenu("mnuView", "&View", kViewMenu);
    makeMenu("mnuData", "&Data", kDataMenu);
    mnuWindow = makeMenu("mnuWindow", "&Window", {});
    connect(mnuWindow, &QMenu::aboutToShow, this, [this] { FillWindowMenu(); });
    FillWindowMenu();
    makeMenu("mnuHelp", "&Help", kHelpMenu);
}

// The arranging commands, then the child windows.
void TTAMOForm::FillWindowMenu() {
    mnuWindow->clear();
    AddItems(*mnuWindow, kWindowMenu);
    const QList<QMdiSubWindow*> windows = MdiArea->subWindowList();
    if (!windows.isEmpty())
        mnuWindow->addSeparator();
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* window = windows[i];
        QAction* entry = mnuWindow->addAction(QString("&%1 %2").arg(i + 1).arg(window->windowTitle()));
        entry->setCheckable(true);
        entry->setChecked(window == MdiArea->activeSubWindow());
        connect(entry, &QAction::triggered, this, [this, window] { MdiArea->setActiveSubWindow(window); });
    }
}

void TTAMOForm::CreateStatusBar() {
    const int widths[5] = {350, 175, 175, 150, 50};
    for (int i = 0; i < 5; ++i) {
        StatusPanels[i] = new QLabel(this);
        StatusPanels[i]->setObjectName(QString("StatusPanel%1").arg(i));
        // Each panel's width fits its usual text; a wider platform font grows the panel rather
        // than cutting the text off.
        StatusPanels[i]->setMinimumWidth(widths[i]);
        StatusPanels[i]->setAlignment(i == 3 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
        statusBar()->addWidget(StatusPanels[i]);
    }
}

void TTAMOForm::SetCheckMarksFromBars() {
    aToolMain->setChecked(TBMainToolbar->isVisibleTo(this));
    aToolView->setChecked(TBViewToolbar->isVisibleTo(this));
    aToolData->setChecked(TBDataToolbar->isVisibleTo(this));
    aDataSelect->setChecked(TBToolQEVData->isVisibleTo(this));
    aDataPoint->setChecked(TBToolDataPoint->isVisibleTo(this));
}

void TTAMOForm::aToggleBarExecute(QWidget* bar, QAction* action) {
    bar->setVisible(!bar->isVisibleTo(this));
    action->setChecked(bar->isVisibleTo(this));
}

// The menu of every docking area, the toolbars and the menu bar.
QMenu* TTAMOForm::createPopupMenu() {
    SetCheckMarksFromBars();
    auto* menu = new QMenu(this);
    menu->setObjectName("ToolbarPopup");
    menu->addAction(aToolMain);
    menu->addAction(aToolView);
    menu->addAction(aToolData);
    menu->addAction(aDataPoint);
    menu->addSeparator();
    menu->addAction(aToolbars);
    return menu;
}

void TTAMOForm::ShowNotImplemented() {
    Dialogs::ShowMessage(this, kNotImplemented);
}

// ---- Start-up --------------------------------------------------------------------------------

void TTAMOForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // Shown again after a close: what was held back is written now.
    m_closingWrites.reset();
    // Half a second after the first showing, the start-up load runs; never again.
    if (!m_startupTimerStarted) {
        m_startupTimerStarted = true;
        Timer1->start();
    }
}

void TTAMOForm::Timer1Timer() {
    Timer1->stop();
    StartupLoad();
}

void TTAMOForm::StartupLoad() {
    m_startup->Run();
}

bool TTAMOForm::StartupCancelled() const {
    return m_startup->Outcome() == TStartupLoad::TOutcome::Cancelled;
}

// ---- Activation, window state, shutdown --------------------------------------------------------

bool TTAMOForm::event(QEvent* event) {
    // Hints go to the first panel; the status bar's own message would cover all five.
    if (event->type() == QEvent::StatusTip) {
        ShowHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    if (event->type() == QEvent::WindowActivate)
        Guarded(
            [this] {
                LayoutThemeTree();
                UpdateCommandStates();
            },
            this);
    return QMainWindow::event(event);
}

void TTAMOForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    const bool maximisedOrRestored = (windowState() & Qt::WindowMaximized) ||
                                     ((change->oldState() & (Qt::WindowMaximized | Qt::WindowMinimized)) &&
                                      windowState() == Qt::WindowNoState);
    if (maximisedOrRestored && !isMinimized() && MapWindowCount() > 0)
        Guarded([this] { RedrawActiveMap(); }, this);
}

void TTAMOForm::closeEvent(QCloseEvent* event) {
    // The map windows save their placement as they close; the frame saves the rest when it is
    // destroyed, which follows its closing: one write of the settings file for both.
    if (!m_closingWrites)
        m_closingWrites = std::make_unique<TSettingsBatch>(TSettingsStore::Global());
    MdiArea->closeAllSubWindows();
    // Saved while the tool windows are still shown: a floating one is hidden with the frame.
    SaveLayout();
    // The help goes with the frame (and keeps its placement for the next run).
    if (m_helpForm && m_helpForm->isVisible())
        m_helpForm->close();
    QMainWindow::closeEvent(event);
    if (!event->isAccepted())
        m_closingWrites.reset();
}

void TTAMOForm::SaveLayout() {
    SaveToolbarLayout(*this, TSettingsStore::Global());
    // A toolbar hidden only for being empty keeps the visibility the user gave it.
    TRegistry registry(TSettingsStore::Global());
    for (QToolBar* bar : m_emptyToolbars)
        if (!bar->isVisibleTo(this) &&
            registry.OpenKey(QString(kToolbarsKey) + "\\" + bar->objectName(), TKeyAccess::OpenExisting))
            registry.WriteString("Visible", "1");
    m_layoutSaved = true;
}

void TTAMOForm::HideEmptyToolbars() {
    for (QToolBar* bar : {TBMainToolbar, TBViewToolbar, TBDataToolbar}) {
        const QList<QAction*> actions = bar->actions();
        const bool empty = std::none_of(actions.begin(), actions.end(), [](QAction* action) {
            return action->isVisible() && !action->isSeparator();
        });
        if (empty && bar->isVisibleTo(this)) {
            bar->hide();
            m_emptyToolbars << bar;
        }
    }
}

// Each window takes two thirds of the area (a useful map beside the legend), one caption
// height further down and right than the one before.
void TTAMOForm::CascadeSubWindows() {
    const QList<QMdiSubWindow*> windows = ArrangedSubWindows();
    if (windows.isEmpty())
        return;
    const QRect area = MdiArea->viewport()->rect();
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
    MdiArea->setActiveSubWindow(windows.last());
}

void TTAMOForm::ActivateFromAnotherStart() {
    // Back to the state it had before it was minimised (maximised stays maximised).
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

// ---- Readout -----------------------------------------------------------------------------------

void TTAMOForm::ShowStatusText(const QString& text) {
    m_statusText = text;
    ShowFirstPanel();
    // Shown before long work that processes no events: paint it now.
    StatusPanels[0]->repaint();
}

void TTAMOForm::ShowHint(const QString& hint) {
    m_hintText = hint;
    ShowFirstPanel();
}

void TTAMOForm::ShowFirstPanel() {
    StatusPanels[0]->setText(m_hintText.isEmpty() ? m_statusText : m_hintText);
}

void TTAMOForm::SetClassificationControls(int methodIndex, int classCount) {
    cmbClassific->setCurrentIndex(methodIndex);
    spnClasses->setValue(classCount);
}

void TTAMOForm::SetColorRampIndex(int index) {
    const QSignalBlocker blocker(cmbColorRamp);
    cmbColorRamp->setCurrentIndex(index);
}

bool TTAMOForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TBToolDataPoint && event->type() == QEvent::Resize)
        SizeDataPointGrid();
    if ((watched == TBToolQEVData || watched == TBToolQEVData->widget()) && event->type() == QEvent::Resize)
        LayoutThemeTree();
    return QMainWindow::eventFilter(watched, event);
}

// Floating or docked, the client area lies below the tool window's title bar, so the tree needs no
// further allowance for a floating caption.
void TTAMOForm::LayoutThemeTree() {
    TreeView->setGeometry(ThemeTreeGeometry(TBToolQEVData->widget()->size()));
}
