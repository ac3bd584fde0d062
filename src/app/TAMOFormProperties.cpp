// The frame's side of the property maps: the "Property Map..." command, the property's value
// index read for a new map, the property maps listed in the theme tree while they are open, and
// the open map windows kept from one run to the next.

#include "app/FrameCommands.h"
#include "app/TAMOForm.h"
#include "app/ThemeTreeImages.h"
#include "classify/PropertyMapForm.h"
#include "common/Dialogs.h"
#include "common/TAMOError.h"
#include "db/PropertyCatalogue.h"
#include "db/TAMO.h"
#include "map/MapExplorerForm.h"
#include "map/MapSession.h"
#include "themes/PropertyMap.h"
#include "themes/QEVLibraryManager.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStandardItemModel>
#include <QTreeView>

namespace {

// The theme tree's node of the open property maps, and the window each of its children stands for.
const QString kPropertyMapsNode = "Property Maps";
constexpr int kPropertyWindowRole = Qt::UserRole + 10;

// The wait cursor while the database is read.
class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

QStandardItem* PropertyMapsNode(QStandardItemModel& model) {
    for (int row = 0; row < model.rowCount(); ++row)
        if (model.item(row)->data(kPropertyWindowRole).toString() == kPropertyMapsNode)
            return model.item(row);
    return nullptr;
}

} // namespace

void TTAMOForm::ConnectPropertyCommands() {
    m_commands->OnTriggered("aDataPropertyMap", [this] { aDataPropertyMapExecute(); });
}

const TPropertyCatalogue& TTAMOForm::PropertyCatalogue() {
    if (!m_database)
        throw TAMOError("The attribute database is not loaded yet.");
    if (!m_propertyCatalogue) {
        TWaitCursor wait;
        m_propertyCatalogue = std::make_unique<TPropertyCatalogue>(*m_database);
    }
    return *m_propertyCatalogue;
}

void TTAMOForm::aDataPropertyMapExecute() {
    if (!m_database || !m_library)
        return;
    ResetMapTools();
    const TPropertyCatalogue& catalogue = PropertyCatalogue();
    if (catalogue.Attributes().empty()) {
        Dialogs::ShowMessage(this, "The attribute database holds no numeric soil properties to map.");
        return;
    }
    if (!m_propertyRequest)
        m_propertyRequest = std::make_unique<TPropertyMapRequest>();
    {
        // Gone before the map opens: a closing dialog gives the focus back to the window that had it.
        TPropertyMapForm form(catalogue, *m_propertyRequest, this);
        if (Dialogs::Exec(form) != QDialog::Accepted || !form.ChosenAttribute())
            return;
        *m_propertyRequest = form.Request();
    }
    OpenPropertyMap(*m_propertyRequest);
}

std::shared_ptr<TPropertyMap> TTAMOForm::MakePropertyMap(const TPropertyDefinition& definition) {
    const TPropertyCatalogue& catalogue = PropertyCatalogue();
    const TPropertyAttribute* attribute = catalogue.FindAttribute(definition.Level, definition.Field);
    const TQEV_Layer* soilTheme = m_library ? m_library->FirstTheme() : nullptr;
    if (!attribute || !soilTheme)
        return nullptr;
    TWaitCursor wait;
    ShowStatusText("Reading the soil property ...");
    try {
        auto property = std::make_shared<TPropertyMap>(
            *soilTheme, *attribute, definition, TPropertyIndex::Build(*m_database, catalogue, definition));
        ShowStatusText({});
        return property;
    } catch (...) {
        ShowStatusText({});
        throw;
    }
}

