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
class TPropertyMap;
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
    // Set for a property map: its cells are classified by the property's value of their SMU
    // rather than by the WRB2 code of its dominant soil. Theme is then its theme record.
    std::shared_ptr<const TPropertyMap> Property;
    double RangeMin = 0; // the value range Equal interval divides
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

    // The value a cell value (an SMU id) is classified by: the WRB2 code of its dominant soil, or
    // the property of a property map; NaN for no data.
    double ValueOf(std::uint16_t value) const;
    // The class a value falls in (the first whose upper bound it does not exceed, the last above
    // every bound); -1 for NaN or without classes.
    int ClassOf(double value) const;
    // The units of the classified values: the property's, else the theme's.
    QString Units() const;

    // The colours of all 65,536 cell values, made opaque for the bitmap, by the same rule as
    // CellColor. Made afresh for each drawing, as the legend or the selection may have changed
    // since. The values of the SMUs are looked up once per generation of the SMU index (and per
    // property) and kept: the index is read once when the database is loaded and changes only
    // when it is read again or replaced.
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
    void LabelClasses();
    bool ZeroIsValue() const { return Theme && Theme->ZeroIsValue; }
    // The one colour rule, for a cell whose class colour `classColorOf` gives when it is needed.
    template <typename TClassColorOf>
    QRgb ColorOf(std::uint16_t value, const TSmuLookup& lookup, QRgb selection,
                 TClassColorOf classColorOf) const;
    QRgb ClassColorOf(double value) const;
    double ValueOf(std::uint16_t value, const TSmuLookup& lookup) const;

    TLegendHost* m_host = nullptr;
    TClassFields m_classes;
    std::optional<TClassStatistics> m_statistics;
    std::vector<QRgb> m_colorTable;
    // The values of the 65,536 cell values, read from the lookup of generation m_valuesGeneration
    // and from m_valuesProperty.
    std::uint64_t m_valuesGeneration = 0;
    std::shared_ptr<const TPropertyMap> m_valuesProperty;
    std::vector<double> m_values;
};
