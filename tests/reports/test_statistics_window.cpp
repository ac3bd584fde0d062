#include "MapFakes.h"
#include "PoolBlocker.h"
#include "TestSupport.h"
#include "raster/CellAreas.h"
#include "raster/WorldAreas.h"
#include "reports/StatisticsForm.h"

#include <QApplication>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QHeaderView>
#include <QHorizontalStackedBarSeries>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

// A world of 8 x 4 cells of 45 degrees:
//   1 1 2 2 0 0 3 3
//   1 1 2 2 0 0 0 0
//   2 2 2 2 0 0 0 0
//   0 0 0 0 0 0 0 0
// Units 1, 2 and 3 fall in classes "A", "B" and "C".
class StatisticsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::uint32_t cells[4][8] = {
            {1, 1, 2, 2, 0, 0, 3, 3}, {1, 1, 2, 2, 0, 0, 0, 0}, {2, 2, 2, 2, 0, 0, 0, 0}, {}};
        WriteRaster(
            Dir.filePath("r.bil"), 8, 4, 2, [&](int c, int r) { return cells[r][c]; }, TRasterHeader::Beside);
        Source.Title = "Soils";
        Source.Raster = TRasterSource::Open(Dir.filePath("r.bil"), 2);
        Source.Classes.Names = {"A", "B", "C"};
        Source.Classes.Colors = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
        Source.Classes.ClassOf.assign(kCellValueCount, kNoClass);
        for (int v = 1; v <= 3; ++v)
            Source.Classes.ClassOf[v] = static_cast<std::int16_t>(v - 1);
        // The view: the western half of the northern rows, and a column beyond the east edge.
        Source.View = {2, 0, 9, 2};
        Source.Selection = std::vector<int>{1, 3};
        Form = std::make_unique<TStatisticsForm>(Areas);
    }
    void WaitForStatistics() {
        ASSERT_TRUE(QTest::qWaitFor([&] { return Form->Statistics() != nullptr; }, 10000))
            << Form->lblSummary->text().toStdString();
    }
    // The texts of one column of a table, top to bottom.
    static QStringList Column(const QTableWidget& table, int column) {
        QStringList texts;
        for (int row = 0; row < table.rowCount(); ++row)
            texts << table.item(row, column)->text();
        return texts;
    }

    TScopedEnvironment Env;
    TTestResponder Responder;
    QTemporaryDir Dir;
    TWorldAreas Areas{Dir.filePath("Cache")};
    TStatisticsSource Source;
    std::unique_ptr<TStatisticsForm> Form;
};

