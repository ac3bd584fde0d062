// tamo-export: writes a theme's SMU ids, or the classes of its legend, to a raster file that GIS
// software reads, as the viewer's Export window does.
#include "ToolSupport.h"
#include "classify/ColorRamp.h"
#include "common/TAMOError.h"
#include "db/TAMO.h"
#include "raster/RasterExport.h"
#include "themes/LegendClasses.h"
#include "themes/SoilDataSet.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

constexpr char kUsage[] =
    "Usage: tamo-export [options] OUTPUT\n"
    "Writes a theme of the soil database to a raster file in EPSG:4326 with 30 arc-second cells.\n"
    "\n"
    "  --theme NAME        the theme (default: the first theme of the catalogue)\n"
    "  --layer smu|classes|value\n"
    "                      the SMU ids as stored (default), the legend class of each cell, or a\n"
    "                      property map's values\n"
    "  --extent N S W E    the area in degrees, its edges moved outward to whole cells\n"
    "  --world             the whole world (the default)\n"
    "  --format GTiff|EHdr|RST|AAIGrid\n"
    "                      GeoTIFF (default; tiled, DEFLATE), ESRI BIL, IDRISI RST, ESRI ASCII grid\n"
    "  --legend            add the legend's colours and class names\n"
    "  --data FOLDER       the data set in FOLDER instead of the one the viewer uses\n"
    "  --overwrite         replace the files of an existing export\n"
    "  --help, --version\n"
    "\n"
    "OUTPUT without an extension gets the format's (.tif, .bil, .rst, .asc). Exit status 0 on\n"
    "success, 1 on a failure, 2 on a wrong command line.\n";

int Export() {
    TArguments arguments(QCoreApplication::arguments());
    QString theme, output, folder;
    TExportLayer layer = TExportLayer::Units;
    TExportFormat format = TExportFormat::GTiff;
    TExportLegend legend = TExportLegend::No;
    TDegreeExtent extent = kWorldExtent;
    bool overwrite = false;
    while (!arguments.AtEnd()) {
        const QString argument = arguments.Next();
        if (argument == "--theme")
            theme = arguments.Value(argument);
        else if (argument == "--layer") {
            const QString choice = arguments.Choice(argument, {"smu", "classes", "value"});
            layer = choice == "smu"       ? TExportLayer::Units
                    : choice == "classes" ? TExportLayer::Classes
                                          : TExportLayer::Values;
        } else if (argument == "--extent")
            extent = arguments.Extent();
        else if (argument == "--world")
            extent = kWorldExtent;
        else if (argument == "--format")
            format = *FormatFromName(arguments.Choice(argument, {"GTiff", "EHdr", "RST", "AAIGrid"}));
        else if (argument == "--legend")
            legend = TExportLegend::Yes;
        else if (argument == "--data")
            folder = arguments.Value(argument);
        else if (argument == "--overwrite")
            overwrite = true;
        else if (argument.startsWith("--") || !output.isEmpty())
            throw TUsageError(QString("unknown argument \"%1\"").arg(argument).toStdString());
        else
            output = argument;
    }
    if (output.isEmpty())
        throw TUsageError("the output file is missing");
    output = QFileInfo(WithFormatExtension(output, format)).absoluteFilePath();
    const QStringList existing = ExistingExportMembers(output, format);
    if (!existing.isEmpty() && !overwrite)
        throw TAMOError(QString("\"%1\" exists; give --overwrite to replace it")
                            .arg(QDir::toNativeSeparators(existing.first())));

    TTerminalProgress progress;
    const TSoilDataSet data(folder, [&](const QString& step, int percent) {
        if (percent < 0)
            progress.End();
        else
            progress.Show(step, percent);
    });
    const TQEV_Layer& chosen = data.Theme(theme);
    if (layer == TExportLayer::Values)
        throw TAMOError(
            QString("the theme \"%1\" is no property map and has no values").arg(chosen.LayerName));
    const std::shared_ptr<const TRasterSource> raster = data.OpenRaster(chosen);
    const TRasterGrid& grid = raster->Grid();
    progress.End();

    TExportRequest request;
    request.Source = TallySourceOf(*raster);
    request.Window = CellsCovering(extent, grid.Cols, grid.Rows);
    request.Layer = layer;
    request.Format = format;
    request.Legend = legend;
    request.TopValue = chosen.ZeroIsValue ? TTopCellValue::Value : TTopCellValue::NoData;
    if (layer == TExportLayer::Classes || legend == TExportLegend::Yes)
        request.Classes = DefaultCellClasses(chosen, data.Database(), ToRampRecord(ColorRamps().at(0)));
    request.Path = output;
    TJobControl control;
    control.Progress = [&](int percent) {
        progress.Show("Writing " + QFileInfo(output).fileName(), percent);
    };
    ExportRaster(request, control);
    progress.End();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return RunTool(argc, argv, "tamo-export", kUsage, [] {
        InitColorRamps();
        return Export();
    });
}
