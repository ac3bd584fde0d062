#include "app/ProgramEnd.h"

#include "common/ProgramFolder.h"
#include "settings/Preferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

bool DeleteLastRaster(const TPreferences& prefs, const QString& lastRasterPath) {
    if (!prefs.DeleteRaster || lastRasterPath.isEmpty() || !QFileInfo(lastRasterPath).isFile())
        return false;
    if (!IsInsideFolder(lastRasterPath, prefs.DATA_CACHE))
        return false;
    return QFile::remove(lastRasterPath);
}
