// The frame's side of the map windows: creating them, routing commands to the active one,
// arranging them, and the pointer readout they feed.

#include "app/DataPointText.h"
#include "app/TAMOForm.h"
#include "app/ThemeTreeImages.h"
#include "classify/ColorRamp.h"
#include "common/Dialogs.h"
#include "common/TAMOError.h"
#include "db/DataAccess.h"
#include "db/PrepareDatabase.h"
#include "db/TAMO.h"
#include "map/MapExplorerForm.h"
#include "settings/Preferences.h"
#include "themes/QEVLibraryManager.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScopedValueRollback>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QTreeView>
#include <algorithm>

void TTAMOForm::LoadDatabase() {
    PrepareAttributeDatabase(this);
    m_library = std::make_unique<TQEVLibraryManager>(ProgramState().ConnectionString);
    if (!m_themeTree)
        m_themeTree = new QStandardItemModel(this);
    m_library->FillTree(*m_themeTree);
    DecorateThemeTree(*m_themeTree);
    TreeView->setModel(m_themeTree);
    if (m_themeTree->rowCount() > 0)
        TreeView->collapse(m_themeTree->index(0, 0));
    m_database = std::make_unique<TTAMO>(ProgramState().ConnectionString);
    m_database->BuildWrbIndex();
}

QList<TMapExplorerForm*> TTAMOForm::MapWindows() const {
    QList<TMapExplorerForm*> maps;
    for (QMdiSubWindow* window : MdiArea->subWindowList())
        if (auto* map = qobject_cast<TMapExplorerForm*>(window->widget()))
            maps << map;
    return maps;
}

int TTAMOForm::MapWindowCount() const {
    return int(MdiArea->subWindowList().size());
}

TMapExplorerForm* TTAMOForm::ActiveMap() const {
    QMdiSubWindow* active = MdiArea->activeSubWindow();
    if (!active && !MdiArea->subWindowList().isEmpty())
        active = MdiArea->currentSubWindow();
    return active ? qobject_cast<TMapExplorerForm*>(active->widget()) : nullptr;
}

void TTAMOForm::UpdateCommandStates() {
    const bool maps = MapWindowCount() > 0;
    TBToolQEVData->hide();
    for (QAction* action : m_mapCommands)
        action->setEnabled(maps);
    for (QWidget* control : std::initializer_list<QWidget*>{cmbClassific, spnClasses, cmbColorRamp})
        control->setEnabled(maps);
}

TMapExplorerForm* TTAMOForm::CreateMapWindow() {
    auto* map = new TMapExplorerForm(*this);
    QMdiSubWindow* sub = MdiArea->addSubWindow(map);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(windowIcon());
    // However a window goes (its close box, Close All, a drawing that had to end first), the
    // commands follow once it is gone, and the readout forgets it.
    connect(
        sub, &QObject::destroyed, this,
        [this] {
            UpdateCommandStates();
            if (MapWindowCount() == 0)
                ClearDataPoint();
        },
        Qt::QueuedConnection);
    return map;
}

void TTAMOForm::OpenFirstMapWindow() {
    if (!m_library)
        return;
    const TQEV_Layer* theme = m_library->FirstTheme();
    // A catalogue without themes leaves nothing to show: say so rather than show nothing.
    if (!theme)
        throw TAMOError(QString("The attribute database \"%1\" holds no map themes, so there is no map "
                                "to show.")
                            .arg(QDir::toNativeSeparators(DatabasePathOf(ProgramState().ConnectionString))));
    OpenThemeInNewWindow(*theme);
}

void TTAMOForm::OpenThemeInNewWindow(const TQEV_Layer& theme) {
    // A window whose theme cannot be opened (its raster is missing) is not left empty.
    TMapExplorerForm* map = CreateMapWindow();
    QMdiSubWindow* sub = qobject_cast<QMdiSubWindow*>(map->parentWidget());
    sub->showMaximized();
    bool opened = false;
    try {
        opened = map->OpenTheme(&theme, 0, kWorldCols, 0, kWorldRows);
    } catch (...) {
        sub->close();
        throw;
    }
    if (!opened)
        sub->close();
}

void TTAMOForm::OpenSelectedTheme() {
    if (!m_library)
        return;
    const TQEV_Layer* theme = nullptr;
    if (!m_library->SelectedTheme(TreeView->currentIndex(), theme))
        return;
    const QScopedValueRollback busy(m_openingTheme, true);
    if (MapWindowCount() == 0 || Preferences().NewWindow) {
        OpenThemeInNewWindow(*theme);
    } else if (TMapExplorerForm* map = ActiveMap()) {
        map->RecreateManager();
        map->OpenTheme(theme, 0, kWorldCols, 0, kWorldRows);
    }
    UpdateCommandStates();
    if (StringGrid->item(1, 0) && !StringGrid->item(1, 0)->text().isEmpty())
        StringGrid->setRowCount(StringGrid->rowCount() + 1);
    if (TMapExplorerForm* map = ActiveMap())
        StringGrid->setItem(StringGrid->rowCount() - 1, 0, new QTableWidgetItem(map->windowTitle()));
}

void TTAMOForm::aFileCloseAllExecute() {
    const QList<QMdiSubWindow*> windows = MdiArea->subWindowList();
    // A window that is drawing closes when its drawing has stopped: the command states follow
    // once it is gone (CreateMapWindow).
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        (*it)->close();
    UpdateCommandStates();
}

