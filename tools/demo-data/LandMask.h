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
    std::size_t EdgeCount() const { return Edges.size(); }
    // Outline rings in degrees (longitude, latitude pairs), for drawing the preview.
    const std::vector<std::vector<std::pair<double, double>>>& Rings() const { return RingList; }

    // Walks the rows of a grid from north to south; cheap per row (active edge list).
    class TSweep {
    public:
        TSweep(const TLandMask& mask, int cols, int rows);
        // Land spans of the given row; rows must be asked in increasing order.
        void RowSpans(int row, TSpans& spans);

    private:
        const TLandMask& Mask;
        int Cols, Rows;
        std::vector<int> Order; // edge indexes by northernmost row coordinate
        std::size_t NextEdge = 0;
        std::vector<int> Active;
        std::vector<std::pair<double, int>> Crossings;
    };

private:
    struct TEdge {
        double Lon0, Lat0, Lon1, Lat1;
    };
    std::vector<TEdge> Edges;
    std::vector<std::vector<std::pair<double, double>>> RingList;
};

} // namespace Demo
