#include "MapFakes.h"
#include "TestSupport.h"
#include "raster/AreaStatistics.h"
#include "raster/CellAreas.h"
#include "raster/GridExtent.h"
#include "raster/UnitAreaTable.h"
#include "raster/UnitExtents.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>

namespace {

constexpr double kEllipsoidKm2 = 510'065'621.724;

// Classes by unit: unit 1 in class 0, unit 2 in class 1, unit 3 in class 2; the rest no data.
TCellClasses ThreeClasses() {
    TCellClasses classes;
    classes.Names = {"A", "B", "C"};
    classes.Colors = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
    classes.ClassOf.assign(kCellValueCount, kNoClass);
    classes.ClassOf[1] = 0;
    classes.ClassOf[2] = 1;
    classes.ClassOf[3] = 2;
    return classes;
}

// Cell values in runs: each cell keeps the value before it, except once in about `changeOneIn`
// cells, where it takes `next(random)`.
template <typename TNext>
std::vector<std::uint32_t> ValuesInRuns(int count, unsigned seed, unsigned changeOneIn, TNext next) {
    std::mt19937 random(seed);
    std::vector<std::uint32_t> values(static_cast<std::size_t>(count));
    std::uint32_t value = 0;
    for (auto& v : values) {
        if (random() % changeOneIn == 0)
            value = next(random);
        v = value;
    }
    return values;
}

// What a raster of `bytes`-byte cells stores for a value.
std::uint32_t StoredAs(std::uint32_t value, int bytes) {
    return bytes == 1 ? value & 0xFF : bytes == 2 ? value & 0xFFFF : value;
}

} // namespace

TEST(CellAreas, MatchTheWgs84Ellipsoid) {
    EXPECT_NEAR(EllipsoidArea() / kEllipsoidKm2, 1.0, 1e-9);
    const TCellAreas world(kWorldCols, kWorldRows);
    double sum = 0;
    for (int row = 0; row < world.Rows(); ++row)
        sum += world.Cell(row) * world.Cols();
    EXPECT_NEAR(sum / kEllipsoidKm2, 1.0, 1e-9);

    struct TCase {
        int Row;
        double Km2;
    };
    // The cell just south of the equator equals the one just north of it; row 3600 is the first
    // row south of 60° N.
    for (const TCase& c : {TCase{10799, 0.854796669}, TCase{10800, 0.854796669}, TCase{3600, 0.431776638}})
        EXPECT_NEAR(world.Cell(c.Row) / c.Km2, 1.0, 1e-9) << "row " << c.Row;
    // The rows mirror each other about the equator, and shrink toward the poles.
    EXPECT_NEAR(world.Cell(0), world.Cell(kWorldRows - 1), 1e-15);
    EXPECT_LT(world.Cell(0), 1e-4);
}

// A 4 x 2 world: every cell is an eighth of the ellipsoid.
class AreaStatisticsTest : public ::testing::Test {
protected:
    void SetUp() override {
        // 1 1 2 0
        // 3 N 2 2   (N = 65535, no data)
        const std::uint32_t cells[2][4] = {{1, 1, 2, 0}, {3, 65535, 2, 2}};
        WriteRaster(Dir.filePath("r.bil"), 4, 2, 2, [&](int c, int r) { return cells[r][c]; });
        Raster = TRasterFile::Open(Dir.filePath("r.bil"));
        Source = {Raster.get(), 2, 4, 2};
    }
    TCellTally Tally(TCellWindow window) { return *TallyCells(Source, window); }

    QTemporaryDir Dir;
    std::unique_ptr<TRasterFile> Raster;
    TTallySource Source;
    const double Eighth = kEllipsoidKm2 / 8;
};

