#include "themes/LegendClasses.h"

#include "db/SmuLookup.h"
#include "themes/LegendHost.h"
#include "themes/QEVmanager.h"

#include <limits>

namespace {

// The class a WRB2 code falls in: the first whose upper bound it does not exceed, the last above
// every bound.
int ClassOfCode(const TClassFields& classes, int code) {
    const int count = classes.Count();
    if (code == TSmuLookup::kNoWrbCode || count <= 0)
        return kNoClass;
    for (int i = 0; i < count; ++i)
        if (static_cast<double>(code) <= classes.Breaks[static_cast<std::size_t>(i)])
            return i;
    return count - 1;
}

// A legend without a window: the lookup and the histogram are all it asks for.
class TDetachedHost : public TLegendHost {
public:
    TDetachedHost(const TSmuLookup& lookup, const THistogramSource& histogram)
        : m_lookup(lookup), m_histogram(histogram) {}
    const TSmuLookup* SmuLookup() const override { return &m_lookup; }
    QRgb SelectionColor() const override { return 0; }
    std::optional<TCellHistogram> CellHistogram() override {
        return m_histogram ? m_histogram() : std::nullopt;
    }

private:
    const TSmuLookup& m_lookup;
    const THistogramSource& m_histogram;
};

} // namespace

TCellClasses CellClassesOf(const TQEVmanager& legend, const TSmuLookup& lookup) {
    TCellClasses cells;
    const TClassFields& classes = legend.Classes();
    const int count = classes.Count();
    if (legend.Theme) {
        cells.Title = legend.Theme->LayerName;
        cells.Units = legend.Theme->Units;
    }
    for (int i = 0; i < count; ++i) {
        cells.Names << classes.ClassLabels[static_cast<std::size_t>(i)].trimmed();
        cells.Colors.push_back(classes.ClassColors[static_cast<std::size_t>(i)]);
    }
    const bool topIsValue = legend.Theme && legend.Theme->ZeroIsValue;
    cells.ClassOf.assign(kCellValueCount, kNoClass);
    if (legend.Property) {
        // A property map: the property's value of each unit, and its class.
        cells.Units = legend.Units();
        cells.Values.assign(kCellValueCount, std::numeric_limits<float>::quiet_NaN());
        for (int v = 1; v < kCellValueCount; ++v) {
            const double value = legend.ValueOf(static_cast<std::uint16_t>(v));
            cells.Values[static_cast<std::size_t>(v)] = static_cast<float>(value);
            cells.ClassOf[static_cast<std::size_t>(v)] = static_cast<std::int16_t>(legend.ClassOf(value));
        }
        return cells;
    }
    for (int v = 1; v < kCellValueCount; ++v) {
        if (v == kNoDataValue && !topIsValue)
            continue;
        cells.ClassOf[static_cast<std::size_t>(v)] =
            static_cast<std::int16_t>(ClassOfCode(classes, lookup.WrbCodeOf(v)));
    }
    return cells;
}

TCellClasses DefaultCellClasses(const TQEV_Layer& theme, const TSmuLookup& lookup, const TRampRecord& ramp,
                                const THistogramSource& histogram) {
    TDetachedHost host(lookup, histogram);
    TQEVmanager legend(&host, QString());
    legend.Theme = &theme;
    legend.ApplyRamp(ramp);
    legend.OpenRaster();
    return CellClassesOf(legend, lookup);
}
