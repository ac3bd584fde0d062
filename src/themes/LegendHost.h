#pragma once
// What a legend model needs of the window that shows it, and what it tells that window: the SMU
// lookup and the selection colour its colours come from, the histogram of the raster's cells for
// the statistical methods, and the notice that the classification changed. The map window
// implements it; tests use a fake or pass none.

#include "raster/RasterStatistics.h"

#include <QRgb>
#include <optional>

class TSmuLookup;

class TLegendHost {
public:
    virtual ~TLegendHost() = default;

    // The SMU-to-soil index and the query selection; null while the database is not loaded
    // (every SMU is then drawn as no data).
    virtual const TSmuLookup* SmuLookup() const = 0;
    // The colour of the SMUs of the active query selection (0xAARRGGBB as held).
    virtual QRgb SelectionColor() const = 0;
    // The histogram of the cells of the raster the legend classifies; nothing while there is no
    // raster. May take long (the host shows its progress) and may raise the raster's read error.
    virtual std::optional<TCellHistogram> CellHistogram() = 0;

    // The method, the class count, the bounds or the labels changed (a classification ran).
    virtual void ClassificationChanged(int /*method*/, int /*classCount*/) {}
    // The legend was reset for a newly opened raster of its theme.
    virtual void LegendReset() {}
};
