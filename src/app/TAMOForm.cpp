#include "app/TAMOForm.h"

#include "app/FrameCommands.h"
#include "app/FrameReports.h"
#include "app/FrameStatistics.h"
#include "app/HelpForm.h"
#include "app/StartupLoad.h"
#include "classify/ColorRamp.h"
#include "classify/ColorRampBox.h"
#include "classify/PropertyMapForm.h"
#include "common/Dialogs.h"
#include "common/Guarded.h"
#include "common/TAMOError.h"
#include "db/PropertyCatalogue.h"
#include "db/TAMO.h"
#include "settings/Preferences.h"
#include "settings/SettingsStore.h"
#include "settings/ToolbarLayout.h"
#include "settings/WindowPlacement.h"
#include "themes/QEVLibraryManager.h"
#include "themes/ThemeRecords.h"

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
#include <QPrinter>
#include <QSpinBox>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QWindowStateChangeEvent>
#include <algorithm>

namespace {
constexpr char kNotImplemented[] = " ... to be implemeted...";
} // namespace

TTAMOForm::TTAMOForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName("TAMOForm");
    setWindowTitle("TAMO-Viewer 2.0");
    resize(877, 615);
    setStyleSheet("QMainWindow { background: white; }");

    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setObjectName("MdiArea");
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdiArea);

    m_reports = std::make_unique<TFrameReports>(*this);
    m_statistics = std::make_unique<TFrameStatistics>(*this, Preferences());
    m_commands = std::make_unique<TFrameCommands>(*this);
    ConnectFrameCommands();
    ConnectMapCommands();
    ConnectLegendCommands();
    ConnectOutputCommands();
    ConnectWindowCommands();
    ConnectPropertyCommands();
    CreateClassificationControls();
    CreateToolBars();
    CreateToolWindows();
    CreateMenus();
    CreateStatusBar();

    m_startupTimer = new QTimer(this);
    m_startupTimer->setObjectName("Timer1");
    m_startupTimer->setSingleShot(true);
    m_startupTimer->setInterval(500);
    connect(m_startupTimer, &QTimer::timeout, this, [this] { Guarded([this] { Timer1Timer(); }, this); });
    m_startup = std::make_unique<TStartupLoad>(*this, TStartupSteps{
                                                          [this] { LoadDatabase(); },
                                                          [this] {
                                                              if (!RestoreMapWindows())
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
    m_colorRampBox->clear();
    for (int i = 0; i < kColorRampCount; ++i)
        m_colorRampBox->addItem(" ");
    // 5. Headings of the data-point grid.
    m_dataPointGrid->setItem(0, 0, new QTableWidgetItem("Label"));
    m_dataPointGrid->setItem(0, 1, new QTableWidgetItem("Value"));
    // 6. Toolbar and tool-window layout.
    m_restoringLayout = true;
    LoadToolbarLayout(*this, TSettingsStore::Global());
    m_restoringLayout = false;
    HideEmptyToolbars();
    HoldBackFloatingToolWindows();
    // 7. The status bar.
    statusBar()->setVisible(Preferences().StatusBar);
    // 8. Check marks.
    SetCheckMarksFromBars();
    Action("aViewSynchronize")->setChecked(Preferences().SynchronizeWindows);
    Action("aViewPersistent")->setChecked(Preferences().PersistentView);
    Action("aNewWindow")->setChecked(Preferences().NewWindow);
    // No map yet.
    UpdateCommandStates();
}

TTAMOForm::~TTAMOForm() {
    // A pass over the raster still under way stops; its result goes nowhere.
    if (m_extentScanCancel)
        m_extentScanCancel->store(true);
    // The tool windows are hidden as the widget goes, after the commands their signals update.
    for (QDockWidget* dock : {m_dataPointWindow, m_themeWindow})
        dock->disconnect(this);
    {
        // Everything saved from here on (map windows, placement, preferences, toolbars) reaches
        // the settings file in one write, together with what the closing saved.
        TSettingsBatch batch(TSettingsStore::Global());
        // Map windows go first, also those closed earlier that still wait for their deferred
        // deletion: they draw from the database object and refer to the library's themes.
        m_mdiArea->closeAllSubWindows();
        qDeleteAll(m_mdiArea->findChildren<QMdiSubWindow*>());
        m_reports.reset();
        m_statistics.reset();
        m_propertyCatalogue.reset();
        m_database.reset();
        SaveWindowPlacement(*this);
        SavePreferences(Preferences());
        if (!m_layoutSaved)
            SaveLayout();
        m_library.reset();
    }
    m_closingWrites.reset();
}

QAction* TTAMOForm::Action(const QString& name) const {
    return m_commands->Action(name);
}

QToolBar* TTAMOForm::Toolbar(const QString& name) const {
    for (QToolBar* bar : {m_mainToolbar, m_viewToolbar, m_dataToolbar})
        if (bar->objectName() == name)
            return bar;
    throw TAMOError(QString("The frame has no toolbar named \"%1\".").arg(name));
}

void TTAMOForm::ShareShortcuts(QWidget& window) const {
    window.addActions(m_commands->SharedShortcuts());
}

// The frame's own commands: windows, exit, the toggles and the bars. The other commands are
// connected with the code they run.
void TTAMOForm::ConnectFrameCommands() {
    TFrameCommands& commands = *m_commands;
    commands.OnTriggered("aFileNewWindow", [this] {
        OpenFirstMapWindow();
        UpdateCommandStates();
    });
    commands.OnTriggered("aFileCloseAll", [this] { aFileCloseAllExecute(); });
    commands.OnTriggered("aFileExit", [this] { close(); });

    // The toggles take effect at once and are saved with the preferences.
    const auto toggle = [this](const char* name, bool TPreferences::*preference) {
        m_commands->OnTriggered(name, [this, name, preference] {
            Preferences().*preference = !(Preferences().*preference);
            Action(name)->setChecked(Preferences().*preference);
        });
    };
    toggle("aViewPersistent", &TPreferences::PersistentView);
    toggle("aViewSynchronize", &TPreferences::SynchronizeWindows);
    toggle("aNewWindow", &TPreferences::NewWindow);
    // In the menu its on state is a check mark (an icon would take the mark's place); on the
    // toolbar a pressed button.
    Action("aViewSynchronize")->setIconVisibleInMenu(false);

    commands.OnTriggered("aDataPoint",
                         [this] { aToggleBarExecute(m_dataPointWindow, Action("aDataPoint")); });
    commands.OnTriggered("aDataSelect", [this] { aToggleBarExecute(m_themeWindow, Action("aDataSelect")); });
    commands.OnTriggered("aToolMain", [this] { aToggleBarExecute(m_mainToolbar, Action("aToolMain")); });
    commands.OnTriggered("aToolView", [this] { aToggleBarExecute(m_viewToolbar, Action("aToolView")); });
    commands.OnTriggered("aToolData", [this] { aToggleBarExecute(m_dataToolbar, Action("aToolData")); });
    commands.OnTriggered("aLibraryManager", [this] {
        ResetMapTools();
        ShowNotImplemented();
    });
}

void TTAMOForm::CreateClassificationControls() {
    m_classificationLabel = new QLabel("Classification: ", this);
    m_classificationLabel->setObjectName("Label1");
    m_classificationBox = new QComboBox(this);
    m_classificationBox->setObjectName("cmbClassific");
    m_classificationBox->addItems({"Equal interval", "Quantiles", "Standardized", "Pre-defined", "Manual"});
    // Wide enough for its longest method in the platform's font.
    m_classificationBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_classificationBox->setToolTip("Classification method");
    m_classCountBox = new QSpinBox(this);
    m_classCountBox->setObjectName("spnClasses");
    // As many classes as a legend holds: the count of a pre-defined legend is shown as it is.
    m_classCountBox->setRange(2, kMaxClasses);
    m_classCountBox->setValue(12);
    m_classCountBox->setToolTip("Number of classes");
    // A count typed digit by digit acts once, on Enter or when the box loses the focus.
    m_classCountBox->setKeyboardTracking(false);
    m_colorRampBox = new TColorRampCombo(this);
    m_colorRampBox->setObjectName("cmbColorRamp");
    m_colorRampBox->setFixedWidth(94);
    m_colorRampBox->setToolTip("Colour ramp");
    // Only the user's choices act; the frame sets the values without signals.
    connect(m_classificationBox, &QComboBox::activated, this,
            [this](int index) { Guarded([this, index] { cmbClassificChange(index); }, this); });
    connect(m_classCountBox, &QSpinBox::valueChanged, this,
            [this](int count) { Guarded([this, count] { spnClassesChange(count); }, this); });
    connect(m_colorRampBox, &QComboBox::currentIndexChanged, this,
            [this](int index) { Guarded([this, index] { cmbColorRampChange(index); }, this); });
}

void TTAMOForm::CreateToolBars() {
    const auto makeBar = [this](const char* name, const QString& caption) {
        auto* bar = new QToolBar(caption, this);
        bar->setObjectName(name);
        bar->setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
        bar->setIconSize(QSize(16, 16));
        bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
        addToolBar(Qt::TopToolBarArea, bar);
        m_commands->AddItems(*bar, FrameItems(name));
        return bar;
    };
    m_mainToolbar = makeBar("TBMainToolbar", "Main");
    m_viewToolbar = makeBar("TBViewToolbar", "View");
    m_dataToolbar = makeBar("TBDataToolbar", "Data");
}

void TTAMOForm::CreateToolWindows() {
    const auto makeDock = [this](const char* name, const QString& caption) {
        auto* dock = new QDockWidget(caption, this);
        dock->setObjectName(name);
        dock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
        addDockWidget(Qt::LeftDockWidgetArea, dock);
        dock->hide();
        return dock;
    };

    m_dataPointWindow = makeDock("TBToolDataPoint", "Data Point");
    m_dataPointGrid = new QTableWidget(5, 2, m_dataPointWindow);
    m_dataPointGrid->setObjectName("StringGrid");
    m_dataPointGrid->horizontalHeader()->hide();
    m_dataPointGrid->verticalHeader()->hide();
    m_dataPointGrid->verticalHeader()->setDefaultSectionSize(18);
    m_dataPointGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_dataPointGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_dataPointGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A readout: nothing in it is selected, also not the heading cell it starts on.
    m_dataPointGrid->setSelectionMode(QAbstractItemView::NoSelection);
    m_dataPointGrid->setFocusPolicy(Qt::NoFocus);
    m_dataPointGrid->setMinimumSize(120, 60);
    m_dataPointWindow->setWidget(m_dataPointGrid);
    SizeDataPointGrid();
    m_dataPointWindow->resize(DataPointDesignSize());
    m_dataPointWindow->installEventFilter(this);
    // Undocked, it takes its full size (DataPointDesignSize) rather than the height of the docking
    // area. The dock sets its floating geometry after the signal: the size follows just after. A
    // floating place read from the layout keeps its stored size.
    connect(m_dataPointWindow, &QDockWidget::topLevelChanged, this, [this](bool floating) {
        if (floating && !m_restoringLayout)
            QTimer::singleShot(0, this, [this] {
                if (m_dataPointWindow->isFloating())
                    m_dataPointWindow->resize(DataPointDesignSize());
            });
    });
    // Closing it with its close button sets the check mark from its visibility.
    connect(m_dataPointWindow, &QDockWidget::visibilityChanged, this,
            [this] { Action("aDataPoint")->setChecked(m_dataPointWindow->isVisible()); });

    m_themeWindow = makeDock("TBToolQEVData", "VIRA Data");
    // The tree is placed by LayoutThemeTree, not by a layout.
    auto* treeHolder = new QWidget(m_themeWindow);
    treeHolder->setObjectName("TreeHolder");
    m_themeTree = new QTreeView(treeHolder);
    m_themeTree->setObjectName("TreeView");
    m_themeTree->setHeaderHidden(true);
    m_themeTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_themeTree->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_themeTree->setIndentation(19);
    m_themeTree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_themeTree, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        // A right click selects the node under it.
        const QModelIndex index = m_themeTree->indexAt(position);
        if (index.isValid())
            m_themeTree->setCurrentIndex(index);
    });
    connect(m_themeTree, &QTreeView::doubleClicked, this,
            [this] { Guarded([this] { OpenSelectedTheme(); }, this); });
    m_themeWindow->setWidget(treeHolder);
    connect(m_themeWindow, &QDockWidget::visibilityChanged, this,
            [this] { Action("aDataSelect")->setChecked(m_themeWindow->isVisible()); });
    m_themeWindow->installEventFilter(this);
    treeHolder->installEventFilter(this);
}

