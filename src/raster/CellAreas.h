#pragma once
// Areas of the cells of a latitude-longitude grid covering the world, on the WGS84 ellipsoid. A cell
// of a row has the exact area of the ellipsoidal band between the row's two latitudes (through the
// authalic latitude), divided by the cells across.

#include <vector>

inline constexpr double kWgs84SemiMajorAxis = 6378137.0; // metres
inline constexpr double kWgs84Flattening = 1 / 298.257223563;

// The area in km² of the band of the ellipsoid between two latitudes in degrees, all the way round.
// Negative when `northDegrees` lies south of `southDegrees`.
double EllipsoidBandArea(double southDegrees, double northDegrees);
// The area in km² of the whole ellipsoid.
double EllipsoidArea();

// The area of one cell in each row of a grid of `cols` x `rows` cells spanning 360° x 180°, row 0
// at the north edge.
class TCellAreas {
public:
    TCellAreas(int cols, int rows);
    int Rows() const { return static_cast<int>(m_rowArea.size()); }
    int Cols() const { return m_cols; }
    // km² of a cell of `row`.
    double Cell(int row) const { return m_rowArea[static_cast<std::size_t>(row)]; }

private:
    int m_cols = 0;
    std::vector<double> m_rowArea;
};
