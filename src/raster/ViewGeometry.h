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

class TViewGeometry {
public:
    int RasterCols = 0;
    int RasterRows = 0;
    int OriginX = 0; // bitmap pixel where cell (Col0, Row0) starts
    int OriginY = 0;
    int TargetWidth = 0; // size of the bitmap being drawn
    int TargetHeight = 0;
    int Col0 = 0;
    int Row0 = 0;
    int Col1 = 0;
    int Row1 = 0;
    double Scale = 0; // pixels per cell

    // Stores the rectangle as given; FitView makes it usable.
    void SetView(int col0, int col1, int row0, int row1);
    TViewRect View() const { return {Col0, Col1, Row0, Row1}; }

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
};

// Round to the nearest whole number, halves to the even neighbour.
double RoundHalfEven(double value);
// Truncation toward zero into an int, saturating at the int range (NaN gives 0).
int TruncToInt(double value);
