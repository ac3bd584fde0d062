// Extract Statistics, Export Data and the query's areas on the small demo database and a raster
// that holds one unit in a block of cells.
#include "FrameFixture.h"
#include "PoolBlocker.h"
#include "app/ExportForm.h"
#include "app/FrameReports.h"
#include "app/FrameStatistics.h"
#include "db/TAMO.h"
#include "map/LegendTree.h"
#include "query/QueryWindow.h"
#include "raster/AreaStatistics.h"
#include "raster/GridExtent.h"
#include "reports/StatisticsForm.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QtTest/QTest>
#include <gdal_priv.h>
#include <gtest/gtest.h>

namespace {

class FrameStatistics : public FrameOnData {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(FrameOnData::SetUp());
        ASSERT_NO_FATAL_FAILURE(Start());
        // Drawn at the size the window settled at: the view counted is the view shown.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return !map->IsDrawing() && map->Image32View->Bitmap.size() == map->MapPanel->size(); },
            20000));
    }
    // The row of the unit table that shows `smu`; -1 when none does.
    static int UnitRow(const QTableWidget& units, int smu) {
        for (int row = 0; row < units.rowCount(); ++row)
            if (units.item(row, 0)->text() == QString::number(smu))
                return row;
        return -1;
    }
    QString Out(const QString& name) const { return Output.filePath(name); }
    QString LastMessage() const {
        return responder.Messages.empty() ? QString() : responder.Messages.back().Text;
    }
    QString LastCaption() const {
        return responder.Messages.empty() ? QString() : responder.Messages.back().Caption;
    }

    QTemporaryDir Output;
};

} // namespace

TEST_F(FrameStatistics, ExtractStatisticsCountsTheActiveMapAndItsLegendLearnsTheAreas) {
    QAction* command = frame->Action("aZonalStatistics");
    EXPECT_TRUE(command->isVisible());
    EXPECT_TRUE(command->isEnabled());
    command->trigger();
    TStatisticsForm* form = frame->Statistics().StatisticsForm();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), "Statistics - " + map->windowTitle());
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->Statistics(); }, 20000));

    // The view shows the whole block: its 10,000 cells and their area.
    const int row = UnitRow(*form->tblUnits, Smu);
    ASSERT_GE(row, 0);
    EXPECT_EQ(form->tblUnits->item(row, 3)->text(), "10,000");
    EXPECT_EQ(form->tblUnits->item(row, 4)->text(), QLocale(QLocale::English).toString(BlockArea(), 'f', 1));
    EXPECT_EQ(form->tblUnits->item(row, 5)->text(), "100.000");
    EXPECT_EQ(form->tblUnits->rowCount(), 1);

    // The legend's class of the unit tells its area in the view.
    const int classIndex = form->tblUnits->item(row, 1)->text().toInt() - 1;
    QTreeWidgetItem* node = nullptr;
    for (QTreeWidgetItemIterator it(map->LegendTreeView); *it; ++it)
        if ((*it)->data(0, lrKind).toInt() == lnClass && (*it)->data(0, lrIndex).toInt() == classIndex)
            node = *it;
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->toolTip(0),
              node->text(0) + "\n" + AreaText(BlockArea()) + " in this view (100.0 % of its land)");

    // The world, counted in the background, holds the same.
    QTest::mouseClick(form->rbWorld, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->Statistics(); }, 20000));
    ASSERT_GE(UnitRow(*form->tblUnits, Smu), 0);
    EXPECT_EQ(form->tblUnits->item(UnitRow(*form->tblUnits, Smu), 3)->text(), "10,000");
    EXPECT_FALSE(form->rbSelection->isEnabled()) << "no selection is drawn";
}

