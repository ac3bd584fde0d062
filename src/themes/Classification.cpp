#include "themes/Classification.h"

#include "raster/ViewGeometry.h"

#include <algorithm>
#include <cmath>

TClassBreaks EqualIntervalBreaks(double rangeMin, double rangeMax, int n) {
    TClassBreaks breaks;
    n = std::min(n, kMaxClasses);
    if (n <= 0)
        return breaks;
    const double w = (rangeMax - rangeMin) / n;
    for (int i = 0; i < n; ++i)
        breaks.Bounds[i] = w * (i + 1) + rangeMin;
    breaks.Count = n;
    return breaks;
}

TClassBreaks QuantileBreaks(const TClassStatistics& statistics, int n) {
    TClassBreaks breaks;
    n = std::clamp(n, 0, kMaxClasses);
    for (int i = 0; i <= n - 2; ++i)
        breaks.Bounds[i] = statistics.QuantileTable[n][i];
    breaks.Count = n;
    return breaks;
}

TClassBreaks StandardizedBreaks(const TClassStatistics& statistics, int n, double factor) {
    TClassBreaks breaks;
    n = std::clamp(n, 0, kMaxClasses);
    const long double s = factor * statistics.StdDev;
    const int k = n / 3;
    for (int i = 0; i < n; ++i) {
        double d = i - k;
        if (n % 2 == 1)
            d -= 0.5;
        breaks.Bounds[i] = static_cast<double>(s * d + statistics.Mean);
    }
    breaks.Count = n;
    return breaks;
}

int DecimalsFor(double x) {
    if (x < 1)
        return 3;
    const double n = RoundHalfEven(x);
    if (n <= 10)
        return 2;
    if (n <= 100)
        return 1;
    return 0;
}

QString BoundText(double value, int decimals) {
    if (value != 0 && std::isfinite(value)) {
        const int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(value)))) + 1;
        if (magnitude > 10)
            return QString::number(value, 'E', 9);
        const double factor = std::pow(10.0, 10 - magnitude);
        value = std::round(value * factor) / factor;
    }
    return QString::number(value, 'f', std::clamp(decimals, 0, 20));
}

QString ClassLabel(const TClassBounds& bounds, int index, int count, int decimals, const QString& units) {
    QString label;
    if (index == 0)
        label = "< " + BoundText(bounds[0], decimals);
    else if (index == count - 1)
        label = "> " + BoundText(bounds[index - 1], decimals);
    else
        label = BoundText(bounds[index - 1], decimals) + " - " + BoundText(bounds[index], decimals);
    return label + " " + units;
}

QString RangeClassLabel(const TClassBounds& bounds, int index, int count, int decimals, const QString& units,
                        double lowest, double highest) {
    const auto text = [decimals](double value) { return BoundText(value, decimals); };
    const double from = index == 0 ? lowest : bounds[index - 1];
    const double to = index == count - 1 ? highest : bounds[index];
    QString label;
    if (std::isnan(from) && std::isnan(to))
        label = index == 0 ? "< " + text(bounds[0]) : "> " + text(bounds[index - 1]);
    else if (std::isnan(from))
        label = "< " + text(to);
    else if (std::isnan(to))
        label = "> " + text(from);
    else
        label = text(from) + " - " + text(to);
    return units.isEmpty() ? label : label + " " + units;
}

int DecimalsForEdges(const std::vector<double>& edges) {
    double narrowest = 0;
    for (std::size_t i = 1; i < edges.size(); ++i) {
        const double width = edges[i] - edges[i - 1];
        if (width > 0 && std::isfinite(width) && (narrowest == 0 || width < narrowest))
            narrowest = width;
    }
    if (narrowest == 0)
        return 2;
    int decimals = std::clamp(static_cast<int>(std::ceil(-std::log10(narrowest) - 1e-9)) + 1, 0, 6);
    // One digit less while no edge needs it.
    const auto exactAt = [&edges](int digits) {
        const double scale = std::pow(10.0, digits);
        return std::all_of(edges.begin(), edges.end(), [scale](double edge) {
            return std::fabs(std::round(edge * scale) - edge * scale) < 1e-6;
        });
    };
    while (decimals > 0 && exactAt(decimals - 1))
        --decimals;
    return decimals;
}
