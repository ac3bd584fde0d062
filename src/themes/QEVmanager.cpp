#include "themes/QEVmanager.h"

#include "db/SmuLookup.h"
#include "raster/RasterFile.h"
#include "themes/LegendHost.h"
#include "themes/PropertyMap.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>

namespace {

QRgb OpaqueFromWindowColor(std::uint32_t bgr) {
    const std::uint32_t red = bgr & 0xFF;
    const std::uint32_t green = (bgr >> 8) & 0xFF;
    const std::uint32_t blue = (bgr >> 16) & 0xFF;
    return 0xFF000000u + red * 65536u + green * 256u + blue;
}

} // namespace

TQEVmanager::TQEVmanager(TLegendHost* host, const QString& worldOverlay) : m_host(host) {
    TESRIShapeFile world(worldOverlay, stPolygon, 0);
    world.Visible = true;
    ShapeLayers.push_back(world);
}

TQEVmanager::~TQEVmanager() = default;

const TSmuLookup* TQEVmanager::Lookup() const {
    return m_host ? m_host->SmuLookup() : nullptr;
}

void TQEVmanager::SetClasses(const TClassFields& classes) {
    m_classes = classes;
    m_classes.NumClasses = classes.Count();
}

void TQEVmanager::SetNumClasses(int count) {
    m_classes.NumClasses = std::clamp(count, 0, kMaxClasses);
}

void TQEVmanager::SetClassVisible(int index, bool visible) {
    if (index >= 0 && index < kMaxClasses)
        m_classes.Visible[index] = visible;
}

void TQEVmanager::SetClassColor(int index, QRgb color) {
    if (index >= 0 && index < kMaxClasses)
        m_classes.ClassColors[index] = color;
}

void TQEVmanager::OpenRaster() {
    m_statistics.reset();
    RangeMin = 0;
    RangeMax = 32000;
    if (Property && Property->Index().UnitsWithValue() > 0) {
        // A property's classes divide the range of its values.
        RangeMin = Property->Index().Minimum();
        RangeMax = Property->Index().Maximum();
    }
    m_classes.Decimals = DecimalsFor((RangeMax - RangeMin) / 8);
    m_classes.Visible.fill(true);
    if (m_host)
        m_host->LegendReset();
    const int method = Theme ? Theme->DefaultMethod : int(cmEqualInterval);
    if (Property && method == cmManual) {
        // Bounds to start the user's own from: equal intervals.
        Classify(cmEqualInterval);
        m_classes.Method = cmManual;
        if (m_host)
            m_host->ClassificationChanged(m_classes.Method, m_classes.NumClasses);
        return;
    }
    Classify(method);
}

void TQEVmanager::ComputeStatistics() {
    // Without a raster or an SMU index there is nothing to count yet; try again on the next use.
    const TSmuLookup* lookup = Lookup();
    if (!m_host || !lookup)
        return;
    const std::optional<TCellHistogram> histogram = m_host->CellHistogram();
    if (!histogram)
        return;
    const TTopCellValue topValue = ZeroIsValue() ? TTopCellValue::Value : TTopCellValue::NoData;
    if (Property) {
        const std::shared_ptr<const TPropertyMap> property = Property;
        m_statistics = ComputeValueStatistics(
            *histogram, [&property](int smuId) { return property->ValueOf(smuId); }, topValue);
    } else {
        m_statistics = ComputeClassStatistics(*histogram, *lookup, topValue);
    }
}

void TQEVmanager::TakeBreaks(const TClassBreaks& breaks, int writtenBounds) {
    // Bounds beyond those the method writes keep their values.
    std::copy_n(breaks.Bounds.begin(), std::clamp(writtenBounds, 0, kMaxClasses), m_classes.Breaks.begin());
    m_classes.NumClasses = breaks.Count;
}

void TQEVmanager::Predefined(const TQEV_Class& set) {
    m_classes.NumClasses = std::clamp(set.ClassCount, 0, kMaxClasses);
    for (int i = 0; i < m_classes.NumClasses; ++i) {
        m_classes.Breaks[i] = set.Dividers[i];
        m_classes.ClassColors[i] = OpaqueFromWindowColor(set.Colors[i]);
    }
}