void TTAMOForm::CreateMenus() {
    const auto makeMenu = [this](const char* name, const QString& title) {
        QMenu* menu = menuBar()->addMenu(title);
        menu->setObjectName(name);
        return menu;
    };
    for (const auto& [name, title] :
         {std::pair{"mnuFile", "&File"}, {"mnuView", "&View"}, {"mnuData", "&Data"}})
        m_commands->AddItems(*makeMenu(name, title), FrameItems(name));
    m_windowMenu = makeMenu("mnuWindow", "&Window");
    connect(m_windowMenu, &QMenu::aboutToShow, this, [this] { FillWindowMenu(); });
    FillWindowMenu();
    m_commands->AddItems(*makeMenu("mnuHelp", "&Help"), FrameItems("mnuHelp"));
}

// The arranging commands, then the child windows.
void TTAMOForm::FillWindowMenu() {
    m_windowMenu->clear();
    m_commands->AddItems(*m_windowMenu, FrameItems("mnuWindow"));
    const QList<QMdiSubWindow*> windows = m_mdiArea->subWindowList();
    if (!windows.isEmpty())
        m_windowMenu->addSeparator();
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* window = windows[i];
        QAction* entry = m_windowMenu->addAction(QString("&%1 %2").arg(i + 1).arg(window->windowTitle()));
        entry->setCheckable(true);
        entry->setChecked(window == m_mdiArea->activeSubWindow());
        connect(entry, &QAction::triggered, this, [this, window] { m_mdiArea->setActiveSubWindow(window); });
    }
}

