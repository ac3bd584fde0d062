#pragma once
// A histogram of a raster's cell values, made once per raster file and kept in the cache folder;
// the Quantiles and Standardized classifications are derived from it.

#include "raster/RasterFile.h"

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

inline constexpr int kHistogramSize = kCellValueCount;

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
