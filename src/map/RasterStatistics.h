#pragma once
// Statistics of a raster's values for the Quantiles and Standardized classifications: a histogram
// of the cell values, made once per raster file and kept in the cache folder, and the WRB2-code
// distribution of the cells holding data derived from it.

#include "themes/ThemeRecords.h"

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

class TRasterFile;
class TSmuLookup;

inline constexpr int kHistogramSize = 65536;

// Counts of each cell value (1- and 2-byte cells; 4-byte cells outside 0..65535 are not counted)
// over the first cols x rows cells of the file.
using TCellHistogram = std::vector<std::uint64_t>;

// Percent done (0..100), reported while a histogram is being made.
using TProgressReport = std::function<void(int percent)>;

TCellHistogram MakeCellHistogram(const TRasterFile& raster, int bytes, int cols, int rows,
                                 const TProgressReport& progress = {});

// The histogram of the raster, read from `cacheFolder` when it was made from this very file (path,
// size, time, cell size and grid), otherwise made and saved there. An empty or unwritable folder
// only means the histogram is not kept.
TCellHistogram CachedCellHistogram(const TRasterFile& raster, int bytes, int cols, int rows,
                                   const QString& cacheFolder, const TProgressReport& progress = {});
QString HistogramCachePath(const QString& rasterPath, const QString& cacheFolder);

struct TClassStatistics {
    long double Mean = 0;
    long double StdDev = 0;
    // Row n holds the upper bounds of n classes of equal cell counts (entries 0 .. n - 2; the last
    // class has no upper bound).
    std::array<std::array<double, kMaxClasses + 1>, kMaxClasses + 1> QuantileTable{};
    std::uint64_t Cells = 0; // cells counted
};

// Over the cells holding data (not 0, not 65535 unless `zeroIsValue`, an SMU the index knows),
// each counted once, by the WRB2 code of its SMU.
TClassStatistics ComputeClassStatistics(const TCellHistogram& histogram, const TSmuLookup& lookup,
                                        bool zeroIsValue);
