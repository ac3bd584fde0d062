#include "Soils.h"

#include "DemoMath.h"
#include "DemoRandom.h"
#include "Geography.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <stdexcept>

namespace Demo {

namespace {

int ContinentOf(double lat, double lon) {
    if (lat < -60)
        return 7;
    if (lon >= -92 && lon <= -30 && lat < 12.5 && !(lon < -77 && lat > 7.5))
        return 5;
    if (lon < -25)
        return (lon < -140 && lat < 30) ? 6 : 4;
    if (lon >= -25 && lon <= 60 && lat > 36 && !(lon > 26 && lat < 42.5) && !(lon > 45 && lat < 47))
        return 3;
    if (lon >= -25 && lon <= 52 && lat < 37.5 && !(lon > 34.5 && lat > 12.5) && !(lon > 43 && lat > 10.5))
        return 1;
    if ((lon > 110 && lat < -10) || (lon > 130 && lat < 0) || lon > 165)
        return 6;
    return 2;
}

using TWeights = std::array<double, kClassCount + 1>;

TWeights ClassWeights(const TSite& s, double sandy) {
    TWeights w{};
    const double T = s.Temperature, P = s.Moisture, relief = s.Relief;
    const double lowland = 1 - Ramp(relief, 0.05, 0.4);

    const double perma = Ramp(T, -2, -8);
    w[CR] += 6 * perma;
    w[LP] += 1.5 * perma * (0.3 + 2 * relief);
    w[GL] += 0.5 * perma * lowland;
    w[HS] += 0.4 * perma * lowland;

    const double boreal = Band(T, -7, -3, 3, 6) * Ramp(P, 0.3, 0.45) * (1 - perma);
    w[PZ] += 4.5 * boreal;
    w[HS] += 0.8 * boreal * lowland;
    w[GL] += 0.6 * boreal * lowland;
    w[CM] += 0.8 * boreal;
    w[LP] += boreal * (0.3 + 3 * relief);
    w[RT] += 0.8 * boreal * Ramp(T, 0, 3);

    const double cool = Band(T, 2, 5, 12, 15) * Ramp(P, 0.45, 0.58);
    w[CM] += 3.0 * cool;
    w[LV] += 2.5 * cool;
    w[ST] += 0.5 * cool * lowland;
    w[PZ] += 1.2 * cool * sandy;
    w[UM] += 0.5 * cool * Ramp(P, 0.65, 0.8);
    w[PH] += 0.6 * cool * (1 - Ramp(P, 0.55, 0.65));
    w[GL] += 0.3 * cool * lowland;
    w[LP] += cool * 3 * relief;

    const double warm = Band(T, 12, 15, 20, 23) * Ramp(P, 0.55, 0.7);
    w[AC] += 3.0 * warm;
    w[AL] += 0.8 * warm;
    w[CM] += 1.4 * warm;
    w[LV] += 0.8 * warm;
    w[LP] += warm * 2.5 * relief;

    const double steppe = Band(T, -3, 1, 11, 16) * Band(P, 0.2, 0.28, 0.44, 0.54);
    const double wetter = Ramp(P, 0.33, 0.4);
    w[CH] += 3.5 * steppe * wetter;
    w[KS] += 3.5 * steppe * (1 - wetter);
    w[PH] += 1.0 * steppe * Ramp(P, 0.42, 0.5);
    w[SN] += 0.3 * steppe;
    w[CL] += 0.6 * steppe * (1 - Ramp(P, 0.28, 0.36));
    w[LP] += steppe * 2 * relief;

    const double semi = Band(T, 11, 14, 30, 35) * Band(P, 0.2, 0.27, 0.38, 0.47);
    w[CM] += 1.4 * semi;
    w[LV] += 1.3 * semi;
    w[CL] += 1.6 * semi;
    w[LP] += semi * (0.6 + 3 * relief);
    w[RG] += 0.5 * semi;
    w[KS] += 0.8 * semi * (1 - Ramp(T, 14, 18));

    const double arid = (1 - Ramp(P, 0.14, 0.26)) * Ramp(T, -2, 4);
    const double hyper = 1 - Ramp(P, 0.04, 0.12);
    w[CL] += 2.6 * arid * (1 - hyper);
    w[GY] += 0.7 * arid * (0.3 + hyper);
    w[AR] += 3.0 * arid * sandy;
    w[RG] += 1.6 * arid;
    w[LP] += arid * (0.6 + 4 * relief);
    w[SC] += 0.15 * arid * lowland;
    w[DS] += 1.2 * hyper * sandy;
    w[RK] += 0.5 * hyper * (0.3 + relief);

    const double tropic = Ramp(T, 19, 23) * Ramp(P, 0.68, 0.84);
    w[FR] += 1.6 * tropic;
    w[AC] += 2.4 * tropic;
    w[NT] += 0.3 * tropic;
    w[GL] += 0.4 * tropic * lowland;
    w[AL] += 0.3 * tropic;
    w[CM] += 0.4 * tropic * relief;
    w[LP] += tropic * 2 * relief;

    const double savanna = Ramp(T, 18, 22) * Band(P, 0.28, 0.4, 0.66, 0.8);
    w[LX] += 2.6 * savanna;
    w[LV] += 0.8 * savanna;
    w[FR] += 1.4 * savanna * Ramp(P, 0.5, 0.62);
    w[AC] += 0.7 * savanna * Ramp(P, 0.55, 0.7);
    w[VR] += 0.4 * savanna;
    w[PT] += 0.4 * savanna;
    w[AR] += 2.0 * savanna * sandy;
    w[CM] += 0.8 * savanna;
    w[LP] += savanna * (0.3 + 3 * relief);
    w[RG] += 0.2 * savanna;

    // Mountains everywhere: thin and stony soils.
    w[LP] += 2.5 * Ramp(relief, 0.3, 0.8);
    w[RG] += 0.6 * relief;
    w[UM] += 1.2 * relief * Ramp(P, 0.55, 0.75) * Band(T, -4, 0, 12, 18);
    w[RK] += 0.5 * Ramp(s.Elevation, 4500, 6000);

    for (const TClassRegion& region : ClassRegions())
        w[region.SoilClass] += BlobField({region.Blob}, s.Lat, s.Lon);
    w[0] = 0;
    w[GG] = w[WR] = w[SF] = 0;
    w[TC] = 0;
    double total = std::accumulate(w.begin(), w.end(), 0.0);
    if (total <= 0)
        w[CM] = 1;
    return w;
}

int PickClass(const TWeights& w, double u) {
    const double total = std::accumulate(w.begin(), w.end(), 0.0);
    double acc = 0;
    for (int c = 1; c <= kClassCount; ++c) {
        acc += w[c] / total;
        if (u < acc)
            return c;
    }
    for (int c = kClassCount; c >= 1; --c)
        if (w[c] > 0)
            return c;
    return CM;
}

double GlacierChance(const TSite& s, double coastKm, double noise) {
    if (s.Lat < -60)
        return coastKm < 20 ? 0.75 : coastKm < 120 ? 0.97 : 1.0; // ice-free rims only near the coast
    if (s.Lat > 59.5 && s.Lon > -74 && s.Lon < -11 && s.Lat < 84)
        return coastKm > 45 + 40 * noise ? 1.0 : 0.05;
    double chance = BlobField(IceFields(), s.Lat, s.Lon);
    chance += 0.35 * Ramp(s.Elevation, 5200, 6500);
    return std::clamp(chance, 0.0, 1.0);
}

int QualifierFor(int soilClass, const TSite& s, TRandom& random) {
    const auto& qualifiers = Qualifiers(soilClass);
    std::vector<double> weights;
    for (const TQualifier& q : qualifiers) {
        const QString name = q.Name;
        double w = 1.0;
        if (name == "Haplic")
            w = 1.6;
        if (name == "Calcaric" || name == "Calcic" || name == "Aridic" || name == "Yermic" ||
            name == "Gypsic" || name == "Petrocalcic" || name == "Petrogypsic")
            w *= 0.3 + 3 * (1 - Ramp(s.Moisture, 0.2, 0.45));
        if (name == "Dystric" || name == "Umbric" || name == "Xanthic" || name == "Humic" ||
            name == "Ferric" || name == "Rustic" || name == "Albic")
            w *= 0.3 + 2.5 * Ramp(s.Moisture, 0.55, 0.8);
        if (name == "Eutric" || name == "Mollic" || name == "Chernic" || name == "Vermic")
            w *= 0.4 + 2 * (1 - Ramp(s.Moisture, 0.5, 0.75));
        if (name == "Turbic" || name == "Histic" || name == "Reductaquic")
            w *= 0.2 + 3 * Ramp(s.Temperature, -2, -8);
        if (name == "Chromic" || name == "Rhodic")
            w *= 0.3 + 2 * Ramp(s.Temperature, 10, 16) * (1 - Ramp(s.Moisture, 0.5, 0.8));
        if (name == "Gleyic" || name == "Stagnic" || name == "Thionic")
            w *= 0.4 + (1 - Ramp(s.Relief, 0.05, 0.3));
        if (name == "Leptic" || name == "Skeletic" || name == "Lithic")
            w *= 0.3 + 3 * s.Relief;
        if (name == "Salic" || name == "Sodic")
            w *= 0.3 + 2 * (1 - Ramp(s.Moisture, 0.2, 0.4));
        if (name == "Ferralic")
            w *= 0.2 + 2 * Ramp(s.Temperature, 18, 23);
        weights.push_back(w);
    }
    const double total = std::accumulate(weights.begin(), weights.end(), 0.0);
    double u = random.Uniform() * total;
    for (std::size_t i = 0; i < weights.size(); ++i) {
        u -= weights[i];
        if (u < 0)
            return static_cast<int>(i) + 1;
    }
    return static_cast<int>(weights.size());
}

void MakeComponents(TMapUnit& unit, int dominantClass, TRandom& random) {
    const TSite& site = unit.Site;
    unit.Components.clear();
    TComponent dominant;
    dominant.Soil.Class = dominantClass;
    dominant.Soil.Qualifier = ClassInfo(dominantClass).IsSoil ? QualifierFor(dominantClass, site, random) : 1;
    int count = 1;
    if (dominantClass != GG && dominantClass != WR && dominantClass != SF) {
        const double u = random.Uniform();
        count = u < 0.2 ? 1 : u < 0.5 ? 2 : u < 0.78 ? 3 : u < 0.93 ? 4 : 5;
    }
    unit.Components.push_back(dominant);
    const double sandy = std::clamp(BlobField(SandyRegions(), site.Lat, site.Lon), 0.0, 1.0);
    TWeights weights = ClassWeights(site, sandy);
    weights[DS] *= 0.3;
    weights[RK] += 0.15 * site.Relief;
    int guard = 0;
    while (static_cast<int>(unit.Components.size()) < count && guard++ < 50) {
        TComponent comp;
        comp.Soil.Class = random.Chance(0.25) && ClassInfo(dominantClass).IsSoil
                              ? dominantClass
                              : PickClass(weights, random.Uniform());
        comp.Soil.Qualifier =
            ClassInfo(comp.Soil.Class).IsSoil ? QualifierFor(comp.Soil.Class, site, random) : 1;
        const bool duplicate =
            std::any_of(unit.Components.begin(), unit.Components.end(), [&](const TComponent& c) {
                return c.Soil.Class == comp.Soil.Class && c.Soil.Qualifier == comp.Soil.Qualifier;
            });
        if (!duplicate)
            unit.Components.push_back(comp);
    }
    count = static_cast<int>(unit.Components.size());

    // Shares in steps of 5, the dominant soil the largest, together 100.
    std::vector<int> shares(count, 5);
    if (count == 1) {
        shares[0] = 100;
    } else {
        const int maxDominant = 100 - 5 * (count - 1);
        int dom =
            5 * static_cast<int>(random.Range(std::max(35.0, 100.0 / count) / 5, maxDominant / 5.0 + 1));
        dom = std::clamp(dom, 5 * ((100 / count + 4) / 5), maxDominant);
        shares[0] = dom;
        int rest = 100 - dom - 5 * (count - 1);
        while (rest > 0) {
            const int i = 1 + random.Int(count - 1);
            if (shares[i] + 5 <= shares[0]) {
                shares[i] += 5;
                rest -= 5;
            } else if (std::all_of(shares.begin() + 1, shares.end(),
                                   [&](int s) { return s + 5 > shares[0]; })) {
                shares[0] += rest;
                rest = 0;
            }
        }
        std::sort(shares.begin() + 1, shares.end(), std::greater<int>());
    }
    for (int i = 0; i < count; ++i) {
        unit.Components[i].Share = shares[i];
        FillComponent(unit.Components[i], site, random);
    }
}

} // namespace

TSoilAssignment AssignSoils(const TUnitRegions& regions, const TClimate& climate, std::uint64_t randomSeed) {
    TSoilAssignment result;
    const std::vector<TUnitRegions::TSeed>& seeds = regions.Seeds();
    const std::vector<std::int32_t>& owner = regions.Owner();
    const int seedCount = static_cast<int>(seeds.size());
    std::vector<int> seedClass(seedCount, CM);
    std::vector<TSite> sites(seedCount);
    for (int i = 0; i < seedCount; ++i) {
        const TUnitRegions::TSeed& seed = seeds[i];
        TRandom random(randomSeed * 31 + static_cast<std::uint64_t>(i) * 7 + 1);
        TSite site = climate.SiteAt(seed.Lat, seed.Lon);
        sites[i] = site;
        const double iceNoise = 0.5 + 0.5 * SphereNoise(seed.Lat, seed.Lon, 150, 2, randomSeed + 41);
        if (random.Uniform() < GlacierChance(site, site.CoastKm, iceNoise)) {
            seedClass[i] = GG;
            continue;
        }
        const double sandy = std::clamp(BlobField(SandyRegions(), seed.Lat, seed.Lon) +
                                            0.25 * SphereNoise(seed.Lat, seed.Lon, 400, 2, randomSeed + 43),
                                        0.0, 1.0);
        const TWeights weights = ClassWeights(site, sandy);
        // Neighbouring units share their soils over hundreds of kilometres: the class is picked with
        // a smooth random field, plus a little noise of each unit's own.
        const double n = SphereNoise(seed.Lat, seed.Lon, 450, 3, randomSeed + 47);
        double u = 1.0 / (1.0 + std::exp(-6.0 * n)) + random.Range(-0.08, 0.08);
        u -= std::floor(u);
        int cls = PickClass(weights, u);
        // Patches that follow water rather than climate.
        const double lowland = 1 - Ramp(site.Relief, 0.05, 0.35);
        const double riverKm = DistanceToLinesKm(Rivers(), seed.Lat, seed.Lon);
        if (riverKm < 45 && random.Chance(0.85))
            cls = site.Temperature < -6 ? GL : FL;
        else if (site.CoastKm < 25 && lowland > 0.5 && random.Chance(0.07))
            cls = site.Moisture < 0.3 ? SC : FL;
        else if (lowland > 0.5 && random.Chance(0.035 * Ramp(site.Moisture, 0.5, 0.8)))
            cls = GL;
        else if (site.Temperature > -6 && site.Temperature < 4 && lowland > 0.6 && random.Chance(0.06))
            cls = HS;
        else if (site.Moisture < 0.25 && lowland > 0.5 && random.Chance(0.02))
            cls = SC;
        seedClass[i] = cls;
    }
    for (const TPlace& place : ForcedPlaces()) {
        const int seed = regions.SeedAt(place.Lat, place.Lon);
        if (seed >= 0)
            seedClass[seed] = place.SoilClass;
    }

    // Glaciers and lakes form one unit each, wherever they lie.
    std::vector<int> seedToUnit(seedCount, -1);
    std::vector<int> unitSeed;
    int glacierUnit = -1, waterUnit = -1;
    std::vector<int> order(seedCount);
    std::iota(order.begin(), order.end(), 0);
    // Ids run from north to south in one-degree bands, west to east within a band.
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        const int ba = static_cast<int>(90.0 - seeds[a].Lat), bb = static_cast<int>(90.0 - seeds[b].Lat);
        if (ba != bb)
            return ba < bb;
        if (seeds[a].Lon != seeds[b].Lon)
            return seeds[a].Lon < seeds[b].Lon;
        return a < b;
    });
    for (int seed : order) {
        int& shared = seedClass[seed] == GG   ? glacierUnit
                      : seedClass[seed] == WR ? waterUnit
                                              : seedToUnit[seed];
        if (seedClass[seed] == GG || seedClass[seed] == WR) {
            if (shared < 0) {
                shared = static_cast<int>(unitSeed.size());
                unitSeed.push_back(seed);
            }
            seedToUnit[seed] = shared;
        } else {
            seedToUnit[seed] = static_cast<int>(unitSeed.size());
            unitSeed.push_back(seed);
        }
    }
    if (unitSeed.size() >= 65535)
        throw std::runtime_error("Too many soil mapping units for 16-bit cells");

    result.SeedUnit.assign(seedCount, 0);
    for (int seed = 0; seed < seedCount; ++seed)
        result.SeedUnit[seed] = static_cast<std::uint16_t>(seedToUnit[seed] + 1);

    result.Units.assign(unitSeed.size(), TMapUnit{});
    // Areas from the unit grid.
    std::vector<double> area(unitSeed.size(), 0.0);
    for (int r = 0; r < regions.CoarseRows(); ++r) {
        const double lat = 90.0 - (r + 0.5) * 180.0 / regions.CoarseRows();
        const double cellKm2 = regions.CoarseCellKm() * regions.CoarseCellKm() * std::cos(lat * kDegToRad);
        for (int c = 0; c < regions.CoarseCols(); ++c) {
            const std::int32_t seed = owner[static_cast<std::size_t>(r) * regions.CoarseCols() + c];
            if (seed >= 0)
                area[seedToUnit[seed]] += cellKm2;
        }
    }
    for (std::size_t u = 0; u < unitSeed.size(); ++u) {
        const int seed = unitSeed[u];
        TMapUnit& unit = result.Units[u];
        unit.Id = static_cast<int>(u) + 1;
        unit.Site = sites[seed];
        unit.AreaKm2 = static_cast<int>(std::round(area[u]));
        TRandom random(randomSeed * 131 + static_cast<std::uint64_t>(unit.Id) * 17);
        const TSite& s = unit.Site;
        unit.Region = ContinentOf(s.Lat, s.Lon);
        static const int kSourceByRegion[8] = {0, 3, 3, 1, 2, 3, 2, 5};
        unit.Source = std::clamp(kSourceByRegion[unit.Region] + (random.Chance(0.3) ? 1 : 0), 1, 5);
        unit.Coverage = std::clamp(unit.Source <= 2 ? 1 + random.Int(2) : 2 + random.Int(3), 1, 4);
        const double relief = s.Relief;
        unit.Slope = relief < 0.05   ? 1
                     : relief < 0.15 ? 2
                     : relief < 0.3  ? 3
                     : relief < 0.5  ? 4
                     : relief < 0.75 ? 5
                                     : 6;
        const double T = s.Temperature, P = s.Moisture;
        if (T < -2 || s.Elevation > 4000)
            unit.Climate = 9;
        else if (P < 0.2)
            unit.Climate = 3;
        else if (T > 20)
            unit.Climate = P > 0.7 ? 1 : P > 0.35 ? 2 : 4;
        else if (P < 0.32)
            unit.Climate = 4;
        else if (T > 12 && P < 0.5 && std::fabs(s.Lat) > 28)
            unit.Climate = 5;
        else if (T < 4)
            unit.Climate = 8;
        else
            unit.Climate = s.CoastKm < 400 && P > 0.55 ? 6 : 7;
        const int cls = seedClass[seed];
        MakeComponents(unit, cls, random);
        if (cls == GG)
            unit.LandCover = 7;
        else if (cls == WR)
            unit.LandCover = 8;
        else if (cls == TC)
            unit.LandCover = 9;
        else if (cls == RK || cls == DS || cls == SF || unit.Climate == 3)
            unit.LandCover = 6;
        else if (cls == HS || cls == GL)
            unit.LandCover = 5;
        else if (cls == CH || cls == PH || cls == AT || (cls == LV && P < 0.65))
            unit.LandCover = 1;
        else if (unit.Climate == 4 || cls == KS)
            unit.LandCover = 2;
        else if (unit.Climate == 5)
            unit.LandCover = 4;
        else
            unit.LandCover = 3;
    }
    return result;
}

} // namespace Demo
