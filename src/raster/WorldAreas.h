#pragma once
// The cells and area of every unit over the whole raster, for the windows: computed once in the
// background at the first need (or read from the cache folder, see UnitAreaTable.h) and kept for
// the run. The query's count, the saved selection and the statistics of the world and of a
// selection are sums over it.

#include "raster/BackgroundJob.h"
#include "raster/CellTally.h"
#include "raster/RasterSource.h"

#include <QObject>
#include <QString>
#include <map>
#include <memory>

class TWorldAreas : public QObject {
    Q_OBJECT
public:
    explicit TWorldAreas(QString cacheFolder, QObject* parent = nullptr);

    // The table of `raster`; null while it is computed, which the first ask starts (one raster at a
    // time; another asked for meanwhile follows).
    std::shared_ptr<const TCellTally> Areas(const std::shared_ptr<const TRasterSource>& raster);
    // The table when it is there; never starts a computation.
    std::shared_ptr<const TCellTally> Known(const TRasterSource& raster) const;
    // Stops the computation in progress; the next ask starts it again.
    void Cancel();
    bool Computing() const { return m_job.Running(); }

signals:
    void Progress(int percent);
    // The table of the raster at `rasterPath` is there.
    void Ready(const QString& rasterPath);
    // The computation ended without a table: cancelled (empty message) or failed.
    void Stopped(const QString& message);

private:
    void StartNext();

    QString m_cacheFolder;
    std::map<QString, std::shared_ptr<const TCellTally>> m_tables; // by raster path
    std::map<QString, std::shared_ptr<const TRasterSource>> m_waiting;
    QString m_computing; // the raster path being counted
    TBackgroundJob m_job;
};
