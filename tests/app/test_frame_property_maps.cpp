// Property maps in the frame: the command and its dialog, the map window it opens, the readout,
// the theme tree, and the map windows that come back at the next start.
#include "FrameFixture.h"
#include "app/ExportForm.h"
#include "app/FrameStatistics.h"
#include "classify/PropertyMapForm.h"
#include "db/TAMO.h"
#include "map/LegendTree.h"
#include "raster/AreaStatistics.h"
#include "reports/StatisticsForm.h"
#include "themes/PropertyMap.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>
#include <cmath>
#include <gdal_priv.h>
#include <gtest/gtest.h>

namespace {

class FramePropertyMaps : public FrameOnData {
protected:
    // The dialog as the user fills it: a filter text, then the first attribute it leaves, a layer
    // and a combination, then OK.
    void AnswerPropertyDialog(const QString& filter, const QString& layer, const QString& combination) {
        responder.DialogAnswers.push_back([=](QDialog& dialog) {
            auto* form = dynamic_cast<TPropertyMapForm*>(&dialog);
            if (!form) {
                ADD_FAILURE() << "unexpected dialog " << dialog.windowTitle().toStdString();
                return int(QDialog::Rejected);
            }
            QTest::keyClicks(form->edtFilter, filter);
            form->cmbLayer->setCurrentIndex(form->cmbLayer->findText(layer));
            form->cmbCombination->setCurrentIndex(form->cmbCombination->findText(combination));
            QTest::mouseClick(form->btnBox->button(QDialogButtonBox::Ok), Qt::LeftButton);
            return dialog.result();
        });
    }
    TMapExplorerForm* OpenByDialog(const QString& filter, const QString& layer, const QString& combination) {
        const int before = frame->MapWindows().size();
        AnswerPropertyDialog(filter, layer, combination);
        frame->Action("aDataPropertyMap")->trigger();
        if (frame->MapWindows().size() != before + 1)
            return nullptr;
        TMapExplorerForm* opened = frame->MapWindows().last();
        EXPECT_EQ(frame->ActiveMap(), opened);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !opened->IsDrawing(); }, 20000));
        return opened;
    }
    QStringList PropertyNodes() const {
        QStringList captions;
        const QAbstractItemModel* model = frame->ThemeTree()->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            const QModelIndex node = model->index(row, 0);
            if (node.data().toString() != "Property Maps")
                continue;
            for (int i = 0; i < model->rowCount(node); ++i)
                captions << model->index(i, 0, node).data().toString();
        }
        return captions;
    }
    // The block's unit and its share-weighted pH in D1, as the database gives them.
    double BlockPh() const {
        return RunSql(Database(), QString("SELECT CAST(1000 * SUM(SHARE * PH_H2O) / SUM(SHARE) AS INTEGER) "
                                          "FROM TAMO2_LAYERS WHERE TAMO2_SMU_ID = %1 AND LAYER = 'D1' "
                                          "AND PH_H2O <> -9 AND SHARE > 0")
                                      .arg(Smu)) /
               1000.0;
    }
};

} // namespace

