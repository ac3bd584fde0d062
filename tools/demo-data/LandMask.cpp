#include "LandMask.h"

#include <algorithm>
#include <cmath>
#include <shapefil.h>
#include <stdexcept>

namespace Demo {

void TLandMask::Load(const QString& shapePath) {
    SHPHandle shp = SHPOpen(shapePath.toLocal8Bit().constData(), "rb");
    if (!shp)
        throw std::runtime_error("Cannot open the country outlines " + shapePath.toStdString());
    int count = 0, type = 0;
    SHPGetInfo(shp, &count, &type, nullptr, nullptr);
    m_edges.clear();
    m_ringList.clear();
    for (int i = 0; i < count; ++i) {
        SHPObject* object = SHPReadObject(shp, i);
        if (!object)
            continue;
        for (int part = 0; part < object->nParts; ++part) {
            const int first = object->panPartStart[part];
            const int last = part + 1 < object->nParts ? object->panPartStart[part + 1] : object->nVertices;
            std::vector<std::pair<double, double>> ring;
            for (int v = first; v < last; ++v)
                ring.emplace_back(object->padfX[v], object->padfY[v]);
            for (int v = first; v + 1 < last; ++v)
                m_edges.push_back(
                    {object->padfX[v], object->padfY[v], object->padfX[v + 1], object->padfY[v + 1]});
            // Rings are closed in the file; close them here too when they are not.
            if (last - first > 2 && (object->padfX[first] != object->padfX[last - 1] ||
                                     object->padfY[first] != object->padfY[last - 1]))
                m_edges.push_back({object->padfX[last - 1], object->padfY[last - 1], object->padfX[first],
                                   object->padfY[first]});
            m_ringList.push_back(std::move(ring));
        }
        SHPDestroyObject(object);
    }
    SHPClose(shp);
    if (m_edges.empty())
        throw std::runtime_error("The country outlines " + shapePath.toStdString() + " hold no polygons");
}

TLandMask::TSweep::TSweep(const TLandMask& mask, int cols, int rows)
    : m_mask(mask), m_cols(cols), m_rows(rows) {
    m_order.resize(mask.m_edges.size());
    for (std::size_t i = 0; i < m_order.size(); ++i)
        m_order[i] = static_cast<int>(i);
    std::sort(m_order.begin(), m_order.end(), [&](int a, int b) {
        const auto& ea = mask.m_edges[a];
        const auto& eb = mask.m_edges[b];
        const double na = std::max(ea.Lat0, ea.Lat1), nb = std::max(eb.Lat0, eb.Lat1);
        return na != nb ? na > nb : a < b;
    });
}

void TLandMask::TSweep::RowSpans(int row, TSpans& spans) {
    spans.clear();
    const double lat = 90.0 - (row + 0.5) * 180.0 / m_rows;
    while (m_nextEdge < m_order.size()) {
        const auto& e = m_mask.m_edges[m_order[m_nextEdge]];
        if (std::max(e.Lat0, e.Lat1) < lat)
            break;
        m_active.push_back(m_order[m_nextEdge++]);
    }
    m_crossings.clear();
    std::size_t keep = 0;
    for (std::size_t i = 0; i < m_active.size(); ++i) {
        const auto& e = m_mask.m_edges[m_active[i]];
        if (std::min(e.Lat0, e.Lat1) > lat)
            continue; // entirely north of this and every later row
        m_active[keep++] = m_active[i];
        // Half-open in latitude so that a vertex on the row counts once.
        const bool upward = e.Lat1 > e.Lat0;
        const double lo = upward ? e.Lat0 : e.Lat1, hi = upward ? e.Lat1 : e.Lat0;
        if (lat < lo || lat >= hi)
            continue;
        const double t = (lat - e.Lat0) / (e.Lat1 - e.Lat0);
        const double lon = e.Lon0 + t * (e.Lon1 - e.Lon0);
        m_crossings.emplace_back((lon + 180.0) * m_cols / 360.0, upward ? 1 : -1);
    }
    m_active.resize(keep);
    std::sort(m_crossings.begin(), m_crossings.end());
    int winding = 0;
    double start = 0;
    for (const auto& [x, direction] : m_crossings) {
        const int before = winding;
        winding += direction;
        if (before == 0 && winding != 0) {
            start = x;
        } else if (before != 0 && winding == 0) {
            // Cells whose centre lies in [start, x).
            const int c0 = std::max(0, static_cast<int>(std::ceil(start - 0.5)));
            const int c1 = std::min(m_cols, static_cast<int>(std::ceil(x - 0.5)));
            if (c1 > c0) {
                if (!spans.empty() && spans.back().second >= c0)
                    spans.back().second = std::max(spans.back().second, c1);
                else
                    spans.emplace_back(c0, c1);
            }
        }
    }
}

} // namespace Demo
