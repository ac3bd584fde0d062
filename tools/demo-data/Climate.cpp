#include "Climate.h"

#include "DemoMath.h"
#include "DemoRandom.h"
#include "Geography.h"

#include <algorithm>
#include <cmath>

namespace Demo {

TClimate::TClimate(const std::vector<std::uint8_t>& coarseLand, int coarseCols, int coarseRows,
                   std::uint64_t seed)
    : m_seed(seed) {
    BuildCoastDistance(coarseLand, coarseCols, coarseRows);
}

void TClimate::BuildCoastDistance(const std::vector<std::uint8_t>& coarseLand, int coarseCols,
                                  int coarseRows) {
    m_distFactor = std::max(1, coarseCols / 3600);
    m_distCols = coarseCols / m_distFactor;
    m_distRows = coarseRows / m_distFactor;
    constexpr float kFar = 1e9f;
    m_distKm.assign(static_cast<std::size_t>(m_distCols) * m_distRows, 0.f);
    for (int r = 0; r < m_distRows; ++r)
        for (int c = 0; c < m_distCols; ++c) {
            int land = 0;
            for (int i = 0; i < m_distFactor; ++i)
                for (int j = 0; j < m_distFactor; ++j)
                    land += coarseLand[static_cast<std::size_t>(r * m_distFactor + i) * coarseCols +
                                       c * m_distFactor + j];
            // A block that is mostly land is inland for the distance; the coast lies in mixed blocks.
            m_distKm[static_cast<std::size_t>(r) * m_distCols + c] =
                land * 2 > m_distFactor * m_distFactor ? kFar : 0.f;
        }
    const double cellKm = 180.0 / m_distRows * kKmPerDegree;
    std::vector<double> dx(m_distRows);
    for (int r = 0; r < m_distRows; ++r)
        dx[r] = std::max(0.5, cellKm * std::cos((90.0 - (r + 0.5) * 180.0 / m_distRows) * kDegToRad));
    auto at = [&](int r, int c) -> float& {
        c = (c + m_distCols) % m_distCols; // the world wraps east to west
        return m_distKm[static_cast<std::size_t>(r) * m_distCols + c];
    };
    // Two chamfer passes, repeated once so that distances wrap across the date line.
    for (int repeat = 0; repeat < 2; ++repeat) {
        for (int r = 0; r < m_distRows; ++r)
            for (int c = 0; c < m_distCols; ++c) {
                float& d = at(r, c);
                if (d == 0.f)
                    continue;
                float best = d;
                best = std::min(best, at(r, c - 1) + static_cast<float>(dx[r]));
                if (r > 0) {
                    const double diag = std::sqrt(dx[r] * dx[r] + cellKm * cellKm);
                    best = std::min(best, at(r - 1, c) + static_cast<float>(cellKm));
                    best = std::min(best, at(r - 1, c - 1) + static_cast<float>(diag));
                    best = std::min(best, at(r - 1, c + 1) + static_cast<float>(diag));
                }
                d = best;
            }
        for (int r = m_distRows - 1; r >= 0; --r)
            for (int c = m_distCols - 1; c >= 0; --c) {
                float& d = at(r, c);
                if (d == 0.f)
                    continue;
                float best = d;
                best = std::min(best, at(r, c + 1) + static_cast<float>(dx[r]));
                if (r + 1 < m_distRows) {
                    const double diag = std::sqrt(dx[r] * dx[r] + cellKm * cellKm);
                    best = std::min(best, at(r + 1, c) + static_cast<float>(cellKm));
                    best = std::min(best, at(r + 1, c - 1) + static_cast<float>(diag));
                    best = std::min(best, at(r + 1, c + 1) + static_cast<float>(diag));
                }
                d = best;
            }
    }
    for (float& d : m_distKm)
        if (d >= kFar)
            d = 3000.f;
}

double TClimate::CoastKm(double lat, double lon) const {
    int r = static_cast<int>((90.0 - lat) / 180.0 * m_distRows);
    int c = static_cast<int>((lon + 180.0) / 360.0 * m_distCols);
    r = std::clamp(r, 0, m_distRows - 1);
    c = std::clamp(c, 0, m_distCols - 1);
    return m_distKm[static_cast<std::size_t>(r) * m_distCols + c];
}

TSite TClimate::SiteAt(double lat, double lon) const {
    TSite site;
    site.Lat = lat;
    site.Lon = lon;
    site.CoastKm = CoastKm(lat, lon);

    double rangeHeight = 0;
    DistanceToLinesKm(MountainRanges(), lat, lon, &rangeHeight);
    const double plateau = BlobField(Plateaus(), lat, lon);
    const double roughness = SphereNoise(lat, lon, 300, 3, m_seed + 11);
    site.Elevation = std::max(0.0, std::max(rangeHeight, plateau) + 250 + 180 * roughness -
                                       120 * std::exp(-site.CoastKm / 80.0));
    site.Relief = std::clamp(rangeHeight / 2600.0 + 0.15 * std::max(0.0, roughness), 0.0, 1.0);

    static const double kLat[] = {0, 10, 20, 30, 40, 50, 60, 70, 80, 90};
    static const double kTemp[] = {27, 26.5, 24.5, 19, 13, 6, -1, -9, -18, -28};
    const double absLat = std::fabs(lat);
    double t = Interpolate(kLat, kTemp, 10, absLat);
    if (lat < -30)
        t += 2.0 * Band(absLat, 30, 38, 55, 62); // oceanic south
    static const std::vector<TBlob> anomalies = {
        {62, 10, 10, 25, 6},    {50, 5, 8, 15, 3},      {65, 140, 10, 30, -5},
        {62, -100, 10, 30, -3}, {-75, 0, 15, 180, -12}, {74, -40, 10, 25, -6},
    };
    t += BlobField(anomalies, lat, lon);
    site.Temperature = t - 0.0062 * site.Elevation + 1.2 * SphereNoise(lat, lon, 800, 2, m_seed + 13);

    static const double kMoistLat[] = {0, 5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 70, 80, 90};
    static const double kMoist[] = {0.95, 0.9,  0.74, 0.55, 0.4,  0.32, 0.36, 0.45,
                                    0.52, 0.58, 0.64, 0.7,  0.74, 0.72, 0.6,  0.5};
    double p = Interpolate(kMoistLat, kMoist, 16, absLat);
    p += BlobField(WetRegions(), lat, lon) + BlobField(DryRegions(), lat, lon);
    p -= 0.22 * Ramp(site.CoastKm, 400, 1900) * Band(absLat, 25, 35, 52, 62);
    p += 0.06 * SphereNoise(lat, lon, 500, 3, m_seed + 17);
    site.Moisture = std::clamp(p, 0.0, 1.0);
    return site;
}

} // namespace Demo
