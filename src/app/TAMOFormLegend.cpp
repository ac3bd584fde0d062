// The frame's legend commands, classification controls and colour-ramp box: they show and act on
// the active map window's legend.

#include "app/FrameCommands.h"
#include "app/TAMOForm.h"
#include "classify/ColorRamp.h"
#include "db/TAMO.h"
#include "map/MapExplorerForm.h"
#include "settings/Preferences.h"

#include <QAction>
#include <QComboBox>
#include <QSpinBox>

void TTAMOForm::ConnectLegendCommands() {
    m_commands->OnTriggered("aDataClassification", [this] { aDataClassificationExecute(); });
    const std::pair<const char*, void (TMapExplorerForm::*)()> operations[] = {
        {"aLegendAll", &TMapExplorerForm::SelectAllClasses},
        {"aLegendNone", &TMapExplorerForm::SelectNoClasses},
        {"aLegendSwitch", &TMapExplorerForm::InvertClassSelection},
    };
    for (const auto& [name, operation] : operations)
        m_commands->OnTriggered(name, [this, operation] {
            if (TMapExplorerForm* map = ActiveMap())
                (map->*operation)();
        });
}

void TTAMOForm::aDataClassificationExecute() {
    if (TMapExplorerForm* map = ActiveMap())
        map->ShowClassification();
}

void TTAMOForm::SetClassificationControls(int methodIndex, int classCount) {
    m_classificationBox->setCurrentIndex(methodIndex);
    m_classCountBox->setValue(classCount);
}

void TTAMOForm::SetColorRampIndex(int index) {
    const QSignalBlocker blocker(m_colorRampBox);
    m_colorRampBox->setCurrentIndex(index);
}

void TTAMOForm::cmbColorRampChange(int index) {
    if (m_openingTheme || MapWindowCount() == 0 || index < 0)
        return;
    if (TMapExplorerForm* map = ActiveMap())
        map->ApplyColourRamp(ColorRamp(index));
}

TRampRecord TTAMOForm::ColorRamp(int index) const {
    return ToRampRecord(ColorRamps().at(index));
}

const TSmuLookup* TTAMOForm::SmuLookup() const {
    return m_database.get();
}

QRgb TTAMOForm::SelectionColor() const {
    return static_cast<QRgb>(Preferences().SELECT_COLOR);
}
