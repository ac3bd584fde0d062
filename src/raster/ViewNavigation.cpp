#include "raster/ViewNavigation.h"

#include <algorithm>

namespace {

int RoundToInt(double value) {
    return TruncToInt(RoundHalfEven(value));
}

} // namespace

TViewRect CentredOn(const TViewGeometry& view, int x, int y) {
    const TCellPoint cell = view.PixelToCell(x, y);
    const double w = static_cast<double>(view.Col1) - view.Col0;
    const double h = static_cast<double>(view.Row1) - view.Row0;
    return {TruncToInt(cell.Col - w / 2), TruncToInt(cell.Col + w / 2), TruncToInt(cell.Row - h / 2),
            TruncToInt(cell.Row + h / 2)};
}

TViewRect ZoomInAt(const TViewGeometry& view, int x, int y) {
    const TViewRect centred = CentredOn(view, x, y);
    const int marginX = RoundToInt(0.3 * (static_cast<double>(view.Col1) - view.Col0));
    const int marginY = RoundToInt(0.3 * (static_cast<double>(view.Row1) - view.Row0));
    return {centred.Col0 + marginX, centred.Col1 - marginX, centred.Row0 + marginY, centred.Row1 - marginY};
}

TViewRect ZoomOutAt(const TViewGeometry& view, int x, int y) {
    const TViewRect c = CentredOn(view, x, y);
    return {RoundToInt(0.95 * c.Col0), RoundToInt(1.05 * c.Col1), RoundToInt(0.95 * c.Row0),
            RoundToInt(1.05 * c.Row1)};
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

std::optional<TViewRect> PanTo(const TViewGeometry& view, int x, int y) {
    const TViewRect c = CentredOn(view, x, y);
    if (c.Col0 < 0 || c.Col1 < 0 || c.Row0 < 0 || c.Row1 < 0)
        return std::nullopt;
    return c;
}
