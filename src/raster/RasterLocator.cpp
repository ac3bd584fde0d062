#include "raster/RasterLocator.h"

#include "common/ProgramFolder.h"
#include "common/TAMOError.h"
#include "raster/RasterFile.h"
#include "raster/RasterGrid.h"
#include "raster/Zip.h"
#include "settings/Preferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <cmath>

namespace {
bool ValidCellSize(int bytes) {
    return bytes == 1 || bytes == 2 || bytes == 4;
}

TFreeSpaceProbe& FreeSpaceProbe() {
    static TFreeSpaceProbe probe;
    return probe;
}

long long FreeSpace(const QString& folder) {
    if (FreeSpaceProbe())
        return FreeSpaceProbe()(folder);
    const QStorageInfo storage(folder);
    return storage.isValid() ? storage.bytesAvailable() : 0;
}

// Extracts the member into the cache folder through the program's archive component.
void Extract(const TRasterRequest& request, const QString& cacheFolder, TExtractionView* view) {
    TZip& zip = ArchiveComponent();
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
    } else {
        zip.OnZEDProgressEvent = nullptr;
        zip.OnQuestion = nullptr;
        zip.OnMessage = nullptr;
    }
    struct TUnhook {
        TZip& Zip;
        ~TUnhook() {
            Zip.OnZEDProgressEvent = nullptr;
            Zip.OnQuestion = nullptr;
            Zip.OnMessage = nullptr;
        }
    } unhook{zip};
    zip.SetArchiveName(request.ArchivePath);
    zip.MemberList = QStringList{request.FileName};
    zip.ExtractFolder = cacheFolder;
    zip.ExtractOptions = ExtrDirNames;
    zip.ExtractMembers();
}

} // namespace

void SetFreeSpaceProbe(TFreeSpaceProbe probe) {
    FreeSpaceProbe() = std::move(probe);
}

std::optional<QString> ExtractionProgressText(long long extractedBytes) {
    const double tenths = std::round(static_cast<double>(extractedBytes) * 1000.0 / 2e9);
    if (std::fmod(tenths, 10.0) != 0)
        return std::nullopt;
    return QString::number(tenths / 10.0, 'g', 15) + " % completed.";
}

QString ResolveRasterFile(const TRasterRequest& request, TExtractionView* view) {
    if (!ValidCellSize(request.Bytes))
        throw TAMOError(QString("The theme \"%1\" is invalid: its cell size (Bytes) is %2, but only 1, 2 "
                                "or 4 bytes per cell are possible.")
                            .arg(request.ThemeName)
                            .arg(request.Bytes));
    TPreferences& prefs = Preferences();
    const QString cacheFolder = CacheFolder();
    const QString cache = QDir(cacheFolder).filePath(request.FileName);
    const bool archiveExists = !request.ArchivePath.isEmpty() && QFileInfo::exists(request.ArchivePath);
    QString path;
    if (QFileInfo::exists(cache)) {
        path = cache;
        // The archive belongs with the data set; without it the cached copy is not trusted.
        if (!archiveExists)
            return {};
    } else if (!prefs.RASTER.isEmpty() && QFileInfo::exists(prefs.RASTER)) {
        path = prefs.RASTER;
    } else {
        if (!archiveExists)
            return {};
        // What an interrupted extraction left would count against the free space.
        QFile::remove(cache + ".part");
        if (FreeSpace(cacheFolder) < kExtractionSpace)
            return {};
        Extract(request, cacheFolder, view);
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
    if (QFileInfo::exists(path)) {
        prefs.RASTER = path;
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
        if (size != expected && IsInsideFolder(path, cacheFolder))
            QFile::remove(path);
        ProgramState().LastRasterPath = path;
    }
    const QFileInfo result(path);
    return result.exists() && result.size() == expected ? path : QString();
}