TEST_F(FramePropertyMaps, TheCommandOpensAMapOfTheChosenPropertyThatTheReadoutAndTreeKnow) {
    CreateFrame();
    QAction* command = frame->Action("aDataPropertyMap");
    EXPECT_EQ(command->text(), "Property &Map...");
    EXPECT_FALSE(command->isEnabled()) << "no database yet";
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_TRUE(command->isEnabled());
    EXPECT_TRUE(frame->Toolbar("TBDataToolbar")->actions().contains(command));

    TMapExplorerForm* property = OpenByDialog("pH in water", "D1 0-20 cm", "Share-weighted mean");
    ASSERT_NE(property, nullptr);
    EXPECT_EQ(property->windowTitle(), "pH in water, D1, share-weighted mean");
    EXPECT_EQ(frame->MapWindows().size(), 2);
    QTreeWidgetItem* root = property->LegendTreeView->topLevelItem(0);
    EXPECT_EQ(root->text(0), "pH in water, D1, share-weighted mean");
    ASSERT_GE(root->childCount(), 3);
    EXPECT_TRUE(root->child(0)->text(0).endsWith(" -log(H+)")) << root->child(0)->text(0).toStdString();
    EXPECT_EQ(root->child(root->childCount() - 1)->text(0), "No data");

    // The pointer over the block: the readout adds the unit's pH.
    frame->DataPointWindow()->show();
    frame->ShowDataPoint(kBlockCol + 5, kBlockRow + 5, 0, 0);
    ASSERT_EQ(frame->DataPointGrid()->rowCount(), 6);
    EXPECT_EQ(frame->DataPointGrid()->item(3, 1)->text(), QString::number(Smu));
    EXPECT_EQ(frame->DataPointGrid()->item(5, 0)->text(), "pH in water");
    const QString ph = frame->DataPointGrid()->item(5, 1)->text();
    EXPECT_TRUE(ph.endsWith(" -log(H+)")) << ph.toStdString();
    EXPECT_NEAR(ph.section(' ', 0, 0).toDouble(), BlockPh(), 0.01);
    // Over the sea: no data.
    frame->ShowDataPoint(10, 10, 0, 0);
    EXPECT_EQ(frame->DataPointGrid()->item(5, 1)->text(), "N.A");

    // The theme tree lists it while it is open; a double click brings it forward.
    EXPECT_EQ(PropertyNodes(), QStringList({"pH in water, D1, share-weighted mean"}));
    frame->MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(map->parentWidget()));
    const QAbstractItemModel* model = frame->ThemeTree()->model();
    const QModelIndex node = model->index(model->rowCount() - 1, 0);
    frame->ThemeTree()->setCurrentIndex(model->index(0, 0, node));
    emit frame->ThemeTree()->doubleClicked(model->index(0, 0, node));
    EXPECT_EQ(frame->ActiveMap(), property);
    EXPECT_EQ(frame->MapWindows().size(), 2) << "no theme was opened";

    // Manual classes: the map opens on equal intervals, and the classification dialog for the
    // user's own bounds.
    TPropertyMapRequest manual;
    manual.Definition = {TPropertyLevel::Unit, "PH_TOP"};
    manual.Method = TPropertyMethod::Manual;
    manual.ClassCount = 4;
    manual.RampIndex = 5;
    QString shownMethod;
    responder.DialogAnswers.push_back([&](QDialog& dialog) {
        if (auto* box = dialog.findChild<QComboBox*>("SortMethodCombo"))
            shownMethod = box->currentText();
        return int(QDialog::Rejected);
    });
    TMapExplorerForm* own = frame->OpenPropertyMap(manual);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(shownMethod, "Manual");
    EXPECT_EQ(own->windowTitle(), "pH (H2O) of the topsoil of the dominant soil");
    EXPECT_EQ(own->Manager().Classes().Count(), 4);
    // The Data toolbar shows the new map's legend and ramp.
    EXPECT_EQ(frame->ClassificationBox()->currentText(), "Manual");
    EXPECT_EQ(frame->ClassCountBox()->value(), 4);
    EXPECT_EQ(frame->ColorRampBox()->currentIndex(), 5);
    qobject_cast<QMdiSubWindow*>(own->parentWidget())->close();

    qobject_cast<QMdiSubWindow*>(property->parentWidget())->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->MapWindows().size() == 1; }, kWaitDeadlineMs));
    EXPECT_TRUE(QTest::qWaitFor([&] { return PropertyNodes().isEmpty(); }, kWaitDeadlineMs));
}

TEST_F(FramePropertyMaps, TheDataSelectorStaysShownAndItsSecondThemeDraws) {
    ASSERT_NO_FATAL_FAILURE(Start());
    QAction* selector = frame->Action("aDataSelect");
    EXPECT_TRUE(selector->isVisible());
    selector->trigger();
    ASSERT_TRUE(frame->ThemeWindow()->isVisible());
    const QAbstractItemModel* tree = frame->ThemeTree()->model();
    const QModelIndex library = tree->index(0, 0);
    const QModelIndex regions = tree->index(1, 0, library);
    ASSERT_EQ(regions.data().toString(), "Soil Regions (WRB 2022)");
    Preferences().NewWindow = true;
    frame->ThemeTree()->setCurrentIndex(regions);
    emit frame->ThemeTree()->doubleClicked(regions);
    ASSERT_EQ(frame->MapWindows().size(), 2);
    TMapExplorerForm* opened = frame->MapWindows().last();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !opened->IsDrawing(); }, 20000));
    EXPECT_EQ(opened->windowTitle(), "Soil Regions (WRB 2022)");
    EXPECT_TRUE(frame->ThemeWindow()->isVisible()) << "opening a theme keeps the selector shown";
    // The block is drawn in the colour of its region's class.
    const int regionClass =
        opened->Manager().ClassOf(opened->Manager().ValueOf(static_cast<std::uint16_t>(Smu)));
    ASSERT_GE(regionClass, 0);
    const QImage& bitmap = opened->Image32View->Bitmap;
    const QRgb regionColor = opened->Manager().Classes().ClassColors[regionClass] | 0xFF000000u;
    int blockPixels = 0;
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            blockPixels += bitmap.pixel(x, y) == regionColor ? 1 : 0;
    EXPECT_GT(blockPixels, 0);
}

