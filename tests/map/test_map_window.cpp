#include "MapWindowFixture.h"
#include "map/LegendTree.h"
#include "map/MapExplorerForm.h"
#include "map/ScaleBar.h"
#include "raster/RasterLocator.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>
#include <QTimer>
#include <QTreeWidget>
#include <atomic>
#include <gtest/gtest.h>

namespace {

constexpr int kCols = kMapCols;
constexpr int kRows = kMapRows;
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kGreen = 0xFF00FF00;
constexpr QRgb kBlue = 0xFF0000FF;

// Blocks of 40 x 40 cells; SMU id = 1 + block column + 10 x block row, its WRB2 code the same
// number. Classes: codes up to 10 red, up to 30 green, the rest blue.
std::uint32_t CellOf(int c, int r) {
    if (c == kCols - 1 && r == kRows - 1)
        return 3482;
    return 1 + c / 40 + 10 * (r / 40);
}

class MapWindowTest : public TMapWindowFixture {
protected:
    std::vector<std::unique_ptr<TMapExplorerForm>> Windows;

    void SetUp() override {
        MakeMapData(CellOf, 60);
        Host.Lookup.Codes[3482] = 3482;
        SetClassSet({10, 30, 1000}, {"low", "middle", "high"}, {kRed, kGreen, kBlue});
    }

    TMapExplorerForm& NewWindow(QSize size = {588, 300}) {
        Windows.push_back(ShownForm(size));
        TMapExplorerForm& form = *Windows.back();
        Host.Maps << &form;
        return form;
    }
    TMapExplorerForm& OpenWindow(QSize size = {588, 300}) {
        TMapExplorerForm& form = NewWindow(size);
        EXPECT_TRUE(form.OpenTheme(&Theme, 0, kCols, 0, kRows));
        WaitForDrawing(form);
        return form;
    }
    // A pixel of the map once the drawing in progress has shown its picture.
    static QRgb Pixel(TMapExplorerForm& form, int x, int y) {
        WaitForDrawing(form);
        return form.Image32View->Bitmap.pixel(x, y);
    }
    // A click as a user makes it: on the finished map (a press during a drawing is ignored).
    static void Click(TMapExplorerForm& form, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        WaitForDrawing(form);
        QTest::mouseClick(form.Image32View, button, {}, at);
    }
    static void Drag(TMapExplorerForm& form, QPoint from, QPoint to) {
        WaitForDrawing(form);
        QTest::mousePress(form.Image32View, Qt::LeftButton, {}, from);
        QTest::mouseMove(form.Image32View, to);
        QTest::mouseRelease(form.Image32View, Qt::LeftButton, {}, to);
    }
};

} // namespace

TEST_F(MapWindowTest, OpensAThemeAndDrawsTheColouredMapWithItsLegend) {
    Theme.Units = "cm";
    TMapExplorerForm& form = NewWindow();
    EXPECT_EQ(form.windowTitle(), "TAMO Soil Database");
    ASSERT_TRUE(form.OpenTheme(&Theme, 0, kCols, 0, kRows));
    EXPECT_EQ(form.windowTitle(), "Soils (cm)");
    EXPECT_EQ(form.GetView(), (TViewRect{0, kCols - 1, 0, kRows - 1}));
    // Block (0, 0) is SMU 1 (red), block (5, 0) SMU 6 (red), block (0, 1) SMU 11 (green), block
    // (0, 3) SMU 31 (blue).
    const double scale = form.View().Scale();
    auto at = [&](int col, int row) { return Pixel(form, int(col * scale) + 1, int(row * scale) + 1); };
    EXPECT_EQ(at(5, 5), kRed);
    EXPECT_EQ(at(205, 5), kRed);
    EXPECT_EQ(at(5, 45), kGreen);
    EXPECT_EQ(at(5, 125), kBlue);

    QTreeWidget& tree = *form.LegendTreeView;
    ASSERT_EQ(tree.topLevelItemCount(), 2);
    EXPECT_EQ(tree.topLevelItem(0)->text(0), "Dominant Soils");
    EXPECT_EQ(tree.topLevelItem(0)->data(0, lrState).toInt(), 2);
    ASSERT_EQ(tree.topLevelItem(0)->childCount(), 3);
    EXPECT_EQ(tree.topLevelItem(0)->child(1)->text(0), "middle");
    EXPECT_EQ(tree.topLevelItem(0)->child(1)->toolTip(0), "middle"); // for a label the panel cuts
    EXPECT_EQ(tree.topLevelItem(1)->text(0), "Shape Layers");
    EXPECT_EQ(tree.topLevelItem(1)->childCount(), 1);
    EXPECT_TRUE(tree.topLevelItem(0)->isExpanded());

    EXPECT_EQ(Host.StatusTexts.indexOf("Drawing Map ..."), 0);
    EXPECT_EQ(Host.StatusTexts.indexOf("Loading Shape files ..."), 1); // the world outlines
    EXPECT_EQ(Host.StatusTexts.last(), "");
    EXPECT_FALSE(form.IsDrawing());
    EXPECT_FALSE(form.btnStop->isVisible());
    ASSERT_FALSE(Host.ClassificationControls.empty());
    EXPECT_EQ(Host.ClassificationControls.back(), (std::pair{3, 3}));
    EXPECT_EQ(Host.RampIndexes, std::vector<int>{0});
    // The frame is told which raster the window uses.
    EXPECT_EQ(Host.RastersInUse, QStringList{Cache + "TAMO2.bil"});
}

