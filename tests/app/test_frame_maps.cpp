// The frame on real data: the small demo database and a sparse world raster holding a few units.
#include "CommandTable.h"
#include "FrameFixture.h"
#include "TestSupport.h"
#include "app/TAMOForm.h"
#include "map/MapExplorerForm.h"
#include "themes/QEVLibraryManager.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QtTest/QTest>
#include <algorithm>
#include <gtest/gtest.h>

namespace {
constexpr qint64 kCols = 43200;

int AnySmuId(const QString& database) {
    int id = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "frame-fixture");
        db.setDatabaseName(database);
        db.open();
        QSqlQuery query("SELECT TAMO2_SMU_ID FROM TAMO2_SMU WHERE TAMO2_SMU_ID > 0 LIMIT 1", db);
        if (query.next())
            id = query.value(0).toInt();
    }
    QSqlDatabase::removeDatabase("frame-fixture");
    return id;
}

class FrameOnDemoData : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(CopySmallDemoData(env.Folder() + "Data"));
        TPreferences defaults;
        SetDefaultPreferences(defaults);
        Smu = AnySmuId(env.Folder() + "Data/TAMO2.sqlite");
        ASSERT_GT(Smu, 0);
        // Central Africa, 2000 cells square.
        WriteSparseRaster(defaults.DATA_CACHE + "TAMO2.bil", Smu, 10000, 22000, 2000);
        // The user presses "Load TAMO" once it is enabled.
        responder.DialogAnswers.push_back([](QDialog& splash) {
            auto* button = splash.findChild<QPushButton*>("btnStart");
            if (!button) {
                ADD_FAILURE() << "unexpected dialog " << splash.windowTitle().toStdString();
                return int(QDialog::Rejected);
            }
            EXPECT_FALSE(button->isEnabled());
            EXPECT_TRUE(QTest::qWaitFor([&] { return button->isEnabled(); }, 5000));
            return int(QDialog::Accepted);
        });
    }

    // Creates and shows the frame and waits for the start-up load to open the first map.
    void Start() {
        CreateFrame();
        frame->show();
        const bool opened = QTest::qWaitFor(
            [&] { return frame->MdiArea->subWindowList().size() == 1 || !responder.Messages.empty(); },
            20000);
        ASSERT_TRUE(responder.Messages.empty()) << responder.Messages[0].Text.toStdString();
        ASSERT_TRUE(opened);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !frame->ActiveMap()->IsDrawing(); }, 20000));
    }

    // The frame reads its preferences when it is made: after the data exist.
    void CreateFrame() { frame = std::make_unique<TTAMOForm>(); }

    TScopedEnvironment env;
    TTestResponder responder;
    std::unique_ptr<TTAMOForm> frame;
    int Smu = 0;
};
} // namespace

TEST_F(FrameOnDemoData, StartupOpensTheFirstThemeAndSavesAllPreferences) {
    Start();
    TMapExplorerForm* map = frame->ActiveMap();
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->windowTitle(), frame->Library()->FirstTheme()->LayerName);
    EXPECT_TRUE(frame->aViewZoomIn->isEnabled());
    EXPECT_FALSE(frame->TBToolQEVData->isVisible());
    EXPECT_EQ(ProgramState().LastRasterPath, Preferences().DATA_CACHE + "TAMO2.bil");

    QFile file(env.SettingsFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject prefs = QJsonDocument::fromJson(file.readAll())
                                  .object()["software"]
                                  .toObject()["TAMO"]
                                  .toObject()["v2.00"]
                                  .toObject()["Preferences"]
                                  .toObject();
    EXPECT_EQ(prefs.size(), 19);
    EXPECT_EQ(prefs["ATTRIB_MDB"].toString(), env.Folder() + "Data/TAMO2.sqlite");
}

