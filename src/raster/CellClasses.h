#pragma once
// How the cells of a map fall into legend classes: the class of every 16-bit cell value, and the
// classes' names and colours; for a map of a soil property also the value each cell value stands
// for. A snapshot made from a map's legend, so that statistics and exports can run on it off the
// user-interface thread while the legend changes.

#include "raster/RasterFile.h"

#include <QRgb>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

// The class of a cell value without data (no data, or a unit the legend cannot classify).
inline constexpr std::int16_t kNoClass = -1;

struct TCellClasses {
    QString Title;                     // what the map shows: a theme or a property
    std::vector<std::int16_t> ClassOf; // kCellValueCount entries; kNoClass for cells without data
    QStringList Names;                 // one per class
    std::vector<QRgb> Colors;          // one per class, 0xAARRGGBB
    // Empty, or kCellValueCount entries: the property value of each cell value (NaN without one).
    std::vector<float> Values;
    QString Units;

    int Count() const { return static_cast<int>(Names.size()); }
    // The class of a cell value; values beyond the table have none.
    int ClassOfValue(std::uint32_t value) const { return value < ClassOf.size() ? ClassOf[value] : kNoClass; }
    bool HasValues() const { return Values.size() == std::size_t(kCellValueCount); }
};