TEST_F(FramePropertyMaps, RestartBringsBackEveryMapWindowWithItsLegendAndView) {
    ASSERT_NO_FATAL_FAILURE(Start());
    TMapExplorerForm* clay = OpenByDialog("clay", "D5 80-100 cm", "Dominant component");
    ASSERT_NE(clay, nullptr);
    TMapExplorerForm* carbon = OpenByDialog("ORG_CARBON", "D1 0-20 cm", "Share-weighted mean");
    ASSERT_NE(carbon, nullptr);
    // The user hides a class, recolours one, and zooms in.
    clay->Manager().SetClassVisible(1, false);
    TClassFields classes = carbon->Manager().Classes();
    classes.ClassColors[0] = 0xFF123456;
    carbon->Manager().SetClasses(classes);
    carbon->SetViewAndDraw(kBlockCol - 100, kBlockCol + 3000, kBlockRow - 100, kBlockRow + 1500);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !carbon->IsDrawing(); }, 20000));
    const TViewRect carbonView = carbon->GetView();
    const TClassFields clayClasses = clay->Manager().Classes();
    const TClassFields carbonClasses = carbon->Manager().Classes();
    const QStringList captions{frame->MapWindows()[0]->windowTitle(), clay->windowTitle(),
                               carbon->windowTitle()};
    frame->close();
    frame.reset();

    // The next start after "Load TAMO": the same three windows, in order, the last one active.
    responder.DialogAnswers.push_back([](QDialog& splash) {
        auto* button = splash.findChild<QPushButton*>("btnStart");
        EXPECT_TRUE(button && QTest::qWaitFor([&] { return button->isEnabled(); }, kWaitDeadlineMs));
        return int(QDialog::Accepted);
    });
    CreateFrame();
    frame->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->MapWindows().size() == 3; }, 20000));
    for (TMapExplorerForm* window : frame->MapWindows())
        ASSERT_NO_FATAL_FAILURE(WaitForDrawing(*window));
    const QList<TMapExplorerForm*> maps = frame->MapWindows();
    EXPECT_EQ(QStringList({maps[0]->windowTitle(), maps[1]->windowTitle(), maps[2]->windowTitle()}),
              captions);
    EXPECT_EQ(frame->ActiveMap(), maps[2]);
    ASSERT_NE(maps[1]->PropertyMap(), nullptr);
    EXPECT_EQ(maps[1]->PropertyMap()->Definition(),
              (TPropertyDefinition{TPropertyLevel::Layer, "CLAY", "D5", TPropertyCombination::Dominant}));
    const auto sameClasses = [](const TClassFields& a, const TClassFields& b) {
        if (a.Method != b.Method || a.Count() != b.Count())
            return false;
        for (int i = 0; i < a.Count(); ++i)
            if (a.Breaks[i] != b.Breaks[i] || a.Visible[i] != b.Visible[i] ||
                a.ClassColors[i] != b.ClassColors[i] || a.ClassLabels[i] != b.ClassLabels[i])
                return false;
        return true;
    };
    EXPECT_TRUE(sameClasses(maps[1]->Manager().Classes(), clayClasses));
    EXPECT_TRUE(sameClasses(maps[2]->Manager().Classes(), carbonClasses));
    EXPECT_FALSE(maps[1]->Manager().Classes().Visible[1]);
    EXPECT_EQ(maps[2]->Manager().Classes().ClassColors[0], 0xFF123456u);
    EXPECT_EQ(maps[2]->GetView(), carbonView);
    EXPECT_TRUE(responder.Messages.empty());

    // A stored property the database no longer has is left out, with one message naming it.
    frame->close();
    frame.reset();
    RunSql(Database(), "UPDATE TAMO2_LAYERS_METADATA SET Domain = 'D_TEXTURE' WHERE Field = 'CLAY'");
    responder.DialogAnswers.push_back([](QDialog& splash) {
        auto* button = splash.findChild<QPushButton*>("btnStart");
        EXPECT_TRUE(button && QTest::qWaitFor([&] { return button->isEnabled(); }, kWaitDeadlineMs));
        return int(QDialog::Accepted);
    });
    CreateFrame();
    frame->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !responder.Messages.empty(); }, 20000));
    EXPECT_EQ(frame->MapWindows().size(), 2);
    ASSERT_EQ(responder.Messages.size(), 1u);
    EXPECT_TRUE(responder.Messages[0].Text.contains(captions[1])) << responder.Messages[0].Text.toStdString();
    EXPECT_FALSE(responder.Messages[0].Text.contains(captions[2]));
}

