#include "DemoWorld.h"

#include "DemoRandom.h"
#include "Geography.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <stdexcept>

namespace Demo {

namespace {

constexpr double kKmPerDegree = 111.2;
constexpr double kDegToRad = M_PI / 180.0;

double Interpolate(const double* xs, const double* ys, int n, double x) {
    if (x <= xs[0])
        return ys[0];
    for (int i = 1; i < n; ++i)
        if (x <= xs[i])
            return ys[i - 1] + (ys[i] - ys[i - 1]) * (x - xs[i - 1]) / (xs[i] - xs[i - 1]);
    return ys[n - 1];
}

// 0 below a, 1 above b (or the reverse when a > b), smooth in between.
double Ramp(double x, double a, double b) {
    double t = (x - a) / (b - a);
    t = std::clamp(t, 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// 1 between b and c, falling to 0 at a and d.
double Band(double x, double a, double b, double c, double d) {
    return Ramp(x, a, b) * (1 - Ramp(x, c, d));
}

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

} // namespace

TDemoWorld::TDemoWorld(const TWorldOptions& options, const TLandMask& land) : Opt(options), Land(land) {
    if (Opt.Cols <= 0 || Opt.Rows <= 0 || Opt.UnitFactor <= 0 || Opt.Cols % Opt.UnitFactor ||
        Opt.Rows % Opt.UnitFactor)
        throw std::runtime_error("The raster size must be a multiple of the unit grid factor");
    CoarseCols = Opt.Cols / Opt.UnitFactor;
    CoarseRows = Opt.Rows / Opt.UnitFactor;
    CoarseCellKm = 180.0 / CoarseRows * kKmPerDegree;
}

void TDemoWorld::Build() {
    BuildCoarseLand();
    BuildCoastDistance();
    PlaceSeeds();
    AssignRegions();
    AssignSoils();
}

void TDemoWorld::BuildCoarseLand() {
    CoarseLand.assign(static_cast<std::size_t>(CoarseCols) * CoarseRows, 0);
    TLandMask::TSweep sweep(Land, Opt.Cols, Opt.Rows);
    TSpans spans;
    for (int row = 0; row < Opt.Rows; ++row) {
        sweep.RowSpans(row, spans);
        std::uint8_t* line = CoarseLand.data() + static_cast<std::size_t>(row / Opt.UnitFactor) * CoarseCols;
        for (const auto& [c0, c1] : spans)
            std::fill(line + c0 / Opt.UnitFactor, line + (c1 - 1) / Opt.UnitFactor + 1, 1);
    }
}

void TDemoWorld::BuildCoastDistance() {
    DistFactor = std::max(1, CoarseCols / 3600);
    DistCols = CoarseCols / DistFactor;
    DistRows = CoarseRows / DistFactor;
    constexpr float kFar = 1e9f;
    DistKm.assign(static_cast<std::size_t>(DistCols) * DistRows, 0.f);
    for (int r = 0; r < DistRows; ++r)
        for (int c = 0; c < DistCols; ++c) {
            int land = 0;
            for (int i = 0; i < DistFactor; ++i)
                for (int j = 0; j < DistFactor; ++j)
                    land += CoarseLand[static_cast<std::size_t>(r * DistFactor + i) * CoarseCols +
                                       c * DistFactor + j];
            // A block that is mostly land is inland for the distance; the coast lies in mixed blocks.
            DistKm[static_cast<std::size_t>(r) * DistCols + c] =
                land * 2 > DistFactor * DistFactor ? kFar : 0.f;
        }
    const double cellKm = 180.0 / DistRows * kKmPerDegree;
    std::vector<double> dx(DistRows);
    for (int r = 0; r < DistRows; ++r)
        dx[r] = std::max(0.5, cellKm * std::cos((90.0 - (r + 0.5) * 180.0 / DistRows) * kDegToRad));
    auto at = [&](int r, int c) -> float& {
        c = (c + DistCols) % DistCols; // the world wraps east to west
        return DistKm[static_cast<std::size_t>(r) * DistCols + c];
    };
    // Two chamfer passes, repeated once so that distances wrap across the date line.
    for (int repeat = 0; repeat < 2; ++repeat) {
        for (int r = 0; r < DistRows; ++r)
            for (int c = 0; c < DistCols; ++c) {
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
        for (int r = DistRows - 1; r >= 0; --r)
            for (int c = DistCols - 1; c >= 0; --c) {
                float& d = at(r, c);
                if (d == 0.f)
                    continue;
                float best = d;
                best = std::min(best, at(r, c + 1) + static_cast<float>(dx[r]));
                if (r + 1 < DistRows) {
                    const double diag = std::sqrt(dx[r] * dx[r] + cellKm * cellKm);
                    best = std::min(best, at(r + 1, c) + static_cast<float>(cellKm));
                    best = std::min(best, at(r + 1, c - 1) + static_cast<float>(diag));
                    best = std::min(best, at(r + 1, c + 1) + static_cast<float>(diag));
                }
                d = best;
            }
    }
    for (float& d : DistKm)
        if (d >= kFar)
            d = 3000.f;
}

double TDemoWorld::CoastKm(double lat, double lon) const {
    int r = static_cast<int>((90.0 - lat) / 180.0 * DistRows);
    int c = static_cast<int>((lon + 180.0) / 360.0 * DistCols);
    r = std::clamp(r, 0, DistRows - 1);
    c = std::clamp(c, 0, DistCols - 1);
    return DistKm[static_cast<std::size_t>(r) * DistCols + c];
}

TSite TDemoWorld::SiteAt(double lat, double lon) const {
    TSite site;
    site.Lat = lat;
    site.Lon = lon;
    site.CoastKm = CoastKm(lat, lon);

    double rangeHeight = 0;
    DistanceToLinesKm(MountainRanges(), lat, lon, &rangeHeight);
    const double plateau = BlobField(Plateaus(), lat, lon);
    const double roughness = SphereNoise(lat, lon, 300, 3, Opt.Seed + 11);
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
    site.Temperature = t - 0.0062 * site.Elevation + 1.2 * SphereNoise(lat, lon, 800, 2, Opt.Seed + 13);

    static const double kMoistLat[] = {0, 5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 70, 80, 90};
    static const double kMoist[] = {0.95, 0.9,  0.74, 0.55, 0.4,  0.32, 0.36, 0.45,
                                    0.52, 0.58, 0.64, 0.7,  0.74, 0.72, 0.6,  0.5};
    double p = Interpolate(kMoistLat, kMoist, 16, absLat);
    p += BlobField(WetRegions(), lat, lon) + BlobField(DryRegions(), lat, lon);
    p -= 0.22 * Ramp(site.CoastKm, 400, 1900) * Band(absLat, 25, 35, 52, 62);
    p += 0.06 * SphereNoise(lat, lon, 500, 3, Opt.Seed + 17);
    site.Moisture = std::clamp(p, 0.0, 1.0);
    return site;
}

void TDemoWorld::PlaceSeeds() {
    // Land area that is not ice, from the coarse grid.
    double landKm2 = 0;
    for (int r = 0; r < CoarseRows; ++r) {
        const double lat = 90.0 - (r + 0.5) * 180.0 / CoarseRows;
        const double cellKm2 = CoarseCellKm * CoarseCellKm * std::cos(lat * kDegToRad);
        const std::uint8_t* line = CoarseLand.data() + static_cast<std::size_t>(r) * CoarseCols;
        landKm2 += cellKm2 * std::count(line, line + CoarseCols, 1);
    }
    auto iceLikely = [&](double lat, double lon) {
        if (lat < -62)
            return true;
        return lat > 60 && lon > -73 && lon < -12 && lat < 83.5 && CoastKm(lat, lon) > 60;
    };
    double spacing = std::sqrt(landKm2 * 0.88 / Opt.TargetUnits);
    for (int attempt = 0; attempt < 4; ++attempt) {
        Seeds.clear();
        int counted = 0;
        const double fine = spacing * 0.7;
        const double rowDeg = fine / kKmPerDegree;
        const int bands = static_cast<int>(180.0 / rowDeg);
        for (int band = 0; band < bands; ++band) {
            const double latCentre = 90.0 - (band + 0.5) * 180.0 / bands;
            const double circumference = 360.0 * kKmPerDegree * std::cos(latCentre * kDegToRad);
            const int count = std::max(1, static_cast<int>(circumference / fine));
            for (int i = 0; i < count; ++i) {
                TRandom random(static_cast<std::uint64_t>(band) * 1000003 + i + Opt.Seed * 7919);
                const double lat = 90.0 - (band + random.Range(0.05, 0.95)) * 180.0 / bands;
                const double lon = -180.0 + (i + random.Range(0.05, 0.95)) * 360.0 / count;
                const int row =
                    std::clamp(static_cast<int>((90.0 - lat) / 180.0 * CoarseRows), 0, CoarseRows - 1);
                const int col =
                    std::clamp(static_cast<int>((lon + 180.0) / 360.0 * CoarseCols), 0, CoarseCols - 1);
                if (!CoarseLand[static_cast<std::size_t>(row) * CoarseCols + col])
                    continue;
                // Units are larger in some regions than in others, as in any compiled map.
                const double local = spacing * std::exp(0.45 * SphereNoise(lat, lon, 900, 2, Opt.Seed + 3));
                double keep = (fine / local) * (fine / local);
                const bool ice = iceLikely(lat, lon);
                if (ice)
                    keep *= 0.35;
                if (random.Uniform() >= keep)
                    continue;
                Seeds.push_back({lat, lon, row, col});
                if (!ice)
                    ++counted;
            }
        }
        const double ratio = static_cast<double>(counted) / Opt.TargetUnits;
        if (std::fabs(ratio - 1.0) < 0.01)
            break;
        spacing *= std::sqrt(ratio);
    }
    SeedSpacingKm = spacing;
}

void TDemoWorld::AssignRegions() {
    const std::size_t cells = static_cast<std::size_t>(CoarseCols) * CoarseRows;
    Owner.assign(cells, -1);
    BestDistance.assign(cells, 1e30f);
    WarpX.assign(cells, 0);
    WarpY.assign(cells, 0);

    // Irregular borders: every cell is judged from a position moved by a smooth random field.
    const int step = std::max(1, CoarseCols / 2700);
    const int nodeCols = CoarseCols / step + 2, nodeRows = CoarseRows / step + 2;
    std::vector<float> nodeX(static_cast<std::size_t>(nodeCols) * nodeRows),
        nodeY(static_cast<std::size_t>(nodeCols) * nodeRows);
    const double amplitude = 28.0;
    for (int r = 0; r < nodeRows; ++r)
        for (int c = 0; c < nodeCols; ++c) {
            const double lat = std::clamp(90.0 - (r * step) * 180.0 / CoarseRows, -90.0, 90.0);
            const double lon = -180.0 + (c * step) * 360.0 / CoarseCols;
            nodeX[static_cast<std::size_t>(r) * nodeCols + c] =
                static_cast<float>(amplitude * SphereNoise(lat, lon, 120, 3, Opt.Seed + 21));
            nodeY[static_cast<std::size_t>(r) * nodeCols + c] =
                static_cast<float>(amplitude * SphereNoise(lat, lon, 120, 3, Opt.Seed + 22));
        }
    for (int r = 0; r < CoarseRows; ++r) {
        const int nr = r / step;
        const double fr = static_cast<double>(r % step) / step;
        for (int c = 0; c < CoarseCols; ++c) {
            const std::size_t index = static_cast<std::size_t>(r) * CoarseCols + c;
            if (!CoarseLand[index])
                continue;
            const int nc = c / step;
            const double fc = static_cast<double>(c % step) / step;
            auto bilinear = [&](const std::vector<float>& f) {
                const std::size_t i00 = static_cast<std::size_t>(nr) * nodeCols + nc;
                const double top = f[i00] + (f[i00 + 1] - f[i00]) * fc;
                const double bottom = f[i00 + nodeCols] + (f[i00 + nodeCols + 1] - f[i00 + nodeCols]) * fc;
                return top + (bottom - top) * fr;
            };
            WarpX[index] = static_cast<std::int8_t>(std::lround(std::clamp(bilinear(nodeX), -120.0, 120.0)));
            WarpY[index] = static_cast<std::int8_t>(std::lround(std::clamp(bilinear(nodeY), -120.0, 120.0)));
        }
    }

    for (int seed = 0; seed < static_cast<int>(Seeds.size()); ++seed)
        Splat(seed);
    // Land that no seed reached (a remote island) gets seeds of its own.
    for (int r = 0; r < CoarseRows; ++r)
        for (int c = 0; c < CoarseCols; ++c) {
            const std::size_t index = static_cast<std::size_t>(r) * CoarseCols + c;
            if (CoarseLand[index] && Owner[index] < 0) {
                const double lat = 90.0 - (r + 0.5) * 180.0 / CoarseRows;
                const double lon = -180.0 + (c + 0.5) * 360.0 / CoarseCols;
                Seeds.push_back({lat, lon, r, c});
                Splat(static_cast<int>(Seeds.size()) - 1);
            }
        }
}

void TDemoWorld::Splat(int seedIndex) {
    const TSeed& seed = Seeds[seedIndex];
    // Far enough to reach past the neighbours of the seed, whatever the local density.
    const double radiusKm = 2.8 * SeedSpacingKm + 60.0;
    const int rowReach = static_cast<int>(radiusKm / CoarseCellKm) + 1;
    const int r0 = std::max(0, seed.Row - rowReach), r1 = std::min(CoarseRows - 1, seed.Row + rowReach);
    for (int r = r0; r <= r1; ++r) {
        const double lat = 90.0 - (r + 0.5) * 180.0 / CoarseRows;
        const double cosLat = std::max(0.01, std::cos(lat * kDegToRad));
        const double colKm = CoarseCellKm * cosLat;
        const int colReach = std::min(CoarseCols / 2, static_cast<int>(radiusKm / colKm) + 1);
        const double dyBase = (r - seed.Row) * CoarseCellKm;
        for (int dc = -colReach; dc <= colReach; ++dc) {
            const int c = ((seed.Col + dc) % CoarseCols + CoarseCols) % CoarseCols;
            const std::size_t index = static_cast<std::size_t>(r) * CoarseCols + c;
            if (!CoarseLand[index])
                continue;
            const double dy = dyBase + WarpY[index];
            const double dx = dc * colKm + WarpX[index];
            const float d2 = static_cast<float>(dx * dx + dy * dy);
            if (d2 < BestDistance[index]) {
                BestDistance[index] = d2;
                Owner[index] = seedIndex;
            }
        }
    }
}

namespace {

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

int TextureClass(double sand, double silt, double clay) {
    // USDA texture triangle.
    if (clay >= 40) {
        if (silt >= 40)
            return 2; // silty clay
        if (sand > 45)
            return 3; // sandy clay
        return 1;     // clay
    }
    if (clay >= 35 && sand > 45)
        return 3;
    if (clay >= 27) {
        if (sand <= 20)
            return 5; // silty clay loam
        if (sand <= 45)
            return 4; // clay loam
        return 6;     // sandy clay loam
    }
    if (clay >= 20 && sand > 45 && silt < 28)
        return 6;
    if (silt >= 80 && clay < 12)
        return 10; // silt
    if (silt >= 50)
        return 8; // silt loam
    if (sand >= 85 && silt + 1.5 * clay < 15)
        return 12; // sand
    if (sand >= 70 && silt + 2 * clay < 30)
        return 11; // loamy sand
    if ((clay < 7 && silt < 50 && sand > 43) || (clay < 20 && sand > 52))
        return 9; // sandy loam
    return 7;     // loam
}

int TextureGroup(double sand, double clay) {
    if (clay >= 60)
        return 5;
    if (clay >= 35)
        return 4;
    if (clay < 18 && sand > 65)
        return 1;
    if (sand < 15)
        return 3;
    return 2;
}

double Round(double v, int decimals) {
    const double f = std::pow(10.0, decimals);
    return std::round(v * f) / f;
}

} // namespace

void TDemoWorld::FillComponent(TComponent& comp, const TSite& site, TRandom& random) const {
    const int cls = comp.Soil.Class;
    const TClassInfo& info = ClassInfo(cls);
    const QString q = Qualifiers(cls).at(comp.Soil.Qualifier - 1).Code;
    comp.Profiles = random.Chance(0.15) ? 0 : static_cast<int>(random.Range(1, 45));
    comp.NameKnown = random.Uniform() >= 0.02;
    comp.CorrelatedSoil = comp.Soil;
    if (info.IsSoil && random.Chance(0.3))
        comp.CorrelatedSoil.Qualifier = 1;
    if (!info.IsSoil) {
        // Glaciers, water, rock and salt: nothing to measure.
        comp.Phase = comp.Drainage = comp.RootDepthClass = comp.AwcClass = comp.Impermeable =
            comp.WaterRegime = -1;
        comp.AddProp = cls == GG ? 1 : 0;
        comp.RootableDepth = comp.Awc = comp.CarbonStock = kMissing;
        for (TLayerValues& layer : comp.Layers) {
            layer = TLayerValues{};
            for (double* v : {&layer.Coarse,    &layer.Sand, &layer.Silt,   &layer.Clay,    &layer.Bulk,
                              &layer.OrgCarbon, &layer.Ph,   &layer.TotalN, &layer.CnRatio, &layer.Cec,
                              &layer.CecClay,   &layer.Ecec, &layer.Bases,  &layer.BaseSat, &layer.AlSat,
                              &layer.Esp,       &layer.Lime, &layer.Gypsum, &layer.Ec,      &layer.Awc})
                *v = kMissing;
            if (cls == DS) {
                // Shifting sand still has a texture.
                layer.Sand = 96;
                layer.Silt = 2;
                layer.Clay = 2;
                layer.Texture = 12;
                layer.TextureGroup = 1;
                layer.Coarse = 0;
            }
        }
        return;
    }
    const TProfileType& p = ProfileType(cls);
    double sand = std::clamp(random.Normal(p.Sand, 9), 3.0, 97.0);
    double clay = std::clamp(random.Normal(p.Clay, 6), 2.0, std::min(75.0, 100 - sand - 1));
    double depth = p.Depth;
    if (depth < 200)
        depth = std::clamp(random.Normal(depth, depth * 0.3), 10.0, 150.0);
    else if (site.Relief > 0.5 && random.Chance(0.3))
        depth = random.Range(60, 150);
    const double coldFactor = std::clamp(1 + 0.015 * (12 - site.Temperature), 0.7, 1.6);
    const double ocTop = p.OrgCarbon * coldFactor * random.Range(0.7, 1.3);
    const double cn = (cls == HS || cls == PZ || cls == CR) ? random.Range(16, 28) : random.Range(9, 14);
    const double activity = p.ClayActivity * random.Range(0.8, 1.2);
    const double phShift = random.Normal(0, 0.3);
    const double limeBoost = (q == "ca" || q == "cc" || q == "pc") ? 6 : 0;
    const bool sodic = q == "so" || cls == SN;

    double stockTHa = 0, awcMm = 0;
    for (int k = 0; k < kLayerCount; ++k) {
        TLayerValues& L = comp.Layers[k];
        const double top = kLayerTop[k], bottom = kLayerBottom[k], z = (top + bottom) / 2;
        if (top >= depth) {
            // Below hard rock or a cemented layer.
            for (double* v : {&L.Coarse, &L.Sand,    &L.Silt, &L.Clay,    &L.Bulk, &L.OrgCarbon, &L.Ph,
                              &L.TotalN, &L.CnRatio, &L.Cec,  &L.CecClay, &L.Ecec, &L.Bases,     &L.BaseSat,
                              &L.AlSat,  &L.Esp,     &L.Lime, &L.Gypsum,  &L.Ec,   &L.Awc})
                *v = kMissing;
            L.Texture = L.TextureGroup = 0;
            continue;
        }
        const double subsoil = Ramp(z, 15, 60);
        double c = std::min(85.0, clay * (1 + (p.ClayGain - 1) * subsoil) * random.Range(0.95, 1.05));
        double s = std::max(2.0, sand - (c - clay) * 0.7 + random.Normal(0, 2));
        c = std::round(c);
        s = std::round(std::min(s, 98 - c));
        const double silt = 100 - s - c;
        L.Sand = s;
        L.Clay = c;
        L.Silt = silt;
        L.Texture = TextureClass(s, silt, c);
        L.TextureGroup = TextureGroup(s, c);
        L.Coarse = std::round(
            std::clamp(random.Normal(p.Coarse, p.Coarse * 0.3 + 2) * (1 + 0.6 * (z / depth)), 0.0, 90.0));
        double oc = cls == HS ? ocTop * random.Range(0.85, 1.1) : ocTop * std::exp(-z / p.CarbonDepth);
        if (cls == PZ && k == 2)
            oc *= 2.5; // the spodic horizon
        L.OrgCarbon = Round(std::max(0.05, oc), 2);
        double bulk = cls == HS ? 0.25 + 0.0008 * z
                      : cls == AN
                          ? 0.75 + 0.001 * z
                          : 1.62 - 0.06 * L.OrgCarbon - 0.003 * c + 0.0008 * z + random.Normal(0, 0.04);
        L.Bulk = Round(std::clamp(bulk, 0.15, 1.85), 2);
        double lime = std::max(0.0, (p.Lime + limeBoost * (1 - 0.5 * subsoil)) * random.Range(0.6, 1.4) +
                                        (p.LimeGain + limeBoost) * subsoil * random.Range(0.6, 1.4));
        double ph = p.PhTop + p.PhGain * z / 200 + phShift + random.Normal(0, 0.1);
        if (lime > 0.5)
            ph = std::max(ph, 7.6 + 0.1 * std::min(lime, 10.0) / 10);
        if (sodic)
            ph = std::max(ph, 8.2 + 0.8 * subsoil);
        ph = std::clamp(ph, 3.4, 10.2);
        if (ph < 6.8)
            lime = 0;
        L.Ph = Round(ph, 1);
        L.Lime = Round(lime, 1);
        L.CnRatio = Round(cn * random.Range(0.9, 1.1), 1);
        L.TotalN = Round(L.OrgCarbon * 10 / L.CnRatio, 2);
        L.CecClay = std::round(activity * random.Range(0.9, 1.1));
        L.Cec = std::round(c / 100 * L.CecClay + L.OrgCarbon * (cls == HS ? 2.0 : 2.8));
        double bs = lime > 0.5 ? 100 : p.BaseSat + (ph - p.PhTop) * 15 + random.Normal(0, 6);
        bs = std::clamp(bs, 4.0, 100.0);
        L.BaseSat = std::round(bs);
        L.Bases = Round(L.Cec * bs / 100, 1);
        const double alSat = ph < 5.5 ? std::clamp((5.5 - ph) / 1.4 * 85, 0.0, 95.0) : 0;
        const double exchAl = L.Bases * alSat / std::max(5.0, 100 - alSat);
        L.Ecec = std::round(L.Bases + exchAl);
        L.AlSat = std::round(L.Ecec > 0 ? exchAl / L.Ecec * 100 : 0);
        L.Esp = std::round(p.Sodium * random.Range(0.6, 1.4) * (sodic ? 1 + subsoil : 1));
        L.Gypsum = Round(p.Gypsum * Ramp(z, 10, 70) * random.Range(0.5, 1.5), 1);
        L.Ec = Round(p.Salinity * random.Range(0.6, 1.4) * (cls == SC ? 1.3 - 0.5 * subsoil : 1), 1);
        L.Awc = std::round(std::max(2.0, (6 + 0.22 * silt + 0.08 * c - 0.04 * s) * (1 - L.Coarse / 100)));
        if (c < 8)
            L.CecClay = kMissing; // not meaningful with so little clay
        // Gaps in the source data.
        for (double* v : {&L.TotalN, &L.CnRatio, &L.CecClay, &L.Ecec, &L.AlSat, &L.Esp, &L.Gypsum, &L.Ec})
            if (random.Chance(0.015))
                *v = kMissing;
        const double thick = std::min(bottom, depth) - top;
        if (top < 100)
            stockTHa += L.OrgCarbon * L.Bulk * std::min(thick, 100 - top) * (1 - L.Coarse / 100);
        awcMm += L.Awc / 100 * thick * 10;
    }
    comp.RootableDepth = static_cast<int>(std::round(std::min(depth, cls == GL || cls == HS ? 80.0 : 200.0)));
    comp.Awc = static_cast<int>(std::round(awcMm));
    comp.CarbonStock = static_cast<int>(std::round(stockTHa));
    const int rd = comp.RootableDepth;
    comp.RootDepthClass = rd < 25 ? 1 : rd < 50 ? 2 : rd < 100 ? 3 : rd < 150 ? 4 : 5;
    const int a = comp.Awc;
    comp.AwcClass = a >= 150 ? 1 : a >= 125 ? 2 : a >= 100 ? 3 : a >= 75 ? 4 : a >= 50 ? 5 : a >= 15 ? 6 : 7;
    comp.Impermeable = depth < 40 ? 4 : depth < 80 ? 3 : depth < 150 ? 2 : 1;
    comp.Drainage = std::clamp(p.Drainage + (random.Chance(0.3) ? (random.Chance(0.5) ? 1 : -1) : 0), 1, 7);
    if (q == "gl" || q == "st")
        comp.Drainage = std::max(comp.Drainage, 5);
    comp.WaterRegime = comp.Drainage >= 7 ? 4 : comp.Drainage == 6 ? 3 : comp.Drainage == 5 ? 2 : 1;
    if (cls == CR || (site.Temperature < -5 && (cls == GL || cls == HS || cls == LP)))
        comp.AddProp = 1;
    else if (cls == VR || q == "vr" || q == "mz" || q == "pe")
        comp.AddProp = 2;
    else if (cls == ST || cls == PL || q == "st")
        comp.AddProp = 3;
    else if (q == "pt" || q == "pc" || q == "pg" || q == "pd")
        comp.AddProp = 4;
    else
        comp.AddProp = 0;
    if (cls == LP)
        comp.Phase = q == "li" ? 2 : 11;
    else if (cls == SC || q == "sz")
        comp.Phase = 5;
    else if (sodic)
        comp.Phase = 6;
    else if (cls == DU)
        comp.Phase = 7;
    else if (q == "pc")
        comp.Phase = 4;
    else if (q == "pt")
        comp.Phase = 3;
    else if (cls == RT && random.Chance(0.3))
        comp.Phase = 8;
    else if (cls == FL && random.Chance(0.4))
        comp.Phase = 9;
    else if (comp.Layers[0].Coarse > 35)
        comp.Phase = 1;
    else
        comp.Phase = 0;
    if (random.Chance(0.01))
        comp.Phase = -1; // phase not recorded
}

void TDemoWorld::MakeComponents(TMapUnit& unit, int dominantClass, TRandom& random) const {
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

void TDemoWorld::AssignSoils() {
    const int seedCount = static_cast<int>(Seeds.size());
    std::vector<int> seedClass(seedCount, CM);
    std::vector<TSite> sites(seedCount);
    for (int i = 0; i < seedCount; ++i) {
        const TSeed& seed = Seeds[i];
        TRandom random(Opt.Seed * 31 + static_cast<std::uint64_t>(i) * 7 + 1);
        TSite site = SiteAt(seed.Lat, seed.Lon);
        sites[i] = site;
        const double iceNoise = 0.5 + 0.5 * SphereNoise(seed.Lat, seed.Lon, 150, 2, Opt.Seed + 41);
        if (random.Uniform() < GlacierChance(site, site.CoastKm, iceNoise)) {
            seedClass[i] = GG;
            continue;
        }
        const double sandy = std::clamp(BlobField(SandyRegions(), seed.Lat, seed.Lon) +
                                            0.25 * SphereNoise(seed.Lat, seed.Lon, 400, 2, Opt.Seed + 43),
                                        0.0, 1.0);
        const TWeights weights = ClassWeights(site, sandy);
        // Neighbouring units share their soils over hundreds of kilometres: the class is picked with
        // a smooth random field, plus a little noise of each unit's own.
        const double n = SphereNoise(seed.Lat, seed.Lon, 450, 3, Opt.Seed + 47);
        double u = 1.0 / (1.0 + std::exp(-6.0 * n)) + random.Range(-0.08, 0.08);
        u -= std::floor(u);
        int cls = PickClass(weights, u);
        // Patches that follow water rather than climate.
        const double lowland = 1 - Ramp(site.Relief, 0.05, 0.35);
        double riverHalfWidth = 0;
        const double riverKm = DistanceToLinesKm(Rivers(), seed.Lat, seed.Lon);
        for (const TRange& river : Rivers())
            riverHalfWidth = std::max(riverHalfWidth, river.WidthKm);
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
    auto seedAt = [&](double lat, double lon) {
        const int r = std::clamp(static_cast<int>((90.0 - lat) / 180.0 * CoarseRows), 0, CoarseRows - 1);
        const int c = std::clamp(static_cast<int>((lon + 180.0) / 360.0 * CoarseCols), 0, CoarseCols - 1);
        return Owner[static_cast<std::size_t>(r) * CoarseCols + c];
    };
    for (const TPlace& place : ForcedPlaces()) {
        const int seed = seedAt(place.Lat, place.Lon);
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
        const int ba = static_cast<int>(90.0 - Seeds[a].Lat), bb = static_cast<int>(90.0 - Seeds[b].Lat);
        if (ba != bb)
            return ba < bb;
        if (Seeds[a].Lon != Seeds[b].Lon)
            return Seeds[a].Lon < Seeds[b].Lon;
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

    SeedUnit.assign(seedCount, 0);
    for (int seed = 0; seed < seedCount; ++seed)
        SeedUnit[seed] = static_cast<std::uint16_t>(seedToUnit[seed] + 1);

    UnitList.assign(unitSeed.size(), TMapUnit{});
    // Areas from the unit grid.
    std::vector<double> area(unitSeed.size(), 0.0);
    for (int r = 0; r < CoarseRows; ++r) {
        const double lat = 90.0 - (r + 0.5) * 180.0 / CoarseRows;
        const double cellKm2 = CoarseCellKm * CoarseCellKm * std::cos(lat * kDegToRad);
        for (int c = 0; c < CoarseCols; ++c) {
            const std::int32_t seed = Owner[static_cast<std::size_t>(r) * CoarseCols + c];
            if (seed >= 0)
                area[seedToUnit[seed]] += cellKm2;
        }
    }
    for (std::size_t u = 0; u < unitSeed.size(); ++u) {
        const int seed = unitSeed[u];
        TMapUnit& unit = UnitList[u];
        unit.Id = static_cast<int>(u) + 1;
        unit.Site = sites[seed];
        unit.AreaKm2 = static_cast<int>(std::round(area[u]));
        TRandom random(Opt.Seed * 131 + static_cast<std::uint64_t>(unit.Id) * 17);
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
}

} // namespace Demo
