#include "raster/WorldAreas.h"

#include "raster/UnitAreaTable.h"

TWorldAreas::TWorldAreas(QString cacheFolder, QObject* parent)
    : QObject(parent), m_cacheFolder(std::move(cacheFolder)) {
    connect(&m_job, &TBackgroundJob::Progress, this, &TWorldAreas::Progress);
}

std::shared_ptr<const TCellTally> TWorldAreas::Known(const TRasterSource& raster) const {
    const auto found = m_tables.find(raster.File().Path());
    return found == m_tables.end() ? nullptr : found->second;
}

std::shared_ptr<const TCellTally> TWorldAreas::Areas(const std::shared_ptr<const TRasterSource>& raster) {
    if (!raster)
        return nullptr;
    if (auto known = Known(*raster))
        return known;
    m_waiting[raster->File().Path()] = raster;
    if (!m_job.Running())
        StartNext();
    return nullptr;
}

void TWorldAreas::Cancel() {
    m_waiting.clear();
    m_job.Cancel();
}

void TWorldAreas::StartNext() {
    if (m_waiting.empty())
        return;
    const std::shared_ptr<const TRasterSource> raster = m_waiting.begin()->second;
    m_computing = m_waiting.begin()->first;
    m_waiting.erase(m_waiting.begin());
    auto result = std::make_shared<std::shared_ptr<const TCellTally>>();
    const QString cacheFolder = m_cacheFolder;
    m_job.Start(
        [raster, result, cacheFolder](const TJobControl& control) {
            if (auto tally = CachedUnitAreas(TallySourceOf(*raster), cacheFolder, control))
                *result = std::make_shared<const TCellTally>(std::move(*tally));
        },
        [this, result](TBackgroundJob::TOutcome outcome, const QString& error) {
            const QString path = m_computing;
            m_computing.clear();
            if (outcome == TBackgroundJob::TOutcome::Done && *result) {
                m_tables[path] = *result;
                emit Ready(path);
            } else {
                emit Stopped(outcome == TBackgroundJob::TOutcome::Failed ? error : QString());
            }
            StartNext();
        });
}