bool TQEVmanager::Classify(int method) {
    const int n = m_classes.Count();
    int m = method;
    switch (m) {
    case cmEqualInterval: {
        const TClassBreaks breaks = EqualIntervalBreaks(RangeMin, RangeMax, n);
        TakeBreaks(breaks, breaks.Count);
        break;
    }
    case cmQuantiles:
        if (!m_statistics)
            ComputeStatistics();
        // Quantiles sets every bound: those beyond the classes become 0.
        TakeBreaks(QuantileBreaks(m_statistics.value_or(TClassStatistics{}), n), kMaxClasses);
        break;
    case cmStandardized: {
        if (!m_statistics)
            ComputeStatistics();
        const TClassBreaks breaks = StandardizedBreaks(m_statistics.value_or(TClassStatistics{}), n, 1);
        TakeBreaks(breaks, breaks.Count);
        break;
    }
    case cmPredefined:
        if (Theme && Theme->ClassSet) {
            Predefined(*Theme->ClassSet);
        } else {
            const TClassBreaks breaks = EqualIntervalBreaks(RangeMin, RangeMax, n);
            TakeBreaks(breaks, breaks.Count);
            m = cmEqualInterval;
        }
        break;
    default:
        m_classes.NumClasses = n;
        break;
    }
    m_classes.Method = static_cast<std::uint8_t>(m);
    LabelClasses();
    if (m_host)
        m_host->ClassificationChanged(m_classes.Method, m_classes.NumClasses);
    return true;
}

void TQEVmanager::LabelClasses() {
    const int n = m_classes.NumClasses;
    const QString units = Units();
    if (m_classes.Method == cmPredefined) {
        for (int i = 0; i < n; ++i)
            m_classes.ClassLabels[i] = Theme->ClassSet->Labels[i];
        return;
    }
    if (m_classes.Method > cmStandardized)
        return;
    if (!Property) {
        for (int i = 0; i < n; ++i)
            m_classes.ClassLabels[i] = ClassLabel(m_classes.Breaks, i, n, m_classes.Decimals, units);
        return;
    }
    // Measured values: equal intervals and quantiles span the values of the map, so their lowest
    // and highest classes are closed by them; standard deviations around the mean are not.
    const double none = std::numeric_limits<double>::quiet_NaN();
    double lowest = RangeMin;
    double highest = RangeMax;
    if (m_classes.Method == cmQuantiles && m_statistics && m_statistics->Cells > 0) {
        lowest = m_statistics->Minimum;
        highest = m_statistics->Maximum;
    } else if (m_classes.Method == cmStandardized) {
        lowest = highest = none;
    }
    std::vector<double> edges;
    if (!std::isnan(lowest))
        edges.push_back(lowest);
    for (int i = 0; i + 1 < n; ++i)
        edges.push_back(m_classes.Breaks[i]);
    if (!std::isnan(highest))
        edges.push_back(highest);
    m_classes.Decimals = DecimalsForEdges(edges);
    for (int i = 0; i < n; ++i)
        m_classes.ClassLabels[i] =
            RangeClassLabel(m_classes.Breaks, i, n, m_classes.Decimals, units, lowest, highest);
}

QString TQEVmanager::Units() const {
    if (Property)
        return Property->Units();
    return Theme ? Theme->Units : QString();
}

double TQEVmanager::ValueOf(std::uint16_t value, const TSmuLookup& lookup) const {
    if (Property)
        return Property->ValueOf(value);
    const int code = lookup.WrbCodeOf(value);
    return code == TSmuLookup::kNoWrbCode ? std::numeric_limits<double>::quiet_NaN() : double(code);
}

