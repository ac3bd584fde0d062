// The frame's legend commands, classification controls and colour-ramp box: they show and act on
// the active map window's legend.

#include "app/FrameCommands.h"
#include "app/TAMOForm.h"
#include "classify/ColorRamp.h"
#include "common/Guarded.h"
#include "db/TAMO.h"
#include "map/MapExplorerForm.h"
#include "settings/Preferences.h"
#include "themes/Classification.h"

#include <QAction>
#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSignalBlocker>
#include <QSpinBox>

void TTAMOForm::ConnectLegendCommands() {
    m_commands->OnTriggered("aDataClassification", [this] { aDataClassificationExecute(); });
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this,
            [this] { Guarded([this] { ShowActiveMapClassification(); }, this); });
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
    const QSignalBlocker quietMethod(m_classificationBox);
    const QSignalBlocker quietCount(m_classCountBox);
    m_classificationBox->setCurrentIndex(methodIndex);
    m_classCountBox->setValue(classCount);
}

void TTAMOForm::ShowActiveMapClassification() {
    TMapExplorerForm* map = ActiveMap();
    if (!map)
        return;
    const TClassFields& classes = map->Manager().Classes();
    SetClassificationControls(classes.Method, classes.Count());
    SetColorRampIndex(map->RampIndex);
}

void TTAMOForm::cmbClassificChange(int method) {
    if (TMapExplorerForm* map = ActiveMap())
        map->Reclassify(method, m_classCountBox->value());
}

// A new count has no bounds of its own to keep: a manual or pre-defined legend is divided into
// equal intervals, as the classification dialog's Equal interval would.
void TTAMOForm::spnClassesChange(int classCount) {
    TMapExplorerForm* map = ActiveMap();
    if (!map)
        return;
    int method = map->Manager().Classes().Method;
    if (method == cmManual || method == cmPredefined)
        method = cmEqualInterval;
    map->Reclassify(method, classCount);
}

void TTAMOForm::SetColorRampIndex(int index) {
    const QSignalBlocker blocker(m_colorRampBox);
    m_colorRampBox->setCurrentIndex(index);
}

void TTAMOForm::cmbColorRampChange(int index) {
    if (m_openingTheme || MapWindowCount() == 0 || index < 0)
        return;
    if (TMapExplorerForm* map = ActiveMap()) {
        map->RampIndex = index;
        map->ApplyColourRamp(ColorRamp(index));
    }
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
