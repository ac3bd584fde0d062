#include "themes/ClassStatistics.h"

#include "db/SmuLookup.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <map>

TClassStatistics ComputeClassStatistics(const TCellHistogram& histogram, const TSmuLookup& lookup,
                                        TTopCellValue topValue) {
    return ComputeValueStatistics(
        histogram,
        [&lookup](int smuId) {
            const int code = lookup.WrbCodeOf(smuId);
            return code == TSmuLookup::kNoWrbCode ? std::numeric_limits<double>::quiet_NaN() : double(code);
        },
        topValue);
}

TClassStatistics ComputeValueStatistics(const TCellHistogram& histogram,
                                        const std::function<double(int cellValue)>& valueOf,
                                        TTopCellValue topValue) {
    TClassStatistics stats;
    std::map<double, std::uint64_t> cellsByValue;
    for (int v = 1; v < static_cast<int>(histogram.size()); ++v) {
        if (histogram[v] == 0 || (v == kNoDataValue && topValue == TTopCellValue::NoData))
            continue;
        const double value = valueOf(v);
        if (std::isnan(value))
            continue;
        cellsByValue[value] += histogram[v];
    }
    long double sum = 0;
    for (const auto& [value, count] : cellsByValue) {
        stats.Cells += count;
        sum += static_cast<long double>(value) * count;
    }
    if (stats.Cells == 0)
        return stats;
    stats.Minimum = cellsByValue.begin()->first;
    stats.Maximum = cellsByValue.rbegin()->first;
    stats.Mean = sum / stats.Cells;
    long double squares = 0;
    for (const auto& [value, count] : cellsByValue) {
        const long double d = value - stats.Mean;
        squares += d * d * count;
    }
    stats.StdDev = std::sqrt(squares / stats.Cells);

    // Bound i of n classes: the smallest value whose cumulative count reaches (i + 1) / n of the cells.
    for (int n = 1; n <= kMaxClasses; ++n) {
        auto it = cellsByValue.begin();
        std::uint64_t cumulative = it->second;
        for (int i = 0; i + 1 < n; ++i) {
            const long double target = static_cast<long double>(stats.Cells) * (i + 1) / n;
            while (cumulative < target && std::next(it) != cellsByValue.end()) {
                ++it;
                cumulative += it->second;
            }
            stats.QuantileTable[n][i] = it->first;
        }
    }
    return stats;
}
