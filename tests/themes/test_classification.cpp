#include "TestSupport.h"
#include "themes/Classification.h"

#include <gtest/gtest.h>

TEST(Classification, EqualIntervalDividesTheRange) {
    const TClassBreaks four = EqualIntervalBreaks(0, 32000, 4);
    EXPECT_EQ(four.Count, 4);
    EXPECT_EQ(std::vector<double>(four.Bounds.begin(), four.Bounds.begin() + 5),
              (std::vector<double>{8000, 16000, 24000, 32000, 0}));
    const TClassBreaks shifted = EqualIntervalBreaks(-10, 20, 3);
    EXPECT_EQ(shifted.Bounds[0], 0);
    EXPECT_EQ(shifted.Bounds[2], 20) << "the last bound is the range's end";
    EXPECT_EQ(EqualIntervalBreaks(0, 100, 0).Count, 0);
    EXPECT_EQ(EqualIntervalBreaks(0, 100, 64).Count, kMaxClasses) << "no more classes than a legend holds";
}

TEST(Classification, StandardizedStepsAroundTheMeanAndQuantilesTakeTheirRow) {
    TClassStatistics stats;
    stats.Mean = 100;
    stats.StdDev = 10;
    for (const auto& [classes, first] : {std::pair{5, -1.5}, {6, -2.0}, {3, -1.5}}) {
        const TClassBreaks breaks = StandardizedBreaks(stats, classes, 1);
        ASSERT_EQ(breaks.Count, classes);
        for (int i = 0; i < classes; ++i)
            EXPECT_DOUBLE_EQ(breaks.Bounds[i], 100 + 10 * (first + i)) << classes << " " << i;
    }
    EXPECT_DOUBLE_EQ(StandardizedBreaks(stats, 4, 2).Bounds[0], 100 - 2 * 10.0)
        << "factor 2: two spreads a step";

    stats.QuantileTable[3][0] = 7;
    stats.QuantileTable[3][1] = 19;
    stats.QuantileTable[3][2] = 99; // beyond the bounds of three classes
    const TClassBreaks quantiles = QuantileBreaks(stats, 3);
    EXPECT_EQ(quantiles.Count, 3);
    EXPECT_EQ(std::vector<double>(quantiles.Bounds.begin(), quantiles.Bounds.begin() + 3),
              (std::vector<double>{7, 19, 0}))
        << "the last class has no upper bound";
    // Without statistics every bound is 0.
    EXPECT_EQ(StandardizedBreaks(TClassStatistics{}, 5, 1).Bounds[4], 0);
}

TEST(Classification, DecimalsForClassWidths) {
    const std::pair<double, int> cases[] = {{0.5, 3},   {1, 2},     {10.4, 2}, {10.5, 2}, {11, 1},
                                            {100.4, 1}, {100.5, 1}, {101, 0},  {4000, 0}};
    for (const auto& [x, decimals] : cases)
        EXPECT_EQ(DecimalsFor(x), decimals) << x;
}

// The legend's labels and the dialog's bound boxes write a bound the same way.
TEST(Classification, BoundsAndLabelsAreWrittenOneWay) {
    const std::tuple<double, int, QString> bounds[] = {
        {8000, 0, "8000"},
        {10666.666666, 2, "10666.67"},
        {0.1234, 3, "0.123"},
        {-2.5, 1, "-2.5"},
        {0, 2, "0.00"},
        {1234567.123456789, 6, "1234567.123000"}, // 10 significant digits at most
        {123456789012.0, 0, "1.234567890E+11"},
    };
    for (const auto& [value, decimals, text] : bounds)
        EXPECT_EQ(BoundText(value, decimals), text) << value;

    TClassBounds b{};
    b[0] = 8000;
    b[1] = 16000;
    b[2] = 24000;
    b[3] = 32000;
    EXPECT_EQ(ClassLabel(b, 0, 4, 0, ""), "< 8000 ");
    EXPECT_EQ(ClassLabel(b, 1, 4, 0, ""), "8000 - 16000 ");
    EXPECT_EQ(ClassLabel(b, 3, 4, 0, "cm"), "> 24000 cm");
    EXPECT_EQ(ClassLabel(b, 0, 1, 0, "cm"), "< 8000 cm") << "one class";
}
