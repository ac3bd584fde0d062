// The frame's SMU tools, reports and query window on the small demo database and a world raster
// that holds one unit in a block of cells.
#include "FrameFixture.h"
#include "app/FrameReports.h"
#include "app/TAMOForm.h"
#include "db/TAMO.h"
#include "map/MapExplorerForm.h"
#include "query/QueryWindow.h"
#include "raster/AreaStatistics.h"
#include "reports/SoilPropsForm.h"
#include "reports/TableForm.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTableWidget>
#include <QToolBar>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace {
class FrameReports : public FrameOnData {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(FrameOnData::SetUp());
        CreateFrame();
        frame->resize(1000, 700);
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_NO_FATAL_FAILURE(WaitForMapOfTheWindowSize());
    }

    // Drawn at the size the window settled at (a resize redraws once it has ended).
    void WaitForMapOfTheWindowSize() {
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return !map->IsDrawing() && map->Image32View->Bitmap.size() == map->MapPanel->size(); },
            20000));
        FindPixelInsideTheUnit();
    }

    void FindPixelInsideTheUnit() {
        Inside = PixelInsideTheUnit(*map);
        ASSERT_FALSE(Inside.isNull());
    }

    // A pixel of `window` well inside the unit's block.
    static QPoint PixelInsideTheUnit(TMapExplorerForm& window) {
        const QImage& bitmap = window.Image32View->Bitmap;
        const int margin = kBlockSize / 4;
        for (int y = 0; y < bitmap.height(); ++y)
            for (int x = 0; x < bitmap.width(); ++x) {
                const TCellIndex cell = window.View().PixelToCellIndex(x, y);
                if (cell.Row > kBlockRow + margin && cell.Row < kBlockRow + kBlockSize - margin &&
                    cell.Col > kBlockCol + margin && cell.Col < kBlockCol + kBlockSize - margin)
                    return {x + 2, y + 2};
            }
        return {};
    }

    // A pixel beside the click marker, inside the unit.
    QRgb UnitPixel() const { return map->Image32View->Bitmap.pixel(Inside + QPoint(5, 0)) | 0xFF000000u; }
    void WaitForDrawing() { ASSERT_NO_FATAL_FAILURE(FrameOnData::WaitForDrawing(*map)); }

    QPoint Inside;
};

QStringList NamesOf(const QList<QAction*>& actions) {
    QStringList names;
    for (QAction* action : actions)
        names << (action->isSeparator() ? QString("-") : action->objectName());
    return names;
}

TEST_F(FrameReports, DataMenuAndToolbarCarryTheCommandsInOrder) {
    QMenu* data = nullptr;
    for (QAction* entry : frame->menuBar()->actions())
        if (entry->text() == "&Data")
            data = entry->menu();
    ASSERT_NE(data, nullptr);
    const QStringList menu = NamesOf(data->actions());
    ASSERT_GE(menu.size(), 6);
    EXPECT_EQ(menu.mid(0, 6), QStringList({"aSelectSMU", "aSelectSMUtable", "-", "aDataQuery",
                                           "aDataFindUnit", "aDataPropertyMap"}));
    const QStringList bar = NamesOf(frame->Toolbar("TBDataToolbar")->actions());
    EXPECT_EQ(bar.mid(0, 6),
              QStringList({"aSelectSMU", "aSelectSMUtable", "-", "aDataQuery", "aDataPropertyMap", "-"}));
    EXPECT_TRUE(frame->Action("aSelectSMU")->isVisible());
    EXPECT_TRUE(frame->Action("aSelectSMUtable")->isVisible());
    EXPECT_EQ(frame->Action("aSelectSMUtable")->text(), "SMU &table");
    EXPECT_EQ(frame->Action("aDataQuery")->text(), "Data &Query");
    EXPECT_TRUE(frame->Action("aDataQuery")->isEnabled());
    frame->Action("aFileCloseAll")->trigger();
    ASSERT_NO_FATAL_FAILURE(WaitUntilNoMapWindow());
    EXPECT_FALSE(frame->Action("aDataQuery")->isEnabled());
    EXPECT_FALSE(frame->Action("aSelectSMUtable")->isEnabled());
}

