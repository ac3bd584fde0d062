#include "app/FrameStatistics.h"

#include "app/ExportForm.h"
#include "app/TAMOForm.h"
#include "common/Dialogs.h"
#include "db/TAMO.h"
#include "map/MapExplorerForm.h"
#include "map/frmProgress.h"
#include "raster/GridExtent.h"
#include "raster/RasterLocator.h"
#include "settings/Preferences.h"
#include "themes/LegendClasses.h"
#include "themes/PropertyMap.h"
#include "themes/QEVLibraryManager.h"
#include "themes/ThemeRecords.h"

#include <QMessageBox>
#include <algorithm>

TFrameStatistics::TFrameStatistics(TTAMOForm& frame, const TPreferences& prefs)
    : m_frame(frame), m_prefs(prefs) {}

TFrameStatistics::~TFrameStatistics() {
    delete m_statisticsForm.data();
}

TWorldAreas& TFrameStatistics::WorldAreas() {
    if (!m_worldAreas)
        m_worldAreas = std::make_unique<TWorldAreas>(CacheFolder(m_prefs));
    return *m_worldAreas;
}

TStatisticsSource TFrameStatistics::SourceOf(TMapExplorerForm& map) const {
    TStatisticsSource source;
    source.Title = map.windowTitle();
    source.Raster = map.SharedRaster();
    if (const TSmuLookup* lookup = m_frame.SmuLookup())
        source.Classes = CellClassesOf(map.Manager(), *lookup);
    source.View = VisibleCells(map.View());
    source.Selection = Selection();
    return source;
}

std::optional<std::vector<int>> TFrameStatistics::Selection() const {
    const TTAMO* database = m_frame.Database();
    if (!database || !database->SelectionActive())
        return std::nullopt;
    std::vector<int> ids(database->Selection().begin(), database->Selection().end());
    std::sort(ids.begin(), ids.end());
    return ids;
}

void TFrameStatistics::SelectionChanged() {
    if (m_statisticsForm)
        m_statisticsForm->SetSelection(Selection());
}

void TFrameStatistics::aZonalStatisticsExecute() {
    TMapExplorerForm* map = m_frame.ActiveMap();
    if (!map || !map->SharedRaster())
        return;
    if (!m_statisticsForm) {
        m_statisticsForm = new TStatisticsForm(WorldAreas(), &m_frame);
        // The class areas of a view go to the legend of the map they were counted on.
        m_statisticsForm->OnViewStatistics = [this](const TCellWindow& view,
                                                    const TAreaStatistics& statistics) {
            if (m_statisticsMap)
                m_statisticsMap->SetViewStatistics(view, statistics);
        };
    }
    m_statisticsMap = map;
    m_statisticsForm->ShowSource(SourceOf(*map));
    m_statisticsForm->show();
    m_statisticsForm->raise();
    m_statisticsForm->activateWindow();
}

TExportContext TFrameStatistics::ExportContext() const {
    TExportContext context;
    const TSmuLookup* lookup = m_frame.SmuLookup();
    TMapExplorerForm* active = m_frame.ActiveMap();
    QList<TMapExplorerForm*> maps = m_frame.MapWindows();
    if (active) {
        maps.removeAll(active);
        maps.prepend(active);
        if (const TRasterSource* raster = active->Raster()) {
            context.ViewCells = VisibleCells(active->View());
            context.GridCols = raster->Grid().Cols;
            context.GridRows = raster->Grid().Rows;
        }
    }
    const TQEVLibraryManager* library = m_frame.Library();
    if (library && lookup) {
        for (const auto& theme : library->Themes()) {
            TExportChoice choice;
            choice.Title = theme->LayerName;
            choice.Theme = theme.get();
            const auto shown = std::find_if(maps.begin(), maps.end(), [&](TMapExplorerForm* map) {
                return map->Manager().Theme == theme.get() && map->SharedRaster();
            });
            if (shown != maps.end()) {
                choice.Raster = (*shown)->SharedRaster();
                choice.Classes = CellClassesOf((*shown)->Manager(), *lookup);
                if (*shown == active)
                    context.Current = static_cast<int>(context.Choices.size());
            } else {
                choice.Classes = DefaultCellClasses(*theme, *lookup, m_frame.ColorRamp(0));
            }
            context.Choices.push_back(std::move(choice));
        }
    }
    // The open property maps, each with its legend and values.
    if (lookup) {
        for (TMapExplorerForm* map : maps) {
            const std::shared_ptr<const TPropertyMap> property = map->Manager().Property;
            if (!property || !map->SharedRaster())
                continue;
            TExportChoice choice;
            choice.Title = property->Caption();
            choice.Theme = &property->Theme();
            choice.Raster = map->SharedRaster();
            choice.Classes = CellClassesOf(map->Manager(), *lookup);
            if (map == active)
                context.Current = static_cast<int>(context.Choices.size());
            context.Choices.push_back(std::move(choice));
        }
    }
    TTAMOForm* frame = &m_frame;
    const TPreferences* prefs = &m_prefs;
    context.OpenRaster = [frame, prefs](const TQEV_Layer& theme) -> std::shared_ptr<const TRasterSource> {
        TRasterRequest request = RasterRequestOf(theme);
        request.CacheFolder = CacheFolder(*prefs);
        request.RasterFile = prefs->RASTER;
        long long extracted = 0;
        TExtractionProgress progress(frame, extracted);
        const TRasterLocation found = ResolveRasterFile(request, &progress);
        progress.Close();
        if (found.Path.isEmpty()) {
            if (!found.Cancelled)
                Dialogs::Message(frame,
                                 found.Message.isEmpty() ? QString(kRasterNotFoundMessage) : found.Message,
                                 "Error", QMessageBox::Ok);
            return nullptr;
        }
        return TRasterSource::Open(found.Path, theme.Bytes);
    };
    return context;
}

void TFrameStatistics::aExportDataExecute() {
    TExportForm form(ExportContext(), &m_frame);
    Dialogs::Exec(form);
}
