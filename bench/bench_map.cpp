// Map drawing benchmarks on the demo data set: a full-world drawing and a 1:1 drawing into
// 1920 x 1080, the peer GDAL RasterIO of the same window, and the cell read under the pointer.
// The map shows the first theme of the library with its own class set, coloured through the SMU
// index of the attribute database, as a map window opened at start-up does. A property map (the
// topsoil pH) is drawn and reclassified on the same raster.

#include "BenchData.h"
#include "BenchHost.h"

#include "app/DataPointText.h"
#include "db/PropertyIndex.h"
#include "db/TAMO.h"
#include "map/MapHost.h"
#include "map/MapRenderJob.h"
#include "raster/RasterPainter.h"
#include "settings/Preferences.h"
#include "themes/Classification.h"
#include "themes/PropertyMap.h"
#include "themes/QEVLibraryManager.h"
#include "themes/QEVmanager.h"

#include <QFile>
#include <QFileInfo>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThreadPool>
#include <benchmark/benchmark.h>
#include <exception>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

#ifdef TAMO_HAVE_GDAL
#include <gdal_priv.h>
#endif

namespace {

// A legend host that gives the raster's cell histogram, as a map window does: counted once and
// kept in a folder of the run.
class TBenchHistogramHost : public TBenchLegendHost {
public:
    std::shared_ptr<const TRasterSource> Raster;
    std::optional<TCellHistogram> CellHistogram() override {
        static QTemporaryDir cache;
        if (!Raster)
            return std::nullopt;
        return Raster->Histogram(cache.path(), [](int) {});
    }
};

// Which map a benchmark draws.
enum class TBenchMapKind { SoilTheme, PropertyMap };

struct TBenchMap {
    TBenchHistogramHost Host;
    std::unique_ptr<TQEVLibraryManager> Library;
    std::unique_ptr<TTAMO> Tamo;
    std::unique_ptr<TQEVmanager> Legend;
    std::shared_ptr<const TRasterSource> Raster;
    TViewGeometry View;
    QString Error; // why the map cannot be drawn; empty when it can

    std::shared_ptr<TPropertyMap> Property;

    explicit TBenchMap(TBenchMapKind kind) {
        try {
            Library = std::make_unique<TQEVLibraryManager>(DemoConnection(), DemoCacheFolder());
            const TQEV_Layer* theme = Library->FirstTheme();
            if (!theme || !theme->ClassSet) {
                Error = "the library has no theme with a class set";
                return;
            }
            Tamo = std::make_unique<TTAMO>(DemoConnection(), DemoCacheFolder());
            Tamo->BuildWrbIndex();
            Host.Lookup = Tamo.get();
            Legend = std::make_unique<TQEVmanager>(&Host, QString());
            Legend->Theme = theme;
            if (kind == TBenchMapKind::PropertyMap)
                OpenTopsoilPh(*theme);
            Legend->RasterVisible = true;
            Legend->ThemeOpen = true;
            Raster = TRasterSource::Open(DemoRasterPath(), theme->Bytes);
            Host.Raster = Raster;
            View.SetGrid(Raster->Grid().Cols, Raster->Grid().Rows);
            Legend->OpenRaster();
        } catch (const std::exception& error) {
            Error = error.what();
        }
    }

