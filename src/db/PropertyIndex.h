#pragma once
// The value of one soil property for every soil mapping unit, read once from the database so that
// colouring a raster cell needs no database access: a unit-level attribute as stored, or a layer
// attribute of one depth layer, combined over the unit's component soils.

#include "db/PropertyCatalogue.h"

#include <QString>
#include <cmath>
#include <limits>
#include <vector>

class TTAMO;

// How the components of a unit give one value.
enum class TPropertyCombination {
    Dominant,          // the value of the first component (SEQUENCE 1)
    ShareWeightedMean, // the mean over the components that have a value, weighted by their SHARE
};

// Which property a map shows. For a unit-level attribute the layer and the combination mean
// nothing.
struct TPropertyDefinition {
    TPropertyLevel Level = TPropertyLevel::Layer;
    QString Field;        // "PH_H2O"
    QString Layer = "D1"; // depth layer code
    TPropertyCombination Combination = TPropertyCombination::ShareWeightedMean;

    bool operator==(const TPropertyDefinition& other) const;
};

// "Dominant component" / "Share-weighted mean"
QString CombinationName(TPropertyCombination combination);
// The map's caption: "pH in water, D1, share-weighted mean", or the description alone for a
// unit-level attribute.
QString PropertyCaption(const TPropertyAttribute& attribute, const TPropertyDefinition& definition);

// The missing value of the numeric fields; it never enters a mean or a class.
inline constexpr double kMissingValue = -9;

class TPropertyIndex {
public:
    // The raster holds 16-bit SMU ids; units beyond them are never drawn and are not kept.
    static constexpr int kMaxSmuId = 65535;

    TPropertyIndex() = default;

    // Reads the property of every unit. Missing values (the missing value -9, NULL, a text that is
    // no number, a component without that layer) never enter a mean; a unit left without a value,
    // and a non-soil unit for a soil property, has no value. Raises TAMOError when the catalogue
    // has no such attribute or depth layer, and the database's errors as they come.
    static TPropertyIndex Build(const TTAMO& tamo, const TPropertyCatalogue& catalogue,
                                const TPropertyDefinition& definition);

    // NaN when the unit has no value.
    double ValueOf(int smuId) const {
        return smuId >= 0 && smuId < static_cast<int>(m_values.size())
                   ? m_values[std::size_t(smuId)]
                   : std::numeric_limits<double>::quiet_NaN();
    }
    static bool HasValue(double value) { return !std::isnan(value); }

    // Units with a value, and the smallest and largest value (NaN when there is none).
    int UnitsWithValue() const { return m_unitsWithValue; }
    double Minimum() const { return m_minimum; }
    double Maximum() const { return m_maximum; }

    // Indexed by SMU id: for a caller that looks up every id in turn (the colour table).
    const std::vector<double>& Values() const { return m_values; }

    // Sets one unit's value (NaN for none); the index grows as needed. For Build and for tests.
    void SetValue(int smuId, double value);
    // Counts the units with a value and finds the range once all values are set.
    void Finish();

private:
    std::vector<double> m_values;
    int m_unitsWithValue = 0;
    double m_minimum = std::numeric_limits<double>::quiet_NaN();
    double m_maximum = std::numeric_limits<double>::quiet_NaN();
};
