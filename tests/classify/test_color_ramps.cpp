#include "classify/ColorRamp.h"
#include "themes/QEVmanager.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;

std::uint32_t Opaque(std::uint32_t color) {
    return color | kOpaque;
}

} // namespace

TEST(ColorRamps, FixedRampsHoldTheirPalettes) {
    std::mt19937 random(7);
    const std::vector<TColorRamp> ramps = BuildColorRamps(random);
    ASSERT_EQ(ramps.size(), std::size_t(kColorRampCount));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(ramps[i].Fixed) << i;
    EXPECT_EQ(ramps[0].Colors[3], 0xFF923131u);  // (146,49,49)
    EXPECT_EQ(ramps[1].Colors[30], 0xFFEBE8EBu); // (235,232,235)
    EXPECT_EQ(ramps[1].Colors[31], 0xFF000000u); // black after the list
    for (int i = 0; i < kFixedRampColors; ++i)
        EXPECT_EQ(ramps[2].Colors[i], 0xFFFFFFFFu) << i;
}

// Every computed ramp has its colours as soon as the table is built, whether or not the ramp box
// ever drew it: a map window may apply any of them.
TEST(ColorRamps, ComputedRampsHaveTheirColoursWhenTheTableIsBuilt) {
    for (const unsigned seed : {1u, 7u, 20240601u}) {
        std::mt19937 random(seed);
        const std::vector<TColorRamp> ramps = BuildColorRamps(random);

        // Green through yellow and red to dark red, three segments of 25 steps.
        const TColorRamp& greenToRed = ramps[3];
        EXPECT_FALSE(greenToRed.Fixed);
        EXPECT_EQ(greenToRed.Colors[0], 0xFF3FAB00u);
        EXPECT_EQ(greenToRed.Colors[25], 0xFFFCFC00u);
        EXPECT_EQ(greenToRed.Colors[50], 0xFFFF0000u);
        EXPECT_EQ(greenToRed.Colors[75], 0xFF800000u);
        // Integer steps truncate toward zero: red 63 + 1 * (252 - 63) / 25 = 70.
        EXPECT_EQ((greenToRed.Colors[1] >> 16) & 0xFF, 70u);
        for (int k = 0; k <= 75; ++k)
            EXPECT_EQ(greenToRed.Colors[k] & kOpaque, kOpaque) << k;

        for (int i = 4; i < kColorRampCount; ++i) {
            const TColorRamp& ramp = ramps[i];
            EXPECT_FALSE(ramp.Fixed);
            ASSERT_GE(ramp.Segments, 1) << i;
            ASSERT_LE(ramp.Segments, 4) << i;
            const int step = 75 / ramp.Segments;
            const int filled = ramp.Segments * step + 1;
            for (int k = 0; k < filled; ++k)
                EXPECT_EQ(ramp.Colors[k] & kOpaque, kOpaque) << "ramp " << i << " colour " << k;
            // The stops are drawn without alpha; the colours carry their red, green and blue.
            EXPECT_EQ(ramp.Colors[0], Opaque(ramp.StartColors[0])) << i;
            for (int s = 0; s < ramp.Segments; ++s)
                EXPECT_EQ(ramp.Colors[(s + 1) * step], Opaque(ramp.EndColors[s])) << i << " " << s;
        }
    }
}

TEST(ColorRamps, OneSegmentFillsSeventySixColours) {
    TColorRamp single;
    single.Segments = 1;
    single.StartColors[0] = 0x00000000;
    single.EndColors[0] = 0x00FF00FF;
    ComputeColorRamp(single);
    EXPECT_EQ(single.Colors[0], 0xFF000000u);
    EXPECT_EQ(single.Colors[75], 0xFFFF00FFu); // 75 div 1 steps: the last is the end stop

    TColorRamp none; // no segments: nothing to compute
    ComputeColorRamp(none);
    EXPECT_EQ(none.Colors[0], 0u);
}

// What a map window does with a ramp it is handed: the classes take its colours, none turns black.
TEST(ColorRamps, AppliedComputedRampGivesEveryClassAColour) {
    std::mt19937 random(11);
    const std::vector<TColorRamp> ramps = BuildColorRamps(random);
    for (int i = 3; i < kColorRampCount; ++i) {
        TQEVmanager legend(nullptr, QString());
        legend.SetNumClasses(12);
        legend.ApplyRamp(ToRampRecord(ramps[i]));
        for (int c = 0; c < legend.Classes().NumClasses; ++c) {
            const QRgb color = legend.Classes().ClassColors[c];
            EXPECT_EQ(color & kOpaque, kOpaque) << "ramp " << i << " class " << c;
            EXPECT_EQ(color, ramps[i].Colors[c * 75 / 12]) << "ramp " << i << " class " << c;
        }
    }
}
