#include "TestSupport.h"
#include "settings/DemoDataForm.h"
#include "settings/LocationForm.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace {
QString Touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile(path).open(QIODevice::WriteOnly);
    return path;
}

bool IsRed(const QLineEdit* edit) {
    return edit->palette().color(QPalette::Text) == QColor(Qt::red);
}

} // namespace

TEST(LocationDialog, ShowsThePathsAndMarksMissingFilesRed) {
    TScopedEnvironment env;
    TPreferences prefs;
    SetDefaultPreferences(prefs);
    prefs.ATTRIB_MDB = Touch(env.Folder() + "Data/TAMO2.mdb");
    prefs.DeleteRaster = true;
    TLocationForm form(prefs);
    EXPECT_EQ(form.windowTitle(), "TAMO data locations");
    EXPECT_EQ(form.edtAttributes->text(), prefs.ATTRIB_MDB);
    EXPECT_FALSE(IsRed(form.edtAttributes));
    EXPECT_TRUE(IsRed(form.edtRaster));
    EXPECT_TRUE(IsRed(form.edtShape));
    EXPECT_TRUE(form.chkDelete->isChecked());
}

TEST(LocationDialog, TheDatabaseLabelNamesTheKindInUse) {
    TScopedEnvironment env;
    TTestResponder responder;
    TPreferences prefs;
    SetDefaultPreferences(prefs);
    prefs.ATTRIB_MDB = env.Folder() + "Data/TAMO2.sqlite";
    {
        QFile file(prefs.ATTRIB_MDB);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("SQLite format 3\0", 16));
    }
    const QString access = env.Folder() + "elsewhere/TAMO2.mdb";
    QDir().mkpath(env.Folder() + "elsewhere");
    WriteAccessStub(access);
    responder.FileAnswers = {{access}};
    TLocationForm form(prefs);
    EXPECT_EQ(form.Label1->text(), "TAMO Attribute database (SQLite file)");
    QTest::mouseClick(form.btnAttrib, Qt::LeftButton);
    EXPECT_EQ(form.Label1->text(), "TAMO Attribute database (Access file)");
    EXPECT_GE(form.Label1->width(), form.Label1->sizeHint().width());
    prefs.ATTRIB_MDB = env.Folder() + "missing.db";
    TLocationForm unknown(prefs);
    EXPECT_EQ(unknown.Label1->text(), "TAMO Attribute database (Access or SQLite file)");
}

TEST(LocationDialog, BrowsingSetsThePreferenceAtOnceAndCancelKeepsIt) {
    TScopedEnvironment env;
    TTestResponder responder;
    TPreferences prefs;
    SetDefaultPreferences(prefs);
    const QString chosen = Touch(env.Folder() + "elsewhere/other.mdb");
    responder.FileAnswers = {{chosen}, {}};
    {
        TLocationForm form(prefs);
        QTest::mouseClick(form.btnAttrib, Qt::LeftButton);
        ASSERT_EQ(responder.FileRequests.size(), 1u);
        EXPECT_EQ(responder.FileRequests[0].Title, "TAMO Attribute database");
        // Both kinds at once come first: the file in use is listed whichever kind it is.
        EXPECT_TRUE(
            responder.FileRequests[0].Filter.startsWith("TAMO Attribute databases | *.MDB;*.SQLITE;*.DB|"));
        EXPECT_EQ(prefs.ATTRIB_MDB, chosen);
        EXPECT_EQ(form.edtAttributes->text(), chosen);
        EXPECT_FALSE(IsRed(form.edtAttributes));

        // A cancelled file dialog changes nothing.
        const QString shapeBefore = prefs.DATA_WORLD_MAP;
        QTest::mouseClick(form.btnShape, Qt::LeftButton);
        EXPECT_EQ(responder.FileRequests[1].Title, "Shape File Overlay");
        EXPECT_EQ(responder.FileRequests[1].Filter, "Shape File | *.SHP");
        EXPECT_EQ(prefs.DATA_WORLD_MAP, shapeBefore);

        form.chkDelete->setChecked(true);
        QTest::mouseClick(form.btnCancel, Qt::LeftButton);
        EXPECT_EQ(form.result(), QDialog::Rejected);
    }
    EXPECT_EQ(prefs.ATTRIB_MDB, chosen); // kept although cancelled
    EXPECT_FALSE(prefs.DeleteRaster);    // only OK takes the check box
}

TEST(LocationDialog, OkNeedsDatabaseAndOverlayButNotTheRaster) {
    TScopedEnvironment env;
    TTestResponder responder;
    TPreferences prefs;
    SetDefaultPreferences(prefs);
    TLocationForm form(prefs);
    QTest::mouseClick(form.OKBtn, Qt::LeftButton);
    ASSERT_EQ(responder.Messages.size(), 1u);
    EXPECT_EQ(responder.Messages[0].Text, "Please select the TAMO database files, or Cancel.");
    EXPECT_EQ(responder.Messages[0].Caption, "Not all TAMO files found");
    EXPECT_NE(form.result(), QDialog::Accepted);

    Touch(prefs.ATTRIB_MDB);
    Touch(prefs.DATA_WORLD_MAP);
    form.edtAttributes->setText("/typed/path.mdb"); // typed text is never read back
    form.chkDelete->setChecked(true);
    QTest::mouseClick(form.OKBtn, Qt::LeftButton);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(responder.Messages.size(), 1u);
    EXPECT_TRUE(prefs.DeleteRaster);
    EXPECT_EQ(prefs.ATTRIB_MDB, env.Folder() + "Data/TAMO2.mdb");
}

