#include "MapFakes.h"
#include "TestSupport.h"
#include "common/TAMOError.h"
#include "raster/RasterGrid.h"
#include "raster/RasterLocator.h"
#include "themes/ClassStatistics.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

TEST(RasterStatistics, CountsEachCellOnceAndIsKeptUntilTheRasterChanges) {
    QTemporaryDir dir;
    const QString path = dir.filePath("TAMO2.bil");
    // 4 x 3 grid, followed by cells outside the grid that must not be counted.
    WriteRaster(path, 4, 4, 2, [](int c, int r) { return r == 3 ? 9u : std::uint32_t(r * 4 + c); });
    const QString cache = dir.filePath("Cache");
    int reports = 0;
    {
        const auto raster = TRasterFile::Open(path);
        const TCellHistogram histogram =
            CachedCellHistogram(*raster, 2, 4, 3, cache, [&](int) { ++reports; });
        ASSERT_EQ(histogram.size(), 65536u);
        EXPECT_EQ(histogram[0], 1u);
        EXPECT_EQ(histogram[9], 1u);
        EXPECT_EQ(histogram[11], 1u);
        EXPECT_EQ(histogram[12], 0u);
        EXPECT_GT(reports, 0);
    }
    EXPECT_TRUE(QFileInfo::exists(HistogramCachePath(path, cache)));

    // A second opening reads the kept histogram: no progress while reading it.
    reports = 0;
    {
        const auto raster = TRasterFile::Open(path);
        EXPECT_EQ(CachedCellHistogram(*raster, 2, 4, 3, cache, [&](int) { ++reports; })[5], 1u);
        EXPECT_EQ(reports, 0);
    }

    // A changed raster is counted again: rewritten, it has another modification time.
    const QDateTime written = QFileInfo(path).lastModified();
    WriteRaster(path, 4, 3, 2, [](int, int) { return 5u; });
    {
        QFile rewritten(path);
        ASSERT_TRUE(rewritten.open(QIODevice::ReadWrite));
        ASSERT_TRUE(rewritten.setFileTime(written.addSecs(1), QFileDevice::FileModificationTime));
    }
    const auto raster = TRasterFile::Open(path);
    const TCellHistogram changed = CachedCellHistogram(*raster, 2, 4, 3, cache, [&](int) { ++reports; });
    EXPECT_EQ(changed[5], 12u);
    EXPECT_GT(reports, 0);
}

TEST(RasterStatistics, QuantilesMeanAndSpreadComeFromTheCodesOfCellsWithData) {
    TCellHistogram histogram(65536, 0);
    histogram[0] = 1000;     // no data
    histogram[65535] = 1000; // no data
    histogram[7] = 1000;     // an SMU the index does not know
    histogram[1] = 10;       // code 100
    histogram[2] = 30;       // code 200
    histogram[3] = 60;       // code 300
    TFakeLookup lookup;
    lookup.Codes = {{1, 100}, {2, 200}, {3, 300}, {65535, 900}};
    const TClassStatistics stats = ComputeClassStatistics(histogram, lookup, TTopCellValue::NoData);
    EXPECT_EQ(stats.Cells, 100u);
    EXPECT_NEAR(double(stats.Mean), 250.0, 1e-9);
    EXPECT_NEAR(double(stats.StdDev), std::sqrt((10 * 150.0 * 150 + 30 * 50.0 * 50 + 60 * 50.0 * 50) / 100),
                1e-9);
    // Two classes: half of the cells have a code up to 300; four classes: 25 %, 50 %, 75 %.
    EXPECT_EQ(stats.QuantileTable[2][0], 300);
    EXPECT_EQ(stats.QuantileTable[4][0], 200);
    EXPECT_EQ(stats.QuantileTable[4][1], 300);
    EXPECT_EQ(stats.QuantileTable[10][0], 100);
    EXPECT_EQ(stats.QuantileTable[10][1], 200);
    EXPECT_EQ(stats.QuantileTable[40][38], 300);

    // With ZeroIsValue the value 65535 is data.
    EXPECT_EQ(ComputeClassStatistics(histogram, lookup, TTopCellValue::Value).Cells, 1100u);
    // Nothing with data: all zero.
    const TClassStatistics empty =
        ComputeClassStatistics(TCellHistogram(65536, 0), lookup, TTopCellValue::NoData);
    EXPECT_EQ(empty.Cells, 0u);
    EXPECT_EQ(double(empty.Mean), 0);
}

