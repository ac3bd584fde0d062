#include "TestSupport.h"
#include "app/TAMOForm.h"

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTableWidget>
#include <QToolBar>
#include <QWindow>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace {
QJsonObject SettingsRoot(const TScopedEnvironment& env) {
    QFile file(env.SettingsFile());
    file.open(QIODevice::ReadOnly);
    return QJsonDocument::fromJson(file.readAll())
        .object()["software"]
        .toObject()["TAMO"]
        .toObject()["v2.00"]
        .toObject();
}
// The order in which the watched windows appear.
class TShowOrder : public QObject {
public:
    QStringList Shown;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show)
            Shown << watched->objectName();
        return false;
    }
};
} // namespace

TEST(Frame, FirstStartHasTheDefaultLayoutAndPanels) {
    TScopedEnvironment env;
    TTAMOForm frame;
    frame.show();
    EXPECT_EQ(frame.windowTitle(), "TAMO-Viewer 2.0");
    EXPECT_TRUE(frame.windowState() & Qt::WindowMaximized);
    EXPECT_TRUE(QDir(Preferences().DATA_CACHE).exists());
    for (QToolBar* bar :
         {frame.Toolbar("TBMainToolbar"), frame.Toolbar("TBViewToolbar"), frame.Toolbar("TBDataToolbar")})
        EXPECT_EQ(frame.toolBarArea(bar), Qt::TopToolBarArea);
    EXPECT_TRUE(frame.Toolbar("TBMainToolbar")->isVisible());
    EXPECT_TRUE(frame.Toolbar("TBViewToolbar")->isVisible());
    // The Data toolbar carries the SMU table, Data Query, Add Shape Layer and legend commands.
    EXPECT_TRUE(frame.Toolbar("TBDataToolbar")->isVisible());
    // Main and View share the first row, the Data toolbar has the second.
    EXPECT_EQ(frame.Toolbar("TBViewToolbar")->y(), frame.Toolbar("TBMainToolbar")->y());
    EXPECT_LT(frame.Toolbar("TBMainToolbar")->x(), frame.Toolbar("TBViewToolbar")->x());
    EXPECT_GT(frame.Toolbar("TBDataToolbar")->y(), frame.Toolbar("TBMainToolbar")->y());
    EXPECT_FALSE(frame.DataPointWindow()->isVisible());
    EXPECT_FALSE(frame.ThemeWindow()->isVisible());
    EXPECT_TRUE(frame.Action("aToolMain")->isChecked());
    EXPECT_FALSE(frame.Action("aDataPoint")->isChecked());
    const int widths[5] = {350, 175, 175, 150, 50};
    for (int i = 0; i < 5; ++i)
        EXPECT_GE(frame.StatusPanel(i)->width(), widths[i]);
    EXPECT_EQ(frame.DataPointGrid()->item(0, 0)->text(), "Label");
    EXPECT_EQ(frame.DataPointGrid()->item(0, 1)->text(), "Value");
    EXPECT_TRUE(frame.DataPointGrid()->selectedItems().isEmpty());
    // The grid's columns fit their labels in this font; undocked, the window takes a tool
    // window's size, not the height of the docking area.
    const QFontMetrics metrics(frame.DataPointGrid()->font());
    EXPECT_GT(frame.DataPointGrid()->columnWidth(0),
              metrics.horizontalAdvance("Dominant Soil Unit (WRB2022)"));
    frame.Action("aDataPoint")->trigger();
    frame.resize(1200, 1000);
    frame.DataPointWindow()->setFloating(false);
    QCoreApplication::processEvents();
    ASSERT_GT(frame.DataPointWindow()->height(), 600); // docked: the height of the docking area
    frame.DataPointWindow()->setFloating(true);
    QCoreApplication::processEvents();
    EXPECT_LT(frame.DataPointWindow()->height(), 400);
    EXPECT_GE(frame.DataPointWindow()->width(), 249);
    // "No action" reads "None" on its toolbar button, also after the commands changed state.
    EXPECT_EQ(frame.Toolbar("TBViewToolbar")->widgetForAction(frame.Action("aNoAction"))->toolTip(), "None");
    // No map yet: the map commands are off.
    frame.UpdateCommandStates();
    EXPECT_FALSE(frame.Action("aViewZoomIn")->isEnabled());
    EXPECT_TRUE(frame.Action("aFileNewWindow")->isEnabled());
}

