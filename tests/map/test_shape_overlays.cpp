// Shape overlays drawn over a map image, on small shapefiles written here with shapelib.
#include "TestSupport.h"
#include "common/TAMOError.h"
#include "map/ShapeOverlays.h"
#include "raster/RasterPainter.h"
#include "themes/QEVmanager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <shapefil.h>
#include <sys/stat.h>

namespace {

// One object: its parts (lines of pixel positions) and its third attribute.
struct TTestShape {
    std::vector<std::vector<QPoint>> Parts;
    int Status = 1;
};

// Longitude and latitude that a one-degree-per-pixel world view draws at pixel (x, y).
double LonAt(int x) {
    return x - 180 - 0.4;
}
double LatAt(int y) {
    return 90 - (y - 0.4);
}

// One object in degrees: its parts as longitude, latitude pairs.
using TRawShape = std::vector<std::vector<std::pair<double, double>>>;

// Writes a shapefile of `type` with an attribute table of three integer fields (ID, CODE,
// STATUS), from objects in degrees; `statuses` gives each object's third attribute (1 where it
// holds none).
void WriteRawShapes(const QString& path, int type, const std::vector<TRawShape>& shapes,
                    const std::vector<int>& statuses = {}) {
    SHPHandle shp = SHPCreate(QFile::encodeName(path).constData(), type);
    ASSERT_NE(shp, nullptr);
    DBFHandle dbf = DBFCreate(QFile::encodeName(path).constData());
    ASSERT_NE(dbf, nullptr);
    DBFAddField(dbf, "ID", FTInteger, 9, 0);
    DBFAddField(dbf, "CODE", FTInteger, 9, 0);
    DBFAddField(dbf, "STATUS", FTInteger, 9, 0);
    for (size_t i = 0; i < shapes.size(); ++i) {
        std::vector<double> x, y;
        std::vector<int> starts;
        for (const auto& part : shapes[i]) {
            starts.push_back(static_cast<int>(x.size()));
            for (const auto& [lon, lat] : part) {
                x.push_back(lon);
                y.push_back(lat);
            }
        }
        const bool point = type == SHPT_POINT || type == SHPT_MULTIPOINT;
        SHPObject* object = SHPCreateObject(type, -1, point ? 0 : static_cast<int>(starts.size()),
                                            point ? nullptr : starts.data(), nullptr,
                                            static_cast<int>(x.size()), x.data(), y.data(), nullptr, nullptr);
        SHPWriteObject(shp, -1, object);
        SHPDestroyObject(object);
        DBFWriteIntegerAttribute(dbf, static_cast<int>(i), 0, static_cast<int>(i));
        DBFWriteIntegerAttribute(dbf, static_cast<int>(i), 1, 7);
        DBFWriteIntegerAttribute(dbf, static_cast<int>(i), 2, i < statuses.size() ? statuses[i] : 1);
    }
    SHPClose(shp);
    DBFClose(dbf);
}

// The same from objects in pixels of the one-degree-per-pixel world view.
void WriteShapes(const QString& path, int type, const std::vector<TTestShape>& shapes) {
    std::vector<TRawShape> raw;
    std::vector<int> statuses;
    for (const TTestShape& shape : shapes) {
        TRawShape& parts = raw.emplace_back();
        for (const auto& part : shape.Parts) {
            auto& degrees = parts.emplace_back();
            for (const QPoint& p : part)
                degrees.emplace_back(LonAt(p.x()), LatAt(p.y()));
        }
        statuses.push_back(shape.Status);
    }
    WriteRawShapes(path, type, raw, statuses);
}

using TLine = std::vector<QPoint>;
TLine Square(int x0, int y0, int x1, int y1) {
    return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}};
}
TTestShape Shape(std::vector<TLine> parts, int status = 1) {
    return {std::move(parts), status};
}

// Darkness 0 (white) to 255 (black) of a pixel.
int Ink(const QImage& image, int x, int y) {
    return 255 - qGray(image.pixel(x, y));
}

class ShapeOverlayTest : public ::testing::Test {
protected:
    TScopedEnvironment Env;
    QTemporaryDir Dir;
    TQEVmanager Legend{nullptr, QString()};
    TViewGeometry View;
    QImage Image{360, 180, QImage::Format_RGB32};

