// The pointer readout of the frame: status-bar panels and the data-point grid, without a map.
#include "TestSupport.h"
#include "app/TAMOForm.h"
#include "app/ThemeTreeLayout.h"

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QLocale>
#include <QTableWidget>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {
// The expected text with the user's decimal separator.
QString Local(QString text) {
    return text.replace('.', QLocale::system().decimalPoint());
}

QString Cell(const QTableWidget& grid, int row, int column) {
    const QTableWidgetItem* item = grid.item(row, column);
    return item ? item->text() : QString();
}
} // namespace

TEST(FrameReadout, CoordinatesAreClampedAndLabelledByHemisphere) {
    struct TCase {
        double Longitude, Latitude;
        const char *LongitudeText, *LatitudeText;
    };
    const TCase cases[] = {
        {-180.0042, 89.99, "-180.00 W", "89.99 N"}, // the western edge cell never reads below -180
        {181.0, -91.0, "180.00 E", "-90.00 S"},
        {-500.0, 500.0, "-180.00 W", "90.00 N"},
        {0.0, 0.0, "0.00 W", "0.00 S"}, // zero is west and south
        {-0.0, -0.0, "0.00 W", "0.00 S"},
        {-12.5, 45.678, "-12.50 W", "45.68 N"}, // the number keeps its sign
        {0.004, -0.004, "0.00 E", "-0.00 S"},
    };
    TScopedEnvironment env;
    TTAMOForm frame;
    frame.show();
    frame.Action("aDataPoint")->trigger();
    ASSERT_TRUE(frame.DataPointWindow()->isVisible());
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.Longitude) + " " + std::to_string(c.Latitude));
        frame.ShowDataPoint(12, 34, c.Longitude, c.Latitude);
        EXPECT_EQ(frame.StatusPanel(1)->text(), "Image Pixel: 12,34");
        EXPECT_EQ(frame.StatusPanel(2)->text(),
                  "Image Coords: " + Local(c.LongitudeText) + ", " + Local(c.LatitudeText));
        EXPECT_EQ(Cell(*frame.DataPointGrid(), 1, 1), Local(c.LongitudeText));
        EXPECT_EQ(Cell(*frame.DataPointGrid(), 2, 1), Local(c.LatitudeText));
    }
}

TEST(FrameReadout, PanelsAndGridWithoutAMap) {
    TScopedEnvironment env;
    TTAMOForm frame;
    frame.show();
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    const Qt::Alignment alignments[5] = {left, left, left, Qt::AlignCenter, left};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(frame.StatusPanel(i)->alignment(), alignments[i]) << i;

    // The tool window is closed: the status bar follows the pointer, the grid is left alone.
    frame.ShowDataPoint(1, 2, 3.0, 4.0);
    EXPECT_EQ(frame.StatusPanel(3)->text(), "Image Value: -");
    EXPECT_EQ(Cell(*frame.DataPointGrid(), 1, 0), "");
    frame.Action("aDataPoint")->trigger();
    EXPECT_EQ(Cell(*frame.DataPointGrid(), 1, 0), "") << "filled only at the next pointer move";

    frame.ShowDataPoint(1, 2, 3.0, 4.0);
    EXPECT_EQ(frame.DataPointGrid()->rowCount(), 5);
    const QStringList labels = {"Label", "Longitude", "Latitude", "Soil Mapping Unit",
                                "Dominant Soil Unit (WRB2022)"};
    for (int row = 0; row < 5; ++row)
        EXPECT_EQ(Cell(*frame.DataPointGrid(), row, 0), labels[row]);
    EXPECT_EQ(Cell(*frame.DataPointGrid(), 3, 1), "-");
    EXPECT_EQ(Cell(*frame.DataPointGrid(), 4, 1), "-");

    // Column widths follow the tool window.
    frame.DataPointWindow()->resize(400, 200);
    const int labels0 = frame.DataPointGrid()->columnWidth(0);
    EXPECT_GE(labels0, 150);
    EXPECT_GE(labels0,
              frame.DataPointGrid()->fontMetrics().horizontalAdvance("Dominant Soil Unit (WRB2022)"));
    EXPECT_EQ(frame.DataPointGrid()->columnWidth(1), frame.DataPointWindow()->width() - labels0 - 5);
}

TEST(FrameReadout, TheThemeTreeFillsItsToolWindowClientArea) {
    struct TCase {
        QSize Client;
        QRect Tree;
    };
    const TCase cases[] = {
        {{291, 273}, {3, 0, 277, 272}},
        {{14, 1}, {3, 0, 0, 0}},
        {{5, 0}, {3, 0, 0, 0}},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(ThemeTreeGeometry(c.Client), c.Tree) << c.Client.width() << "x" << c.Client.height();

    TScopedEnvironment env;
    TTAMOForm frame;
    frame.show();
    frame.Action("aDataSelect")->trigger();
    frame.ThemeWindow()->resize(300, 400);
    frame.LayoutThemeTree();
    EXPECT_EQ(frame.ThemeTree()->geometry(), ThemeTreeGeometry(frame.ThemeWindow()->widget()->size()));
}