void TTAMOForm::SetToolOnActiveMap(TMapTool tool) {
    if (TMapExplorerForm* map = ActiveMap())
        map->SetTool(tool);
}

void TTAMOForm::ResetMapTools() {
    for (TMapExplorerForm* map : MapWindows())
        map->ResetTool();
}

void TTAMOForm::RedrawActiveMap() {
    if (TMapExplorerForm* map = ActiveMap())
        map->Redraw();
}

void TTAMOForm::SynchronizeViews(TMapExplorerForm& source) {
    const TViewRect view = source.GetView();
    const QList<TMapExplorerForm*> maps = MapWindows();
    for (auto it = maps.rbegin(); it != maps.rend(); ++it)
        if (*it != &source)
            (*it)->SetViewAndDraw(view.Col0, view.Col1, view.Row0, view.Row1);
}

QList<QMdiSubWindow*> TTAMOForm::ArrangedSubWindows() const {
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : MdiArea->subWindowList())
        if (!window->isMinimized() && window->isVisible())
            windows << window;
    return windows;
}

// Vertical tiling puts the windows side by side, horizontal tiling one above the other.
void TTAMOForm::TileSubWindows(Qt::Orientation orientation) {
    const QList<QMdiSubWindow*> windows = ArrangedSubWindows();
    if (windows.isEmpty())
        return;
    const QRect area = MdiArea->viewport()->rect();
    const int count = int(windows.size());
    for (int i = 0; i < count; ++i) {
        windows[i]->showNormal();
        if (orientation == Qt::Horizontal) {
            const int left = area.width() * i / count;
            windows[i]->setGeometry(left, 0, area.width() * (i + 1) / count - left, area.height());
        } else {
            const int top = area.height() * i / count;
            windows[i]->setGeometry(0, top, area.width(), area.height() * (i + 1) / count - top);
        }
    }
}

void TTAMOForm::ArrangeIcons() {
    int left = 0;
    for (QMdiSubWindow* window : MdiArea->subWindowList()) {
        if (!window->isMinimized())
            continue;
        window->move(left, MdiArea->viewport()->height() - window->height());
        left += window->width();
    }
}

void TTAMOForm::ShowDataPoint(int column, int row, double longitude, double latitude) {
    const QString longitudeText = LongitudeText(longitude);
    const QString latitudeText = LatitudeText(latitude);
    StatusPanels[1]->setText("Image Pixel: " + QString::number(column) + "," + QString::number(row));
    StatusPanels[2]->setText("Image Coords: " + longitudeText + ", " + latitudeText);
    TMapExplorerForm* map = ActiveMap();
    const auto valueText = [&] { return map ? map->CellValueText(column, row) : QString("-"); };
    StatusPanels[3]->setText("Image Value: " + valueText());
    if (!TBToolDataPoint->isVisible())
        return;

    StringGrid->setRowCount(5);
    const auto write = [this](int gridRow, const QString& label, const QString& value) {
        // Tool tips hold the texts a narrow window cuts.
        auto* labelItem = new QTableWidgetItem(label);
        labelItem->setToolTip(label);
        auto* valueItem = new QTableWidgetItem(value);
        valueItem->setToolTip(value);
        StringGrid->setItem(gridRow, 0, labelItem);
        StringGrid->setItem(gridRow, 1, valueItem);
    };
    write(1, "Longitude", longitudeText);
    write(2, "Latitude", latitudeText);
    const QString smuText = valueText().trimmed();
    write(3, "Soil Mapping Unit", smuText);
    write(4, "Dominant Soil Unit (WRB2022)", DominantSoilText(smuText));
}

void TTAMOForm::ClearDataPoint() {
    for (int panel = 1; panel <= 3; ++panel)
        StatusPanels[panel]->clear();
    for (int row = 1; row < StringGrid->rowCount(); ++row)
        if (QTableWidgetItem* value = StringGrid->item(row, 1)) {
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
    const QFontMetrics metrics(StringGrid->font());
    const int labelColumn = std::max(kDesignLabelColumn, metrics.horizontalAdvance(kLongestLabel) +
                                                             2 * metrics.averageCharWidth());
    StringGrid->verticalHeader()->setDefaultSectionSize(std::max(kDesignRowHeight, metrics.height() + 4));
    StringGrid->setColumnWidth(0, labelColumn);
    StringGrid->setColumnWidth(1, std::max(0, TBToolDataPoint->width() - labelColumn - 5));
    // Never narrower than 249 pixels: a soil name has as much room as the longest label.
    TBToolDataPoint->setMinimumWidth(std::max(kDataPointDesignSize.width(), 2 * labelColumn + 5));
}

// 249 x 225 pixels, grown where the platform's font needs more: room for the labels and for a
// value as long as the longest label (soil names are about as long).
QSize TTAMOForm::DataPointDesignSize() const {
    const QFontMetrics metrics(StringGrid->font());
    const int labelColumn = StringGrid->columnWidth(0);
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

TRampRecord TTAMOForm::ColorRamp(int index) const {
    return ToRampRecord(ColorRamps().at(index));
}

const TSmuLookup* TTAMOForm::SmuLookup() const {
    return m_database.get();
}
