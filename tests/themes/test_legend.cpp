#include "MapFakes.h"
#include "TestSupport.h"
#include "themes/QEVmanager.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

class LegendTest : public ::testing::Test {
protected:
    TScopedEnvironment Env;
    TFakeLegendHost Host;
    TQEV_Layer Theme;
    TQEVmanager Legend{&Host, "/data/Country.shp"};

    void SetUp() override {
        Legend.Theme = &Theme;
        Legend.RangeMin = 0;
        Legend.RangeMax = 32000;
        Change([](TClassFields& c) { c.Visible.fill(true); });
    }
    // Changes the legend's classes as an editor of them would: on a copy handed back.
    void Change(const std::function<void(TClassFields&)>& edit) {
        TClassFields classes = Legend.Classes();
        edit(classes);
        Legend.SetClasses(classes);
    }
    const TClassFields& Classes() const { return Legend.Classes(); }
    std::vector<QString> Labels() const {
        return std::vector<QString>(Classes().ClassLabels.begin(),
                                    Classes().ClassLabels.begin() + Classes().NumClasses);
    }
};

} // namespace

TEST_F(LegendTest, EqualIntervalBoundsAndLabelsAndTheNoticeToTheHost) {
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
        Change([&](TClassFields& classes) {
            classes.NumClasses = c.Classes;
            classes.Decimals = c.Decimals;
        });
        EXPECT_TRUE(Legend.Classify(cmEqualInterval));
        EXPECT_EQ(Classes().Method, cmEqualInterval);
        ASSERT_EQ(Classes().NumClasses, c.Classes);
        for (int i = 0; i < c.Classes; ++i)
            EXPECT_NEAR(Classes().Breaks[i], c.Bounds[i], 0.01) << c.Classes << " " << i;
        EXPECT_EQ(Labels(), c.Labels);
    }
    EXPECT_EQ(Host.Classifications.back(), (std::pair{0, 3}));
}

TEST_F(LegendTest, PredefinedTakesTheClassSetOrFallsBackToEqualInterval) {
    Legend.SetNumClasses(5);
    EXPECT_TRUE(Legend.Classify(cmPredefined));
    EXPECT_EQ(Classes().Method, cmEqualInterval);
    EXPECT_EQ(Classes().NumClasses, 5);
    EXPECT_EQ(Classes().Breaks[4], 32000);

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
    EXPECT_EQ(Classes().Method, cmPredefined);
    EXPECT_EQ(Classes().NumClasses, 2);
    EXPECT_EQ(Classes().ClassColors[0], 0xFF112233u);
    EXPECT_EQ(Classes().ClassColors[1], 0xFFFF0000u);
    EXPECT_EQ(Labels(), (std::vector<QString>{"Acrisols", "Vertisols"}));

    // Manual keeps bounds and labels as they are.
    Change([](TClassFields& c) {
        c.Breaks[0] = 99;
        c.ClassLabels[0] = "mine";
    });
    Legend.Classify(cmManual);
    EXPECT_EQ(Classes().Method, cmManual);
    EXPECT_EQ(Classes().Breaks[0], 99);
    EXPECT_EQ(Classes().ClassLabels[0], "mine");
}

TEST_F(LegendTest, StandardizedAndQuantilesWithoutStatisticsGiveZeroBounds) {
    Legend.SetNumClasses(5);
    Legend.Classify(cmStandardized);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Classes().Breaks[i], 0);
    Host.Lookup.Codes = {{1, 5}};
    Legend.SetClassColor(4, 0xFF445566);
    EXPECT_EQ(Legend.CellColor(1), 0xFF445566u); // every positive code is in the last class
    Legend.Classify(cmQuantiles);
    EXPECT_EQ(Classes().Method, cmQuantiles);
    EXPECT_EQ(Legend.CellColor(1), 0xFF445566u);
    EXPECT_FALSE(Legend.Statistics()) << "nothing to count without a raster";
}

