// The frame on real data: the small demo database and a world raster holding one unit.
#include "CommandTable.h"
#include "FrameFixture.h"
#include "SqliteFile.h"
#include "TestSupport.h"
#include "app/FindUnitForm.h"
#include "app/GoToForm.h"
#include "app/SingleInstance.h"
#include "app/TAMOForm.h"
#include "db/TAMO.h"
#include "map/MapExplorerForm.h"
#include "themes/Classification.h"
#include "themes/QEVLibraryManager.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocalSocket>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>
#include <QUuid>
#include <QtTest/QTest>
#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <tuple>

namespace {
constexpr qint64 kCols = kFrameGridCols;
} // namespace

TEST_F(FrameOnData, StartupOpensTheFirstThemeAndSavesAllPreferences) {
    Start();
    TMapExplorerForm* map = frame->ActiveMap();
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->windowTitle(), frame->Library()->FirstTheme()->LayerName);
    EXPECT_TRUE(frame->Action("aViewZoomIn")->isEnabled());
    EXPECT_FALSE(frame->ThemeWindow()->isVisible());
    EXPECT_EQ(ProgramState().LastRasterPath, Preferences().DATA_CACHE + "TAMO2.bil");

    QFile file(env.SettingsFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject prefs = QJsonDocument::fromJson(file.readAll())
                                  .object()["software"]
                                  .toObject()["TAMO"]
                                  .toObject()["v2.00"]
                                  .toObject()["Preferences"]
                                  .toObject();
    EXPECT_EQ(prefs.size(), 20);
    EXPECT_EQ(prefs["ATTRIB_MDB"].toString(), env.Folder() + "Data/TAMO2.sqlite");
}

TEST_F(FrameOnData, PointingReadsTheUnitAndItsDominantSoil) {
    Start();
    frame->Action("aDataPoint")->trigger();
    // A cell inside the unit's block, and one in the sea.
    frame->ShowDataPoint(1150, 550, 11.5, -1.6);
    EXPECT_EQ(frame->DataPointGrid()->item(3, 1)->text(), QString::number(Smu));
    const QString soil = frame->DataPointGrid()->item(4, 1)->text();
    EXPECT_FALSE(soil.isEmpty());
    EXPECT_NE(soil, "-");
    // The value, a blank, and the theme's units (none here).
    EXPECT_EQ(frame->StatusPanel(3)->text(), "Image Value: " + QString::number(Smu) + " ");
    frame->ShowDataPoint(100, 100, -179.0, 89.0);
    EXPECT_EQ(frame->DataPointGrid()->item(3, 1)->text(), "0");
    EXPECT_EQ(frame->DataPointGrid()->item(4, 1)->text(), "-");
}

TEST_F(FrameOnData, WindowsOpenTileSynchroniseAndCloseAll) {
    Start();
    frame->Action("aFileNewWindow")->trigger();
    ASSERT_EQ(frame->MdiArea()->subWindowList().size(), 2);
    QList<QMdiSubWindow*> windows = frame->MdiArea()->subWindowList();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frame->MapWindows()[1]->IsDrawing(); }, 20000));

    frame->Action("aWindowTileVert")->trigger();
    EXPECT_EQ(windows[0]->y(), windows[1]->y());
    EXPECT_LT(windows[0]->x() + windows[0]->width(), windows[1]->x() + 1);
    frame->Action("aWindowTileHoriz")->trigger();
    EXPECT_EQ(windows[0]->x(), windows[1]->x());
    EXPECT_LT(windows[0]->y(), windows[1]->y());
    // Cascaded windows take a useful share of the area, each a step further down.
    frame->Action("aWindowCascade")->trigger();
    const QSize area = frame->MdiArea()->viewport()->size();
    for (QMdiSubWindow* window : windows) {
        EXPECT_GE(window->width(), area.width() / 2);
        EXPECT_GE(window->height(), area.height() / 2);
    }
    EXPECT_LT(windows[0]->y(), windows[1]->y());

    // With Synchronize Views on, a view change in one window is taken by the other.
    if (!Preferences().SynchronizeWindows)
        frame->Action("aViewSynchronize")->trigger();
    frame->MdiArea()->setActiveSubWindow(windows[0]);
    TMapExplorerForm* active = frame->ActiveMap();
    TMapExplorerForm* other =
        frame->MapWindows()[1] == active ? frame->MapWindows()[0] : frame->MapWindows()[1];
    active->SetViewAndDraw(20000, 24000, 9000, 12000);
    frame->SynchronizeViews(*active);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !other->IsDrawing(); }, 20000));
    EXPECT_EQ(other->GetView(), active->GetView());

    // The map commands act on the active window.
    const TViewRect before = active->GetView();
    frame->Action("aViewReset")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !active->IsDrawing(); }, 20000));
    EXPECT_NE(active->GetView(), before);

    frame->Action("aFileCloseAll")->trigger();
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return frame->MdiArea()->subWindowList().isEmpty(); }, kWaitDeadlineMs));
    EXPECT_FALSE(frame->Action("aViewZoomIn")->isEnabled());
    EXPECT_FALSE(frame->Action("aViewRedraw")->isEnabled());

    frame->Action("aFileNewWindow")->trigger();
    EXPECT_EQ(frame->MdiArea()->subWindowList().size(), 1);
    EXPECT_TRUE(frame->Action("aViewZoomIn")->isEnabled());
}

