#include "common/TAMOError.h"
#include "raster/ViewGeometry.h"

#include <limits>

#include <gtest/gtest.h>

namespace {

TViewGeometry WorldView(int width, int height) {
    TViewGeometry view;
    view.SetGrid(43200, 21600);
    view.SetTarget(width, height);
    view.SetView(0, 43200, 0, 21600);
    return view;
}

} // namespace

TEST(ViewGeometry, FitClampsTheWorldViewAndTakesTheSmallerScale) {
    TViewGeometry view = WorldView(570, 450);
    ASSERT_TRUE(view.FitView());
    EXPECT_EQ(view.View(), (TViewRect{0, 43199, 0, 21599}));
    EXPECT_DOUBLE_EQ(view.Scale(), 571.0 / 43200.0); // target size plus one
}

TEST(ViewGeometry, FitFailsWithoutRasterOrBeyondIt) {
    TViewGeometry none;
    none.SetTarget(100, 100);
    none.SetView(0, 10, 0, 10);
    EXPECT_FALSE(none.FitView());

    TViewGeometry south = WorldView(100, 100);
    south.SetView(0, 100, 30000, 30100);
    EXPECT_FALSE(south.FitView());

    // One pixel for 200,000 cells is below the smallest scale drawn.
    TViewGeometry tiny;
    tiny.SetGrid(200000, 10);
    tiny.SetView(0, 200000, 0, 10);
    EXPECT_FALSE(tiny.FitView());
    EXPECT_LE(tiny.Scale(), 0.00001);
}

TEST(ViewGeometry, FitCorrectsNegativeAndReversedBounds) {
    TViewGeometry view = WorldView(200, 100);
    view.SetView(-5, 3, -7, 0); // Row1 of 0 means "to the end"
    ASSERT_TRUE(view.FitView());
    EXPECT_EQ(view.View(), (TViewRect{0, 3, 0, 21599}));
}

TEST(ViewGeometry, PixelToCellAtScaleOneIsExactAndOtherwiseFractional) {
    TViewGeometry view = WorldView(100, 100);
    view.SetScale(1);
    view.SetView(500, 600, 200, 300);
    const TCellPoint cell = view.PixelToCell(7, 9);
    EXPECT_EQ(cell.Col, 507);
    EXPECT_EQ(cell.Row, 209);

    view.SetScale(2);
    view.SetView(0, 10, 0, 10);
    const TCellPoint negative = view.PixelToCell(-3, 5);
    EXPECT_DOUBLE_EQ(negative.Col, -1.5 + 0.00001);
    EXPECT_DOUBLE_EQ(negative.Row, 2.5);
    EXPECT_EQ(view.PixelToCellIndex(5, 5), (TCellIndex{2, 2}));

    view.SetScale(0);
    EXPECT_EQ(view.PixelToCell(1, 1).Col, -9999);
}

TEST(ViewGeometry, ReadoutAtTheTopLeftPixelOfTheWorldLiesHalfACellOutside) {
    TViewGeometry view = WorldView(570, 450);
    ASSERT_TRUE(view.FitView());
    const auto lonLat = view.PixelToLonLat(0, 0);
    ASSERT_TRUE(lonLat);
    EXPECT_NEAR(lonLat->Lon, -180.0042, 0.0001);
    EXPECT_NEAR(lonLat->Lat, 90.0042, 0.0001);
    TViewGeometry none;
    EXPECT_FALSE(none.PixelToLonLat(0, 0));
}

TEST(ViewGeometry, LonLatToPixelInvertsPixelToLonLatUpToTheCell) {
    for (const double scale : {1.0, 3.0, 0.25}) {
        TViewGeometry view = WorldView(800, 600);
        view.SetView(1000, 2000, 500, 1500);
        view.SetScale(scale);
        for (const auto& [x, y] : {std::pair{0, 0}, {17, 33}, {399, 250}, {799, 599}}) {
            const TCellIndex cell = view.PixelToCellIndex(x, y);
            const TLonLat lonLat = *view.PixelToLonLat(x, y);
            const TPixel back = view.LonLatToPixel(lonLat.Lon, lonLat.Lat);
            // The pixel found lies in the same cell.
            EXPECT_EQ(view.PixelToCellIndex(back.X, back.Y), cell) << scale << " " << x << "," << y;
        }
    }
}

TEST(ViewGeometry, RoundingGoesToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(TruncToInt(-2.7), -2);
    EXPECT_EQ(TruncToInt(1e12), INT_MAX);
}

TEST(ViewGeometry, SettersRefuseWhatNoViewCanHave) {
    TViewGeometry view;
    EXPECT_THROW(view.SetGrid(-1, 10), TAMOError);
    EXPECT_THROW(view.SetTarget(10, -1), TAMOError);
    EXPECT_THROW(view.SetScale(-0.5), TAMOError);
    EXPECT_THROW(view.SetScale(std::numeric_limits<double>::infinity()), TAMOError);
    EXPECT_THROW(view.SetScale(std::numeric_limits<double>::quiet_NaN()), TAMOError);
    // A refused value leaves the view as it was.
    EXPECT_EQ(view.RasterCols(), 0);
    EXPECT_EQ(view.TargetHeight(), 0);
    EXPECT_EQ(view.Scale(), 0);
}
