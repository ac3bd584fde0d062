#pragma once
// Shape overlays of a map: adding a shapefile to a legend's overlay list, and drawing the visible
// overlays over a finished map image. The files are read anew at every drawing; no geometry is
// kept between drawings.

#include "themes/ESRIShapeFile.h"

#include <QString>
#include <vector>

class QImage;
class TPaintMonitor;
class TQEVmanager;
class TViewGeometry;

// Appends a visible overlay for the shapefile at `path`: blue for a line file, black for every
// other type. Throws TAMOError naming the file and why, and adds nothing, when the shapefile, its
// index or an attribute table beside them cannot be read (only regular files are opened).
void AddShapeLayer(TQEVmanager& legend, const QString& path);

enum class TOverlayResult { Completed, Stopped };

// Draws the visible overlays of `layers`, in list order, over `target` at `view`.
// Objects outside the visible box are skipped before projection; vertices that are no finite
// number break the line they are on. The monitor (may be null) is asked before every object and
// every few thousand vertices whether to stop, and after every 50th object to show the partial
// map; on a stop the objects drawn so far stay and every file opened is closed. Files that cannot
// be opened, or are no regular files, are not drawn.
TOverlayResult DrawShapeLayers(QImage& target, const std::vector<TESRIShapeFile>& layers,
                               const TViewGeometry& view, TPaintMonitor* monitor);

// The object count after which the monitor shows the partial map.
inline constexpr int kOverlayProgressStep = 50;
