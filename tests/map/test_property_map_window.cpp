// A property map in a map window: the drawn classes, its legend with the unit and the "No data"
// entry, the readout, and a reclassification.
#include "MapWindowFixture.h"
#include "map/LegendTree.h"
#include "themes/PropertyMap.h"

#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

// Blocks of 40 x 40 cells, SMU id = 1 + block column + 10 x block row (1 .. 50). The property's
// value of SMU k is k; the units of the second block row (11 .. 20) have none.
constexpr auto CellOf = BlockUnitOf;

class PropertyMapWindowTest : public TMapWindowFixture {
protected:
    std::shared_ptr<TPropertyMap> Property;

    void SetUp() override {
        MakeMapData(CellOf, 50);
        TPropertyIndex index;
        for (int smu = 1; smu <= 50; ++smu)
            index.SetValue(smu, smu > 10 && smu <= 20 ? kNone : double(smu));
        index.Finish();
        TPropertyAttribute clay;
        clay.Field = "CLAY";
        clay.Description = "Clay";
        clay.Unit = "% wt.";
        Property = std::make_shared<TPropertyMap>(
            Theme, clay,
            TPropertyDefinition{TPropertyLevel::Layer, "CLAY", "D5", TPropertyCombination::Dominant},
            std::move(index));
    }
    static QRgb RampColor(int entry) { return 0xFF000000u + static_cast<unsigned>(entry); }
};

} // namespace

TEST_F(PropertyMapWindowTest, DrawsEachUnitInTheClassOfItsValueWithALegendInTheUnit) {
    auto form = ShownForm();
    ASSERT_TRUE(form->OpenProperty(Property, cmEqualInterval, 5, Host.ColorRamp(0)));
    WaitForDrawing(*form);
    EXPECT_EQ(form->windowTitle(), "Clay, D5, dominant component");

    // Five classes of 9.8 over 1 .. 50; a distinct ramp gives class i its entry i x 39 div 5.
    const double scale = form->View().Scale();
    const auto at = [&](int col, int row) {
        return form->Image32View->Bitmap.pixel(int(col * scale) + 1, int(row * scale) + 1);
    };
    EXPECT_EQ(at(5, 5), RampColor(0));      // SMU 1
    EXPECT_EQ(at(365, 5), RampColor(0));    // SMU 10
    EXPECT_EQ(at(5, 45), 0xFFFFFFFFu);      // SMU 11: no value, white
    EXPECT_EQ(at(5, 85), RampColor(15));    // SMU 21, 20.6 - 30.4
    EXPECT_EQ(at(5, 165), RampColor(31));   // SMU 41, 40.2 - 50
    EXPECT_EQ(at(365, 165), RampColor(31)); // SMU 50, the largest value

    QTreeWidget& tree = *form->LegendTreeView;
    QTreeWidgetItem* root = tree.topLevelItem(0);
    EXPECT_EQ(root->text(0), "Clay, D5, dominant component");
    ASSERT_EQ(root->childCount(), 6);
    EXPECT_EQ(root->child(0)->text(0), "1.0 - 10.8 % wt.");
    EXPECT_EQ(root->child(4)->text(0), "40.2 - 50.0 % wt.");
    EXPECT_EQ(root->child(5)->text(0), "No data");
    EXPECT_EQ(root->child(5)->data(0, lrKind).toInt(), lnNoData);
    EXPECT_EQ(root->child(5)->data(0, lrState).toInt(), 0) << "no check box: there is nothing to hide";

    // The readout: the cell value stays the SMU id; the property's value comes beside it.
    EXPECT_EQ(form->CellValueText(5, 85), "21 ");
    EXPECT_EQ(form->PropertyValueText(5, 85), "21 % wt.");
    EXPECT_EQ(form->PropertyValueText(5, 45), "N.A");
    EXPECT_EQ(form->PropertyValueText(kMapCols + 5, 5), "") << "beyond the raster";
}

TEST_F(PropertyMapWindowTest, QuantilesOverTheCellsRedrawTheMap) {
    auto form = ShownForm();
    ASSERT_TRUE(form->OpenProperty(Property, cmEqualInterval, 5, Host.ColorRamp(0)));
    WaitForDrawing(*form);
    TQEVmanager& legend = form->Manager();
    legend.SetNumClasses(2);
    ASSERT_TRUE(legend.Classify(cmQuantiles));
    form->Redraw();
    WaitForDrawing(*form);
    // 40 units of equal area hold values: the median is 30 (the 20th value of 1..10, 21..50).
    EXPECT_EQ(legend.Classes().Breaks[0], 30);
    const double scale = form->View().Scale();
    EXPECT_EQ(form->Image32View->Bitmap.pixel(int(365 * scale) + 1, int(85 * scale) + 1),
              legend.Classes().ClassColors[0] | 0xFF000000u); // SMU 30
    EXPECT_EQ(form->Image32View->Bitmap.pixel(int(5 * scale) + 1, int(125 * scale) + 1),
              legend.Classes().ClassColors[1] | 0xFF000000u); // SMU 31
    EXPECT_EQ(form->LegendTreeView->topLevelItem(0)->child(0)->text(0), "1 - 30 % wt.");
}
