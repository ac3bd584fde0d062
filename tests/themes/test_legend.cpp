#include "MapFakes.h"
#include "TestSupport.h"
#include "themes/QEVmanager.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class LegendTest : public ::testing::Test {
protected:
    TScopedEnvironment Env;
    TFakeHost Host;
    TQEV_Layer Theme;
    TQEVmanager Legend{&Host};

    void SetUp() override {
        Preferences().SELECT_COLOR = 0x00ABCDEF;
        Legend.Theme = &Theme;
        Legend.RangeMin = 0;
        Legend.RangeMax = 32000;
        Legend.Visible.fill(true);
    }
    std::vector<QString> Labels() const {
        return std::vector<QString>(Legend.ClassLabels.begin(),
                                    Legend.ClassLabels.begin() + Legend.NumClasses);
    }
};

} // namespace

TEST_F(LegendTest, EqualIntervalBoundsAndLabels) {
    struct TCase {
        int Classes;
        QString Units;
        int Decimals;
        std::vector<double> Bounds;
        std::vector<QString> Labels;
    };
    const TCase cases[] = {
        {4, "", 0, {8000, 16000, 24000, 32000}, {"< 8000 ", "8000 - 16000 ", "16000 - 24000 ", "> 24000 "}},
        {1, "cm", 0, {32000}, {"< 32000 cm"}},
        {3, "", 2, {10666.67, 21333.33, 32000}, {"< 10666.67 ", "10666.67 - 21333.33 ", "> 21333.33 "}},
    };
    for (const TCase& c : cases) {
        Theme.Units = c.Units;
        Legend.NumClasses = c.Classes;
        Legend.Decimals = c.Decimals;
        EXPECT_TRUE(Legend.Classify(cmEqualInterval));
        EXPECT_EQ(Legend.Method, cmEqualInterval);
        ASSERT_EQ(Legend.NumClasses, c.Classes);
        for (int i = 0; i < c.Classes; ++i)
            EXPECT_NEAR(Legend.Breaks[i], c.Bounds[i], 0.01) << c.Classes << " " << i;
        EXPECT_EQ(Labels(), c.Labels);
    }
    EXPECT_EQ(Host.ClassificationControls.back(), (std::pair{0, 3}));
}

TEST_F(LegendTest, PredefinedTakesTheClassSetOrFallsBackToEqualInterval) {
    Legend.NumClasses = 5;
    EXPECT_TRUE(Legend.Classify(cmPredefined));
    EXPECT_EQ(Legend.Method, cmEqualInterval);
    EXPECT_EQ(Legend.NumClasses, 5);
    EXPECT_EQ(Legend.Breaks[4], 32000);

    TQEV_Class set;
    set.ClassCount = 2;
    set.Dividers[0] = 3;
    set.Dividers[1] = 7;
    set.Labels[0] = "Acrisols";
    set.Labels[1] = "Vertisols";
    set.Colors[0] = 0x00332211; // 0x00BBGGRR
    set.Colors[1] = 0x000000FF;
    Theme.ClassSet = &set;
    Legend.Classify(cmPredefined);
    EXPECT_EQ(Legend.Method, cmPredefined);
    EXPECT_EQ(Legend.NumClasses, 2);
    EXPECT_EQ(Legend.ClassColors[0], 0xFF112233u);
    EXPECT_EQ(Legend.ClassColors[1], 0xFFFF0000u);
    EXPECT_EQ(Labels(), (std::vector<QString>{"Acrisols", "Vertisols"}));

    // Manual keeps bounds and labels as they are.
    Legend.Breaks[0] = 99;
    Legend.ClassLabels[0] = "mine";
    Legend.Classify(cmManual);
    EXPECT_EQ(Legend.Method, cmManual);
    EXPECT_EQ(Legend.Breaks[0], 99);
    EXPECT_EQ(Legend.ClassLabels[0], "mine");
}

TEST_F(LegendTest, StandardizedAndQuantilesWithoutStatisticsGiveZeroBounds) {
    Legend.NumClasses = 5;
    Legend.Classify(cmStandardized);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Legend.Breaks[i], 0);
    Host.Lookup.Codes = {{1, 5}};
    Legend.ClassColors[4] = 0xFF445566;
    EXPECT_EQ(Legend.CellColor(1), 0xFF445566u); // every positive code is in the last class
    Legend.Classify(cmQuantiles);
    EXPECT_EQ(Legend.Method, cmQuantiles);
    EXPECT_EQ(Legend.CellColor(1), 0xFF445566u);
}