TEST_F(AreaStatisticsTest, ClassesAndUnitsOfTheWorldAViewAcrossTheEdgeAndASelection) {
    const TCellClasses classes = ThreeClasses();
    struct TExpected {
        std::vector<std::uint64_t> ClassCells; // A, B, C
        std::vector<int> Units;
        int LandCells;
    };
    struct TCase {
        const char* Name;
        TCellWindow Window;
        std::vector<int> Selection; // empty: none
        TExpected Expected;
    };
    const TCase cases[] = {
        {"world", {0, 0, 4, 2}, {}, {{2, 3, 1}, {1, 2, 3}, 6}},
        // Columns 2 to 5 of row 0: the part east of the last column holds nothing.
        {"across the east edge", {2, 0, 6, 1}, {}, {{0, 1, 0}, {2}, 1}},
        {"across the south-west corner", {-3, 1, 2, 5}, {}, {{0, 0, 1}, {3}, 1}},
        {"selection of units 1 and 3", {0, 0, 4, 2}, {1, 3}, {{2, 0, 1}, {1, 3}, 6}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TAreaStatistics s =
            SummariseTally(Tally(c.Window), classes, c.Selection.empty() ? nullptr : &c.Selection);
        EXPECT_EQ(s.LandCells, std::uint64_t(c.Expected.LandCells));
        EXPECT_NEAR(s.LandKm2 / (c.Expected.LandCells * Eighth), 1.0, 1e-12);
        ASSERT_EQ(s.Classes.size(), 3u);
        for (int i = 0; i < 3; ++i) {
            const TAreaRow& row = s.Classes[static_cast<std::size_t>(i)];
            EXPECT_EQ(row.Key, i + 1);
            EXPECT_EQ(row.Name, classes.Names[i]);
            EXPECT_EQ(row.Color, classes.Colors[static_cast<std::size_t>(i)]);
            EXPECT_EQ(row.Cells, c.Expected.ClassCells[static_cast<std::size_t>(i)]);
            EXPECT_NEAR(row.AreaKm2, row.Cells * Eighth, 1e-3);
            EXPECT_NEAR(row.SharePercent, 100.0 * row.Cells / c.Expected.LandCells, 1e-9);
        }
        std::vector<int> units;
        for (const TAreaRow& row : s.Units)
            units.push_back(row.Key);
        EXPECT_EQ(units, c.Expected.Units);
    }
}

TEST_F(AreaStatisticsTest, AUnitRowCarriesItsClassAndItsShareOfTheLand) {
    const TAreaStatistics s = SummariseTally(Tally({0, 0, 4, 2}), ThreeClasses());
    ASSERT_EQ(s.Units.size(), 3u);
    const TAreaRow& two = s.Units[1];
    EXPECT_EQ(two.Key, 2);
    EXPECT_EQ(two.Class, 2);
    EXPECT_EQ(two.Name, "B");
    EXPECT_EQ(two.Cells, 3u);
    EXPECT_NEAR(two.SharePercent, 50.0, 1e-9);
}

// The counting looks for changes of value 16 cells at a time; every run length and position,
// every cell size and any number of threads must give the counts of a plain loop.
TEST(CellTally, EqualsAPlainCountForEveryCellSizeWindowAndThreadCount) {
    QTemporaryDir dir;
    constexpr int cols = 97, rows = 23;
    // Runs of 1 to 40 cells, now and then a value beyond 16 bits.
    const std::vector<std::uint32_t> values = ValuesInRuns(cols * rows, 7, 20, [](std::mt19937& random) {
        return random() % 5 == 0 ? 70000 + random() % 3 : random() % 300;
    });
    const TCellAreas areas(cols, rows);
    for (int bytes : {1, 2, 4}) {
        const QString path = dir.filePath(QString("r%1.bil").arg(bytes));
        const auto stored = [&](int c, int r) {
            return StoredAs(values[static_cast<std::size_t>(r * cols + c)], bytes);
        };
        WriteRaster(path, cols, rows, bytes, stored);
        const auto raster = TRasterFile::Open(path);
        for (const TCellWindow window : {TCellWindow{0, 0, cols, rows}, TCellWindow{5, 3, 60, 9},
                                         TCellWindow{90, 0, 200, 1}, TCellWindow{17, 4, 18, 20}}) {
            TCellTally expected;
            const TCellWindow w = window.ClippedTo(cols, rows);
            for (int r = w.Row0; r < w.Row1; ++r)
                for (int c = w.Col0; c < w.Col1; ++c)
                    if (const std::uint32_t v = stored(c, r); v < 65536) {
                        ++expected.Cells[v];
                        expected.Area[v] += areas.Cell(r);
                    }
            for (int threads : {1, 2, 7}) {
                SCOPED_TRACE(testing::Message() << bytes << " bytes, window " << window.Col0 << ","
                                                << window.Row0 << " threads " << threads);
                TJobControl control;
                control.Threads = threads;
                const std::optional<TCellTally> tally =
                    TallyCells({raster.get(), bytes, cols, rows}, window, control);
                ASSERT_TRUE(tally);
                EXPECT_EQ(tally->Cells, expected.Cells);
                for (int v = 0; v < kCellValueCount; ++v)
                    ASSERT_NEAR(tally->Area[v], expected.Area[v], 1e-6 * (1 + expected.Area[v])) << v;
            }
        }
    }
}

TEST(CellTally, StopsWhenCancelledAndReportsProgressToTheEnd) {
    QTemporaryDir dir;
    WriteRaster(dir.filePath("r.bil"), 100, 200, 2, [](int c, int r) { return std::uint32_t(c + r); });
    const auto raster = TRasterFile::Open(dir.filePath("r.bil"));
    const TTallySource source{raster.get(), 2, 100, 200};

    std::vector<int> percents;
    TJobControl control;
    control.Threads = 1;
    control.Progress = [&](int percent) { percents.push_back(percent); };
    ASSERT_TRUE(TallyCells(source, {0, 0, 100, 200}, control));
    ASSERT_FALSE(percents.empty());
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(percents.back(), 100);

    // Cancelled half way through, from the progress report.
    std::atomic<bool> cancel{false};
    control.Cancel = &cancel;
    control.Progress = [&](int percent) {
        if (percent >= 50)
            cancel = true;
    };
    EXPECT_FALSE(TallyCells(source, {0, 0, 100, 200}, control));
}

TEST(UnitAreaTable, IsKeptUntilTheRasterChangesAndNeverTrustedWhenDamaged) {
    QTemporaryDir dir;
    const QString path = dir.filePath("TAMO2.bil");
    const QString cache = dir.filePath("Cache");
    WriteRaster(path, 4, 2, 2, [](int c, int) { return std::uint32_t(c + 1); });
    int counted = 0;
    TJobControl control;
    control.Progress = [&](int percent) { counted += percent == 100; };
    const auto areas = [&] {
        const auto raster = TRasterFile::Open(path);
        return *CachedUnitAreas({raster.get(), 2, 4, 2}, cache, control);
    };

    EXPECT_EQ(areas().Cells[3], 2u);
    EXPECT_EQ(counted, 1);
    const QString kept = UnitAreaCachePath(path, cache);
    ASSERT_TRUE(QFile::exists(kept));
    EXPECT_NEAR(areas().Area[3], kEllipsoidKm2 / 4, 1e-3);
    EXPECT_EQ(counted, 1) << "the kept table is read, not counted again";

    // One changed byte anywhere in the file: counted again and written anew.
    for (qint64 offset : {qint64(3), qint64(100), QFileInfo(kept).size() - 1}) {
        QFile file(kept);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.seek(offset);
        char byte = 0;
        file.getChar(&byte);
        file.seek(offset);
        file.putChar(char(byte ^ 0x10));
        file.close();
        const int before = counted;
        EXPECT_EQ(areas().Cells[3], 2u);
        EXPECT_EQ(counted, before + 1) << "offset " << offset;
        areas();
        EXPECT_EQ(counted, before + 1) << "the new table is kept";
    }
    // A cut file likewise.
    QFile::resize(kept, 40);
    const int before = counted;
    areas();
    EXPECT_EQ(counted, before + 1);

    // A raster of another size is counted again.
    WriteRaster(path, 4, 3, 2, [](int, int) { return 3u; });
    EXPECT_EQ(areas().Cells[3], 8u);
    EXPECT_EQ(counted, before + 2);
}

TEST(GridExtent, BadEdgesAreNamed) {
    struct TCase {
        TDegreeExtent Extent;
        const char* Problem;
    };
    const TCase cases[] = {
        {{10, 20, 0, 5}, "The south edge must lie south of the north edge."},
        {{10, 10, 0, 5}, "The south edge must lie south of the north edge."},
        {{10, 0, 5, 5}, "The west edge must lie west of the east edge."},
        {{10, 0, 6, 5}, "The west edge must lie west of the east edge."},
        {{91, 0, 0, 5}, "North and south must lie between -90 and 90 degrees."},
        {{10, -90.5, 0, 5}, "North and south must lie between -90 and 90 degrees."},
        {{10, 0, -181, 5}, "West and east must lie between -180 and 180 degrees."},
        {{10, 0, 0, 180.01}, "West and east must lie between -180 and 180 degrees."},
        {{NAN, 0, 0, 5}, "Every edge of the area must be a number of degrees."},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(ExtentProblem(c.Extent), c.Problem);
    EXPECT_EQ(ExtentProblem(kWorldExtent), "");
}

TEST(GridExtent, EdgesMoveOutwardToWholeCells) {
    struct TCase {
        TDegreeExtent Extent;
        TCellWindow Cells;
    };
    const TCase cases[] = {
        {kWorldExtent, {0, 0, kWorldCols, kWorldRows}},
        // Edges on cell borders stay, although 10.1 x 120 is not a whole number in binary.
        {{10.1, -10.1, 20.1, 30.1}, {24012, 9588, 25212, 12012}},
        // Edges inside cells move out to the cells' borders.
        {{10.004, -10.004, 20.004, 30.004}, {24000, 9599, 25201, 12001}},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(CellsCovering(c.Extent, kWorldCols, kWorldRows), c.Cells);
        // And back: the cells' edges hold the extent.
        const TDegreeExtent back = ExtentOfCells(c.Cells, kWorldCols, kWorldRows);
        EXPECT_GE(back.North + 1e-9, c.Extent.North);
        EXPECT_LE(back.South - 1e-9, c.Extent.South);
        EXPECT_LE(back.West - 1e-9, c.Extent.West);
        EXPECT_GE(back.East + 1e-9, c.Extent.East);
    }
    const TDegreeExtent rounded = RoundedOutward({10.001, -10.001, 20.009, 179.999}, 2);
    EXPECT_EQ(rounded, (TDegreeExtent{10.01, -10.01, 20.0, 180.0}));
}

TEST(UnitExtents, EqualAPlainScanForEveryCellSizeAndThreadCountAndCombine) {
    QTemporaryDir dir;
    constexpr int cols = 61, rows = 37;
    // Runs of a few cells of a handful of units, now and then a value beyond 16 bits.
    const std::vector<std::uint32_t> values = ValuesInRuns(cols * rows, 11, 6, [](std::mt19937& random) {
        return random() % 9 == 0 ? 70000u : static_cast<std::uint32_t>(random() % 12);
    });
    for (int bytes : {1, 2, 4}) {
        const QString path = dir.filePath(QString("r%1.bil").arg(bytes));
        const auto stored = [&](int c, int r) {
            return StoredAs(values[static_cast<std::size_t>(r * cols + c)], bytes);
        };
        WriteRaster(path, cols, rows, bytes, stored);
        TUnitExtents expected(kCellValueCount);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c)
                if (const std::uint32_t v = stored(c, r); v < 65536) {
                    TCellWindow& e = expected[v];
                    e = e.Empty() ? TCellWindow{c, r, c + 1, r + 1}
                                  : TCellWindow{std::min(e.Col0, c), std::min(e.Row0, r),
                                                std::max(e.Col1, c + 1), std::max(e.Row1, r + 1)};
                }
        const auto raster = TRasterFile::Open(path);
        for (int threads : {1, 3}) {
            SCOPED_TRACE(testing::Message() << bytes << " bytes, " << threads << " threads");
            TJobControl control;
            control.Threads = threads;
            const std::optional<TUnitExtents> extents =
                ScanUnitExtents({raster.get(), bytes, cols, rows}, control);
            ASSERT_TRUE(extents);
            EXPECT_EQ(*extents, expected);
            // Units together: the window around both; units not on the raster add nothing.
            const TCellWindow both = ExtentOfUnits(*extents, {3, 7, 300, -1, 65536});
            EXPECT_EQ(both.Col0, std::min(expected[3].Col0, expected[7].Col0));
            EXPECT_EQ(both.Row1, std::max(expected[3].Row1, expected[7].Row1));
            EXPECT_TRUE(ExtentOfUnits(*extents, {300}).Empty());
        }
    }
}