TEST_F(MapWindowTest, AMissingRasterIsReportedAndTheThemeIsNotOpened) {
    QFile::remove(Host.Settings.RasterFile);
    TMapExplorerForm& form = NewWindow();
    EXPECT_FALSE(form.OpenTheme(&Theme, 0, kCols, 0, kRows));
    ASSERT_EQ(Responder.Messages.size(), 1u);
    EXPECT_EQ(Responder.Messages[0].Text, kRasterNotFoundMessage);
    EXPECT_EQ(Responder.Messages[0].Caption, "Error");
    EXPECT_EQ(form.CellValueText(0, 0), "-");
}

TEST_F(MapWindowTest, ReadoutTextsAndThePointerReport) {
    TMapExplorerForm& form = NewWindow();
    EXPECT_EQ(form.CellValueText(3, 3), "-");
    ASSERT_TRUE(form.OpenTheme(&Theme, 0, kCols, 0, kRows));
    EXPECT_EQ(form.CellValueText(kCols - 1, kRows - 1), "3482 ");
    EXPECT_EQ(form.CellValueText(45, 0), "2 ");
    EXPECT_EQ(form.ReadCellValue(TCellAddress::Pixel, 0, 0), 1);

    WaitForDrawing(form); // the pointer is not reported during a drawing
    QTest::mouseMove(form.Image32View, QPoint(1, 1));
    ASSERT_FALSE(Host.DataPoints.empty());
    EXPECT_EQ(Host.DataPoints.back().Col, 1);
    EXPECT_EQ(Host.DataPoints.back().Row, 1);
    EXPECT_NEAR(Host.DataPoints.back().Lon, 0.5 * 360 / kCols - 180, 1e-9);
    EXPECT_NEAR(Host.DataPoints.back().Lat, 90 - 0.5 * 180 / kRows, 1e-9);

    // The pointer leaves the map: the readout must not keep that place's values.
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(form.Image32View, &leave);
    EXPECT_EQ(Host.DataPointClears, 1);
}

TEST_F(MapWindowTest, HiddenClassesAndTheSelectionChangeTheColours) {
    TMapExplorerForm& form = OpenWindow();
    form.Manager().SetClassVisible(0, false);
    Host.Lookup.Selected = {11};
    form.Redraw();
    const double scale = form.View().Scale();
    EXPECT_EQ(Pixel(form, int(5 * scale), int(5 * scale)), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(form, int(5 * scale), int(45 * scale)), 0xFF0000FFu); // the selection colour 255
    EXPECT_EQ(form.LegendTreeView->topLevelItem(0)->child(0)->data(0, lrState).toInt(), 1);

    // Without the raster layer the map is white.
    form.Manager().RasterVisible = false;
    form.Redraw();
    EXPECT_EQ(Pixel(form, int(5 * scale), int(45 * scale)), 0xFFFFFFFFu);
}

