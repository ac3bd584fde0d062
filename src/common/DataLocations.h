#pragma once
// Where the program finds its data and keeps its cache. A program folder that holds Data/ and a
// writable Cache/ keeps both beside the program (a build, an unpacked copy); otherwise the program
// follows the XDG base directories, as an installed program does:
//   data:  $XDG_DATA_HOME/TAMO/, then tamo/ in each folder of $XDG_DATA_DIRS
//   cache: $XDG_CACHE_HOME/TAMO/
// All folders are absolute and end in "/".

#include <QString>
#include <QStringList>
#include <functional>

// What the choice depends on. The XDG texts are the variables as they are set (empty when unset).
struct TDataLocationInput {
    QString ProgramFolder;
    QString Home;
    QString XdgDataHome;
    QString XdgDataDirs;
    QString XdgCacheHome;
    // True when files can be made in the folder (or, for a folder that does not exist yet, in the
    // nearest folder above it that exists).
    std::function<bool(const QString& folder)> CanWrite;
};

struct TDataLocations {
    bool BesideProgram = false; // Data/ and Cache/ of the program folder are used
    QStringList DataFolders;    // where the data is looked for, in this order
    QString DataFolder;         // the first of DataFolders holding an attribute database, else the first
    QString UserDataFolder;     // the user's own data folder, $XDG_DATA_HOME/TAMO/
    QString CacheFolder;
};

TDataLocations FindDataLocations(const TDataLocationInput& input);

// The input of this run: the program folder, the environment and the file system's permissions.
TDataLocationInput CurrentDataLocationInput();
TDataLocations CurrentDataLocations();

// The attribute database in `folder`: TAMO2.mdb, else TAMO2.sqlite when only that one exists.
QString AttributeDatabaseIn(const QString& folder);
