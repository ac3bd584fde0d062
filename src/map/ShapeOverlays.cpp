#include "map/ShapeOverlays.h"

#include "raster/RasterPainter.h"
#include "themes/QEVmanager.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <QScopeGuard>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <memory>
#include <shapefil.h>
#include <vector>

namespace {

constexpr int kPointType = 1;
constexpr int kArcType = 3;
constexpr int kPolygonType = 5;
// Lines run this far beyond the image before they are cut, so that cut ends never show.
constexpr double kClipMargin = 16;

// shapelib reports damaged files on standard error; a damaged file is simply drawn as far as it
// is sound, so its complaints are dropped.
void IgnoreShapelibError(const char*) {}

SAHooks QuietHooks() {
    SAHooks hooks;
    SASetupDefaultHooks(&hooks);
    hooks.Error = IgnoreShapelibError;
    return hooks;
}

struct TShpCloser {
    void operator()(SHPInfo* handle) const { SHPClose(handle); }
};
struct TDbfCloser {
    void operator()(DBFInfo* handle) const { DBFClose(handle); }
};
struct TObjectDestroyer {
    void operator()(SHPObject* object) const { SHPDestroyObject(object); }
};
using TShapeFile = std::unique_ptr<SHPInfo, TShpCloser>;
using TAttributeFile = std::unique_ptr<DBFInfo, TDbfCloser>;
using TShapeObject = std::unique_ptr<SHPObject, TObjectDestroyer>;

TShapeFile OpenShapeFile(const QString& path) {
    SAHooks hooks = QuietHooks();
    return TShapeFile(SHPOpenLL(QFile::encodeName(path).constData(), "rb", &hooks));
}

// The third attribute of each object, or 0 where the table has no such record or field.
class TStatusColumn {
public:
    explicit TStatusColumn(const QString& shapePath) {
        SAHooks hooks = QuietHooks();
        m_table.reset(DBFOpenLL(QFile::encodeName(shapePath).constData(), "rb", &hooks));
        if (!m_table || m_table->nFields < 3 || m_table->nRecordLength <= 0)
            return;
        // The header's record count is not trusted: only records that lie wholly in the file are read.
        DBFInfo& info = *m_table;
        if (info.sHooks.FSeek(info.fp, 0, SEEK_END) != 0)
            return;
        const long long size = static_cast<long long>(info.sHooks.FTell(info.fp));
        const long long inFile = (size - info.nHeaderLength) / info.nRecordLength;
        m_records = static_cast<int>(std::max(0LL, std::min<long long>(info.nRecords, inFile)));
    }
    int Value(int record) const {
        if (record < 0 || record >= m_records)
            return 0;
        return DBFReadIntegerAttribute(m_table.get(), record, 2);
    }

private:
    TAttributeFile m_table;
    int m_records = 0;
};

// The visible box in degrees.
struct TLonLatBox {
    double West = 0, North = 0, East = 0, South = 0;
    bool Misses(const SHPObject& object) const {
        return object.dfXMin > East || object.dfXMax < West || object.dfYMax < South || object.dfYMin > North;
    }
};

// Start indexes of the lines of an object, as far as its parts are sound: each start within the
// vertices and not before the previous one. The first part always starts at vertex 0.
std::vector<int> LineStarts(const SHPObject& object) {
    std::vector<int> starts{0};
    if (object.nParts <= 1 || !object.panPartStart)
        return starts;
    int previous = 0;
    for (int part = 1; part < object.nParts; ++part) {
        const int start = object.panPartStart[part];
        if (start < previous || start >= object.nVertices)
            break;
        if (start > previous)
            starts.push_back(start);
        previous = start;
    }
    return starts;
}

// Collects projected lines and strokes them; lines are cut to the image (plus a margin) first, so
// that deep zooms never hand the painter coordinates far beyond the image.
class TLineBuilder {
public:
    TLineBuilder(const TViewGeometry& view, int width, int height)
        : m_view(view),
          m_clip(-kClipMargin, -kClipMargin, width + 2 * kClipMargin, height + 2 * kClipMargin) {}

