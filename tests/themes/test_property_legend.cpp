// The legend of a property map: its classes divide the property's values of the map's cells.
#include "MapFakes.h"
#include "TestSupport.h"
#include "themes/LegendClasses.h"
#include "themes/PropertyMap.h"
#include "themes/QEVmanager.h"

#include <QDir>
#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

// Ten cells hold a value: SMU 1 (4.0) two cells, SMU 2 (5.0) three, SMU 3 (6.0) three, SMU 4 (8.0)
// two. SMU 5 (three cells) has no value; three cells are sea. Over the cells the median is 5.0;
// over the four units it would lie between 5.0 and 6.0.
const std::uint32_t kCells[] = {1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 5, 5, 5, 0, 0, 0};

std::shared_ptr<TPropertyMap> PhMap() {
    TPropertyIndex index;
    for (const auto& [smu, value] : {std::pair{1, 4.0}, {2, 5.0}, {3, 6.0}, {4, 8.0}, {5, kNone}})
        index.SetValue(smu, value);
    index.Finish();
    TPropertyAttribute attribute;
    attribute.Field = "PH_H2O";
    attribute.Description = "pH in water";
    attribute.Unit = "-log(H+)";
    TQEV_Layer soils;
    soils.FileName = "TAMO2.bil";
    return std::make_shared<TPropertyMap>(soils, attribute, TPropertyDefinition{}, std::move(index));
}

class PropertyLegendTest : public ::testing::Test {
protected:
    TScopedEnvironment Env;
    TFakeLegendHost Host;
    std::shared_ptr<TPropertyMap> Property = PhMap();
    TQEVmanager Legend{&Host, QString()};

    void SetUp() override {
        const QString raster = Env.Folder() + "cells.bil";
        WriteRaster(
            raster, 16, 1, 2, [](int col, int) { return kCells[col]; }, TRasterHeader::Beside);
        Host.Raster = TRasterSource::Open(raster, 2);
        Host.CacheFolder = Env.Folder();
        for (int smu = 1; smu <= 5; ++smu)
            Host.Lookup.Codes[smu] = 100 * smu; // soil codes, which a property map never uses
        Legend.Property = Property;
        Legend.Theme = &Property->Theme();
        Legend.ThemeOpen = true;
        Legend.RasterVisible = true;
        Legend.SetNumClasses(4);
        Legend.OpenRaster();
    }
    std::vector<double> Bounds(int count) const {
        return {Legend.Classes().Breaks.begin(), Legend.Classes().Breaks.begin() + count};
    }
    QStringList Labels() const {
        QStringList labels;
        for (int i = 0; i < Legend.Classes().Count(); ++i)
            labels << Legend.Classes().ClassLabels[i];
        return labels;
    }
};

} // namespace

TEST_F(PropertyLegendTest, EachMethodDividesTheValuesOfTheCellsAndLabelsThemWithTheUnit) {
    const double mean = 5.7; // (2 x 4 + 3 x 5 + 3 x 6 + 2 x 8) / 10
    const double sd = std::sqrt(1.81);
    struct TCase {
        int Method;
        int Count;
        std::vector<double> Bounds; // the last class's bound is not checked
        QStringList Labels;
    } cases[] = {
        // Over the range of the units' values; closed at both ends.
        {cmEqualInterval,
         4,
         {5, 6, 7},
         {"4 - 5 -log(H+)", "5 - 6 -log(H+)", "6 - 7 -log(H+)", "7 - 8 -log(H+)"}},
        // Over the cells: the median is SMU 2's value, as it covers more land than SMU 3.
        {cmQuantiles, 2, {5}, {"4 - 5 -log(H+)", "5 - 8 -log(H+)"}},
        {cmQuantiles, 3, {5, 6}, {"4 - 5 -log(H+)", "5 - 6 -log(H+)", "6 - 8 -log(H+)"}},
        // Standard deviations around the mean of the cells; open at both ends.
        {cmStandardized,
         4,
         {mean - sd, mean, mean + sd},
         {"< 4.4 -log(H+)", "4.4 - 5.7 -log(H+)", "5.7 - 7.0 -log(H+)", "> 7.0 -log(H+)"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Method);
        Legend.SetNumClasses(c.Count);
        ASSERT_TRUE(Legend.Classify(c.Method));
        ASSERT_EQ(Legend.Classes().Count(), c.Count);
        const std::vector<double> bounds = Bounds(c.Count - 1);
        for (std::size_t i = 0; i < bounds.size(); ++i)
            EXPECT_NEAR(bounds[i], c.Bounds[i], 1e-9) << i;
        EXPECT_EQ(Labels(), c.Labels);
    }
}

TEST_F(PropertyLegendTest, CellsTakeTheColourOfTheirValuesClassAndNoValueIsNoData) {
    Legend.SetNumClasses(2);
    Legend.Classify(cmQuantiles); // 4 - 5 and 5 - 8
    TClassFields classes = Legend.Classes();
    classes.ClassColors[0] = 0xFF112233;
    classes.ClassColors[1] = 0xFF445566;
    Legend.SetClasses(classes);
    EXPECT_EQ(Legend.CellColor(1), 0xFF112233u);
    EXPECT_EQ(Legend.CellColor(2), 0xFF112233u) << "a value on a bound belongs to the class below it";
    EXPECT_EQ(Legend.CellColor(3), 0xFF445566u);
    EXPECT_EQ(Legend.CellColor(5), kNoDataColor) << "a unit without a value";
    EXPECT_EQ(Legend.CellColor(7), kNoDataColor) << "a unit the index does not hold";
    EXPECT_EQ(Legend.CellColor(0), kNoDataColor);
    // The colour table agrees, and the statistics and export see the same classes.
    const std::vector<QRgb>& table = Legend.RebuildColorTable();
    for (int v : {0, 1, 2, 3, 4, 5, 7})
        EXPECT_EQ(table[v], Legend.CellColor(static_cast<std::uint16_t>(v)) | 0xFF000000u) << v;
    EXPECT_EQ(Legend.ValueOf(3), 6.0);
    EXPECT_EQ(Legend.ClassOf(Legend.ValueOf(3)), 1);
    EXPECT_EQ(Legend.ClassOf(Legend.ValueOf(5)), -1);

    // The statistics and the export take the same classes, and the values themselves.
    const TCellClasses cells = CellClassesOf(Legend, Host.Lookup);
    EXPECT_EQ(cells.ClassOfValue(1), 0);
    EXPECT_EQ(cells.ClassOfValue(3), 1);
    EXPECT_EQ(cells.ClassOfValue(5), kNoClass);
    ASSERT_TRUE(cells.HasValues());
    EXPECT_EQ(cells.Values[3], 6.0f);
    EXPECT_TRUE(std::isnan(cells.Values[5]));
    EXPECT_EQ(cells.Units, "-log(H+)");

    Host.Lookup.Selected = {3};
    EXPECT_EQ(Legend.CellColor(3), Host.SelectColor) << "the query selection shows on property maps too";
}

TEST(PropertyMapTest, ReadoutTextsCarryTheUnit) {
    const std::shared_ptr<TPropertyMap> map = PhMap();
    EXPECT_EQ(map->ValueText(1), "4 -log(H+)");
    EXPECT_EQ(map->ValueText(5), "N.A");
    EXPECT_EQ(map->ValueText(99), "N.A");
    EXPECT_EQ(map->Theme().Units, "") << "the map's cells stay SMU ids";
    EXPECT_EQ(map->Theme().FileName, "TAMO2.bil");
}
