#include "raster/RasterSource.h"

#include "raster/ViewGeometry.h"

TRasterSource::TRasterSource(std::unique_ptr<TRasterFile> file, TRasterGrid grid)
    : m_file(std::move(file)), m_grid(grid) {}

std::shared_ptr<const TRasterSource> TRasterSource::Open(const QString& path, int bytes) {
    const TRasterGrid grid = RasterGridOf(path, bytes);
    return std::shared_ptr<const TRasterSource>(new TRasterSource(TRasterFile::Open(path), grid));
}

double TRasterSource::ReadCell(double col, double row) const {
    return m_file->ReadCell(TruncToInt(col), TruncToInt(row), m_grid.Cols, m_grid.Bytes);
}

TCellHistogram TRasterSource::Histogram(const QString& cacheFolder, const TProgressReport& progress) const {
    return CachedCellHistogram(*m_file, m_grid.Bytes, m_grid.Cols, m_grid.Rows, cacheFolder, progress);
}
