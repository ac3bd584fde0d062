#pragma once
// The land of the world from the country outline polygons, rasterised row by row on any grid that
// spans 180 W to 180 E and 90 N to 90 S (cell centres inside a polygon are land, non-zero winding).

#include <QString>
#include <cstdint>
#include <utility>
#include <vector>

namespace Demo {

using TSpans = std::vector<std::pair<int, int>>; // [first, last + 1) column ranges of land

class TLandMask {
public:
    // Reads every polygon ring of the shapefile; throws std::runtime_error when it cannot be read.
    void Load(const QString& shapePath);
    std::size_t EdgeCount() const { return m_edges.size(); }
    // Outline rings in degrees (longitude, latitude pairs), for drawing the preview.
    const std::vector<std::vector<std::pair<double, double>>>& Rings() const { return m_ringList; }

    // Walks the rows of a grid from north to south; cheap per row (active edge list).
    class TSweep {
    public:
        TSweep(const TLandMask& mask, int cols, int rows);
        // Land spans of the given row; rows must be asked in increasing order.
        void RowSpans(int row, TSpans& spans);

    private:
        const TLandMask& m_mask;
        int m_cols, m_rows;
        std::vector<int> m_order; // edge indexes by northernmost row coordinate
        std::size_t m_nextEdge = 0;
        std::vector<int> m_active;
        std::vector<std::pair<double, int>> m_crossings;
    };

private:
    struct TEdge {
        double Lon0, Lat0, Lon1, Lat1;
    };
    std::vector<TEdge> m_edges;
    std::vector<std::vector<std::pair<double, double>>> m_ringList;
};

} // namespace Demo
