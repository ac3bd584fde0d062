#pragma once
// The data set the viewer works on, opened without windows for the command-line tools: the
// attribute database with its SMU index, the theme catalogue, and a theme's raster (extracted into
// the cache folder when needed).

#include "raster/RasterLocator.h"
#include "raster/RasterSource.h"
#include "themes/QEVLibraryManager.h"

#include <QString>
#include <functional>
#include <memory>

class TTAMO;

class TSoilDataSet {
public:
    // What the opening tells about its long steps (an Access import, an extraction): a text and a
    // percentage, or -1 when the step has ended.
    using TReport = std::function<void(const QString& step, int percent)>;

    // The data set of the user's settings, as the viewer would find it; or, with `folder`, the
    // attribute database (TAMO2.mdb or TAMO2.sqlite), archive and raster in that folder. The user's
    // settings are read, never written. Raises TAMOError when the database cannot be opened.
    explicit TSoilDataSet(const QString& folder = {}, TReport report = {});
    ~TSoilDataSet();
    TSoilDataSet(const TSoilDataSet&) = delete;
    TSoilDataSet& operator=(const TSoilDataSet&) = delete;

    const TQEVLibraryManager& Library() const { return *m_library; }
    const TTAMO& Database() const { return *m_database; }
    QString DatabasePath() const { return m_databasePath; }
    QString CacheFolder() const { return m_cacheFolder; }

    // The theme named `name` (without regard to case), the first theme when `name` is empty.
    // Raises TAMOError naming the themes there are when none has that name.
    const TQEV_Layer& Theme(const QString& name) const;
    // The theme's raster, opened on its grid; raises TAMOError when it cannot be found or extracted.
    std::shared_ptr<const TRasterSource> OpenRaster(const TQEV_Layer& theme) const;

private:
    TReport m_report;
    QString m_databasePath;
    QString m_cacheFolder;
    QString m_rasterFile; // the raster file of the settings (RASTER), used when it matches a theme
    std::unique_ptr<TQEVLibraryManager> m_library;
    std::unique_ptr<TTAMO> m_database;
};
