#pragma once
// The dialog "Property Map": chooses the soil property a new map window shows (a unit-level
// attribute, or a layer attribute with its depth layer and how the components combine) and how
// its values are classified (method, class count, colour ramp).

#include "db/PropertyIndex.h"

#include <QDialog>
#include <cstdint>

class QComboBox;
class QDialogButtonBox;
class QLineEdit;
class QSpinBox;
class QTreeWidget;
class QTreeWidgetItem;
class TColorRampCombo;

// The methods a property map offers, in the order of the method list (no pre-defined classes:
// the catalogue has none for properties).
enum class TPropertyMethod : std::uint8_t { EqualInterval, Quantiles, Standardized, Manual };

// What the dialog's OK hands to the frame.
// A first map shows the topsoil pH in classes of equal area, which suit the skewed distributions of
// most soil properties.
struct TPropertyMapRequest {
    TPropertyDefinition Definition{TPropertyLevel::Layer, "PH_H2O"};
    TPropertyMethod Method = TPropertyMethod::Quantiles;
    int ClassCount = 8;
    int RampIndex = 3;
};

// The green-yellow-red gradient: the frame's sequential ramp, so the default for values.
inline constexpr int kSequentialRamp = 3;

class TPropertyMapForm : public QDialog {
    Q_OBJECT
public:
    // Lists the catalogue's attributes and depth layers; `initial` chooses the attribute, layer
    // and classification shown first (the first layer attribute when the catalogue lacks its own).
    TPropertyMapForm(const TPropertyCatalogue& catalogue, const TPropertyMapRequest& initial,
                     QWidget* parent = nullptr);

    // The choice made; meaningful once an attribute is chosen (OK is enabled only then).
    TPropertyMapRequest Request() const;
    // The attribute chosen in the list, null while none (or a group heading) is.
    const TPropertyAttribute* ChosenAttribute() const;

    // Shows the attributes whose title or field name holds the text (ignoring case).
    void ApplyFilter(const QString& text);

    QLineEdit* edtFilter = nullptr;
    QTreeWidget* lstAttributes = nullptr;
    QComboBox* cmbLayer = nullptr;
    QComboBox* cmbCombination = nullptr;
    QComboBox* cmbMethod = nullptr;
    QSpinBox* spnClasses = nullptr;
    TColorRampCombo* cmbColorRamp = nullptr;
    QDialogButtonBox* btnBox = nullptr;

private:
    void ChoiceChanged();
    void Select(const TPropertyAttribute* attribute);

    const TPropertyCatalogue& m_catalogue;
};

// The names of the method list: "Equal interval", "Quantiles", "Standardized", "Manual".
QString PropertyMethodName(TPropertyMethod method);
