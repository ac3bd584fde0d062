#pragma once
// The statistics window: how many cells and km² of the land each legend class and each soil
// mapping unit of a map covers, in the current view, the whole world or the query selection, as
// two sortable tables and a bar chart of the classes in their legend colours; copied as text or
// saved as a CSV file. Counting runs in the background; a long one shows its progress and can be
// cancelled.

#include "raster/AreaStatistics.h"
#include "raster/BackgroundJob.h"
#include "raster/CellClasses.h"
#include "raster/CellTally.h"
#include "raster/RasterSource.h"
#include "reports/StatisticsCsv.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QBarSet;
class QButtonGroup;
class QLabel;
class QProgressDialog;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableWidget;
class TWorldAreas;
class QChartView;

// What the statistics are computed from: a copy of a map's legend and view, its raster, and the
// query selection.
struct TStatisticsSource {
    QString Title; // the map's caption
    std::shared_ptr<const TRasterSource> Raster;
    TCellClasses Classes;
    TCellWindow View; // the cells the map shows
    std::optional<std::vector<int>>
        Selection; // the selected SMU ids, sorted; none while no selection is drawn
};

enum class TStatisticsScope { View = 0, World = 1, Selection = 2 };

class TStatisticsForm : public QDialog {
    Q_OBJECT
public:
    explicit TStatisticsForm(TWorldAreas& worldAreas, QWidget* parent = nullptr);
    ~TStatisticsForm() override;

    // Takes a new source and computes its statistics for the chosen scope.
    void ShowSource(TStatisticsSource source);
    void SetScope(TStatisticsScope scope);
    // The query selection changed (none: no selection is drawn); shown at once when it is the
    // scope.
    void SetSelection(std::optional<std::vector<int>> selection);
    TStatisticsScope Scope() const;
    // The statistics shown; null while none are (computing, cancelled, failed).
    const TAreaStatistics* Statistics() const { return m_statistics ? &*m_statistics : nullptr; }
    bool Computing() const;
    // The progress window of a computation that takes a while (null when none is open).
    QProgressDialog* ProgressWindow() const { return m_progress; }

    // Called with the class areas of a map's view whenever they have been computed.
    std::function<void(const TCellWindow& view, const TAreaStatistics& statistics)> OnViewStatistics;

    QRadioButton *rbView = nullptr, *rbWorld = nullptr, *rbSelection = nullptr;
    QLabel* lblSummary = nullptr;
    QTabWidget* tabTables = nullptr;
    QTableWidget* tblClasses = nullptr;
    QTableWidget* tblUnits = nullptr;
    QChartView* chtClasses = nullptr;
    QPushButton *btnCopy = nullptr, *btnSave = nullptr, *btnClose = nullptr;

    void btnCopyClick();
    void btnSaveClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Compute();
    void ShowStatistics(const TAreaStatistics& statistics);
    void ShowNothing(const QString& summary);
    void FillTable(QTableWidget& table, TStatisticsBy by, const std::vector<TAreaRow>& rows);
    void FillChart(const TAreaStatistics& statistics);
    void OpenProgress();
    void CloseProgress();
    TStatisticsBy ShownTable() const;
    void WorldAreasReady(const QString& rasterPath);

    TWorldAreas& m_worldAreas;
    TStatisticsSource m_source;
    std::optional<TAreaStatistics> m_statistics;
    TBackgroundJob m_job;
    bool m_waitingForWorld = false;
    QButtonGroup* m_scopes = nullptr;
    QProgressDialog* m_progress = nullptr;
    QList<QBarSet*> m_chartRows; // the chart's bar of each class, in legend order
};
