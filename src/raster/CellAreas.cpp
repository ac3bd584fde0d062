#include "raster/CellAreas.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double kE2 = kWgs84Flattening * (2 - kWgs84Flattening); // first eccentricity squared

// (q(s2) - q(s1)) / (1 - e²) for s = sin(latitude), ds = s2 - s1, with
//   q(s) = (1 - e²) (s / (1 - e² s²) + atanh(e s) / e) = (1 - e²) sum e^2n s^(2n+1) (2n+2)/(2n+1).
// Summing the series on the difference keeps full precision for the narrow bands of single rows,
// where the closed form would subtract two nearly equal numbers.
double AuthalicDifference(double s1, double s2, double ds) {
    // P(m) = (s2^(m+1) - s1^(m+1)) / (s2 - s1) = sum over j of s2^j s1^(m-j), for m = 2n; and
    // P(m + 2) = s1² P(m) + s2^(m+1) s1 + s2^(m+2).
    double sum = 0;
    double e2n = 1;      // e^2n
    double powerSum = 1; // P(2n)
    double s2Power = 1;  // s2^2n
    for (int n = 0; n < 40; ++n) {
        const double term = e2n * (2.0 * n + 2) / (2.0 * n + 1) * powerSum;
        sum += term;
        if (std::fabs(term) <= 1e-20 * std::fabs(sum))
            break;
        const double s2Next = s2Power * s2 * s2;
        powerSum = s1 * s1 * powerSum + s2Power * s2 * s1 + s2Next;
        s2Power = s2Next;
        e2n *= kE2;
    }
    return sum * ds;
}

} // namespace

double EllipsoidBandArea(double southDegrees, double northDegrees) {
    constexpr double kRadians = std::numbers::pi / 180;
    const double phi1 = southDegrees * kRadians;
    const double phi2 = northDegrees * kRadians;
    // sin(phi2) - sin(phi1) without cancellation.
    const double ds = 2 * std::cos((phi1 + phi2) / 2) * std::sin((phi2 - phi1) / 2);
    const double a = kWgs84SemiMajorAxis / 1000; // km
    return std::numbers::pi * a * a * (1 - kE2) * AuthalicDifference(std::sin(phi1), std::sin(phi2), ds);
}

double EllipsoidArea() {
    return EllipsoidBandArea(-90, 90);
}

TCellAreas::TCellAreas(int cols, int rows) : m_cols(cols) {
    if (cols <= 0 || rows <= 0)
        return;
    m_rowArea.resize(static_cast<std::size_t>(rows));
    for (int row = 0; row < rows; ++row) {
        // Edges from whole numbers of rows, so that neighbouring rows share their edge exactly.
        const double north = 90.0 - 180.0 * row / rows;
        const double south = 90.0 - 180.0 * (row + 1) / rows;
        m_rowArea[static_cast<std::size_t>(row)] = EllipsoidBandArea(south, north) / cols;
    }
}