    void SetUp() override {
        Legend.ShapeLayers.clear();
        // The whole world at one pixel per degree.
        View.SetGrid(360, 180);
        View.SetView(0, 359, 0, 179);
        View.SetTarget(359, 179);
        ASSERT_TRUE(View.FitView());
        ASSERT_DOUBLE_EQ(View.Scale(), 1.0);
        Image.fill(Qt::white);
    }
    QString File(const QString& name) const { return Dir.filePath(name); }
    TOverlayResult Draw(TPaintMonitor* monitor = nullptr) {
        return DrawShapeLayers(Image, Legend.ShapeLayers, View, monitor);
    }
};

// Stops after a number of stop checks, and notes the progress calls.
class TStoppingMonitor : public TPaintMonitor {
public:
    explicit TStoppingMonitor(int checksBeforeStop) : m_left(checksBeforeStop) {}
    std::vector<int> ProgressCalls;
    bool StopRequested() override { return m_left-- <= 0; }
    bool Progress(int done) override {
        ProgressCalls.push_back(done);
        return true;
    }

private:
    int m_left;
};

// The files of this process that are open, by path.
QStringList OpenFiles() {
    QStringList files;
    for (const QFileInfo& fd : QDir("/proc/self/fd").entryInfoList(QDir::Files | QDir::System))
        files << QFileInfo(fd.symLinkTarget()).fileName();
    return files;
}

} // namespace

TEST_F(ShapeOverlayTest, AddShapeLayerTakesTheTypeAndColour) {
    WriteShapes(File("lines.shp"), SHPT_ARC, {Shape({TLine{{10, 10}, {20, 10}}})});
    WriteShapes(File("areas.shp"), SHPT_POLYGON, {Shape({Square(1, 1, 5, 5)})});
    WriteShapes(File("multi.shp"), SHPT_MULTIPOINT, {Shape({TLine{{3, 3}, {4, 4}}})});
    WriteShapes(File("arcz.shp"), SHPT_ARCZ, {Shape({TLine{{3, 3}, {40, 4}}}, 3)});
    EXPECT_NO_THROW(AddShapeLayer(Legend, File("lines.shp")));
    EXPECT_NO_THROW(AddShapeLayer(Legend, File("areas.shp")));
    EXPECT_NO_THROW(AddShapeLayer(Legend, File("multi.shp")));
    EXPECT_NO_THROW(AddShapeLayer(Legend, File("arcz.shp")));
    ASSERT_EQ(Legend.ShapeLayers.size(), 4u);
    const std::vector<std::pair<int, QRgb>> expected = {{3, 0x0000FF}, {5, 0}, {8, 0}, {13, 0}};
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(Legend.ShapeLayers[i].ShapeType, expected[i].first);
        EXPECT_EQ(Legend.ShapeLayers[i].Color & 0xFFFFFF, expected[i].second);
        EXPECT_TRUE(Legend.ShapeLayers[i].Visible);
    }
    // Multipoint and Z files are listed but draw nothing, not even a dashed object.
    Legend.ShapeLayers.erase(Legend.ShapeLayers.begin(), Legend.ShapeLayers.begin() + 2);
    EXPECT_EQ(Draw(), TOverlayResult::Completed);
    QImage white(Image.size(), Image.format());
    white.fill(Qt::white);
    EXPECT_EQ(Image, white);
}

