#pragma once
// The synthetic soil world: a rough climate of the globe, soil mapping units as regions of about
// 50 to 150 km over the land, the component soils of every unit and the layers of every component.

#include "LandMask.h"
#include "SoilCatalogue.h"

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace Demo {

struct TWorldOptions {
    int Cols = 43200; // raster grid
    int Rows = 21600;
    int UnitFactor = 4;      // unit regions are drawn on a grid this many times coarser
    int TargetUnits = 30000; // soil mapping units wanted
    std::uint64_t Seed = 20240601;
};

// Climate and relief at one place, as the soil assignment sees it.
struct TSite {
    double Lat = 0, Lon = 0;
    double Temperature = 0; // mean annual, deg C
    double Moisture = 0;    // 0 (hyper-arid) .. 1 (perhumid)
    double Elevation = 0;   // m
    double Relief = 0;      // 0 plain .. 1 high mountains
    double CoastKm = 0;     // distance to the sea
};

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

struct TMapUnit {
    int Id = 0;
    TSite Site;
    int Source = 3, Region = 1, Coverage = 2, Slope = 1, Climate = 1, LandCover = 1;
    int AreaKm2 = 0;
    std::vector<TComponent> Components; // dominant first
};

class TDemoWorld {
public:
    explicit TDemoWorld(const TWorldOptions& options, const TLandMask& land);
    void Build(); // land, units, soils; prints nothing

    const TWorldOptions& Options() const { return Opt; }
    const std::vector<TMapUnit>& Units() const { return UnitList; }
    // SMU id of a raster cell that the land mask says is land.
    std::uint16_t UnitAtLand(int row, int col) const {
        const std::int64_t coarse =
            static_cast<std::int64_t>(row / Opt.UnitFactor) * CoarseCols + col / Opt.UnitFactor;
        const std::int32_t seed = Owner[coarse];
        return seed < 0 ? 0 : SeedUnit[seed];
    }
    TSite SiteAt(double lat, double lon) const;

private:
    void BuildCoarseLand();
    void BuildCoastDistance();
    void PlaceSeeds();
    void AssignRegions();
    void Splat(int seed);
    void AssignSoils();
    void MakeComponents(TMapUnit& unit, int dominantClass, class TRandom& random) const;
    void FillComponent(TComponent& component, const TSite& site, TRandom& random) const;
    double CoastKm(double lat, double lon) const;

    TWorldOptions Opt;
    const TLandMask& Land;
    int CoarseCols = 0, CoarseRows = 0;
    double CoarseCellKm = 0;
    double SeedSpacingKm = 70;
    std::vector<std::uint8_t> CoarseLand;
    int DistCols = 0, DistRows = 0, DistFactor = 1;
    std::vector<float> DistKm;
    struct TSeed {
        double Lat, Lon;
        int Row, Col; // coarse cell
    };
    std::vector<TSeed> Seeds;
    std::vector<std::int32_t> Owner;       // coarse cell -> seed (or -1 for sea)
    std::vector<float> BestDistance;       // coarse cell -> squared km to its seed
    std::vector<std::int8_t> WarpX, WarpY; // km, makes region borders irregular
    std::vector<std::uint16_t> SeedUnit;   // seed -> SMU id
    std::vector<TMapUnit> UnitList;
};

} // namespace Demo
