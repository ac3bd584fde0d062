#include "UnitRegions.h"

#include "Climate.h"
#include "DemoMath.h"
#include "DemoRandom.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace Demo {

TUnitRegions::TUnitRegions(const TWorldOptions& options, const TLandMask& land)
    : m_options(options), m_land(land) {
    if (m_options.Cols <= 0 || m_options.Rows <= 0 || m_options.UnitFactor <= 0 ||
        m_options.Cols % m_options.UnitFactor || m_options.Rows % m_options.UnitFactor)
        throw std::runtime_error("The raster size must be a multiple of the unit grid factor");
    m_coarseCols = m_options.Cols / m_options.UnitFactor;
    m_coarseRows = m_options.Rows / m_options.UnitFactor;
    m_coarseCellKm = 180.0 / m_coarseRows * kKmPerDegree;
}

std::int32_t TUnitRegions::SeedAt(double lat, double lon) const {
    const int r = std::clamp(static_cast<int>((90.0 - lat) / 180.0 * m_coarseRows), 0, m_coarseRows - 1);
    const int c = std::clamp(static_cast<int>((lon + 180.0) / 360.0 * m_coarseCols), 0, m_coarseCols - 1);
    return m_owner[static_cast<std::size_t>(r) * m_coarseCols + c];
}

void TUnitRegions::BuildCoarseLand() {
    m_coarseLand.assign(static_cast<std::size_t>(m_coarseCols) * m_coarseRows, 0);
    TLandMask::TSweep sweep(m_land, m_options.Cols, m_options.Rows);
    TSpans spans;
    for (int row = 0; row < m_options.Rows; ++row) {
        sweep.RowSpans(row, spans);
        std::uint8_t* line =
            m_coarseLand.data() + static_cast<std::size_t>(row / m_options.UnitFactor) * m_coarseCols;
        for (const auto& [c0, c1] : spans)
            std::fill(line + c0 / m_options.UnitFactor, line + (c1 - 1) / m_options.UnitFactor + 1, 1);
    }
}

void TUnitRegions::PlaceSeeds(const TClimate& climate) {
    // Land area that is not ice, from the coarse grid.
    double landKm2 = 0;
    for (int r = 0; r < m_coarseRows; ++r) {
        const double lat = 90.0 - (r + 0.5) * 180.0 / m_coarseRows;
        const double cellKm2 = m_coarseCellKm * m_coarseCellKm * std::cos(lat * kDegToRad);
        const std::uint8_t* line = m_coarseLand.data() + static_cast<std::size_t>(r) * m_coarseCols;
        landKm2 += cellKm2 * std::count(line, line + m_coarseCols, 1);
    }
    auto iceLikely = [&](double lat, double lon) {
        if (lat < -62)
            return true;
        return lat > 60 && lon > -73 && lon < -12 && lat < 83.5 && climate.CoastKm(lat, lon) > 60;
    };
    double spacing = std::sqrt(landKm2 * 0.88 / m_options.TargetUnits);
    for (int attempt = 0; attempt < 4; ++attempt) {
        m_seeds.clear();
        int counted = 0;
        const double fine = spacing * 0.7;
        const double rowDeg = fine / kKmPerDegree;
        const int bands = static_cast<int>(180.0 / rowDeg);
        for (int band = 0; band < bands; ++band) {
            const double latCentre = 90.0 - (band + 0.5) * 180.0 / bands;
            const double circumference = 360.0 * kKmPerDegree * std::cos(latCentre * kDegToRad);
            const int count = std::max(1, static_cast<int>(circumference / fine));
            for (int i = 0; i < count; ++i) {
                TRandom random(static_cast<std::uint64_t>(band) * 1000003 + i + m_options.Seed * 7919);
                const double lat = 90.0 - (band + random.Range(0.05, 0.95)) * 180.0 / bands;
                const double lon = -180.0 + (i + random.Range(0.05, 0.95)) * 360.0 / count;
                const int row =
                    std::clamp(static_cast<int>((90.0 - lat) / 180.0 * m_coarseRows), 0, m_coarseRows - 1);
                const int col =
                    std::clamp(static_cast<int>((lon + 180.0) / 360.0 * m_coarseCols), 0, m_coarseCols - 1);
                if (!m_coarseLand[static_cast<std::size_t>(row) * m_coarseCols + col])
                    continue;
                // Units are larger in some regions than in others, as in any compiled map.
                const double local =
                    spacing * std::exp(0.45 * SphereNoise(lat, lon, 900, 2, m_options.Seed + 3));
                double keep = (fine / local) * (fine / local);
                const bool ice = iceLikely(lat, lon);
                if (ice)
                    keep *= 0.35;
                if (random.Uniform() >= keep)
                    continue;
                m_seeds.push_back({lat, lon, row, col});
                if (!ice)
                    ++counted;
            }
        }
        const double ratio = static_cast<double>(counted) / m_options.TargetUnits;
        if (std::fabs(ratio - 1.0) < 0.01)
            break;
        spacing *= std::sqrt(ratio);
    }
    m_seedSpacingKm = spacing;
}

