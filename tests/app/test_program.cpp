#include "TestSupport.h"
#include "app/DataPointText.h"
#include "app/ProgramEnd.h"
#include "app/SingleInstance.h"
#include "app/SplashForm.h"
#include "app/ViewerCommandLine.h"

#include <QFile>
#include <QLabel>
#include <QLocalSocket>
#include <QLocale>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QUuid>
#include <QtTest/QTest>
#include <array>
#include <csignal>
#include <gtest/gtest.h>

namespace {
QString Touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("raster");
    return path;
}
} // namespace

TEST(ProgramEnd, DeletesOnlyAnExtractedRasterInsideTheCache) {
    TScopedEnvironment env;
    TPreferences prefs;
    SetDefaultPreferences(prefs);
    const QString cached = Touch(prefs.DATA_CACHE + "TAMO2.bil");
    const QString usersOwn = Touch(env.Folder() + "mine/TAMO2.bil");

    prefs.DeleteRaster = false;
    EXPECT_FALSE(DeleteLastRaster(prefs, cached));
    EXPECT_TRUE(QFile::exists(cached));

    prefs.DeleteRaster = true;
    EXPECT_FALSE(DeleteLastRaster(prefs, usersOwn));
    EXPECT_TRUE(QFile::exists(usersOwn));
    // A path that only looks as if it were inside the cache folder.
    EXPECT_FALSE(DeleteLastRaster(prefs, prefs.DATA_CACHE + "../mine/TAMO2.bil"));
    EXPECT_TRUE(QFile::exists(usersOwn));

    EXPECT_TRUE(DeleteLastRaster(prefs, cached));
    EXPECT_FALSE(QFile::exists(cached));
    EXPECT_FALSE(DeleteLastRaster(prefs, cached)); // already gone
}

TEST(DataPointText, ClampsAndLabelsTheHemisphere) {
    QLocale::setDefault(QLocale::c());
    struct {
        double Value;
        bool Longitude;
        const char* Text;
    } cases[] = {{-12.5, true, "-12.50 W"}, {0.0, true, "0.00 W"},  {180.0041, true, "180.00 E"},
                 {-200, true, "-180.00 W"}, {0.0, false, "0.00 S"}, {45.126, false, "45.13 N"},
                 {-95, false, "-90.00 S"},  {91, false, "90.00 N"}};
    for (const auto& c : cases) {
        const QString text = c.Longitude ? LongitudeText(c.Value) : LatitudeText(c.Value);
        EXPECT_EQ(text.toStdString(),
                  QString(c.Text).replace('.', QLocale::system().decimalPoint()).toStdString());
    }
}

TEST(Splash, ButtonIsEnabledByTheFirstTickAndClosesTheWindow) {
    auto* splash = new TSplashForm;
    QPointer<TSplashForm> alive(splash);
    EXPECT_EQ(splash->Label2->text(), "Initializing ... please wait");
    EXPECT_FALSE(splash->btnStart->isEnabled());
    EXPECT_EQ(splash->Timer->interval(), 1500);
    EXPECT_EQ(splash->btnStart->text(), "Load TAMO");
    const auto* picture = splash->findChild<QLabel*>("Picture");
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->pixmap().size(), QSize(761, 522)); // the JPEG picture was found and decoded
    splash->show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return splash->btnStart->isEnabled(); }, kWaitDeadlineMs));
    EXPECT_TRUE(splash->Label2->text().isEmpty());
    QTest::mouseClick(splash->btnStart, Qt::LeftButton);
    EXPECT_EQ(splash->result(), QDialog::Accepted);
    EXPECT_TRUE(QTest::qWaitFor([&] { return alive.isNull(); }, kWaitDeadlineMs));
}