TEST_F(ShapeOverlayTest, DrawsOutlinesLinesAndPointsInTheirColours) {
    WriteShapes(File("areas.shp"), SHPT_POLYGON,
                {Shape({Square(100, 50, 140, 80)}),
                 // Two parts: two outlines, no line between them, and no dashes for status 3.
                 Shape({Square(200, 50, 220, 70), Square(240, 50, 260, 70)}, 3)});
    WriteShapes(File("lines.shp"), SHPT_ARC, {Shape({TLine{{100, 150}, {200, 150}}})});
    WriteShapes(File("points.shp"), SHPT_POINT, {Shape({TLine{{300, 30}}})});
    for (const char* name : {"areas.shp", "lines.shp", "points.shp"})
        ASSERT_NO_THROW(AddShapeLayer(Legend, File(name)));
    ASSERT_EQ(Draw(), TOverlayResult::Completed);

    // Polygon outlines: one pixel wide, black, closed, not filled.
    for (int x = 101; x < 140; ++x) {
        EXPECT_EQ(Image.pixel(x, 50), 0xFF000000) << x;
        EXPECT_EQ(Image.pixel(x, 80), 0xFF000000) << x;
        EXPECT_EQ(Image.pixel(x, 49), 0xFFFFFFFF) << x;
        EXPECT_EQ(Image.pixel(x, 51), 0xFFFFFFFF) << x;
    }
    for (int y = 51; y < 80; ++y) {
        EXPECT_EQ(Image.pixel(100, y), 0xFF000000) << y;
        EXPECT_EQ(Image.pixel(140, y), 0xFF000000) << y;
    }
    EXPECT_EQ(Image.pixel(120, 65), 0xFFFFFFFF);
    for (int y = 51; y < 70; ++y) {
        EXPECT_EQ(Image.pixel(220, y), 0xFF000000);
        EXPECT_EQ(Image.pixel(240, y), 0xFF000000);
    }
    for (int x = 222; x < 239; ++x) {
        EXPECT_EQ(Image.pixel(x, 50), 0xFFFFFFFF) << x;
        EXPECT_EQ(Image.pixel(x, 70), 0xFFFFFFFF) << x;
    }
    EXPECT_EQ(Image.pixel(210, 50), 0xFF000000); // solid, not dashed
    for (int x = 201; x < 220; ++x)
        EXPECT_EQ(Image.pixel(x, 50), 0xFF000000) << x;

    // The line in blue.
    for (int x = 101; x < 200; ++x)
        EXPECT_EQ(Image.pixel(x, 150), 0xFF0000FF) << x;
    // The point as a 4 x 4 square from (x - 2, y - 2) to (x + 1, y + 1).
    for (int y = 26; y <= 33; ++y)
        for (int x = 296; x <= 303; ++x) {
            const bool inside = x >= 298 && x <= 301 && y >= 28 && y <= 31;
            EXPECT_EQ(Image.pixel(x, y), inside ? 0xFF000000 : 0xFFFFFFFF) << x << "," << y;
        }

    // Hidden overlays are not drawn; a recoloured one takes its colour.
    Image.fill(Qt::white);
    Legend.ShapeLayers[0].Visible = false;
    Legend.ShapeLayers[1].Color = 0x00FF00;
    Draw();
    EXPECT_EQ(Image.pixel(120, 50), 0xFFFFFFFF);
    EXPECT_EQ(Image.pixel(150, 150), 0xFF00FF00);
}

TEST_F(ShapeOverlayTest, SinglePartObjectsWithStatusThreeOrFourAreDashedBlack) {
    WriteShapes(File("dashed.shp"), SHPT_ARC,
                {Shape({TLine{{20, 100}, {120, 100}}}, 3), Shape({TLine{{20, 120}, {120, 120}}}, 4),
                 Shape({TLine{{20, 140}, {120, 140}}}, 2)});
    ASSERT_NO_THROW(AddShapeLayer(Legend, File("dashed.shp")));
    Legend.ShapeLayers[0].Color = 0x00FF00; // the overlay colour is not used for dashes
    Draw();
    for (int row : {100, 120}) {
        int black = 0, white = 0;
        for (int x = 24; x < 112; ++x) {
            // Four pixels on, four off: the pattern repeats every eight pixels.
            EXPECT_EQ(Image.pixel(x, row), Image.pixel(x + 8, row)) << x;
            const QRgb pixel = Image.pixel(x, row);
            EXPECT_EQ(qRed(pixel), qGreen(pixel)) << "black on white only";
            black += Ink(Image, x, row) > 250;
            white += Ink(Image, x, row) < 5;
        }
        EXPECT_GE(black, 3 * 11);
        EXPECT_GE(white, 3 * 11);
    }
    for (int x = 21; x < 120; ++x)
        EXPECT_EQ(Image.pixel(x, 140), 0xFF00FF00) << x;
}

