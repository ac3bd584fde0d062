#pragma once
// Finds the raster file of a theme: the copy extracted into the cache folder, or the file the
// RASTER setting names; extracts it from the theme's archive when neither exists. Writes no
// setting: the caller keeps what it wants of the result.

#include <QString>
#include <functional>
#include <optional>

enum class TZipAnswer;

// Message shown when a theme's raster cannot be used.
inline constexpr const char* kRasterNotFoundMessage =
    "The image file was not found. (not enough disk space, no write permission or not fully "
    "decompressed). Try again.";

// Free bytes the cache folder's file system must have before an extraction starts.
inline constexpr long long kExtractionSpace = 2'000'000'000LL;

// Free bytes on the file system of a folder.
using TFreeSpaceProbe = std::function<long long(const QString& folder)>;

// What is needed to find a theme's raster.
struct TRasterRequest {
    QString FileName;          // the raster's file name, as in the cache folder and the archive
    QString ArchivePath;       // the archive the raster comes from
    int Bytes = 2;             // cell size: 1, 2 or 4
    QString ThemeName;         // for the messages
    QString CacheFolder;       // where rasters are extracted to
    QString RasterFile;        // the RASTER setting: a raster to use when the cache folder holds none
    TFreeSpaceProbe FreeSpace; // empty: the file system's own figure
};

// What ResolveRasterFile found.
struct TRasterLocation {
    // The file found or extracted, also when it proved incomplete: what RASTER names afterwards
    // and what DeleteRaster removes at the end. Empty when there was none.
    QString File;
    // The complete raster the map opens; empty when there is none.
    QString Path;
    // Without a raster: why, for the user (empty: the general "not found" message applies), and
    // whether the user cancelled the extraction (then nothing is to be said).
    QString Message;
    bool Cancelled = false;
};

// What the user sees of an extraction: the progress window and the archive's questions.
class TExtractionView {
public:
    virtual ~TExtractionView() = default;
    virtual void Open() = 0;
    // One step of `stepBytes` bytes of `member`; false cancels the extraction.
    virtual bool Progress(const QString& member, long long stepBytes) = 0;
    // Closes the window; also after a failed extraction.
    virtual void Close() = 0;
    virtual TZipAnswer Ask(const QString& text) = 0;
    virtual void Tell(const QString& text) = 0;
};

// Finds the complete raster (Bytes x the cells of its grid: the header beside it, or
// 43200 x 21600) that the map opens. Without a cached or
// RASTER file the raster is extracted from the archive into the cache folder, when its file
// system has kExtractionSpace bytes free; `view` (may be null) shows the extraction. A
// wrong-sized file inside the cache folder is deleted so that the next attempt starts afresh; a
// file elsewhere is left alone. Archive errors are raised as TZipError. A theme whose cell size
// is not 1, 2 or 4, or that disagrees with a complete raster of another cell size, raises
// TAMOError naming the theme; such a raster is never deleted. So does a theme whose file name
// is not a plain file name (a folder part, "..", an absolute path): only files inside the cache
// folder are ever deleted.
TRasterLocation ResolveRasterFile(const TRasterRequest& request, TExtractionView* view = nullptr);

// The progress text of an extraction that has delivered `extractedBytes`, measured against a
// fixed 2,000,000,000 bytes: "N % completed." when the percentage rounded to one decimal is whole,
// else nothing.
std::optional<QString> ExtractionProgressText(long long extractedBytes);
