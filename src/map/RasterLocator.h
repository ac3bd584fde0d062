#pragma once
// Finds the raster file of a theme: the copy extracted into the cache folder, or the file the
// RASTER setting names. On success RASTER names the file the map opens.

#include <QString>

struct TQEV_Layer;

// Message shown when a theme's raster cannot be used.
inline constexpr const char* kRasterNotFoundMessage =
    "The image file was not found. (not enough disk space, no write permission or not fully "
    "decompressed). Try again.";

// True when a complete raster (Bytes x 933,120,000 bytes) was found. A wrong-sized file inside the
// cache folder is deleted so that the next attempt starts afresh; a file elsewhere is left alone.
bool ResolveRasterFile(const TQEV_Layer& theme);
