#pragma once
// The frame of the map windows and legends that benchmarks measure: it gives the SMU lookup and
// ignores everything else.

#include "map/MapHost.h"

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
    void ShowSmuOverview(int) override {}
    bool ShowSmuTable(int) override { return false; }
};