class RasterLocatorTest : public ::testing::Test {
protected:
    TScopedEnvironment Env;
    TQEV_library Library;
    TQEV_Layer Theme;
    QString Cache;
    QString RasterSetting; // what RASTER holds
    void SetUp() override {
        Cache = Env.Folder() + "Cache/";
        QDir().mkpath(Cache);
        RasterSetting = Cache + "TAMO2.bil";
        Library.Path = Env.Folder() + "TAMO2.zip";
        WriteEmptyArchive(Library.Path);
        Theme.Library = &Library;
        Theme.FileName = "TAMO2.bil";
        Theme.Bytes = 2;
    }
    TRasterLocation Resolve() const {
        TRasterRequest request = RasterRequestOf(Theme);
        request.CacheFolder = Cache;
        request.RasterFile = RasterSetting;
        return ResolveRasterFile(request);
    }
    static void MakeFile(const QString& path, qint64 size) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(size));
    }
    // A complete raster of the small grid, its header beside it.
    static void MakeRaster(const QString& path, int bytes = 2) {
        MakeFile(path, qint64(bytes) * kCols * kRows);
        WriteRasterHeader(path, kCols, kRows, bytes);
    }
    static constexpr int kCols = 90;
    static constexpr int kRows = 45;
};

TEST_F(RasterLocatorTest, UsesTheCachedRasterOfTheRightSizeAndWritesNoSetting) {
    MakeRaster(Cache + "TAMO2.bil");
    RasterSetting = "/nowhere/else.bil";
    const TPreferences prefsBefore = Preferences();
    const TProgramState stateBefore = ProgramState();
    const TRasterLocation found = Resolve();
    EXPECT_EQ(QFileInfo(found.Path), QFileInfo(Cache + "TAMO2.bil"));
    EXPECT_EQ(found.File, found.Path);
    // The caller keeps what it wants of the result; nothing program-wide changed, nothing written.
    EXPECT_TRUE(Preferences() == prefsBefore);
    EXPECT_EQ(ProgramState().LastRasterPath, stateBefore.LastRasterPath);
    EXPECT_FALSE(QFileInfo::exists(Env.SettingsFile()));
}

TEST_F(RasterLocatorTest, UsesACompleteRasterNamedByTheSettingWithoutTheArchive) {
    const QString elsewhere = Env.Folder() + "mine.bil";
    MakeRaster(elsewhere);
    RasterSetting = elsewhere;
    QFile::remove(Library.Path);
    EXPECT_EQ(Resolve().Path, elsewhere);
}

TEST_F(RasterLocatorTest, AWrongSizedCachedRasterIsDeletedButTheUsersOwnFileIsKept) {
    MakeFile(Cache + "TAMO2.bil", 2 * kCols * kRows - 1);
    WriteRasterHeader(Cache + "TAMO2.bil", kCols, kRows, 2);
    const TRasterLocation broken = Resolve();
    EXPECT_TRUE(broken.Path.isEmpty());
    EXPECT_EQ(QFileInfo(broken.File).fileName(), "TAMO2.bil"); // still what DeleteRaster would name
    EXPECT_FALSE(QFileInfo::exists(Cache + "TAMO2.bil"));

    // Without a header the grid is the world's: a small file is not complete.
    const QString elsewhere = Env.Folder() + "mine.bil";
    MakeFile(elsewhere, 2 * kCols * kRows);
    RasterSetting = elsewhere;
    EXPECT_TRUE(Resolve().Path.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(elsewhere));
}

TEST_F(RasterLocatorTest, FailsWithoutAnyRaster) {
    EXPECT_TRUE(Resolve().File.isEmpty());
    // A cached raster without its archive is not used.
    MakeRaster(Cache + "TAMO2.bil");
    QFile::remove(Library.Path);
    EXPECT_TRUE(Resolve().Path.isEmpty());
}