TEST_F(FrameReports, ClickWithTheTableToolShowsTheUnitAndHighlightDrawsIt) {
    const QRgb before = UnitPixel();
    frame->Action("aSelectSMUtable")->trigger();
    QTest::mouseClick(map->Image32View, Qt::LeftButton, {}, Inside);
    TTableForm* table = frame->Reports().TableForm();
    ASSERT_NE(table, nullptr);
    EXPECT_TRUE(table->isVisible());
    EXPECT_EQ(table->CurrentSmu(), Smu);
    EXPECT_EQ(table->lblmu_glob->text(), QString::number(Smu));
    EXPECT_GT(table->StringGrid->model()->columnCount(), 2);
    EXPECT_TRUE(map->Marker.Shown());

    QTest::mouseClick(table->btnHighlight, Qt::LeftButton);
    WaitForDrawing();
    EXPECT_EQ(UnitPixel(), 0xFF0000FFu); // the default selection colour, blue
    EXPECT_NE(before, 0xFF0000FFu);

    // Closing the table ends the selection and the marker; the next drawing shows the soil again.
    QTest::mouseClick(table->btnClose, Qt::LeftButton);
    EXPECT_FALSE(frame->Database()->SelectionActive());
    EXPECT_FALSE(map->Marker.Shown());
    frame->Action("aViewRedraw")->trigger();
    WaitForDrawing();
    EXPECT_EQ(UnitPixel(), before);
    // The same window comes back on the next click.
    frame->Action("aSelectSMUtable")->trigger();
    QTest::mouseClick(map->Image32View, Qt::LeftButton, {}, Inside);
    EXPECT_EQ(frame->Reports().TableForm(), table);
    EXPECT_TRUE(table->isVisible());
}

TEST_F(FrameReports, ASeaClickWithTheTableToolOpensNothingAndSaysSo) {
    frame->Action("aSelectSMUtable")->trigger();
    // The top left corner of the world lies in the Arctic sea.
    QTest::mouseClick(map->Image32View, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(frame->Reports().TableForm(), nullptr);
    EXPECT_EQ(frame->StatusPanel(0)->text(), "No soil mapping unit here");
    EXPECT_FALSE(map->Marker.Shown());
    // A unit again: its table, and the status bar forgets the sea.
    QTest::mouseClick(map->Image32View, Qt::LeftButton, {}, Inside);
    ASSERT_NE(frame->Reports().TableForm(), nullptr);
    EXPECT_EQ(frame->Reports().TableForm()->cmbSMUs->count(), 1);
    EXPECT_EQ(frame->StatusPanel(0)->text(), "");
}

TEST_F(FrameReports, ASelectionIsDrawnInEveryMapWindow) {
    frame->Action("aFileNewWindow")->trigger();
    ASSERT_EQ(frame->MapWindows().size(), 2);
    TMapExplorerForm* second = frame->MapWindows().last();
    ASSERT_NE(second, map);
    ASSERT_NO_FATAL_FAILURE(FrameOnData::WaitForDrawing(*second));
    // The new window is the active, maximised one; the first comes back in front to be looked at.
    EXPECT_EQ(frame->ActiveMap(), second);
    frame->MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(map->parentWidget()));
    ASSERT_NO_FATAL_FAILURE(WaitForMapOfTheWindowSize());
    QSignalSpy firstDrawn(map, &TMapExplorerForm::DrawingFinished);
    QSignalSpy secondDrawn(second, &TMapExplorerForm::DrawingFinished);
    frame->Action("aDataQuery")->trigger();
    TQueryWindow* query = frame->Reports().QueryWindow();
    query->edtSQL->setText("TAMO2_SMU_ID = " + QString::number(Smu));
    QTest::mouseClick(query->btnRun, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return firstDrawn.count() > 0 && secondDrawn.count() > 0; }, 20000));
    WaitForDrawing();
    EXPECT_EQ(UnitPixel(), 0xFF0000FFu);
}

