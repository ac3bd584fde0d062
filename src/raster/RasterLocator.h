#pragma once
// Finds the raster file of a theme: the copy extracted into the cache folder, or the file the
// RASTER setting names.

#include <QString>

// Message shown when a theme's raster cannot be used.
inline constexpr const char* kRasterNotFoundMessage =
    "The image file was not found. (not enough disk space, no write permission or not fully "
    "decompressed). Try again.";

// What is needed to find a theme's raster.
struct TRasterRequest {
    QString FileName;    // the raster's file name, as in the cache folder
    QString ArchivePath; // the archive the raster comes from
    int Bytes = 2;       // cell size: 1, 2 or 4
    QString ThemeName;   // for the messages
};

// The path of the complete raster (Bytes x 933,120,000 bytes) that the map opens, or an empty
// text when there is none. A wrong-sized file inside the cache folder is deleted so that the next
// attempt starts afresh; a file elsewhere is left alone. On success RASTER names the file, so
// that the data location dialog shows it. A theme whose cell size is not 1, 2 or 4, or that
// disagrees with a complete raster of another cell size, raises TAMOError naming the theme; such
// a raster is never deleted.
QString ResolveRasterFile(const TRasterRequest& request);