TMapExplorerForm* TTAMOForm::OpenPropertyMap(const TPropertyMapRequest& request) {
    std::shared_ptr<TPropertyMap> property = MakePropertyMap(request.Definition);
    if (!property)
        throw TAMOError(
            QString("The attribute database has no soil property \"%1\".").arg(request.Definition.Field));
    const int method = request.Method == TPropertyMethod::Quantiles      ? cmQuantiles
                       : request.Method == TPropertyMethod::Standardized ? cmStandardized
                       : request.Method == TPropertyMethod::Manual       ? cmManual
                                                                         : cmEqualInterval;
    TMapExplorerForm* map = CreateMapWindow();
    auto* sub = qobject_cast<QMdiSubWindow*>(map->parentWidget());
    sub->showMaximized();
    ActivateMapWindow(*map);
    if (!OpenOrClose(*sub, [&] {
            return map->OpenProperty(property, method, request.ClassCount, ColorRamp(request.RampIndex));
        }))
        return nullptr;
    map->RampIndex = request.RampIndex;
    SetColorRampIndex(request.RampIndex);
    UpdateCommandStates();
    // Bounds of one's own start from equal intervals in the classification dialog.
    if (method == cmManual)
        map->ShowClassification();
    return map;
}

void TTAMOForm::UpdatePropertyMapNode() {
    if (!m_themeModel)
        return;
    QList<QPair<QString, QMdiSubWindow*>> open;
    for (TMapExplorerForm* map : MapWindows())
        if (map->PropertyMap())
            open << qMakePair(map->windowTitle(), qobject_cast<QMdiSubWindow*>(map->parentWidget()));
    QStandardItem* node = PropertyMapsNode(*m_themeModel);
    // Unchanged: the tree, its selection and its expansion stay as they are.
    if (node && node->rowCount() == open.size()) {
        bool same = true;
        for (int i = 0; i < open.size() && same; ++i)
            same = node->child(i)->text() == open[i].first &&
                   node->child(i)->data(kPropertyWindowRole).value<QObject*>() == open[i].second;
        if (same)
            return;
    }
    if (node)
        m_themeModel->removeRow(node->row());
    if (open.isEmpty())
        return;
    node = new QStandardItem(kPropertyMapsNode);
    node->setEditable(false);
    node->setData(kPropertyMapsNode, kPropertyWindowRole);
    node->setIcon(QIcon(QPixmap::fromImage(ThemeTreeImages()[ClosedFolder])));
    const QIcon mapIcon(QPixmap::fromImage(ThemeTreeImages()[MapDocument]));
    for (const auto& [caption, window] : open) {
        auto* item = new QStandardItem(caption);
        item->setEditable(false);
        item->setToolTip(caption);
        item->setIcon(mapIcon);
        item->setData(QVariant::fromValue<QObject*>(window), kPropertyWindowRole);
        node->appendRow(item);
    }
    m_themeModel->appendRow(node);
    m_themeTree->expand(node->index());
}

bool TTAMOForm::ActivateSelectedPropertyMap() {
    const QModelIndex selected = m_themeTree->currentIndex();
    auto* window = qobject_cast<QMdiSubWindow*>(selected.data(kPropertyWindowRole).value<QObject*>());
    if (!window)
        return selected.data(kPropertyWindowRole).toString() == kPropertyMapsNode;
    if (m_mdiArea->subWindowList().contains(window)) {
        m_mdiArea->setActiveSubWindow(window);
        window->raise();
    }
    return true;
}

// ---- The open map windows from one run to the next ------------------------------------------