// A screen smaller than the picture (or magnified: 1600 x 1000 pixels at a scale factor of 2 are
// 800 x 500) gets the whole picture scaled down, its button and status line inside it.
TEST(Splash, FitsWholeOnTheScreen) {
    const struct {
        QSize Available;
        QSize Expected;
    } cases[] = {{{1600, 1000}, {761, 522}},
                 {{800, 500}, {682, 468}},
                 {{1024, 540}, {740, 508}},
                 {{200, 150}, {320, 219}}};
    for (const auto& c : cases)
        EXPECT_EQ(TSplashForm::SizeFor(c.Available), c.Expected)
            << c.Available.width() << "x" << c.Available.height();

    TSplashForm splash;
    splash.FitTo(QRect(0, 0, 800, 500));
    EXPECT_EQ(splash.size(), QSize(682, 468));
    EXPECT_EQ(splash.findChild<QLabel*>("Picture")->geometry(), splash.rect());
    for (const QWidget* part : {static_cast<QWidget*>(splash.btnStart), static_cast<QWidget*>(splash.Label2)})
        EXPECT_TRUE(splash.rect().contains(part->geometry())) << part->objectName().toStdString();

    // Centred on a frame that lies partly off the screen, it stays whole on the screen.
    QWidget frame;
    frame.setGeometry(-300, -200, 400, 300);
    splash.CentreOn(frame);
    const QRect available = frame.screen()->availableGeometry();
    EXPECT_TRUE(available.contains(QRect(splash.pos(), splash.size())));
}

namespace {
// Two viewers sharing one private settings folder, hence one instance name.
class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        environment.insert("XDG_CONFIG_HOME", home.path());
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        first.setProcessEnvironment(environment);
        first.start(TAMO_VIEWER_PROGRAM, {});
        ASSERT_TRUE(first.waitForStarted(10000));
        const QString name = InstanceName();
        // Wait until the first viewer listens.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                QLocalSocket probe;
                probe.connectToServer(name);
                return probe.waitForConnected(100);
            },
            kWaitDeadlineMs));
    }
    void TearDown() override {
        ::kill(pid_t(first.processId()), SIGCONT);
        first.kill();
        first.waitForFinished(5000);
    }
    QString InstanceName() {
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
        const QString name = TSingleInstance::DefaultName();
        qputenv("XDG_CONFIG_HOME", saved);
        return name;
    }
    void StartSecond(QProcess& second) {
        second.setProcessEnvironment(environment);
        second.start(TAMO_VIEWER_PROGRAM, {});
        ASSERT_TRUE(second.waitForStarted(10000));
    }

    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QProcess first;
};
} // namespace

// Two starts asking at once are both answered and bring the viewer forward once each; a
// connection that sends anything but a request gets no answer and is dropped.
TEST(SingleInstanceServer, EveryStartIsAnsweredAndAStrangerIsDropped) {
    const QString name = "TAMO-test-" + QUuid::createUuid().toString(QUuid::Id128);
    TSingleInstance server(name);
    ASSERT_TRUE(server.Listen());
    int activations = 0;
    QObject::connect(&server, &TSingleInstance::Activated, [&] { ++activations; });
    struct TStart {
        QLocalSocket Socket;
        QByteArray Answer;
    };
    std::array<TStart, 2> starts;
    for (TStart& start : starts) {
        QObject::connect(&start.Socket, &QLocalSocket::readyRead, [&start] {
            start.Answer += start.Socket.readAll();
            if (start.Answer.endsWith('\n'))
                start.Socket.disconnectFromServer();
        });
        start.Socket.connectToServer(name);
        start.Socket.write("activate\n");
    }
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return activations == 2 && starts[0].Answer == "ok\n" && starts[1].Answer == "ok\n"; },
        kWaitDeadlineMs));

    QLocalSocket stranger;
    stranger.connectToServer(name);
    ASSERT_TRUE(stranger.waitForConnected(5000));
    stranger.write(QByteArray(100, 'x'));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return stranger.state() == QLocalSocket::UnconnectedState; }, kWaitDeadlineMs));
    EXPECT_EQ(stranger.readAll(), QByteArray());
    EXPECT_EQ(activations, 2);
}