TEST_F(FrameOnDemoData, PointingReadsTheUnitAndItsDominantSoil) {
    Start();
    frame->aDataPoint->trigger();
    // A cell inside the unit's block, and one in the sea.
    frame->ShowDataPoint(23000, 11000, 11.5, -1.6);
    EXPECT_EQ(frame->StringGrid->item(3, 1)->text(), QString::number(Smu));
    const QString soil = frame->StringGrid->item(4, 1)->text();
    EXPECT_FALSE(soil.isEmpty());
    EXPECT_NE(soil, "-");
    // The value, a blank, and the theme's units (none here).
    EXPECT_EQ(frame->StatusPanels[3]->text(), "Image Value: " + QString::number(Smu) + " ");
    frame->ShowDataPoint(100, 100, -179.0, 89.0);
    EXPECT_EQ(frame->StringGrid->item(3, 1)->text(), "0");
    EXPECT_EQ(frame->StringGrid->item(4, 1)->text(), "-");
}

TEST_F(FrameOnDemoData, WindowsOpenTileSynchroniseAndCloseAll) {
    Start();
    frame->aFileNewWindow->trigger();
    ASSERT_EQ(frame->MdiArea->subWindowList().size(), 2);
    QList<QMdiSubWindow*> windows = frame->MdiArea->subWindowList();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frame->MapWindows()[1]->IsDrawing(); }, 20000));

    frame->aWindowTileVert->trigger();
    EXPECT_EQ(windows[0]->y(), windows[1]->y());
    EXPECT_LT(windows[0]->x() + windows[0]->width(), windows[1]->x() + 1);
    frame->aWindowTileHoriz->trigger();
    EXPECT_EQ(windows[0]->x(), windows[1]->x());
    EXPECT_LT(windows[0]->y(), windows[1]->y());
    // Cascaded windows take a useful share of the area, each a step further down.
    frame->aWindowCascade->trigger();
    const QSize area = frame->MdiArea->viewport()->size();
    for (QMdiSubWindow* window : windows) {
        EXPECT_GE(window->width(), area.width() / 2);
        EXPECT_GE(window->height(), area.height() / 2);
    }
    EXPECT_LT(windows[0]->y(), windows[1]->y());

    // With Synchronize Views on, a view change in one window is taken by the other.
    if (!Preferences().SynchronizeWindows)
        frame->aViewSynchronize->trigger();
    frame->MdiArea->setActiveSubWindow(windows[0]);
    TMapExplorerForm* active = frame->ActiveMap();
    TMapExplorerForm* other =
        frame->MapWindows()[1] == active ? frame->MapWindows()[0] : frame->MapWindows()[1];
    active->SetViewAndDraw(20000, 24000, 9000, 12000);
    frame->SynchronizeViews(*active);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !other->IsDrawing(); }, 20000));
    EXPECT_EQ(other->GetView(), active->GetView());

    // The map commands act on the active window.
    const TViewRect before = active->GetView();
    frame->aViewReset->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !active->IsDrawing(); }, 20000));
    EXPECT_NE(active->GetView(), before);

    frame->aFileCloseAll->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame->MdiArea->subWindowList().isEmpty(); }, 5000));
    EXPECT_FALSE(frame->aViewZoomIn->isEnabled());
    EXPECT_FALSE(frame->aViewRedraw->isEnabled());

    frame->aFileNewWindow->trigger();
    EXPECT_EQ(frame->MdiArea->subWindowList().size(), 1);
    EXPECT_TRUE(frame->aViewZoomIn->isEnabled());
}

TEST_F(FrameOnDemoData, ClosingTheLastMapWindowTurnsTheMapCommandsOffAndEmptiesTheReadout) {
    Start();
    frame->ShowDataPoint(23000, 11000, 11.5, -1.6);
    ASSERT_FALSE(frame->StatusPanels[3]->text().isEmpty());
    // The close box of the map window; the frame is not activated again.
    frame->MdiArea->subWindowList().first()->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->MdiArea->subWindowList().isEmpty(); }, 5000));
    // Once the window is gone (deferred deletion), without the frame being activated again.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !frame->aViewZoomIn->isEnabled(); }, 5000));
    EXPECT_FALSE(frame->aViewRedraw->isEnabled());
    EXPECT_TRUE(frame->StatusPanels[3]->text().isEmpty());
    EXPECT_TRUE(frame->StatusPanels[1]->text().isEmpty());
}

