#pragma once
// A soil property shown as a map: which property (its definition and attribute), the value of
// every soil mapping unit, and the theme record a map window opens for it: the soil raster of a
// catalogue theme under the property's caption.

#include "db/PropertyIndex.h"
#include "themes/ThemeRecords.h"

#include <QString>

class TPropertyMap {
public:
    // `soilTheme` gives the raster (its file, library and cell size); the theme record made from it
    // has the property's caption as its name and no units (the map's cells stay SMU ids).
    TPropertyMap(const TQEV_Layer& soilTheme, const TPropertyAttribute& attribute,
                 const TPropertyDefinition& definition, TPropertyIndex index);

    const TPropertyDefinition& Definition() const { return m_definition; }
    const TPropertyAttribute& Attribute() const { return m_attribute; }
    const TPropertyIndex& Index() const { return m_index; }
    // The record a map window opens. Its name may be changed (the classification dialog's title).
    TQEV_Layer& Theme() { return m_theme; }
    const TQEV_Layer& Theme() const { return m_theme; }

    // "pH in water, D1, share-weighted mean"
    QString Caption() const;
    // The property's unit ("-log(H+)"), empty for a number without one.
    const QString& Units() const { return m_attribute.Unit; }

    // NaN when the unit has no value.
    double ValueOf(int smuId) const { return m_index.ValueOf(smuId); }
    // The value as the readout shows it, with its unit: "6.2 -log(H+)", "N.A" for no value.
    QString ValueText(int smuId) const;

private:
    TPropertyDefinition m_definition;
    TPropertyAttribute m_attribute;
    TPropertyIndex m_index;
    TQEV_Layer m_theme;
};