TEST_F(MapWindowTest, ZoomInByClickingAndViewAll) {
    TMapExplorerForm& form = OpenWindow();
    form.SetTool(mtZoomIn);
    const double scale = form.View().Scale(); // 389 / 400
    Click(form, QPoint(194, 97));
    // Cell (199.49, 99.74) with a view 399 x 199 wide: 120 .. 278 and 60 .. 139.
    EXPECT_NEAR(194 / scale, 199.49, 0.01);
    EXPECT_EQ(form.GetView(), (TViewRect{120, 278, 60, 139}));
    EXPECT_EQ(form.Tool, mtZoomIn); // PersistentView on

    form.SetTool(mtViewAll);
    EXPECT_EQ(form.GetView(), (TViewRect{0, kCols - 1, 0, kRows - 1}));
}

TEST_F(MapWindowTest, WithoutPersistentViewTheToolEndsAfterOneClick) {
    Host.Settings.PersistentView = false;
    TMapExplorerForm& form = OpenWindow();
    form.SetTool(mtZoomIn);
    Click(form, QPoint(100, 100));
    EXPECT_EQ(form.Tool, mtNoAction);
    const TViewRect view = form.GetView();
    Click(form, QPoint(100, 100)); // no tool: the view stays
    EXPECT_EQ(form.GetView(), view);
}

// A real click: the button comes up while the drawing started by the press is still running.
TEST_F(MapWindowTest, AReleaseDuringTheDrawingOfItsPressIsCarriedOutAtOnce) {
    Host.Settings.PersistentView = false;
    Host.Settings.SynchronizeWindows = true;
    TMapExplorerForm& first = OpenWindow({600, 450});
    TMapExplorerForm& second = OpenWindow({500, 350});
    WaitForDrawing(first);
    first.SetRowGate(SlowRows());
    first.SetTool(mtZoomIn);
    const int synchronizationsBefore = Host.Synchronizations;
    QTest::mousePress(first.Image32View, Qt::LeftButton, {}, QPoint(120, 80));
    ASSERT_TRUE(first.IsDrawing());
    QTest::mouseRelease(first.Image32View, Qt::LeftButton, {}, QPoint(120, 80));
    EXPECT_EQ(first.Tool, mtNoAction);
    EXPECT_GT(Host.Synchronizations, synchronizationsBefore);
    EXPECT_EQ(second.GetView().Col0, first.GetView().Col0);
    EXPECT_FALSE(first.Dragging);
}

TEST_F(MapWindowTest, AZoomRectangleGivesTheSameCellsWhicheverWayItIsDragged) {
    TMapExplorerForm& form = OpenWindow();
    const QPoint topLeft(50, 40), bottomRight(250, 160);
    std::vector<TViewRect> views;
    for (const auto& [from, to] : {std::pair{topLeft, bottomRight},
                                   {bottomRight, topLeft},
                                   {QPoint(50, 160), QPoint(250, 40)},
                                   {QPoint(250, 40), QPoint(50, 160)}}) {
        form.SetTool(mtViewAll);
        form.SetTool(mtZoomRectangle);
        Drag(form, from, to);
        views.push_back(form.GetView());
        EXPECT_FALSE(form.Image32View->Rubber.has_value());
    }
    const double scale = 389.0 / 400;
    EXPECT_EQ(views[0].Col0, int(RoundHalfEven(50 / scale)));
    EXPECT_EQ(views[0].Row1, int(RoundHalfEven(160 / scale)));
    for (const TViewRect& view : views)
        EXPECT_EQ(view, views[0]);
}

TEST_F(MapWindowTest, ATinyRectangleZoomsInAroundItsFirstCorner) {
    TMapExplorerForm& byClick = OpenWindow();
    byClick.SetTool(mtZoomIn);
    Click(byClick, QPoint(60, 50));
    TMapExplorerForm& byRectangle = OpenWindow();
    byRectangle.SetTool(mtZoomRectangle);
    Drag(byRectangle, QPoint(61, 58), QPoint(60, 50)); // about 1 x 8 cells
    EXPECT_EQ(byRectangle.GetView(), byClick.GetView());
}