TEST_F(FrameOnData, ClosingTheLastMapWindowTurnsTheMapCommandsOffAndEmptiesTheReadout) {
    Start();
    frame->ShowDataPoint(1150, 550, 11.5, -1.6);
    ASSERT_FALSE(frame->StatusPanel(3)->text().isEmpty());
    // The close box of the map window; the frame is not activated again.
    frame->MdiArea()->subWindowList().first()->close();
    ASSERT_NO_FATAL_FAILURE(WaitUntilNoMapWindow());
    // Once the window is gone (deferred deletion), without the frame being activated again.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !frame->Action("aViewZoomIn")->isEnabled(); }, kWaitDeadlineMs));
    EXPECT_FALSE(frame->Action("aViewRedraw")->isEnabled());
    EXPECT_TRUE(frame->StatusPanel(3)->text().isEmpty());
    EXPECT_TRUE(frame->StatusPanel(1)->text().isEmpty());
}

TEST_F(FrameOnData, BeyondTheRasterTheReadoutShowsWhereButNoValue) {
    Start();
    frame->Action("aDataPoint")->trigger();
    frame->ShowDataPoint(kCols + 10, 500, 180.2, 85.0);
    EXPECT_EQ(frame->StatusPanel(1)->text(), QString("Image Pixel: %1,500").arg(kCols + 10));
    EXPECT_TRUE(frame->StatusPanel(2)->text().contains("180"));
    EXPECT_EQ(frame->StatusPanel(3)->text(), "Image Value: -");
    EXPECT_EQ(frame->DataPointGrid()->item(3, 1)->text(), "-");
    EXPECT_EQ(frame->DataPointGrid()->item(4, 1)->text(), "-");
}

TEST_F(FrameOnData, ADatabaseWithoutThemesSaysSo) {
    RunSql(Database(), "DELETE FROM WRB_Layer");
    CreateFrame();
    frame->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !responder.Messages.empty(); }, 20000));
    EXPECT_EQ(responder.Messages[0].Text,
              "The attribute database \"" + env.Folder() +
                  "Data/TAMO2.sqlite\" holds no map themes, so there is no map to show.");
    EXPECT_EQ(responder.Messages[0].Caption, "Error");
    EXPECT_TRUE(frame->MdiArea()->subWindowList().isEmpty());
}

TEST_F(FrameOnData, AMissingRasterDiscardsTheWindow) {
    QFile::remove(RasterPath);
    CreateFrame();
    frame->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !responder.Messages.empty(); }, 20000));
    EXPECT_TRUE(responder.Messages[0].Text.startsWith("The image file was not found."));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return frame->MdiArea()->subWindowList().isEmpty(); }, kWaitDeadlineMs));
    EXPECT_FALSE(frame->Action("aViewZoomIn")->isEnabled());
}

