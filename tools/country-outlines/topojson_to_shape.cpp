// Converts the "countries" object of a TopoJSON topology (quantized, delta-encoded arcs) into a
// polygon shapefile with the attributes NAME, ISO_N3 and STATUS.
//
//   tamo-topojson-to-shape countries-50m.json OUT/Country
//
// STATUS is 1 for an area with an ISO 3166 numeric code and 3 for one without (disputed or
// partly recognised areas), which the map draws dashed.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <shapefil.h>
#include <vector>

namespace {

struct TPoint {
    double X;
    double Y;
};

using TArc = std::vector<TPoint>;

std::vector<TArc> DecodeArcs(const QJsonObject& topology) {
    double scaleX = 1, scaleY = 1, translateX = 0, translateY = 0;
    const QJsonObject transform = topology.value("transform").toObject();
    const bool quantized = !transform.isEmpty();
    if (quantized) {
        const QJsonArray scale = transform.value("scale").toArray();
        const QJsonArray translate = transform.value("translate").toArray();
        scaleX = scale.at(0).toDouble();
        scaleY = scale.at(1).toDouble();
        translateX = translate.at(0).toDouble();
        translateY = translate.at(1).toDouble();
    }
    std::vector<TArc> arcs;
    for (const QJsonValue& arcValue : topology.value("arcs").toArray()) {
        TArc arc;
        double x = 0, y = 0;
        for (const QJsonValue& position : arcValue.toArray()) {
            const QJsonArray p = position.toArray();
            if (quantized) {
                // Positions after the first are deltas from the previous one.
                x += p.at(0).toDouble();
                y += p.at(1).toDouble();
                arc.push_back({x * scaleX + translateX, y * scaleY + translateY});
            } else {
                arc.push_back({p.at(0).toDouble(), p.at(1).toDouble()});
            }
        }
        arcs.push_back(std::move(arc));
    }
    return arcs;
}

// A ring is a list of arc indexes; a negative index ~i means arc i reversed. Consecutive arcs
// share their end point, which is written once.
std::vector<TPoint> BuildRing(const QJsonArray& ring, const std::vector<TArc>& arcs) {
    std::vector<TPoint> points;
    for (const QJsonValue& indexValue : ring) {
        const int index = indexValue.toInt();
        const bool reversed = index < 0;
        const TArc& arc = arcs.at(reversed ? ~index : index);
        std::vector<TPoint> part(arc);
        if (reversed)
            std::reverse(part.begin(), part.end());
        const size_t first = points.empty() ? 0 : 1;
        points.insert(points.end(), part.begin() + first, part.end());
    }
    if (!points.empty() && (points.front().X != points.back().X || points.front().Y != points.back().Y))
        points.push_back(points.front());
    return points;
}

enum class TKeepSide { East, West };

// Keeps the part of a polygon east of x = lo (lo <= x) or west of it (x <= lo), Sutherland-Hodgman.
std::vector<TPoint> ClipAt(const std::vector<TPoint>& ring, double lo, TKeepSide keep) {
    std::vector<TPoint> out;
    auto inside = [&](const TPoint& p) { return keep == TKeepSide::East ? p.X >= lo : p.X <= lo; };
    for (size_t i = 0; i < ring.size(); ++i) {
        const TPoint& a = ring[i];
        const TPoint& b = ring[(i + 1) % ring.size()];
        if (inside(a))
            out.push_back(a);
        if (inside(a) != inside(b)) {
            const double t = (lo - a.X) / (b.X - a.X);
            out.push_back({lo, a.Y + t * (b.Y - a.Y)});
        }
    }
    return out;
}

// Rings of the topology may run across the date line (a jump of more than 180 degrees between two
// vertices), and Antarctica runs once around the pole. A shapefile wants rings inside -180..180, so
// such rings are unwrapped, closed through the pole when they encircle it, and cut at the date line.
std::vector<std::vector<TPoint>> SplitAtDateLine(std::vector<TPoint> ring) {
    bool jumps = false;
    for (size_t i = 1; i < ring.size(); ++i)
        jumps = jumps || std::fabs(ring[i].X - ring[i - 1].X) > 180;
    if (!jumps)
        return {ring};
    bool degenerate = true;
    for (const TPoint& p : ring)
        degenerate = degenerate && std::fabs(p.Y) > 89.9;
    if (degenerate)
        return {}; // a ring along the pole itself encloses nothing
    if (ring.size() > 1 && ring.front().X == ring.back().X && ring.front().Y == ring.back().Y)
        ring.pop_back();
    std::vector<TPoint> unwrapped{ring.front()};
    for (size_t i = 1; i < ring.size(); ++i) {
        double x = ring[i].X;
        const double previous = unwrapped.back().X;
        while (x - previous > 180)
            x -= 360;
        while (x - previous < -180)
            x += 360;
        unwrapped.push_back({x, ring[i].Y});
    }
    // With the closing edge taken the short way, a ring that runs once around the pole ends 360
    // degrees away from where it started.
    double closingStep = ring.front().X - unwrapped.back().X;
    closingStep -= 360.0 * std::round(closingStep / 360.0);
    const double winding = unwrapped.back().X + closingStep - unwrapped.front().X;
    if (std::fabs(winding) > 180) {
        double mean = 0;
        for (const TPoint& p : ring)
            mean += p.Y;
        const double pole = mean < 0 ? -90.0 : 90.0;
        unwrapped.push_back({unwrapped.back().X, pole});
        unwrapped.push_back({unwrapped.front().X, pole});
    }
    double minX = unwrapped.front().X, maxX = minX;
    for (const TPoint& p : unwrapped) {
        minX = std::min(minX, p.X);
        maxX = std::max(maxX, p.X);
    }
    std::vector<std::vector<TPoint>> pieces;
    for (int k = static_cast<int>(std::floor((minX + 180) / 360));
         k <= static_cast<int>(std::floor((maxX + 180) / 360)); ++k) {
        const double lo = -180 + 360.0 * k, hi = lo + 360;
        std::vector<TPoint> piece = ClipAt(ClipAt(unwrapped, lo, TKeepSide::East), hi, TKeepSide::West);
        if (piece.size() < 3)
            continue;
        for (TPoint& p : piece)
            p.X = std::clamp(p.X - 360.0 * k, -180.0, 180.0);
        piece.push_back(piece.front());
        pieces.push_back(std::move(piece));
    }
    return pieces;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tamo-topojson-to-shape TOPOLOGY.json OUT_BASENAME\n");
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    const QJsonObject topology = QJsonDocument::fromJson(file.readAll()).object();
    const std::vector<TArc> arcs = DecodeArcs(topology);
    const QJsonArray geometries =
        topology.value("objects").toObject().value("countries").toObject().value("geometries").toArray();
    if (geometries.isEmpty()) {
        std::fprintf(stderr, "no countries object in %s\n", argv[1]);
        return 1;
    }

    SHPHandle shp = SHPCreate(argv[2], SHPT_POLYGON);
    DBFHandle dbf = DBFCreate(argv[2]);
    if (!shp || !dbf) {
        std::fprintf(stderr, "cannot create %s\n", argv[2]);
        return 1;
    }
    DBFAddField(dbf, "NAME", FTString, 48, 0);
    DBFAddField(dbf, "ISO_N3", FTString, 3, 0);
    DBFAddField(dbf, "STATUS", FTInteger, 2, 0);

    int written = 0;
    for (const QJsonValue& geometryValue : geometries) {
        const QJsonObject geometry = geometryValue.toObject();
        const QString type = geometry.value("type").toString();
        QJsonArray polygons;
        if (type == "Polygon")
            polygons.append(geometry.value("arcs"));
        else if (type == "MultiPolygon")
            polygons = geometry.value("arcs").toArray();
        else
            continue;
        std::vector<int> partStarts;
        std::vector<double> xs, ys;
        for (const QJsonValue& polygon : polygons) {
            for (const QJsonValue& ring : polygon.toArray()) {
                for (const std::vector<TPoint>& points : SplitAtDateLine(BuildRing(ring.toArray(), arcs))) {
                    if (points.size() < 4)
                        continue;
                    partStarts.push_back(static_cast<int>(xs.size()));
                    for (const TPoint& p : points) {
                        xs.push_back(p.X);
                        ys.push_back(p.Y);
                    }
                }
            }
        }
        if (partStarts.empty())
            continue;
        SHPObject* object =
            SHPCreateObject(SHPT_POLYGON, -1, static_cast<int>(partStarts.size()), partStarts.data(), nullptr,
                            static_cast<int>(xs.size()), xs.data(), ys.data(), nullptr, nullptr);
        // Shapefiles want outer rings clockwise and holes counter-clockwise.
        SHPRewindObject(shp, object);
        const int record = SHPWriteObject(shp, -1, object);
        SHPDestroyObject(object);
        const QString id = geometry.value("id").toString();
        const QString name = geometry.value("properties").toObject().value("name").toString();
        DBFWriteStringAttribute(dbf, record, 0, name.toLatin1().constData());
        DBFWriteStringAttribute(dbf, record, 1, id.toLatin1().constData());
        DBFWriteIntegerAttribute(dbf, record, 2, id.isEmpty() ? 3 : 1);
        ++written;
    }
    SHPClose(shp);
    DBFClose(dbf);
    std::printf("%d countries written to %s.shp\n", written, argv[2]);
    return 0;
}