TEST_F(MapWindowTest, TheRubberRectangleFollowsThePointer) {
    TMapExplorerForm& form = OpenWindow();
    form.SetTool(mtZoomRectangle);
    QTest::mousePress(form.Image32View, Qt::LeftButton, {}, QPoint(30, 30));
    QTest::mouseMove(form.Image32View, QPoint(80, 20));
    ASSERT_TRUE(form.Image32View->Rubber.has_value());
    EXPECT_EQ(*form.Image32View->Rubber, QRect(QPoint(30, 20), QPoint(80, 30)));
    const QImage screen = form.Image32View->grab().toImage();
    int changed = 0;
    for (int x = 30; x <= 80; ++x)
        changed += screen.pixel(x, 20) != Pixel(form, x, 20);
    EXPECT_GT(changed, 10); // drawn on the screen, dotted
    EXPECT_EQ(screen.pixel(55, 25), Pixel(form, 55, 25));
    QTest::mouseRelease(form.Image32View, Qt::LeftButton, {}, QPoint(80, 20));
}

TEST_F(MapWindowTest, PanningMovesTheViewAndNeverBeyondTheNorthWestCorner) {
    TMapExplorerForm& form = OpenWindow();
    form.SetViewAndDraw(100, 199, 50, 126); // the panel's shape: its centre is the view's centre
    const TViewRect before = form.GetView();
    const double scale = form.View().Scale();
    form.SetTool(mtPan);
    WaitForDrawing(form);
    QTest::mousePress(form.Image32View, Qt::LeftButton, {}, QPoint(200, 150));
    QTest::mouseMove(form.Image32View, QPoint(150, 120));
    EXPECT_EQ(form.Image32View->pos(), QPoint(-50, -30)); // the map slides with the mouse
    QTest::mouseRelease(form.Image32View, Qt::LeftButton, {}, QPoint(150 - 50, 120 - 30));
    const TViewRect after = form.GetView();
    EXPECT_NEAR(after.Col0 - before.Col0, 50 / scale, 1.5);
    EXPECT_NEAR(after.Row0 - before.Row0, 30 / scale, 1.5);
    EXPECT_EQ(form.View().Scale(), scale);
    EXPECT_EQ(form.Image32View->pos(), QPoint(0, 0));

    // Dragging the whole world east would put the view west of column 0: it stays.
    form.SetTool(mtViewAll);
    const TViewRect world = form.GetView();
    form.SetTool(mtPan);
    Drag(form, QPoint(100, 100), QPoint(200, 100));
    EXPECT_EQ(form.GetView(), world);
}

TEST_F(MapWindowTest, ZoomingOutWidensLittleNearTheNorthWestAndMuchFarFromIt) {
    TMapExplorerForm& form = OpenWindow();
    form.SetTool(mtZoomOut);
    form.SetViewAndDraw(0, 39, 0, 19);
    Click(form, QPoint(10, 10));
    const TViewRect nearCorner = form.GetView();
    EXPECT_EQ(nearCorner.Col0, 0);
    EXPECT_LE(nearCorner.Col1 - nearCorner.Col0, 45);

    form.SetViewAndDraw(300, 339, 150, 169);
    const double scale = form.View().Scale();
    Click(form, QPoint(int(20 * scale), int(10 * scale)));
    const TViewRect far = form.GetView();
    EXPECT_GE(far.Col1 - far.Col0, 70);
}

TEST_F(MapWindowTest, SynchronisedWindowsFollowEveryViewChange) {
    Host.Settings.SynchronizeWindows = true;
    TMapExplorerForm& first = OpenWindow();
    TMapExplorerForm& second = OpenWindow({500, 350});
    first.SetTool(mtZoomIn);
    Click(first, QPoint(120, 80));
    EXPECT_GE(Host.Synchronizations, 1);
    EXPECT_EQ(second.GetView().Col0, first.GetView().Col0);
    EXPECT_EQ(second.GetView().Row0, first.GetView().Row0);

    Host.Settings.SynchronizeWindows = false;
    second.SetTool(mtViewAll);
    EXPECT_NE(second.GetView().Col0, first.GetView().Col0);
}