    // Projects vertices [first, last) as one line; `closed` adds the way back to the first vertex.
    void AddLine(const SHPObject& object, int first, int last, bool closed) {
        m_points.clear();
        for (int i = first; i < last; ++i)
            Push(Project(object.padfX[i], object.padfY[i]));
        if (closed && !m_points.empty())
            Push(Project(object.padfX[first], object.padfY[first]));
        if (m_points.size() == 1)
            m_points.push_back(m_points.front());
        Cut();
    }
    void Stroke(QPainter& painter) {
        for (const QPolygonF& line : m_lines)
            painter.drawPolyline(line);
        m_lines.clear();
    }

private:
    // LonLatToPixel of the view, step for step, without its per-call rounding-mode check: the
    // drawing makes sure that rounding is to the nearest even neighbour while it runs.
    TPixel Project(double lon, double lat) const {
        const double col = (lon + 180.0) * m_view.RasterCols() / 360.0;
        const double row = (90.0 - lat) * m_view.RasterRows() / 180.0;
        return {TruncToInt(std::nearbyint((col + 0.5 - m_view.Col0()) * m_view.Scale())) + m_view.OriginX(),
                TruncToInt(std::nearbyint((row + 0.5 - m_view.Row0()) * m_view.Scale())) + m_view.OriginY()};
    }
    void Push(TPixel pixel) {
        // Integer pixel vertices stand for pixel centres, so that level lines cover one pixel row.
        const QPointF point(pixel.X + 0.5, pixel.Y + 0.5);
        // Neighbouring vertices often fall on one pixel at small scales; one is enough.
        if (m_points.empty() || m_points.back() != point)
            m_points.push_back(point);
    }
    // Liang-Barsky: the part of segment a-b inside the clip rectangle.
    bool ClipSegment(QPointF& a, QPointF& b) const {
        double t0 = 0, t1 = 1;
        const double dx = b.x() - a.x(), dy = b.y() - a.y();
        const double p[4] = {-dx, dx, -dy, dy};
        const double q[4] = {a.x() - m_clip.left(), m_clip.right() - a.x(), a.y() - m_clip.top(),
                             m_clip.bottom() - a.y()};
        for (int k = 0; k < 4; ++k) {
            if (p[k] == 0) {
                if (q[k] < 0)
                    return false;
                continue;
            }
            const double t = q[k] / p[k];
            if (p[k] < 0)
                t0 = std::max(t0, t);
            else
                t1 = std::min(t1, t);
            if (t0 > t1)
                return false;
        }
        const QPointF start = a;
        a = QPointF(start.x() + t0 * dx, start.y() + t0 * dy);
        b = QPointF(start.x() + t1 * dx, start.y() + t1 * dy);
        return true;
    }
    void Cut() {
        QPolygonF current;
        for (size_t i = 1; i < m_points.size(); ++i) {
            QPointF a = m_points[i - 1], b = m_points[i];
            if (!ClipSegment(a, b)) {
                Flush(current);
                continue;
            }
            if (current.isEmpty() || current.last() != a) {
                Flush(current);
                current << a;
            }
            current << b;
        }
        Flush(current);
    }
    void Flush(QPolygonF& line) {
        if (line.size() >= 2)
            m_lines.push_back(std::move(line));
        line = QPolygonF();
    }

    const TViewGeometry& m_view;
    QRectF m_clip;
    std::vector<QPointF> m_points;
    std::vector<QPolygonF> m_lines;
};

// The painter on the map image, ended while the window shows the partial map (the image may be
// replaced then) and begun again afterwards.
class TOverlayPainter {
public:
    explicit TOverlayPainter(QImage& target) : m_target(target) { Begin(); }
    QPainter& Painter() { return m_painter; }
    void End() { m_painter.end(); }
    void Begin() {
        m_painter.begin(&m_target);
        m_painter.setRenderHint(QPainter::Antialiasing, true);
        m_painter.setBrush(Qt::NoBrush);
    }
    void SetSolid(QRgb color) {
        QPen pen(QColor(qRed(color), qGreen(color), qBlue(color)), 1);
        pen.setCosmetic(true);
        m_painter.setPen(pen);
    }
    void SetDashed() {
        // Four pixels black, four pixels left as they are.
        QPen pen(Qt::black, 1, Qt::CustomDashLine, Qt::FlatCap);
        pen.setCosmetic(true);
        pen.setDashPattern({4, 4});
        m_painter.setPen(pen);
    }

private:
    QImage& m_target;
    QPainter m_painter;
};

} // namespace

