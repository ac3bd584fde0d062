#pragma once
// The distribution of the values of the cells holding data (the WRB2 code of their SMU, or a soil
// property of it), derived from the raster's histogram: the mean, the standard deviation and the
// quantile bounds of the Quantiles and Standardized methods.

#include "raster/RasterStatistics.h"
#include "themes/ThemeRecords.h"

#include <array>
#include <cstdint>
#include <functional>

class TSmuLookup;

struct TClassStatistics {
    long double Mean = 0;
    long double StdDev = 0;
    // Row n holds the upper bounds of n classes of equal cell counts (entries 0 .. n - 2; the last
    // class has no upper bound).
    std::array<std::array<double, kMaxClasses + 1>, kMaxClasses + 1> QuantileTable{};
    std::uint64_t Cells = 0; // cells counted
    double Minimum = 0;      // the smallest and largest value counted
    double Maximum = 0;
};

// Over the cells holding data (not 0, not 65535 unless `topValue` says it is a value, an SMU the
// index knows), each counted once, by the WRB2 code of its SMU.
TClassStatistics ComputeClassStatistics(const TCellHistogram& histogram, const TSmuLookup& lookup,
                                        TTopCellValue topValue);
// The same by the value `valueOf` gives each cell value (SMU id); NaN counts no cell.
TClassStatistics ComputeValueStatistics(const TCellHistogram& histogram,
                                        const std::function<double(int cellValue)>& valueOf,
                                        TTopCellValue topValue);
