#pragma once
// The soils of the demo world: the dominant soil class of every unit region from its climate,
// relief and the hand-drawn geography, the unit ids, and the component soils of every unit.

#include "Climate.h"
#include "LayerProperties.h"
#include "UnitRegions.h"

#include <cstdint>
#include <vector>

namespace Demo {

struct TMapUnit {
    int Id = 0;
    TSite Site;
    int Source = 3, Region = 1, Coverage = 2, Slope = 1, Climate = 1, LandCover = 1;
    int AreaKm2 = 0;
    std::vector<TComponent> Components; // dominant first
};

struct TSoilAssignment {
    std::vector<std::uint16_t> SeedUnit; // seed -> SMU id
    std::vector<TMapUnit> Units;         // by id, from 1
};

// All glaciers form one unit, and so do all large lakes; every other seed is a unit of its own.
// Ids run from north to south in one-degree bands, west to east within a band.
TSoilAssignment AssignSoils(const TUnitRegions& regions, const TClimate& climate, std::uint64_t seed);

} // namespace Demo
