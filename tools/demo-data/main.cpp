// tamo-make-demo-data: writes the demo data set of the viewer into a folder:
//   TAMO2.sqlite  attribute database        TAMO2.zip  archive holding the raster TAMO2.bil
//   Country.shp/.shx/.dbf  world country outlines (copied from the ones shipped with the program)
// The same options give the same bytes on every run.
#include "DemoDatabase.h"
#include "DemoWorld.h"
#include "LandMask.h"
#include "RasterArchive.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <exception>

#ifndef TAMO_DATA_DIR
#define TAMO_DATA_DIR ""
#endif
#ifndef TAMO_INSTALLED_OUTLINES
#define TAMO_INSTALLED_OUTLINES "../share/tamo/outlines"
#endif

namespace {

// The outlines installed with the program, a copy beside the program in a build, or the
// project's data folder.
QString FindOutlines() {
    const QString programFolder = QCoreApplication::applicationDirPath() + "/";
    const QStringList candidates = {programFolder + TAMO_INSTALLED_OUTLINES + "/Country.shp",
                                    programFolder + "demo-data/Country.shp",
                                    QString(TAMO_DATA_DIR) + "/Country.shp"};
    for (const QString& path : candidates)
        if (QFileInfo(path).isAbsolute() && QFileInfo::exists(path))
            return path;
    return {};
}

void CopyOutlines(const QString& shapePath, const QString& dir) {
    const QString base = shapePath.left(shapePath.size() - 4);
    for (const char* ext : {".shp", ".shx", ".dbf"}) {
        const QString target = dir + "/Country" + ext;
        QFile::remove(target);
        if (!QFile::copy(base + ext, target))
            throw std::runtime_error("Cannot copy " + (base + ext).toStdString() + " to " +
                                     target.toStdString());
        QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                     QFile::ReadOther);
    }
}

constexpr char kExitCodes[] = "\n"
                              "Exit codes:\n"
                              "  0  the data set is complete\n"
                              "  1  the data set could not be made (the message names the reason)\n"
                              "  2  the command line is wrong\n";