TEST_F(FrameOnData, CloseAllDuringADrawingLeavesTheMapCommandsOff) {
    Start();
    // Close All arrives while the redraw processes events between its rows.
    QTimer::singleShot(0, frame.get(), [&] { frame->Action("aFileCloseAll")->trigger(); });
    frame->Action("aViewRedraw")->trigger();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return frame->MdiArea()->subWindowList().isEmpty(); }, kWaitDeadlineMs));
    // The commands follow once the windows are deleted, which comes after their closing.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !frame->Action("aViewZoomIn")->isEnabled(); }, kWaitDeadlineMs));
    EXPECT_FALSE(frame->Action("aViewRedraw")->isEnabled());
}

TEST_F(FrameOnData, ClosedMapWindowsAreGoneBeforeTheDatabase) {
    Start();
    frame->Action("aFileNewWindow")->trigger();
    ASSERT_EQ(frame->MapWindows().size(), 2);
    // One window closed and waiting for its deferred deletion, one still open. The frame frees the
    // database and then saves its placement: a window deleted before that saving was deleted
    // before the database went.
    int deleted = 0;
    int deletedFirst = 0;
    for (TMapExplorerForm* map : frame->MapWindows())
        QObject::connect(map, &QObject::destroyed, [&] {
            ++deleted;
            deletedFirst +=
                !TRegistry(TSettingsStore::Global()).KeyExists("\\software\\TAMO\\v2.00\\Forms\\TAMOForm");
        });
    frame->MdiArea()->subWindowList().first()->close();
    ASSERT_EQ(deleted, 0);
    ASSERT_FALSE(TRegistry(TSettingsStore::Global()).KeyExists("\\software\\TAMO\\v2.00\\Forms\\TAMOForm"));
    frame.reset();
    EXPECT_EQ(deleted, 2);
    EXPECT_EQ(deletedFirst, 2);
}

TEST_F(FrameOnData, ADoubleClickInTheThemeTreeOpensTheThemeAndNamesItsWindow) {
    Start();
    // The command states keep the theme tree hidden; shown from code, its double click works.
    frame->Action("aDataSelect")->trigger();
    ASSERT_TRUE(frame->ThemeWindow()->isVisible());
    QAbstractItemModel* tree = frame->ThemeTree()->model();
    const QModelIndex library = tree->index(0, 0);
    frame->ThemeTree()->expand(library);
    const QModelIndex theme = tree->index(tree->rowCount(library) - 1, 0, library);
    ASSERT_TRUE(theme.isValid());
    const QString themeName = theme.data().toString();

    // A double click on a library node opens nothing.
    frame->ThemeTree()->setCurrentIndex(library);
    frame->OpenSelectedTheme();
    EXPECT_EQ(frame->MapWindows().size(), 1);

    // In the active window (NewWindow off). The map is drawn off the user-interface thread, so no
    // event runs while the theme opens; the opening is over when the double click returns.
    Preferences().NewWindow = false;
    // The tree's double-click signal, as the view gives it for a double click on the theme's row.
    frame->ThemeTree()->setCurrentIndex(theme);
    emit frame->ThemeTree()->doubleClicked(theme);
    EXPECT_FALSE(frame->OpeningTheme());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frame->ActiveMap()->IsDrawing(); }, 20000));
    ASSERT_EQ(frame->MapWindows().size(), 1);
    EXPECT_EQ(frame->ActiveMap()->windowTitle(), themeName);
    // No readout yet: the caption goes to the last row of the grid.
    EXPECT_EQ(frame->DataPointGrid()->rowCount(), 5);
    ASSERT_NE(frame->DataPointGrid()->item(4, 0), nullptr);
    EXPECT_EQ(frame->DataPointGrid()->item(4, 0)->text(), themeName);

    // In a new window (NewWindow on), after a readout: the grid gains a row for it.
    frame->Action("aNewWindow")->trigger();
    frame->Action("aDataPoint")->trigger();
    frame->ShowDataPoint(1150, 550, 11.5, -1.6);
    frame->OpenSelectedTheme();
    ASSERT_EQ(frame->MapWindows().size(), 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frame->ActiveMap()->IsDrawing(); }, 20000));
    EXPECT_EQ(frame->DataPointGrid()->rowCount(), 6);
    ASSERT_NE(frame->DataPointGrid()->item(5, 0), nullptr);
    EXPECT_EQ(frame->DataPointGrid()->item(5, 0)->text(), themeName);
    EXPECT_EQ(frame->DataPointGrid()->item(1, 0)->text(), "Longitude");
    EXPECT_TRUE(frame->Action("aViewZoomIn")->isEnabled());
}

