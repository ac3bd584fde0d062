#include "raster/RasterLocator.h"

#include "common/ProgramFolder.h"
#include "raster/RasterFile.h"
#include "settings/Preferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString ResolveRasterFile(const TRasterRequest& request) {
    TPreferences& prefs = Preferences();
    const QString cache = QDir(CacheFolder()).filePath(request.FileName);
    QString path;
    if (QFileInfo::exists(cache)) {
        path = cache;
        // The archive belongs with the data set; without it the cached copy is not trusted.
        if (request.ArchivePath.isEmpty() || !QFileInfo::exists(request.ArchivePath))
            return {};
    } else if (!prefs.RASTER.isEmpty() && QFileInfo::exists(prefs.RASTER)) {
        path = prefs.RASTER;
    } else {
        // Extraction from the archive is not available: nothing to open.
        return {};
    }

    prefs.RASTER = path;
    const qint64 expected = static_cast<qint64>(request.Bytes) * kWorldCells;
    if (QFileInfo(path).size() != expected && IsInsideFolder(path, CacheFolder()))
        QFile::remove(path);
    ProgramState().LastRasterPath = path;
    const QFileInfo result(path);
    return result.exists() && result.size() == expected ? path : QString();
}
