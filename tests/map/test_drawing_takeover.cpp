#include "map/DrawingTakeover.h"

#include <gtest/gtest.h>

TEST(DrawingTakeover, ANewerDrawingTakesOverAndEndsTheDrawingState) {
    TDrawingTakeover takeover;
    const auto older = takeover.Begin();
    EXPECT_TRUE(takeover.Current(older));
    const auto newer = takeover.Begin();
    EXPECT_FALSE(takeover.Current(older));
    EXPECT_TRUE(takeover.Current(newer));
    EXPECT_TRUE(takeover.End(newer));  // the newer one ends the drawing state
    EXPECT_FALSE(takeover.End(older)); // the older one, returning later, leaves it alone
}

TEST(DrawingTakeover, ReplacingTheBitmapStopsThePaintingButNotTheEnding) {
    TDrawingTakeover takeover;
    const auto drawing = takeover.Begin();
    takeover.Invalidate();
    EXPECT_FALSE(takeover.Current(drawing));
    EXPECT_TRUE(takeover.End(drawing));

    const auto last = takeover.Begin();
    takeover.Abandon(); // the window goes away during the drawing
    EXPECT_FALSE(takeover.Current(last));
    EXPECT_FALSE(takeover.End(last));
}
