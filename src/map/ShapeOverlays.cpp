#include "map/ShapeOverlays.h"

#include "common/TAMOError.h"
#include "raster/RasterPainter.h"
#include "themes/QEVmanager.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <QScopeGuard>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <shapefil.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kPointType = 1;
constexpr int kArcType = 3;
constexpr int kPolygonType = 5;
// Lines run this far beyond the image before they are cut, so that cut ends never show.
constexpr double kClipMargin = 16;
// Vertices projected between two looks at the stop flag, so that a stop acts within an object of
// millions of vertices too.
constexpr int kStopCheckVertices = 4096;
// The most points stroked at once; a longer line is stroked in pieces, the dashes running on.
constexpr int kStrokePoints = 8192;
// Parts with more vertices than this are thinned further: a segment between two pixels that the
// object has joined already is not drawn again (a line zig-zagging over the view would otherwise
// stroke the same pixels millions of times).
constexpr int kThinningFrom = 8192;
// Slots of the table of joined pixel pairs (8 bytes each); it remembers up to half as many.
constexpr std::size_t kJoinedSlots = std::size_t(1) << 21;

// Why the files a shapelib open asked for could not be opened: the first that is missing, the
// first refused for another reason, and shapelib's own complaint about a damaged file. Per
// thread, as drawings may run on several threads.
struct TOpenReport {
    QString Missing;
    QString Refused;
    QString Complaint;
};
thread_local TOpenReport* tOpenReport = nullptr;

// Collects what the opens of its lifetime report (nested watches see only their own opens).
class TOpenWatch {
public:
    TOpenWatch() : m_previous(tOpenReport) { tOpenReport = &Report; }
    ~TOpenWatch() { tOpenReport = m_previous; }
    TOpenWatch(const TOpenWatch&) = delete;
    TOpenWatch& operator=(const TOpenWatch&) = delete;
    TOpenReport Report;

private:
    TOpenReport* m_previous;
};

void NoteRefused(const char* name, const QString& reason) {
    if (tOpenReport && tOpenReport->Refused.isEmpty())
        tOpenReport->Refused = QString("\"%1\" %2").arg(QFile::decodeName(name), reason);
}

// Opens only regular files, for reading: a named pipe would block the drawing for ever in the
// open or the first read, and a device or folder holds no shapefile. The type is checked on the
// descriptor itself, opened without waiting for a writer, so that nothing can be swapped in
// between the check and the reading.
SAFile OpenRegularFile(const char* name, const char* access) {
    if (std::strcmp(access, "rb") != 0 && std::strcmp(access, "r") != 0) {
        NoteRefused(name, "is opened for reading only");
        return nullptr;
    }
    const int fd = ::open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT) {
            if (tOpenReport && tOpenReport->Missing.isEmpty())
                tOpenReport->Missing = QFile::decodeName(name);
        } else {
            NoteRefused(name,
                        QString("cannot be read (%1)").arg(QString::fromLocal8Bit(std::strerror(error))));
        }
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        NoteRefused(name, "is not a regular file");
        return nullptr;
    }
    // O_NONBLOCK does not change how a regular file is read.
    FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        ::close(fd);
        NoteRefused(name, "cannot be read");
        return nullptr;
    }
    return reinterpret_cast<SAFile>(file);
}

// shapelib reports damaged files on standard error; a damaged file is simply drawn as far as it
// is sound, so its complaints are only kept for a message where one is shown.
void NoteShapelibError(const char* message) {
    if (tOpenReport && tOpenReport->Complaint.isEmpty())
        tOpenReport->Complaint = QString::fromLocal8Bit(message).trimmed();
}

SAHooks SafeHooks() {
    SAHooks hooks;
    SASetupDefaultHooks(&hooks);
    hooks.FOpen = OpenRegularFile;
    hooks.Error = NoteShapelibError;
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
    SAHooks hooks = SafeHooks();
    return TShapeFile(SHPOpenLL(QFile::encodeName(path).constData(), "rb", &hooks));
}

TAttributeFile OpenAttributeFile(const QString& shapePath) {
    SAHooks hooks = SafeHooks();
    return TAttributeFile(DBFOpenLL(QFile::encodeName(shapePath).constData(), "rb", &hooks));
}

