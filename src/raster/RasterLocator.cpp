#include "raster/RasterLocator.h"

#include "common/ProgramFolder.h"
#include "common/TAMOError.h"
#include "raster/RasterFile.h"
#include "settings/Preferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
bool ValidCellSize(int bytes) {
    return bytes == 1 || bytes == 2 || bytes == 4;
}
} // namespace

QString ResolveRasterFile(const TRasterRequest& request) {
    if (!ValidCellSize(request.Bytes))
        throw TAMOError(QString("The theme \"%1\" is invalid: its cell size (Bytes) is %2, but only 1, 2 "
                                "or 4 bytes per cell are possible.")
                            .arg(request.ThemeName)
                            .arg(request.Bytes));
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
    const qint64 size = QFileInfo(path).size();
    // A complete raster of another cell size is not a broken extraction: the theme is wrong.
    for (int bytes : {1, 2, 4})
        if (bytes != request.Bytes && size == bytes * kWorldCells)
            throw TAMOError(QString("The theme \"%1\" is invalid: it gives %2 bytes per cell, but its "
                                    "raster \"%3\" holds %4 bytes per cell.")
                                .arg(request.ThemeName)
                                .arg(request.Bytes)
                                .arg(QDir::toNativeSeparators(path))
                                .arg(bytes));
    if (size != expected && IsInsideFolder(path, CacheFolder()))
        QFile::remove(path);
    ProgramState().LastRasterPath = path;
    const QFileInfo result(path);
    return result.exists() && result.size() == expected ? path : QString();
}