TEST_F(FrameOnDemoData, BeyondTheRasterTheReadoutShowsWhereButNoValue) {
    Start();
    frame->aDataPoint->trigger();
    frame->ShowDataPoint(kCols + 10, 500, 180.2, 85.0);
    EXPECT_EQ(frame->StatusPanels[1]->text(), QString("Image Pixel: %1,500").arg(kCols + 10));
    EXPECT_TRUE(frame->StatusPanels[2]->text().contains("180"));
    EXPECT_EQ(frame->StatusPanels[3]->text(), "Image Value: -");
    EXPECT_EQ(frame->StringGrid->item(3, 1)->text(), "-");
    EXPECT_EQ(frame->StringGrid->item(4, 1)->text(), "-");
}

TEST_F(FrameOnDemoData, ADatabaseWithoutThemesSaysSo) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "no-themes");
        db.setDatabaseName(env.Folder() + "Data/TAMO2.sqlite");
        ASSERT_TRUE(db.open());
        QSqlQuery(db).exec("DELETE FROM WRB_Layer");
    }
    QSqlDatabase::removeDatabase("no-themes");
    CreateFrame();
    frame->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !responder.Messages.empty(); }, 20000));
    EXPECT_EQ(responder.Messages[0].Text,
              "The attribute database \"" + env.Folder() +
                  "Data/TAMO2.sqlite\" holds no map themes, so there is no map to show.");
    EXPECT_EQ(responder.Messages[0].Caption, "Error");
    EXPECT_TRUE(frame->MdiArea->subWindowList().isEmpty());
}

TEST_F(FrameOnDemoData, AMissingRasterDiscardsTheWindow) {
    TPreferences defaults;
    SetDefaultPreferences(defaults);
    QFile::remove(defaults.DATA_CACHE + "TAMO2.bil");
    CreateFrame();
    frame->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !responder.Messages.empty(); }, 20000));
    EXPECT_TRUE(responder.Messages[0].Text.startsWith("The image file was not found."));
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame->MdiArea->subWindowList().isEmpty(); }, 5000));
    EXPECT_FALSE(frame->aViewZoomIn->isEnabled());
}

TEST_F(FrameOnDemoData, CloseAllDuringADrawingLeavesTheMapCommandsOff) {
    Start();
    // Close All arrives while the redraw processes events between its rows.
    QTimer::singleShot(0, frame.get(), [&] { frame->aFileCloseAll->trigger(); });
    frame->aViewRedraw->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->MdiArea->subWindowList().isEmpty(); }, 10000));
    QTest::qWait(50);
    EXPECT_FALSE(frame->aViewZoomIn->isEnabled());
    EXPECT_FALSE(frame->aViewRedraw->isEnabled());
}

TEST_F(FrameOnDemoData, ClosedMapWindowsAreGoneBeforeTheDatabase) {
    Start();
    frame->aFileNewWindow->trigger();
    ASSERT_EQ(frame->MapWindows().size(), 2);
    // One window closed and waiting for its deferred deletion, one still open. The frame frees the
    // database and then saves its placement: a window deleted before that saving was deleted
    // before the database went.
    int deleted = 0;
    int deletedFirst = 0;
    for (TMapExplorerForm* map : frame->MapWindows())
        QObject::connect(map, &QObject::destroyed, [&] {
            ++deleted;
            deletedFirst += !TRegistry().KeyExists("\\software\\TAMO\\v2.00\\Forms\\TAMOForm");
        });
    frame->MdiArea->subWindowList().first()->close();
    ASSERT_EQ(deleted, 0);
    ASSERT_FALSE(TRegistry().KeyExists("\\software\\TAMO\\v2.00\\Forms\\TAMOForm"));
    frame.reset();
    EXPECT_EQ(deleted, 2);
    EXPECT_EQ(deletedFirst, 2);
}

