#include "LayerProperties.h"

#include "DemoMath.h"

#include <algorithm>
#include <cmath>

namespace Demo {

namespace {

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

void FillComponent(TComponent& comp, const TSite& site, TRandom& random) {
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

} // namespace Demo