TEST_F(FrameOnData, CommandStatesFollowTheMapWindows) {
    Start();
    ExpectCommandStates(*frame, true, "after the start");
    frame->Action("aFileCloseAll")->trigger();
    ASSERT_NO_FATAL_FAILURE(WaitUntilNoMapWindow());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frame->Action("aViewZoomIn")->isEnabled(); }, kWaitDeadlineMs));
    ExpectCommandStates(*frame, false, "after Close All");
    frame->Action("aFileNewWindow")->trigger();
    ASSERT_EQ(frame->MapWindows().size(), 1);
    ExpectCommandStates(*frame, true, "after New Window");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frame->ActiveMap()->IsDrawing(); }, 20000));
}

TEST_F(FrameOnData, ATheme_sUnitsFollowTheValueAndTheDominantSoilIsStillFound) {
    RunSql(Database(), "UPDATE WRB_Layer SET Units = 'SMU id'");
    Start();
    frame->Action("aDataPoint")->trigger();
    frame->ShowDataPoint(1150, 550, 11.5, -1.6);
    EXPECT_EQ(frame->StatusPanel(3)->text(), "Image Value: " + QString::number(Smu) + " SMU id");
    EXPECT_EQ(frame->DataPointGrid()->item(3, 1)->text(), QString::number(Smu) + " SMU id");
    const QString soil = frame->DataPointGrid()->item(4, 1)->text();
    EXPECT_FALSE(soil.isEmpty());
    EXPECT_NE(soil, "-");
}

TEST_F(FrameOnData, TheExportWindowOffersTheThemesAndWhatToWrite) {
    Start();
    bool shown = false;
    responder.DialogAnswers.push_back([&](QDialog& dialog) {
        shown = true;
        // "Library" lists the catalogue's themes, the active map's first; "Layers" what to write.
        auto* library = dialog.findChild<QComboBox*>("cmbLibrary");
        auto* layers = dialog.findChild<QListWidget*>("lstLayers");
        EXPECT_EQ(library->count(), int(frame->Library()->Themes().size()));
        EXPECT_EQ(library->currentText(), frame->Library()->FirstTheme()->LayerName);
        EXPECT_EQ(layers->count(), 2);
        if (layers->count() < 2)
            return int(QDialog::Rejected);
        EXPECT_EQ(layers->item(0)->text(), "SMU ids");
        EXPECT_EQ(layers->item(1)->text(), "Legend classes");
        return int(QDialog::Rejected);
    });
    frame->Action("aExportData")->trigger();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(responder.Messages.empty());
}

TEST_F(FrameOnData, LegendCommandsAndTheRampBoxActOnTheActiveMap) {
    Start();
    // The legend commands follow the classification controls on the Data toolbar.
    const QList<QAction*> data = frame->Toolbar("TBDataToolbar")->actions();
    EXPECT_LT(data.indexOf(frame->Action("aDataClassification")), data.indexOf(frame->Action("aLegendAll")));
    EXPECT_EQ(data.indexOf(frame->Action("aLegendNone")), data.indexOf(frame->Action("aLegendAll")) + 1);
    EXPECT_EQ(data.indexOf(frame->Action("aLegendSwitch")), data.indexOf(frame->Action("aLegendAll")) + 2);
    EXPECT_TRUE(frame->Action("aLegendSwitch")->isVisible());
    EXPECT_TRUE(frame->Action("aDataClassification")->isVisible());
    EXPECT_EQ(frame->ColorRampBox()->count(), 30);

    TMapExplorerForm* map = frame->ActiveMap();
    TQEVmanager& legend = map->Manager();
    const int classes = legend.Classes().NumClasses;
    ASSERT_GT(classes, 2);
    const auto visibleCount = [&] {
        return int(
            std::count(legend.Classes().Visible.begin(), legend.Classes().Visible.begin() + classes, true));
    };
    frame->Action("aLegendNone")->trigger();
    EXPECT_EQ(visibleCount(), 0);
    legend.SetClassVisible(0, true);
    frame->Action("aLegendSwitch")->trigger();
    EXPECT_EQ(visibleCount(), classes - 1);
    EXPECT_FALSE(legend.Classes().Visible[0]);
    frame->Action("aLegendAll")->trigger();
    EXPECT_EQ(visibleCount(), classes);

    // Choosing a ramp recolours the classes from it: ramp 1 is fixed, class i takes its colour
    // number 14 + i x 39 div n.
    frame->ColorRampBox()->setCurrentIndex(1);
    EXPECT_EQ(map->RampCopy, frame->ColorRamp(1));
    for (int i : {0, 1, classes - 1})
        EXPECT_EQ(legend.Classes().ClassColors[i],
                  QRgb(frame->ColorRamp(1)[kRampFirstColor + i * 39 / classes]))
            << i;

    // The classification command opens the dialog on the active map.
    responder.DialogAnswers.push_back([](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Classification");
        return int(QDialog::Rejected);
    });
    frame->Action("aDataClassification")->trigger();
    EXPECT_TRUE(responder.DialogAnswers.empty());

    // Without a map the legend commands are off and the ramp box changes nothing.
    frame->Action("aFileCloseAll")->trigger();
    ASSERT_NO_FATAL_FAILURE(WaitUntilNoMapWindow());
    for (QAction* action : {frame->Action("aLegendAll"), frame->Action("aLegendNone"),
                            frame->Action("aLegendSwitch"), frame->Action("aDataClassification")})
        EXPECT_FALSE(action->isEnabled()) << action->objectName().toStdString();
    EXPECT_FALSE(frame->ColorRampBox()->isEnabled());
    frame->ColorRampBox()->setCurrentIndex(2);
}