TEST_F(FrameOnDemoData, ADoubleClickInTheThemeTreeOpensTheThemeAndNamesItsWindow) {
    Start();
    // The command states keep the theme tree hidden; shown from code, its double click works.
    frame->aDataSelect->trigger();
    ASSERT_TRUE(frame->TBToolQEVData->isVisible());
    QAbstractItemModel* tree = frame->TreeView->model();
    const QModelIndex library = tree->index(0, 0);
    frame->TreeView->expand(library);
    const QModelIndex theme = tree->index(tree->rowCount(library) - 1, 0, library);
    ASSERT_TRUE(theme.isValid());
    const QString themeName = theme.data().toString();

    // A double click on a library node opens nothing.
    frame->TreeView->setCurrentIndex(library);
    frame->OpenSelectedTheme();
    EXPECT_EQ(frame->MapWindows().size(), 1);

    // In the active window (NewWindow off); the colour-ramp box is told to keep still meanwhile.
    Preferences().NewWindow = false;
    bool busyDuringDrawing = false;
    QTimer::singleShot(0, frame.get(), [&] { busyDuringDrawing = frame->OpeningTheme(); });
    // The tree's double-click signal, as the view gives it for a double click on the theme's row.
    frame->TreeView->setCurrentIndex(theme);
    emit frame->TreeView->doubleClicked(theme);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frame->ActiveMap()->IsDrawing(); }, 20000));
    EXPECT_TRUE(busyDuringDrawing);
    EXPECT_FALSE(frame->OpeningTheme());
    ASSERT_EQ(frame->MapWindows().size(), 1);
    EXPECT_EQ(frame->ActiveMap()->windowTitle(), themeName);
    // No readout yet: the caption goes to the last row of the grid.
    EXPECT_EQ(frame->StringGrid->rowCount(), 5);
    ASSERT_NE(frame->StringGrid->item(4, 0), nullptr);
    EXPECT_EQ(frame->StringGrid->item(4, 0)->text(), themeName);

    // In a new window (NewWindow on), after a readout: the grid gains a row for it.
    frame->aNewWindow->trigger();
    frame->aDataPoint->trigger();
    frame->ShowDataPoint(23000, 11000, 11.5, -1.6);
    frame->OpenSelectedTheme();
    ASSERT_EQ(frame->MapWindows().size(), 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frame->ActiveMap()->IsDrawing(); }, 20000));
    EXPECT_EQ(frame->StringGrid->rowCount(), 6);
    ASSERT_NE(frame->StringGrid->item(5, 0), nullptr);
    EXPECT_EQ(frame->StringGrid->item(5, 0)->text(), themeName);
    EXPECT_EQ(frame->StringGrid->item(1, 0)->text(), "Longitude");
    EXPECT_TRUE(frame->aViewZoomIn->isEnabled());
}

TEST_F(FrameOnDemoData, CommandStatesFollowTheMapWindows) {
    Start();
    ExpectCommandStates(*frame, true, "after the start");
    frame->aFileCloseAll->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->MdiArea->subWindowList().isEmpty(); }, 5000));
    QTest::qWait(20);
    ExpectCommandStates(*frame, false, "after Close All");
    frame->aFileNewWindow->trigger();
    ASSERT_EQ(frame->MapWindows().size(), 1);
    ExpectCommandStates(*frame, true, "after New Window");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frame->ActiveMap()->IsDrawing(); }, 20000));
}

TEST_F(FrameOnDemoData, ATheme_sUnitsFollowTheValueAndTheDominantSoilIsStillFound) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "units-fixture");
        db.setDatabaseName(env.Folder() + "Data/TAMO2.sqlite");
        ASSERT_TRUE(db.open());
        QSqlQuery query(db);
        ASSERT_TRUE(query.exec("UPDATE WRB_Layer SET Units = 'SMU id'"));
    }
    QSqlDatabase::removeDatabase("units-fixture");
    Start();
    frame->aDataPoint->trigger();
    frame->ShowDataPoint(23000, 11000, 11.5, -1.6);
    EXPECT_EQ(frame->StatusPanels[3]->text(), "Image Value: " + QString::number(Smu) + " SMU id");
    EXPECT_EQ(frame->StringGrid->item(3, 1)->text(), QString::number(Smu) + " SMU id");
    const QString soil = frame->StringGrid->item(4, 1)->text();
    EXPECT_FALSE(soil.isEmpty());
    EXPECT_NE(soil, "-");
}

