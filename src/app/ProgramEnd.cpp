#include "app/ProgramEnd.h"

#include "settings/Preferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
bool IsInsideFolder(const QString& file, const QString& folder) {
    const QString canonicalFolder = QFileInfo(folder).canonicalFilePath();
    const QString canonicalFile = QFileInfo(file).canonicalFilePath();
    if (canonicalFolder.isEmpty() || canonicalFile.isEmpty())
        return false;
    return canonicalFile.startsWith(canonicalFolder + "/");
}
} // namespace

bool DeleteLastRaster(const TPreferences& prefs, const QString& lastRasterPath) {
    if (!prefs.DeleteRaster || lastRasterPath.isEmpty() || !QFileInfo(lastRasterPath).isFile())
        return false;
    if (!IsInsideFolder(lastRasterPath, prefs.DATA_CACHE))
        return false;
    return QFile::remove(lastRasterPath);
}