TEST_F(ShapeOverlayTest, ObjectsWhoseBoxMissesTheViewAreSkippedBeforeDrawing) {
    WriteShapes(File("areas.shp"), SHPT_POLYGON,
                {Shape({Square(10, 10, 30, 30)}), Shape({Square(50, 10, 70, 30)})});
    // Move the stored box of the second object far east; its vertices stay where they were.
    QFile shp(File("areas.shp"));
    ASSERT_TRUE(shp.open(QIODevice::ReadWrite));
    const QByteArray bytes = shp.readAll();
    // Records of 8 header and 128 content bytes; the box follows the shape type.
    ASSERT_EQ(bytes.size(), 100 + 2 * 136);
    const qint64 second = 100 + 136 + 8 + 4;
    const double east[4] = {170, -89, 179, -80};
    shp.seek(second);
    shp.write(reinterpret_cast<const char*>(east), sizeof east);
    shp.close();

    // A view of the north-west: both objects lie inside, the second is culled by its box.
    View.SetView(0, 89, 0, 44);
    ASSERT_TRUE(View.FitView());
    ASSERT_NO_THROW(AddShapeLayer(Legend, File("areas.shp")));
    Draw();
    const TPixel first = View.LonLatToPixel(LonAt(20), LatAt(10));
    const TPixel secondLeft = View.LonLatToPixel(LonAt(50), LatAt(10));
    const TPixel secondRight = View.LonLatToPixel(LonAt(70), LatAt(10));
    EXPECT_EQ(Image.pixel(first.X, first.Y), 0xFF000000);
    for (int x = secondLeft.X - 2; x <= secondRight.X + 2; ++x)
        EXPECT_EQ(Image.pixel(x, secondLeft.Y), 0xFFFFFFFF) << x;
}

TEST_F(ShapeOverlayTest, AStopKeepsWhatWasDrawnAndClosesTheFiles) {
    std::vector<TTestShape> points;
    for (int i = 0; i < 120; ++i)
        points.push_back(Shape({TLine{{10 + 2 * (i % 100), 20 + 10 * (i / 100)}}}));
    WriteShapes(File("many.shp"), SHPT_POINT, points);
    ASSERT_NO_THROW(AddShapeLayer(Legend, File("many.shp")));
    ASSERT_NO_THROW(AddShapeLayer(Legend, File("many.shp")));

    TStoppingMonitor full(1000000);
    EXPECT_EQ(Draw(&full), TOverlayResult::Completed);
    // The partial map is shown after every 50 objects, counted over all overlays.
    EXPECT_EQ(full.ProgressCalls, (std::vector<int>{50, 100, 150, 200}));

    Image.fill(Qt::white);
    TStoppingMonitor stopping(60);
    EXPECT_EQ(Draw(&stopping), TOverlayResult::Stopped);
    EXPECT_EQ(Image.pixel(10, 20), 0xFF000000);          // object 0 drawn
    EXPECT_EQ(Image.pixel(10 + 2 * 70, 20), 0xFFFFFFFF); // object 70 not
    const QStringList open = OpenFiles();
    for (const char* name : {"many.shp", "many.shx", "many.dbf"})
        EXPECT_FALSE(open.contains(name)) << name;
}

TEST_F(ShapeOverlayTest, AShortOrMissingAttributeTableReadsAsZero) {
    WriteShapes(File("areas.shp"), SHPT_POLYGON,
                {Shape({Square(10, 10, 60, 40)}, 3), Shape({Square(100, 10, 150, 40)}, 3)});
    // The table keeps its header's count of two records but holds only the first.
    QFile dbf(File("areas.dbf"));
    ASSERT_TRUE(dbf.open(QIODevice::ReadWrite));
    const qint64 headerLength = 32 + 3 * 32 + 1;
    ASSERT_TRUE(dbf.resize(headerLength + (dbf.size() - headerLength - 1) / 2));
    dbf.close();
    ASSERT_NO_THROW(AddShapeLayer(Legend, File("areas.shp")));
    Draw();
    // The first object is dashed, the second (no record) drawn solid.
    int gaps = 0;
    for (int x = 11; x < 60; ++x)
        gaps += Ink(Image, x, 10) < 5;
    EXPECT_GT(gaps, 10);
    for (int x = 101; x < 150; ++x)
        EXPECT_EQ(Image.pixel(x, 10), 0xFF000000) << x;

    QFile::remove(File("areas.dbf"));
    Image.fill(Qt::white);
    Draw();
    for (int x = 11; x < 60; ++x)
        EXPECT_EQ(Image.pixel(x, 10), 0xFF000000) << x;
}

