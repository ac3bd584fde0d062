#pragma once
// The raster a map window shows: its file, mapped read-only, with the grid it is read by. The
// readout and the click tools read single cells from it, a drawing reads its rows through the
// mapping, and the classification asks it for the histogram of its cells.

#include "raster/RasterFile.h"
#include "raster/RasterGrid.h"
#include "raster/RasterStatistics.h"

#include <QString>
#include <memory>

class TRasterSource {
public:
    // Opens the raster at `path` for a theme of `bytes` per cell, on the grid its header gives
    // (or the world grid). Raises TAMOError when the file or its header cannot be used.
    static std::shared_ptr<const TRasterSource> Open(const QString& path, int bytes);

    const TRasterFile& File() const { return *m_file; }
    const TRasterGrid& Grid() const { return m_grid; }

    // The value of the cell holding (col, row); 0 outside the file (see TRasterFile::ReadCell).
    double ReadCell(double col, double row) const;

    // The histogram of the grid's cells, kept in `cacheFolder` (see CachedCellHistogram).
    TCellHistogram Histogram(const QString& cacheFolder, const TProgressReport& progress) const;

private:
    TRasterSource(std::unique_ptr<TRasterFile> file, TRasterGrid grid);

    std::unique_ptr<TRasterFile> m_file;
    TRasterGrid m_grid;
};