TEST(Frame, MissingDataAndCancelEndsTheProgramWithOneMessage) {
    TScopedEnvironment env;
    TTestResponder responder;
    bool dialogShown = false;
    responder.DialogAnswers.push_back([&](QDialog& dialog) {
        dialogShown = dialog.windowTitle() == "TAMO data locations";
        return int(QDialog::Rejected);
    });
    {
        TTAMOForm frame;
        frame.show();
        // The start-up load runs half a second after the frame appears.
        EXPECT_TRUE(QTest::qWaitFor([&] { return frame.StartupCancelled(); }, kWaitDeadlineMs));
        EXPECT_TRUE(dialogShown);
        ASSERT_EQ(responder.Messages.size(), 1u);
        EXPECT_EQ(responder.Messages[0].Text,
                  "Closing the TAMO-Viewer - Please check the data files or re-install the application");
        EXPECT_EQ(responder.Messages[0].Caption, "Error");
        EXPECT_FALSE(frame.isVisible());
        EXPECT_EQ(frame.MdiArea()->subWindowList().size(), 0);
        EXPECT_EQ(frame.Database(), nullptr);
    }
    // The frame saved its placement and all twenty preferences when it went.
    const QJsonObject root = SettingsRoot(env);
    EXPECT_EQ(root["Preferences"].toObject().size(), 20);
    EXPECT_TRUE(root["Forms"].toObject()["TAMOForm"].toObject().contains("Left"));
    EXPECT_TRUE(root["Toolbars"].toObject().contains("TBMainToolbar"));
    // The Data toolbar is stored shown.
    EXPECT_EQ(root["Toolbars"].toObject()["TBDataToolbar"].toObject()["Visible"].toString(), "1");
}

TEST(Frame, TogglesChangeOnlyTheirPreferenceAndCheckMark) {
    TScopedEnvironment env;
    TTAMOForm frame;
    const bool before = Preferences().SynchronizeWindows;
    frame.Action("aViewSynchronize")->trigger();
    EXPECT_EQ(Preferences().SynchronizeWindows, !before);
    EXPECT_EQ(frame.Action("aViewSynchronize")->isChecked(), !before);
    frame.Action("aViewPersistent")->trigger();
    EXPECT_EQ(Preferences().PersistentView, frame.Action("aViewPersistent")->isChecked());
    frame.Action("aDataPoint")->trigger();
    EXPECT_TRUE(frame.DataPointWindow()->isVisibleTo(&frame));
    EXPECT_TRUE(frame.Action("aDataPoint")->isChecked());
}

TEST(Frame, HintsGoToTheFirstPanelOnly) {
    TScopedEnvironment env;
    TTAMOForm frame;
    frame.show();
    frame.ShowStatusText("Drawing Map ...");
    QStatusTipEvent hint("Zoom In");
    QApplication::sendEvent(&frame, &hint);
    EXPECT_EQ(frame.StatusPanel(0)->text(), "Zoom In");
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(frame.StatusPanel(i)->isVisible()) << i;
    EXPECT_TRUE(frame.statusBar()->currentMessage().isEmpty());
    QStatusTipEvent gone("");
    QApplication::sendEvent(&frame, &gone);
    EXPECT_EQ(frame.StatusPanel(0)->text(), "Drawing Map ...");
}

TEST(Frame, UnfinishedCommandsSayso) {
    TScopedEnvironment env;
    TTestResponder responder;
    TTAMOForm frame;
    frame.Action("aLibraryManager")->trigger();
    ASSERT_EQ(responder.Messages.size(), 1u);
    EXPECT_EQ(responder.Messages[0].Text, " ... to be implemeted...");
    EXPECT_EQ(responder.Messages[0].Caption, "Message");
}

TEST(Frame, AnAccessFileWithoutTheSoilTablesFailsTheStartupWithItsOwnMessage) {
    const QString nwind = TestDataFile("nwind.mdb");
    TScopedEnvironment env;
    TTestResponder responder;
    // The viewer finds the import program beside itself.
    QFile::link(TAMO_MDB_IMPORT_PROGRAM, env.Folder() + "tamo-mdb-import");
    QDir().mkpath(env.Folder() + "Data");
    QFile::copy(nwind, env.Folder() + "Data/TAMO2.mdb");
    QFile::copy(QString(TAMO_DATA_DIR) + "/Country.shp", env.Folder() + "Data/Country.shp");

    TTAMOForm frame;
    frame.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !responder.Messages.empty(); }, 30000));
    EXPECT_EQ(responder.Messages[0].Caption, "Error");
    // The message names the Access file and what is wrong with it.
    EXPECT_TRUE(responder.Messages[0].Text.startsWith(
        "The attribute database \"" + env.Folder() + "Data/TAMO2.mdb\" is damaged or is not a soil database"))
        << responder.Messages[0].Text.toStdString();
    EXPECT_TRUE(responder.Messages[0].Text.contains("WRB_Class")) << responder.Messages[0].Text.toStdString();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(frame.isVisible()); // the program keeps running
    EXPECT_EQ(frame.MdiArea()->subWindowList().size(), 0);
    // The copy without the tables was not kept: the next start tries again.
    EXPECT_TRUE(QDir(Preferences().DATA_CACHE).entryList({"*.sqlite"}).isEmpty());
}

