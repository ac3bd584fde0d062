#pragma once
// The view changes of the map tools as pure functions of the current view geometry: zoom in and
// out at a pixel, zoom to a dragged rectangle, pan. Each answers the view to show next; the map
// window sets it, fits it and draws.

#include "raster/ViewGeometry.h"

// The current extent (Col1 - Col0 by Row1 - Row0 cells) centred on the cell under pixel (x, y).
TViewRect CentredOn(const TViewGeometry& view, int x, int y);

// Centred on the cell under (x, y) and about 2.5 times narrower.
TViewRect ZoomInAt(const TViewGeometry& view, int x, int y);

// Centred on the cell under (x, y), the cell indices scaled by 0.95 (first) and 1.05 (last),
// and never narrower than the view shown now: at the full extent the view stays.
TViewRect ZoomOutAt(const TViewGeometry& view, int x, int y);

// The cells between two corners of a dragged rectangle (in any order); a rectangle under 3 cells
// in either direction zooms in around its upper-left corner instead.
TViewRect ZoomToRectangle(const TViewGeometry& view, TPixel start, TPixel end);

// A view moved with the map by a pan drag: the whole cells of the view, and the pixel where its
// first cell starts (zero or negative), so that the map moves by exactly the dragged distance.
struct TPannedView {
    TViewRect View;
    int OriginX = 0;
    int OriginY = 0;
};

// The map dragged by (dx, dy) pixels at the current scale. Nothing when the view would start
// west of the first column or north of the first row (the view then stays); a view that would
// start east of the last column or south of the last row starts at it.
std::optional<TPannedView> PanBy(const TViewGeometry& view, int dx, int dy);