void TTAMOForm::CreateStatusBar() {
    const int widths[5] = {350, 175, 175, 150, 50};
    for (int i = 0; i < 5; ++i) {
        QLabel* panel = m_statusPanels[i] = new QLabel(this);
        panel->setObjectName(QString("StatusPanel%1").arg(i));
        // Each panel's width fits its usual text; a wider platform font grows the panel rather
        // than cutting the text off.
        panel->setMinimumWidth(widths[i]);
        panel->setAlignment(i == 3 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
        statusBar()->addWidget(panel);
    }
}

void TTAMOForm::SetCheckMarksFromBars() {
    Action("aToolMain")->setChecked(m_mainToolbar->isVisibleTo(this));
    Action("aToolView")->setChecked(m_viewToolbar->isVisibleTo(this));
    Action("aToolData")->setChecked(m_dataToolbar->isVisibleTo(this));
    const auto shown = [this](QDockWidget* dock) {
        return dock->isVisibleTo(this) || m_heldBackToolWindows.contains(dock);
    };
    Action("aDataSelect")->setChecked(shown(m_themeWindow));
    Action("aDataPoint")->setChecked(shown(m_dataPointWindow));
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
    m_commands->AddItems(*menu, {"aToolMain", "aToolView", "aToolData", "aDataPoint", "-", "aToolbars"});
    return menu;
}

void TTAMOForm::ShowNotImplemented() {
    Dialogs::ShowMessage(this, kNotImplemented);
}

void TTAMOForm::UpdateCommandStates() {
    const bool maps = MapWindowCount() > 0;
    m_commands->EnableMapCommands(maps);
    m_commands->EnableDatabaseCommands(m_database != nullptr);
    UpdatePropertyMapNode();
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_classificationBox, m_classCountBox, m_colorRampBox})
        control->setEnabled(maps);
}