TEST_F(MapWindowTest, TheClickMarkerIsDrawnAndErased) {
    TMapExplorerForm& form = OpenWindow();
    const QRgb under = Pixel(form, 20, 20);
    form.MarkPoint(20, 20, TMarkAction::Draw);
    EXPECT_EQ(Pixel(form, 17, 20), 0xFF000000u);
    EXPECT_EQ(Pixel(form, 20, 23), 0xFF000000u);
    EXPECT_EQ(Pixel(form, 21, 21), under);
    form.MarkPoint(40, 40, TMarkAction::Draw); // moves: the first is erased
    EXPECT_EQ(Pixel(form, 17, 20), under);
    form.MarkPoint(0, 0, TMarkAction::Erase);
    EXPECT_EQ(Pixel(form, 40, 37), Pixel(form, 41, 37));
    form.MarkPoint(1, 1, TMarkAction::Draw); // partly outside the bitmap
    EXPECT_EQ(Pixel(form, 0, 1), 0xFF000000u);
}

TEST_F(MapWindowTest, TheSmuToolsOpenTheClickedUnit) {
    TMapExplorerForm& form = OpenWindow();
    const double scale = form.View().Scale();
    form.SetTool(mtSmuTable);
    Click(form, QPoint(int(45 * scale), int(45 * scale)));
    EXPECT_EQ(Host.Tables, std::vector<int>{12});
    form.SetTool(mtSmuOverview);
    Click(form, QPoint(int(5 * scale), int(85 * scale)));
    EXPECT_EQ(Host.Overviews, std::vector<int>{21});
    // The id is the cell's value, whatever units the theme gives its readout.
    Theme.Units = "cm";
    Click(form, QPoint(int(45 * scale), int(45 * scale)));
    form.SetTool(mtSmuTable);
    Click(form, QPoint(int(5 * scale), int(85 * scale)));
    EXPECT_EQ(Host.Overviews, (std::vector<int>{21, 12}));
    EXPECT_EQ(Host.Tables, (std::vector<int>{12, 21}));
}

// A drawing whose rows come slowly leaves the event loop free, and Stop ends it at its next row
// with the rows drawn so far shown.
TEST_F(MapWindowTest, TheStopButtonEndsADrawingAndLeavesTheDrawnRows) {
    TMapExplorerForm& form = OpenWindow({600, 450});
    WaitForDrawing(form);
    std::atomic<int> rows{0};
    form.SetRowGate(SlowRows(&rows));
    form.Redraw();
    ASSERT_TRUE(form.IsDrawing());
    EXPECT_TRUE(form.btnStop->isVisible());
    EXPECT_GE(form.btnStop->width(), form.btnStop->fontMetrics().horizontalAdvance("Stop Drawing"));
    // Timers fire while the map is drawn.
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ticks >= 3 && rows >= 20; }, kWaitDeadlineMs));
    ASSERT_TRUE(form.IsDrawing());
    QTest::mouseClick(form.btnStop, Qt::LeftButton);
    const int rowsAtStop = rows;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form.IsDrawing(); }, kWaitDeadlineMs));
    // Each band stops before its next row: at most one row more per band.
    EXPECT_LE(rows - rowsAtStop, RenderBands());
    EXPECT_FALSE(form.btnStop->isVisible());
    EXPECT_EQ(Host.StatusTexts.last(), "");
    EXPECT_EQ(Pixel(form, 5, 2), kRed);          // drawn before the stop
    EXPECT_EQ(Pixel(form, 5, 220), 0xFFFFFFFFu); // never reached
}

