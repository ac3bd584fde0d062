#include "../app/FrameFixture.h"
#include "TestSupport.h"
#include "classify/ColorRamp.h"
#include "db/TAMO.h"
#include "raster/CellAreas.h"
#include "settings/Preferences.h"
#include "settings/SettingsStore.h"
#include "themes/LegendClasses.h"
#include "themes/QEVLibraryManager.h"

#include <QDateTime>
#include <QProcess>
#include <QTemporaryDir>
#include <gdal_priv.h>
#include <gtest/gtest.h>

namespace {

struct TRun {
    int Status = -1;
    QByteArray Out;
    QByteArray Err;
};

TRun RunTool(const QString& program, const QStringList& arguments, const QString& configHome) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", configHome);
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(120000)) << program.toStdString();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

} // namespace

// The small demo data set with a world raster that is sea but for a block of one unit.
class ToolsTest : public ::testing::Test {
protected:
    static constexpr int kUnit = 7;
    // On the frame tests' grid of 1/6 degree: 70 N, 20 E, half a degree square.
    static constexpr int kRow0 = 120, kCol0 = 1200, kSize = 3;

    void SetUp() override {
        // The viewer's settings, as the tools read them: a cache folder of the test's own.
        TPreferences prefs;
        SetDefaultPreferences(prefs);
        prefs.DATA_CACHE = Dir.filePath("cache") + "/";
        TSettingsStore store(Config() + "/TAMO/settings.json");
        SavePreferences(prefs, store);
        CopySmallDemoData(Data());
        WriteSparseRaster(Data() + "/TAMO2.bil", kUnit, kRow0, kCol0, kSize);
        InitColorRamps();
    }
    QString Data() const { return Dir.filePath("data"); }
    QString Config() const { return Dir.filePath("config"); }
    TRun Stats(QStringList arguments) {
        return RunTool(TAMO_STATS_PROGRAM, QStringList{"--data", Data()} + arguments, Config());
    }
    TRun Export(QStringList arguments) {
        return RunTool(TAMO_EXPORT_PROGRAM, QStringList{"--data", Data()} + arguments, Config());
    }
    // The legend class of the unit, from the database, as the tools classify it.
    std::pair<int, QString> UnitClass() {
        const QString connection = BuildConnectionString(Data() + "/TAMO2.sqlite");
        TQEVLibraryManager library(connection);
        TTAMO database(connection);
        database.BuildWrbIndex();
        const TCellClasses classes =
            DefaultCellClasses(*library.FirstTheme(), database, ToRampRecord(ColorRamps().at(0)));
        const int cls = classes.ClassOf[kUnit];
        return {cls + 1, classes.Names[cls]};
    }

    QTemporaryDir Dir;
};

TEST_F(ToolsTest, HelpVersionAndEveryFailureEndInOneLineAndTheirStatus) {
    const QDateTime settingsTime = QFileInfo(Config() + "/TAMO/settings.json").lastModified();
    for (const QString program : {TAMO_STATS_PROGRAM, TAMO_EXPORT_PROGRAM}) {
        SCOPED_TRACE(program.toStdString());
        const TRun help = RunTool(program, {"--help"}, Config());
        EXPECT_EQ(help.Status, 0);
        EXPECT_TRUE(help.Out.startsWith("Usage: tamo-"));
        EXPECT_TRUE(help.Out.contains("--extent N S W E"));
        const TRun version = RunTool(program, {"--version"}, Config());
        EXPECT_EQ(version.Status, 0);
        EXPECT_TRUE(version.Out.startsWith("tamo-")) << version.Out.toStdString();

        struct TCase {
            QStringList Arguments;
            int Status;
            const char* Message;
        };
        const QString out = Dir.filePath("out.x");
        const TCase cases[] = {
            {{"--frobnicate", out}, 2, "unknown argument \"--frobnicate\""},
            {{}, 2, "the output file is missing"},
            {{"--extent", "10", "20", "0", "5", out}, 2, "The south edge must lie south of the north edge."},
            {{"--extent", "10", "0", "5", out}, 2, "--extent needs four numbers"},
            {{"--theme", "Nothing like it", out}, 1, "There is no theme \"Nothing like it\"; the themes are"},
            {{"--data", Dir.filePath("none"), out}, 1, "does not exist"},
        };
        for (const TCase& c : cases) {
            SCOPED_TRACE(c.Arguments.join(' ').toStdString());
            const QStringList arguments =
                c.Arguments.contains("--data") ? c.Arguments : QStringList{"--data", Data()} + c.Arguments;
            const TRun run = RunTool(program, arguments, Config());
            EXPECT_EQ(run.Status, c.Status);
            EXPECT_EQ(run.Err.count('\n'), 1) << run.Err.toStdString();
            EXPECT_TRUE(run.Err.contains(c.Message)) << run.Err.toStdString();
            EXPECT_FALSE(QFileInfo::exists(out));
        }
    }
    // The user's settings are read, never written.
    EXPECT_EQ(QFileInfo(Config() + "/TAMO/settings.json").lastModified(), settingsTime);
}

