#include "themes/QEVmanager.h"

#include "db/SmuLookup.h"
#include "settings/Preferences.h"
#include "themes/ClassStatistics.h"
#include "themes/LegendHost.h"

#include <algorithm>
#include <cmath>

namespace {

QRgb OpaqueFromWindowColor(std::uint32_t bgr) {
    const std::uint32_t red = bgr & 0xFF;
    const std::uint32_t green = (bgr >> 8) & 0xFF;
    const std::uint32_t blue = (bgr >> 16) & 0xFF;
    return 0xFF000000u + red * 65536u + green * 256u + blue;
}

} // namespace

TQEVmanager::TQEVmanager(TLegendHost* host) : m_host(host) {
    auto world = std::make_unique<TESRIShapeFile>(Preferences().DATA_WORLD_MAP, stPolygon, 0);
    world->Visible = true;
    ShapeLayers.push_back(std::move(world));
}

TQEVmanager::~TQEVmanager() = default;

const TSmuLookup* TQEVmanager::Lookup() const {
    return m_host ? m_host->SmuLookup() : nullptr;
}

void TQEVmanager::OpenRaster(const QString& path, int columns, int rows) {
    Stream.reset();
    Stream = TRasterFile::Open(path);
    m_statisticsKnown = false;
    Mean = 0;
    StdDev = 0;
    QuantileTable = {};
    View.RasterRows = rows;
    View.RasterCols = columns;
    RangeMin = 0;
    RangeMax = 32000;
    Decimals = DecimalsFor((RangeMax - RangeMin) / 8);
    Visible.fill(true);
    if (m_host)
        m_host->SetColorRampIndex(0);
    Classify(Theme ? Theme->DefaultMethod : int(cmEqualInterval));
}

int TQEVmanager::DecimalsFor(double x) {
    if (x < 1)
        return 3;
    const double n = RoundHalfEven(x);
    if (n <= 10)
        return 2;
    if (n <= 100)
        return 1;
    return 0;
}

void TQEVmanager::EqualInterval(int n) {
    if (n <= 0) {
        NumClasses = 0;
        return;
    }
    const double w = (RangeMax - RangeMin) / n;
    for (int i = 0; i < n; ++i)
        Breaks[i] = w * (i + 1) + RangeMin;
    NumClasses = n;
}

void TQEVmanager::Quantiles(int n) {
    Breaks.fill(0);
    for (int i = 0; i <= n - 2; ++i)
        Breaks[i] = QuantileTable[n][i];
    NumClasses = n;
}

void TQEVmanager::Standardized(int n, double factor) {
    const long double s = factor * StdDev;
    const int k = n / 3;
    for (int i = 0; i < n; ++i) {
        double d = i - k;
        if (n % 2 == 1)
            d -= 0.5;
        Breaks[i] = static_cast<double>(s * d + Mean);
    }
    NumClasses = n;
}

void TQEVmanager::ComputeStatistics() {
    // Without a raster or an SMU index there is nothing to count yet; try again on the next use.
    const TSmuLookup* lookup = Lookup();
    if (!Stream || !lookup || View.RasterCols <= 0 || View.RasterRows <= 0)
        return;
    const int bytes = Theme ? Theme->Bytes : 2;
    auto report = [this](int percent) {
        if (m_host)
            m_host->ShowStatusText(QString("Computing map statistics ... %1 %").arg(percent));
    };
    TCellHistogram histogram;
    try {
        histogram =
            CachedCellHistogram(*Stream, bytes, View.RasterCols, View.RasterRows, CacheFolder(), report);
    } catch (...) {
        if (m_host)
            m_host->ShowStatusText({});
        throw;
    }
    if (m_host)
        m_host->ShowStatusText({});
    const TClassStatistics stats = ComputeClassStatistics(
        histogram, *lookup, Theme && Theme->ZeroIsValue ? TTopCellValue::Value : TTopCellValue::NoData);
    Mean = stats.Mean;
    StdDev = stats.StdDev;
    QuantileTable = stats.QuantileTable;
    m_statisticsKnown = true;
}

QString TQEVmanager::BoundText(double value) const {
    // At most 10 significant digits, then fixed notation with the legend's decimals.
    if (value != 0 && std::isfinite(value)) {
        const int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(value)))) + 1;
        if (magnitude > 10)
            return QString::number(value, 'E', 9);
        const double factor = std::pow(10.0, 10 - magnitude);
        value = std::round(value * factor) / factor;
    }
    return QString::number(value, 'f', std::clamp(Decimals, 0, 20));
}

