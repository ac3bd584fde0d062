#pragma once
// An area of the world in degrees, and the cells of a world grid that cover it.

#include "raster/CellTally.h"
#include "raster/ViewGeometry.h"

#include <QString>

struct TDegreeExtent {
    double North = 90;
    double South = -90;
    double West = -180;
    double East = 180;
    bool operator==(const TDegreeExtent&) const = default;
};

inline constexpr TDegreeExtent kWorldExtent{};

// Empty when the extent is usable: south of north, west of east, inside the world; else what is
// wrong, in a sentence for the user.
QString ExtentProblem(const TDegreeExtent& extent);

// The cells of a world grid of cols x rows that the extent touches: its edges moved outward to
// whole cells (an edge on a cell border stays), clipped to the grid.
TCellWindow CellsCovering(const TDegreeExtent& extent, int cols, int rows);

// The cells a view shows, from its top-left pixel's edge to its bottom-right one's, within the
// grid (beyond it the map shows no data). Empty without a scale.
TCellWindow VisibleCells(const TViewGeometry& view);

// The edges of a window of cells of a world grid of cols x rows, in degrees.
TDegreeExtent ExtentOfCells(const TCellWindow& window, int cols, int rows);

// The extent with its edges moved outward to multiples of 10^-decimals degrees (inside the world),
// so that written with that many decimals it still holds the whole extent.
TDegreeExtent RoundedOutward(const TDegreeExtent& extent, int decimals);
