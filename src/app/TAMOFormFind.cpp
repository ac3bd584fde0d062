// Find Unit: the units an SMU id or part of a soil name names are selected, as a query selects
// them, and the active map shows where they lie. Where every unit lies comes from one pass over the
// raster in the background, kept for the rest of the session.

#include "app/FindUnitForm.h"
#include "app/FrameReports.h"
#include "app/TAMOForm.h"
#include "common/Dialogs.h"
#include "common/Guarded.h"
#include "db/TAMO.h"
#include "map/MapExplorerForm.h"

#include <QFutureWatcher>
#include <QPointer>
#include <QPromise>
#include <QThreadPool>
#include <algorithm>

namespace {
using TExtentsResult = std::shared_ptr<const TUnitExtents>;

// The distinct ids of a sorted selection (a unit with several matching soils is listed once each).
std::vector<int> DistinctIds(const TIntList& selection) {
    std::vector<int> ids;
    for (int i = 0; i < selection.Count(); ++i)
        if (ids.empty() || ids.back() != selection[i])
            ids.push_back(selection[i]);
    return ids;
}
} // namespace

void TTAMOForm::aDataFindUnitExecute() {
    TMapExplorerForm* map = ActiveMap();
    if (!map || !m_database)
        return;
    TFindUnitForm dialog(this);
    if (Dialogs::Exec(dialog) != QDialog::Accepted)
        return;
    int rows = 0;
    m_database->SelectSmus(dialog.Search().Table, dialog.Search().Condition, rows);
    const std::vector<int> ids = DistinctIds(m_database->Selection());
    m_reports->SelectionChanged();
    if (ids.empty()) {
        Dialogs::ShowMessage(this, QString("No soil mapping unit matches \"%1\".").arg(dialog.Text()));
        return;
    }
    const std::shared_ptr<const TRasterSource> raster = map->SharedRaster();
    if (!raster)
        return;
    const QPointer<TMapExplorerForm> target(map);
    WithUnitExtents(raster, [this, target, ids](const TUnitExtents& extents) {
        if (!target)
            return;
        const TCellWindow found = ExtentOfUnits(extents, ids);
        if (found.Empty()) {
            ShowStatusText(QString("The units found are not on this map"));
            return;
        }
        // A margin of a twentieth of the extent around it, at least one cell.
        const int margin = std::max(1, std::max(found.Col1 - found.Col0, found.Row1 - found.Row0) / 20);
        target->ShowCells(
            {found.Col0 - margin, found.Col1 - 1 + margin, found.Row0 - margin, found.Row1 - 1 + margin});
    });
}

void TTAMOForm::WithUnitExtents(std::shared_ptr<const TRasterSource> raster,
                                std::function<void(const TUnitExtents&)> then) {
    const QString path = raster->File().Path();
    if (m_unitExtents && m_unitExtentsOf == path) {
        then(*m_unitExtents);
        return;
    }
    // The latest request is answered once the pass is done.
    m_afterExtentScan = std::move(then);
    if (m_extentScan && m_extentScanOf == path)
        return;
    if (m_extentScanCancel)
        m_extentScanCancel->store(true);
    m_extentScanCancel = std::make_shared<std::atomic<bool>>(false);
    auto promise = std::make_shared<QPromise<TExtentsResult>>();
    auto* watcher = new QFutureWatcher<TExtentsResult>(this);
    m_extentScan = watcher;
    m_extentScanOf = path;
    ShowStatusText("Finding where the soil mapping units lie ...");
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, path] {
        watcher->deleteLater();
        if (m_extentScan != watcher)
            return;
        m_extentScan = nullptr;
        ShowStatusText({});
        Guarded(
            [&] {
                TExtentsResult extents = watcher->result(); // the scan's read error is raised here
                if (!extents)
                    return;
                m_unitExtents = std::move(extents);
                m_unitExtentsOf = path;
                if (auto after = std::exchange(m_afterExtentScan, {}))
                    after(*m_unitExtents);
            },
            this);
    });
    watcher->setFuture(promise->future());
    promise->start();
    QThreadPool::globalInstance()->start([promise, raster, cancel = m_extentScanCancel] {
        try {
            TJobControl control;
            control.Cancel = cancel.get();
            std::optional<TUnitExtents> extents = ScanUnitExtents(TallySourceOf(*raster), control);
            promise->addResult(extents ? std::make_shared<const TUnitExtents>(std::move(*extents)) : nullptr);
        } catch (...) {
            promise->setException(std::current_exception());
        }
        promise->finish();
    });
}
