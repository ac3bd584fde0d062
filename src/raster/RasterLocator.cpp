#include "raster/RasterLocator.h"

#include "common/Logging.h"
#include "common/ProgramFolder.h"
#include "common/TAMOError.h"
#include "raster/RasterFile.h"
#include "raster/RasterGrid.h"
#include "raster/Zip.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <cmath>

namespace {
bool ValidCellSize(int bytes) {
    return bytes == 1 || bytes == 2 || bytes == 4;
}

long long FreeSpace(const TRasterRequest& request) {
    if (request.FreeSpace)
        return request.FreeSpace(request.CacheFolder);
    const QStorageInfo storage(request.CacheFolder);
    return storage.isValid() ? storage.bytesAvailable() : 0;
}

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// A theme's file name names a file in the cache folder and a member of the archive: never a
// folder, a way up or an absolute path, which could make the clean-up delete another file.
bool PlainFileName(const QString& name) {
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') && !name.contains('\\') &&
           !QDir::isAbsolutePath(name);
}

// Removes a file the program made in the cache folder, and nothing elsewhere.
void RemoveFromCache(const QString& path, const QString& cacheFolder) {
    if (IsInsideFolder(path, cacheFolder))
        QFile::remove(path);
}

// What the user is told when the extraction left no raster.
TRasterLocation ExtractionFailure(const TRasterRequest& request, const TZip& zip) {
    TRasterLocation failed;
    const QString file = Native(request.FileName);
    const QString folder = Native(request.CacheFolder);
    const QString reason = zip.LastFailureText().isEmpty() ? QString() : " (" + zip.LastFailureText() + ")";
    switch (zip.LastFailure()) {
    case TZipFailure::Cancelled:
        failed.Cancelled = true;
        break;
    case TZipFailure::DiskFull:
        failed.Message =
            QString("The disk of the cache folder \"%1\" is full, so the raster \"%2\" could not be "
                    "extracted%3. Free some space there and try again.")
                .arg(folder, file, reason);
        break;
    case TZipFailure::FileTooLarge:
        failed.Message = QString("The raster \"%1\" could not be extracted into \"%2\": it is larger than a "
                                 "file may be for this program (a file size limit or quota)%3.")
                             .arg(file, folder, reason);
        break;
    case TZipFailure::CrcError:
        failed.Message = QString("The raster \"%1\" in the archive \"%2\" is damaged (CRC error) and was not "
                                 "extracted.")
                             .arg(file, Native(request.ArchivePath));
        break;
    case TZipFailure::Damaged:
        failed.Message = QString("The archive \"%1\" is damaged: its raster \"%2\" cannot be extracted.")
                             .arg(Native(request.ArchivePath), file);
        break;
    case TZipFailure::WriteError:
        failed.Message = QString("The raster \"%1\" could not be written into the cache folder \"%2\"%3.")
                             .arg(file, folder, reason);
        break;
    case TZipFailure::Refused:
    case TZipFailure::None:
        break;
    }
    return failed;
}

// Extracts the member into the cache folder through an archive component of its own, whose
// callbacks are this extraction's. Without a failure the result is empty.
TRasterLocation Extract(const TRasterRequest& request, TExtractionView* view) {
    TZip zip;
    struct TCloseView {
        TExtractionView* View;
        ~TCloseView() {
            if (View)
                View->Close();
        }
    } closeView{view};
    if (view) {
        view->Open();
        zip.OnZEDProgressEvent = [view](const QString& member, qint64 step, qint64) {
            return view->Progress(member, step);
        };
        zip.OnQuestion = [view](const QString& text) { return view->Ask(text); };
        zip.OnMessage = [view](const QString& text) { view->Tell(text); };
    }
    zip.SetArchiveName(request.ArchivePath);
    zip.MemberList = QStringList{request.FileName};
    zip.ExtractFolder = request.CacheFolder;
    zip.ExtractOptions = ExtrDirNames;
    if (zip.ExtractMembers() == 1)
        return {};
    return ExtractionFailure(request, zip);
}

} // namespace

std::optional<QString> ExtractionProgressText(long long extractedBytes) {
    const double tenths = std::round(static_cast<double>(extractedBytes) * 1000.0 / 2e9);
    if (std::fmod(tenths, 10.0) != 0)
        return std::nullopt;
    return QString::number(tenths / 10.0, 'g', 15) + " % completed.";
}

