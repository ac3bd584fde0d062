#pragma once
// The cells and area of every cell value (every SMU) over the whole raster: counted once per raster
// file and kept in the cache folder, so that the area of any set of units is a sum over the table.

#include "raster/CellTally.h"
#include "raster/JobControl.h"

#include <QString>
#include <optional>

// Where the table of the raster at `rasterPath` is kept: "<raster file name>.areas" in the cache
// folder; empty without a cache folder.
QString UnitAreaCachePath(const QString& rasterPath, const QString& cacheFolder);

// The table read from the cache folder when it was made from this raster (its size, time, cell size
// and grid) and is whole (its checksum holds); else counted afresh and kept there. A damaged or
// stale file is replaced; an unwritable folder only means the table is not kept. Nothing when
// cancelled.
std::optional<TCellTally> CachedUnitAreas(const TTallySource& source, const QString& cacheFolder,
                                          const TJobControl& control = {});

// The kept table alone, or nothing when it is missing, stale or damaged.
std::optional<TCellTally> ReadUnitAreaCache(const TTallySource& source, const QString& cacheFolder);