TEST_F(LegendTest, QuantilesAndStandardizedUseTheRasterStatistics) {
    QTemporaryDir dir;
    Host.CacheFolder = dir.filePath("Cache");
    // 10 cells: SMU 1 (code 10) x 2, SMU 2 (code 20) x 3, SMU 3 (code 40) x 5, plus no-data cells.
    const std::uint32_t cells[] = {1, 1, 2, 2, 2, 3, 3, 3, 3, 3, 0, 65535};
    const QString path = dir.filePath("TAMO2.bil");
    WriteRaster(
        path, 12, 1, 2, [&](int c, int) { return cells[c]; }, TRasterHeader::Beside);
    Host.Raster = TRasterSource::Open(path, 2);
    Host.Lookup.Codes = {{1, 10}, {2, 20}, {3, 40}};
    Theme.DefaultMethod = cmQuantiles;
    Legend.SetNumClasses(2);
    Legend.OpenRaster();
    ASSERT_TRUE(Legend.Statistics());
    const TClassStatistics& stats = *Legend.Statistics();
    EXPECT_EQ(Classes().Method, cmQuantiles);
    EXPECT_EQ(Classes().Breaks[0], 20); // half of the cells have a code up to 20
    EXPECT_EQ(Labels(), (std::vector<QString>{"< 20 ", "> 20 "}));
    EXPECT_NEAR(double(stats.Mean), (2 * 10 + 3 * 20 + 5 * 40) / 10.0, 1e-12);
    Legend.Classify(cmStandardized);
    // Two classes: the mean and one spread above it.
    EXPECT_NEAR(Classes().Breaks[0], double(stats.Mean), 1e-9);
    EXPECT_NEAR(Classes().Breaks[1], double(stats.Mean + stats.StdDev), 1e-9);
    EXPECT_GT(stats.StdDev, 0);
    EXPECT_EQ(Host.Progress.last(), "100 %");
}

TEST_F(LegendTest, OpenRasterResetsTheLegendAndTellsTheHost) {
    Change([](TClassFields& c) {
        c.Visible.fill(false);
        c.NumClasses = 7;
    });
    Legend.RangeMax = 10;
    Legend.SetStatistics(TClassStatistics{});
    Legend.OpenRaster();
    EXPECT_EQ(Legend.RangeMax, 32000);
    EXPECT_EQ(Classes().Decimals, 0);
    EXPECT_TRUE(Classes().Visible[39]);
    EXPECT_EQ(Classes().NumClasses, 7); // a legend keeps its class count
    EXPECT_FALSE(Legend.Statistics()) << "a new raster is counted again";
    EXPECT_EQ(Host.Resets, 1);
    EXPECT_EQ(Host.Classifications.back(), (std::pair{0, 7}));
}

TEST_F(LegendTest, ANewLegendStartsWithClassesAndTheWorldOutline) {
    TQEVmanager fresh(&Host, "/data/Country.shp");
    EXPECT_EQ(fresh.Classes().NumClasses, kDefaultClassCount);
    EXPECT_FALSE(fresh.ThemeOpen);
    ASSERT_EQ(fresh.ShapeLayers.size(), 1u);
    EXPECT_EQ(fresh.ShapeLayers[0].ShapeFileName, "/data/Country.shp");
    EXPECT_EQ(fresh.ShapeLayers[0].ShapeType, 5);
    EXPECT_TRUE(fresh.ShapeLayers[0].Visible);
}

