#include "MapFakes.h"
#include "common/TAMOError.h"
#include "raster/RasterPainter.h"

#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>

namespace {

// The plain drawing: each source row read into a row buffer with a seek and a read, each pixel
// sampled by a running sum. The mapped, copy-free painter must match it pixel for pixel.
QImage ReferencePaint(const QByteArray& file, int bytes, int cols, int rows, int col0, int row0, double scale,
                      int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(0xFF123456);
    std::vector<std::uint16_t> buffer(std::max(43201, cols + 1), 0);
    const double step = 1 / scale;
    double ry = row0;
    int held = -1;
    for (int k = 0; k < height; ++k) {
        if (k > 0)
            ry += step;
        const int r = static_cast<int>(ry);
        if (r != held && r < rows) {
            const qint64 offset = (qint64(r) * cols + col0) * bytes;
            qint64 n = std::min<qint64>(qint64(cols) * bytes, std::max<qint64>(0, file.size() - offset));
            n = std::min<qint64>(n, qint64(buffer.size()) * 2);
            if (n > 0)
                std::memcpy(buffer.data(), file.constData() + offset, n);
            held = r;
        }
        double rx = 0;
        for (int j = 0; j < width; ++j) {
            if (j > 0)
                rx += step;
            const int g = static_cast<int>(rx);
            // Beyond the raster's last column or last row: no data, white.
            const bool outside = r >= rows || col0 + g >= cols;
            image.setPixel(j, k, outside ? 0xFFFFFFFFu : 0xFF000000u | buffer[g]);
        }
    }
    return image;
}

std::vector<QRgb> IdentityTable() {
    std::vector<QRgb> table(65536);
    for (int v = 0; v < 65536; ++v)
        table[v] = 0xFF000000u | v;
    return table;
}

struct TCase {
    const char* Name;
    int Bytes;
    int Col0, Row0;
    double Scale;
    int Width, Height;
};

class RasterPainterTest : public ::testing::Test {
protected:
    static constexpr int kCols = 37;
    static constexpr int kRows = 23;
    QTemporaryDir Dir;
    std::vector<QRgb> Table = IdentityTable();

    QString Make(int bytes) {
        const QString path = Dir.filePath(QString("r%1.bil").arg(bytes));
        // Values tell row and column apart: 100 x row + column + 1.
        WriteRaster(path, kCols, kRows, bytes, [](int c, int r) { return std::uint32_t(100 * r + c + 1); });
        return path;
    }

    // The test grid from its north-west corner at `scale`, into width x height pixels, each
    // value shown as itself.
    TPaintRequest Request(const TRasterFile& raster, double scale, int width, int height) const {
        TPaintRequest request;
        request.Raster = &raster;
        request.RasterCols = kCols;
        request.RasterRows = kRows;
        request.Scale = scale;
        request.TargetWidth = width;
        request.TargetHeight = height;
        request.ColorTable = Table.data();
        return request;
    }

    // Painted at once (bands 0) or in that many bands on the thread pool.
    QImage Paint(const TRasterFile& raster, const TCase& c, int bands = 0) {
        QImage image(c.Width, c.Height, QImage::Format_RGB32);
        image.fill(0xFF123456);
        TPaintRequest request = Request(raster, c.Scale, c.Width, c.Height);
        request.Bytes = c.Bytes;
        request.Col0 = c.Col0;
        request.Row0 = c.Row0;
        const TPaintResult result =
            bands == 0 ? PaintRaster(request, image) : PaintRasterInBands(request, image, bands);
        EXPECT_EQ(result, TPaintResult::Completed);
        return image;
    }
};

} // namespace

TEST_F(RasterPainterTest, MatchesTheRowBufferDrawingForEveryKindOfView) {
    const TCase cases[] = {
        {"world", 2, 0, 0, 13.0 / 37, 13, 9},
        {"world, wide window", 2, 0, 0, 201.0 / 37, 200, 130}, // rows past the raster are white
        {"zoomed in", 2, 5, 4, 3.0, 60, 40},
        {"one to one", 2, 3, 2, 1.0, 30, 20},
        {"zoomed out unevenly", 2, 0, 0, 0.37, 17, 11},
        {"first column is the last", 2, kCols - 1, 0, 1.0, 10, 5},      // white east of it
        {"last row from a later column", 2, 20, kRows - 1, 1.0, 25, 4}, // the read is cut at the file end
        {"starting south of the raster", 2, 0, kRows + 5, 1.0, 10, 5},
        {"1-byte cells", 1, 2, 1, 2.5, 40, 30},
        {"4-byte cells", 4, 0, 0, 1.5, 50, 30},
    };
    for (const TCase& c : cases) {
        const QString path = Make(c.Bytes);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const auto raster = TRasterFile::Open(path);
        const QImage expected =
            ReferencePaint(bytes, c.Bytes, kCols, kRows, c.Col0, c.Row0, c.Scale, c.Width, c.Height);
        EXPECT_EQ(Paint(*raster, c), expected) << c.Name;
        // Any split into bands paints the same pixels.
        for (const int bands : {1, 2, 7})
            EXPECT_EQ(Paint(*raster, c, bands), expected) << c.Name << ", " << bands << " bands";
    }
}