TEST_F(FrameOnDemoData, TheExportWindowOffersTheLibrariesAndTheirThemes) {
    Start();
    bool shown = false;
    responder.DialogAnswers.push_back([&](QDialog& dialog) {
        shown = true;
        auto* library = dialog.findChild<QComboBox*>("cmbLibrary");
        auto* layers = dialog.findChild<QListWidget*>("lstLayers");
        EXPECT_EQ(library->count(), int(frame->Library()->Libraries().size()));
        EXPECT_EQ(library->itemText(0), frame->Library()->Libraries().front()->QevLibrary);
        EXPECT_GE(layers->count(), 1);
        EXPECT_EQ(layers->item(0)->text(), frame->Library()->FirstTheme()->LayerName);
        return int(QDialog::Rejected);
    });
    frame->aExportData->trigger();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(responder.Messages.empty());
}

TEST_F(FrameOnDemoData, LegendCommandsAndTheRampBoxActOnTheActiveMap) {
    Start();
    // The legend commands follow the classification controls on the Data toolbar; the ramp box
    // and the classification command exist but are not shown.
    const QList<QAction*> data = frame->TBDataToolbar->actions();
    EXPECT_LT(data.indexOf(frame->aDataClassification), data.indexOf(frame->aLegendAll));
    EXPECT_EQ(data.indexOf(frame->aLegendNone), data.indexOf(frame->aLegendAll) + 1);
    EXPECT_EQ(data.indexOf(frame->aLegendSwitch), data.indexOf(frame->aLegendAll) + 2);
    EXPECT_TRUE(frame->aLegendSwitch->isVisible());
    EXPECT_FALSE(frame->aDataClassification->isVisible());
    EXPECT_FALSE(frame->cmbColorRamp->isVisible());
    EXPECT_EQ(frame->cmbColorRamp->count(), 30);

    TMapExplorerForm* map = frame->ActiveMap();
    TQEVmanager& legend = map->Manager();
    const int classes = legend.NumClasses;
    ASSERT_GT(classes, 2);
    const auto visibleCount = [&] {
        return int(std::count(legend.Visible.begin(), legend.Visible.begin() + classes, true));
    };
    frame->aLegendNone->trigger();
    EXPECT_EQ(visibleCount(), 0);
    legend.Visible[0] = true;
    frame->aLegendSwitch->trigger();
    EXPECT_EQ(visibleCount(), classes - 1);
    EXPECT_FALSE(legend.Visible[0]);
    frame->aLegendAll->trigger();
    EXPECT_EQ(visibleCount(), classes);

    // Choosing a ramp recolours the classes from it: ramp 1 is fixed, class i takes its colour
    // number 14 + i x 39 div n.
    frame->cmbColorRamp->setCurrentIndex(1);
    EXPECT_EQ(map->RampCopy, frame->ColorRamp(1));
    for (int i : {0, 1, classes - 1})
        EXPECT_EQ(legend.ClassColors[i], QRgb(frame->ColorRamp(1)[kRampFirstColor + i * 39 / classes])) << i;

    // The hidden classification command opens the dialog on the active map.
    responder.DialogAnswers.push_back([](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Classification");
        return int(QDialog::Rejected);
    });
    frame->aDataClassification->trigger();
    EXPECT_TRUE(responder.DialogAnswers.empty());

    // Without a map the legend commands are off and the ramp box changes nothing.
    frame->aFileCloseAll->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->MdiArea->subWindowList().isEmpty(); }, 5000));
    for (QAction* action :
         {frame->aLegendAll, frame->aLegendNone, frame->aLegendSwitch, frame->aDataClassification})
        EXPECT_FALSE(action->isEnabled()) << action->objectName().toStdString();
    EXPECT_FALSE(frame->cmbColorRamp->isEnabled());
    frame->cmbColorRamp->setCurrentIndex(2);
}