// Whether the main file begins with the file code of a shapefile (shapelib does not check it).
bool HasShapefileCode(SHPInfo& file) {
    unsigned char code[4] = {};
    if (file.sHooks.FSeek(file.fpSHP, 0, SEEK_SET) != 0 || file.sHooks.FRead(code, 4, 1, file.fpSHP) != 1)
        return false;
    return code[0] == 0 && code[1] == 0 && code[2] == 0x27 && code[3] == 0x0A; // 9994, big-endian
}

// The third attribute of each object, or 0 where the table has no such record or field.
class TStatusColumn {
public:
    explicit TStatusColumn(const QString& shapePath) : m_table(OpenAttributeFile(shapePath)) {
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

// The vertices of an object read whole by shapelib.
class TObjectVertices {
public:
    explicit TObjectVertices(const SHPObject& object) : m_object(object) {}
    // False when vertex i cannot be read (never for an object in memory).
    bool Read(int i, double& x, double& y) {
        x = m_object.padfX[i];
        y = m_object.padfY[i];
        return true;
    }

private:
    const SHPObject& m_object;
};

// The vertices of one huge record, read from the file in steps as they are drawn, so that no
// object costs more memory than a step however many vertices it has. Reading goes forward; a
// vertex before the current step makes the step be read again.
class TStreamedVertices {
public:
    TStreamedVertices(SHPInfo& file, long long firstVertexOffset, int count)
        : m_file(file), m_offset(firstVertexOffset), m_count(count) {}
    bool Read(int i, double& x, double& y) {
        if (i < 0 || i >= m_count)
            return false;
        if (i < m_first || i >= m_first + m_loaded) {
            m_first = i;
            m_loaded = 0;
            const int wanted = std::min(kStep, m_count - i);
            m_buffer.resize(static_cast<std::size_t>(2 * wanted));
            const long long at = m_offset + 16LL * i;
            if (m_file.sHooks.FSeek(m_file.fpSHP, static_cast<SAOffset>(at), SEEK_SET) != 0)
                return false;
            m_loaded = static_cast<int>(
                m_file.sHooks.FRead(m_buffer.data(), 16, static_cast<SAOffset>(wanted), m_file.fpSHP));
            if (m_loaded <= 0)
                return false;
        }
        const double* pair = m_buffer.data() + 2 * (i - m_first);
        x = qFromLittleEndian(pair[0]);
        y = qFromLittleEndian(pair[1]);
        return true;
    }

private:
    static constexpr int kStep = 65536; // vertices, 1 MiB
    SHPInfo& m_file;
    long long m_offset;
    int m_count;
    int m_first = 0;
    int m_loaded = 0;
    std::vector<double> m_buffer;
};

bool IsFinite(double x, double y) {
    return std::isfinite(x) && std::isfinite(y);
}

// The pixel pairs an object has joined so far, for thinning long parts: an open-addressing table
// of 64-bit hashes of the pairs (a false match costs one segment of a huge shape, once in about
// 10^13 pairs). It stops remembering when half full.
class TJoinedPixels {
public:
    void Clear() {
        if (m_used > 0)
            std::fill(m_slots.begin(), m_slots.end(), 0);
        m_used = 0;
    }
    // True when the pair was joined before; otherwise remembers it.
    bool Seen(QPointF a, QPointF b) {
        if (m_slots.empty())
            m_slots.assign(kJoinedSlots, 0);
        if (b.x() < a.x() || (b.x() == a.x() && b.y() < a.y()))
            std::swap(a, b);
        const std::uint64_t key = Key(a, b);
        std::size_t slot = key & (kJoinedSlots - 1);
        while (m_slots[slot] != 0) {
            if (m_slots[slot] == key)
                return true;
            slot = (slot + 1) & (kJoinedSlots - 1);
        }
        if (m_used < kJoinedSlots / 2) {
            m_slots[slot] = key;
            ++m_used;
        }
        return false;
    }

private:
    static std::uint64_t Mix(std::uint64_t h, double value) {
        h ^= static_cast<std::uint64_t>(static_cast<std::int64_t>(std::floor(value)));
        h *= 0x9E3779B97F4A7C15ULL;
        return h ^ (h >> 29);
    }
    static std::uint64_t Key(QPointF a, QPointF b) {
        const std::uint64_t h = Mix(Mix(Mix(Mix(0x243F6A8885A308D3ULL, a.x()), a.y()), b.x()), b.y());
        return h == 0 ? 1 : h; // 0 marks an empty slot
    }
    std::vector<std::uint64_t> m_slots;
    std::size_t m_used = 0;
};

// Projects the vertices of an object's lines and strokes them as it goes, with the painter's pen.
// Neighbouring vertices on one pixel are merged, and segments are cut to the image (plus a margin)
// before stroking, so that deep zooms never hand the painter coordinates far beyond the image. No
// line is held whole: a huge object costs no more memory than a small one.
class TLineBuilder {
public:
    TLineBuilder(const TViewGeometry& view, int width, int height, TPaintMonitor* monitor)
        : m_view(view), m_monitor(monitor),
          m_clip(-kClipMargin, -kClipMargin, width + 2 * kClipMargin, height + 2 * kClipMargin) {}

    // Before the first line of each object.
    void BeginObject() {
        m_joined.Clear();
        m_sinceStopCheck = 0;
    }
    // Draws vertices [first, last) as one line; `closed` adds the way back to the first vertex. A
    // vertex that is not a finite number ends the line, and the next one starts a new line. False
    // when a stop was asked for (looked at every few thousand vertices).
    template <class TVertices>
    bool DrawLine(QPainter& painter, TVertices& vertices, int first, int last, bool closed) {
        m_painter = &painter;
        m_thinning = last - first > kThinningFrom;
        double firstX = 0, firstY = 0;
        for (int i = first; i < last; ++i) {
            if (++m_sinceStopCheck >= kStopCheckVertices) {
                m_sinceStopCheck = 0;
                if (m_monitor && m_monitor->StopRequested()) {
                    m_count = 0;
                    m_current.clear();
                    return false;
                }
            }
            double x = 0, y = 0;
            if (!vertices.Read(i, x, y))
                break; // a file cut short: drawn as far as it goes
            if (i == first) {
                firstX = x;
                firstY = y;
            }
            if (IsFinite(x, y))
                Push(Project(x, y));
            else
                EndLine();
        }
        if (closed && m_count > 0 && IsFinite(firstX, firstY))
            Push(Project(firstX, firstY));
        EndLine();
        return true;
    }

private:
    // LonLatToPixel of the view, step for step, without its per-call rounding-mode check: the
    // drawing makes sure that rounding is to the nearest even neighbour while it runs. Integer
    // pixel vertices stand for pixel centres, so that level lines cover one pixel row.
    QPointF Project(double lon, double lat) const {
        const double col = (lon + 180.0) * m_view.RasterCols() / 360.0;
        const double row = (90.0 - lat) * m_view.RasterRows() / 180.0;
        const double x = TruncToInt(std::nearbyint((col + 0.5 - m_view.Col0()) * m_view.Scale()));
        const double y = TruncToInt(std::nearbyint((row + 0.5 - m_view.Row0()) * m_view.Scale()));
        return {x + m_view.OriginX() + 0.5, y + m_view.OriginY() + 0.5};
    }
    void Push(QPointF point) {
        // Neighbouring vertices often fall on one pixel at small scales; one is enough.
        if (m_count > 0 && point == m_last)
            return;
        if (m_count++ == 0)
            m_first = point;
        else
            Segment(m_last, point);
        m_last = point;
    }
    void EndLine() {
        // A line that stays on one pixel shows that pixel.
        if (m_count == 1)
            Segment(m_first, m_first);
        Flush();
        m_count = 0;
    }
    void Segment(QPointF a, QPointF b) {
        if (m_thinning && m_joined.Seen(a, b)) {
            Flush();
            return;
        }
        if (!ClipSegment(a, b)) {
            Flush();
            return;
        }
        if (m_current.isEmpty() || m_current.last() != a) {
            Flush();
            m_current << a;
        }
        m_current << b;
        if (m_current.size() >= kStrokePoints) {
            Stroke();
            m_strokedLength += Length(m_current);
            m_current = QPolygonF{b};
        }
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
    void Stroke() {
        if (m_current.size() < 2)
            return;
        // A line stroked in pieces keeps its dashes running on.
        if (QPen pen = m_painter->pen(); pen.dashOffset() != m_strokedLength) {
            pen.setDashOffset(m_strokedLength);
            m_painter->setPen(pen);
        }
        m_painter->drawPolyline(m_current);
    }
    void Flush() {
        Stroke();
        m_current.clear();
        m_strokedLength = 0;
    }
    static double Length(const QPolygonF& line) {
        double length = 0;
        for (qsizetype i = 1; i < line.size(); ++i)
            length += std::hypot(line[i].x() - line[i - 1].x(), line[i].y() - line[i - 1].y());
        return length;
    }

    const TViewGeometry& m_view;
    TPaintMonitor* m_monitor;
    QRectF m_clip;
    QPainter* m_painter = nullptr;
    bool m_thinning = false;
    int m_sinceStopCheck = 0;
    TJoinedPixels m_joined;
    // The line being drawn: its projected vertices so far (neighbours on one pixel merged), its
    // first and last, and the visible piece not stroked yet with the length stroked before it.
    int m_count = 0;
    QPointF m_first, m_last;
    QPolygonF m_current;
    double m_strokedLength = 0;
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

// What one object of an overlay is drawn with.
struct TObjectStyle {
    int FileType = 0;  // the shape type of the file
    int Attribute = 0; // its third attribute
    QRgb Color = 0;    // the overlay colour
};

// Draws one object that lies in the visible box. False when a stop was asked for within it.
template <class TVertices>
bool DrawObject(TOverlayPainter& painter, TLineBuilder& builder, const TViewGeometry& view,
                const SHPObject& shape, TVertices& vertices, const TObjectStyle& style) {
    builder.BeginObject();
    if ((style.Attribute == 3 || style.Attribute == 4) && shape.nParts == 1 && style.FileType != kPointType) {
        painter.SetDashed();
        return builder.DrawLine(painter.Painter(), vertices, 0, shape.nVertices, false);
    }
    if (style.FileType == kPointType) {
        const int last = shape.nParts == 0 ? 0 : shape.nVertices - 1;
        double x = 0, y = 0;
        // A point without a place is not drawn.
        if (!vertices.Read(last, x, y) || !IsFinite(x, y))
            return true;
        const TPixel pixel = view.LonLatToPixel(x, y);
        const QColor color(qRed(style.Color), qGreen(style.Color), qBlue(style.Color));
        painter.Painter().fillRect(QRect(pixel.X - 2, pixel.Y - 2, 4, 4), color);
        return true;
    }
    const std::vector<int> starts = shape.nParts == 0 ? std::vector<int>{0} : LineStarts(shape);
    const int vertexCount = shape.nParts == 0 ? 1 : shape.nVertices;
    painter.SetSolid(style.Color);
    for (size_t k = 0; k < starts.size(); ++k) {
        const int end = k + 1 < starts.size() ? starts[k + 1] : vertexCount;
        if (!builder.DrawLine(painter.Painter(), vertices, starts[k], end, style.FileType == kPolygonType))
            return false;
    }
    return true;
}

// An object of a line or polygon file whose record is larger than this is read in steps as it is
// drawn rather than whole (shapelib would hold it twice: 32 bytes a vertex, and more).
constexpr unsigned kStreamedRecordBytes = 16u << 20;

// The head of a huge line or polygon record: its box, parts and vertex count, checked against the
// record's size; the vertices stay in the file. Empty for a record that is not sound or not of
// such a type (a null object).
struct TStreamedRecord {
    SHPObject Head{};
    std::vector<int> PartStarts;
    long long FirstVertexOffset = 0;
};

std::optional<TStreamedRecord> ReadRecordHead(SHPInfo& file, int i) {
    const long long offset = file.panRecOffset[i];
    const long long size = file.panRecSize[i];
    constexpr long long kHeadBytes = 44;
    if (size < kHeadBytes || offset + 8 + size > static_cast<long long>(file.nFileSize))
        return std::nullopt;
    unsigned char head[kHeadBytes];
    if (file.sHooks.FSeek(file.fpSHP, static_cast<SAOffset>(offset + 8), SEEK_SET) != 0 ||
        file.sHooks.FRead(head, kHeadBytes, 1, file.fpSHP) != 1)
        return std::nullopt;
    const qint32 type = qFromLittleEndian<qint32>(head);
    if (type != kArcType && type != kPolygonType)
        return std::nullopt;
    TStreamedRecord record;
    SHPObject& shape = record.Head;
    shape.nSHPType = type;
    shape.nShapeId = i;
    shape.dfXMin = qFromLittleEndian<double>(head + 4);
    shape.dfYMin = qFromLittleEndian<double>(head + 12);
    shape.dfXMax = qFromLittleEndian<double>(head + 20);
    shape.dfYMax = qFromLittleEndian<double>(head + 28);
    const qint32 parts = qFromLittleEndian<qint32>(head + 36);
    const qint32 points = qFromLittleEndian<qint32>(head + 40);
    if (parts < 0 || points < 0 || kHeadBytes + 4LL * parts + 16LL * points > size)
        return std::nullopt;
    record.PartStarts.resize(static_cast<std::size_t>(parts));
    if (parts > 0 && file.sHooks.FRead(record.PartStarts.data(), 4, static_cast<SAOffset>(parts),
                                       file.fpSHP) != static_cast<SAOffset>(parts))
        return std::nullopt;
    for (int& start : record.PartStarts)
        start = qFromLittleEndian(start);
    shape.nParts = parts;
    shape.panPartStart = record.PartStarts.data();
    shape.nVertices = points;
    record.FirstVertexOffset = offset + 8 + kHeadBytes + 4LL * parts;
    return record;
}

} // namespace

void AddShapeLayer(TQEVmanager& legend, const QString& path) {
    const auto refuse = [&](const QString& why) {
        throw TAMOError(
            QString("The shapefile \"%1\" cannot be added: %2.").arg(QDir::toNativeSeparators(path), why));
    };
    int count = 0, type = 0;
    {
        TOpenWatch watch;
        const TShapeFile file = OpenShapeFile(path);
        if (!file) {
            const TOpenReport& report = watch.Report;
            if (!report.Refused.isEmpty())
                refuse(report.Refused);
            if (!report.Missing.isEmpty())
                refuse(QString("\"%1\" does not exist").arg(report.Missing));
            refuse(report.Complaint.isEmpty() ? QString("it is no shapefile or it is damaged")
                                              : QString("it is damaged (%1)").arg(report.Complaint));
        }
        if (!HasShapefileCode(*file))
            refuse("it is no shapefile");
        SHPGetInfo(file.get(), &count, &type, nullptr, nullptr);
    }
    {
        // The attribute table may be missing (its objects then draw normally), but one that is
        // there must be a file that can be read.
        TOpenWatch watch;
        const TAttributeFile table = OpenAttributeFile(path);
        if (!table && !watch.Report.Refused.isEmpty())
            refuse(watch.Report.Refused);
    }
    const QRgb color = type == kArcType ? qRgb(0, 0, 255) & 0x00FFFFFF : 0;
    TESRIShapeFile layer(path, type, color);
    layer.Visible = true;
    legend.ShapeLayers.push_back(layer);
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
    TLineBuilder builder(view, target.width(), target.height(), monitor);
    int objectsDone = 0;
    for (const TESRIShapeFile& layer : layers) {
        if (!layer.Visible)
            continue;
        // A file that cannot be opened (or is no regular file) is not drawn.
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
            const TObjectStyle style{type, status.Value(i), layer.Color};
            if (drawable && type != kPointType && file->panRecSize[i] > kStreamedRecordBytes) {
                std::optional<TStreamedRecord> record = ReadRecordHead(*file, i);
                if (record && record->Head.nVertices > 0 && !box.Misses(record->Head)) {
                    TStreamedVertices vertices(*file, record->FirstVertexOffset, record->Head.nVertices);
                    if (!DrawObject(painter, builder, view, record->Head, vertices, style))
                        return TOverlayResult::Stopped;
                }
            } else if (const TShapeObject object(SHPReadObject(file.get(), i));
                       drawable && object && object->nVertices > 0 && object->padfX && object->padfY &&
                       !box.Misses(*object)) {
                TObjectVertices vertices(*object);
                if (!DrawObject(painter, builder, view, *object, vertices, style))
                    return TOverlayResult::Stopped;
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