TEST_F(FramePropertyMaps, StatisticsAndExportTakeTheActivePropertyMapWithItsValues) {
    ASSERT_NO_FATAL_FAILURE(Start());
    TMapExplorerForm* property = OpenByDialog("pH in water", "D1 0-20 cm", "Share-weighted mean");
    ASSERT_NE(property, nullptr);
    const TQEVmanager& legend = property->Manager();
    const int blockClass = legend.ClassOf(legend.ValueOf(static_cast<std::uint16_t>(Smu)));
    ASSERT_GE(blockClass, 0);

    // Statistics: the classes are the map's value ranges; the block lies in the class of its pH.
    frame->Action("aZonalStatistics")->trigger();
    TStatisticsForm* statistics = frame->Statistics().StatisticsForm();
    ASSERT_NE(statistics, nullptr);
    EXPECT_EQ(statistics->windowTitle(), "Statistics - pH in water, D1, share-weighted mean");
    ASSERT_TRUE(QTest::qWaitFor([&] { return statistics->Statistics(); }, 20000));
    const std::vector<TAreaRow>& classes = statistics->Statistics()->Classes;
    ASSERT_EQ(int(classes.size()), legend.Classes().Count());
    for (int i = 0; i < int(classes.size()); ++i) {
        EXPECT_EQ(classes[std::size_t(i)].Name, legend.Classes().ClassLabels[std::size_t(i)].trimmed());
        EXPECT_EQ(classes[std::size_t(i)].Cells,
                  i == blockClass ? std::uint64_t(kBlockSize * kBlockSize) : 0u)
            << "class " << i;
    }
    statistics->close();

    // Export: "Library" offers the open property map (chosen, being the active map), and its
    // values are written as Float32.
    QTemporaryDir output;
    const QString path = output.filePath("ph.tif");
    bool ran = false;
    responder.DialogAnswers.push_back([&](QDialog& dialog) {
        auto* form = dynamic_cast<TExportForm*>(&dialog);
        if (!form)
            return int(QDialog::Rejected);
        ran = true;
        EXPECT_EQ(form->cmbLibrary->currentText(), "pH in water, D1, share-weighted mean");
        const QList<QListWidgetItem*> values =
            form->lstLayers->findItems("Property values", Qt::MatchExactly);
        EXPECT_EQ(values.size(), 1);
        form->lstLayers->setCurrentRow(2);
        QTest::mouseClick(form->FormatButtons->button(3), Qt::LeftButton);
        responder.FileAnswers.push_back({path});
        QTest::mouseClick(form->btnExport, Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !form->Exporting(); }, 20000));
        QTest::mouseClick(form->btnClose, Qt::LeftButton);
        return dialog.result();
    });
    frame->Action("aExportData")->trigger();
    ASSERT_TRUE(ran);
    GDALAllRegister();
    std::unique_ptr<GDALDataset> data(GDALDataset::Open(path.toUtf8().constData(), GDAL_OF_RASTER));
    ASSERT_TRUE(data) << responder.Messages.back().Text.toStdString();
    GDALRasterBand* band = data->GetRasterBand(1);
    EXPECT_EQ(band->GetRasterDataType(), GDT_Float32);
    double t[6];
    ASSERT_EQ(data->GetGeoTransform(t), CE_None);
    // The block's middle cell, wherever the view's extent put the file's corner.
    const int col = int(std::floor((-180 + (kBlockCol + 50) / 6.0 + 1 / 12.0 - t[0]) / t[1]));
    const int row = int(std::floor((90 - (kBlockRow + 50) / 6.0 - 1 / 12.0 - t[3]) / t[5]));
    float value = 0;
    ASSERT_EQ(band->RasterIO(GF_Read, col, row, 1, 1, &value, 1, 1, GDT_Float32, 0, 0), CE_None);
    EXPECT_NEAR(value, BlockPh(), 0.01);
}
