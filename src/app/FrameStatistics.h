#pragma once
// The frame's statistics and export: the world's table of unit areas (computed once in the
// background), the one statistics window, and the Export window, each fed from the active map.

#include "raster/WorldAreas.h"
#include "reports/StatisticsForm.h"

#include <QPointer>
#include <memory>
#include <optional>
#include <vector>

struct TExportContext;
struct TPreferences;

class TMapExplorerForm;
class TTAMOForm;

class TFrameStatistics {
public:
    // `prefs`: the frame's settings, read for the cache folder and the raster in use.
    TFrameStatistics(TTAMOForm& frame, const TPreferences& prefs);
    ~TFrameStatistics();
    TFrameStatistics(const TFrameStatistics&) = delete;
    TFrameStatistics& operator=(const TFrameStatistics&) = delete;

    // Made at the first need, in the cache folder of the settings then.
    TWorldAreas& WorldAreas();

    // Extract Statistics: the statistics window on the active map (nothing without one).
    void aZonalStatisticsExecute();
    // Export Data: the Export window, modal.
    void aExportDataExecute();

    // The statistics window; null until first used.
    TStatisticsForm* StatisticsForm() const { return m_statisticsForm; }
    // The query selection changed: the statistics window follows it.
    void SelectionChanged();
    // What the statistics of `map` are computed from.
    TStatisticsSource SourceOf(TMapExplorerForm& map) const;
    // What the Export window offers: every theme of the catalogue, with the legend of a map window
    // showing it (the active one first) or else its default classes.
    TExportContext ExportContext() const;

private:
    // The selected SMU ids, sorted; none while no selection is drawn.
    std::optional<std::vector<int>> Selection() const;

    TTAMOForm& m_frame;
    const TPreferences& m_prefs;
    std::unique_ptr<TWorldAreas> m_worldAreas;
    QPointer<TStatisticsForm> m_statisticsForm;
    QPointer<TMapExplorerForm> m_statisticsMap; // the map the window's figures belong to
};
