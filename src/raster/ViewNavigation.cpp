#include "raster/ViewNavigation.h"

#include <algorithm>
#include <cmath>

namespace {

int RoundToInt(double value) {
    return TruncToInt(RoundHalfEven(value));
}

// One axis of a zoom out: [first, last] clamped to the grid's `cells`, and widened to at least
// the `shown` cells of the view before (or the whole grid), keeping it inside the grid.
void KeepAtLeast(int& first, int& last, long long shown, int cells) {
    if (cells <= 0)
        return;
    first = std::clamp(first, 0, cells - 1);
    last = std::clamp(last, first, cells - 1);
    const long long wanted = std::min<long long>(shown, cells);
    const long long missing = wanted - (static_cast<long long>(last) - first + 1);
    if (missing <= 0)
        return;
    long long from = first - missing / 2;
    from = std::clamp<long long>(from, 0, cells - wanted);
    first = static_cast<int>(from);
    last = static_cast<int>(from + wanted - 1);
}

} // namespace

TViewRect CentredOn(const TViewGeometry& view, int x, int y) {
    const TCellPoint cell = view.PixelToCell(x, y);
    const double w = static_cast<double>(view.Col1()) - view.Col0();
    const double h = static_cast<double>(view.Row1()) - view.Row0();
    return {TruncToInt(cell.Col - w / 2), TruncToInt(cell.Col + w / 2), TruncToInt(cell.Row - h / 2),
            TruncToInt(cell.Row + h / 2)};
}

TViewRect ZoomInAt(const TViewGeometry& view, int x, int y) {
    const TViewRect centred = CentredOn(view, x, y);
    const int marginX = RoundToInt(0.3 * (static_cast<double>(view.Col1()) - view.Col0()));
    const int marginY = RoundToInt(0.3 * (static_cast<double>(view.Row1()) - view.Row0()));
    return {centred.Col0 + marginX, centred.Col1 - marginX, centred.Row0 + marginY, centred.Row1 - marginY};
}

TViewRect ZoomOutAt(const TViewGeometry& view, int x, int y) {
    const TViewRect c = CentredOn(view, x, y);
    TViewRect wider{RoundToInt(0.95 * c.Col0), RoundToInt(1.05 * c.Col1), RoundToInt(0.95 * c.Row0),
                    RoundToInt(1.05 * c.Row1)};
    // The factors scale cell indices, not the extent: far from the north-west corner the cut at
    // the raster's edge can leave less than was shown (at the full extent, a zoom in). A zoom
    // out never shows less; at the full extent it stays there.
    KeepAtLeast(wider.Col0, wider.Col1, static_cast<long long>(view.Col1()) - view.Col0() + 1,
                view.RasterCols());
    KeepAtLeast(wider.Row0, wider.Row1, static_cast<long long>(view.Row1()) - view.Row0() + 1,
                view.RasterRows());
    return wider;
}

TViewRect ZoomToRectangle(const TViewGeometry& view, TPixel start, TPixel end) {
    const TPixel first{std::min(start.X, end.X), std::min(start.Y, end.Y)};
    const TPixel second{std::max(start.X, end.X), std::max(start.Y, end.Y)};
    const TCellPoint a = view.PixelToCell(first.X, first.Y);
    const TCellPoint b = view.PixelToCell(second.X, second.Y);
    if (b.Col - a.Col >= 3 && b.Row - a.Row >= 3)
        return {RoundToInt(a.Col), RoundToInt(b.Col), RoundToInt(a.Row), RoundToInt(b.Row)};
    return ZoomInAt(view, first.X, first.Y);
}

std::optional<TPannedView> PanBy(const TViewGeometry& view, int dx, int dy) {
    if (!(view.Scale() > 0) || view.RasterCols() <= 0 || view.RasterRows() <= 0)
        return std::nullopt;
    // The real cell that comes to lie at the bitmap's top-left corner.
    const double col = view.Col0() + (-static_cast<double>(dx) - view.OriginX()) / view.Scale();
    const double row = view.Row0() + (-static_cast<double>(dy) - view.OriginY()) / view.Scale();
    if (!std::isfinite(col) || !std::isfinite(row) || col < 0 || row < 0)
        return std::nullopt;
    TPannedView panned;
    // Whole cells in the view, the rest of the way as a pixel offset of its first cell.
    const auto axis = [&view](double cell, int cells, int& first, int& origin) {
        if (cell >= cells) {
            // The first column (row) stays within the raster.
            first = cells - 1;
            origin = 0;
            return;
        }
        first = static_cast<int>(std::floor(cell));
        origin = -RoundToInt((cell - first) * view.Scale());
    };
    axis(col, view.RasterCols(), panned.View.Col0, panned.OriginX);
    axis(row, view.RasterRows(), panned.View.Row0, panned.OriginY);
    panned.View.Col1 = panned.View.Col0 + (view.Col1() - view.Col0());
    panned.View.Row1 = panned.View.Row0 + (view.Row1() - view.Row0());
    return panned;
}
