#pragma once
// Small numeric helpers shared by the climate and the soils of the demo world: degrees to
// kilometres, piecewise-linear tables and smooth steps.

#include <algorithm>
#include <cmath>

namespace Demo {

inline constexpr double kKmPerDegree = 111.2;
inline constexpr double kDegToRad = M_PI / 180.0;

// The value of the table (xs ascending) at x, linear between its points, flat beyond its ends.
inline double Interpolate(const double* xs, const double* ys, int n, double x) {
    if (x <= xs[0])
        return ys[0];
    for (int i = 1; i < n; ++i)
        if (x <= xs[i])
            return ys[i - 1] + (ys[i] - ys[i - 1]) * (x - xs[i - 1]) / (xs[i] - xs[i - 1]);
    return ys[n - 1];
}

// 0 below a, 1 above b (or the reverse when a > b), smooth in between.
inline double Ramp(double x, double a, double b) {
    double t = (x - a) / (b - a);
    t = std::clamp(t, 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// 1 between b and c, falling to 0 at a and d.
inline double Band(double x, double a, double b, double c, double d) {
    return Ramp(x, a, b) * (1 - Ramp(x, c, d));
}

} // namespace Demo