TEST_F(RasterPainterTest, KnownCellsLandWhereExpectedAndNoDataBeyondTheRaster) {
    const auto raster = TRasterFile::Open(Make(2));
    // A view at the last column shows that column, then no data: never the next row's cells.
    QImage east = Paint(*raster, {"east", 2, kCols - 1, 0, 1.0, 4, 2});
    EXPECT_EQ(east.pixel(0, 0) & 0xFFFF, 100 * 0 + 36 + 1u);
    EXPECT_EQ(east.pixel(0, 1) & 0xFFFF, 100 * 1 + 36 + 1u);
    EXPECT_EQ(east.pixel(1, 0), kOutsideRasterColor);
    EXPECT_EQ(east.pixel(3, 1), kOutsideRasterColor);
    // South of the last row: no data, not the last row again.
    QImage south = Paint(*raster, {"south", 2, 0, kRows - 1, 1.0, 3, 3});
    EXPECT_EQ(south.pixel(1, 0) & 0xFFFF, 100 * (kRows - 1) + 1 + 1u);
    EXPECT_EQ(south.pixel(1, 1), kOutsideRasterColor);
    EXPECT_EQ(south.pixel(2, 2), kOutsideRasterColor);
    // A view starting below the raster is all no data.
    QImage below = Paint(*raster, {"below", 2, 0, kRows, 1.0, 3, 3});
    EXPECT_EQ(below.pixel(2, 2), kOutsideRasterColor);
    // Zoomed out (two cells a pixel) in a target larger than the world: pixel 18 shows the last
    // column, 36, and pixel 11 the last row, 22; the pixels beyond them are no data.
    QImage wide = Paint(*raster, {"wide", 2, 0, 0, 0.5, 30, 20});
    EXPECT_EQ(wide.pixel(18, 11) & 0xFFFF, 100 * 22 + 36 + 1u);
    EXPECT_EQ(wide.pixel(19, 11), kOutsideRasterColor);
    EXPECT_EQ(wide.pixel(18, 12), kOutsideRasterColor);
    // Zoomed in, each cell covers several pixels.
    QImage zoomed = Paint(*raster, {"zoom", 2, 10, 10, 4.0, 8, 8});
    EXPECT_EQ(zoomed.pixel(3, 3) & 0xFFFF, 100 * 10 + 10 + 1u);
    EXPECT_EQ(zoomed.pixel(4, 7) & 0xFFFF, 100 * 11 + 11 + 1u);
}

TEST_F(RasterPainterTest, WritesOutsideTheImageAreDropped) {
    const auto raster = TRasterFile::Open(Make(2));
    QImage image(5, 4, QImage::Format_RGB32);
    image.fill(0xFF123456);
    TPaintRequest request = Request(*raster, 1, 30, 30);
    request.OriginX = -2;
    request.OriginY = 1;
    PaintRaster(request, image);
    EXPECT_EQ(image.pixel(0, 0), 0xFF123456u);
    EXPECT_EQ(image.pixel(0, 1) & 0xFFFF, 3u); // column 2 of row 0

    // An origin before the image's corner (a view panned by part of a cell) still covers the
    // target to its far edges.
    image.fill(0xFF123456);
    request.Scale = 2;
    request.OriginX = -3;
    request.OriginY = -1;
    request.TargetWidth = 5;
    request.TargetHeight = 4;
    PaintRaster(request, image);
    EXPECT_EQ(image.pixel(0, 0) & 0xFFFF, 1u + 1);       // pixel 3 from the origin: column 1
    EXPECT_EQ(image.pixel(4, 3) & 0xFFFF, 100u * 2 + 4); // pixel (7, 4): column 3, row 2
}

TEST_F(RasterPainterTest, NoScaleOrEmptyGridPaintsNothingAndDividesByNothing) {
    const auto raster = TRasterFile::Open(Make(2));
    for (const double scale : {0.0, -1.0}) {
        QImage image = Paint(*raster, {"no scale", 2, 0, 0, scale, 4, 4});
        EXPECT_EQ(image.pixel(1, 1), 0xFF123456u);
    }
    const QString empty = Dir.filePath("empty.bil");
    QFile(empty).open(QIODevice::WriteOnly);
    const auto none = TRasterFile::Open(empty);
    EXPECT_EQ(none->ReadCell(0, 0, kCols, 2), 0);
    QImage image(4, 4, QImage::Format_RGB32);
    TPaintRequest request = Request(*none, 1, 4, 4);
    request.RasterCols = 0;
    request.RasterRows = 0;
    EXPECT_EQ(PaintRaster(request, image), TPaintResult::Completed);
}

