#pragma once
// The component soils of a mapping unit and the measured properties of their seven depth layers:
// texture, carbon, pH, exchange capacity, salts and water, from the soil class and the climate.

#include "Climate.h"
#include "DemoRandom.h"
#include "SoilCatalogue.h"

#include <array>

namespace Demo {

inline constexpr int kLayerCount = 7;
inline constexpr int kLayerTop[kLayerCount] = {0, 20, 40, 60, 80, 100, 150};
inline constexpr int kLayerBottom[kLayerCount] = {20, 40, 60, 80, 100, 150, 200};
inline constexpr int kMissing = -9; // stored for a value that is not known

// Numbers of one depth layer; kMissing where unknown.
struct TLayerValues {
    double Coarse = 0, Sand = 0, Silt = 0, Clay = 0;
    int Texture = 0, TextureGroup = 0; // 0 = unknown (stored as empty text)
    double Bulk = 0, OrgCarbon = 0, Ph = 0, TotalN = 0, CnRatio = 0;
    double Cec = 0, CecClay = 0, Ecec = 0, Bases = 0, BaseSat = 0, AlSat = 0, Esp = 0;
    double Lime = 0, Gypsum = 0, Ec = 0, Awc = 0;
};

struct TComponent {
    TSoilUnit Soil;
    TSoilUnit CorrelatedSoil; // the WRB unit given for its 1990 legend unit
    int Share = 100;          // % of the mapping unit
    int Profiles = 0;         // reference profiles behind the estimate
    int Phase = 0, Drainage = 3, RootDepthClass = 5, AwcClass = 1, Impermeable = 1, WaterRegime = 1;
    int AddProp = 0; // 0 none, 1 gelic, 2 vertic, 3 stagnic, 4 petric
    int RootableDepth = 200, Awc = 0, CarbonStock = 0;
    bool NameKnown = true;
    std::array<TLayerValues, kLayerCount> Layers;
};

// Fills the properties of a component whose Soil is set: its layers, depth, water, carbon stock,
// drainage and phase.
void FillComponent(TComponent& comp, const TSite& site, TRandom& random);

} // namespace Demo
