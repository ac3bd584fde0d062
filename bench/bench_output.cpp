// Shape overlays, map printing and raster extraction on the demo data set: the country outlines
// over a 1920 x 1080 world view and over Europe at one pixel per cell; a 600-dpi A4 page of the
// world view printed into a PDF file; TAMO2.bil extracted from TAMO2.zip by the archive component,
// with `unzip -p` as the peer in the same run.

#include "BenchData.h"
#include "BenchHost.h"

#include "common/TAMOError.h"
#include "db/TAMO.h"
#include "map/MapExplorerForm.h"
#include "map/MapHost.h"
#include "map/MapOutput.h"
#include "map/ShapeOverlays.h"
#include "raster/Zip.h"
#include "settings/Preferences.h"
#include "themes/QEVLibraryManager.h"
#include "themes/QEVmanager.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>
#include <memory>
#include <shapefil.h>
#include <sys/resource.h>
#include <vector>

namespace {

QString CountryOutlines() {
    return DemoDataFolder() + "/Country.shp";
}

// A polygon of `vertices` vertices zig-zagging from the west edge of the world to the east and
// back, a little further south at every turn (32 MB for 2 million), written into `path`.
bool WriteZigZagPolygon(const QString& path, int vertices) {
    std::vector<double> x(static_cast<std::size_t>(vertices)), y(x.size());
    for (int i = 0; i < vertices; ++i) {
        x[i] = i % 2 ? 179.9 : -179.9;
        y[i] = 80 - 160.0 * i / vertices;
    }
    x.back() = x.front();
    y.back() = y.front();
    SHPHandle shp = SHPCreate(QFile::encodeName(path).constData(), SHPT_POLYGON);
    if (!shp)
        return false;
    SHPObject* object = SHPCreateObject(SHPT_POLYGON, -1, 0, nullptr, nullptr, vertices, x.data(), y.data(),
                                        nullptr, nullptr);
    const bool written = SHPWriteObject(shp, -1, object) >= 0;
    SHPDestroyObject(object);
    SHPClose(shp);
    return written;
}

// The outlines alone over a view of the whole grid.
struct TOverlayView {
    TQEVmanager Legend{nullptr, QString()};
    TViewGeometry View;
    QImage Image{1920, 1080, QImage::Format_RGB32};
    TOverlayView() {
        Legend.ShapeLayers.clear();
        try {
            AddShapeLayer(Legend, CountryOutlines());
        } catch (const TAMOError&) {
            // no outlines: the benchmark reports it
        }
        View.SetGrid(kWorldCols, kWorldRows);
        View.SetTarget(1920, 1080);
    }
};

void TimeOverlays(benchmark::State& state, TOverlayView& view) {
    if (view.Legend.ShapeLayers.empty())
        return state.SkipWithError("Country.shp cannot be opened");
    for (auto _ : state) {
        state.PauseTiming();
        view.Image.fill(Qt::white);
        state.ResumeTiming();
        DrawShapeLayers(view.Image, view.Legend.ShapeLayers, view.View, nullptr);
        benchmark::DoNotOptimize(view.Image.constBits());
    }
}

void BM_DrawShapesWorld(benchmark::State& state) {
    TOverlayView view;
    view.View.SetView(0, kWorldCols, 0, kWorldRows);
    view.View.FitView();
    TimeOverlays(state, view);
}
BENCHMARK(BM_DrawShapesWorld)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DrawShapesZoomed(benchmark::State& state) {
    TOverlayView view;
    // Western and central Europe, 10 W to 6 E and 58 N to 49 N, one pixel per cell.
    view.View.SetView(20400, 20400 + 1919, 3840, 3840 + 1079);
    view.View.FitView();
    view.View.SetScale(1);
    TimeOverlays(state, view);
}
BENCHMARK(BM_DrawShapesZoomed)->Unit(benchmark::kMillisecond)->UseRealTime();

// One polygon of 2 million vertices zig-zagging over the world view: read as it is drawn, and
// thinned to the pixel pairs it joins.
void BM_DrawShapesZigZag(benchmark::State& state) {
    QTemporaryDir folder;
    const QString path = folder.filePath("zigzag.shp");
    if (!WriteZigZagPolygon(path, 2000000))
        return state.SkipWithError("the zig-zag polygon cannot be written");
    TOverlayView view;
    view.Legend.ShapeLayers.clear();
    AddShapeLayer(view.Legend, path);
    view.View.SetView(0, kWorldCols, 0, kWorldRows);
    view.View.FitView();
    TimeOverlays(state, view);
}
BENCHMARK(BM_DrawShapesZigZag)->Unit(benchmark::kMillisecond)->UseRealTime();

// A 600-dpi A4 page of a map window showing the world (1920 x 1080 window) into a PDF file.
void BM_PrintWorldPdf(benchmark::State& state) {
    const QString folder = DemoDataFolder();
    QTemporaryDir out;
    TQEVLibraryManager library(DemoConnection(), DemoCacheFolder());
    TTAMO tamo(DemoConnection(), DemoCacheFolder());
    tamo.BuildWrbIndex();
    TBenchHost host;
    host.Lookup = &tamo;
    host.Settings.CacheFolder = out.path() + "/";
    host.Settings.RasterFile = DemoRasterPath();
    host.Settings.WorldMap = CountryOutlines();
    const TQEV_Layer* theme = library.FirstTheme();
    if (!theme)
        return state.SkipWithError("no theme");
    TMapExplorerForm form(host);
    form.resize(1920, 1080);
    form.show();
    if (!form.OpenTheme(theme, 0, kWorldCols, 0, kWorldRows))
        return state.SkipWithError("the raster cannot be opened");
    // Let the redraw that follows the window's resize happen before, not during, the prints.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 500 || form.IsDrawing()) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setResolution(600);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setOutputFileName(out.filePath("map.pdf"));
    for (auto _ : state) {
        if (!PrintMap(form, printer))
            return state.SkipWithError("nothing printed");
    }
    state.counters["pdf_MB"] = QFileInfo(out.filePath("map.pdf")).size() / 1e6;
    const QSize page = printer.pageLayout().paintRectPixels(600).size();
    state.counters["page_px"] = page.width() * double(page.height());
}
BENCHMARK(BM_PrintWorldPdf)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// The folder extractions write into: TAMO_BENCH_TMP, else the temporary folder. 2 GB must be free.
QString ScratchFolder() {
    const QString given = qEnvironmentVariable("TAMO_BENCH_TMP");
    return given.isEmpty() ? QDir::tempPath() : given;
}

long PeakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void BM_ExtractRaster(benchmark::State& state) {
    const QString zipPath = DemoDataFolder() + "/TAMO2.zip";
    QTemporaryDir cache(ScratchFolder() + "/tamo-bench-extract-XXXXXX");
    const long before = PeakRssKb();
    TZip zip;
    zip.SetArchiveName(zipPath);
    for (auto _ : state) {
        zip.MemberList = {"TAMO2.bil"};
        zip.ExtractFolder = cache.path();
        if (zip.ExtractMembers() != 1)
            return state.SkipWithError("extraction failed");
        state.PauseTiming();
        if (QFileInfo(cache.filePath("TAMO2.bil")).size() != 2 * kWorldCells)
            return state.SkipWithError("wrong size");
        QFile::remove(cache.filePath("TAMO2.bil"));
        state.ResumeTiming();
    }
    state.counters["peak_rss_growth_MB"] = (PeakRssKb() - before) / 1024.0;
}
BENCHMARK(BM_ExtractRaster)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_ExtractRasterUnzipPeer(benchmark::State& state) {
    const QString zipPath = DemoDataFolder() + "/TAMO2.zip";
    QTemporaryDir cache(ScratchFolder() + "/tamo-bench-unzip-XXXXXX");
    const QString target = cache.filePath("TAMO2.bil");
    for (auto _ : state) {
        QProcess unzip;
        unzip.setStandardOutputFile(target);
        unzip.start("unzip", {"-p", zipPath, "TAMO2.bil"});
        if (!unzip.waitForFinished(-1) || unzip.exitCode() != 0)
            return state.SkipWithError("unzip failed");
        state.PauseTiming();
        if (QFileInfo(target).size() != 2 * kWorldCells)
            return state.SkipWithError("wrong size");
        QFile::remove(target);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ExtractRasterUnzipPeer)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace
