#pragma once
// The soil mapping units of the demo world as regions over the land: seeds about 50 to 150 km
// apart, and every land cell of a coarse unit grid given to its nearest seed, with borders made
// irregular by a smooth random field.

#include "LandMask.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace Demo {

class TClimate;

struct TWorldOptions {
    int Cols = 43200; // raster grid
    int Rows = 21600;
    int UnitFactor = 4;      // unit regions are drawn on a grid this many times coarser
    int TargetUnits = 30000; // soil mapping units wanted
    std::uint64_t Seed = 20240601;
};

class TUnitRegions {
public:
    struct TSeed {
        double Lat, Lon;
        int Row, Col; // coarse cell
    };

    // Throws std::runtime_error when the raster size is not a multiple of the unit grid factor.
    TUnitRegions(const TWorldOptions& options, const TLandMask& land);

    // Marks the coarse cells that hold land.
    void BuildCoarseLand();
    // Places the seeds over the land, about TargetUnits of them outside the ice.
    void PlaceSeeds(const TClimate& climate);
    // Gives every land cell to its nearest seed; land that no seed reaches gets seeds of its own.
    // onProgress, when given, hears the share of the seeds placed (0 to 1) now and then.
    void AssignRegions(const std::function<void(double done)>& onProgress = {});

    int CoarseCols() const { return m_coarseCols; }
    int CoarseRows() const { return m_coarseRows; }
    double CoarseCellKm() const { return m_coarseCellKm; }
    const std::vector<std::uint8_t>& CoarseLand() const { return m_coarseLand; }
    const std::vector<TSeed>& Seeds() const { return m_seeds; }
    // Coarse cell -> seed, or -1 for sea.
    const std::vector<std::int32_t>& Owner() const { return m_owner; }
    // The seed of the coarse cell at the place; -1 at sea.
    std::int32_t SeedAt(double lat, double lon) const;

private:
    void Splat(int seedIndex);

    TWorldOptions m_options;
    const TLandMask& m_land;
    int m_coarseCols = 0, m_coarseRows = 0;
    double m_coarseCellKm = 0;
    double m_seedSpacingKm = 70;
    std::vector<std::uint8_t> m_coarseLand;
    std::vector<TSeed> m_seeds;
    std::vector<std::int32_t> m_owner;
    std::vector<float> m_bestDistance;         // coarse cell -> squared km to its seed
    std::vector<std::int8_t> m_warpX, m_warpY; // km, makes region borders irregular
};

} // namespace Demo