TRasterLocation ResolveRasterFile(const TRasterRequest& request, TExtractionView* view) {
    if (!ValidCellSize(request.Bytes))
        throw TAMOError(QString("The theme \"%1\" is invalid: its cell size (Bytes) is %2, but only 1, 2 "
                                "or 4 bytes per cell are possible.")
                            .arg(request.ThemeName)
                            .arg(request.Bytes));
    if (!PlainFileName(request.FileName))
        throw TAMOError(QString("The theme \"%1\" is invalid: its raster file name \"%2\" must be a plain "
                                "file name, without a folder.")
                            .arg(request.ThemeName, request.FileName));
    const QString cacheFolder = request.CacheFolder;
    const QString cache = QDir(cacheFolder).filePath(request.FileName);
    const bool archiveExists = !request.ArchivePath.isEmpty() && QFileInfo::exists(request.ArchivePath);
    QString path;
    if (QFileInfo::exists(cache)) {
        path = cache;
        // The archive belongs with the data set; without it the cached copy is not trusted.
        if (!archiveExists) {
            qCInfo(LogRaster) << "cached raster" << cache << "not used: the archive" << request.ArchivePath
                              << "is missing";
            return {};
        }
    } else if (!request.RasterFile.isEmpty() && QFileInfo::exists(request.RasterFile)) {
        path = request.RasterFile;
    } else {
        if (!archiveExists) {
            qCInfo(LogRaster) << "no raster for" << request.FileName << "and no archive"
                              << request.ArchivePath;
            return {};
        }
        // What an interrupted extraction left would count against the free space.
        RemoveFromCache(cache + ".part", cacheFolder);
        const long long free = FreeSpace(request);
        if (free < kExtractionSpace) {
            qCInfo(LogExtract) << "not extracted: only" << free << "bytes free in" << cacheFolder;
            TRasterLocation tooLittle;
            tooLittle.Message =
                QString("There is too little free space to extract the raster \"%1\" into the "
                        "cache folder \"%2\": %3 MB are free, %4 MB are needed.")
                    .arg(Native(request.FileName), Native(cacheFolder))
                    .arg(free / 1'000'000)
                    .arg(kExtractionSpace / 1'000'000);
            return tooLittle;
        }
        const TRasterLocation failed = Extract(request, view);
        if (failed.Cancelled || !failed.Message.isEmpty())
            return failed;
        path = cache;
    }

    // A complete file holds every cell of its own grid: the header beside it, or the world.
    const TRasterGrid grid = QFileInfo::exists(path) ? RasterGridOf(path, request.Bytes) : TRasterGrid{};
    if (grid.Bytes != request.Bytes)
        throw TAMOError(QString("The theme \"%1\" is invalid: it gives %2 bytes per cell, but the header of "
                                "its raster \"%3\" gives %4 bytes per cell.")
                            .arg(request.ThemeName)
                            .arg(request.Bytes)
                            .arg(QDir::toNativeSeparators(path))
                            .arg(grid.Bytes));
    const qint64 expected = grid.FileBytes();
    TRasterLocation found;
    if (QFileInfo::exists(path)) {
        found.File = path;
        const qint64 size = QFileInfo(path).size();
        // A complete raster of another cell size is not a broken extraction: the theme is wrong.
        for (int bytes : {1, 2, 4})
            if (bytes != request.Bytes && size == bytes * grid.Cells())
                throw TAMOError(QString("The theme \"%1\" is invalid: it gives %2 bytes per cell, but its "
                                        "raster \"%3\" holds %4 bytes per cell.")
                                    .arg(request.ThemeName)
                                    .arg(request.Bytes)
                                    .arg(QDir::toNativeSeparators(path))
                                    .arg(bytes));
        if (size != expected) {
            qCInfo(LogRaster) << "raster" << path << "holds" << size << "bytes instead of" << expected;
            RemoveFromCache(path, cacheFolder);
        }
    }
    const QFileInfo result(path);
    if (result.exists() && result.size() == expected) {
        found.Path = path;
        qCInfo(LogRaster) << "theme" << request.ThemeName << "uses the raster" << path;
    }
    return found;
}