TEST_F(SingleInstanceTest, ASecondViewerHandsOverToTheFirstAndExits) {
    QProcess second;
    StartSecond(second);
    ASSERT_TRUE(second.waitForFinished(15000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
}

TEST_F(SingleInstanceTest, ASecondStartWaitsForABusyViewerAndNeverStartsItsOwn) {
    // The first viewer is busy: it answers nothing until it goes on.
    ASSERT_EQ(::kill(pid_t(first.processId()), SIGSTOP), 0);
    QProcess second;
    StartSecond(second);
    EXPECT_FALSE(second.waitForFinished(2000)); // still waiting for an answer
    ASSERT_EQ(::kill(pid_t(first.processId()), SIGCONT), 0);
    ASSERT_TRUE(second.waitForFinished(15000));
    EXPECT_EQ(second.exitCode(), 0);

    // The first viewer still owns the handover: a third start ends at once too.
    QProcess third;
    StartSecond(third);
    ASSERT_TRUE(third.waitForFinished(15000));
    EXPECT_EQ(third.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
}

TEST(ViewerCommandLine, TakesHelpVersionAndQtsOwnOptionsOnly) {
    using TAction = TViewerCommandLine::TAction;
    const struct {
        QStringList Arguments;
        TAction Action;
    } cases[] = {
        {{}, TAction::Run},
        {{"-platform", "offscreen"}, TAction::Run},
        {{"--style=fusion", "-reverse", "-geometry", "800x600+0+0"}, TAction::Run},
        {{"-h"}, TAction::ShowHelp},
        {{"--version"}, TAction::ShowVersion},
        {{"-platform"}, TAction::Reject},                  // its value is missing
        {{"map.tif"}, TAction::Reject},                    // the viewer opens no files
        {{"-hv"}, TAction::Reject},                        // no bundled letters
        {{"--help", "--no-such-option"}, TAction::Reject}, // a wrong line is wrong even with --help
    };
    for (const auto& c : cases) {
        const TViewerCommandLine line = ParseViewerCommandLine(QStringList("tamo-viewer") << c.Arguments);
        EXPECT_EQ(line.Action, c.Action) << c.Arguments.join(' ').toStdString();
        EXPECT_EQ(line.ExitCode, c.Action == TAction::Reject ? 2 : 0) << c.Arguments.join(' ').toStdString();
    }
}

TEST(ViewerCommandLine, HelpAndVersionNeverReachARunningViewer) {
    ExpectTheStandardCommandLine(TAMO_VIEWER_PROGRAM, "tamo-viewer");

    // This test process plays the running viewer of a private settings folder.
    QTemporaryDir home;
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    TSingleInstance running;
    qputenv("XDG_CONFIG_HOME", saved);
    ASSERT_TRUE(running.Acquire());
    ASSERT_TRUE(running.Listen());
    QSignalSpy activated(&running, &TSingleInstance::Activated);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", home.path());
    environment.insert("QT_QPA_PLATFORM", "offscreen");

    for (const QString argument : {"--help", "--version", "--no-such-option"}) {
        QProcess viewer;
        viewer.setProcessEnvironment(environment);
        viewer.start(TAMO_VIEWER_PROGRAM, {argument});
        // The running viewer answers while the other one waits for it: keep its events going.
        ASSERT_TRUE(QTest::qWaitFor([&] { return viewer.state() == QProcess::NotRunning; }, kWaitDeadlineMs));
        EXPECT_FALSE(viewer.readAllStandardOutput().isEmpty() && viewer.readAllStandardError().isEmpty());
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(activated.count(), 0);

    // A plain start does reach it: the check above can see a handover.
    QProcess second;
    second.setProcessEnvironment(environment);
    second.start(TAMO_VIEWER_PROGRAM, {});
    ASSERT_TRUE(QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, kWaitDeadlineMs));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(activated.count() == 1 || activated.wait(kWaitDeadlineMs));
}
