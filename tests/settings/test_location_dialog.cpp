#include "TestSupport.h"
#include "settings/LocationForm.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
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
        EXPECT_TRUE(responder.FileRequests[0].Filter.startsWith("Microsoft Access Files | *.MDB"));
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
    EXPECT_EQ(ProgramState().ConnectionString, BuildConnectionString(prefs.ATTRIB_MDB));
}
