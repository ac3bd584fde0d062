#include "raster/ViewGeometry.h"

#include <cfenv>
#include <climits>
#include <cmath>

double RoundHalfEven(double value) {
    // The default floating-point rounding mode rounds halves to even; make sure it is in force.
    const int mode = std::fegetround();
    if (mode != FE_TONEAREST)
        std::fesetround(FE_TONEAREST);
    const double result = std::nearbyint(value);
    if (mode != FE_TONEAREST)
        std::fesetround(mode);
    return result;
}

int TruncToInt(double value) {
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (value <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(value);
}

void TViewGeometry::SetView(int col0, int col1, int row0, int row1) {
    Col0 = col0;
    Col1 = col1;
    Row0 = row0;
    Row1 = row1;
}

bool TViewGeometry::FitView() {
    if (Row0 < 0)
        Row0 = 0;
    if (Col0 < 0)
        Col0 = 0;
    if (Col1 <= 0 || Col1 < Col0 || Col1 >= RasterCols)
        Col1 = RasterCols - 1;
    if (Row1 <= 0 || Row1 < Row0 || Row1 >= RasterRows)
        Row1 = RasterRows - 1;
    // 64-bit so that extreme rectangles cannot overflow.
    const long long n = static_cast<long long>(Col1) - Col0 + 1;
    const long long m = static_cast<long long>(Row1) - Row0 + 1;
    if (n <= 0 || m <= 0)
        return false;
    const double sx = (static_cast<double>(TargetWidth) + 1 - OriginX) / static_cast<double>(n);
    const double sy = (static_cast<double>(TargetHeight) + 1 - OriginY) / static_cast<double>(m);
    Scale = sx < sy ? sx : sy;
    return Scale > 0.00001;
}

TCellPoint TViewGeometry::PixelToCell(int x, int y) const {
    if (Scale == 0)
        return {-9999, -9999};
    if (Scale == 1)
        return {static_cast<double>(x) - OriginX + Col0, static_cast<double>(y) - OriginY + Row0};
    TCellPoint cell{(x - OriginX) / Scale + Col0, (y - OriginY) / Scale + Row0};
    if (cell.Col < 0)
        cell.Col += 0.00001;
    if (cell.Row < 0)
        cell.Row += 0.00001;
    return cell;
}

TCellIndex TViewGeometry::PixelToCellIndex(int x, int y) const {
    const TCellPoint cell = PixelToCell(x, y);
    if (!std::isfinite(cell.Col) || !std::isfinite(cell.Row) || std::fabs(cell.Col) >= INT_MAX ||
        std::fabs(cell.Row) >= INT_MAX)
        return {0, 0};
    return {static_cast<int>(cell.Col), static_cast<int>(cell.Row)};
}

std::optional<TLonLat> TViewGeometry::PixelToLonLat(int x, int y) const {
    if (RasterCols <= 0 || RasterRows <= 0)
        return std::nullopt;
    const TCellIndex cell = PixelToCellIndex(x, y);
    return TLonLat{(cell.Col - 0.5) * 360.0 / RasterCols - 180.0,
                   90.0 - (cell.Row - 0.5) * 180.0 / RasterRows};
}

std::optional<TCellPoint> TViewGeometry::LonLatToCell(double lon, double lat) const {
    if (RasterCols <= 0 || RasterRows <= 0)
        return std::nullopt;
    return TCellPoint{(lon + 180.0) * RasterCols / 360.0, (90.0 - lat) * RasterRows / 180.0};
}

TPixel TViewGeometry::LonLatToPixel(double lon, double lat) const {
    const auto cell = LonLatToCell(lon, lat);
    if (!cell)
        return {0, 0};
    return {TruncToInt(RoundHalfEven((cell->Col + 0.5 - Col0) * Scale)) + OriginX,
            TruncToInt(RoundHalfEven((cell->Row + 0.5 - Row0) * Scale)) + OriginY};
}
