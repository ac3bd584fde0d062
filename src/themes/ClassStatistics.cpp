#include "themes/ClassStatistics.h"

#include "db/SmuLookup.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>

TClassStatistics ComputeClassStatistics(const TCellHistogram& histogram, const TSmuLookup& lookup,
                                        TTopCellValue topValue) {
    TClassStatistics stats;
    std::map<int, std::uint64_t> cellsByCode;
    for (int v = 1; v < static_cast<int>(histogram.size()); ++v) {
        if (histogram[v] == 0 || (v == kNoDataValue && topValue == TTopCellValue::NoData))
            continue;
        const int code = lookup.WrbCodeOf(v);
        if (code == TSmuLookup::kNoWrbCode)
            continue;
        cellsByCode[code] += histogram[v];
    }
    long double sum = 0;
    for (const auto& [code, count] : cellsByCode) {
        stats.Cells += count;
        sum += static_cast<long double>(code) * count;
    }
    if (stats.Cells == 0)
        return stats;
    stats.Mean = sum / stats.Cells;
    long double squares = 0;
    for (const auto& [code, count] : cellsByCode) {
        const long double d = code - stats.Mean;
        squares += d * d * count;
    }
    stats.StdDev = std::sqrt(squares / stats.Cells);

    // Bound i of n classes: the smallest code whose cumulative count reaches (i + 1) / n of the cells.
    for (int n = 1; n <= kMaxClasses; ++n) {
        auto it = cellsByCode.begin();
        std::uint64_t cumulative = it->second;
        for (int i = 0; i + 1 < n; ++i) {
            const long double target = static_cast<long double>(stats.Cells) * (i + 1) / n;
            while (cumulative < target && std::next(it) != cellsByCode.end()) {
                ++it;
                cumulative += it->second;
            }
            stats.QuantileTable[n][i] = it->first;
        }
    }
    return stats;
}