TEST_F(FrameReports, MenuShortcutsWorkFromTheReportWindowsAndCtrlCCopiesTheirText) {
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get(), kWaitDeadlineMs));
    QTest::keyClick(frame.get(), Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(frame->MapWindows().size(), 2);
    ASSERT_NO_FATAL_FAILURE(FrameOnData::WaitForDrawing(*frame->ActiveMap()));

    frame->Action("aDataQuery")->trigger();
    TQueryWindow* query = frame->Reports().QueryWindow();
    query->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(query, kWaitDeadlineMs));
    query->edtSQL->setFocus();
    QTest::keyClick(query->edtSQL, Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(frame->MapWindows().size(), 3);
    ASSERT_NO_FATAL_FAILURE(FrameOnData::WaitForDrawing(*frame->ActiveMap()));
    // Ctrl+C there copies the selected text, not the map.
    query->edtSQL->setText("TAMO2_SMU_ID = 1");
    query->edtSQL->selectAll();
    QApplication::clipboard()->clear();
    QTest::keyClick(query->edtSQL, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "TAMO2_SMU_ID = 1");
    EXPECT_TRUE(QApplication::clipboard()->image().isNull());

    // In the frame, with a map window focused, Ctrl+C copies the map.
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get(), kWaitDeadlineMs));
    frame->ActiveMap()->Image32View->setFocus();
    QTest::keyClick(frame->ActiveMap()->Image32View, Qt::Key_C, Qt::ControlModifier);
    EXPECT_FALSE(QApplication::clipboard()->image().isNull());
}

TEST_F(FrameReports, TheChosenToolIsCheckedAndActsInEveryMapWindow) {
    frame->Action("aFileNewWindow")->trigger();
    ASSERT_NO_FATAL_FAILURE(FrameOnData::WaitForDrawing(*frame->ActiveMap()));
    EXPECT_TRUE(frame->Action("aNoAction")->isChecked());
    frame->Action("aViewPan")->trigger();
    EXPECT_TRUE(frame->Action("aViewPan")->isChecked());
    EXPECT_FALSE(frame->Action("aNoAction")->isChecked());
    EXPECT_TRUE(frame->Toolbar("TBViewToolbar")
                    ->widgetForAction(frame->Action("aViewPan"))
                    ->property("checked")
                    .toBool());
    for (TMapExplorerForm* window : frame->MapWindows())
        EXPECT_EQ(window->Tool, mtPan);
    // A window opened now takes it too.
    frame->Action("aFileNewWindow")->trigger();
    ASSERT_NO_FATAL_FAILURE(FrameOnData::WaitForDrawing(*frame->ActiveMap()));
    EXPECT_EQ(frame->ActiveMap()->Tool, mtPan);
    frame->Action("aSelectSMUtable")->trigger();
    EXPECT_FALSE(frame->Action("aViewPan")->isChecked());
    for (TMapExplorerForm* window : frame->MapWindows())
        EXPECT_EQ(window->Tool, mtSmuTable);
}

TEST_F(FrameReports, QueryRunDrawsTheSelectionInTheChosenColour) {
    const QRgb before = UnitPixel();
    frame->Action("aDataQuery")->trigger();
    TQueryWindow* query = frame->Reports().QueryWindow();
    ASSERT_NE(query, nullptr);
    EXPECT_TRUE(query->isVisible());
    query->ColorBox->setCurrentIndex(query->ColorBox->findText("Fuchsia"));
    emit query->ColorBox->activated(query->ColorBox->currentIndex());
    query->edtSQL->setText("TAMO2_SMU_ID = " + QString::number(Smu));
    QTest::mouseClick(query->btnRun, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !query->QueryRunning(); }, 20000));
    WaitForDrawing();
    // The count, and the area of the unit on the world map once it is counted.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !query->lblRecords->text().contains("counting"); }, 20000));
    EXPECT_EQ(query->lblRecords->text(), "1 unit selected, " + AreaText(BlockArea()));
    EXPECT_EQ(UnitPixel(), 0xFFFF00FFu);

    QTest::mouseClick(query->btnClose, Qt::LeftButton);
    WaitForDrawing();
    EXPECT_FALSE(query->isVisible());
    EXPECT_EQ(UnitPixel(), before);
    frame->Action("aDataQuery")->trigger();
    EXPECT_EQ(frame->Reports().QueryWindow(), query);
    EXPECT_EQ(query->lblRecords->text(), "1 unit selected, " + AreaText(BlockArea())); // as it was left
}

TEST_F(FrameReports, TheOverviewToolFillsItsWindow) {
    // The command is hidden but still selects its tool.
    frame->Action("aSelectSMU")->trigger();
    QTest::mouseClick(map->Image32View, Qt::LeftButton, {}, Inside);
    TSoilPropsForm* overview = frame->Reports().SoilPropsForm();
    ASSERT_NE(overview, nullptr);
    EXPECT_TRUE(overview->isVisible());
    EXPECT_EQ(overview->TabControl1->Count(), static_cast<int>(frame->Database()->Layers().size()));
    EXPECT_EQ(overview->GE_StringGrid1->item(1, 1)->text(), QString::number(Smu));
}

} // namespace
