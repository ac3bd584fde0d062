#pragma once
// The imported copy of an Access attribute database: where it lives in the cache folder, whether
// it is current, and running the import program in a separate, watched process.

#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>

// The file name of the imported copy of `mdbPath` in `cacheFolder`. It carries a stamp of the
// Access file's path, size and time, so a changed file gets a new name and is imported again.
QString CachedCopyPath(const QString& mdbPath, const QString& cacheFolder);

// What the import reports while it runs. Return false to stop it.
struct TImportProgress {
    qint64 RowsDone = 0;
    qint64 RowsTotal = 0; // 0 while unknown
    QString Table;        // the table being copied
};
using TImportProgressHandler = std::function<bool(const TImportProgress&)>;

// The tables the viewer reads from the attribute database.
QStringList SoilDatabaseTables();

// True when the connection text names an Access file whose imported copy in `cacheFolder` is
// missing, stale, or lacks one of the required tables (a copy that an earlier import kept
// although it was damaged).
bool ImportNeeded(const QString& connectionString, const QString& cacheFolder,
                  const QStringList& requiredTables = SoilDatabaseTables());

struct TImportOptions {
    QString CacheFolder;                           // where the copy goes
    QString ImporterProgram;                       // the tamo-mdb-import executable
    std::chrono::milliseconds StallTimeout{30000}; // no progress line for this long: damaged
    // A fresh copy without all of these tables is not kept: the Access file is damaged.
    QStringList RequiredTables = SoilDatabaseTables();
};

// The import program beside the viewer's own executable.
QString DefaultImporterProgram();

// Runs `importer IN.mdb OUT.sqlite` in a separate process and waits for it while the event loop
// runs. Throws TAMOError when it fails, stalls (ended and reported as a damaged database), or is
// stopped by the handler; a half-made copy is removed in every case.
void RunMdbImport(const QString& mdbPath, const QString& outPath, const TImportOptions& options,
                  const TImportProgressHandler& onProgress = {});

// Imports the Access file of the connection text into the cache folder when needed and removes
// the stale copies of the same file. Does nothing for a SQLite file. A fresh copy that lacks one
// of the required tables is removed again and the Access file named as damaged.
void ImportAttributeDatabase(const QString& connectionString, const TImportOptions& options,
                             const TImportProgressHandler& onProgress = {});
