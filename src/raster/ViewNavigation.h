#pragma once
// The view changes of the map tools as pure functions of the current view geometry: zoom in and
// out at a pixel, zoom to a dragged rectangle, pan. Each answers the view to show next; the map
// window sets it, fits it and draws.

#include "raster/ViewGeometry.h"

// The current extent (Col1 - Col0 by Row1 - Row0 cells) centred on the cell under pixel (x, y).
TViewRect CentredOn(const TViewGeometry& view, int x, int y);

// Centred on the cell under (x, y) and about 2.5 times narrower.
TViewRect ZoomInAt(const TViewGeometry& view, int x, int y);

// Centred on the cell under (x, y), the cell indices scaled by 0.95 (first) and 1.05 (last).
TViewRect ZoomOutAt(const TViewGeometry& view, int x, int y);

// The cells between two corners of a dragged rectangle (in any order); a rectangle under 3 cells
// in either direction zooms in around its upper-left corner instead.
TViewRect ZoomToRectangle(const TViewGeometry& view, TPixel start, TPixel end);

// The pan that puts bitmap pixel (x, y) at the centre of the view; nothing when a bound of the
// new view would be negative (the view then stays).
std::optional<TViewRect> PanTo(const TViewGeometry& view, int x, int y);