TEST(Frame, ToolbarsAndTheDataPointWindowComeBackAfterExit) {
    TScopedEnvironment env;
    {
        TTAMOForm frame;
        frame.show();
        frame.Action("aToolView")->trigger();  // hide the View toolbar
        frame.Action("aDataPoint")->trigger(); // show the Data Point window
        frame.close();
    }
    TTAMOForm frame;
    frame.show();
    EXPECT_TRUE(frame.Toolbar("TBMainToolbar")->isVisible());
    EXPECT_FALSE(frame.Toolbar("TBViewToolbar")->isVisible());
    // A floating tool window appears just after the frame.
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame.DataPointWindow()->isVisible(); }, kWaitDeadlineMs));
    EXPECT_FALSE(frame.Action("aToolView")->isChecked());
    EXPECT_TRUE(frame.Action("aDataPoint")->isChecked());
}

TEST(Frame, AnOpenDataPointWindowComesBackFloatingOrDocked) {
    for (const bool floating : {true, false}) {
        TScopedEnvironment env;
        QRect floatingPlace;
        {
            TTAMOForm frame;
            frame.show();
            frame.Action("aDataPoint")->trigger();
            frame.DataPointWindow()->setFloating(floating);
            QCoreApplication::processEvents();
            floatingPlace = frame.DataPointWindow()->geometry();
            frame.close(); // the exit command
        }
        TTAMOForm frame;
        TShowOrder order;
        frame.installEventFilter(&order);
        frame.DataPointWindow()->installEventFilter(&order);
        EXPECT_TRUE(frame.Action("aDataPoint")->isChecked()) << floating;
        frame.show();
        EXPECT_TRUE(QTest::qWaitFor([&] { return frame.DataPointWindow()->isVisible(); }, kWaitDeadlineMs))
            << floating;
        EXPECT_EQ(frame.DataPointWindow()->isFloating(), floating);
        EXPECT_TRUE(frame.Action("aDataPoint")->isChecked()) << floating;
        if (floating) {
            EXPECT_EQ(frame.DataPointWindow()->size(), floatingPlace.size());
            // It appears after the frame, as a window of the frame: the window manager keeps it
            // above.
            EXPECT_EQ(order.Shown, QStringList({"TAMOForm", "TBToolDataPoint"}));
            ASSERT_NE(frame.DataPointWindow()->windowHandle(), nullptr);
            EXPECT_EQ(frame.DataPointWindow()->windowHandle()->transientParent(), frame.windowHandle());
        }
    }
}

TEST(Frame, ToolbarDialogAppliesOnOkOnly) {
    TScopedEnvironment env;
    TTestResponder responder;
    TTAMOForm frame;
    frame.show();
    const auto uncheckMainAnd = [](int result) {
        return [result](QDialog& dialog) {
            // A dialog frame (no minimise or maximise box), centred on the frame by Qt as it was
            // never placed before, wide enough for its caption.
            EXPECT_FALSE(dialog.windowFlags() &
                         (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
            EXPECT_TRUE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
            EXPECT_GE(dialog.width(), 150);
            // The window manager writes the title in bold beside an icon and three buttons.
            QFont bold = dialog.font();
            bold.setBold(true);
            EXPECT_GE(dialog.width(), QFontMetrics(bold).horizontalAdvance(dialog.windowTitle()) + 120);
            auto* list = dialog.findChild<QListWidget*>("CheckListBox");
            EXPECT_EQ(list->count(), 4);
            EXPECT_EQ(list->item(3)->text(), "Data Point");
            EXPECT_EQ(list->item(0)->checkState(), Qt::Checked);
            list->item(0)->setCheckState(Qt::Unchecked);
            return result;
        };
    };
    responder.DialogAnswers = {uncheckMainAnd(QDialog::Rejected), uncheckMainAnd(QDialog::Accepted)};
    frame.Action("aToolbars")->trigger(); // closed with the close box: nothing changes
    EXPECT_TRUE(frame.Toolbar("TBMainToolbar")->isVisible());
    frame.Action("aToolbars")->trigger();
    EXPECT_FALSE(frame.Toolbar("TBMainToolbar")->isVisible());
    EXPECT_FALSE(frame.Action("aToolMain")->isChecked());

    std::unique_ptr<QMenu> popup(frame.createPopupMenu());
    QStringList items;
    for (QAction* action : popup->actions())
        items << action->text();
    EXPECT_EQ(items, QStringList({"&Main", "&View", "&Data", "Data &Point", "", "&Toolbars"}));
}
