#pragma once
// The soil properties a map can show: the numeric attributes of the SMU table (one value per unit)
// and of the layer table (one value per component and depth layer), each with its description
// and unit from the metadata tables; the depth layers with their depth ranges; and the units
// that are no soil (glaciers, water, rock, salt flats).

#include <QString>
#include <vector>

class TTAMO;

enum class TPropertyLevel { Unit, Layer };

struct TPropertyAttribute {
    TPropertyLevel Level = TPropertyLevel::Layer;
    // The SMU column or layer attribute number, as the metadata tables count them.
    int Position = 0;
    QString Field;       // "PH_H2O"
    QString Description; // "pH in water"
    QString Unit;        // "-log(H+)", empty for a number without unit
    // Whether it describes soil, so that a non-soil unit has no value for it. Of the unit-level
    // attributes, the unit's area, elevation and number of components do not.
    bool SoilProperty = true;

    // "pH in water (-log(H+))"; the description alone without a unit.
    QString Title() const;
};

struct TDepthLayer {
    QString Code;  // "D1", as the layer table's LAYER field holds it
    QString Range; // "0-20 cm", empty when the database gives none

    // "D1 0-20 cm"
    QString Title() const;
};

class TPropertyCatalogue {
public:
    // Reads the attributes from the metadata that `tamo` holds and the field types of the two
    // tables; the depth layers from the domain of the LAYER attribute (or, without one, from the
    // layer codes stored); the non-soil units from the SMU table's ISSOIL field when it has one.
    explicit TPropertyCatalogue(const TTAMO& tamo);
    // An empty catalogue, or one made of given parts (tests).
    TPropertyCatalogue() = default;
    TPropertyCatalogue(std::vector<TPropertyAttribute> attributes, std::vector<TDepthLayer> layers,
                       std::vector<int> nonSoilUnits);

    // Unit-level attributes first, then layer-level ones, each in metadata order.
    const std::vector<TPropertyAttribute>& Attributes() const { return m_attributes; }
    const std::vector<TDepthLayer>& DepthLayers() const { return m_layers; }
    // Sorted ascending.
    const std::vector<int>& NonSoilUnits() const { return m_nonSoilUnits; }
    bool IsNonSoil(int smuId) const;

    // Null when the catalogue has no such attribute (the field name compared without regard to
    // case) or no such depth layer.
    const TPropertyAttribute* FindAttribute(TPropertyLevel level, const QString& field) const;
    const TDepthLayer* FindDepthLayer(const QString& code) const;

private:
    std::vector<TPropertyAttribute> m_attributes;
    std::vector<TDepthLayer> m_layers;
    std::vector<int> m_nonSoilUnits;
};
