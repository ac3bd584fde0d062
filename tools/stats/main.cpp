// tamo-stats: the area of each legend class or soil mapping unit of a theme, in km² on the WGS84
// ellipsoid, as the viewer's statistics window shows it, written as a CSV file.
#include "ToolSupport.h"
#include "classify/ColorRamp.h"
#include "common/TAMOError.h"
#include "db/TAMO.h"
#include "raster/AreaStatistics.h"
#include "raster/UnitAreaTable.h"
#include "reports/SmuCsv.h"
#include "reports/StatisticsCsv.h"
#include "themes/LegendClasses.h"
#include "themes/SoilDataSet.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace {

constexpr char kUsage[] =
    "Usage: tamo-stats [options] OUTPUT\n"
    "Writes the cells, the area in km2 and the share of the land area of each legend class or\n"
    "soil mapping unit of a theme as a CSV file (UTF-8, CR LF).\n"
    "\n"
    "  --by class|smu      one line per legend class (default) or per soil mapping unit\n"
    "  --extent N S W E    the area in degrees, its edges moved outward to whole cells\n"
    "  --world             the whole world (the default)\n"
    "  --theme NAME        the theme (default: the first theme of the catalogue)\n"
    "  --data FOLDER       the data set in FOLDER instead of the one the viewer uses\n"
    "  --overwrite         replace an existing file\n"
    "  --help, --version\n"
    "\n"
    "OUTPUT \"-\" writes to standard output. Exit status 0 on success, 1 on a failure, 2 on a wrong\n"
    "command line.\n";

int Statistics() {
    TArguments arguments(QCoreApplication::arguments());
    QString theme, output, folder;
    TStatisticsBy by = TStatisticsBy::Class;
    std::optional<TDegreeExtent> extent;
    bool overwrite = false;
    while (!arguments.AtEnd()) {
        const QString argument = arguments.Next();
        if (argument == "--by")
            by = arguments.Choice(argument, {"class", "smu"}) == "class" ? TStatisticsBy::Class
                                                                         : TStatisticsBy::Unit;
        else if (argument == "--extent")
            extent = arguments.Extent();
        else if (argument == "--world")
            extent.reset();
        else if (argument == "--theme")
            theme = arguments.Value(argument);
        else if (argument == "--data")
            folder = arguments.Value(argument);
        else if (argument == "--overwrite")
            overwrite = true;
        else if ((argument.startsWith("--") && argument != "-") || !output.isEmpty())
            throw TUsageError(QString("unknown argument \"%1\"").arg(argument).toStdString());
        else
            output = argument;
    }
    if (output.isEmpty())
        throw TUsageError("the output file is missing");
    if (output != "-") {
        output = QFileInfo(output).absoluteFilePath();
        if (QFileInfo::exists(output) && !overwrite)
            throw TAMOError(QString("\"%1\" exists; give --overwrite to replace it")
                                .arg(QDir::toNativeSeparators(output)));
    }

    TTerminalProgress progress;
    const TSoilDataSet data(folder, [&](const QString& step, int percent) {
        if (percent < 0)
            progress.End();
        else
            progress.Show(step, percent);
    });
    const TQEV_Layer& chosen = data.Theme(theme);
    const std::shared_ptr<const TRasterSource> raster = data.OpenRaster(chosen);
    progress.End();

    const TTallySource source = TallySourceOf(*raster);
    TJobControl control;
    control.Progress = [&](int percent) { progress.Show("Counting cells", percent); };
    // The world's table is the one the viewer keeps; a part of the world is counted.
    const std::optional<TCellTally> tally =
        extent ? TallyCells(source, CellsCovering(*extent, source.Cols, source.Rows), control)
               : CachedUnitAreas(source, data.CacheFolder(), control);
    progress.End();
    const TCellClasses classes =
        DefaultCellClasses(chosen, data.Database(), ToRampRecord(ColorRamps().at(0)));
    const QByteArray text = StatisticsCsvText(SummariseTally(*tally, classes), by);
    if (output == "-") {
        QFile out;
        if (!out.open(stdout, QIODevice::WriteOnly) || out.write(text) != text.size() || !out.flush())
            throw TAMOError("the statistics cannot be written to standard output");
    } else {
        WriteFileReplacing(output, text);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return RunTool(argc, argv, "tamo-stats", kUsage, [] {
        InitColorRamps();
        return Statistics();
    });
}
