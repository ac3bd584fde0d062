#include "raster/ViewGeometry.h"

#include "common/TAMOError.h"

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

void TViewGeometry::SetGrid(int cols, int rows) {
    if (cols < 0 || rows < 0)
        throw TAMOError(QString("A raster of %1 x %2 cells cannot be shown.").arg(cols).arg(rows));
    m_rasterCols = cols;
    m_rasterRows = rows;
}

void TViewGeometry::SetTarget(int width, int height) {
    if (width < 0 || height < 0)
        throw TAMOError(QString("A map of %1 x %2 pixels cannot be drawn.").arg(width).arg(height));
    m_targetWidth = width;
    m_targetHeight = height;
}

void TViewGeometry::SetOrigin(int x, int y) {
    m_originX = x;
    m_originY = y;
}

void TViewGeometry::SetScale(double scale) {
    if (!(scale >= 0) || !std::isfinite(scale))
        throw TAMOError(QString("A scale of %1 pixels per cell cannot be shown.").arg(scale));
    m_scale = scale;
}

void TViewGeometry::SetView(int col0, int col1, int row0, int row1) {
    m_col0 = col0;
    m_col1 = col1;
    m_row0 = row0;
    m_row1 = row1;
}

bool TViewGeometry::FitView() {
    if (m_row0 < 0)
        m_row0 = 0;
    if (m_col0 < 0)
        m_col0 = 0;
    if (m_col1 <= 0 || m_col1 < m_col0 || m_col1 >= m_rasterCols)
        m_col1 = m_rasterCols - 1;
    if (m_row1 <= 0 || m_row1 < m_row0 || m_row1 >= m_rasterRows)
        m_row1 = m_rasterRows - 1;
    // 64-bit so that extreme rectangles cannot overflow.
    const long long n = static_cast<long long>(m_col1) - m_col0 + 1;
    const long long m = static_cast<long long>(m_row1) - m_row0 + 1;
    if (n <= 0 || m <= 0)
        return false;
    const double sx = (static_cast<double>(m_targetWidth) + 1 - m_originX) / static_cast<double>(n);
    const double sy = (static_cast<double>(m_targetHeight) + 1 - m_originY) / static_cast<double>(m);
    m_scale = sx < sy ? sx : sy;
    return m_scale > 0.00001;
}

TCellPoint TViewGeometry::PixelToCell(int x, int y) const {
    if (m_scale == 0)
        return {-9999, -9999};
    if (m_scale == 1)
        return {static_cast<double>(x) - m_originX + m_col0, static_cast<double>(y) - m_originY + m_row0};
    TCellPoint cell{(x - m_originX) / m_scale + m_col0, (y - m_originY) / m_scale + m_row0};
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
    if (m_rasterCols <= 0 || m_rasterRows <= 0)
        return std::nullopt;
    const TCellIndex cell = PixelToCellIndex(x, y);
    return TLonLat{(cell.Col - 0.5) * 360.0 / m_rasterCols - 180.0,
                   90.0 - (cell.Row - 0.5) * 180.0 / m_rasterRows};
}

std::optional<TCellPoint> TViewGeometry::LonLatToCell(double lon, double lat) const {
    if (m_rasterCols <= 0 || m_rasterRows <= 0)
        return std::nullopt;
    return TCellPoint{(lon + 180.0) * m_rasterCols / 360.0, (90.0 - lat) * m_rasterRows / 180.0};
}

TPixel TViewGeometry::LonLatToPixel(double lon, double lat) const {
    const auto cell = LonLatToCell(lon, lat);
    if (!cell)
        return {0, 0};
    return {TruncToInt(RoundHalfEven((cell->Col + 0.5 - m_col0) * m_scale)) + m_originX,
            TruncToInt(RoundHalfEven((cell->Row + 0.5 - m_row0) * m_scale)) + m_originY};
}