TEST_F(StatisticsWindowTest, TheViewTheWorldAndTheSelectionAsTablesAndAChart) {
    std::optional<TCellWindow> counted;
    Form->OnViewStatistics = [&](const TCellWindow& view, const TAreaStatistics&) { counted = view; };
    Form->ShowSource(Source);
    ASSERT_NO_FATAL_FAILURE(WaitForStatistics());
    EXPECT_EQ(Form->windowTitle(), "Statistics - Soils");
    EXPECT_TRUE(Form->rbSelection->isEnabled());
    // View: B 4 cells in rows 0 and 1, C 2 cells in row 0 (the column beyond the grid counts
    // nothing); a cell of row r has areas.Cell(r).
    const TCellAreas areas(8, 4);
    const auto percent = [](double part, double whole) {
        return QString::number(100 * part / whole, 'f', 3);
    };
    const double b = 2 * areas.Cell(0) + 2 * areas.Cell(1), c = 2 * areas.Cell(0);
    EXPECT_EQ(Column(*Form->tblClasses, 1), QStringList({"A", "B", "C"}));
    EXPECT_EQ(Column(*Form->tblClasses, 2), QStringList({"0", "4", "2"}));
    EXPECT_EQ(Column(*Form->tblClasses, 4), QStringList({"0.000", percent(b, b + c), percent(c, b + c)}));
    EXPECT_EQ(Column(*Form->tblUnits, 0), QStringList({"2", "3"}));
    ASSERT_TRUE(counted);
    EXPECT_EQ(*counted, Source.View);
    // The chart: a bar per class in its colour.
    auto* series = qobject_cast<QHorizontalStackedBarSeries*>(Form->chtClasses->chart()->series().value(0));
    ASSERT_NE(series, nullptr);
    ASSERT_EQ(series->count(), 3);
    QList<QRgb> colours;
    for (QBarSet* set : series->barSets())
        colours.prepend(set->color().rgba());
    EXPECT_EQ(colours, QList<QRgb>({0xFFFF0000, 0xFF00FF00, 0xFF0000FF}));

    // The world, counted once in the background.
    QTest::mouseClick(Form->rbWorld, Qt::LeftButton);
    ASSERT_NO_FATAL_FAILURE(WaitForStatistics());
    EXPECT_EQ(Column(*Form->tblClasses, 2), QStringList({"4", "8", "2"}));
    EXPECT_TRUE(Form->lblSummary->text().startsWith("Whole world: "))
        << Form->lblSummary->text().toStdString();

    // The selection: units 1 and 3, as shares of the world's land (unit 1 covers what B covers
    // in the view, unit 2 that and row 2).
    QTest::mouseClick(Form->rbSelection, Qt::LeftButton);
    ASSERT_NO_FATAL_FAILURE(WaitForStatistics());
    const double land = b + (b + 4 * areas.Cell(2)) + c;
    EXPECT_EQ(Column(*Form->tblClasses, 2), QStringList({"4", "0", "2"}));
    EXPECT_EQ(Column(*Form->tblClasses, 4), QStringList({percent(b, land), "0.000", percent(c, land)}));
    EXPECT_EQ(Column(*Form->tblUnits, 0), QStringList({"1", "3"}));
    EXPECT_TRUE(Form->lblSummary->text().contains("2 units with land"))
        << Form->lblSummary->text().toStdString();

    // A click on a heading sorts by that column, by number; a second click the other way.
    QHeaderView* header = Form->tblClasses->horizontalHeader();
    const auto clickHeading = [&](int column) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    };
    clickHeading(3);
    EXPECT_EQ(Column(*Form->tblClasses, 1), QStringList({"B", "C", "A"}));
    clickHeading(3);
    EXPECT_EQ(Column(*Form->tblClasses, 1), QStringList({"A", "C", "B"}));

    // Without a selection the choice is not offered, and the view is counted instead. A view of
    // the whole raster (and beyond it) is the world's table, at once.
    Source.Selection.reset();
    Source.View = {-1, -1, 9, 5};
    counted.reset();
    Form->ShowSource(Source);
    EXPECT_FALSE(Form->rbSelection->isEnabled());
    EXPECT_EQ(Form->Scope(), TStatisticsScope::View);
    ASSERT_NE(Form->Statistics(), nullptr);
    const std::vector<TAreaRow>& classes = Form->Statistics()->Classes;
    ASSERT_EQ(classes.size(), 3u);
    EXPECT_EQ(classes[0].Cells, 4u);
    EXPECT_EQ(classes[1].Cells, 8u);
    EXPECT_EQ(classes[2].Cells, 2u);
    EXPECT_EQ(counted, Source.View);
}

TEST_F(StatisticsWindowTest, CopyAndSaveTakeTheTableShown) {
    Form->ShowSource(Source);
    ASSERT_NO_FATAL_FAILURE(WaitForStatistics());
    Form->tabTables->setCurrentWidget(Form->tblUnits);
    QTest::mouseClick(Form->btnCopy, Qt::LeftButton);
    EXPECT_EQ(QApplication::clipboard()->text(),
              StatisticsClipboardText(*Form->Statistics(), TStatisticsBy::Unit));

    const QString path = Dir.filePath("units.csv");
    Responder.FileAnswers.push_back({path});
    QTest::mouseClick(Form->btnSave, Qt::LeftButton);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), StatisticsCsvText(*Form->Statistics(), TStatisticsBy::Unit));
    ASSERT_EQ(Responder.Messages.size(), 1u);
    EXPECT_EQ(Responder.Messages[0].Text, "Statistics saved as units.csv.");
}

TEST_F(StatisticsWindowTest, ACountCanBeCancelledFromItsProgressWindow) {
    for (TStatisticsScope scope : {TStatisticsScope::View, TStatisticsScope::World}) {
        TPoolBlocker blocker;
        Form->SetScope(scope);
        Form->ShowSource(Source);
        ASSERT_TRUE(Form->Computing());
        // The progress window shows while the count waits; the user clicks its Cancel.
        QProgressDialog* progress = Form->ProgressWindow();
        ASSERT_NE(progress, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return progress->isVisible(); }, 5000));
        auto* cancel = progress->findChild<QPushButton*>();
        ASSERT_NE(cancel, nullptr);
        EXPECT_EQ(cancel->text(), "Cancel");
        QTest::mouseClick(cancel, Qt::LeftButton);
        blocker.Release();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !Form->Computing(); }, 10000));
        EXPECT_EQ(Form->Statistics(), nullptr);
        EXPECT_EQ(Form->lblSummary->text(), "Cancelled.");
        EXPECT_EQ(Form->ProgressWindow(), nullptr);
        EXPECT_FALSE(Form->btnSave->isEnabled());
    }
    // Asked again, the world is counted.
    Form->SetScope(TStatisticsScope::World);
    ASSERT_NO_FATAL_FAILURE(WaitForStatistics());
}
