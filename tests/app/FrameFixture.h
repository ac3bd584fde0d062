#pragma once
// The ground the frame tests share: a private settings store and program folder (preferences put
// back afterwards), a responder in place of the user, and (FrameOnData) the small demo data set
// with a small raster (its header gives its grid) holding one unit in a block of cells.

#include "TestSupport.h"
#include "app/TAMOForm.h"
#include "map/MapExplorerForm.h"
#include "raster/CellAreas.h"
#include "raster/RasterGrid.h"

#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QtTest/QTest>
#include <gtest/gtest.h>
#include <memory>
#include <sqlite3.h>

// Copies the small demo data set into `folder`.
inline void CopySmallDemoData(const QString& folder) {
    const QDir source(TAMO_SMALL_DEMO_DIR);
    const QStringList files{"TAMO2.sqlite", "TAMO2.zip", "Country.shp", "Country.shx", "Country.dbf"};
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const QString& name : files)
        ASSERT_TRUE(QFile::copy(source.filePath(name), folder + "/" + name))
            << "the build makes the small demo data set in " << TAMO_SMALL_DEMO_DIR << "; "
            << name.toStdString() << " is missing";
}

// The grid of the frame tests' raster: a twentieth of the world's in each direction (4.7 MB).
inline constexpr int kFrameGridCols = 2160;
inline constexpr int kFrameGridRows = 1080;

// A raster of 2-byte cells on the frame tests' grid, its header beside it: all sea but a square
// block of `size` cells of one unit, its north-west corner at (row0, col0).
inline void WriteSparseRaster(const QString& path, int smuId, qint64 row0, qint64 col0, int size) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(qint64(kFrameGridCols) * kFrameGridRows * 2));
    QByteArray cells(size * 2, 0);
    for (int i = 0; i < size; ++i) {
        cells[2 * i] = char(smuId & 0xFF);
        cells[2 * i + 1] = char(smuId >> 8);
    }
    for (qint64 row = row0; row < row0 + size; ++row) {
        ASSERT_TRUE(file.seek((row * kFrameGridCols + col0) * 2));
        ASSERT_EQ(file.write(cells), cells.size());
    }
    QFile header(RasterHeaderPath(path));
    ASSERT_TRUE(header.open(QIODevice::WriteOnly));
    header.write(
        QString("NROWS %1\nNCOLS %2\nNBITS 16\n").arg(kFrameGridRows).arg(kFrameGridCols).toLatin1());
}

// Runs a statement on a SQLite file (the test's own copy of the demo database); the first column
// of the first row as a number, 0 when there is none.
inline int RunSql(const QString& database, const QString& sql) {
    sqlite3* db = nullptr;
    int value = 0;
    if (sqlite3_open_v2(database.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << "cannot open " << database.toStdString();
    } else {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK)
            ADD_FAILURE() << sqlite3_errmsg(db) << " in " << sql.toStdString();
        else if (const int step = sqlite3_step(statement); step == SQLITE_ROW)
            value = sqlite3_column_int(statement, 0);
        else if (step != SQLITE_DONE)
            ADD_FAILURE() << sqlite3_errmsg(db) << " in " << sql.toStdString();
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return value;
}

// The frame on an empty program folder: no data, so the start-up load asks for the data location.
class FrameTest : public ::testing::Test {
protected:
    // The frame reads its preferences when it is made: after the test's data exist.
    void CreateFrame() { frame = std::make_unique<TTAMOForm>(); }

    // Declared first, gone last: the settings and preferences are put back after the frame has gone.
    TScopedEnvironment env;
    TTestResponder responder;
    std::unique_ptr<TTAMOForm> frame;
};

// The frame on the small demo data set; the raster is sea but for a block of one unit with several
// components, in central Africa.
class FrameOnData : public FrameTest {
protected:
    static constexpr int kBlockRow = 500;
    static constexpr int kBlockCol = 1100;
    static constexpr int kBlockSize = 100;

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(CopySmallDemoData(env.Folder() + "Data"));
        TPreferences defaults;
        SetDefaultPreferences(defaults);
        Smu = RunSql(Database(), "SELECT TAMO2_SMU_ID FROM TAMO2_LAYERS GROUP BY TAMO2_SMU_ID "
                                 "ORDER BY COUNT(*) DESC, TAMO2_SMU_ID LIMIT 1");
        ASSERT_GT(Smu, 0);
        RasterPath = defaults.DATA_CACHE + "TAMO2.bil";
        ASSERT_NO_FATAL_FAILURE(WriteSparseRaster(RasterPath, Smu, kBlockRow, kBlockCol, kBlockSize));
        // The user presses "Load TAMO" once it is enabled.
        responder.DialogAnswers.push_back([](QDialog& splash) {
            auto* button = splash.findChild<QPushButton*>("btnStart");
            if (!button) {
                ADD_FAILURE() << "unexpected dialog " << splash.windowTitle().toStdString();
                return int(QDialog::Rejected);
            }
            EXPECT_FALSE(button->isEnabled());
            EXPECT_TRUE(QTest::qWaitFor([&] { return button->isEnabled(); }, kWaitDeadlineMs));
            QTest::mouseClick(button, Qt::LeftButton);
            return splash.result();
        });
    }

    // Shows the frame (made now unless the test made it) and waits for the start-up load to open
    // and draw the first map.
    void Start() {
        if (!frame)
            CreateFrame();
        frame->show();
        const bool opened = QTest::qWaitFor(
            [&] { return frame->MdiArea()->subWindowList().size() == 1 || !responder.Messages.empty(); },
            20000);
        ASSERT_TRUE(responder.Messages.empty()) << responder.Messages[0].Text.toStdString();
        ASSERT_TRUE(opened);
        map = frame->ActiveMap();
        ASSERT_NE(map, nullptr);
        ASSERT_NO_FATAL_FAILURE(WaitForDrawing(*map));
    }

    static void WaitForDrawing(const TMapExplorerForm& window) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window.IsDrawing(); }, 20000));
    }
    void WaitUntilNoMapWindow() {
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return frame->MdiArea()->subWindowList().isEmpty(); }, kWaitDeadlineMs));
    }

    QString Database() const { return env.Folder() + "Data/TAMO2.sqlite"; }
    // The block's area on the ellipsoid, in km².
    static double BlockArea() {
        const TCellAreas areas(kFrameGridCols, kFrameGridRows);
        double km2 = 0;
        for (int row = kBlockRow; row < kBlockRow + kBlockSize; ++row)
            km2 += areas.Cell(row) * kBlockSize;
        return km2;
    }

    int Smu = 0; // the unit of the block
    QString RasterPath;
    TMapExplorerForm* map = nullptr; // the first map window, once Start has opened it
};