TEST(LocationDialog, MakeDemoDataMakesTheSetInTheUsersDataFolderAndGoesOnWithIt) {
    TScopedEnvironment env;
    TTestResponder responder;
    TPreferences prefs;
    SetDefaultPreferences(prefs);
    TLocationForm form(prefs);
    form.DemoDataCommand = {TAMO_DEMO_GENERATOR, {"--small"}};
    QString folderShown;
    QList<int> progress;
    responder.DialogAnswers.push_back(WaitForTheMaker([&](TDemoDataForm& window) {
        folderShown = window.lblFolder->text();
        QObject::connect(window.prbProgress, &QProgressBar::valueChanged,
                         [&](int value) { progress << value; });
    }));
    QTest::mouseClick(form.btnDemoData, Qt::LeftButton);

    const QString folder = env.DataHome() + "TAMO/";
    EXPECT_TRUE(responder.Messages.empty());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(prefs.ATTRIB_MDB, folder + "TAMO2.sqlite");
    EXPECT_EQ(prefs.DATA_WORLD_MAP, folder + "Country.shp");
    EXPECT_EQ(form.edtAttributes->text(), prefs.ATTRIB_MDB);
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({"Country.dbf", "Country.shp", "Country.shx", "TAMO2.sqlite", "TAMO2.zip"}));
    EXPECT_TRUE(folderShown.contains(folder));
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.last(), 100);
}

TEST(LocationDialog, CancelledDemoDataLeavesNothingOfItBehind) {
    for (const bool folderExisted : {false, true}) {
        SCOPED_TRACE(folderExisted ? "the data folder existed" : "the data folder was made");
        TScopedEnvironment env;
        TTestResponder responder;
        TPreferences prefs;
        SetDefaultPreferences(prefs);
        const TPreferences before = prefs;
        const QString folder = env.DataHome() + "TAMO/";
        if (folderExisted)
            Touch(folder + "notes.txt");
        TLocationForm form(prefs);
        form.DemoDataCommand = {WriteGenerator(env.Folder(), "echo half > \"$dir/TAMO2.sqlite\"\n"
                                                             "echo progress 10\nexec sleep 60\n"),
                                {}};
        responder.DialogAnswers.push_back(WaitForTheMaker([&](TDemoDataForm& window) {
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return window.prbProgress->value() == 10 && QDir(folder).exists(".making-demo-data"); },
                kWaitDeadlineMs));
            QTest::mouseClick(window.btnCancel, Qt::LeftButton);
            EXPECT_FALSE(window.btnCancel->isEnabled()); // the window waits until the files are gone
        }));
        QTest::mouseClick(form.btnDemoData, Qt::LeftButton);

        EXPECT_TRUE(responder.Messages.empty());
        EXPECT_NE(form.result(), QDialog::Accepted);
        EXPECT_EQ(prefs.ATTRIB_MDB, before.ATTRIB_MDB);
        EXPECT_EQ(prefs.DATA_WORLD_MAP, before.DATA_WORLD_MAP);
        if (folderExisted)
            EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                      QStringList{"notes.txt"});
        else
            EXPECT_FALSE(QFileInfo::exists(folder));
    }
}

TEST(LocationDialog, DemoDataNeverReplacesTheUsersFiles) {
    TScopedEnvironment env;
    TTestResponder responder;
    TPreferences prefs;
    SetDefaultPreferences(prefs);
    const QString folder = env.DataHome() + "TAMO/";
    QDir().mkpath(folder);
    QFile archive(folder + "TAMO2.zip");
    archive.open(QIODevice::WriteOnly);
    archive.write("the user's own archive");
    archive.close();

    TLocationForm form(prefs);
    form.DemoDataCommand = {WriteGenerator(env.Folder(), kWritesTheSet), {}};
    responder.DialogAnswers.push_back(WaitForTheMaker());
    QTest::mouseClick(form.btnDemoData, Qt::LeftButton);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(prefs.ATTRIB_MDB, folder + "Demo/TAMO2.sqlite");
    EXPECT_TRUE(QFileInfo::exists(folder + "Demo/TAMO2.zip"));
    archive.open(QIODevice::ReadOnly);
    EXPECT_EQ(archive.readAll(), "the user's own archive");
}

TEST(LocationDialog, AFailedDemoDataRunShowsWhyAndLeavesNothing) {
    struct {
        const char* Case;
        QString Program; // relative to the test's folder
        const char* Reason;
    } cases[] = {{"the generator fails", "generator.sh", "the outlines were not found"},
                 {"the generator is missing", "missing-generator", "missing-generator cannot be started"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        TScopedEnvironment env;
        TTestResponder responder;
        TPreferences prefs;
        SetDefaultPreferences(prefs);
        TLocationForm form(prefs);
        WriteGenerator(env.Folder(), "echo 'tamo-make-demo-data: the outlines were not found' >&2\nexit 1\n");
        form.DemoDataCommand = {env.Folder() + c.Program, {}};
        responder.DialogAnswers.push_back(WaitForTheMaker());
        QTest::mouseClick(form.btnDemoData, Qt::LeftButton);
        ASSERT_EQ(responder.Messages.size(), 1u);
        EXPECT_EQ(responder.Messages[0].Caption, "Error");
        EXPECT_TRUE(responder.Messages[0].Text.contains(c.Reason))
            << responder.Messages[0].Text.toStdString();
        EXPECT_NE(form.result(), QDialog::Accepted);
        EXPECT_FALSE(QFileInfo::exists(env.DataHome() + "TAMO"));
    }
}
