#pragma once
// The view of a map window: which raster cells are shown, at what scale, and the conversions
// between bitmap pixels, raster cells and longitude/latitude.

#include <optional>

struct TCellPoint {
    double Col = 0;
    double Row = 0;
};

struct TCellIndex {
    int Col = 0;
    int Row = 0;
    bool operator==(const TCellIndex&) const = default;
};

struct TLonLat {
    double Lon = 0;
    double Lat = 0;
};

struct TPixel {
    int X = 0;
    int Y = 0;
    bool operator==(const TPixel&) const = default;
};

// The requested rectangle of cells, both ends inclusive.
struct TViewRect {
    int Col0 = 0;
    int Col1 = 0;
    int Row0 = 0;
    int Row1 = 0;
    bool operator==(const TViewRect&) const = default;
};

// The view of one map window (it owns it; printing works on a copy). Its state changes only
// through the setters, which refuse values no view can have.
class TViewGeometry {
public:
    int RasterCols() const { return m_rasterCols; }
    int RasterRows() const { return m_rasterRows; }
    int OriginX() const { return m_originX; } // bitmap pixel where cell (Col0, Row0) starts
    int OriginY() const { return m_originY; }
    int TargetWidth() const { return m_targetWidth; } // size of the bitmap being drawn
    int TargetHeight() const { return m_targetHeight; }
    int Col0() const { return m_col0; }
    int Row0() const { return m_row0; }
    int Col1() const { return m_col1; }
    int Row1() const { return m_row1; }
    double Scale() const { return m_scale; } // pixels per cell

    // The raster grid; 0 x 0 for none. Raises TAMOError for a negative size.
    void SetGrid(int cols, int rows);
    // The bitmap being drawn. Raises TAMOError for a negative size.
    void SetTarget(int width, int height);
    // Where cell (Col0, Row0) starts in the bitmap: (0, 0) after a fit, zero or negative after a
    // pan by part of a cell.
    void SetOrigin(int x, int y);
    // Pixels per cell; FitView computes it. Raises TAMOError for a negative or non-finite scale.
    void SetScale(double scale);
    // Stores the rectangle as given; FitView makes it usable.
    void SetView(int col0, int col1, int row0, int row1);
    void SetView(const TViewRect& view) { SetView(view.Col0, view.Col1, view.Row0, view.Row1); }
    TViewRect View() const { return {m_col0, m_col1, m_row0, m_row1}; }

    // Clamps the rectangle to the raster and computes the scale that shows it whole in the target.
    // False when nothing can be shown (no raster, a view beyond the raster, a target too small).
    bool FitView();

    // Real cell under a pixel (-9999 for both without a scale).
    TCellPoint PixelToCell(int x, int y) const;
    // The cell holding a pixel; (0, 0) when the pixel lies beyond any representable cell.
    TCellIndex PixelToCellIndex(int x, int y) const;
    // Longitude and latitude of the cell under a pixel, up to half a cell outside the world;
    // nothing without a raster grid.
    std::optional<TLonLat> PixelToLonLat(int x, int y) const;
    std::optional<TCellPoint> LonLatToCell(double lon, double lat) const;
    // The pixel at the centre of the cell holding (lon, lat); (0, 0) without a raster grid.
    TPixel LonLatToPixel(double lon, double lat) const;

private:
    int m_rasterCols = 0;
    int m_rasterRows = 0;
    int m_originX = 0;
    int m_originY = 0;
    int m_targetWidth = 0;
    int m_targetHeight = 0;
    int m_col0 = 0;
    int m_row0 = 0;
    int m_col1 = 0;
    int m_row1 = 0;
    double m_scale = 0;
};

// Round to the nearest whole number, halves to the even neighbour.
double RoundHalfEven(double value);
// Truncation toward zero into an int, saturating at the int range (NaN gives 0).
int TruncToInt(double value);
