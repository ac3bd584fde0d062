#pragma once
// How many cells of each value a part of a raster holds, and their area on the ellipsoid: the
// ground of every area statistic. Counted on all cores straight from the memory-mapped file.

#include "raster/JobControl.h"
#include "raster/RasterFile.h"
#include "raster/RasterSource.h"

#include <cstdint>
#include <optional>
#include <vector>

// A rectangle of the grid: columns Col0 to Col1 - 1, rows Row0 to Row1 - 1.
struct TCellWindow {
    int Col0 = 0;
    int Row0 = 0;
    int Col1 = 0;
    int Row1 = 0;
    bool operator==(const TCellWindow&) const = default;
    bool Empty() const { return Col1 <= Col0 || Row1 <= Row0; }
    std::int64_t Cells() const { return Empty() ? 0 : std::int64_t(Col1 - Col0) * (Row1 - Row0); }
    // The part of this window inside a grid of cols x rows cells.
    TCellWindow ClippedTo(int cols, int rows) const;
};

// The raster a tally reads: the file, its cell size (1, 2 or 4 bytes) and its grid, which spans
// the world.
struct TTallySource {
    const TRasterFile* Raster = nullptr;
    int Bytes = 2;
    int Cols = 0;
    int Rows = 0;
};

// The raster a map window or a tool has opened, as a tally reads it.
inline TTallySource TallySourceOf(const TRasterSource& raster) {
    return {&raster.File(), raster.Grid().Bytes, raster.Grid().Cols, raster.Grid().Rows};
}

// Cell counts and areas per cell value (kCellValueCount entries each).
struct TCellTally {
    std::vector<std::uint64_t> Cells;
    std::vector<double> Area; // km²

    TCellTally() : Cells(kCellValueCount, 0), Area(kCellValueCount, 0.0) {}
    void Add(const TCellTally& other);
};

// The cells of each value in `window` (clipped to the grid; cells beyond the end of the file are
// not counted). Values of 4-byte cells outside 0..65535 are not counted. Nothing when cancelled.
// Raises the raster's read error when the file lost bytes while it was read.
std::optional<TCellTally> TallyCells(const TTallySource& source, TCellWindow window,
                                     const TJobControl& control = {});
