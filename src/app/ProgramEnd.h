#pragma once
// What happens after the last window is gone: the extracted raster may be deleted.

#include <QString>

struct TPreferences;

// Deletes the last raster when DeleteRaster is on, but only a copy inside the cache folder, which
// the program extracted and can extract again; a raster the user keeps elsewhere is never touched.
// Returns true when a file was deleted.
bool DeleteLastRaster(const TPreferences& prefs, const QString& lastRasterPath);
