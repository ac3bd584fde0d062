// Map windows on a screen of device pixel ratio 2 (this program runs with QT_SCALE_FACTOR=2).
// The map is drawn at device pixels and shown one to one; the pointer's positions (in the
// control's own, logical units) reach the view as device pixels.

#include "MapWindowFixture.h"
#include "map/MapExplorerForm.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kGreen = 0xFF00FF00;
constexpr QRgb kBlue = 0xFF0000FF;

// Blocks of 40 x 40 cells; the WRB2 code of each SMU is its id.
constexpr auto CellOf = BlockUnitOf;

class HiDpiMapTest : public TMapWindowFixture {
protected:
    std::unique_ptr<TMapExplorerForm> Form;

    void SetUp() override {
        MakeMapData(CellOf, 60);
        SetClassSet({10, 30, 1000}, {"low", "middle", "high"}, {kRed, kGreen, kBlue});
        Form = ShownForm({600, 300});
        ASSERT_EQ(Form->Image32View->devicePixelRatioF(), 2.0) << "built with SCALE_FACTOR 2";
        ASSERT_TRUE(Form->OpenTheme(&Theme, 0, kMapCols, 0, kMapRows));
        WaitForDrawing(*Form);
    }
    const QImage& Bitmap() const { return Form->Image32View->Bitmap; }
    // The pointer moved to `at` of the image control, exactly there (QTest's move goes through the
    // window system's cursor, which at a scale factor may land a pixel off).
    void MoveTo(QPoint at, Qt::MouseButtons buttons = Qt::NoButton) {
        QWidget* control = Form->Image32View;
        QMouseEvent move(QEvent::MouseMove, QPointF(at), control->mapToGlobal(QPointF(at)), Qt::NoButton,
                         buttons, Qt::NoModifier);
        QApplication::sendEvent(control, &move);
    }
    // The cell a bitmap pixel shows, from the view's scale alone.
    TCellIndex CellAt(int x, int y) const {
        const double scale = Form->View().Scale();
        return {int(x / scale), int(y / scale)};
    }
};

} // namespace

TEST_F(HiDpiMapTest, TheMapIsDrawnAtDevicePixelsAndShownOneToOne) {
    TImage32View& control = *Form->Image32View;
    ASSERT_EQ(Bitmap().size(), control.size() * 2);
    EXPECT_EQ(Bitmap().devicePixelRatio(), 2.0);
    EXPECT_EQ(Form->View().TargetWidth(), Bitmap().width());
    EXPECT_EQ(Form->View().TargetHeight(), Bitmap().height());
    // The world's 400 columns across the control's width: about two device pixels per cell.
    EXPECT_NEAR(Form->View().Scale(), 2.0 * control.width() / kMapCols, 0.01);
    // Cell edges fall on single device pixels: row 40 (red above, green below) starts where the
    // view's scale puts it, not on the even pixel a picture drawn at half the size would have.
    const int edge = int(std::ceil(40 * Form->View().Scale()));
    EXPECT_EQ(Bitmap().pixel(10, edge - 1), kRed);
    EXPECT_EQ(Bitmap().pixel(10, edge), kGreen);
    // The scale bar stands in the bottom-left corner, in black (no class of this map is black).
    int black = 0;
    for (int y = Bitmap().height() * 3 / 4; y < Bitmap().height(); ++y)
        for (int x = 0; x < Bitmap().width() / 2; ++x)
            black += Bitmap().pixel(x, y) == 0xFF000000u;
    EXPECT_GT(black, 100);
    // On the screen, each bitmap pixel is one device pixel: nothing is scaled or smoothed.
    const QImage screen = control.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(screen.size(), Bitmap().size());
    EXPECT_TRUE(screen == Bitmap().convertToFormat(QImage::Format_RGB32));
}

TEST_F(HiDpiMapTest, TheReadoutAndTheClickToolsFindTheCellUnderThePointer) {
    // Control position (150, 100) is device pixel (300, 200): cell (154, 102) of SMU 24. Taken
    // as a device pixel unconverted, it would be cell (77, 51) of SMU 12.
    const QPoint at(150, 100);
    const TCellIndex cell = CellAt(300, 200);
    ASSERT_EQ(CellOf(cell.Col, cell.Row), 24u);
    MoveTo(at);
    ASSERT_FALSE(Host.DataPoints.empty());
    EXPECT_EQ(Host.DataPoints.back().Col, cell.Col);
    EXPECT_EQ(Host.DataPoints.back().Row, cell.Row);

    Form->SetTool(mtSmuTable);
    QTest::mouseClick(Form->Image32View, Qt::LeftButton, {}, at);
    EXPECT_EQ(Host.Tables, std::vector<int>{24});
    // The marker is centred on that device pixel, its arms as long on the screen as at ratio 1.
    EXPECT_EQ(Bitmap().pixel(300 - 6, 200), 0xFF000000u);
    EXPECT_EQ(Bitmap().pixel(300, 200 + 7), 0xFF000000u);
    EXPECT_NE(Bitmap().pixel(300 - 8, 200), 0xFF000000u);
}

TEST_F(HiDpiMapTest, ZoomRectangleAndPanWorkInDevicePixels) {
    Form->SetTool(mtZoomRectangle);
    // The rectangle's corner cells, rounded: device pixel (100, 60) is cell (51.5, 30.9).
    const double scale = Form->View().Scale();
    const int col0 = int(RoundHalfEven(100 / scale)), row0 = int(RoundHalfEven(60 / scale));
    QTest::mousePress(Form->Image32View, Qt::LeftButton, {}, QPoint(50, 30));
    MoveTo(QPoint(120, 90), Qt::LeftButton);
    ASSERT_TRUE(Form->Image32View->Rubber.has_value());
    EXPECT_EQ(*Form->Image32View->Rubber, QRect(QPoint(100, 60), QPoint(240, 180)));
    QTest::mouseRelease(Form->Image32View, Qt::LeftButton, {}, QPoint(120, 90));
    WaitForDrawing(*Form);
    EXPECT_EQ(Form->GetView().Col0, col0);
    EXPECT_EQ(Form->GetView().Row0, row0);

    // A drag by (-25, -15) control pixels moves the map by (-50, -30) device pixels.
    const QImage before = Bitmap();
    Form->SetTool(mtPan);
    QTest::mousePress(Form->Image32View, Qt::LeftButton, {}, QPoint(100, 75));
    MoveTo(QPoint(75, 60), Qt::LeftButton);
    QTest::mouseRelease(Form->Image32View, Qt::LeftButton, {}, QPoint(100, 75));
    WaitForDrawing(*Form);
    ASSERT_EQ(Bitmap().size(), before.size());
    int compared = 0, differing = 0;
    // Above the scale bar, which stays in its corner.
    for (int y = 0; y + 30 < Bitmap().height() - 160; y += 3)
        for (int x = 0; x + 50 < Bitmap().width(); x += 3) {
            ++compared;
            differing += Bitmap().pixel(x, y) != before.pixel(x + 50, y + 30);
        }
    EXPECT_LT(differing, compared / 50) << differing << " of " << compared;
}
