#include "raster/ViewNavigation.h"

#include <gtest/gtest.h>

namespace {

// A fitted view of the world grid in a target of width x height pixels.
TViewGeometry Fitted(TViewRect rect, int width, int height, int cols = 43200, int rows = 21600) {
    TViewGeometry view;
    view.RasterCols = cols;
    view.RasterRows = rows;
    view.TargetWidth = width;
    view.TargetHeight = height;
    view.SetView(rect.Col0, rect.Col1, rect.Row0, rect.Row1);
    EXPECT_TRUE(view.FitView());
    return view;
}

} // namespace

TEST(ViewNavigation, ZoomInCentresOnTheClickedCellAndNarrowsTheView) {
    // 400 x 200 cells in 388 x 194 pixels: scale 389 / 400.
    const TViewGeometry view = Fitted({0, 399, 0, 199}, 388, 194, 400, 200);
    // Cell (199.49, 99.74) with a view 399 x 199 wide: 120 .. 278 and 60 .. 139.
    EXPECT_EQ(ZoomInAt(view, 194, 97), (TViewRect{120, 278, 60, 139}));
}

TEST(ViewNavigation, ARectangleGivesTheSameCellsWhicheverWayItIsDragged) {
    const TViewGeometry view = Fitted({0, 399, 0, 199}, 600, 300, 400, 200);
    const TViewRect expected = ZoomToRectangle(view, {50, 40}, {250, 160});
    EXPECT_EQ(expected.Col0, int(RoundHalfEven(50 / view.Scale)));
    EXPECT_EQ(expected.Row1, int(RoundHalfEven(160 / view.Scale)));
    EXPECT_EQ(ZoomToRectangle(view, {250, 160}, {50, 40}), expected);
    EXPECT_EQ(ZoomToRectangle(view, {50, 160}, {250, 40}), expected);
    EXPECT_EQ(ZoomToRectangle(view, {250, 40}, {50, 160}), expected);
    // Under 3 cells high: a zoom in around the upper-left corner.
    EXPECT_EQ(ZoomToRectangle(view, {61, 58}, {60, 50}), ZoomInAt(view, 60, 50));
}

TEST(ViewNavigation, ZoomOutWidensLittleNearTheNorthWestAndMuchFarFromIt) {
    const TViewGeometry nearCorner = Fitted({0, 399, 0, 199}, 400, 200);
    const TViewRect a = ZoomOutAt(nearCorner, 200, 100);
    EXPECT_EQ(a.Col0, 0);
    EXPECT_LE(a.Col1 - a.Col0, 430);

    const TViewGeometry far = Fitted({40000, 40399, 20000, 20199}, 400, 200);
    const TViewRect b = ZoomOutAt(far, 200, 100);
    EXPECT_GE(b.Col1 - b.Col0, 3 * 400);
}