void TTAMOForm::SaveMapWindows() {
    // Before the database was loaded no map was shown; what the last run kept stays.
    if (!m_database || !m_library)
        return;
    TMapSession session;
    const QList<QMdiSubWindow*> windows = m_mdiArea->subWindowList();
    const auto& themes = m_library->Themes();
    for (QMdiSubWindow* window : windows) {
        auto* map = qobject_cast<TMapExplorerForm*>(window->widget());
        if (!map || !map->Manager().ThemeOpen || !map->Manager().Theme)
            continue;
        TStoredMap stored;
        const TQEVmanager& legend = map->Manager();
        if (const TPropertyMap* property = map->PropertyMap()) {
            stored.Kind = TStoredMap::TKind::Property;
            stored.Property = property->Definition();
        } else {
            const auto it = std::find_if(themes.begin(), themes.end(), [&legend](const auto& theme) {
                return theme.get() == legend.Theme;
            });
            if (it == themes.end())
                continue;
            stored.ThemeIndex = static_cast<int>(it - themes.begin());
            stored.ThemeName = legend.Theme->LayerName;
        }
        stored.Caption = map->windowTitle();
        stored.Classes = legend.Classes();
        stored.RasterVisible = legend.RasterVisible;
        stored.Overlays = legend.ShapeLayers;
        stored.View = map->GetView();
        stored.Maximized = window->isMaximized();
        stored.Geometry =
            window->isMaximized() || window->isMinimized() ? window->normalGeometry() : window->geometry();
        if (window == m_mdiArea->activeSubWindow())
            session.Active = static_cast<int>(session.Maps.size());
        session.Maps.push_back(std::move(stored));
    }
    SaveMapSession(session, TSettingsStore::Global());
}

bool TTAMOForm::RestoreMapWindows() {
    const TMapSession session = LoadMapSession(TSettingsStore::Global());
    if (session.Maps.empty() || !m_library || !m_database)
        return false;
    QStringList skipped;
    TMapExplorerForm* active = nullptr;
    for (int i = 0; i < static_cast<int>(session.Maps.size()); ++i) {
        const TStoredMap& stored = session.Maps[std::size_t(i)];
        TMapExplorerForm* map = nullptr;
        try {
            map = RestoreMapWindow(stored);
        } catch (const TAMOError&) {
            map = nullptr;
        }
        if (!map) {
            skipped << stored.Caption;
            continue;
        }
        if (i == session.Active)
            active = map;
    }
    if (active)
        ActivateMapWindow(*active);
    UpdateCommandStates();
    if (!skipped.isEmpty())
        Dialogs::ShowMessage(this,
                             QString("These maps of the last session no longer fit the attribute database "
                                     "and were not opened again:\n%1")
                                 .arg(skipped.join('\n')));
    return MapWindowCount() > 0;
}

TMapExplorerForm* TTAMOForm::RestoreMapWindow(const TStoredMap& stored) {
    std::shared_ptr<TPropertyMap> property;
    const TQEV_Layer* theme = nullptr;
    if (stored.Kind == TStoredMap::TKind::Property) {
        const TPropertyCatalogue& catalogue = PropertyCatalogue();
        if (!catalogue.FindAttribute(stored.Property.Level, stored.Property.Field) ||
            (stored.Property.Level == TPropertyLevel::Layer &&
             !catalogue.FindDepthLayer(stored.Property.Layer)))
            return nullptr;
        property = MakePropertyMap(stored.Property);
        if (!property)
            return nullptr;
    } else {
        // By its name; a theme renamed in the classification dialog by its place in the catalogue.
        const auto& themes = m_library->Themes();
        for (const auto& candidate : themes)
            if (candidate->LayerName == stored.ThemeName)
                theme = candidate.get();
        if (!theme && stored.ThemeIndex >= 0 && stored.ThemeIndex < static_cast<int>(themes.size()))
            theme = themes[std::size_t(stored.ThemeIndex)].get();
        if (!theme)
            return nullptr;
    }
    TMapExplorerForm* map = CreateMapWindow();
    auto* sub = qobject_cast<QMdiSubWindow*>(map->parentWidget());
    if (stored.Geometry.isValid())
        sub->setGeometry(stored.Geometry);
    if (stored.Maximized)
        sub->showMaximized();
    else
        sub->show();
    // Opened on bounds that cost nothing to make; the stored classes replace them.
    if (!OpenOrClose(*sub, [&] {
            return property ? map->OpenProperty(property, cmManual, stored.Classes.Count(), ColorRamp(0),
                                                stored.View)
                            : map->OpenTheme(theme, stored.View.Col0, stored.View.Col1, stored.View.Row0,
                                             stored.View.Row1);
        }))
        return nullptr;
    map->RestoreLegend(stored.Classes, stored.RasterVisible, stored.Overlays);
    return map;
}
