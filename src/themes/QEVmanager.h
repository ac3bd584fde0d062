#pragma once
// The legend model of one map window: its theme, the classes its values fall in (bounds,
// colours, labels, visibility), its shape overlays, and the colour of every raster cell value.
// It keeps state; the classification arithmetic is in Classification.h. The window owns the view
// and the raster, and hears from the model through TLegendHost what changed.

#include "themes/ClassFields.h"
#include "themes/ClassStatistics.h"
#include "themes/ColorRampRecord.h"
#include "themes/ESRIShapeFile.h"
#include "themes/ThemeRecords.h"

#include <QRgb>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class TLegendHost;
class TSmuLookup;

// Colour of cells without data: white, fully transparent.
inline constexpr QRgb kNoDataColor = 0x00FFFFFF;
// Colour of cells of a hidden class: opaque white.
inline constexpr QRgb kHiddenClassColor = 0xFFFFFFFF;

class TQEVmanager {
public:
    // `host` (may be null) gives the SMU lookup, the selection colour and the cell histogram, and
    // hears of changes. `worldOverlay` is the shapefile of the first overlay (the world outline).
    TQEVmanager(TLegendHost* host, const QString& worldOverlay);
    ~TQEVmanager();
    TQEVmanager(const TQEVmanager&) = delete;
    TQEVmanager& operator=(const TQEVmanager&) = delete;

    const TQEV_Layer* Theme = nullptr; // not owned
    double RangeMin = 0;               // the value range Equal interval divides
    double RangeMax = 0;
    bool RasterVisible = false;
    bool ThemeOpen = false;
    std::vector<TESRIShapeFile> ShapeLayers; // the overlays, drawn in this order

    // The classes.
    const TClassFields& Classes() const { return m_classes; }
    // Takes the classes as edited elsewhere (the classification dialog), whole.
    void SetClasses(const TClassFields& classes);
    void SetNumClasses(int count);
    void SetClassVisible(int index, bool visible);
    void SetClassColor(int index, QRgb color);

    // A raster of the theme was opened: resets range, decimals, visibility and statistics and
    // classifies with the theme's default method. The class count stays.
    void OpenRaster();

    // Divides the values into classes by method m (0..4) and labels them. Quantiles and
    // Standardized first ask the host for the cell histogram when the statistics are not known.
    bool Classify(int method);

    // The colour of a 16-bit cell value.
    QRgb CellColor(std::uint16_t value) const;

    // The colours of all 65,536 cell values, made opaque for the bitmap, by the same rule as
    // CellColor. Made afresh for each drawing, as the legend or the selection may have changed
    // since. The WRB2 codes of the SMUs are looked up once per generation of the SMU index and
    // kept: the index is read once when the database is loaded and changes only when it is read
    // again or replaced.
    const std::vector<QRgb>& RebuildColorTable();
    const std::vector<QRgb>& ColorTable() const { return m_colorTable; }

    // Recolours the classes from a colour ramp.
    void ApplyRamp(const TRampRecord& ramp);

    // The distribution of the cells' codes (after the first Quantiles or Standardized); nothing
    // before. Tests may put statistics in place.
    const std::optional<TClassStatistics>& Statistics() const { return m_statistics; }
    void SetStatistics(const TClassStatistics& statistics) { m_statistics = statistics; }

    const TSmuLookup* Lookup() const;

private:
    void ComputeStatistics();
    void TakeBreaks(const TClassBreaks& breaks, int writtenBounds);
    void Predefined(const TQEV_Class& set);
    bool ZeroIsValue() const { return Theme && Theme->ZeroIsValue; }
    // The one colour rule, for a value whose code `codeOf` gives when it is needed.
    template <typename TCodeOf>
    QRgb ColorOf(std::uint16_t value, const TSmuLookup& lookup, QRgb selection, TCodeOf codeOf) const;
    QRgb ClassColorOf(int code) const;

    TLegendHost* m_host = nullptr;
    TClassFields m_classes;
    std::optional<TClassStatistics> m_statistics;
    std::vector<QRgb> m_colorTable;
    std::uint64_t m_codesGeneration = 0; // IndexGeneration of the lookup m_codes were read from
    std::vector<int> m_codes;
};