TEST_F(RasterLocatorTest, AThemeWithAWrongCellSizeIsInvalidAndTheRasterIsKept) {
    Theme.LayerName = "Soil units";
    // Cell sizes that no raster has; 4 bytes where the header says 16 bits; 4 bytes where a header
    // without a cell size leaves a file that is complete with 2 bytes per cell.
    struct TCase {
        int ThemeBytes;
        const char* Header;
    };
    const TCase cases[] = {{0, "NROWS 45\nNCOLS 90\nNBITS 16\n"},
                           {3, "NROWS 45\nNCOLS 90\nNBITS 16\n"},
                           {-2, "NROWS 45\nNCOLS 90\nNBITS 16\n"},
                           {4, "NROWS 45\nNCOLS 90\nNBITS 16\n"},
                           {4, "NROWS 45\nNCOLS 90\n"}};
    MakeFile(Cache + "TAMO2.bil", 2 * kCols * kRows);
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.ThemeBytes << " " << c.Header);
        QFile header(RasterHeaderPath(Cache + "TAMO2.bil"));
        ASSERT_TRUE(header.open(QIODevice::WriteOnly | QIODevice::Truncate));
        header.write(c.Header);
        header.close();
        Theme.Bytes = c.ThemeBytes;
        try {
            Resolve();
            FAIL() << "no error";
        } catch (const TAMOError& error) {
            EXPECT_TRUE(error.Message().startsWith("The theme \"Soil units\" is invalid")) << error.what();
        }
        EXPECT_EQ(QFileInfo(Cache + "TAMO2.bil").size(), 2 * kCols * kRows)
            << "a correct raster is never deleted";
    }
    Theme.Bytes = 2;
    EXPECT_FALSE(Resolve().Path.isEmpty());
}

TEST(RasterGrid, AHeaderBesideTheRasterGivesItsGrid) {
    QTemporaryDir dir;
    const QString raster = dir.filePath("TAMO2.bil");
    EXPECT_EQ(RasterHeaderPath(raster), dir.filePath("TAMO2.hdr"));
    EXPECT_EQ(RasterGridOf(raster, 2), (TRasterGrid{kWorldCols, kWorldRows, 2})) << "no header: the world";

    struct TCase {
        const char* Text;
        std::optional<TRasterGrid> Grid; // nothing: the header is refused
    };
    const TCase cases[] = {
        {"NROWS 20\nNCOLS 30\nNBITS 16\n", TRasterGrid{30, 20, 2}},
        {"ncols   300\r\n  nrows 150\r\nnbits 8\r\nbyteorder i\r\n", TRasterGrid{300, 150, 1}},
        {"NROWS 5\nNCOLS 7\nLAYOUT BIL\nNBANDS 1\nSKIPBYTES 0\n",
         TRasterGrid{7, 5, 2}}, // the theme's cell size
        {"NROWS 5\n", std::nullopt},
        {"NROWS 0\nNCOLS 7\n", std::nullopt},
        {"NROWS -5\nNCOLS 7\n", std::nullopt},
        {"NROWS 5\nNCOLS 3000000000\n", std::nullopt},
        {"NROWS 5\nNCOLS seven\n", std::nullopt},
        {"NROWS 5\nNCOLS 7\nNBITS 12\n", std::nullopt},
        {"NROWS 5\nNCOLS 7\nNBANDS 3\n", std::nullopt},
        {"NROWS 5\nNCOLS 7\nBYTEORDER M\n", std::nullopt},
        {"NROWS 5\nNCOLS 7\nSKIPBYTES 100\n", std::nullopt},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        QFile header(dir.filePath("TAMO2.hdr"));
        ASSERT_TRUE(header.open(QIODevice::WriteOnly | QIODevice::Truncate));
        header.write(c.Text);
        header.close();
        if (!c.Grid) {
            try {
                RasterGridOf(raster, 2);
                ADD_FAILURE() << "accepted";
            } catch (const TAMOError& error) {
                EXPECT_TRUE(error.Message().contains("TAMO2.hdr")) << error.what();
            }
        } else {
            EXPECT_EQ(RasterGridOf(raster, 2), *c.Grid);
        }
    }
}
