#pragma once
// The grid of a raster file: how many columns and rows of cells it holds and how many bytes each
// cell takes. A raster may carry a header beside it (the same name with the suffix .hdr) that
// gives its grid; without one it is the world grid of 30 arc-second cells.

#include <QString>
#include <cstdint>

inline constexpr int kWorldCols = 43200;
inline constexpr int kWorldRows = 21600;
// Cells of a complete world raster (43200 x 21600).
inline constexpr std::int64_t kWorldCells = std::int64_t(kWorldCols) * kWorldRows;

struct TRasterGrid {
    int Cols = kWorldCols;
    int Rows = kWorldRows;
    int Bytes = 2; // 1, 2 or 4

    std::int64_t Cells() const { return std::int64_t(Cols) * Rows; }
    // The size of a complete file of this grid.
    std::int64_t FileBytes() const { return Cells() * Bytes; }
    bool operator==(const TRasterGrid&) const = default;
};

// The byte offset of cell (col, row) in a file of rows `cols` cells wide with `bytes` per cell:
// the one place where a cell's position in the file is computed. Row 0 is the north edge.
inline std::int64_t CellOffset(std::int64_t col, std::int64_t row, int cols, int bytes) {
    return (row * cols + col) * bytes;
}

// The header file that belongs to the raster at `rasterPath`: its name with the suffix .hdr.
QString RasterHeaderPath(const QString& rasterPath);

// The grid of the raster at `rasterPath` whose theme gives `bytes` per cell. A header beside it
// gives NROWS and NCOLS, and NBITS when present (8, 16 or 32); without a header it is the world
// grid. Raises TAMOError naming the header when it cannot be read, lacks NROWS or NCOLS, gives
// values that are not positive whole numbers or a grid beyond 2^31 cells in either direction,
// or describes a layout that is not one band of little-endian cells without leading bytes.
// The cell size of the header wins over `bytes`; the caller compares them.
TRasterGrid RasterGridOf(const QString& rasterPath, int bytes);