TEST_F(ToolsTest, StatisticsOfTheWorldAndOfAnExtentInKm2) {
    const TCellAreas areas(kFrameGridCols, kFrameGridRows);
    double unitArea = 0;
    for (int row = kRow0; row < kRow0 + kSize; ++row)
        unitArea += areas.Cell(row) * kSize;
    const auto [cls, name] = UnitClass();

    const QString csv = Dir.filePath("units.csv");
    const TRun run = Stats({"--by", "smu", "--world", csv});
    ASSERT_EQ(run.Status, 0) << run.Err.toStdString();
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_EQ(text, "\"SMU\",\"Class\",\"Legend\",\"Cells\",\"Area (km²)\",\"Share of land (%)\"\r\n" +
                        QString("%1,%2,\"%3\",9,%4,100.000000\r\n")
                            .arg(kUnit)
                            .arg(cls)
                            .arg(name)
                            .arg(unitArea, 0, 'f', 3)
                            .toUtf8());

    // Four cells of the block by class (the edges move out to whole cells), on standard output;
    // the existing file is kept.
    const TRun quarter = Stats({"--extent", "70", "69.75", "20", "20.25", "-"});
    ASSERT_EQ(quarter.Status, 0) << quarter.Err.toStdString();
    const QList<QByteArray> lines = quarter.Out.split('\n');
    EXPECT_TRUE(lines.at(cls).startsWith(QString("%1,\"%2\",4,").arg(cls).arg(name).toUtf8()))
        << lines.at(cls).toStdString();
    EXPECT_TRUE(lines.at(cls).endsWith(",100.000000\r"));

    // The world's table is kept in the cache folder of the settings, in a folder for this data set.
    EXPECT_FALSE(QDir(Dir.filePath("cache")).entryList({"data-*"}, QDir::Dirs).isEmpty());

    const TRun again = Stats({"--by", "class", csv});
    EXPECT_EQ(again.Status, 1);
    EXPECT_TRUE(again.Err.contains("exists; give --overwrite to replace it"));
    EXPECT_EQ(Stats({"--overwrite", csv}).Status, 0);
}

TEST_F(ToolsTest, ExportOfTheClassesWithTheLegendReadsBackThroughGdal) {
    const QString tif = Dir.filePath("block");
    const TRun run =
        Export({"--layer", "classes", "--legend", "--extent", "70.1", "69.4", "19.9", "20.6", tif});
    ASSERT_EQ(run.Status, 0) << run.Err.toStdString();
    GDALAllRegister();
    std::unique_ptr<GDALDataset> data(GDALDataset::Open((tif + ".tif").toUtf8().constData(), GDAL_OF_RASTER));
    ASSERT_TRUE(data);
    // The edges move out to the grid's sixths of a degree: 5 x 5 cells, the block one cell in.
    ASSERT_EQ(data->GetRasterXSize(), 5);
    ASSERT_EQ(data->GetRasterYSize(), 5);
    double t[6];
    ASSERT_EQ(data->GetGeoTransform(t), CE_None);
    EXPECT_NEAR(t[0], -180 + 1199 / 6.0, 1e-12);
    EXPECT_NEAR(t[1], 1 / 6.0, 1e-12);
    EXPECT_NEAR(t[3], 90 - 119 / 6.0, 1e-12);
    const auto [cls, name] = UnitClass();
    std::vector<std::uint8_t> cells(5 * 5);
    ASSERT_EQ(data->GetRasterBand(1)->RasterIO(GF_Read, 0, 0, 5, 5, cells.data(), 5, 5, GDT_Byte, 0, 0),
              CE_None);
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 5; ++c) {
            const bool inside = r >= 1 && r < 4 && c >= 1 && c < 4;
            ASSERT_EQ(cells[static_cast<std::size_t>(r * 5 + c)], inside ? cls : 0) << c << "," << r;
        }
    char** names = data->GetRasterBand(1)->GetCategoryNames();
    ASSERT_TRUE(names);
    EXPECT_EQ(QString(names[cls]), name);

    const TRun again = Export({"--extent", "70.1", "69.4", "19.9", "20.6", tif});
    EXPECT_EQ(again.Status, 1);
    EXPECT_TRUE(again.Err.contains("exists; give --overwrite to replace it")) << again.Err.toStdString();
    const TRun value = Export({"--layer", "value", "--overwrite", tif});
    EXPECT_EQ(value.Status, 1);
    EXPECT_TRUE(value.Err.contains("has no values")) << value.Err.toStdString();
}
