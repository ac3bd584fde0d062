#include "db/AttributeImport.h"

#include "common/Logging.h"
#include "common/ProgramFolder.h"
#include "common/TAMOError.h"
#include "db/DataAccess.h"
#include "settings/Preferences.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

namespace {
// Renewed whenever the import writes its copies differently (2: numbers under NUMERIC affinity,
// Doubles read back to their shortest form), so that copies made before are made again.
constexpr int kCopyFormat = 2;

// The lines of the import program that show it is getting on; anything else it prints is not.
const QStringList kProtocolWords = {"tables", "table", "progress", "finishing", "done"};

QString ShortHash(const QString& text) {
    return QString::fromLatin1(
        QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha1).toHex().left(10));
}

// The name part shared by every copy of one Access file, whatever its stamp.
QString CopyPrefix(const QFileInfo& source) {
    return source.completeBaseName() + "-" + ShortHash(source.absoluteFilePath()) + "-";
}

// The import program's own error line ("error: ..."), else the end of what it wrote.
QString ImportErrorText(const QByteArray& errorOutput) {
    const QString text = QString::fromUtf8(errorOutput);
    const QStringList lines = text.split('\n', Qt::SkipEmptyParts);
    for (auto line = lines.crbegin(); line != lines.crend(); ++line)
        if (line->startsWith("error: "))
            return line->mid(7).trimmed();
    const QString tail = text.trimmed();
    return tail.size() > 400 ? "..." + tail.right(400) : tail;
}

// Of `required`, the tables that the SQLite file at `path` does not hold (names compared without
// regard to case, as the queries do).
QStringList MissingTables(const QString& path, const QStringList& required) {
    QStringList present;
    {
        TDataSet query(BuildConnectionString(path));
        for (query.Open("select name from sqlite_master where type = 'table'"); !query.Eof(); query.Next())
            present << query.AsString(0).toLower();
    }
    QStringList missing;
    for (const QString& table : required)
        if (!present.contains(table.toLower()))
            missing << table;
    return missing;
}

// True when the copy exists, can be read and holds the required tables.
bool CopyIsUsable(const QString& copy, const QStringList& requiredTables) {
    if (!QFileInfo(copy).isFile())
        return false;
    try {
        return MissingTables(copy, requiredTables).isEmpty();
    } catch (const TAMOError&) {
        return false;
    }
}

} // namespace

QStringList SoilDatabaseTables() {
    return {"TAMO2_SMU",   "TAMO2_LAYERS", "TAMO2_SMU_METADATA", "TAMO2_LAYERS_METADATA",
            "WRB_Library", "WRB_Layer",    "WRB_Class"};
}

QString CachedCopyPath(const QString& mdbPath, const QString& cacheFolder) {
    const QFileInfo source(mdbPath);
    const QString stamp = source.absoluteFilePath() + "|" + QString::number(source.size()) + "|" +
                          QString::number(source.lastModified().toMSecsSinceEpoch()) + "|" +
                          QString::number(kCopyFormat);
    return WithSlash(cacheFolder) + CopyPrefix(source) + ShortHash(stamp) + ".sqlite";
}

bool ImportNeeded(const QString& connectionString, const QString& cacheFolder,
                  const QStringList& requiredTables) {
    const QString path = DatabasePathOf(connectionString);
    return DetectDatabaseKind(path) == TDatabaseKind::Access &&
           !CopyIsUsable(CachedCopyPath(path, cacheFolder), requiredTables);
}

QString DefaultImporterProgram() {
    return ProgramFolder() + "tamo-mdb-import";
}

