#pragma once
// The synthetic soil world: a rough climate of the globe, soil mapping units as regions of about
// 50 to 150 km over the land, the component soils of every unit and the layers of every component.

#include "Climate.h"
#include "LandMask.h"
#include "Soils.h"
#include "UnitRegions.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace Demo {

class TDemoWorld {
public:
    // Throws std::runtime_error when the raster size is not a multiple of the unit grid factor.
    TDemoWorld(const TWorldOptions& options, const TLandMask& land);
    ~TDemoWorld();
    // Land, units, soils; prints nothing. onProgress, when given, hears the share done (0 to 1)
    // after each step.
    void Build(const std::function<void(double done)>& onProgress = {});

    const TWorldOptions& Options() const { return m_options; }
    const std::vector<TMapUnit>& Units() const { return m_soils.Units; }
    // SMU id of a raster cell that the land mask says is land.
    std::uint16_t UnitAtLand(int row, int col) const {
        const std::int64_t coarse =
            static_cast<std::int64_t>(row / m_options.UnitFactor) * m_regions.CoarseCols() +
            col / m_options.UnitFactor;
        const std::int32_t seed = m_regions.Owner()[coarse];
        return seed < 0 ? 0 : m_soils.SeedUnit[seed];
    }

private:
    TWorldOptions m_options;
    TUnitRegions m_regions;
    std::unique_ptr<TClimate> m_climate; // made once the land of the unit grid is known
    TSoilAssignment m_soils;
};

} // namespace Demo