    // The property map a user opens first: the share-weighted mean of the topsoil pH in 8 classes
    // of equal area.
    void OpenTopsoilPh(const TQEV_Layer& soilTheme) {
        const TPropertyCatalogue catalogue(*Tamo);
        const TPropertyDefinition definition{TPropertyLevel::Layer, "PH_H2O", "D1",
                                             TPropertyCombination::ShareWeightedMean};
        const TPropertyAttribute* attribute = catalogue.FindAttribute(definition.Level, definition.Field);
        if (!attribute)
            throw std::runtime_error("the database has no PH_H2O");
        Property = std::make_shared<TPropertyMap>(soilTheme, *attribute, definition,
                                                  TPropertyIndex::Build(*Tamo, catalogue, definition));
        Property->Theme().DefaultMethod = cmQuantiles;
        Legend->SetNumClasses(8);
        Legend->Property = Property;
        Legend->Theme = &Property->Theme();
    }
};

TBenchMap& Map() {
    static TBenchMap map(TBenchMapKind::SoilTheme);
    return map;
}

TBenchMap& PropertyMap() {
    static TBenchMap map(TBenchMapKind::PropertyMap);
    return map;
}

// Paints one drawing as a map window's job does: colour table, the sampled rows asked for ahead,
// then the raster in one band per core.
void PaintView(TBenchMap& map, QImage& image) {
    const std::vector<QRgb> colors = map.Legend->RebuildColorTable();
    const TPaintRequest request = PaintRequestOf(*map.Raster, map.View, colors.data());
    AdviseSampledRows(request);
    PaintRasterInBands(request, image, RenderBands());
}

// Paints the map's current view into a picture of `size` once to warm the page cache, then times it.
void TimePainting(benchmark::State& state, TBenchMap& map, QSize size = {1920, 1080}) {
    QImage image(size, QImage::Format_RGB32);
    PaintView(map, image);
    for (auto _ : state) {
        PaintView(map, image);
        benchmark::DoNotOptimize(image.constBits());
    }
}

// The whole world fitted into a picture of `size`.
void ShowWorldInFullHd(TViewGeometry& view, QSize size = {1920, 1080}) {
    view.SetTarget(size.width(), size.height());
    view.SetView(0, kWorldCols, 0, kWorldRows);
    view.FitView();
}

void DrawWorld(benchmark::State& state, TBenchMap& map) {
    if (!map.Error.isEmpty())
        return state.SkipWithError(qPrintable(map.Error));
    ShowWorldInFullHd(map.View);
    TimePainting(state, map);
}

void BM_DrawMapWorld(benchmark::State& state) {
    DrawWorld(state, Map());
}
BENCHMARK(BM_DrawMapWorld)->Unit(benchmark::kMillisecond)->UseRealTime();

// The world on a screen of device pixel ratio 2: a 1920 x 1080 window drawn at 3840 x 2160.
void BM_DrawMapWorldHiDpi(benchmark::State& state) {
    TBenchMap& map = Map();
    if (!map.Error.isEmpty())
        return state.SkipWithError(qPrintable(map.Error));
    const QSize size(3840, 2160);
    ShowWorldInFullHd(map.View, size);
    TimePainting(state, map, size);
}
BENCHMARK(BM_DrawMapWorldHiDpi)->Unit(benchmark::kMillisecond)->UseRealTime();

// The bound no world drawing can beat: one value read from each cache line of the raster that the
// 1920 x 1080 world view samples, in one band of sampled rows per core, nothing coloured or written.
void BM_TouchWorldRows(benchmark::State& state) {
    TBenchMap& map = Map();
    if (!map.Error.isEmpty())
        return state.SkipWithError(qPrintable(map.Error));
    ShowWorldInFullHd(map.View);
    const TViewGeometry& view = map.View;
    const int bytes = map.Raster->Grid().Bytes;
    const double step = 1.0 / view.Scale();
    // The distinct rows and, within a row, the distinct cache lines the sampled columns fall in.
    std::vector<int> rows;
    for (const int r : SampleOffsets(view.TargetHeight(), view.Row0(), step, view.RasterRows()))
        if (r < view.RasterRows() && (rows.empty() || rows.back() != r))
            rows.push_back(r);
    std::vector<int> lines;
    for (const int c : SampleOffsets(view.TargetWidth(), 0.0, step, view.RasterCols())) {
        const int line = c < view.RasterCols() ? c * bytes / 64 : -1;
        if (line >= 0 && (lines.empty() || lines.back() != line))
            lines.push_back(line);
    }
    const unsigned char* data = map.Raster->File().Data();
    const std::int64_t rowBytes = std::int64_t(view.RasterCols()) * bytes;
    const int bands = RenderBands();
    std::vector<std::uint64_t> sums(static_cast<std::size_t>(bands) * 8); // a cache line per band
    auto touch = [&](int band) {
        const std::size_t first = rows.size() * band / bands, end = rows.size() * (band + 1) / bands;
        std::uint64_t sum = 0;
        for (std::size_t i = first; i < end; ++i) {
            const unsigned char* row = data + rows[i] * rowBytes;
            for (const int line : lines)
                sum += row[std::int64_t(line) * 64];
        }
        sums[std::size_t(band) * 8] = sum;
    };
    QThreadPool* pool = QThreadPool::globalInstance();
    auto touchAll = [&] {
        QSemaphore done;
        for (int band = 1; band < bands; ++band)
            pool->start([&touch, &done, band] {
                touch(band);
                done.release();
            });
        touch(0);
        done.acquire(bands - 1);
    };
    touchAll(); // the pages mapped in, as for the drawings
    for (auto _ : state) {
        touchAll();
        benchmark::DoNotOptimize(sums.data());
    }
    state.counters["rows"] = double(rows.size());
    state.counters["lines_per_row"] = double(lines.size());
}
BENCHMARK(BM_TouchWorldRows)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same drawing of a property map: its colour table holds each unit's class of its value.
void BM_DrawPropertyMapWorld(benchmark::State& state) {
    DrawWorld(state, PropertyMap());
}
BENCHMARK(BM_DrawPropertyMapWorld)->Unit(benchmark::kMillisecond)->UseRealTime();

// A property map reclassified (the method and the class count changed in turns, as in the
// classification boxes), then the whole world drawn anew into 1920 x 1080. The cell histogram is
// counted once when the map opens, as in a map window.
void BM_ReclassifyPropertyMap(benchmark::State& state) {
    TBenchMap& map = PropertyMap();
    if (!map.Error.isEmpty())
        return state.SkipWithError(qPrintable(map.Error));
    TQEVmanager& legend = *map.Legend;
    ShowWorldInFullHd(map.View);
    QImage image(1920, 1080, QImage::Format_RGB32);
    PaintView(map, image);
    const std::pair<int, int> steps[] = {
        {cmEqualInterval, 8}, {cmQuantiles, 5}, {cmStandardized, 6}, {cmQuantiles, 8}};
    std::size_t i = 0;
    for (auto _ : state) {
        const auto [method, count] = steps[i++ % std::size(steps)];
        legend.SetNumClasses(count);
        legend.Classify(method);
        PaintView(map, image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_ReclassifyPropertyMap)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ColorTableRebuild(benchmark::State& state) {
    TBenchMap& map = Map();
    if (!map.Error.isEmpty())
        return state.SkipWithError(qPrintable(map.Error));
    for (auto _ : state)
        benchmark::DoNotOptimize(map.Legend->RebuildColorTable().data());
}
BENCHMARK(BM_ColorTableRebuild)->Unit(benchmark::kMillisecond);

// The rows of the 1920 x 1080 world view asked for ahead, as each drawing does first; the page
// cache is warm.
void BM_AdviseWorldRows(benchmark::State& state) {
    TBenchMap& map = Map();
    if (!map.Error.isEmpty())
        return state.SkipWithError(qPrintable(map.Error));
    ShowWorldInFullHd(map.View);
    const std::vector<QRgb> colors = map.Legend->RebuildColorTable();
    const TPaintRequest request = PaintRequestOf(*map.Raster, map.View, colors.data());
    for (auto _ : state)
        AdviseSampledRows(request);
}
BENCHMARK(BM_AdviseWorldRows)->Unit(benchmark::kMillisecond)->UseRealTime();

// What a click in the legend costs beside the tree: a class hidden or shown again (alternately),
// then the colour table and the whole world drawn anew into 1920 x 1080.
void BM_LegendClickRedraw(benchmark::State& state) {
    TBenchMap& map = Map();
    if (!map.Error.isEmpty())
        return state.SkipWithError(qPrintable(map.Error));
    TQEVmanager& legend = *map.Legend;
    ShowWorldInFullHd(map.View);
    QImage image(1920, 1080, QImage::Format_RGB32);
    PaintView(map, image);
    const int toggled = legend.Classes().NumClasses / 2;
    for (auto _ : state) {
        legend.SetClassVisible(toggled, !legend.Classes().Visible[toggled]);
        PaintView(map, image);
        benchmark::DoNotOptimize(image.constBits());
    }
    legend.SetClassVisible(toggled, true);
}
BENCHMARK(BM_LegendClickRedraw)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DrawMapZoomed(benchmark::State& state) {
    TBenchMap& map = Map();
    if (!map.Error.isEmpty())
        return state.SkipWithError(qPrintable(map.Error));
    TViewGeometry& view = map.View;
    view.SetTarget(1920, 1080);
    // Central Africa, all land and about 480 units in view: no sea to skip.
    view.SetView(23400, 23400 + 1919, 10200, 10200 + 1079);
    view.FitView();
    view.SetScale(1); // one pixel per cell
    TimePainting(state, map);
}
BENCHMARK(BM_DrawMapZoomed)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadCellValue(benchmark::State& state) {
    TBenchMap& map = Map();
    if (!map.Error.isEmpty())
        return state.SkipWithError(qPrintable(map.Error));
    TViewGeometry& view = map.View;
    ShowWorldInFullHd(view);
    std::mt19937 random(7);
    std::vector<std::pair<int, int>> pixels(4096);
    for (auto& p : pixels)
        p = {int(random() % 1920), int(random() % 1080)};
    std::size_t i = 0;
    double sum = 0;
    for (auto _ : state) {
        const auto& [x, y] = pixels[i++ & 4095];
        const TCellPoint cell = view.PixelToCell(x, y);
        sum += map.Raster->ReadCell(cell.Col, cell.Row);
    }
    benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_ReadCellValue)->Unit(benchmark::kMicrosecond);

// What the frame's readout computes on one pointer move with the Data Point window open: the cell
// and its coordinates, the two coordinate texts, the cell value, and the unit's decoded dominant soil.
void BM_ReadoutTexts(benchmark::State& state) {
    TBenchMap& map = Map();
    if (!map.Error.isEmpty())
        return state.SkipWithError(qPrintable(map.Error));
    TViewGeometry& view = map.View;
    ShowWorldInFullHd(view);
    const TIntStrList* wrbCodes = map.Tamo->SmuMeta().DomainLists[9].get();
    std::mt19937 random(11);
    std::vector<std::pair<int, int>> pixels(4096);
    for (auto& p : pixels)
        p = {int(random() % 1920), int(random() % 1080)};
    std::size_t i = 0;
    qsizetype length = 0;
    for (auto _ : state) {
        const auto& [x, y] = pixels[i++ & 4095];
        const TCellPoint cell = view.PixelToCell(x, y);
        const TLonLat place = view.PixelToLonLat(x, y).value_or(TLonLat{});
        length += LongitudeText(place.Lon).size() + LatitudeText(place.Lat).size();
        const double value = map.Raster->ReadCell(cell.Col, cell.Row);
        const int code = value == 0 ? TSmuLookup::kNoWrbCode : map.Tamo->WrbCodeOf(static_cast<int>(value));
        if (code != TSmuLookup::kNoWrbCode)
            length += TTAMO::DecodeDomain(wrbCodes, QString::number(code)).size();
    }
    benchmark::DoNotOptimize(length);
}
BENCHMARK(BM_ReadoutTexts)->Unit(benchmark::kMicrosecond);

// The first world view after the raster has left the page cache: the file's pages are dropped
// (posix_fadvise DONTNEED; a page that some process maps stays, hence the counter of what stayed),
// then the raster is opened and the 1920 x 1080 world drawn as a new map window draws it. Counters:
// bytes the process read from the disk meanwhile (read_bytes of /proc/self/io) and bytes of the file
// still in the cache after the drop. Run alone (bench/cold_world_view.sh): no other benchmark of the
// process may have the raster's pages mapped.
std::int64_t ProcessReadBytes() {
    QFile io("/proc/self/io");
    if (!io.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("read_bytes:"))
            return line.mid(11).trimmed().toLongLong();
    return 0;
}

// Drops the file's pages from the page cache; returns how many of its bytes are still there.
std::int64_t DropFromPageCache(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        throw std::runtime_error("cannot open the raster");
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    const off_t size = ::lseek(fd, 0, SEEK_END);
    void* mapped = ::mmap(nullptr, std::size_t(size), PROT_READ, MAP_SHARED, fd, 0);
    ::close(fd);
    if (mapped == MAP_FAILED)
        throw std::runtime_error("cannot map the raster");
    const long page = ::sysconf(_SC_PAGESIZE);
    std::vector<unsigned char> resident(std::size_t((size + page - 1) / page));
    ::mincore(mapped, std::size_t(size), resident.data());
    ::munmap(mapped, std::size_t(size));
    std::int64_t pages = 0;
    for (const unsigned char r : resident)
        pages += r & 1;
    return pages * page;
}

// Runs `firstView` once per iteration on a cold cache and reports what it read.
template <typename TFirstView>
void TimeColdView(benchmark::State& state, const QString& path, TFirstView firstView) {
    std::int64_t read = 0, stayed = 0;
    try {
        for (auto _ : state) {
            state.PauseTiming();
            stayed += DropFromPageCache(path);
            const std::int64_t before = ProcessReadBytes();
            state.ResumeTiming();
            firstView();
            state.PauseTiming();
            read += ProcessReadBytes() - before;
            state.ResumeTiming();
        }
    } catch (const std::exception& error) {
        return state.SkipWithError(error.what());
    }
    const double iterations = double(std::max<benchmark::IterationCount>(1, state.iterations()));
    state.counters["read_MB"] = double(read) / iterations / 1e6;
    state.counters["cached_after_drop_MB"] = double(stayed) / iterations / 1e6;
}

void BM_DrawMapWorldCold(benchmark::State& state) {
    TBenchMap& map = Map();
    if (!map.Error.isEmpty())
        return state.SkipWithError(qPrintable(map.Error));
    ShowWorldInFullHd(map.View);
    const std::vector<QRgb> colors = map.Legend->RebuildColorTable();
    const int bytes = map.Raster->Grid().Bytes;
    TimeColdView(state, DemoRasterPath(), [&] {
        // A raster opened afresh, as a new window opens it, drawn as its job draws.
        const std::shared_ptr<const TRasterSource> raster = TRasterSource::Open(DemoRasterPath(), bytes);
        QImage image(1920, 1080, QImage::Format_RGB32);
        const TPaintRequest request = PaintRequestOf(*raster, map.View, colors.data());
        AdviseSampledRows(request);
        PaintRasterInBands(request, image, RenderBands());
        benchmark::DoNotOptimize(image.constBits());
    });
}
BENCHMARK(BM_DrawMapWorldCold)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

#ifdef TAMO_HAVE_GDAL
// The same 1920 x 1080 nearest-neighbour sampling of the whole raster by GDAL's raw-raster driver,
// through an .hdr written beside a link to the raster, without any colouring.
void BM_GdalRasterIOWorld(benchmark::State& state) {
    const QString bil = DemoRasterForGdal();
    GDALAllRegister();
    std::unique_ptr<GDALDataset> dataset(
        static_cast<GDALDataset*>(GDALOpen(bil.toLocal8Bit().constData(), GA_ReadOnly)));
    if (!dataset)
        return state.SkipWithError("GDAL cannot open the raster");
    GDALRasterBand* band = dataset->GetRasterBand(1);
    std::vector<std::uint16_t> buffer(1920 * 1080);
    GDALRasterIOExtraArg extra;
    INIT_RASTERIO_EXTRA_ARG(extra);
    extra.eResampleAlg = GRIORA_NearestNeighbour;
    auto read = [&] {
        return band->RasterIO(GF_Read, 0, 0, kWorldCols, kWorldRows, buffer.data(), 1920, 1080, GDT_UInt16, 0,
                              0, &extra);
    };
    if (read() != CE_None)
        return state.SkipWithError("RasterIO failed");
    for (auto _ : state) {
        read();
        benchmark::DoNotOptimize(buffer.data());
    }
}
BENCHMARK(BM_GdalRasterIOWorld)->Unit(benchmark::kMillisecond)->UseRealTime();

// GDAL's RasterIO of the same view on a cold cache, through a dataset opened afresh (its block
// cache empty).
void BM_GdalRasterIOWorldCold(benchmark::State& state) {
    const QString bil = DemoRasterForGdal();
    GDALAllRegister();
    std::vector<std::uint16_t> buffer(1920 * 1080);
    TimeColdView(state, DemoRasterPath(), [&] {
        std::unique_ptr<GDALDataset> dataset(
            static_cast<GDALDataset*>(GDALOpen(bil.toLocal8Bit().constData(), GA_ReadOnly)));
        if (!dataset)
            throw std::runtime_error("GDAL cannot open the raster");
        GDALRasterIOExtraArg extra;
        INIT_RASTERIO_EXTRA_ARG(extra);
        extra.eResampleAlg = GRIORA_NearestNeighbour;
        if (dataset->GetRasterBand(1)->RasterIO(GF_Read, 0, 0, kWorldCols, kWorldRows, buffer.data(), 1920,
                                                1080, GDT_UInt16, 0, 0, &extra) != CE_None)
            throw std::runtime_error("RasterIO failed");
        benchmark::DoNotOptimize(buffer.data());
    });
}
BENCHMARK(BM_GdalRasterIOWorldCold)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
#endif

} // namespace
