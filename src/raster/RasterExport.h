#pragma once
// Writes a part of a theme's raster to a file that GIS software reads, through GDAL: the SMU ids as
// stored, the legend classes of a map, or a property map's values, georeferenced in EPSG:4326 with
// the grid's cells, optionally with the legend's colours and class names.
//
// The files are written under temporary names in the target folder and take their names only when
// all were written: a cancelled or failed export leaves no file behind, and an earlier export of
// the same name stays whole until the new one is complete.

#include "raster/CellClasses.h"
#include "raster/CellTally.h"
#include "raster/JobControl.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

enum class TExportLayer { Units, Classes, Values };
enum class TExportFormat { GTiff, EHdr, RST, AAIGrid };
enum class TExportLegend { No, Yes };

struct TExportRequest {
    TTallySource Source; // the raster and its grid, which spans the world
    TCellWindow Window;  // the cells written (clipped to the grid)
    TExportLayer Layer = TExportLayer::Units;
    TExportFormat Format = TExportFormat::GTiff;
    TExportLegend Legend = TExportLegend::No;
    TCellClasses Classes;                           // the legend: classes, colours, names, values
    TTopCellValue TopValue = TTopCellValue::NoData; // what the cell value 65535 means
    QString Path;                                   // the main file
};

// The value written for cells without data: 0 for ids and classes, this for property values.
inline constexpr float kNoDataPropertyValue = -9999.0f;

// The GDAL driver name of a format ("GTiff", "EHdr", "RST", "AAIGrid") and back; nothing for a
// name that is none of them (compared without regard to case).
QString FormatName(TExportFormat format);
std::optional<TExportFormat> FormatFromName(const QString& name);
// The extension of a format's main file, without the dot: "tif", "bil", "rst", "asc".
QString FormatExtension(TExportFormat format);
// `path` with the format's extension added when it has none.
QString WithFormatExtension(const QString& path, TExportFormat format);

// Every file an export of `format` to `path` may consist of: the main file first, then the side
// files the format keeps beside it (header, world file, colours, projection, metadata).
QStringList ExportMembers(const QString& path, TExportFormat format);
// Those of them that exist now: the files an export would replace.
QStringList ExistingExportMembers(const QString& path, TExportFormat format);

enum class TExportOutcome { Written, Cancelled };

// Writes the export. Replaces the files of an earlier export of the same name (the caller asks
// the user first). Raises TAMOError naming the file when it cannot be written, with a message of
// its own when the disk is full.
TExportOutcome ExportRaster(const TExportRequest& request, const TJobControl& control = {});

// Free bytes on the file system of a folder; tests put their own in place (nullptr restores).
using TExportSpaceProbe = std::function<long long(const QString& folder)>;
void SetExportSpaceProbe(TExportSpaceProbe probe);
