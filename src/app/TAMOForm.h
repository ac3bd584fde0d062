#pragma once
// The main frame: a multiple-document window whose children are the map windows. It carries the
// commands, toolbars, tool windows and status bar, runs the start-up load and saves the settings
// and layout when it goes.

#include <QMainWindow>
#include <functional>
#include <memory>

#include "map/MapHost.h"
#include "map/MapTool.h"
#include "settings/SettingsStore.h"

class QAction;
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
class QStandardItemModel;
class TFrameReports;
class TMapExplorerForm;
class TQEVLibraryManager;
class TStartupLoad;
class THelpForm;
class TTAMO;
struct TQEV_Layer;

class TTAMOForm : public QMainWindow, public TMapHost {
    Q_OBJECT
public:
    explicit TTAMOForm(QWidget* parent = nullptr);
    ~TTAMOForm() override;

    // Commands, named as in the menus' action list.
    QAction *aFileNewWindow, *aFileCloseAll, *aFileExit;
    QAction *aNoAction, *aViewRedraw, *aViewReset, *aViewZoomRectangle, *aViewZoomIn, *aViewZoomOut,
        *aViewPan;
    QAction *aViewPersistent, *aViewSynchronize, *aNewWindow, *aDataSelect;
    QAction *aZonalStatistics, *aDataPoint, *aDataLocation, *aLibraryManager;
    QAction *aSelectSMU, *aSelectSMUtable, *aDataQuery;
    QAction *aWindowCascade, *aWindowTileVert, *aWindowTileHoriz, *aWindowArrangeAll;
    QAction *aToolMain, *aToolView, *aToolData, *aToolbars;
    QAction *aExportData, *aHelpContents, *aHelpSearch, *aHelpDisclaimer, *aHelpAbout;
    QAction *aFilePrint, *aFilePrintSetup, *aDataAddShape, *aCopyClipboard;
    QAction *aDataClassification, *aLegendAll, *aLegendNone, *aLegendSwitch;

    QToolBar *TBMainToolbar, *TBViewToolbar, *TBDataToolbar;
    QDockWidget *TBToolDataPoint, *TBToolQEVData;
    QTableWidget* StringGrid;
    QTreeView* TreeView;
    QLabel* Label1;
    QComboBox *cmbClassific, *cmbColorRamp;
    QSpinBox* spnClasses;
    QMdiArea* MdiArea;
    QMenu* mnuWindow;
    QTimer* Timer1;
    QLabel* StatusPanels[5];

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
    void ShowSmuOverview(int smuId) override;
    bool ShowSmuTable(int smuId) override;

    TMapExplorerForm* ActiveMap() const;
    QList<TMapExplorerForm*> MapWindows() const;
    void RedrawActiveMap();
    // Opens the theme of the selected node of the theme tree, in a new map window or in the active
    // one after the NewWindow preference, and names the window in the data-point grid.
    void OpenSelectedTheme();
    // True while OpenSelectedTheme runs: the colour-ramp box then ignores its changes.
    bool OpeningTheme() const { return m_openingTheme; }
    // Places the theme tree in its tool window.
    void LayoutThemeTree();

    // Shapefiles chosen by the user become overlays of the active map window.
    void AddShapeFiles();
    // A picture of the active map window (map, legend) on the clipboard.
    void CopyMapToClipboard();
    // The printer the print commands use.
    QPrinter& Printer();

    TTAMO* Database() const { return m_database.get(); }
    // The query window and the two SMU report windows.
    TFrameReports& Reports() const { return *m_reports; }
    TQEVLibraryManager* Library() const { return m_library.get(); }
    // True when the start-up load ended the program (data files missing, dialog cancelled).
    bool StartupCancelled() const;

    // Brings the frame forward when another start hands over to it.
    void ActivateFromAnotherStart();

    int MapWindowCount() const;

    // The menu of the docking areas: Main, View, Data, Data Point, Toolbars.
    QMenu* createPopupMenu() override;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBars();
    void CreateToolWindows();
    void CreateStatusBar();
    // The status-bar hint of the command under the pointer goes to the first panel only.
    void ShowHint(const QString& hint);
    void ShowFirstPanel();
    // Column widths of the data-point grid and the floating size of its window, for the font.
    void SizeDataPointGrid();
    QSize DataPointDesignSize() const;
    // Toolbars whose commands are all hidden would show only their grip: they stay hidden, and
    // are stored as the user left them.
    void HideEmptyToolbars();
    void SaveLayout();
    void CascadeSubWindows();
    QAction* MakeAction(QAction*& member, const char* name, const QString& caption, const QString& hint,
                        std::function<void()> handler);
    void AddItems(QWidget& bar, std::initializer_list<const char*> items);
    void SetCheckMarksFromBars();
    void FillWindowMenu();

    void Timer1Timer();
    void LoadDatabase();
    void aFileCloseAllExecute();
    void SetToolOnActiveMap(TMapTool tool);
    void TileSubWindows(Qt::Orientation orientation);
    void ArrangeIcons();
    QString DominantSoilText(const QString& smuText) const;
    TMapExplorerForm* CreateMapWindow();
    // The child windows that Tile and Cascade arrange: shown and not minimised.
    QList<QMdiSubWindow*> ArrangedSubWindows() const;
    // A new maximised map window on `theme` at the full extent; closed again when it cannot open it.
    void OpenThemeInNewWindow(const TQEV_Layer& theme);
    void aToggleBarExecute(QWidget* bar, QAction* action);
    void ShowNotImplemented();
    void aExportDataExecute();
    void aHelpAboutExecute();
    void aHelpDisclaimerExecute();
    THelpForm& HelpWindow();
    // Print, Print Setup, Add Shape Layer and Copy Map to Clipboard; the item lists place them.
    void CreateOutputActions();
    void aFilePrintExecute();
    void aFilePrintSetupExecute();
    void CreateLegendActions();
    void aDataClassificationExecute();
    // A new ramp chosen in the colour-ramp box recolours the active map's classes.
    void cmbColorRampChange(int index);

    std::unique_ptr<TStartupLoad> m_startup;
    bool m_openingTheme = false;
    THelpForm* m_helpForm = nullptr; // made on first use, a window of its own owned by the frame
    bool m_startupTimerStarted = false;
    QList<QAction*> m_mapCommands;
    std::unique_ptr<TQEVLibraryManager> m_library;
    std::unique_ptr<TTAMO> m_database;
    std::unique_ptr<TFrameReports> m_reports;
    QStandardItemModel* m_themeTree = nullptr;
    QString m_statusText; // the progress text of panel 0, shown when no hint is
    QString m_hintText;
    QList<QToolBar*> m_emptyToolbars; // hidden by HideEmptyToolbars, not by the user
    bool m_layoutSaved = false;
    bool m_restoringLayout = false;
    // From the frame's close to the end of its destruction the settings file is written once.
    std::unique_ptr<TSettingsBatch> m_closingWrites;
    std::unique_ptr<QPrinter> m_printer;
};