bool AddShapeLayer(TQEVmanager& legend, const QString& path) {
    const TShapeFile file = OpenShapeFile(path);
    if (!file)
        return false;
    int count = 0, type = 0;
    SHPGetInfo(file.get(), &count, &type, nullptr, nullptr);
    const QRgb color = type == kArcType ? qRgb(0, 0, 255) & 0x00FFFFFF : 0;
    TESRIShapeFile layer(path, type, color);
    layer.Visible = true;
    legend.ShapeLayers.push_back(layer);
    return true;
}

TOverlayResult DrawShapeLayers(QImage& target, const std::vector<TESRIShapeFile>& layers,
                               const TViewGeometry& view, TPaintMonitor* monitor) {
    const auto northWest = view.PixelToLonLat(0, 0);
    const auto southEast = view.PixelToLonLat(view.TargetWidth(), view.TargetHeight());
    if (!northWest || !southEast || target.isNull() || view.Scale() <= 0)
        return TOverlayResult::Completed;
    const TLonLatBox box{northWest->Lon, northWest->Lat, southEast->Lon, southEast->Lat};

    // Vertices are rounded half to even, as the view's own conversion does.
    const int roundingMode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const auto restoreRounding = qScopeGuard([roundingMode] { std::fesetround(roundingMode); });
    TOverlayPainter painter(target);
    TLineBuilder builder(view, target.width(), target.height());
    int objectsDone = 0;
    for (const TESRIShapeFile& layer : layers) {
        if (!layer.Visible)
            continue;
        const TShapeFile file = OpenShapeFile(layer.ShapeFileName);
        if (!file)
            continue;
        const TStatusColumn status(layer.ShapeFileName);
        int count = 0, type = 0;
        SHPGetInfo(file.get(), &count, &type, nullptr, nullptr);
        const bool drawable = type == kPointType || type == kArcType || type == kPolygonType;
        for (int i = 0; i < count; ++i) {
            if (monitor && monitor->StopRequested())
                return TOverlayResult::Stopped;
            const int attribute = status.Value(i);
            const TShapeObject object(SHPReadObject(file.get(), i));
            if (drawable && object && object->nVertices > 0 && object->padfX && object->padfY &&
                !box.Misses(*object)) {
                const SHPObject& shape = *object;
                if ((attribute == 3 || attribute == 4) && shape.nParts == 1 && type != kPointType) {
                    builder.AddLine(shape, 0, shape.nVertices, false);
                    painter.SetDashed();
                    builder.Stroke(painter.Painter());
                } else if (type == kPointType) {
                    const int last = shape.nParts == 0 ? 0 : shape.nVertices - 1;
                    const TPixel pixel = view.LonLatToPixel(shape.padfX[last], shape.padfY[last]);
                    const QColor color(qRed(layer.Color), qGreen(layer.Color), qBlue(layer.Color));
                    painter.Painter().fillRect(QRect(pixel.X - 2, pixel.Y - 2, 4, 4), color);
                } else {
                    const std::vector<int> starts =
                        shape.nParts == 0 ? std::vector<int>{0} : LineStarts(shape);
                    const int vertexCount = shape.nParts == 0 ? 1 : shape.nVertices;
                    for (size_t k = 0; k < starts.size(); ++k) {
                        const int end = k + 1 < starts.size() ? starts[k + 1] : vertexCount;
                        builder.AddLine(shape, starts[k], end, type == kPolygonType);
                    }
                    painter.SetSolid(layer.Color);
                    builder.Stroke(painter.Painter());
                }
            }
            if (++objectsDone % kOverlayProgressStep == 0 && monitor) {
                painter.End();
                if (!monitor->Progress(objectsDone))
                    return TOverlayResult::Stopped;
                painter.Begin();
            }
        }
    }
    return TOverlayResult::Completed;
}
