#pragma once
// The classification methods as pure functions: the class bounds from the value range or from
// the distribution of the cells' codes, the method and the class count; and the one way a bound
// and a class label are written. The legend model keeps the state; the arithmetic lives here.

#include "themes/ClassStatistics.h"
#include "themes/ThemeRecords.h"

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

enum TClassMethod : std::uint8_t {
    cmEqualInterval = 0,
    cmQuantiles = 1,
    cmStandardized = 2,
    cmPredefined = 3,
    cmManual = 4,
};

using TClassBounds = std::array<double, kMaxClasses>;

// The upper bounds of `Count` classes (entries from Count on are zero).
struct TClassBreaks {
    int Count = 0;
    TClassBounds Bounds{};
};

// n classes of equal width over rangeMin..rangeMax; the last bound is rangeMax. No classes for n <= 0.
TClassBreaks EqualIntervalBreaks(double rangeMin, double rangeMax, int n);
// n classes of equal cell counts: the bounds of row n of the quantile table, the last class
// without an upper bound (bound 0).
TClassBreaks QuantileBreaks(const TClassStatistics& statistics, int n);
// n classes of `factor` standard deviations each around the mean: multipliers from -(n div 3),
// half a step lower when n is odd (n = 5: -1.5 .. 2.5; n = 6: -2 .. 3).
TClassBreaks StandardizedBreaks(const TClassStatistics& statistics, int n, double factor);

// Digits after the decimal point for bounds of classes about x wide: 3 below 1; otherwise x
// rounded (halves to even) up to 10 gives 2, up to 100 gives 1, above 100 gives 0.
int DecimalsFor(double x);

// A bound as the legend and the classification dialog show it: at most 10 significant digits,
// then fixed notation with `decimals` digits after the point.
QString BoundText(double value, int decimals);

// The label of class `index` of `count` made from its bounds: "< b0" for the first class,
// "> b(i-1)" for the last, "b(i-1) - b(i)" between, each followed by a blank and the units.
QString ClassLabel(const TClassBounds& bounds, int index, int count, int decimals, const QString& units);

// The label of a class of measured values: "b(i-1) - b(i) units" between, the lowest class from
// `lowest` and the highest up to `highest` where the method closes them, "< b0" and "> b(i-1)"
// where it leaves them open (NaN). A single class runs from `lowest` to `highest`.
QString RangeClassLabel(const TClassBounds& bounds, int index, int count, int decimals, const QString& units,
                        double lowest, double highest);
// Digits after the decimal point for the labels of classes of measured values whose edges (the
// ends and bounds, in order) are given: two significant figures of the narrowest class (0.725
// gives 2, 1.345 gives 1, 9.8 gives 1), less the trailing zeros that every edge would show (edges
// 4, 5, 6 give 0; 5.5, 6.0 give 1); at most 6.
int DecimalsForEdges(const std::vector<double>& edges);
