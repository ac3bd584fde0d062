#include "raster/GridExtent.h"

#include <algorithm>
#include <cmath>

namespace {
// Positions within this many cells of a cell border count as on it: typed degrees such as 10.00
// are not exact multiples of a cell in binary.
constexpr double kBorderTolerance = 1e-6;
} // namespace

QString ExtentProblem(const TDegreeExtent& e) {
    if (!std::isfinite(e.North) || !std::isfinite(e.South) || !std::isfinite(e.West) ||
        !std::isfinite(e.East))
        return "Every edge of the area must be a number of degrees.";
    if (e.North > 90 || e.South < -90)
        return "North and south must lie between -90 and 90 degrees.";
    if (e.West < -180 || e.East > 180)
        return "West and east must lie between -180 and 180 degrees.";
    if (e.South >= e.North)
        return "The south edge must lie south of the north edge.";
    if (e.West >= e.East)
        return "The west edge must lie west of the east edge.";
    return {};
}

TCellWindow CellsCovering(const TDegreeExtent& e, int cols, int rows) {
    const double colsPerDegree = cols / 360.0;
    const double rowsPerDegree = rows / 180.0;
    const auto down = [](double x) { return static_cast<int>(std::floor(x + kBorderTolerance)); };
    const auto up = [](double x) { return static_cast<int>(std::ceil(x - kBorderTolerance)); };
    const TCellWindow window{down((e.West + 180) * colsPerDegree), down((90 - e.North) * rowsPerDegree),
                             up((e.East + 180) * colsPerDegree), up((90 - e.South) * rowsPerDegree)};
    return window.ClippedTo(cols, rows);
}

TCellWindow VisibleCells(const TViewGeometry& view) {
    if (view.Scale() <= 0)
        return {};
    const TCellPoint first = view.PixelToCell(0, 0);
    const TCellPoint last = view.PixelToCell(view.TargetWidth(), view.TargetHeight());
    const auto down = [](double x) { return static_cast<int>(std::clamp(std::floor(x), -1e9, 1e9)); };
    const auto up = [](double x) { return static_cast<int>(std::clamp(std::ceil(x), -1e9, 1e9)); };
    return TCellWindow{down(first.Col), down(first.Row), up(last.Col), up(last.Row)}.ClippedTo(
        view.RasterCols(), view.RasterRows());
}

TDegreeExtent ExtentOfCells(const TCellWindow& w, int cols, int rows) {
    return {90.0 - 180.0 * w.Row0 / rows, 90.0 - 180.0 * w.Row1 / rows, -180.0 + 360.0 * w.Col0 / cols,
            -180.0 + 360.0 * w.Col1 / cols};
}

TDegreeExtent RoundedOutward(const TDegreeExtent& e, int decimals) {
    const double scale = std::pow(10.0, decimals);
    const auto down = [&](double x) { return std::floor(x * scale + kBorderTolerance) / scale; };
    const auto up = [&](double x) { return std::ceil(x * scale - kBorderTolerance) / scale; };
    return {std::min(up(e.North), 90.0), std::max(down(e.South), -90.0), std::max(down(e.West), -180.0),
            std::min(up(e.East), 180.0)};
}
