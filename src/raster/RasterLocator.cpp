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

// Extracts the member into the cache folder through an archive component of its own, whose
// callbacks are this extraction's.
void Extract(const TRasterRequest& request, TExtractionView* view) {
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
    zip.ExtractMembers();
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
        QFile::remove(cache + ".part");
        const long long free = FreeSpace(request);
        if (free < kExtractionSpace) {
            qCInfo(LogExtract) << "not extracted: only" << free << "bytes free in" << cacheFolder;
            return {};
        }
        Extract(request, view);
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
            if (IsInsideFolder(path, cacheFolder))
                QFile::remove(path);
        }
    }
    const QFileInfo result(path);
    if (result.exists() && result.size() == expected) {
        found.Path = path;
        qCInfo(LogRaster) << "theme" << request.ThemeName << "uses the raster" << path;
    }
    return found;
}
