#pragma once
// The main frame: a multiple-document window whose children are the map windows. It carries the
// commands, toolbars, tool windows and status bar, runs the start-up load and saves the settings
// and layout when it goes. Its code is split by concern: TAMOForm.cpp (building, start, close),
// TAMOFormMaps.cpp (map windows and the theme tree), TAMOFormReadout.cpp (status bar and
// data-point readout), TAMOFormLegend.cpp, TAMOFormOutput.cpp and TAMOFormWindows.cpp (the
// commands of the legend, of map output, and of the frame's other windows).

#include <QMainWindow>
#include <array>
#include <atomic>
#include <functional>
#include <memory>

#include "map/MapHost.h"
#include "map/MapTool.h"
#include "raster/UnitExtents.h"
#include "settings/SettingsStore.h"

class QAction;
class QActionGroup;
class QComboBox;
class QDockWidget;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPrinter;
class QSpinBox;
class QTableWidget;
class QTimer;
class QToolBar;
class QTreeView;
template <typename T> class QFutureWatcher;
class TRasterSource;
class QStandardItemModel;
class TFrameCommands;
class TFrameReports;
class TFrameStatistics;
class TMapExplorerForm;
class TPropertyCatalogue;
class TPropertyMap;
class TQEVLibraryManager;
class TStartupLoad;
class THelpForm;
class TTAMO;
struct TPropertyDefinition;
struct TPropertyMapRequest;
struct TQEV_Layer;
struct TStoredMap;

class TTAMOForm : public QMainWindow, public TMapHost {
    Q_OBJECT
public:
    explicit TTAMOForm(QWidget* parent = nullptr);
    ~TTAMOForm() override;

    // The frame's parts, found by the names the program's users and tests know them by. Action and
    // Toolbar throw TAMOError for a name the frame does not hold.
    QAction* Action(const QString& name) const;
    QToolBar* Toolbar(const QString& name) const; // TBMainToolbar, TBViewToolbar, TBDataToolbar
    // Gives a window of the frame (report, query) the menu shortcuts: they work while it is active.
    void ShareShortcuts(QWidget& window) const;
    QDockWidget* DataPointWindow() const { return m_dataPointWindow; }   // TBToolDataPoint
    QDockWidget* ThemeWindow() const { return m_themeWindow; }           // TBToolQEVData
    QTableWidget* DataPointGrid() const { return m_dataPointGrid; }      // StringGrid
    QTreeView* ThemeTree() const { return m_themeTree; }                 // TreeView
    QComboBox* ClassificationBox() const { return m_classificationBox; } // cmbClassific
    QSpinBox* ClassCountBox() const { return m_classCountBox; }          // spnClasses
    QComboBox* ColorRampBox() const { return m_colorRampBox; }           // cmbColorRamp
    QMdiArea* MdiArea() const { return m_mdiArea; }
    QLabel* StatusPanel(int index) const { return m_statusPanels.at(index); }

    // The start-up load: data file check, splash, catalogue and database, then the first map.
    void StartupLoad();
    void UpdateCommandStates();
    void OpenFirstMapWindow();
    void ResetMapTools();

    // What map windows ask of the frame.
    void ShowStatusText(const QString& text) override;
    void ShowDataPoint(int column, int row, double longitude, double latitude) override;
    void ClearDataPoint() override;
    void SynchronizeViews(TMapExplorerForm& source) override;
    void SetClassificationControls(int methodIndex, int classCount) override;
    void SetColorRampIndex(int index) override;
    TRampRecord ColorRamp(int index) const override;
    const TSmuLookup* SmuLookup() const override;
    QRgb SelectionColor() const override;
    void ShowSmuOverview(int smuId) override;
    bool ShowSmuTable(int smuId) override;
    void RasterInUse(const QString& file) override;
    TMapSettings MapSettings() const override;

    TMapExplorerForm* ActiveMap() const;
    QList<TMapExplorerForm*> MapWindows() const;
    int MapWindowCount() const;
    void RedrawActiveMap();
    // Opens the theme of the selected node of the theme tree, in a new map window or in the active
    // one after the NewWindow preference, and names the window in the data-point grid.
    void OpenSelectedTheme();
    // True while OpenSelectedTheme runs: the colour-ramp box then ignores its changes.
    bool OpeningTheme() const { return m_openingTheme; }
    // Places the theme tree in its tool window.
    void LayoutThemeTree();

