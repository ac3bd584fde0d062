#include "themes/QEVmanager.h"

#include "db/SmuLookup.h"
#include "raster/RasterFile.h"
#include "themes/LegendHost.h"

#include <algorithm>

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
    m_classes.Decimals = DecimalsFor((RangeMax - RangeMin) / 8);
    m_classes.Visible.fill(true);
    if (m_host)
        m_host->LegendReset();
    Classify(Theme ? Theme->DefaultMethod : int(cmEqualInterval));
}

void TQEVmanager::ComputeStatistics() {
    // Without a raster or an SMU index there is nothing to count yet; try again on the next use.
    const TSmuLookup* lookup = Lookup();
    if (!m_host || !lookup)
        return;
    const std::optional<TCellHistogram> histogram = m_host->CellHistogram();
    if (!histogram)
        return;
    m_statistics = ComputeClassStatistics(*histogram, *lookup,
                                          ZeroIsValue() ? TTopCellValue::Value : TTopCellValue::NoData);
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

    const QString units = Theme ? Theme->Units : QString();
    for (int i = 0; i < m_classes.NumClasses; ++i) {
        if (m_classes.Method <= cmStandardized)
            m_classes.ClassLabels[i] =
                ClassLabel(m_classes.Breaks, i, m_classes.NumClasses, m_classes.Decimals, units);
        else if (m_classes.Method == cmPredefined)
            m_classes.ClassLabels[i] = Theme->ClassSet->Labels[i];
    }
    if (m_host)
        m_host->ClassificationChanged(m_classes.Method, m_classes.NumClasses);
    return true;
}

template <typename TCodeOf>
QRgb TQEVmanager::ColorOf(std::uint16_t value, const TSmuLookup& lookup, QRgb selection,
                          TCodeOf codeOf) const {
    if (value == kNoDataCell || (value == kNoDataValue && !ZeroIsValue()))
        return kNoDataColor;
    if (lookup.IsSelected(value))
        return selection;
    return ClassColorOf(codeOf(value));
}

QRgb TQEVmanager::CellColor(std::uint16_t value) const {
    const TSmuLookup* lookup = Lookup();
    if (!lookup)
        return kNoDataColor;
    return ColorOf(value, *lookup, m_host->SelectionColor(),
                   [lookup](int v) { return lookup->WrbCodeOf(v); });
}

QRgb TQEVmanager::ClassColorOf(int code) const {
    if (code == TSmuLookup::kNoWrbCode)
        return kNoDataColor;
    const int n = m_classes.Count();
    for (int i = 0; i < n; ++i) {
        if (static_cast<double>(code) <= m_classes.Breaks[i])
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
    if (m_codesGeneration != lookup->IndexGeneration() || m_codes.size() != std::size_t(kCellValueCount)) {
        m_codes.resize(kCellValueCount);
        for (int v = 0; v < kCellValueCount; ++v)
            m_codes[v] = lookup->WrbCodeOf(v);
        m_codesGeneration = lookup->IndexGeneration();
    }
    const QRgb selection = m_host->SelectionColor();
    for (int v = 0; v < kCellValueCount; ++v)
        m_colorTable[v] =
            ColorOf(static_cast<std::uint16_t>(v), *lookup, selection, [this](int u) { return m_codes[u]; }) |
            0xFF000000u;
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