TEST_F(LegendTest, StandardizedMultipliersAroundTheMean) {
    Legend.Mean = 100;
    Legend.StdDev = 10;
    for (const auto& [classes, first] : {std::pair{5, -1.5}, {6, -2.0}, {3, -1.5}}) {
        Legend.NumClasses = classes;
        Legend.Decimals = 1;
        // Classify would compute the statistics of the open raster; without one the values stay.
        Legend.Classify(cmStandardized);
        for (int i = 0; i < classes; ++i)
            EXPECT_DOUBLE_EQ(Legend.Breaks[i], 100 + 10 * (first + i)) << classes << " " << i;
    }
    EXPECT_EQ(Legend.ClassLabels[0], "< 85.0 ");
}

TEST_F(LegendTest, QuantilesAndStandardizedUseTheRasterStatistics) {
    QTemporaryDir dir;
    Preferences().DATA_CACHE = dir.filePath("Cache");
    Preferences().RASTER = dir.filePath("TAMO2.bil");
    // 10 cells: SMU 1 (code 10) x 2, SMU 2 (code 20) x 3, SMU 3 (code 40) x 5, plus no-data cells.
    const std::uint32_t cells[] = {1, 1, 2, 2, 2, 3, 3, 3, 3, 3, 0, 65535};
    WriteRaster(Preferences().RASTER, 12, 1, 2, [&](int c, int) { return cells[c]; });
    Host.Lookup.Codes = {{1, 10}, {2, 20}, {3, 40}};
    Theme.DefaultMethod = cmQuantiles;
    Legend.NumClasses = 2;
    Legend.OpenRaster(Preferences().RASTER, 12, 1);
    EXPECT_TRUE(Legend.StatisticsKnown());
    EXPECT_EQ(Legend.Method, cmQuantiles);
    EXPECT_EQ(Legend.Breaks[0], 20); // half of the cells have a code up to 20
    EXPECT_EQ(Labels(), (std::vector<QString>{"< 20 ", "> 20 "}));
    EXPECT_NEAR(double(Legend.Mean), (2 * 10 + 3 * 20 + 5 * 40) / 10.0, 1e-12);
    Legend.Classify(cmStandardized);
    // Two classes: the mean and one spread above it.
    EXPECT_NEAR(Legend.Breaks[0], double(Legend.Mean), 1e-9);
    EXPECT_NEAR(Legend.Breaks[1], double(Legend.Mean + Legend.StdDev), 1e-9);
    EXPECT_GT(Legend.StdDev, 0);
    EXPECT_TRUE(Host.StatusTexts.contains("Computing map statistics ... 100 %"));
    EXPECT_EQ(Host.StatusTexts.last(), "");
}

TEST_F(LegendTest, OpenRasterResetsTheLegendAndShowsTheFirstRamp) {
    QTemporaryDir dir;
    Preferences().RASTER = dir.filePath("r.bil");
    WriteRaster(Preferences().RASTER, 4, 4, 2, [](int, int) { return 1u; });
    Legend.Visible.fill(false);
    Legend.NumClasses = 7;
    Legend.OpenRaster(Preferences().RASTER, 4, 4);
    EXPECT_EQ(Legend.RasterCols(), 4);
    EXPECT_EQ(Legend.RasterRows(), 4);
    EXPECT_EQ(Legend.RangeMax, 32000);
    EXPECT_EQ(Legend.Decimals, 0);
    EXPECT_TRUE(Legend.Visible[39]);
    EXPECT_EQ(Legend.NumClasses, 7); // a legend keeps its class count
    EXPECT_EQ(Host.RampIndexes, std::vector<int>{0});
    EXPECT_EQ(Legend.ReadCellValue(2, 3), 1);
    EXPECT_EQ(Legend.ReadCellValue(2, 4), 0);
}

TEST_F(LegendTest, ANewLegendStartsWithClassesAndTheWorldOutline) {
    TQEVmanager fresh(&Host);
    EXPECT_EQ(fresh.NumClasses, kDefaultClassCount);
    EXPECT_FALSE(fresh.ThemeOpen);
    ASSERT_EQ(fresh.ShapeLayers.size(), 1u);
    EXPECT_EQ(fresh.ShapeLayers[0]->ShapeFileName, Preferences().DATA_WORLD_MAP);
    EXPECT_EQ(fresh.ShapeLayers[0]->ShapeType, 5);
    EXPECT_TRUE(fresh.ShapeLayers[0]->Visible);
}

TEST_F(LegendTest, DecimalsForClassWidths) {
    const std::pair<double, int> cases[] = {{0.5, 3},   {1, 2},     {10.4, 2}, {10.5, 2}, {11, 1},
                                            {100.4, 1}, {100.5, 1}, {101, 0},  {4000, 0}};
    for (const auto& [x, decimals] : cases)
        EXPECT_EQ(TQEVmanager::DecimalsFor(x), decimals) << x;
}