// ---- Start-up --------------------------------------------------------------------------------

void TTAMOForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_heldBackToolWindows.isEmpty())
        QTimer::singleShot(0, this, [this] { ShowHeldBackToolWindows(); });
    // Shown again after a close: what was held back is written now.
    m_closingWrites.reset();
    // Half a second after the first showing, the start-up load runs; never again.
    if (!m_startupTimerStarted) {
        m_startupTimerStarted = true;
        m_startupTimer->start();
    }
}

// A floating tool window restored with the layout would appear before the frame, and the window
// manager would stack the frame over it. It is held back until the frame is shown, so that it
// appears after it, above the window it belongs to.
void TTAMOForm::HoldBackFloatingToolWindows() {
    for (QDockWidget* dock : {m_dataPointWindow, m_themeWindow})
        if (dock->isFloating() && !dock->isHidden()) {
            const QSignalBlocker quiet(dock); // its command stays checked
            dock->hide();
            m_heldBackToolWindows << dock;
        }
}

void TTAMOForm::ShowHeldBackToolWindows() {
    for (QDockWidget* dock : std::exchange(m_heldBackToolWindows, {}))
        dock->show();
}

void TTAMOForm::Timer1Timer() {
    m_startupTimer->stop();
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
    // The maps as they are, for the next start.
    SaveMapWindows();
    m_mdiArea->closeAllSubWindows();
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
    // A toolbar hidden only for being empty keeps the visibility the user gave it, and so does a
    // tool window held back until the frame is shown.
    TRegistry registry(TSettingsStore::Global());
    QList<QWidget*> shownByUser(m_heldBackToolWindows.begin(), m_heldBackToolWindows.end());
    for (QToolBar* bar : m_emptyToolbars)
        if (!bar->isVisibleTo(this))
            shownByUser << bar;
    for (QWidget* bar : shownByUser)
        if (registry.OpenKey(QString(kToolbarsKey) + "\\" + bar->objectName(), TKeyAccess::OpenExisting))
            registry.WriteString("Visible", "1");
    m_layoutSaved = true;
}

void TTAMOForm::HideEmptyToolbars() {
    for (QToolBar* bar : {m_mainToolbar, m_viewToolbar, m_dataToolbar}) {
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

void TTAMOForm::ActivateFromAnotherStart() {
    // Back to the state it had before it was minimised (maximised stays maximised).
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

bool TTAMOForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_dataPointWindow && event->type() == QEvent::Resize)
        SizeDataPointGrid();
    if ((watched == m_themeWindow || watched == m_themeWindow->widget()) && event->type() == QEvent::Resize)
        LayoutThemeTree();
    return QMainWindow::eventFilter(watched, event);
}
