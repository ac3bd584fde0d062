#include "BenchData.h"

#include "db/AttributeImport.h"
#include "raster/RasterFile.h"
#include "settings/Preferences.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QLockFile>
#include <QProcess>
#include <QScopeGuard>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>
#include <zip.h>

namespace {

constexpr qint64 kRasterBytes = 2 * kWorldCells;

[[noreturn]] void Fail(const QString& message) {
    std::fprintf(stderr, "tamo-bench: %s\n", qPrintable(message));
    std::exit(1);
}

QString RasterIn(const QString& folder) {
    return folder + "/TAMO2.bil";
}

bool RasterComplete(const QString& folder) {
    return QFileInfo(RasterIn(folder)).size() == kRasterBytes;
}

// Copies the member TAMO2.bil out of TAMO2.zip into the same folder. It is written under a
// temporary name and renamed when whole, so that a TAMO2.bil of the right size is always complete.
void ExtractRaster(const QString& folder) {
    const QString zipPath = folder + "/TAMO2.zip";
    const QString part = RasterIn(folder) + ".part";
    std::fprintf(stderr, "tamo-bench: extracting TAMO2.bil from %s\n", qPrintable(zipPath));
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(zipPath).constData(), ZIP_RDONLY, &error);
    if (!archive) {
        zip_error_t zipError;
        zip_error_init_with_code(&zipError, error);
        const QString text = QString::fromLocal8Bit(zip_error_strerror(&zipError));
        zip_error_fini(&zipError);
        Fail(QString("cannot open %1: %2").arg(zipPath, text));
    }
    auto closeArchive = qScopeGuard([&] { zip_discard(archive); });
    zip_file_t* member = zip_fopen(archive, "TAMO2.bil", 0);
    if (!member)
        Fail(QString("%1 has no member TAMO2.bil: %2").arg(zipPath, zip_strerror(archive)));
    auto closeMember = qScopeGuard([&] { zip_fclose(member); });

    QFile out(part);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        Fail(QString("cannot write %1: %2").arg(part, out.errorString()));
    auto failWith = [&](const QString& message) {
        out.close();
        QFile::remove(part);
        Fail(message);
    };
    std::vector<char> buffer(4 << 20);
    qint64 total = 0;
    for (;;) {
        const zip_int64_t n = zip_fread(member, buffer.data(), buffer.size());
        if (n < 0)
            failWith(QString("reading TAMO2.bil from %1: %2").arg(zipPath, zip_file_strerror(member)));
        if (n == 0)
            break;
        if (out.write(buffer.data(), n) != n)
            failWith(QString("writing %1: %2").arg(part, out.errorString()));
        total += n;
    }
    if (!out.flush() || total != kRasterBytes)
        failWith(QString("TAMO2.bil in %1 holds %2 bytes, not %3").arg(zipPath).arg(total).arg(kRasterBytes));
    out.close();
    QFile::remove(RasterIn(folder));
    if (!QFile::rename(part, RasterIn(folder)))
        failWith(QString("cannot rename %1").arg(part));
}

// The folder of TAMO_DEMO_DATA: its raster is extracted when only the archive is there.
QString CheckedGivenFolder(const QString& folder) {
    if (!QFileInfo::exists(folder + "/TAMO2.sqlite") && !QFileInfo::exists(folder + "/TAMO2.mdb"))
        Fail(QString("TAMO_DEMO_DATA=%1 holds no TAMO2.sqlite or TAMO2.mdb").arg(folder));
    if (!RasterComplete(folder)) {
        if (!QFileInfo::exists(folder + "/TAMO2.zip"))
            Fail(QString("TAMO_DEMO_DATA=%1 holds neither TAMO2.bil of %2 bytes nor TAMO2.zip")
                     .arg(folder)
                     .arg(kRasterBytes));
        ExtractRaster(folder);
    }
    return folder;
}