TEST_F(LegendTest, CellColourOrder) {
    Host.Lookup.Codes = {{5, 10}, {6, 20}, {7, 30}, {8, 31}, {9, 15}, {65535, 10}};
    Host.Lookup.Selected = {9};
    Legend.NumClasses = 3;
    Legend.Breaks[0] = 10;
    Legend.Breaks[1] = 20;
    Legend.Breaks[2] = 30;
    Legend.ClassColors = {};
    Legend.ClassColors[0] = 0xFF000001;
    Legend.ClassColors[1] = 0xFF000002;
    Legend.ClassColors[2] = 0xFF000003;
    struct TCase {
        std::uint16_t Value;
        QRgb Color;
        const char* Why;
    };
    const TCase cases[] = {
        {0, 0x00FFFFFF, "no data"},
        {65535, 0x00FFFFFF, "no data unless zero is a value"},
        {9, 0x00ABCDEF, "selected"},
        {5, 0xFF000001, "a code equal to a bound is in that class"},
        {6, 0xFF000002, "second class"},
        {7, 0xFF000003, "last bound"},
        {8, 0xFF000003, "above every bound: the last class"},
        {1234, 0x00FFFFFF, "an SMU the index does not know"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(Legend.CellColor(c.Value), c.Color) << c.Why;

    Theme.ZeroIsValue = true;
    EXPECT_EQ(Legend.CellColor(65535), 0xFF000001u);
    Legend.Visible[1] = false;
    EXPECT_EQ(Legend.CellColor(6), 0xFFFFFFFFu) << "a hidden class is opaque white";
    Legend.Visible[2] = false;
    EXPECT_EQ(Legend.CellColor(8), 0x00FFFFFFu) << "above every bound with the last class hidden";
    Legend.NumClasses = 0;
    EXPECT_EQ(Legend.CellColor(5), 0x00FFFFFFu) << "no classes";
    Host.HasLookup = false;
    Legend.NumClasses = 3;
    EXPECT_EQ(Legend.CellColor(5), 0x00FFFFFFu) << "no database";
}

TEST_F(LegendTest, TheColourTableAgreesWithCellColourForEveryValue) {
    for (int smu = 1; smu < 65535; smu += 3)
        Host.Lookup.Codes[smu] = smu % 50;
    Host.Lookup.Selected = {4, 400, 40000};
    Legend.NumClasses = 4;
    Legend.Breaks = {};
    Legend.Breaks[0] = 5;
    Legend.Breaks[1] = 20;
    Legend.Breaks[2] = 30;
    Legend.Breaks[3] = 40;
    for (int i = 0; i < 4; ++i)
        Legend.ClassColors[i] = 0xFF102030 + i;
    Legend.Visible[2] = false;
    const std::vector<QRgb>& table = Legend.RebuildColorTable();
    ASSERT_EQ(table.size(), 65536u);
    for (int v = 0; v < 65536; ++v)
        ASSERT_EQ(table[v], Legend.CellColor(std::uint16_t(v)) | 0xFF000000u) << v;
    // A change of the selection shows at the next rebuild.
    Host.Lookup.Selected.clear();
    EXPECT_EQ(Legend.RebuildColorTable()[4], Legend.CellColor(4) | 0xFF000000u);
    EXPECT_NE(Legend.ColorTable()[4], 0xFFABCDEFu);
}

// The codes of the SMUs are kept between drawings; a new index, even one that takes the place of
// the old lookup in memory, is read again.
TEST_F(LegendTest, TheColourTableFollowsANewIndexAtTheSameAddress) {
    Legend.NumClasses = 2;
    Legend.Breaks[0] = 100;
    Legend.Breaks[1] = 1000;
    Legend.ClassColors[0] = 0xFF0000AA;
    Legend.ClassColors[1] = 0xFF00BB00;
    Host.Lookup.Codes = {{5, 50}};
    EXPECT_EQ(Legend.RebuildColorTable()[5], 0xFF0000AAu);

    const TSmuLookup* before = Host.SmuLookup();
    TFakeLookup replacement;
    replacement.Codes = {{5, 500}};
    Host.Lookup = replacement;
    ASSERT_EQ(Host.SmuLookup(), before) << "the same address";
    EXPECT_EQ(Legend.RebuildColorTable()[5], 0xFF00BB00u);

    // The same lookup read again.
    Host.Lookup.Codes[5] = 60;
    Host.Lookup.CodesChanged();
    EXPECT_EQ(Legend.RebuildColorTable()[5], 0xFF0000AAu);
}

TEST_F(LegendTest, RampsColourTheClasses) {
    TRampRecord distinct = Host.ColorRamp(0); // colour k is 0xFF000000 + k
    Legend.NumClasses = 5;
    Legend.ApplyRamp(distinct);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Legend.ClassColors[i], 0xFF000000u + std::uint32_t(i * 39 / 5)) << i; // 0, 7, 15, 23, 31
    TRampRecord continuous = distinct;
    continuous[0] = 0;
    Legend.NumClasses = 4;
    Legend.ApplyRamp(continuous);
    EXPECT_EQ(Legend.ClassColors[3], 0xFF000000u + 56);
}