double TQEVmanager::ValueOf(std::uint16_t value) const {
    if (value == kNoDataCell || (value == kNoDataValue && !ZeroIsValue()))
        return std::numeric_limits<double>::quiet_NaN();
    if (Property)
        return Property->ValueOf(value);
    const TSmuLookup* lookup = Lookup();
    if (!lookup)
        return std::numeric_limits<double>::quiet_NaN();
    return ValueOf(value, *lookup);
}

int TQEVmanager::ClassOf(double value) const {
    const int n = m_classes.Count();
    if (std::isnan(value) || n == 0)
        return -1;
    for (int i = 0; i < n; ++i)
        if (value <= m_classes.Breaks[i])
            return i;
    return n - 1;
}

template <typename TClassColorOf>
QRgb TQEVmanager::ColorOf(std::uint16_t value, const TSmuLookup& lookup, QRgb selection,
                          TClassColorOf classColorOf) const {
    if (value == kNoDataCell || (value == kNoDataValue && !ZeroIsValue()))
        return kNoDataColor;
    if (lookup.IsSelected(value))
        return selection;
    return classColorOf(value);
}

QRgb TQEVmanager::CellColor(std::uint16_t value) const {
    const TSmuLookup* lookup = Lookup();
    if (!lookup)
        return kNoDataColor;
    return ColorOf(value, *lookup, m_host->SelectionColor(),
                   [this, lookup](std::uint16_t v) { return ClassColorOf(ValueOf(v, *lookup)); });
}

QRgb TQEVmanager::ClassColorOf(double value) const {
    if (std::isnan(value))
        return kNoDataColor;
    const int n = m_classes.Count();
    for (int i = 0; i < n; ++i) {
        if (value <= m_classes.Breaks[i])
            return m_classes.Visible[i] ? m_classes.ClassColors[i] : kHiddenClassColor;
    }
    if (n > 0 && m_classes.Visible[n - 1])
        return m_classes.ClassColors[n - 1];
    return kNoDataColor;
}

const std::vector<QRgb>& TQEVmanager::RebuildColorTable() {
    m_colorTable.resize(kCellValueCount);
    const TSmuLookup* lookup = Lookup();
    if (!lookup) {
        std::fill(m_colorTable.begin(), m_colorTable.end(), kNoDataColor | 0xFF000000u);
        return m_colorTable;
    }
    if (m_valuesGeneration != lookup->IndexGeneration() || m_valuesProperty != Property ||
        m_values.size() != std::size_t(kCellValueCount)) {
        m_values.resize(kCellValueCount);
        for (int v = 0; v < kCellValueCount; ++v)
            m_values[v] = ValueOf(static_cast<std::uint16_t>(v), *lookup);
        m_valuesGeneration = lookup->IndexGeneration();
        m_valuesProperty = Property;
    }
    const QRgb selection = m_host->SelectionColor();
    // Units share few distinct values (a soil group, a class of a property): each value's class is
    // searched once and then found in a small cache by its bits.
    struct TCachedColor {
        std::uint64_t Bits = ~std::uint64_t(0); // a NaN: no data
        QRgb Color = kNoDataColor;
    };
    std::array<TCachedColor, 256> cache{};
    auto classColorOf = [this, &cache](std::uint16_t u) {
        const double value = m_values[u];
        const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
        TCachedColor& entry = cache[(bits * 0x9E3779B97F4A7C15u) >> 56];
        if (entry.Bits != bits)
            entry = {bits, ClassColorOf(value)};
        return entry.Color;
    };
    for (int v = 0; v < kCellValueCount; ++v)
        m_colorTable[v] =
            ColorOf(static_cast<std::uint16_t>(v), *lookup, selection, classColorOf) | 0xFF000000u;
    return m_colorTable;
}

void TQEVmanager::ApplyRamp(const TRampRecord& ramp) {
    const int n = m_classes.Count();
    const bool distinct = IsDistinctRamp(ramp);
    for (int i = 0; i < n; ++i) {
        const int entry = distinct ? i * (kDistinctRampColors - 1) / n : i * kContinuousRampColors / n;
        m_classes.ClassColors[i] = static_cast<QRgb>(ramp[kRampFirstColor + entry]);
    }
}
