#include "raster/ViewNavigation.h"

#include <gtest/gtest.h>

namespace {

// A fitted view of the world grid in a target of width x height pixels.
TViewGeometry Fitted(TViewRect rect, int width, int height, int cols = 43200, int rows = 21600) {
    TViewGeometry view;
    view.SetGrid(cols, rows);
    view.SetTarget(width, height);
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
    EXPECT_EQ(expected.Col0, int(RoundHalfEven(50 / view.Scale())));
    EXPECT_EQ(expected.Row1, int(RoundHalfEven(160 / view.Scale())));
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

TEST(ViewNavigation, ZoomOutAtTheFullExtentStaysThere) {
    // The world in a maximised window and in tiled shapes, clicked anywhere: far from the
    // north-west corner the scaled indices would cut the view at the raster's edge.
    for (const auto& [width, height] : {std::pair{1300, 700}, {640, 700}, {1300, 340}, {300, 600}})
        for (const auto& [x, y] : {std::pair{0, 0}, {width / 2, height / 2}, {width - 1, height - 1}}) {
            const TViewGeometry world = Fitted({0, 43200, 0, 21600}, width, height);
            EXPECT_EQ(ZoomOutAt(world, x, y), (TViewRect{0, 43199, 0, 21599}))
                << width << " x " << height << " at " << x << ", " << y;
        }
}

TEST(ViewNavigation, ZoomOutNeverShowsLessThanBefore) {
    const TViewRect views[] = {{30000, 42000, 15000, 21000},
                               {40000, 43199, 100, 2000},
                               {0, 43199, 20000, 21599},
                               {21000, 22000, 10000, 10500}};
    for (const TViewRect& rect : views) {
        const TViewGeometry view = Fitted(rect, 800, 500);
        for (const auto& [x, y] : {std::pair{0, 0}, {400, 250}, {799, 499}}) {
            TViewGeometry next = view;
            const TViewRect wider = ZoomOutAt(view, x, y);
            next.SetView(wider.Col0, wider.Col1, wider.Row0, wider.Row1);
            ASSERT_TRUE(next.FitView());
            EXPECT_GE(next.Col1() - next.Col0(), view.Col1() - view.Col0()) << rect.Col0 << " at " << x;
            EXPECT_GE(next.Row1() - next.Row0(), view.Row1() - view.Row0()) << rect.Col0 << " at " << x;
            EXPECT_LE(next.Scale(), view.Scale());
        }
    }
}

TEST(ViewNavigation, APanMovesTheMapByExactlyTheDraggedDistance) {
    struct TCase {
        const char* Name;
        int Width, Height;
        TViewRect View;
        int Dx, Dy;
    };
    const TCase cases[] = {
        {"maximised world", 1590, 860, {0, 43200, 0, 21600}, -200, -100},
        {"wide tiled window", 1590, 280, {10000, 20000, 5000, 9000}, 200, 100},
        {"tall tiled window", 520, 860, {10000, 20000, 5000, 9000}, -200, 100},
        {"zoomed in to 7 pixels a cell", 700, 420, {20000, 20099, 9000, 9059}, -123, -45},
        {"zoomed in to 40 pixels a cell", 800, 400, {20000, 20019, 9000, 9009}, 17, -33},
    };
    for (const TCase& c : cases) {
        const TViewGeometry before = Fitted(c.View, c.Width, c.Height);
        const std::optional<TPannedView> panned = PanBy(before, c.Dx, c.Dy);
        ASSERT_TRUE(panned) << c.Name;
        TViewGeometry after = before;
        after.SetView(panned->View.Col0, panned->View.Col1, panned->View.Row0, panned->View.Row1);
        after.SetOrigin(panned->OriginX, panned->OriginY);
        // What was under a pixel is now under the pixel the drag moved it to (to half a pixel).
        for (const auto& [x, y] : {std::pair{300, 200}, {0, 0}, {c.Width / 2, c.Height / 2}}) {
            const TCellPoint was = before.PixelToCell(x, y);
            const TCellPoint now = after.PixelToCell(x + c.Dx, y + c.Dy);
            EXPECT_NEAR(now.Col, was.Col, 0.5 / before.Scale() + 1e-6) << c.Name;
            EXPECT_NEAR(now.Row, was.Row, 0.5 / before.Scale() + 1e-6) << c.Name;
        }
        EXPECT_EQ(panned->View.Col1 - panned->View.Col0, before.Col1() - before.Col0()) << c.Name;
        EXPECT_LE(panned->OriginX, 0);
        EXPECT_GT(panned->OriginX, -before.Scale() - 1);
    }
}

TEST(ViewNavigation, APanKeepsTheFirstCellInsideTheRaster) {
    // Dragged far to the west and north: the view would start east of the last column.
    const TViewGeometry east = Fitted({42000, 43199, 20000, 21599}, 600, 400);
    const std::optional<TPannedView> far = PanBy(east, -5000, -5000);
    ASSERT_TRUE(far);
    EXPECT_EQ(far->View.Col0, 43199);
    EXPECT_EQ(far->View.Row0, 21599);
    EXPECT_EQ(far->OriginX, 0);

    // A view that would start west of column 0 or north of row 0 stays.
    const TViewGeometry world = Fitted({0, 43200, 0, 21600}, 600, 400);
    EXPECT_FALSE(PanBy(world, 100, 0));
    EXPECT_FALSE(PanBy(world, 0, 1));
    EXPECT_TRUE(PanBy(world, -1, -1));
}