// A wrong command line: one line on standard error, exit code 2.
int Reject(const QString& problem) {
    std::fprintf(stderr, "tamo-make-demo-data: %s Try 'tamo-make-demo-data --help'.\n", qPrintable(problem));
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Writes the demo data set of the TAMO Viewer into DIR: TAMO2.sqlite (attribute database),\n"
        "TAMO2.zip (the raster TAMO2.bil) and Country.shp/.shx/.dbf (country outlines).\n"
        "The same options give the same bytes on every run.");
    const QCommandLineOption help({"h", "help"}, "Shows this help and ends.");
    const QCommandLineOption version({"v", "version"}, "Shows the version and ends.");
    const QCommandLineOption small("small",
                                   "A small data set with the same tables (1440 x 720 cells, 1200 units).");
    const QCommandLineOption cols("cols", "Raster width in cells (height N/2); the full set has 43200.", "N");
    const QCommandLineOption units("units", "Number of soil mapping units wanted (full set: 30000).", "N");
    const QCommandLineOption level("level", "Deflate level of the raster member, 1-9 (default 6).", "N");
    const QCommandLineOption previewOption(
        "preview", "Also write a preview picture (PNG) of the dominant soils.", "FILE");
    const QCommandLineOption previewWidth("preview-width", "Width of the preview (default 1080).", "N");
    const QCommandLineOption progress("progress",
                                      "Also print lines 'progress N', N the percent of the whole run done.");
    const QCommandLineOption outlinesOption(
        "outlines", "Country outline shapefile (default: the one shipped with the program).", "FILE");
    parser.addOptions(
        {help, version, small, cols, units, level, previewOption, previewWidth, outlinesOption, progress});
    parser.addPositionalArgument("DIR", "The folder to write (made when missing).");
    if (!parser.parse(app.arguments()))
        return Reject(parser.errorText());
    if (parser.isSet(help)) {
        QString text = parser.helpText();
        text.replace(0, text.indexOf(" [options]"),
                     "Usage: tamo-make-demo-data"); // not the path it was started by
        std::fputs(qPrintable(text + kExitCodes), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("tamo-make-demo-data %s\n", TAMO_VERSION);
        return 0;
    }

    // Whole numbers of the options, each within its range; the first wrong one is reported.
    QString problem;
    const auto number = [&](const QCommandLineOption& option, int fallback, int low, int high) {
        if (!parser.isSet(option))
            return fallback;
        bool ok = false;
        const int value = parser.value(option).toInt(&ok);
        if ((!ok || value < low || value > high) && problem.isEmpty())
            problem = QString("Option '--%1' needs a whole number from %2 to %3, not '%4'.")
                          .arg(option.names().first())
                          .arg(low)
                          .arg(high)
                          .arg(parser.value(option));
        return value;
    };
    Demo::TWorldOptions options;
    if (parser.isSet(small)) {
        options.Cols = 1440;
        options.Rows = 720;
        options.UnitFactor = 1;
        options.TargetUnits = 1200;
    }
    if (parser.isSet(cols)) {
        options.Cols = number(cols, options.Cols, 360, 86400);
        options.Rows = options.Cols / 2;
        options.UnitFactor = std::max(1, options.Cols / 10800);
    }
    options.TargetUnits = number(units, options.TargetUnits, 10, 60000);
    const int deflateLevel = number(level, 6, 1, 9);
    const int previewPixels = number(previewWidth, 1080, 2, 100000);
    if (!problem.isEmpty())
        return Reject(problem);
    if (options.Cols % 2)
        return Reject("Option '--cols' needs an even number of cells.");
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return Reject(positional.isEmpty() ? "Give the folder to write." : "Give one folder only.");
    const QString dir = positional.first();
    const QString previewPath = parser.value(previewOption);
    QString outlines = parser.value(outlinesOption);
    try {
        if (outlines.isEmpty())
            outlines = FindOutlines();
        if (outlines.isEmpty() || !QFileInfo::exists(outlines))
            throw std::runtime_error("The country outlines (Country.shp) were not found");
        if (!QDir().mkpath(dir))
            throw std::runtime_error("Cannot create the folder " + dir.toStdString());
        QElapsedTimer clock;
        clock.start();
        auto say = [&](const char* what) {
            std::printf("%7.1f s  %s\n", clock.elapsed() / 1000.0, what);
            std::fflush(stdout);
        };
        // With --progress: the share of the whole run, weighted by how long each step takes
        // (the soil world about a third, the database an eighth, the raster archive half).
        int percentShown = -1;
        const auto report = [&](double from, double to, double done) {
            const int percent = static_cast<int>(from + (to - from) * done);
            if (parser.isSet(progress) && percent > percentShown) {
                std::printf("progress %d\n", percent);
                std::fflush(stdout);
                percentShown = percent;
            }
        };
        Demo::TLandMask land;
        land.Load(outlines);
        say("country outlines read");
        Demo::TDemoWorld world(options, land);
        world.Build([&](double done) { report(1, 35, done); });
        std::printf("          %zu soil mapping units\n", world.Units().size());
        say("soil world built");
        Demo::WriteDatabase(dir + "/TAMO2.sqlite", world);
        say("TAMO2.sqlite written");
        report(0, 48, 1);
        CopyOutlines(outlines, dir);
        say("Country.shp copied");
        QImage preview;
        // The archive comes last: its presence tells that the data set is complete.
        const Demo::TRasterStats stats =
            Demo::WriteRasterArchive(dir + "/TAMO2.zip", "TAMO2.bil", world, land, deflateLevel,
                                     previewPath.isEmpty() ? nullptr : &preview, previewPixels,
                                     [&](double done) { report(48, 100, done); });
        std::printf("          raster %d x %d, %llu bytes, %llu land cells\n", options.Cols, options.Rows,
                    static_cast<unsigned long long>(stats.Bytes),
                    static_cast<unsigned long long>(stats.LandCells));
        say("TAMO2.zip written");
        if (!previewPath.isEmpty()) {
            if (!preview.save(previewPath, "PNG"))
                throw std::runtime_error("Cannot write the preview " + previewPath.toStdString());
            say("preview written");
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tamo-make-demo-data: %s\n", e.what());
        return 1;
    }
    return 0;
}