// The generator writes its database first and its archive last, so a present TAMO2.zip means a
// complete set. A set older than the generator program is made again: the program has changed.
bool MadeSetUsable(const QString& folder, const QString& generator) {
    const QFileInfo zip(folder + "/TAMO2.zip");
    if (!zip.exists() || QFileInfo(folder + "/TAMO2.sqlite").size() == 0)
        return false;
    const QFileInfo program(generator);
    return !program.exists() || program.lastModified() <= zip.lastModified();
}

QString MadeFolder() {
    const QString folder = QDir::tempPath() + "/tamo-bench-demo";
    if (!QDir().mkpath(folder))
        Fail(QString("cannot create %1").arg(folder));
    // Two benchmark runs at once must not make the same set together.
    QLockFile lock(folder + "/.lock");
    lock.setStaleLockTime(0);
    if (!lock.lock())
        Fail(QString("cannot lock %1").arg(folder));

    const QString generator = BenchProgramFolder() + "/tamo-make-demo-data";
    if (!MadeSetUsable(folder, generator)) {
        if (!QFileInfo(generator).isExecutable())
            Fail(QString("%1 is not built; build the target tamo-make-demo-data").arg(generator));
        QFile::remove(RasterIn(folder));
        QFile::remove(folder + "/TAMO2.zip");
        std::fprintf(stderr, "tamo-bench: making the demo data set in %s\n", qPrintable(folder));
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(generator, {folder});
        if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0)
            Fail(QString("%1 %2 failed").arg(generator, folder));
    }
    if (!RasterComplete(folder))
        ExtractRaster(folder);
    return folder;
}

} // namespace

QString BenchProgramFolder() {
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (n <= 0)
        return QDir::currentPath();
    buffer[n] = 0;
    return QFileInfo(QString::fromLocal8Bit(buffer)).absolutePath();
}

void EnsureBenchApplication() {
    // main() made it before any benchmark ran.
    if (!QCoreApplication::instance())
        Fail("tamo-bench runs without its application object");
}

const QString& DemoDataFolder() {
    static const QString folder = [] {
        EnsureBenchApplication();
        const QString given = qEnvironmentVariable("TAMO_DEMO_DATA");
        return given.isEmpty() ? MadeFolder() : CheckedGivenFolder(QDir(given).absolutePath());
    }();
    return folder;
}

const QString& DemoConnection() {
    static const QString connection = [] {
        const QString folder = DemoDataFolder();
        const QString sqlite = folder + "/TAMO2.sqlite";
        if (QFileInfo::exists(sqlite))
            return BuildConnectionString(sqlite);
        // An Access database is imported once into a cache of the temporary folder.
        const QString connection = BuildConnectionString(folder + "/TAMO2.mdb");
        TImportOptions options;
        options.CacheFolder = DemoCacheFolder();
        options.ImporterProgram = BenchProgramFolder() + "/tamo-mdb-import";
        try {
            ImportAttributeDatabase(connection, options);
        } catch (const std::exception& error) {
            Fail(QString("importing %1/TAMO2.mdb: %2").arg(folder, error.what()));
        }
        return connection;
    }();
    return connection;
}

QString DemoCacheFolder() {
    return QDir::tempPath() + "/tamo-bench-cache/";
}

QString DemoRasterPath() {
    return RasterIn(DemoDataFolder());
}

QString DemoRasterForGdal() {
    static QTemporaryDir dir;
    const QString bil = dir.filePath("TAMO2.bil");
    if (!QFileInfo::exists(bil)) {
        QFile::link(QFileInfo(DemoRasterPath()).absoluteFilePath(), bil);
        QFile hdr(dir.filePath("TAMO2.hdr"));
        hdr.open(QIODevice::WriteOnly);
        hdr.write("BYTEORDER I\nLAYOUT BIL\nNROWS 21600\nNCOLS 43200\nNBANDS 1\nNBITS 16\n"
                  "ULXMAP -179.995833333333\nULYMAP 89.995833333333\n"
                  "XDIM 0.008333333333333\nYDIM 0.008333333333333\nNODATA 0\n");
    }
    return bil;
}