void TUnitRegions::AssignRegions(const std::function<void(double done)>& onProgress) {
    const std::size_t cells = static_cast<std::size_t>(m_coarseCols) * m_coarseRows;
    m_owner.assign(cells, -1);
    m_bestDistance.assign(cells, 1e30f);
    m_warpX.assign(cells, 0);
    m_warpY.assign(cells, 0);

    // Irregular borders: every cell is judged from a position moved by a smooth random field.
    const int step = std::max(1, m_coarseCols / 2700);
    const int nodeCols = m_coarseCols / step + 2, nodeRows = m_coarseRows / step + 2;
    std::vector<float> nodeX(static_cast<std::size_t>(nodeCols) * nodeRows),
        nodeY(static_cast<std::size_t>(nodeCols) * nodeRows);
    const double amplitude = 28.0;
    for (int r = 0; r < nodeRows; ++r)
        for (int c = 0; c < nodeCols; ++c) {
            const double lat = std::clamp(90.0 - (r * step) * 180.0 / m_coarseRows, -90.0, 90.0);
            const double lon = -180.0 + (c * step) * 360.0 / m_coarseCols;
            nodeX[static_cast<std::size_t>(r) * nodeCols + c] =
                static_cast<float>(amplitude * SphereNoise(lat, lon, 120, 3, m_options.Seed + 21));
            nodeY[static_cast<std::size_t>(r) * nodeCols + c] =
                static_cast<float>(amplitude * SphereNoise(lat, lon, 120, 3, m_options.Seed + 22));
        }
    for (int r = 0; r < m_coarseRows; ++r) {
        const int nr = r / step;
        const double fr = static_cast<double>(r % step) / step;
        for (int c = 0; c < m_coarseCols; ++c) {
            const std::size_t index = static_cast<std::size_t>(r) * m_coarseCols + c;
            if (!m_coarseLand[index])
                continue;
            const int nc = c / step;
            const double fc = static_cast<double>(c % step) / step;
            auto bilinear = [&](const std::vector<float>& f) {
                const std::size_t i00 = static_cast<std::size_t>(nr) * nodeCols + nc;
                const double top = f[i00] + (f[i00 + 1] - f[i00]) * fc;
                const double bottom = f[i00 + nodeCols] + (f[i00 + nodeCols + 1] - f[i00 + nodeCols]) * fc;
                return top + (bottom - top) * fr;
            };
            m_warpX[index] =
                static_cast<std::int8_t>(std::lround(std::clamp(bilinear(nodeX), -120.0, 120.0)));
            m_warpY[index] =
                static_cast<std::int8_t>(std::lround(std::clamp(bilinear(nodeY), -120.0, 120.0)));
        }
    }

    const int seeds = static_cast<int>(m_seeds.size());
    for (int seed = 0; seed < seeds; ++seed) {
        Splat(seed);
        if (onProgress && seed % 256 == 0)
            onProgress(static_cast<double>(seed) / seeds);
    }
    // Land that no seed reached (a remote island) gets seeds of its own.
    for (int r = 0; r < m_coarseRows; ++r)
        for (int c = 0; c < m_coarseCols; ++c) {
            const std::size_t index = static_cast<std::size_t>(r) * m_coarseCols + c;
            if (m_coarseLand[index] && m_owner[index] < 0) {
                const double lat = 90.0 - (r + 0.5) * 180.0 / m_coarseRows;
                const double lon = -180.0 + (c + 0.5) * 360.0 / m_coarseCols;
                m_seeds.push_back({lat, lon, r, c});
                Splat(static_cast<int>(m_seeds.size()) - 1);
            }
        }
}

void TUnitRegions::Splat(int seedIndex) {
    const TSeed& seed = m_seeds[seedIndex];
    // Far enough to reach past the neighbours of the seed, whatever the local density.
    const double radiusKm = 2.8 * m_seedSpacingKm + 60.0;
    const int rowReach = static_cast<int>(radiusKm / m_coarseCellKm) + 1;
    const int r0 = std::max(0, seed.Row - rowReach), r1 = std::min(m_coarseRows - 1, seed.Row + rowReach);
    for (int r = r0; r <= r1; ++r) {
        const double lat = 90.0 - (r + 0.5) * 180.0 / m_coarseRows;
        const double cosLat = std::max(0.01, std::cos(lat * kDegToRad));
        const double colKm = m_coarseCellKm * cosLat;
        const int colReach = std::min(m_coarseCols / 2, static_cast<int>(radiusKm / colKm) + 1);
        const double dyBase = (r - seed.Row) * m_coarseCellKm;
        for (int dc = -colReach; dc <= colReach; ++dc) {
            const int c = ((seed.Col + dc) % m_coarseCols + m_coarseCols) % m_coarseCols;
            const std::size_t index = static_cast<std::size_t>(r) * m_coarseCols + c;
            if (!m_coarseLand[index])
                continue;
            const double dy = dyBase + m_warpY[index];
            const double dx = dc * colKm + m_warpX[index];
            const float d2 = static_cast<float>(dx * dx + dy * dy);
            if (d2 < m_bestDistance[index]) {
                m_bestDistance[index] = d2;
                m_owner[index] = seedIndex;
            }
        }
    }
}

} // namespace Demo