void RunMdbImport(const QString& mdbPath, const QString& outPath, const TImportOptions& options,
                  const TImportProgressHandler& onProgress) {
    const QString partPath = outPath + ".part";
    QFile::remove(partPath);

    QProcess process;
    process.setProgram(options.ImporterProgram);
    process.setArguments({mdbPath, outPath});
    process.setProcessChannelMode(QProcess::SeparateChannels);

    QEventLoop loop;
    QTimer stallTimer;
    stallTimer.setSingleShot(true);
    stallTimer.setInterval(options.StallTimeout);
    bool stalled = false;
    bool cancelled = false;
    QByteArray errorOutput;
    TImportProgress progress;

    QObject::connect(&process, &QProcess::readyReadStandardOutput, &loop, [&] {
        while (process.canReadLine()) {
            const QString line = QString::fromUtf8(process.readLine()).trimmed();
            const QStringList words = line.split(' ', Qt::SkipEmptyParts);
            if (words.isEmpty() || !kProtocolWords.contains(words[0]))
                continue; // anything else is no sign of progress
            stallTimer.start();
            if (words.size() == 3 && words[0] == "progress") {
                progress.RowsDone = words[1].toLongLong();
                progress.RowsTotal = words[2].toLongLong();
            } else if (words[0] == "table") {
                progress.Table = line.mid(6);
            } else {
                continue;
            }
            if (onProgress && !cancelled && !onProgress(progress)) {
                cancelled = true;
                process.kill();
            }
        }
    });
    QObject::connect(&process, &QProcess::readyReadStandardError, &loop, [&] {
        errorOutput += process.readAllStandardError();
        // Keep only the end: a damaged file can make the reader chatter without end.
        if (errorOutput.size() > 64 * 1024)
            errorOutput = errorOutput.right(16 * 1024);
    });
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            loop.quit();
    });
    QObject::connect(&stallTimer, &QTimer::timeout, &loop, [&] {
        stalled = true;
        process.kill();
    });
    // The person may cancel at any moment, also while no line comes.
    QTimer cancelPoll;
    cancelPoll.setInterval(200);
    QObject::connect(&cancelPoll, &QTimer::timeout, &loop, [&] {
        if (onProgress && !cancelled && !onProgress(progress)) {
            cancelled = true;
            process.kill();
        }
    });

    QElapsedTimer clock;
    clock.start();
    qCInfo(LogImport) << "importing" << mdbPath << "into" << outPath << "with" << options.ImporterProgram;
    process.start();
    if (!process.waitForStarted()) {
        QFile::remove(partPath);
        throw TAMOError(QString("The import program \"%1\" cannot be started: %2")
                            .arg(options.ImporterProgram, process.errorString()));
    }
    stallTimer.start();
    cancelPoll.start();
    if (process.state() != QProcess::NotRunning)
        loop.exec();
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
    }
    errorOutput += process.readAllStandardError();

    const bool succeeded = !stalled && !cancelled && process.exitStatus() == QProcess::NormalExit &&
                           process.exitCode() == 0 && QFileInfo(outPath).isFile();
    QFile::remove(partPath);
    qCInfo(LogImport).noquote() << QString("import of %1 %2 after %3 ms (exit %4%5%6)")
                                       .arg(mdbPath, succeeded ? "done" : "failed")
                                       .arg(clock.elapsed())
                                       .arg(process.exitCode())
                                       .arg(stalled ? ", stalled" : "", cancelled ? ", cancelled" : "");
    if (succeeded)
        return;
    // The import renames its output into place only when it is complete; a copy that a failed
    // run left behind is not to be trusted either.
    if (!stalled && !cancelled && process.exitCode() != 0)
        QFile::remove(outPath);
    if (stalled)
        throw TAMOError(
            QString("The attribute database \"%1\" seems to be damaged: its import made no progress "
                    "for %2 seconds and was stopped.")
                .arg(mdbPath)
                .arg(options.StallTimeout.count() / 1000.0));
    if (cancelled)
        throw TAMOError(QString("The import of the attribute database \"%1\" was cancelled.").arg(mdbPath));
    if (process.exitStatus() != QProcess::NormalExit)
        throw TAMOError(QString("The attribute database \"%1\" seems to be damaged: its import stopped "
                                "abnormally.")
                            .arg(mdbPath));
    const QString reason = ImportErrorText(errorOutput);
    throw TAMOError(QString("The attribute database \"%1\" cannot be imported: %2")
                        .arg(mdbPath, reason.isEmpty() ? QString("the import failed.") : reason));
}

void ImportAttributeDatabase(const QString& connectionString, const TImportOptions& options,
                             const TImportProgressHandler& onProgress) {
    const QString path = DatabasePathOf(connectionString);
    if (!QFileInfo(path).isFile())
        throw TAMOError(QString("The attribute database \"%1\" does not exist.").arg(path));
    if (DetectDatabaseKind(path) != TDatabaseKind::Access)
        return;
    const QString copy = CachedCopyPath(path, options.CacheFolder);
    if (CopyIsUsable(copy, options.RequiredTables))
        return;
    // A copy without the tables was kept by an earlier import: it is made again (and fails then
    // with the name of the damaged file).
    QFile::remove(copy);
    const QString folder = options.CacheFolder;
    if (folder.isEmpty() || !QDir().mkpath(folder))
        throw TAMOError(QString("The cache folder \"%1\" cannot be created.").arg(folder));
    RunMdbImport(path, copy, options, onProgress);

    // The import fails on the damage it can see; a file that lost whole tables can still look
    // sound to it. Such a copy is not kept, so that the next start tries again.
    QStringList missing;
    try {
        missing = MissingTables(copy, options.RequiredTables);
    } catch (const TAMOError& error) {
        QFile::remove(copy);
        throw TAMOError(QString("The attribute database \"%1\" is damaged: its imported copy cannot be "
                                "read (%2)")
                            .arg(path, error.Message()));
    }
    if (!missing.isEmpty()) {
        QFile::remove(copy);
        throw TAMOError(QString("The attribute database \"%1\" is damaged or is not a soil database: "
                                "it lacks the table%2 %3.")
                            .arg(path, missing.size() > 1 ? "s" : "", missing.join(", ")));
    }

    // Copies of earlier versions of the same file are the program's own and of no further use.
    const QString prefix = CopyPrefix(QFileInfo(path));
    const QDir cache(folder);
    for (const QString& name : cache.entryList({prefix + "*.sqlite"}, QDir::Files))
        if (cache.filePath(name) != copy) {
            qCInfo(LogImport) << "removing the stale copy" << cache.filePath(name);
            QFile::remove(cache.filePath(name));
        }
}