TEST_F(FrameStatistics, TheSelectionScopeFollowsEveryQueryAndItsEnd) {
    frame->Action("aZonalStatistics")->trigger();
    TStatisticsForm* form = frame->Statistics().StatisticsForm();
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->Statistics(); }, 20000));
    frame->Action("aDataQuery")->trigger();
    TQueryWindow* query = frame->Reports().QueryWindow();
    ASSERT_NE(query, nullptr);
    const auto run = [&](const QString& condition) {
        query->lblRecords->clear();
        query->edtSQL->setText(condition);
        QTest::mouseClick(query->btnRun, Qt::LeftButton);
        return QTest::qWaitFor([&] { return query->lblRecords->text().contains("selected"); }, 20000);
    };

    ASSERT_TRUE(run("TAMO2_SMU_ID = " + QString::number(Smu)));
    EXPECT_TRUE(form->rbSelection->isEnabled());
    QTest::mouseClick(form->rbSelection, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->Statistics(); }, 20000));
    EXPECT_EQ(form->tblUnits->rowCount(), 1);
    EXPECT_GE(UnitRow(*form->tblUnits, Smu), 0);

    // A query that selects nothing: the window shows no units at once.
    ASSERT_TRUE(run("TAMO2_SMU_ID = -1"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->Statistics(); }, 20000));
    EXPECT_EQ(form->Scope(), TStatisticsScope::Selection);
    EXPECT_EQ(form->tblUnits->rowCount(), 0);

    // The query window closed, the highlight ends: the choice goes, and the view is shown again.
    QTest::mouseClick(query->btnClose, Qt::LeftButton);
    EXPECT_FALSE(form->rbSelection->isEnabled());
    EXPECT_EQ(form->Scope(), TStatisticsScope::View);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->Statistics(); }, 20000));
    EXPECT_GE(UnitRow(*form->tblUnits, Smu), 0);
}

TEST_F(FrameStatistics, ExportWritesTheAreaAndLayerChosenAndAsksBeforeReplacing) {
    map->SetViewAndDraw(1090, 1210, 490, 610);
    ASSERT_NO_FATAL_FAILURE(WaitForDrawing(*map));
    const TCellWindow shown = VisibleCells(map->View());
    bool ran = false;
    responder.DialogAnswers.push_back([&](QDialog& dialog) {
        ran = true;
        auto* form = qobject_cast<TExportForm*>(&dialog);
        EXPECT_NE(form, nullptr);
        if (!form)
            return int(QDialog::Rejected);
        // The boxes hold the view, moved outward to whole cells and to the boxes' hundredths.
        const TDegreeExtent view = RoundedOutward(ExtentOfCells(shown, kFrameGridCols, kFrameGridRows), 2);
        QString problem;
        const std::optional<TDegreeExtent> filled = form->Extent(problem);
        EXPECT_TRUE(filled) << problem.toStdString();
        if (filled) {
            EXPECT_EQ(*filled, view);
        }

        // A wrong area is named, and nothing is asked or written.
        const auto type = [](QLineEdit* box, const QString& text) {
            box->selectAll();
            QTest::keyClicks(box, text);
        };
        type(form->edtNorth, "-030.00");
        QTest::mouseClick(form->btnExport, Qt::LeftButton);
        EXPECT_EQ(LastMessage(), "The south edge must lie south of the north edge.");
        EXPECT_EQ(LastCaption(), "Error");
        EXPECT_TRUE(responder.FileRequests.empty());

        // The legend classes of an area around the block, as GeoTIFF with the legend.
        type(form->edtNorth, "+007.00");
        type(form->edtSouth, "-010.50");
        type(form->edtWest, "+003.00");
        type(form->edtEast, "+020.50");
        form->lstLayers->setCurrentRow(1);
        QTest::mouseClick(form->FormatButtons->button(3), Qt::LeftButton);
        QTest::mouseClick(form->chkLegend, Qt::LeftButton);
        responder.FileAnswers.push_back({Out("block")});
        QTest::mouseClick(form->btnExport, Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !form->Exporting(); }, 20000));
        EXPECT_EQ(LastMessage(), "Exported to " + QDir::toNativeSeparators(Out("block.tif")) + ".");

        // Again to the same file: the user is asked, and "No" leaves the file as it was.
        const QDateTime written = QFileInfo(Out("block.tif")).lastModified();
        responder.FileAnswers.push_back({Out("block.tif")});
        responder.MessageAnswers.push_back(QMessageBox::No);
        QTest::mouseClick(form->btnExport, Qt::LeftButton);
        EXPECT_TRUE(LastMessage().contains("will be replaced:\nblock.tif\nblock.tif.aux.xml"))
            << LastMessage().toStdString();
        EXPECT_FALSE(form->Exporting());
        EXPECT_EQ(QFileInfo(Out("block.tif")).lastModified(), written);

        // A cancelled export leaves nothing behind.
        {
            TPoolBlocker blocker;
            responder.FileAnswers.push_back({Out("cancelled.tif")});
            QTest::mouseClick(form->btnExport, Qt::LeftButton);
            EXPECT_TRUE(form->Exporting());
            QProgressDialog* progress = form->ProgressWindow();
            EXPECT_NE(progress, nullptr);
            if (progress) {
                EXPECT_TRUE(QTest::qWaitFor([&] { return progress->isVisible(); }, 5000));
                QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
            }
            blocker.Release();
            EXPECT_TRUE(QTest::qWaitFor([&] { return !form->Exporting(); }, 20000));
        }
        QTest::mouseClick(form->btnClose, Qt::LeftButton);
        return dialog.result();
    });
    frame->Action("aExportData")->trigger();
    ASSERT_TRUE(ran);
    EXPECT_EQ(QDir(Output.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              QStringList({"block.tif", "block.tif.aux.xml"}));

    // Read back: the area's whole cells, the class of the unit in the block, the legend's colours.
    GDALAllRegister();
    std::unique_ptr<GDALDataset> data(
        GDALDataset::Open(Out("block.tif").toUtf8().constData(), GDAL_OF_RASTER));
    ASSERT_TRUE(data);
    ASSERT_EQ(data->GetRasterXSize(), 105); // columns 1098 to 1202
    ASSERT_EQ(data->GetRasterYSize(), 105); // rows 498 to 602
    double t[6];
    ASSERT_EQ(data->GetGeoTransform(t), CE_None);
    const double expected[6] = {-180 + 1098 / 6.0, 1 / 6.0, 0, 90 - 498 / 6.0, 0, -1 / 6.0};
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(t[i], expected[i], 1e-12) << i;
    const TClassFields& legend = map->Manager().Classes();
    const int code = frame->Database()->WrbCodeOf(Smu);
    int cls = 0;
    while (cls < legend.Count() - 1 && code > legend.Breaks[static_cast<std::size_t>(cls)])
        ++cls;
    std::vector<std::uint8_t> cells(105 * 105);
    GDALRasterBand* band = data->GetRasterBand(1);
    ASSERT_EQ(band->RasterIO(GF_Read, 0, 0, 105, 105, cells.data(), 105, 105, GDT_Byte, 0, 0), CE_None);
    for (int r = 0; r < 105; ++r)
        for (int c = 0; c < 105; ++c) {
            const bool inside = r >= 2 && r < 102 && c >= 2 && c < 102;
            ASSERT_EQ(cells[static_cast<std::size_t>(r * 105 + c)], inside ? cls + 1 : 0) << c << "," << r;
        }
    const GDALColorEntry* colour = band->GetColorTable()->GetColorEntry(cls + 1);
    EXPECT_EQ(qRgb(colour->c1, colour->c2, colour->c3), legend.ClassColors[static_cast<std::size_t>(cls)]);
    EXPECT_EQ(QString(band->GetCategoryNames()[cls + 1]),
              legend.ClassLabels[static_cast<std::size_t>(cls)].trimmed());
}

