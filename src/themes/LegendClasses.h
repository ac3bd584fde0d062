#pragma once
// A map's legend as the statistics and the export take it: the class of every cell value, with
// the classes' names and colours (see TCellClasses).

#include "raster/CellClasses.h"
#include "raster/RasterStatistics.h"
#include "themes/ColorRampRecord.h"

#include <functional>
#include <optional>

class TQEVmanager;
class TSmuLookup;
struct TQEV_Layer;

// The classes of a legend model as they are now. A cell value falls in the class its SMU's WRB2
// code falls in (whether the class is shown or not); no data, and units the lookup does not know,
// have no class.
TCellClasses CellClassesOf(const TQEVmanager& legend, const TSmuLookup& lookup);

// The classes a theme shows when it is opened: its default classification, coloured from `ramp`
// before a class set gives its own colours (as a new map window does). `histogram` gives the
// raster's histogram where the method needs it (Quantiles, Standardized).
using THistogramSource = std::function<std::optional<TCellHistogram>()>;
TCellClasses DefaultCellClasses(const TQEV_Layer& theme, const TSmuLookup& lookup, const TRampRecord& ramp,
                                const THistogramSource& histogram = {});