// The method, count and ramp of the Data toolbar show the active map's legend, and a choice there
// classifies that map anew and redraws it, as the classification dialog does.
TEST_F(FrameOnData, TheDataToolbarClassifiesTheActiveMapAndFollowsTheActiveWindow) {
    Start();
    frame->resize(1500, 800); // every toolbar fits in its row
    QComboBox* methods = frame->ClassificationBox();
    QSpinBox* count = frame->ClassCountBox();
    for (QWidget* control : {static_cast<QWidget*>(methods), static_cast<QWidget*>(count),
                             static_cast<QWidget*>(frame->ColorRampBox()),
                             frame->Toolbar("TBDataToolbar")->findChild<QWidget*>("Label1")})
        EXPECT_TRUE(control->isVisible() && control->isEnabled()) << control->objectName().toStdString();
    const TQEVmanager& legend = map->Manager();
    EXPECT_EQ(methods->currentIndex(), legend.Classes().Method);
    EXPECT_EQ(count->value(), legend.Classes().Count());
    // Rows of the legend besides the classes (such as "No data").
    const int otherRows = map->LegendTreeView->topLevelItem(0)->childCount() - legend.Classes().Count();

    const auto expectLegend = [&](int method, int classes, const char* step) {
        EXPECT_EQ(legend.Classes().Method, method) << step;
        EXPECT_EQ(legend.Classes().Count(), classes) << step;
        EXPECT_EQ(methods->currentIndex(), method) << step;
        EXPECT_EQ(count->value(), classes) << step;
        EXPECT_EQ(map->LegendTreeView->topLevelItem(0)->childCount(), classes + otherRows)
            << step << ": legend redrawn";
        ASSERT_NO_FATAL_FAILURE(WaitForDrawing(*map));
    };
    const auto typeCount = [&](const char* digits) {
        count->setFocus();
        count->selectAll();
        QTest::keyClicks(count, digits);
        QTest::keyClick(count, Qt::Key_Return);
    };
    methods->setFocus();
    QTest::keyClick(methods, Qt::Key_Home);
    expectLegend(cmEqualInterval, legend.Classes().Count(), "Equal interval chosen");
    typeCount("5");
    expectLegend(cmEqualInterval, 5, "five classes typed");
    const double lowBound = legend.Classes().Breaks[0];
    methods->setFocus();
    QTest::keyClick(methods, Qt::Key_Down);
    expectLegend(cmQuantiles, 5, "Quantiles chosen");
    // Manual bounds are kept until the count changes; a new count has none, so it is divided evenly.
    QTest::keyClick(methods, Qt::Key_End);
    expectLegend(cmManual, 5, "Manual chosen");
    typeCount("3");
    expectLegend(cmEqualInterval, 3, "three manual classes");
    EXPECT_NE(legend.Classes().Breaks[0], lowBound);

    frame->ColorRampBox()->setCurrentIndex(1);
    EXPECT_EQ(map->RampCopy, frame->ColorRamp(1));
    // A second window shows its own legend; coming back to the first shows the first's again.
    frame->Action("aFileNewWindow")->trigger();
    TMapExplorerForm* second = frame->ActiveMap();
    ASSERT_NE(second, map);
    ASSERT_NO_FATAL_FAILURE(WaitForDrawing(*second));
    EXPECT_EQ(methods->currentIndex(), second->Manager().Classes().Method);
    EXPECT_EQ(count->value(), second->Manager().Classes().Count());
    EXPECT_EQ(frame->ColorRampBox()->currentIndex(), 0);
    frame->MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(map->parentWidget()));
    EXPECT_EQ(methods->currentIndex(), cmEqualInterval);
    EXPECT_EQ(count->value(), 3);
    EXPECT_EQ(frame->ColorRampBox()->currentIndex(), 1);
}