bool TQEVmanager::Classify(int method) {
    // Class counts beyond the arrays have no meaning; keep them within.
    const int n = std::clamp(NumClasses, 0, kMaxClasses);
    int m = method;
    switch (m) {
    case cmEqualInterval:
        EqualInterval(n);
        break;
    case cmQuantiles:
        if (!m_statisticsKnown)
            ComputeStatistics();
        Quantiles(n);
        break;
    case cmStandardized:
        if (!m_statisticsKnown)
            ComputeStatistics();
        Standardized(n, 1);
        break;
    case cmPredefined:
        if (Theme && Theme->ClassSet) {
            const TQEV_Class& set = *Theme->ClassSet;
            NumClasses = std::clamp(set.ClassCount, 0, kMaxClasses);
            for (int i = 0; i < NumClasses; ++i) {
                Breaks[i] = set.Dividers[i];
                ClassColors[i] = OpaqueFromWindowColor(set.Colors[i]);
            }
        } else {
            EqualInterval(n);
            m = cmEqualInterval;
        }
        break;
    default:
        NumClasses = n;
        break;
    }
    Method = static_cast<std::uint8_t>(m);

    const QString units = Theme ? Theme->Units : QString();
    for (int i = 0; i < NumClasses; ++i) {
        if (Method <= cmStandardized) {
            QString label;
            if (i == 0)
                label = "< " + BoundText(Breaks[0]);
            else if (i == NumClasses - 1)
                label = "> " + BoundText(Breaks[i - 1]);
            else
                label = BoundText(Breaks[i - 1]) + " - " + BoundText(Breaks[i]);
            ClassLabels[i] = label + " " + units;
        } else if (Method == cmPredefined) {
            ClassLabels[i] = Theme->ClassSet->Labels[i];
        }
    }
    if (m_host)
        m_host->SetClassificationControls(Method, NumClasses);
    return true;
}

QRgb TQEVmanager::CellColor(std::uint16_t value) const {
    if (value == kNoDataCell)
        return kNoDataColor;
    if (value == kNoDataValue && !(Theme && Theme->ZeroIsValue))
        return kNoDataColor;
    const TSmuLookup* lookup = Lookup();
    if (!lookup)
        return kNoDataColor;
    if (lookup->IsSelected(value))
        return static_cast<QRgb>(Preferences().SELECT_COLOR);
    return ClassColorOf(lookup->WrbCodeOf(value));
}

QRgb TQEVmanager::ClassColorOf(int code) const {
    if (code == TSmuLookup::kNoWrbCode)
        return kNoDataColor;
    const int n = std::clamp(NumClasses, 0, kMaxClasses);
    for (int i = 0; i < n; ++i) {
        if (static_cast<double>(code) <= Breaks[i])
            return Visible[i] ? ClassColors[i] : kHiddenClassColor;
    }
    if (n > 0 && Visible[n - 1])
        return ClassColors[n - 1];
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
    // The same order of tests as CellColor, with the codes read once.
    const QRgb selection = static_cast<QRgb>(Preferences().SELECT_COLOR) | 0xFF000000u;
    const bool zeroIsValue = Theme && Theme->ZeroIsValue;
    for (int v = 0; v < kCellValueCount; ++v) {
        QRgb color;
        if (v == kNoDataCell || (v == kNoDataValue && !zeroIsValue))
            color = kNoDataColor;
        else if (lookup->IsSelected(v))
            color = selection;
        else
            color = ClassColorOf(m_codes[v]);
        m_colorTable[v] = color | 0xFF000000u;
    }
    return m_colorTable;
}

void TQEVmanager::ApplyRamp(const TRampRecord& ramp) {
    const int n = std::clamp(NumClasses, 0, kMaxClasses);
    const bool distinct = IsDistinctRamp(ramp);
    for (int i = 0; i < n; ++i) {
        const int entry = distinct ? i * (kDistinctRampColors - 1) / n : i * kContinuousRampColors / n;
        ClassColors[i] = static_cast<QRgb>(ramp[kRampFirstColor + entry]);
    }
}

double TQEVmanager::ReadCellValue(double col, double row) const {
    if (!Stream)
        return 0;
    const int bytes = Theme ? Theme->Bytes : 2;
    return Stream->ReadCell(TruncToInt(col), TruncToInt(row), View.RasterCols, bytes);
}

TPaintRequest TQEVmanager::PaintRequest() {
    TPaintRequest request;
    request.Raster = Stream.get();
    request.Bytes = Theme ? Theme->Bytes : 2;
    request.RasterCols = View.RasterCols;
    request.RasterRows = View.RasterRows;
    request.Col0 = View.Col0;
    request.Row0 = View.Row0;
    request.Scale = View.Scale;
    request.OriginX = View.OriginX;
    request.OriginY = View.OriginY;
    request.TargetWidth = View.TargetWidth;
    request.TargetHeight = View.TargetHeight;
    request.ColorTable = RebuildColorTable().data();
    return request;
}
