// tamo-make-demo-data: writes the demo data set of the viewer into a folder:
//   TAMO2.sqlite  attribute database        TAMO2.zip  archive holding the raster TAMO2.bil
//   Country.shp/.shx/.dbf  world country outlines (copied from the project's data folder)
// The same options give the same bytes on every run.
#include "DemoDatabase.h"
#include "DemoWorld.h"
#include "LandMask.h"
#include "RasterArchive.h"

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

namespace {

void Usage() {
    std::fprintf(stderr,
                 "usage: tamo-make-demo-data [options] DIR\n"
                 "  --small           a small data set with the same tables (1440 x 720 cells, 1200 units)\n"
                 "  --cols N          raster width in cells (height N/2); the full set has 43200\n"
                 "  --units N         number of soil mapping units wanted (full set: 30000)\n"
                 "  --level N         deflate level of the raster member, 1-9 (default 6)\n"
                 "  --preview FILE    also write a preview picture (PNG) of the dominant soils\n"
                 "  --preview-width N width of the preview (default 1080)\n"
                 "  --outlines FILE   country outline shapefile (default: the project's data/Country.shp)\n");
}

QString FindOutlines() {
    const QStringList candidates = {QString(TAMO_DATA_DIR) + "/Country.shp",
                                    QCoreApplication::applicationDirPath() + "/demo-data/Country.shp"};
    for (const QString& path : candidates)
        if (!path.startsWith('/') ? false : QFileInfo::exists(path))
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

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Demo::TWorldOptions options;
    QString dir, previewPath, outlines;
    int level = 6, previewWidth = 1080;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&]() -> QString {
            if (i + 1 >= args.size()) {
                Usage();
                std::exit(2);
            }
            return args[++i];
        };
        if (a == "--small") {
            options.Cols = 1440;
            options.Rows = 720;
            options.UnitFactor = 1;
            options.TargetUnits = 1200;
        } else if (a == "--cols") {
            options.Cols = value().toInt();
            options.Rows = options.Cols / 2;
            options.UnitFactor = std::max(1, options.Cols / 10800);
        } else if (a == "--units") {
            options.TargetUnits = value().toInt();
        } else if (a == "--level") {
            level = value().toInt();
        } else if (a == "--preview") {
            previewPath = value();
        } else if (a == "--preview-width") {
            previewWidth = value().toInt();
        } else if (a == "--outlines") {
            outlines = value();
        } else if (a.startsWith('-') || !dir.isEmpty()) {
            Usage();
            return 2;
        } else {
            dir = a;
        }
    }
    if (dir.isEmpty() || options.Cols < 360 || options.Cols % 2 || options.TargetUnits < 10 ||
        options.TargetUnits > 60000 || level < 1 || level > 9 || previewWidth < 2) {
        Usage();
        return 2;
    }
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
        Demo::TLandMask land;
        land.Load(outlines);
        say("country outlines read");
        Demo::TDemoWorld world(options, land);
        world.Build();
        std::printf("          %zu soil mapping units\n", world.Units().size());
        say("soil world built");
        Demo::WriteDatabase(dir + "/TAMO2.sqlite", world);
        say("TAMO2.sqlite written");
        CopyOutlines(outlines, dir);
        say("Country.shp copied");
        QImage preview;
        // The archive comes last: its presence tells that the data set is complete.
        const Demo::TRasterStats stats =
            Demo::WriteRasterArchive(dir + "/TAMO2.zip", "TAMO2.bil", world, land, level,
                                     previewPath.isEmpty() ? nullptr : &preview, previewWidth);
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