// + and - zoom the active map in and out around the centre of its view, pressed on the map or
// anywhere else in the frame; the tool stays as it was.
TEST_F(FrameOnData, PlusAndMinusZoomAroundTheCentreOfTheView) {
    Start();
    map->SetViewAndDraw(800, 1600, 300, 700);
    ASSERT_NO_FATAL_FAILURE(WaitForDrawing(*map));
    const auto centreAndWidth = [&] {
        const TViewRect view = map->GetView();
        return std::tuple{(view.Col0 + view.Col1) / 2.0, (view.Row0 + view.Row1) / 2.0,
                          view.Col1 - view.Col0};
    };
    const auto [col, row, width] = centreAndWidth();
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    const auto expectAroundTheCentre = [&, col = col, row = row](const char* step) {
        const auto [nowCol, nowRow, nowWidth] = centreAndWidth();
        EXPECT_NEAR(nowCol, col, 3 + nowWidth / 50.0) << step;
        EXPECT_NEAR(nowRow, row, 3 + nowWidth / 50.0) << step;
    };
    map->Image32View->setFocus();
    QTest::keyClick(map->Image32View, Qt::Key_Plus);
    ASSERT_NO_FATAL_FAILURE(WaitForDrawing(*map));
    const int zoomedWidth = std::get<2>(centreAndWidth());
    EXPECT_LT(zoomedWidth, width / 2);
    expectAroundTheCentre("+ on the map");

    frame->Toolbar("TBViewToolbar")->setFocus();
    QTest::keyClick(frame->Toolbar("TBViewToolbar"), Qt::Key_Minus, Qt::KeypadModifier);
    ASSERT_NO_FATAL_FAILURE(WaitForDrawing(*map));
    EXPECT_GT(std::get<2>(centreAndWidth()), zoomedWidth);
    expectAroundTheCentre("- on the keypad, from a toolbar");
    EXPECT_TRUE(frame->Action("aNoAction")->isChecked());
}

// A second start while the frame is minimised: restoring it redraws the map, which lets events
// run, among them the other start's reading of the answer and its going away. The viewer lives
// on and answers the next start too.
TEST_F(FrameOnData, AnotherStartRestoresAMinimisedFrameWhileItsMapRedraws) {
    Start();
    frame->showMinimized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->isMinimized(); }, kWaitDeadlineMs));
    const QString name = "TAMO-test-" + QUuid::createUuid().toString(QUuid::Id128);
    TSingleInstance instance(name);
    ASSERT_TRUE(instance.Listen());
    // As the program wires it.
    QObject::connect(&instance, &TSingleInstance::Activated, frame.get(),
                     [&] { frame->ActivateFromAnotherStart(); });
    for (int start = 0; start < 2; ++start) {
        QLocalSocket other;
        QByteArray answer;
        QObject::connect(&other, &QLocalSocket::readyRead, [&] {
            answer += other.readAll();
            other.disconnectFromServer();
        });
        other.connectToServer(name);
        other.write("activate\n");
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return answer == "ok\n" && !frame->isMinimized() && !map->IsDrawing(); }, 20000))
            << start;
        frame->showMinimized();
    }
}