    // A new maximised map window on a soil property, as the "Property Map" dialog asks for it;
    // null when its raster cannot be opened. Raises TAMOError when the database lacks the property.
    TMapExplorerForm* OpenPropertyMap(const TPropertyMapRequest& request);
    // The properties the database offers, read on first use.
    const TPropertyCatalogue& PropertyCatalogue();

    // Shapefiles chosen by the user become overlays of the active map window.
    void AddShapeFiles();
    // A picture of the active map window (map, legend) on the clipboard.
    void CopyMapToClipboard();
    // The printer the print commands use.
    QPrinter& Printer();

    TTAMO* Database() const { return m_database.get(); }
    // The query window and the two SMU report windows.
    TFrameReports& Reports() const { return *m_reports; }
    // The world's unit areas, the statistics window and the Export window.
    TFrameStatistics& Statistics() const { return *m_statistics; }
    TQEVLibraryManager* Library() const { return m_library.get(); }
    // True when the start-up load ended the program (data files missing, dialog cancelled).
    bool StartupCancelled() const;

    // Brings the frame forward when another start hands over to it.
    void ActivateFromAnotherStart();

    // The menu of the docking areas: Main, View, Data, Data Point, Toolbars.
    QMenu* createPopupMenu() override;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Building the frame (TAMOForm.cpp).
    void CreateClassificationControls();
    void CreateToolBars();
    void CreateToolWindows();
    void CreateMenus();
    void CreateStatusBar();
    void ConnectFrameCommands();
    void SetCheckMarksFromBars();
    void aToggleBarExecute(QWidget* bar, QAction* action);
    void FillWindowMenu();
    // Toolbars whose commands are all hidden would show only their grip: they stay hidden, and
    // are stored as the user left them.
    void HideEmptyToolbars();
    void SaveLayout();
    // Floating tool windows restored with the layout appear after the frame.
    void HoldBackFloatingToolWindows();
    void ShowHeldBackToolWindows();
    void Timer1Timer();
    void ShowNotImplemented();

    // Map windows and the theme tree (TAMOFormMaps.cpp).
    void ConnectMapCommands();
    void LoadDatabase();
    TMapExplorerForm* CreateMapWindow();
    void ActivateMapWindow(TMapExplorerForm& map);
    // A new maximised map window on `theme` at the full extent; closed again when it cannot open it.
    void OpenThemeInNewWindow(const TQEV_Layer& theme);
    // Runs `open` on a new map window; the window is closed again when it cannot open or raises.
    static bool OpenOrClose(QMdiSubWindow& window, const std::function<bool()>& open);
    void aFileCloseAllExecute();
    // The tool of every map window, checked among the tool commands.
    void SelectTool(TMapTool tool);
    // Redraw or View All on the active map window.
    void RunOnActiveMap(TMapTool command);
    // Go To: the active map shows a 2° window around the place the user types, marked.
    void aViewGoToExecute();
    // The child windows that Tile and Cascade arrange: shown and not minimised.
    QList<QMdiSubWindow*> ArrangedSubWindows() const;
    void TileSubWindows(Qt::Orientation orientation);
    void CascadeSubWindows();
    void ArrangeIcons();

    // Property maps, and the map windows kept from one run to the next (TAMOFormProperties.cpp).
    void ConnectPropertyCommands();
    void aDataPropertyMapExecute();
    // The property's value index read, under the first theme's raster; null when the catalogue
    // lacks the attribute.
    std::shared_ptr<TPropertyMap> MakePropertyMap(const TPropertyDefinition& definition);
    // The theme tree's node of the open property maps follows the windows.
    void UpdatePropertyMapNode();
    // A property map chosen in the theme tree comes forward; false when the node is none.
    bool ActivateSelectedPropertyMap();
    void SaveMapWindows();
    // Opens the map windows of the last run; false when none came back.
    bool RestoreMapWindows();
    TMapExplorerForm* RestoreMapWindow(const TStoredMap& stored);

    // Find Unit (TAMOFormFind.cpp): selects the units the user names, then shows them on the
    // active map.
    void aDataFindUnitExecute();
    // Calls `then` with where every unit of `raster` lies: at once when known, else once a pass over
    // the raster in the background has found it (a newer request replaces a waiting one).
    void WithUnitExtents(std::shared_ptr<const TRasterSource> raster,
                         std::function<void(const TUnitExtents&)> then);