TEST_F(MapWindowTest, TheRightButtonStopsADrawing) {
    TMapExplorerForm& form = OpenWindow({600, 450});
    WaitForDrawing(form);
    form.SetRowGate(SlowRows());
    form.SetTool(mtZoomIn);
    const TViewRect view = form.GetView();
    form.Redraw();
    QTest::mousePress(form.Image32View, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(Pixel(form, 5, 220), 0xFFFFFFFFu);
    EXPECT_EQ(form.GetView(), view) << "the press only stops";
    EXPECT_FALSE(form.IsDrawing());
}

TEST_F(MapWindowTest, ARedrawDuringADrawingEndsTheOlderOne) {
    TMapExplorerForm& form = OpenWindow({600, 450});
    WaitForDrawing(form);
    form.SetRowGate(SlowRows());
    QSignalSpy finished(&form, &TMapExplorerForm::DrawingFinished);
    form.Redraw();
    ASSERT_TRUE(form.IsDrawing());
    form.Manager().RasterVisible = false; // the newer drawing paints nothing
    form.Redraw();
    WaitForDrawing(form);
    // The older drawing's picture never replaces the newer one's, not even once it ends.
    ASSERT_TRUE(QThreadPool::globalInstance()->waitForDone(5000));
    QCoreApplication::processEvents();
    const QImage& bitmap = form.Image32View->Bitmap;
    const QRect scaleBar = ScaleBarBox(ScaleBarOf(form.View(), bitmap.size()), bitmap.size());
    bool allWhite = true;
    for (int y = 0; y < bitmap.height() && allWhite; y += 7)
        for (int x = 0; x < bitmap.width() && allWhite; x += 7)
            allWhite = scaleBar.contains(x, y) || bitmap.pixel(x, y) == 0xFFFFFFFFu;
    EXPECT_TRUE(allWhite);
    EXPECT_FALSE(form.btnStop->isVisible());
    EXPECT_EQ(finished.count(), 1);
}

TEST_F(MapWindowTest, ClosingDuringADrawingIsSafe) {
    QMdiArea area;
    area.resize(800, 600);
    area.show();
    auto* form = new TMapExplorerForm(Host);
    QPointer<QMdiSubWindow> sub = area.addSubWindow(form);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->resize(600, 450);
    sub->show();
    QCoreApplication::processEvents();
    ASSERT_TRUE(form->OpenTheme(&Theme, 0, kCols, 0, kRows));
    WaitForDrawing(*form);
    std::atomic<int> rows{0};
    form->SetRowGate(SlowRows(&rows));
    form->Redraw();
    ASSERT_TRUE(form->IsDrawing());
    EXPECT_TRUE(sub->close()) << "a drawing does not hold the window";
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return sub.isNull();
        },
        kWaitDeadlineMs));
    // The cancelled job ends on its own; nothing of it reaches the freed window.
    const int rowsAtClose = rows;
    ASSERT_TRUE(QThreadPool::globalInstance()->waitForDone(5000));
    QCoreApplication::processEvents();
    EXPECT_LE(rows - rowsAtClose, RenderBands());
}

TEST_F(MapWindowTest, ResizingRedrawsAtTheNewSizeOnceSizingEnds) {
    TMapExplorerForm& form = OpenWindow();
    form.resize(700, 400);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.Image32View->size(), form.MapPanel->size());
    // Drawn anew once the sizing has ended.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return form.Image32View->Bitmap.size() == form.MapPanel->size() && !form.IsDrawing(); },
        kWaitDeadlineMs));
    EXPECT_EQ(form.View().TargetHeight(), form.MapPanel->height());
    EXPECT_EQ(Pixel(form, 5, 5), kRed);
}

TEST_F(MapWindowTest, RecreateManagerLeavesNoThemeOpen) {
    TMapExplorerForm& form = OpenWindow();
    form.RecreateManager();
    EXPECT_FALSE(form.Manager().ThemeOpen);
    EXPECT_TRUE(form.Manager().RasterVisible);
    EXPECT_EQ(form.CellValueText(0, 0), "-");
    form.Redraw(); // nothing to fit: stays white
    EXPECT_EQ(Pixel(form, 5, 5), 0xFFFFFFFFu);
}

TEST_F(MapWindowTest, AViewThatDoesNotFitLeavesAWhiteMapOnTheScreen) {
    TMapExplorerForm& form = OpenWindow();
    // What the screen shows, not what the widget would paint if asked now.
    const auto onScreen = [&form](QPoint at) {
        QCoreApplication::processEvents();
        const QPoint inWindow = form.Image32View->mapTo(&form, at);
        return form.screen()
            ->grabWindow(form.winId(), inWindow.x(), inWindow.y(), 1, 1)
            .toImage()
            .pixel(0, 0);
    };
    ASSERT_EQ(onScreen({5, 5}), kRed);
    form.SetViewAndDraw(kCols + 10, kCols + 50, 0, 10); // starts east of the raster: no fit
    EXPECT_EQ(Pixel(form, 5, 5), 0xFFFFFFFFu);
    EXPECT_EQ(onScreen({5, 5}), 0xFFFFFFFFu);
}