TEST_F(FrameOnData, GoToShowsTwoDegreesAroundThePlaceAndMarksIt) {
    Start();
    // The middle of the unit's block: column 1150 and row 550 on a grid of six cells a degree.
    responder.DialogAnswers.push_back([](QDialog& dialog) {
        auto* goTo = qobject_cast<TGoToForm*>(&dialog);
        if (!goTo) {
            ADD_FAILURE() << "unexpected dialog " << dialog.windowTitle().toStdString();
            return int(QDialog::Rejected);
        }
        goTo->show();
        // A wrong text is answered in the dialog, which stays.
        QTest::keyClicks(goTo->edtPlace, "1°40'S");
        QTest::keyClick(goTo->edtPlace, Qt::Key_Return);
        EXPECT_TRUE(goTo->isVisible());
        EXPECT_FALSE(goTo->lblError->isHidden());
        // The text is selected for typing anew.
        QTest::keyClicks(goTo->edtPlace, "1°40'S 11°40'E");
        QTest::keyClick(goTo->edtPlace, Qt::Key_Return);
        EXPECT_FALSE(goTo->isVisible())
            << goTo->edtPlace->text().toStdString() << ": " << goTo->lblError->text().toStdString();
        return goTo->result();
    });
    frame->Action("aViewGoTo")->trigger();
    ASSERT_TRUE(responder.DialogAnswers.empty());
    ASSERT_NO_FATAL_FAILURE(WaitForDrawing(*map));
    const TViewRect view = map->GetView();
    EXPECT_EQ(view.Col0, 1144);
    EXPECT_EQ(view.Col1, 1156);
    EXPECT_EQ(view.Row0, 544);
    EXPECT_EQ(view.Row1, 556);
    EXPECT_TRUE(map->Marker.Shown());
}

TEST_F(FrameOnData, FindUnitSelectsTheUnitsNamedAndShowsWhereTheyLie) {
    Start();
    const auto find = [&](const QString& text) {
        responder.DialogAnswers.push_back([text](QDialog& dialog) {
            auto* form = qobject_cast<TFindUnitForm*>(&dialog);
            if (!form) {
                ADD_FAILURE() << "unexpected dialog " << dialog.windowTitle().toStdString();
                return int(QDialog::Rejected);
            }
            form->show();
            QTest::keyClicks(form->edtUnit, text);
            QTest::mouseClick(form->btnOk, Qt::LeftButton);
            return form->result();
        });
        frame->Action("aDataFindUnit")->trigger();
        EXPECT_TRUE(responder.DialogAnswers.empty());
    };
    const auto selectedUnits = [&] {
        const TIntList& selection = frame->Database()->Selection();
        std::set<int> units;
        for (int i = 0; i < selection.Count(); ++i)
            units.insert(selection[i]);
        return units;
    };

    // By id: the unit of the block is selected, and the map shows the block with a margin of a
    // twentieth of it, once the raster has been read.
    find(QString::number(Smu));
    ASSERT_TRUE(QTest::qWaitFor([&] { return map->GetView().Col0 > 0 && !map->IsDrawing(); }, 20000));
    EXPECT_EQ(map->GetView(), (TViewRect{kBlockCol - 5, kBlockCol + kBlockSize + 4, kBlockRow - 5,
                                         kBlockRow + kBlockSize + 4}));
    EXPECT_EQ(selectedUnits(), std::set<int>{Smu});
    EXPECT_TRUE(frame->Database()->SelectionActive());

    // By part of a soil name, in any case: every unit with such a soil, once each.
    frame->Action("aViewReset")->trigger();
    ASSERT_NO_FATAL_FAILURE(WaitForDrawing(*map));
    find("vERTIC");
    const int expected = RunSql(
        Database(), "SELECT COUNT(DISTINCT TAMO2_SMU_ID) FROM TAMO2_LAYERS WHERE WRB2_NAME LIKE '%vertic%'");
    ASSERT_GT(expected, 1);
    EXPECT_EQ(int(selectedUnits().size()), expected);
    ASSERT_NO_FATAL_FAILURE(WaitForDrawing(*map));

    // Quotes and wildcards are taken as typed: nothing matches, and the user is told so.
    find("o'_%");
    ASSERT_EQ(responder.Messages.size(), 1u);
    EXPECT_EQ(responder.Messages[0].Text, "No soil mapping unit matches \"o'_%\".");
    EXPECT_TRUE(selectedUnits().empty());
}
