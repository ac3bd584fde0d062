#pragma once
// The rough climate and relief of the demo world: distance to the sea from the land of the unit
// grid, and at any place the temperature, moisture, elevation and relief that the soils follow.

#include <cstdint>
#include <vector>

namespace Demo {

// Climate and relief at one place, as the soil assignment sees it.
struct TSite {
    double Lat = 0, Lon = 0;
    double Temperature = 0; // mean annual, deg C
    double Moisture = 0;    // 0 (hyper-arid) .. 1 (perhumid)
    double Elevation = 0;   // m
    double Relief = 0;      // 0 plain .. 1 high mountains
    double CoastKm = 0;     // distance to the sea
};

class TClimate {
public:
    // `coarseLand` holds 1 for land, row after row of a grid `coarseCols` x `coarseRows` over the
    // world; the distance to the sea is measured on it (on a grid at most 3600 cells wide).
    TClimate(const std::vector<std::uint8_t>& coarseLand, int coarseCols, int coarseRows, std::uint64_t seed);

    // Distance to the sea in km; 3000 far inland.
    double CoastKm(double lat, double lon) const;
    TSite SiteAt(double lat, double lon) const;

private:
    void BuildCoastDistance(const std::vector<std::uint8_t>& coarseLand, int coarseCols, int coarseRows);

    std::uint64_t m_seed = 0;
    int m_distCols = 0, m_distRows = 0, m_distFactor = 1;
    std::vector<float> m_distKm;
};

} // namespace Demo
