#pragma once
// The frame of the map windows and the host of the legends that benchmarks measure: they give the
// SMU lookup and ignore everything else.

#include "map/MapHost.h"
#include "themes/LegendHost.h"

// The selection colour of a new settings store: blue.
inline constexpr QRgb kBenchSelectionColor = 0xFF0000FF;

class TBenchHost : public TMapHost {
public:
    const TSmuLookup* Lookup = nullptr;
    void ShowStatusText(const QString&) override {}
    void ShowDataPoint(int, int, double, double) override {}
    void SynchronizeViews(TMapExplorerForm&) override {}
    void SetClassificationControls(int, int) override {}
    void SetColorRampIndex(int) override {}
    TRampRecord ColorRamp(int) const override { return {}; }
    const TSmuLookup* SmuLookup() const override { return Lookup; }
    QRgb SelectionColor() const override { return kBenchSelectionColor; }
    void ShowSmuOverview(int) override {}
    bool ShowSmuTable(int) override { return false; }
    void RasterInUse(const QString&) override {}
    TMapSettings Settings;
    TMapSettings MapSettings() const override { return Settings; }
};

class TBenchLegendHost : public TLegendHost {
public:
    const TSmuLookup* Lookup = nullptr;
    const TSmuLookup* SmuLookup() const override { return Lookup; }
    QRgb SelectionColor() const override { return kBenchSelectionColor; }
    std::optional<TCellHistogram> CellHistogram() override { return std::nullopt; }
};
