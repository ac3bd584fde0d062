// The start-up load on its own, with the frame's steps replaced by recording fakes.
#include "TestSupport.h"
#include "app/SplashForm.h"
#include "app/StartupLoad.h"
#include "common/TAMOError.h"
#include "map/frmProgress.h"
#include "settings/LocationForm.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QWidget>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace {
class StartupLoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        LoadPreferences(Preferences());
        frame.show();
    }
    // The overlay and the database exist (their content is the steps' business).
    void MakeDataFiles() {
        for (const QString& path : {Preferences().DATA_WORLD_MAP, Preferences().ATTRIB_MDB}) {
            QDir().mkpath(QFileInfo(path).path());
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
    }
    TStartupSteps RecordingSteps(std::function<void()> load = {}) {
        return {[this, load] {
                    steps << "load";
                    busyCursorWhileLoading = QApplication::overrideCursor() != nullptr;
                    if (load)
                        load();
                },
                [this] { steps << "open"; }, [this] { steps << "end"; }};
    }

    TScopedEnvironment env;
    TTestResponder responder;
    QWidget frame;
    QStringList steps;
    bool busyCursorWhileLoading = false;
};
} // namespace

TEST_F(StartupLoadTest, LoadsBehindTheSplashAndOpensTheFirstMapAfterLoadTamo) {
    MakeDataFiles();
    QStringList stepsWhenSplashAnswered;
    responder.DialogAnswers.push_back([&](QDialog& splash) {
        stepsWhenSplashAnswered = steps;
        EXPECT_NE(splash.findChild<QPushButton*>("btnStart"), nullptr);
        return int(QDialog::Accepted);
    });
    TStartupLoad load(frame, RecordingSteps());
    load.Run();
    EXPECT_EQ(load.Outcome(), TStartupLoad::TOutcome::Loaded);
    EXPECT_EQ(stepsWhenSplashAnswered, QStringList({"load"})); // the map waits for "Load TAMO"
    EXPECT_EQ(steps, QStringList({"load", "open"}));
    EXPECT_TRUE(busyCursorWhileLoading);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(responder.Messages.empty());
}

TEST_F(StartupLoadTest, AnErrorOfTheLoadLeavesTheSplashUpAndOpensNoMap) {
    MakeDataFiles();
    TStartupLoad load(frame, RecordingSteps([] { throw TAMOError("no catalogue"); }));
    EXPECT_THROW(load.Run(), TAMOError);
    EXPECT_EQ(load.Outcome(), TStartupLoad::TOutcome::Failed);
    EXPECT_EQ(steps, QStringList({"load"}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ASSERT_NE(load.Splash(), nullptr);
    EXPECT_TRUE(load.Splash()->isVisible());
    EXPECT_FALSE(load.Splash()->isModal());
    EXPECT_FALSE(load.Splash()->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(responder.DialogAnswers.empty());
}

TEST_F(StartupLoadTest, MissingDataFilesAndCancelEndTheProgramWithOneMessage) {
    TStartupLoad load(frame, RecordingSteps());
    load.Run(); // the data location dialog is cancelled (no answer queued)
    EXPECT_EQ(load.Outcome(), TStartupLoad::TOutcome::Cancelled);
    EXPECT_EQ(steps, QStringList({"end"}));
    ASSERT_EQ(responder.Messages.size(), 1u);
    EXPECT_EQ(responder.Messages[0].Caption, "Error");
    EXPECT_EQ(load.Splash(), nullptr);
}

TEST_F(StartupLoadTest, AFirstStartWithoutDataGoesOnWithTheDemoDataItMakes) {
    responder.DialogAnswers = {[&](QDialog& dialog) {
                                   auto& form = dynamic_cast<TLocationForm&>(dialog);
                                   form.DemoDataCommand = {WriteGenerator(env.Folder(), kWritesTheSet), {}};
                                   QTest::mouseClick(form.btnDemoData, Qt::LeftButton);
                                   return form.result();
                               },
                               WaitForTheMaker(),
                               [](QDialog&) { return int(QDialog::Accepted); }}; // the splash
    TStartupLoad load(frame, RecordingSteps());
    load.Run();
    EXPECT_EQ(load.Outcome(), TStartupLoad::TOutcome::Loaded);
    EXPECT_EQ(steps, QStringList({"load", "open"}));
    EXPECT_TRUE(responder.Messages.empty());
    EXPECT_EQ(Preferences().ATTRIB_MDB, env.DataHome() + "TAMO/TAMO2.sqlite");
    EXPECT_EQ(ProgramState().ConnectionString, BuildConnectionString(Preferences().ATTRIB_MDB));
}

TEST_F(StartupLoadTest, ClosingTheWaitingSplashEndsTheProgram) {
    MakeDataFiles();
    // Alt+F4 on the splash: the window system asks it to close.
    responder.DialogAnswers.push_back([](QDialog& splash) {
        splash.close();
        return splash.result();
    });
    TStartupLoad load(frame, RecordingSteps());
    load.Run();
    EXPECT_EQ(steps, QStringList({"load", "end"}));
    EXPECT_EQ(load.Outcome(), TStartupLoad::TOutcome::Cancelled);
}

// The extraction that follows "Load TAMO" on a first start: a second Enter must not cancel it.
TEST(ProgressWindow, EnterNeverCancelsEscapeAndCancelDo) {
    TfrmProgress window;
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window, kWaitDeadlineMs));
    QTest::keyClick(&window, Qt::Key_Return);
    window.btnCancel->setFocus();
    QTest::keyClick(window.btnCancel, Qt::Key_Return);
    QTest::keyClick(window.btnCancel, Qt::Key_Enter);
    EXPECT_FALSE(window.CancelRequested);
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_TRUE(window.CancelRequested);

    TfrmProgress clicked;
    clicked.show();
    QTest::mouseClick(clicked.btnCancel, Qt::LeftButton);
    EXPECT_TRUE(clicked.CancelRequested);
}