TEST_F(LegendTest, CellColourOrder) {
    Host.Lookup.Codes = {{5, 10}, {6, 20}, {7, 30}, {8, 31}, {9, 15}, {65535, 10}};
    Host.Lookup.Selected = {9};
    Change([](TClassFields& c) {
        c.NumClasses = 3;
        c.Breaks[0] = 10;
        c.Breaks[1] = 20;
        c.Breaks[2] = 30;
        c.ClassColors = {};
        c.ClassColors[0] = 0xFF000001;
        c.ClassColors[1] = 0xFF000002;
        c.ClassColors[2] = 0xFF000003;
    });
    struct TCase {
        std::uint16_t Value;
        QRgb Color;
        const char* Why;
    };
    const TCase cases[] = {
        {0, 0x00FFFFFF, "no data"},
        {65535, 0x00FFFFFF, "no data unless zero is a value"},
        {9, 0x00ABCDEF, "selected: the host's selection colour as held"},
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
    Legend.SetClassVisible(1, false);
    EXPECT_EQ(Legend.CellColor(6), 0xFFFFFFFFu) << "a hidden class is opaque white";
    Legend.SetClassVisible(2, false);
    EXPECT_EQ(Legend.CellColor(8), 0x00FFFFFFu) << "above every bound with the last class hidden";
    Legend.SetNumClasses(0);
    EXPECT_EQ(Legend.CellColor(5), 0x00FFFFFFu) << "no classes";
    Host.HasLookup = false;
    Legend.SetNumClasses(3);
    EXPECT_EQ(Legend.CellColor(5), 0x00FFFFFFu) << "no database";
}

TEST_F(LegendTest, TheColourTableAgreesWithCellColourForEveryValue) {
    for (int smu = 1; smu < 65535; smu += 3)
        Host.Lookup.Codes[smu] = smu % 50;
    Host.Lookup.Selected = {4, 400, 40000};
    Change([](TClassFields& c) {
        c.NumClasses = 4;
        c.Breaks = {};
        c.Breaks[0] = 5;
        c.Breaks[1] = 20;
        c.Breaks[2] = 30;
        c.Breaks[3] = 40;
        for (int i = 0; i < 4; ++i)
            c.ClassColors[i] = 0xFF102030 + i;
        c.Visible[2] = false;
    });
    const std::vector<QRgb>& table = Legend.RebuildColorTable();
    ASSERT_EQ(table.size(), 65536u);
    for (int v = 0; v < 65536; ++v)
        ASSERT_EQ(table[v], Legend.CellColor(std::uint16_t(v)) | 0xFF000000u) << v;
    // A change of the selection or of its colour shows at the next rebuild.
    Host.SelectColor = 0x00123456;
    EXPECT_EQ(Legend.RebuildColorTable()[400], 0xFF123456u);
    Host.Lookup.Selected.clear();
    EXPECT_EQ(Legend.RebuildColorTable()[4], Legend.CellColor(4) | 0xFF000000u);
    EXPECT_NE(Legend.ColorTable()[4], 0xFF123456u);
}

// The codes of the SMUs are kept between drawings; a new index, even one that takes the place of
// the old lookup in memory, is read again.
TEST_F(LegendTest, TheColourTableFollowsANewIndexAtTheSameAddress) {
    Change([](TClassFields& c) {
        c.NumClasses = 2;
        c.Breaks[0] = 100;
        c.Breaks[1] = 1000;
        c.ClassColors[0] = 0xFF0000AA;
        c.ClassColors[1] = 0xFF00BB00;
    });
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
    TRampRecord distinct{};
    distinct[0] = 1;
    for (int k = 0; k < 76; ++k)
        distinct[kRampFirstColor + k] = static_cast<std::int32_t>(0xFF000000u + static_cast<unsigned>(k));
    Legend.SetNumClasses(5);
    Legend.ApplyRamp(distinct);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Classes().ClassColors[i], 0xFF000000u + std::uint32_t(i * 39 / 5)) << i; // 0, 7, 15, 23, 31
    TRampRecord continuous = distinct;
    continuous[0] = 0;
    Legend.SetNumClasses(4);
    Legend.ApplyRamp(continuous);
    EXPECT_EQ(Classes().ClassColors[3], 0xFF000000u + 56);
}