TEST_F(MapWindowTest, APanDragMovesTheMapByTheDraggedDistance) {
    TMapExplorerForm& form = OpenWindow();
    // A view of another shape than the panel's: the map shows more rows than were asked for.
    form.SetViewAndDraw(100, 199, 50, 99);
    WaitForDrawing(form);
    const QImage before = form.Image32View->Bitmap;
    form.SetTool(mtPan);
    QTest::mousePress(form.Image32View, Qt::LeftButton, {}, QPoint(200, 150));
    QTest::mouseMove(form.Image32View, QPoint(150, 120));
    QTest::mouseRelease(form.Image32View, Qt::LeftButton, {}, QPoint(200, 150));
    WaitForDrawing(form);
    const QImage& after = form.Image32View->Bitmap;
    ASSERT_EQ(after.size(), before.size());
    // Every pixel shows what was 50 pixels right and 30 below it, but where a cell edge falls
    // within the half pixel that whole cells and pixels cannot share.
    int compared = 0, differing = 0;
    for (int y = 0; y + 30 < after.height(); y += 3)
        for (int x = 0; x + 50 < after.width(); x += 3) {
            ++compared;
            differing += after.pixel(x, y) != before.pixel(x + 50, y + 30);
        }
    EXPECT_LT(differing, compared / 50) << differing << " of " << compared;
}

TEST_F(MapWindowTest, BeyondTheRasterTheMapIsWhiteAndTheReadoutHasNoValue) {
    // Wider than the world: 400 columns take about 602 of the 688 pixels of the panel.
    TMapExplorerForm& wide = OpenWindow({900, 300});
    const double scale = wide.View().Scale();
    const int lastColumnPixel = int((kCols - 0.5) * scale);
    EXPECT_EQ(Pixel(wide, lastColumnPixel, 100), kGreen); // SMU 30 in the last block column
    EXPECT_EQ(Pixel(wide, lastColumnPixel + 5, 100), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(wide, wide.Image32View->width() - 1, 100), 0xFFFFFFFFu);

    QTest::mouseMove(wide.Image32View, QPoint(lastColumnPixel + 20, 100));
    ASSERT_FALSE(Host.DataPoints.empty());
    const TDataPoint point = Host.DataPoints.back();
    EXPECT_GE(point.Col, kCols);
    EXPECT_EQ(wide.CellValueText(point.Col, point.Row), "-");
    EXPECT_EQ(wide.CellValueText(kCols - 1, point.Row), "20 ");
    // The SMU tools find no unit there, and say nothing.
    wide.SetTool(mtSmuTable);
    Click(wide, QPoint(lastColumnPixel + 20, 100));
    EXPECT_TRUE(Host.Tables.empty());
    EXPECT_TRUE(Responder.Messages.empty());

    // Taller than the world: the rows south of the last one are white, not the last row again.
    TMapExplorerForm& tall = OpenWindow({600, 300});
    const int lastRowPixel = int((kRows - 0.5) * tall.View().Scale());
    EXPECT_EQ(Pixel(tall, 100, lastRowPixel), kBlue);
    EXPECT_EQ(Pixel(tall, 100, lastRowPixel + 5), 0xFFFFFFFFu);
    EXPECT_EQ(tall.CellValueText(100, kRows), "-");
}

TEST_F(MapWindowTest, TheLegendPanelWidensForItsLabels) {
    Theme.LayerName = "Reference Soil Groups (WRB 2022)";
    TMapExplorerForm& form = OpenWindow({1200, 400});
    const QString heading = "Dominant Reference Soil Groups (WRB 2022)";
    const int text = form.LegendTreeView->fontMetrics().horizontalAdvance(heading);
    // The heading's text, after its indentation and its 48-pixel icon, is not cut.
    EXPECT_GT(form.LegendTreeView->viewport()->width(), text + 48);
    EXPECT_LE(form.Panel->width(), form.width() / 3 + 1);

    // In a narrow window the heading ends in "..." within the panel, its whole text in its tool tip.
    form.resize(450, 400);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.Panel->width() <= form.width() / 3 + 1; }, 5000));
    QTreeWidget& tree = *form.LegendTreeView;
    const QTreeWidgetItem* top = tree.topLevelItem(0);
    ASSERT_LT(tree.viewport()->width(), text + 48);
    EXPECT_EQ(tree.textElideMode(), Qt::ElideRight);
    EXPECT_EQ(tree.horizontalScrollBar()->maximum(), 0) << "cut off, not elided";
    EXPECT_LE(tree.visualItemRect(top).right(), tree.viewport()->width());
    EXPECT_EQ(top->toolTip(0), heading);
}
