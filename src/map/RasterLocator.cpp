#include "map/RasterLocator.h"

#include "map/RasterFile.h"
#include "settings/Preferences.h"
#include "themes/ThemeRecords.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

bool IsInsideFolder(const QString& path, const QString& folder) {
    if (folder.isEmpty())
        return false;
    const QString file = QFileInfo(path).canonicalFilePath();
    QString dir = QFileInfo(folder).canonicalFilePath();
    if (file.isEmpty() || dir.isEmpty())
        return false;
    if (!dir.endsWith('/'))
        dir += '/';
    return file.startsWith(dir);
}

} // namespace

bool ResolveRasterFile(const TQEV_Layer& theme) {
    TPreferences& prefs = Preferences();
    const QString cache = QDir(prefs.DATA_CACHE).filePath(theme.FileName);
    QString path;
    if (QFileInfo::exists(cache)) {
        path = cache;
        // The archive belongs with the data set; without it the cached copy is not trusted.
        const QString archive = theme.Library ? theme.Library->Path : QString();
        if (archive.isEmpty() || !QFileInfo::exists(archive))
            return false;
    } else if (!prefs.RASTER.isEmpty() && QFileInfo::exists(prefs.RASTER)) {
        path = prefs.RASTER;
    } else {
        // Extraction from the archive is not available: nothing to open.
        return false;
    }

    if (QFileInfo::exists(path)) {
        prefs.RASTER = path;
        const qint64 expected = static_cast<qint64>(theme.Bytes) * kWorldCells;
        if (QFileInfo(path).size() != expected && IsInsideFolder(path, prefs.DATA_CACHE))
            QFile::remove(path);
        ProgramState().LastRasterPath = path;
    }
    const QFileInfo result(path);
    return result.exists() && result.size() == static_cast<qint64>(theme.Bytes) * kWorldCells;
}
