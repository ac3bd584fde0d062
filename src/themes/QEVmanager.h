#pragma once
// The legend model of one map window: the theme it shows, the classes its values fall in (bounds,
// colours, labels, visibility), its shape overlays, its view geometry and its open raster, and
// the colour of every raster cell value.

#include "raster/RasterFile.h"
#include "raster/RasterPainter.h"
#include "raster/ViewGeometry.h"
#include "themes/ColorRampRecord.h"
#include "themes/ESRIShapeFile.h"
#include "themes/ThemeRecords.h"

#include <QRgb>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class TLegendHost;
class TSmuLookup;

// Colour of cells without data: white, fully transparent.
inline constexpr QRgb kNoDataColor = 0x00FFFFFF;
// Colour of cells of a hidden class: opaque white.
inline constexpr QRgb kHiddenClassColor = 0xFFFFFFFF;
// The class count a new legend model starts with.
inline constexpr int kDefaultClassCount = 10;

enum TClassMethod : std::uint8_t {
    cmEqualInterval = 0,
    cmQuantiles = 1,
    cmStandardized = 2,
    cmPredefined = 3,
    cmManual = 4,
};

class TQEVmanager {
public:
    // `host` (may be null) shows the method and ramp in the frame, reports progress and gives the
    // SMU lookup.
    explicit TQEVmanager(TLegendHost* host = nullptr);
    ~TQEVmanager();
    TQEVmanager(const TQEVmanager&) = delete;
    TQEVmanager& operator=(const TQEVmanager&) = delete;

    const TQEV_Layer* Theme = nullptr; // not owned
    double RangeMin = 0;
    double RangeMax = 0;
    long double Mean = 0;
    long double StdDev = 0;
    TViewGeometry View; // also holds RasterCols and RasterRows
    std::uint8_t Method = cmEqualInterval;
    int NumClasses = kDefaultClassCount;
    std::array<double, kMaxClasses> Breaks{};
    // Row n: the bounds of n classes (n up to kMaxClasses, so one row more than classes).
    std::array<std::array<double, kMaxClasses + 1>, kMaxClasses + 1> QuantileTable{};
    std::array<bool, kMaxClasses> Visible{};
    std::array<QRgb, kMaxClasses> ClassColors{}; // 0xAARRGGBB
    std::array<QString, kMaxClasses> ClassLabels;
    int Decimals = 0;
    bool RasterVisible = false;
    bool ThemeOpen = false;
    std::vector<std::unique_ptr<TESRIShapeFile>> ShapeLayers;
    std::unique_ptr<TRasterFile> Stream;

    int RasterCols() const { return View.RasterCols; }
    int RasterRows() const { return View.RasterRows; }

    // Opens the raster file at `path` (replacing one held), takes the grid size,
    // resets range, decimals and visibility and classifies with the theme's default method.
    // Raises TAMOError when the file cannot be opened.
    void OpenRaster(const QString& path, int columns, int rows);

    // Divides the values into classes by method m (0..4) and labels them. Quantiles and
    // Standardized first compute the statistics of the raster when they are not known yet.
    bool Classify(int method);

    // Digits after the decimal point for labels of classes about x wide.
    static int DecimalsFor(double x);

    // The colour of a 16-bit cell value; the single definition used by every drawing.
    QRgb CellColor(std::uint16_t value) const;

    // The colours of all 65,536 cell values, made opaque for the bitmap, the same as CellColor
    // gives. Rebuilt at the start of each drawing, as the legend or the selection may have changed
    // since. The WRB2 codes of the SMUs are looked up once per generation of the SMU index and
    // kept: the index is read once when the database is loaded and changes only when it is read
    // again or replaced.
    const std::vector<QRgb>& RebuildColorTable();
    // What the painter needs to draw the current view: the stream, the grid, the view and a
    // colour table made afresh.
    TPaintRequest PaintRequest();
    const std::vector<QRgb>& ColorTable() const { return m_colorTable; }

    // Recolours the classes from a colour ramp.
    void ApplyRamp(const TRampRecord& ramp);

    // The cell value at (col, row) of the open raster; 0 without a raster or outside the file.
    double ReadCellValue(double col, double row) const;

    // Statistics of the raster's values (computed on first use of Quantiles or Standardized).
    bool StatisticsKnown() const { return m_statisticsKnown; }
    void ComputeStatistics();

    const TSmuLookup* Lookup() const;

private:
    void EqualInterval(int n);
    void Quantiles(int n);
    void Standardized(int n, double factor);
    QString BoundText(double value) const;

    TLegendHost* m_host = nullptr;
    QRgb ClassColorOf(int code) const;

    bool m_statisticsKnown = false;
    std::vector<QRgb> m_colorTable;
    std::uint64_t m_codesGeneration = 0; // IndexGeneration of the lookup m_codes were read from
    std::vector<int> m_codes;
};