TEST_F(RasterPainterTest, AFileShorterThanItsGridIsAReadError) {
    const QString path = Dir.filePath("short.bil");
    WriteRaster(path, kCols, 5, 2, [](int, int) { return 7u; });
    const auto raster = TRasterFile::Open(path);
    QImage image(40, 40, QImage::Format_RGB32);
    try {
        PaintRaster(Request(*raster, 1, 40, 40), image);
        FAIL() << "no read error";
    } catch (const TAMOError& error) {
        EXPECT_TRUE(error.Message().contains("scanline 5 ")) << error.what();
    }
}

// Only pictures of 32-bit 0xAARRGGBB words are painted; any other is refused untouched.
TEST_F(RasterPainterTest, RefusesPicturesOfOtherFormats) {
    const auto raster = TRasterFile::Open(Make(2));
    for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32}) {
        QImage image(6, 4, format);
        image.fill(0xFF123456);
        EXPECT_EQ(PaintRaster(Request(*raster, 1, 6, 4), image), TPaintResult::Completed) << format;
        EXPECT_EQ(image.pixel(2, 1), 0xFF000000u | (100 * 1 + 2 + 1)) << format;
    }
    for (const QImage::Format format :
         {QImage::Format_RGB16, QImage::Format_RGB888, QImage::Format_Grayscale8, QImage::Format_RGBA8888,
          QImage::Format_ARGB32_Premultiplied}) {
        QImage image(6, 4, format);
        image.fill(Qt::black);
        const QImage before = image.copy();
        EXPECT_THROW(PaintRaster(Request(*raster, 1, 6, 4), image), TAMOError) << format;
        EXPECT_EQ(image, before) << format;
    }
    QImage none;
    EXPECT_THROW(PaintRaster(Request(*raster, 1, 6, 4), none), TAMOError);
}

TEST_F(RasterPainterTest, StopsBeforeTheNextLineAndShowsProgressEvery50Lines) {
    const auto raster = TRasterFile::Open(Make(2));
    struct TMonitor : TPaintMonitor {
        std::vector<int> Calls;
        bool Stop = false;
        bool StopRequested() override { return Stop; }
        bool Progress(int lines) override {
            Calls.push_back(lines);
            Stop = lines >= 99;
            return true;
        }
    } monitor;
    QImage image(10, 300, QImage::Format_RGB32);
    image.fill(0xFF123456);
    EXPECT_EQ(PaintRaster(Request(*raster, 10, 10, 300), image, &monitor), TPaintResult::Stopped);
    EXPECT_EQ(monitor.Calls, (std::vector<int>{49, 99}));
    EXPECT_NE(image.pixel(0, 99), 0xFF123456u); // line 100 (counting from 1) is still painted
    EXPECT_EQ(image.pixel(0, 100), 0xFF123456u);
}

TEST(RasterFile, ReadsOneCellOfEachSizeWith64BitOffsets) {
    QTemporaryDir dir;
    for (const int bytes : {1, 2, 4}) {
        const QString path = dir.filePath(QString("c%1.bil").arg(bytes));
        WriteRaster(path, 5, 3, bytes, [bytes](int c, int r) {
            return bytes == 4 ? std::uint32_t(-(10 * r + c + 1)) : std::uint32_t(10 * r + c + 200);
        });
        const auto raster = TRasterFile::Open(path);
        const double expected = bytes == 4 ? -(10 * 2 + 3 + 1) : 10 * 2 + 3 + 200;
        EXPECT_EQ(raster->ReadCell(3, 2, 5, bytes), expected) << bytes;
        EXPECT_EQ(raster->ReadCell(0, 3, 5, bytes), 0) << "past the end";
        EXPECT_EQ(raster->ReadCell(-1, 0, 5, bytes), 0) << "before the start";
        EXPECT_EQ(raster->ReadCell(0, 0, 5, 3), 0) << "unsupported size";
    }
    // Offsets are 64-bit: the last cell of a 4-byte world raster lies at 3,732,479,996.
    EXPECT_EQ(CellOffset(kWorldCols - 1, kWorldRows - 1, kWorldCols, 4), 3'732'479'996LL);
    EXPECT_THROW(TRasterFile::Open(dir.filePath("missing.bil")), TAMOError);
}

TEST(RasterFile, AFileJustWrittenIsInMemoryOverManyPages) {
    QTemporaryDir dir;
    const QString path = dir.filePath("resident.bil");
    // 360,000 bytes: more pages than one look at the kernel covers.
    WriteRaster(path, 300, 600, 2, [](int c, int r) { return std::uint32_t(r + c); });
    const auto raster = TRasterFile::Open(path);
    const std::int64_t size = 300 * 600 * 2;
    EXPECT_TRUE(raster->Resident(0, size));
    EXPECT_TRUE(raster->Resident(size - 10, 100)) << "cut at the end of the file";
    EXPECT_FALSE(raster->Resident(size, 1)) << "beyond the end";
    EXPECT_FALSE(raster->Resident(-1, 10));
    EXPECT_FALSE(raster->Resident(0, 0));
}
