#include "common/DataLocations.h"

#include "common/ProgramFolder.h"

#include <QDir>
#include <QFileInfo>

namespace {
// An XDG variable counts only when it holds an absolute path; otherwise its default applies.
QString XdgFolder(const QString& value, const QString& fallback) {
    return WithSlash(QDir::isAbsolutePath(value) ? QDir::cleanPath(value) : fallback);
}

bool CanWriteFolder(const QString& folder) {
    QString path = QDir::cleanPath(folder);
    while (!QFileInfo::exists(path) && path != "/")
        path = QFileInfo(path).path();
    const QFileInfo existing(path);
    return existing.isDir() && existing.isWritable();
}
} // namespace

TDataLocations FindDataLocations(const TDataLocationInput& input) {
    TDataLocations result;
    const QString home = QDir::cleanPath(input.Home.isEmpty() ? QDir::homePath() : input.Home);
    result.UserDataFolder = XdgFolder(input.XdgDataHome, home + "/.local/share") + "TAMO/";

    const QString besideData = WithSlash(input.ProgramFolder) + "Data/";
    const QString besideCache = WithSlash(input.ProgramFolder) + "Cache/";
    const QFileInfo cacheInfo(besideCache);
    result.BesideProgram = QFileInfo(besideData).isDir() && (cacheInfo.isDir() || !cacheInfo.exists()) &&
                           input.CanWrite && input.CanWrite(besideCache);

    if (result.BesideProgram) {
        result.DataFolders = {besideData};
        result.CacheFolder = besideCache;
    } else {
        result.DataFolders = {result.UserDataFolder};
        const QString dirs =
            input.XdgDataDirs.isEmpty() ? "/usr/local/share/:/usr/share/" : input.XdgDataDirs;
        for (const QString& dir : dirs.split(':', Qt::SkipEmptyParts)) {
            const QString folder = WithSlash(QDir::cleanPath(dir)) + "tamo/";
            if (QDir::isAbsolutePath(dir) && !result.DataFolders.contains(folder))
                result.DataFolders << folder;
        }
        result.CacheFolder = XdgFolder(input.XdgCacheHome, home + "/.cache") + "TAMO/";
    }

    result.DataFolder = result.DataFolders.first();
    for (const QString& folder : result.DataFolders)
        if (QFileInfo::exists(AttributeDatabaseIn(folder))) {
            result.DataFolder = folder;
            break;
        }
    return result;
}

TDataLocationInput CurrentDataLocationInput() {
    return {ProgramFolder(),
            qEnvironmentVariable("HOME"),
            qEnvironmentVariable("XDG_DATA_HOME"),
            qEnvironmentVariable("XDG_DATA_DIRS"),
            qEnvironmentVariable("XDG_CACHE_HOME"),
            CanWriteFolder};
}

TDataLocations CurrentDataLocations() {
    return FindDataLocations(CurrentDataLocationInput());
}

QString AttributeDatabaseIn(const QString& folder) {
    const QString mdb = WithSlash(folder) + "TAMO2.mdb";
    const QString sqlite = WithSlash(folder) + "TAMO2.sqlite";
    return !QFileInfo::exists(mdb) && QFileInfo::exists(sqlite) ? sqlite : mdb;
}