TEST_F(FrameStatistics, TheQuerySavesTheSelectedUnitsWithTheirAreas) {
    frame->Action("aDataQuery")->trigger();
    TQueryWindow* query = frame->Reports().QueryWindow();
    ASSERT_NE(query, nullptr);
    query->edtSQL->setText("TAMO2_SMU_ID = " + QString::number(Smu));
    QTest::mouseClick(query->btnRun, Qt::LeftButton);
    // The query runs off the interface thread, then the areas are counted.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QString text = query->lblRecords->text();
            return text.contains("selected") && !text.contains("counting");
        },
        20000));

    const QString path = Out("selection.csv");
    responder.FileAnswers.push_back({path});
    QTest::mouseClick(query->btnSaveSelection, Qt::LeftButton);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const TTAMO& database = *frame->Database();
    const QString code = QString::number(database.WrbCodeOf(Smu));
    const QString name = TTAMO::DecodeDomain(database.SmuMeta().DomainLists[9].get(), code);
    const int share = RunSql(Database(), QString("SELECT SHARE FROM TAMO2_LAYERS WHERE TAMO2_SMU_ID = %1 AND "
                                                 "SEQUENCE = 1 LIMIT 1")
                                             .arg(Smu));
    EXPECT_EQ(
        QString::fromUtf8(file.readAll()),
        QString("\"SMU\",\"Dominant soil code\",\"Dominant soil\",\"Share of dominant soil (%)\",\"Area "
                "(km²)\"\r\n%1,%2,\"%3\",%4,%5\r\n")
            .arg(Smu)
            .arg(code, name)
            .arg(share)
            .arg(BlockArea(), 0, 'f', 3));
    EXPECT_EQ(LastMessage(), "Selection saved as selection.csv.");
}