    // Status bar and data-point readout (TAMOFormReadout.cpp).
    // The status-bar hint of the command under the pointer goes to the first panel only.
    void ShowHint(const QString& hint);
    void ShowFirstPanel();
    // Column widths of the data-point grid and the floating size of its window, for the font.
    void SizeDataPointGrid();
    QSize DataPointDesignSize() const;
    QString DominantSoilText(const QString& smuText) const;

    // The legend commands and the colour-ramp box (TAMOFormLegend.cpp).
    void ConnectLegendCommands();
    void aDataClassificationExecute();
    // A new ramp chosen in the colour-ramp box recolours the active map's classes.
    void cmbColorRampChange(int index);
    // A method or class count chosen on the Data toolbar reclassifies the active map.
    void cmbClassificChange(int method);
    void spnClassesChange(int classCount);
    // The classification controls show the legend and ramp of the active map window.
    void ShowActiveMapClassification();

    // Print, Print Setup, Add Shape Layer and Copy Map to Clipboard (TAMOFormOutput.cpp).
    void ConnectOutputCommands();
    void aFilePrintExecute();
    void aFilePrintSetupExecute();

    // Help, About, Disclaimer, Export, Toolbars, Data Location and the reports
    // (TAMOFormWindows.cpp).
    void ConnectWindowCommands();
    THelpForm& HelpWindow();
    void aToolbarsExecute();
    void aHelpAboutExecute();
    void aHelpDisclaimerExecute();
    bool IsUnitOrSaySo(int smuId);

    // Parts (Qt children of the frame).
    QMdiArea* m_mdiArea = nullptr;
    std::unique_ptr<TFrameCommands> m_commands;
    QToolBar* m_mainToolbar = nullptr;
    QToolBar* m_viewToolbar = nullptr;
    QToolBar* m_dataToolbar = nullptr;
    QDockWidget* m_dataPointWindow = nullptr;
    QDockWidget* m_themeWindow = nullptr;
    QTableWidget* m_dataPointGrid = nullptr;
    QTreeView* m_themeTree = nullptr;
    QLabel* m_classificationLabel = nullptr;
    QComboBox* m_classificationBox = nullptr;
    QSpinBox* m_classCountBox = nullptr;
    QComboBox* m_colorRampBox = nullptr;
    QMenu* m_windowMenu = nullptr;
    QActionGroup* m_toolGroup = nullptr;
    QTimer* m_startupTimer = nullptr; // Timer1
    std::array<QLabel*, 5> m_statusPanels{};
    QStandardItemModel* m_themeModel = nullptr;
    THelpForm* m_helpForm = nullptr; // made on first use, a window of its own owned by the frame

    std::unique_ptr<TStartupLoad> m_startup;
    std::unique_ptr<TQEVLibraryManager> m_library;
    std::unique_ptr<TTAMO> m_database;
    std::unique_ptr<TFrameReports> m_reports;
    std::unique_ptr<TFrameStatistics> m_statistics;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<TPropertyCatalogue> m_propertyCatalogue;
    std::unique_ptr<TPropertyMapRequest> m_propertyRequest; // the last choice of the dialog

    TMapTool m_tool = mtNoAction; // the tool of every map window
    bool m_openingTheme = false;
    bool m_startupTimerStarted = false;
    QString m_statusText; // the progress text of panel 0, shown when no hint is
    QString m_hintText;
    QList<QToolBar*> m_emptyToolbars;          // hidden by HideEmptyToolbars, not by the user
    QList<QDockWidget*> m_heldBackToolWindows; // shown once the frame is
    bool m_layoutSaved = false;
    bool m_restoringLayout = false;
    // From the frame's close to the end of its destruction the settings file is written once.
    std::unique_ptr<TSettingsBatch> m_closingWrites;
    // Where the units lie on the raster at m_unitExtentsOf; the pass finding it, and what waits for it.
    std::shared_ptr<const TUnitExtents> m_unitExtents;
    QString m_unitExtentsOf;
    QFutureWatcher<std::shared_ptr<const TUnitExtents>>* m_extentScan = nullptr;
    QString m_extentScanOf;
    std::shared_ptr<std::atomic<bool>> m_extentScanCancel;
    std::function<void(const TUnitExtents&)> m_afterExtentScan;
};
