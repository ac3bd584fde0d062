// A raster file cut while it is mapped: reads and drawings report it once and never crash.

#include "MapFakes.h"
#include "TestSupport.h"
#include "common/TAMOError.h"
#include "raster/RasterPainter.h"
#include "raster/RasterStatistics.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// 512 columns x 256 rows of 2-byte cells (256 KB, many pages): value = row + 1.
constexpr int kCols = 512;
constexpr int kRows = 256;

class CutRaster : public ::testing::Test {
protected:
    void SetUp() override {
        m_path = m_dir.filePath("TAMO2.bil");
        WriteRaster(m_path, kCols, kRows, 2, [](int, int row) { return std::uint32_t(row + 1); });
        m_raster = TRasterFile::Open(m_path);
    }
    // Cuts the file to its northern `rows` rows, as another program would while it is mapped.
    void CutTo(int rows) const { ASSERT_TRUE(QFile::resize(m_path, qint64(rows) * kCols * 2)); }

    QTemporaryDir m_dir;
    QString m_path;
    std::unique_ptr<TRasterFile> m_raster;
};

// Stands in for the map window: cuts the file after the first stretch of lines is painted.
class TCuttingMonitor : public TPaintMonitor {
public:
    std::function<void()> Cut;
    bool StopRequested() override { return false; }
    bool Progress(int) override {
        if (Cut)
            std::exchange(Cut, nullptr)();
        return true;
    }
};

} // namespace

TEST_F(CutRaster, TheReadoutReportsTheCutOnceThenReadsNoData) {
    EXPECT_EQ(m_raster->ReadCell(10, 200, kCols, 2), 201);
    CutTo(kRows / 2);
    try {
        m_raster->ReadCell(10, 200, kCols, 2);
        FAIL() << "no read error";
    } catch (const TAMOError& error) {
        EXPECT_TRUE(error.Message().startsWith("Stream read error: ")) << error.what();
        EXPECT_TRUE(error.Message().contains(m_path)) << error.what();
        EXPECT_TRUE(error.Message().contains("(scanline 200)")) << error.what();
    }
    // Later moves over the lost half read no data without a further message; the rest reads on.
    EXPECT_EQ(m_raster->ReadCell(10, 200, kCols, 2), 0);
    EXPECT_EQ(m_raster->ReadCell(11, 255, kCols, 2), 0);
    EXPECT_EQ(m_raster->ReadCell(10, 20, kCols, 2), 21);
}

TEST_F(CutRaster, ADrawingDuringWhichTheFileIsCutReportsOnceAndTheNextDrawsNoData) {
    std::vector<QRgb> table(65536, 0xFF000000);
    table[0] = 0xFFFFFFFF;
    for (int v = 1; v <= kRows; ++v)
        table[v] = 0xFF000000 + v;
    TPaintRequest request;
    request.Raster = m_raster.get();
    request.RasterCols = kCols;
    request.RasterRows = kRows;
    request.Scale = 1;
    request.TargetWidth = kCols;
    request.TargetHeight = kRows;
    request.ColorTable = table.data();
    QImage image(kCols, kRows, QImage::Format_RGB32);

    // The painting reads rows straight from the mapping, past the size it knew at the start.
    TCuttingMonitor monitor;
    monitor.Cut = [this] { CutTo(kRows / 2); };
    EXPECT_THROW(PaintRaster(request, image, &monitor), TAMOError);

    // The message came once; the next drawing shows the rows that are left and no data beyond.
    EXPECT_EQ(PaintRaster(request, image, &monitor), TPaintResult::Completed);
    EXPECT_EQ(image.pixel(5, 10), 0xFF000000u + 11);
    EXPECT_EQ(image.pixel(5, kRows - 1), 0xFFFFFFFFu);
}

TEST_F(CutRaster, StatisticsOfACutFileFailEveryTimeAndAreNotKept) {
    CutTo(kRows / 4);
    const QString cache = m_dir.filePath("Cache");
    QDir().mkpath(cache);
    EXPECT_THROW(CachedCellHistogram(*m_raster, 2, kCols, kRows, cache, {}), TAMOError);
    EXPECT_THROW(CachedCellHistogram(*m_raster, 2, kCols, kRows, cache, {}), TAMOError);
    EXPECT_FALSE(QFileInfo::exists(HistogramCachePath(m_path, cache)));
}