TEST_F(ShapeOverlayTest, DamagedShapefilesNeverCrashTheDrawing) {
    std::vector<TTestShape> shapes;
    for (int i = 0; i < 6; ++i)
        shapes.push_back(
            Shape({Square(10 + 40 * i, 10, 40 + 40 * i, 40), Square(15 + 40 * i, 50, 30 + 40 * i, 60)},
                  i % 2 ? 3 : 1));
    WriteShapes(File("good.shp"), SHPT_POLYGON, shapes);
    QByteArray shp, shx, dbf;
    for (auto [name, data] : {std::pair{"good.shp", &shp}, {"good.shx", &shx}, {"good.dbf", &dbf}}) {
        QFile file(File(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        *data = file.readAll();
    }
    auto put32 = [](QByteArray& bytes, qint64 at, qint32 value, bool bigEndian) {
        for (int k = 0; k < 4; ++k)
            bytes[at + k] = char(bigEndian ? (value >> (24 - 8 * k)) & 0xFF : (value >> (8 * k)) & 0xFF);
    };
    // Specific damage: huge part and vertex counts, a part start beyond the vertices, offsets and
    // record lengths beyond the file, a record count far beyond the table. Then random bytes.
    const qint64 record0 = 100 + 8;
    std::vector<std::function<void(QByteArray&, QByteArray&, QByteArray&)>> damages = {
        [&](QByteArray& s, QByteArray&, QByteArray&) { put32(s, record0 + 36, 0x7FFFFFFF, false); },
        [&](QByteArray& s, QByteArray&, QByteArray&) { put32(s, record0 + 40, 0x7FFFFFFF, false); },
        [&](QByteArray& s, QByteArray&, QByteArray&) { put32(s, record0 + 44 + 4, 9999, false); },
        [&](QByteArray& s, QByteArray&, QByteArray&) { put32(s, record0 + 44 + 4, -5, false); },
        [&](QByteArray&, QByteArray& x, QByteArray&) { put32(x, 100 + 8, 0x7FFFFFF0, true); },
        [&](QByteArray&, QByteArray& x, QByteArray&) { put32(x, 100 + 4, 0x7FFFFFF0, true); },
        [&](QByteArray& s, QByteArray&, QByteArray&) { s.truncate(s.size() / 2); },
        [&](QByteArray&, QByteArray&, QByteArray& d) { put32(d, 4, 0x7FFFFFFF, false); },
        [&](QByteArray&, QByteArray&, QByteArray& d) { d.truncate(40); },
    };
    QRandomGenerator random(12345);
    for (int i = 0; i < 150; ++i)
        damages.push_back([&random](QByteArray& s, QByteArray& x, QByteArray& d) {
            QByteArray* target[3] = {&s, &x, &d};
            QByteArray& bytes = *target[random.bounded(3)];
            for (int k = 0, n = 1 + random.bounded(8); k < n && !bytes.isEmpty(); ++k)
                bytes[random.bounded(bytes.size())] = char(random.bounded(256));
        });
    for (size_t i = 0; i < damages.size(); ++i) {
        QByteArray s = shp, x = shx, d = dbf;
        damages[i](s, x, d);
        const QString base = File(QString("bad%1").arg(i));
        for (auto [ext, data] : {std::pair{".shp", &s}, {".shx", &x}, {".dbf", &d}}) {
            QFile file(base + ext);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(*data);
        }
        Legend.ShapeLayers.clear();
        try {
            AddShapeLayer(Legend, base + ".shp");
        } catch (const TAMOError&) {
            // refused as damaged: nothing to draw
        }
        Image.fill(Qt::white);
        EXPECT_EQ(Draw(), TOverlayResult::Completed) << i;
    }
    // A sound object after a damaged one is still drawn.
    QByteArray s = shp;
    put32(s, record0 + 44 + 4, 9999, false);
    for (auto [ext, data] : {std::pair{".shp", &s}, {".shx", &shx}, {".dbf", &dbf}}) {
        QFile file(File("partly") + ext);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(*data);
    }
    Legend.ShapeLayers.clear();
    ASSERT_NO_THROW(AddShapeLayer(Legend, File("partly.shp")));
    Image.fill(Qt::white);
    Draw();
    EXPECT_EQ(Image.pixel(60, 40), 0xFF000000);
}

namespace {
std::pair<double, double> Degrees(int x, int y) {
    return {LonAt(x), LatAt(y)};
}

// Pixels with any ink in a rectangle of the image.
int InkedPixels(const QImage& image, const QRect& area) {
    int inked = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            inked += Ink(image, x, y) > 0;
    return inked;
}
} // namespace

TEST_F(ShapeOverlayTest, VerticesThatAreNoNumberBreakTheLineInsteadOfReachingTheEdge) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    // Rings whose way from the second to the third corner passes a vertex that is no number.
    const auto ring = [](int x0, std::pair<double, double> odd) {
        return TRawShape{{Degrees(x0, 50), Degrees(x0 + 40, 50), odd, Degrees(x0 + 40, 80), Degrees(x0, 80),
                          Degrees(x0, 50)}};
    };
    WriteRawShapes(File("areas.shp"), SHPT_POLYGON,
                   {ring(100, {nan, 10.0}), ring(200, {inf, 10.0}), ring(20, {10.0, -inf})});
    WriteRawShapes(File("points.shp"), SHPT_POINT,
                   {{{Degrees(300, 30)}}, {{{nan, nan}}}, {{{inf, 0.0}}}, {{{0.0, nan}}}});
    ASSERT_NO_THROW(AddShapeLayer(Legend, File("areas.shp")));
    ASSERT_NO_THROW(AddShapeLayer(Legend, File("points.shp")));
    EXPECT_EQ(Draw(), TOverlayResult::Completed);
    for (int x0 : {20, 100, 200}) {
        EXPECT_EQ(Image.pixel(x0 + 20, 50), 0xFF000000) << x0; // the sides around the break
        EXPECT_EQ(Image.pixel(x0 + 20, 80), 0xFF000000) << x0;
        EXPECT_EQ(Image.pixel(x0, 65), 0xFF000000) << x0;
        EXPECT_EQ(InkedPixels(Image, QRect(x0 + 38, 55, 5, 20)), 0) << x0 << ": the side through the break";
    }
    EXPECT_EQ(Image.pixel(300, 30), 0xFF000000);
    // Nothing runs off to the edges or the corner that such a vertex would project to.
    EXPECT_EQ(InkedPixels(Image, QRect(0, 0, 360, 45)) - InkedPixels(Image, QRect(296, 26, 8, 8)), 0);
    EXPECT_EQ(InkedPixels(Image, QRect(0, 85, 360, 95)), 0);
    EXPECT_EQ(InkedPixels(Image, QRect(245, 45, 115, 40)), 0);
}

TEST_F(ShapeOverlayTest, AStopActsInsideAnObjectOfManyVertices) {
    // One line of 100,000 vertices, back and forth along a row.
    std::vector<std::pair<double, double>> line;
    for (int i = 0; i < 100000; ++i)
        line.push_back(Degrees(20 + i % 300, 100));
    WriteRawShapes(File("long.shp"), SHPT_ARC, {TRawShape{line}});
    ASSERT_NO_THROW(AddShapeLayer(Legend, File("long.shp")));
    // The first look is before the object; the second is already inside it.
    TStoppingMonitor stopping(1);
    EXPECT_EQ(Draw(&stopping), TOverlayResult::Stopped);
    TStoppingMonitor full(1000000);
    EXPECT_EQ(Draw(&full), TOverlayResult::Completed);
    EXPECT_EQ(Image.pixel(200, 100), 0xFF0000FF);
}

// Writes a line zig-zagging `repeats` times between A(k) and B(k), for k = 0 to 4, and beside it
// what the line shows once thinned: A0 B0, then B(k-1) A(k) B(k), each a stroke of its own.
void WriteZigZag(const QString& path, const QString& thinnedPath, int repeats) {
    const auto a = [](int k) { return Degrees(20, 40 + k); };
    const auto b = [](int k) { return Degrees(330, 140 - k); };
    std::vector<std::pair<double, double>> zigzag;
    for (int k = 0; k < 5; ++k)
        for (int i = 0; i < repeats; ++i) {
            zigzag.push_back(a(k));
            zigzag.push_back(b(k));
        }
    WriteRawShapes(path, SHPT_ARC, {TRawShape{zigzag}});
    std::vector<TRawShape> thinned{{{a(0), b(0)}}};
    for (int k = 1; k < 5; ++k)
        thinned.push_back({{b(k - 1), a(k), b(k)}});
    WriteRawShapes(thinnedPath, SHPT_ARC, thinned);
}

// Drawn over and over, a line zig-zagging between two places would darken the edges of its
// strokes; a segment between two pixels the object joined before is left out.
TEST_F(ShapeOverlayTest, ALongLineIsThinnedToThePixelsItJoins) {
    WriteZigZag(File("zigzag.shp"), File("thinned.shp"), 6000);
    ASSERT_NO_THROW(AddShapeLayer(Legend, File("thinned.shp")));
    Draw();
    const QImage expected = Image;
    Legend.ShapeLayers.clear();
    Image.fill(Qt::white);
    ASSERT_NO_THROW(AddShapeLayer(Legend, File("zigzag.shp")));
    Draw();
    EXPECT_EQ(Image, expected);
}

// An object of more than a million vertices (16 MB) is read in steps as it is drawn: the same
// picture, a stop within it, and a file cut short drawn as far as it goes.
TEST_F(ShapeOverlayTest, AnObjectOfMillionsOfVerticesIsReadAsItIsDrawn) {
    WriteZigZag(File("huge.shp"), File("thinned.shp"), 110000);
    ASSERT_GT(QFileInfo(File("huge.shp")).size(), 16 << 20);
    ASSERT_NO_THROW(AddShapeLayer(Legend, File("thinned.shp")));
    Draw();
    const QImage expected = Image;
    Legend.ShapeLayers.clear();
    Image.fill(Qt::white);
    ASSERT_NO_THROW(AddShapeLayer(Legend, File("huge.shp")));
    EXPECT_EQ(Draw(), TOverlayResult::Completed);
    EXPECT_EQ(Image, expected);

    TStoppingMonitor stopping(1);
    EXPECT_EQ(Draw(&stopping), TOverlayResult::Stopped);

    // Cut within the third level: the first two are drawn, the last not.
    QFile shp(File("huge.shp"));
    ASSERT_TRUE(shp.resize(shp.size() / 2));
    Image.fill(Qt::white);
    EXPECT_EQ(Draw(), TOverlayResult::Completed);
    EXPECT_EQ(Image.pixel(20, 40), expected.pixel(20, 40));
    EXPECT_EQ(Image.pixel(20, 41), expected.pixel(20, 41));
    EXPECT_EQ(Image.pixel(330, 136), 0xFFFFFFFF);
}

// Each case: how the shapefile "hostile" is made from a sound one, and the message that refuses
// it ("" when it is taken and drawn as far as it is sound).
TEST_F(ShapeOverlayTest, HostileShapefilesAreRefusedWithTheFileAndTheReasonNamed) {
    WriteShapes(File("sound.shp"), SHPT_POLYGON, {Shape({Square(10, 10, 60, 40)}, 3)});
    const QString base = File("hostile");
    const auto put32 = [](const QString& path, qint64 at, quint32 value, bool bigEndian) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        QByteArray bytes(4, 0);
        for (int k = 0; k < 4; ++k)
            bytes[k] = char(bigEndian ? (value >> (24 - 8 * k)) & 0xFF : (value >> (8 * k)) & 0xFF);
        file.seek(at);
        file.write(bytes);
    };
    const auto fifo = [&](const char* ext) {
        QFile::remove(base + ext);
        ASSERT_EQ(::mkfifo(QFile::encodeName(base + ext).constData(), 0600), 0);
    };
    const auto write = [&](const char* ext, const QByteArray& bytes) {
        QFile file(base + ext);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    };
    const QString refused = "The shapefile \"" + base + ".shp\" cannot be added: ";
    struct TCase {
        const char* Name;
        std::function<void()> Make;
        QString Expected; // a message starting with this, or "" when taken
    };
    const TCase cases[] = {
        {"the .shp is a named pipe", [&] { fifo(".shp"); },
         refused + "\"" + base + ".shp\" is not a regular file."},
        {"the .shx is a named pipe", [&] { fifo(".shx"); },
         refused + "\"" + base + ".shx\" is not a regular file."},
        {"the .dbf is a named pipe", [&] { fifo(".dbf"); },
         refused + "\"" + base + ".dbf\" is not a regular file."},
        {"the .shp is a folder",
         [&] {
             QFile::remove(base + ".shp");
             QDir().mkdir(base + ".shp");
         },
         refused + "\"" + base + ".shp\" is not a regular file."},
        {"the .shp links to a named pipe",
         [&] {
             fifo(".pipe");
             QFile::remove(base + ".shp");
             QFile::link(base + ".pipe", base + ".shp");
         },
         refused + "\"" + base + ".shp\" is not a regular file."},
        {"the .shp is missing", [&] { QFile::remove(base + ".shp"); },
         refused + "\"" + base + ".shp\" does not exist."},
        {"the .shx is missing", [&] { QFile::remove(base + ".shx"); },
         refused + "\"" + base + ".shx\" does not exist."},
        {"the .shp is empty", [&] { write(".shp", {}); }, refused + "it is damaged"},
        {"the .shp holds text", [&] { write(".shp", QByteArray(200, 'x')); },
         refused + "it is no shapefile."},
        {"the .shx declares 2^31 bytes of records", [&] { put32(base + ".shx", 24, 0x7FFFFFFF, true); },
         refused + "it is damaged"},
        // Taken: drawn as far as they are sound.
        {"the .dbf is missing", [&] { QFile::remove(base + ".dbf"); }, ""},
        {"the .dbf declares 2^31 records", [&] { put32(base + ".dbf", 4, 0x7FFFFFFF, false); }, ""},
        {"the object declares 2^31 vertices", [&] { put32(base + ".shp", 100 + 8 + 40, 0x7FFFFFFF, false); },
         ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        for (const char* ext : {".shp", ".shx", ".dbf", ".pipe"}) {
            QFile::remove(base + ext);
            QDir().rmdir(base + ext);
            if (QString(ext) != ".pipe") {
                ASSERT_TRUE(QFile::copy(File("sound") + ext, base + ext));
            }
        }
        c.Make();
        Legend.ShapeLayers.clear();
        QString message;
        try {
            AddShapeLayer(Legend, base + ".shp");
        } catch (const TAMOError& error) {
            message = error.Message();
        }
        if (c.Expected.isEmpty()) {
            EXPECT_EQ(message, "");
            EXPECT_EQ(Legend.ShapeLayers.size(), 1u);
        } else {
            EXPECT_TRUE(message.startsWith(c.Expected)) << message.toStdString();
            EXPECT_TRUE(Legend.ShapeLayers.empty());
        }
        Image.fill(Qt::white);
        EXPECT_EQ(Draw(), TOverlayResult::Completed);
    }
}

// Files that turn into named pipes after they were added are not waited for: the drawing goes on
// without them (a table that cannot be read counts as none: the object is drawn solid).
TEST_F(ShapeOverlayTest, ADrawingNeverWaitsForANamedPipe) {
    WriteShapes(File("areas.shp"), SHPT_POLYGON, {Shape({Square(10, 10, 60, 40)}, 3)});
    WriteShapes(File("lines.shp"), SHPT_ARC, {Shape({TLine{{100, 150}, {200, 150}}})});
    ASSERT_NO_THROW(AddShapeLayer(Legend, File("areas.shp")));
    ASSERT_NO_THROW(AddShapeLayer(Legend, File("lines.shp")));
    for (const char* name : {"areas.dbf", "lines.shx"}) {
        ASSERT_TRUE(QFile::remove(File(name)));
        ASSERT_EQ(::mkfifo(QFile::encodeName(File(name)).constData(), 0600), 0);
    }
    EXPECT_EQ(Draw(), TOverlayResult::Completed);
    for (int x = 11; x < 60; ++x)
        EXPECT_EQ(Image.pixel(x, 10), 0xFF000000) << x;
    EXPECT_EQ(InkedPixels(Image, QRect(90, 140, 120, 20)), 0);
}
