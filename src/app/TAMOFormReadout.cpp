// The frame's status bar and data-point readout: hints and progress texts in the first panel,
// and where the pointer is and what lies there.

#include "app/DataPointText.h"
#include "app/TAMOForm.h"
#include "db/TAMO.h"
#include "map/MapExplorerForm.h"
#include "themes/PropertyMap.h"

#include <QDockWidget>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <algorithm>

void TTAMOForm::ShowStatusText(const QString& text) {
    m_statusText = text;
    ShowFirstPanel();
    // Shown before long work that processes no events: paint it now.
    m_statusPanels[0]->repaint();
}

void TTAMOForm::ShowHint(const QString& hint) {
    m_hintText = hint;
    ShowFirstPanel();
}

void TTAMOForm::ShowFirstPanel() {
    m_statusPanels[0]->setText(m_hintText.isEmpty() ? m_statusText : m_hintText);
}

void TTAMOForm::ShowDataPoint(int column, int row, double longitude, double latitude) {
    const QString longitudeText = LongitudeText(longitude);
    const QString latitudeText = LatitudeText(latitude);
    m_statusPanels[1]->setText("Image Pixel: " + QString::number(column) + "," + QString::number(row));
    m_statusPanels[2]->setText("Image Coords: " + longitudeText + ", " + latitudeText);
    TMapExplorerForm* map = ActiveMap();
    const auto valueText = [&] { return map ? map->CellValueText(column, row) : QString("-"); };
    m_statusPanels[3]->setText("Image Value: " + valueText());
    if (!m_dataPointWindow->isVisible())
        return;

    // A property map adds the property's value of the unit.
    const QString propertyText = map ? map->PropertyValueText(column, row) : QString();
    m_dataPointGrid->setRowCount(propertyText.isEmpty() ? 5 : 6);
    const auto write = [this](int gridRow, const QString& label, const QString& value) {
        // Tool tips hold the texts a narrow window cuts.
        auto* labelItem = new QTableWidgetItem(label);
        labelItem->setToolTip(label);
        auto* valueItem = new QTableWidgetItem(value);
        valueItem->setToolTip(value);
        m_dataPointGrid->setItem(gridRow, 0, labelItem);
        m_dataPointGrid->setItem(gridRow, 1, valueItem);
    };
    write(1, "Longitude", longitudeText);
    write(2, "Latitude", latitudeText);
    const QString smuText = valueText().trimmed();
    write(3, "Soil Mapping Unit", smuText);
    write(4, "Dominant Soil Unit (WRB2022)", DominantSoilText(smuText));
    if (!propertyText.isEmpty())
        write(5, map->PropertyMap()->Attribute().Description, propertyText);
}

void TTAMOForm::ClearDataPoint() {
    for (int panel = 1; panel <= 3; ++panel)
        m_statusPanels[panel]->clear();
    for (int row = 1; row < m_dataPointGrid->rowCount(); ++row)
        if (QTableWidgetItem* value = m_dataPointGrid->item(row, 1)) {
            value->setText({});
            value->setToolTip({});
        }
}

namespace {
// The longest label of the grid; the label column is 150 pixels, or as wide as this label needs.
constexpr char kLongestLabel[] = "Dominant Soil Unit (WRB2022)";
constexpr int kDesignLabelColumn = 150;
constexpr QSize kDataPointDesignSize(249, 225);
constexpr int kDesignRowHeight = 18;
} // namespace

void TTAMOForm::SizeDataPointGrid() {
    const QFontMetrics metrics(m_dataPointGrid->font());
    const int labelColumn = std::max(kDesignLabelColumn, metrics.horizontalAdvance(kLongestLabel) +
                                                             2 * metrics.averageCharWidth());
    m_dataPointGrid->verticalHeader()->setDefaultSectionSize(
        std::max(kDesignRowHeight, metrics.height() + 4));
    m_dataPointGrid->setColumnWidth(0, labelColumn);
    m_dataPointGrid->setColumnWidth(1, std::max(0, m_dataPointWindow->width() - labelColumn - 5));
    // Never narrower than 249 pixels: a soil name has as much room as the longest label.
    m_dataPointWindow->setMinimumWidth(std::max(kDataPointDesignSize.width(), 2 * labelColumn + 5));
}

// 249 x 225 pixels, grown where the platform's font needs more: room for the labels and for a
// value as long as the longest label (soil names are about as long).
QSize TTAMOForm::DataPointDesignSize() const {
    const QFontMetrics metrics(m_dataPointGrid->font());
    const int labelColumn = m_dataPointGrid->columnWidth(0);
    const double taller = std::max(1.0, (metrics.height() + 4.0) / kDesignRowHeight);
    return {std::max(kDataPointDesignSize.width(), 2 * labelColumn + 5),
            int(kDataPointDesignSize.height() * taller)};
}

// The decoded dominant soil of the unit in the readout text, "-" when there is none. A theme unit
// after the number is ignored; an id the index does not hold has no soil.
QString TTAMOForm::DominantSoilText(const QString& smuText) const {
    if (smuText.isEmpty() || smuText == "0" || !m_database)
        return "-";
    bool ok = false;
    const int smuId = smuText.section(' ', 0, 0).toInt(&ok);
    if (!ok)
        return "-";
    const int code = m_database->WrbCodeOf(smuId);
    if (code == TSmuLookup::kNoWrbCode)
        return "-";
    return TTAMO::DecodeDomain(m_database->SmuMeta().DomainLists[9].get(), QString::number(code));
}
