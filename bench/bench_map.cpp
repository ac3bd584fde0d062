// Map drawing benchmarks: a full-world drawing and a 1:1 drawing into 1920 x 1080 on the full-size
// raster, the peer GDAL RasterIO of the same window, and the cell read under the pointer.
// The raster is TAMO2.bil of TAMO_DEMO_DATA; without it a generated raster of the same size is
// made once in the temporary folder (blocky soil units, polar bands left as sparse holes).

#include "db/SmuLookup.h"
#include "map/MapHost.h"
#include "map/RasterPainter.h"
#include "settings/Preferences.h"
#include "themes/QEVmanag.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <memory>
#include <random>
#include <vector>

#ifdef TAMO_HAVE_GDAL
#include <gdal_priv.h>
#endif

namespace {

constexpr int kSmuCount = 30000;

// The SMU index and selection as sorted arrays searched by halves, as the database object keeps them.
class TBenchLookup : public TSmuLookup {
public:
    TBenchLookup() {
        for (int smu = 1; smu <= kSmuCount; ++smu)
            m_index.push_back({smu, 100 + (smu * 7919) % 400});
        for (int smu = 1; smu <= kSmuCount; smu += 3)
            m_selection.push_back(smu);
        m_selectionActive = false;
    }
    int WrbCodeOf(int smuId) const override {
        auto it = std::lower_bound(m_index.begin(), m_index.end(), std::pair{smuId, INT_MIN});
        return it != m_index.end() && it->first == smuId ? it->second : kNoWrbCode;
    }
    bool IsSelected(int smuId) const override {
        return m_selectionActive && std::binary_search(m_selection.begin(), m_selection.end(), smuId);
    }

private:
    std::vector<std::pair<int, int>> m_index;
    std::vector<int> m_selection;
    bool m_selectionActive;
};

class TBenchHost : public TMapHost {
public:
    TBenchLookup Lookup;
    void ShowStatusText(const QString&) override {}
    void ShowDataPoint(int, int, double, double) override {}
    void SynchronizeViews(TMapExplorerForm&) override {}
    void SetClassificationControls(int, int) override {}
    void SetColorRampIndex(int) override {}
    TRampRecord ColorRamp(int) const override { return {}; }
    const TSmuLookup* SmuLookup() const override { return &Lookup; }
    void ShowSmuOverview(const QString&) override {}
    bool ShowSmuTable(int) override { return false; }
};

QString GeneratedRaster() {
    const QString path = QDir::temp().filePath("tamo-bench-raster-v1/TAMO2.bil");
    if (QFileInfo(path).size() == 2 * kWorldCells)
        return path;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || !file.resize(2 * kWorldCells))
        return {};
    std::vector<std::uint16_t> row(kWorldCols);
    std::mt19937 random(42);
    // Units of 60 x 40 cells with ragged edges; sea where a coarse pattern says so.
    for (int r = 1500; r < kWorldRows - 1500; ++r) {
        for (int c = 0; c < kWorldCols; ++c) {
            const int bx = (c + (r % 37)) / 60;
            const int by = r / 40;
            const bool sea = ((c / 2400 + r / 1800) % 4) == 0 || ((c / 1300) % 7) == 3;
            row[c] = sea ? 0 : static_cast<std::uint16_t>(1 + (bx * 131 + by * 977) % kSmuCount);
        }
        file.seek(static_cast<qint64>(r) * kWorldCols * 2);
        file.write(reinterpret_cast<const char*>(row.data()), kWorldCols * 2);
    }
    return path;
}

QString RasterPath() {
    static const QString path = [] {
        const QByteArray demo = qgetenv("TAMO_DEMO_DATA");
        if (!demo.isEmpty()) {
            const QString bil = QDir(QString::fromLocal8Bit(demo)).filePath("TAMO2.bil");
            if (QFileInfo(bil).size() == 2 * kWorldCells)
                return bil;
        }
        return GeneratedRaster();
    }();
    return path;
}

struct TBenchMap {
    TBenchHost Host;
    TQEV_Class Classes;
    TQEV_Layer Theme;
    std::unique_ptr<TQEVmanager> Legend;
    bool Ok = false;

    TBenchMap() {
        const QString path = RasterPath();
        if (path.isEmpty())
            return;
        Preferences().RASTER = path;
        Classes.ClassCount = 30;
        for (int i = 0; i < 30; ++i) {
            Classes.Dividers[i] = 100 + 14 * (i + 1);
            Classes.Colors[i] = 0x010203u * (i * 8);
        }
        Theme.FileName = "TAMO2.bil";
        Theme.Bytes = 2;
        Theme.DefaultMethod = 3;
        Theme.ClassSet = &Classes;
        Legend = std::make_unique<TQEVmanager>(&Host);
        Legend->Theme = &Theme;
        Legend->RasterVisible = true;
        Legend->ThemeOpen = true;
        Legend->OpenRaster(kWorldCols, kWorldRows);
        Ok = true;
    }
};

TBenchMap& Map() {
    static TBenchMap map;
    return map;
}

// Paints one drawing as a map window does: colour table, then the raster.
void PaintView(TQEVmanager& legend, QImage& image) {
    const TViewGeometry& view = legend.View;
    TPaintRequest request;
    request.Raster = legend.Stream.get();
    request.Bytes = 2;
    request.RasterCols = view.RasterCols;
    request.RasterRows = view.RasterRows;
    request.Col0 = view.Col0;
    request.Row0 = view.Row0;
    request.Scale = view.Scale;
    request.TargetWidth = view.TargetWidth;
    request.TargetHeight = view.TargetHeight;
    request.ColorTable = legend.RebuildColorTable().data();
    PaintRaster(request, image);
}

void BM_DrawMapWorld(benchmark::State& state) {
    TBenchMap& map = Map();
    if (!map.Ok)
        return state.SkipWithError("no raster");
    TViewGeometry& view = map.Legend->View;
    view.TargetWidth = 1920;
    view.TargetHeight = 1080;
    view.SetView(0, kWorldCols, 0, kWorldRows);
    view.FitView();
    QImage image(1920, 1080, QImage::Format_RGB32);
    PaintView(*map.Legend, image); // warm the page cache
    for (auto _ : state) {
        PaintView(*map.Legend, image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_DrawMapWorld)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ColorTableRebuild(benchmark::State& state) {
    TBenchMap& map = Map();
    if (!map.Ok)
        return state.SkipWithError("no raster");
    for (auto _ : state)
        benchmark::DoNotOptimize(map.Legend->RebuildColorTable().data());
}
BENCHMARK(BM_ColorTableRebuild)->Unit(benchmark::kMillisecond);

void BM_DrawMapZoomed(benchmark::State& state) {
    TBenchMap& map = Map();
    if (!map.Ok)
        return state.SkipWithError("no raster");
    TViewGeometry& view = map.Legend->View;
    view.TargetWidth = 1920;
    view.TargetHeight = 1080;
    view.SetView(20000, 20000 + 1919, 6000, 6000 + 1079);
    view.FitView();
    view.Scale = 1; // one pixel per cell
    QImage image(1920, 1080, QImage::Format_RGB32);
    PaintView(*map.Legend, image);
    for (auto _ : state) {
        PaintView(*map.Legend, image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_DrawMapZoomed)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadCellValue(benchmark::State& state) {
    TBenchMap& map = Map();
    if (!map.Ok)
        return state.SkipWithError("no raster");
    TViewGeometry& view = map.Legend->View;
    view.TargetWidth = 1920;
    view.TargetHeight = 1080;
    view.SetView(0, kWorldCols, 0, kWorldRows);
    view.FitView();
    std::mt19937 random(7);
    std::vector<std::pair<int, int>> pixels(4096);
    for (auto& p : pixels)
        p = {int(random() % 1920), int(random() % 1080)};
    std::size_t i = 0;
    double sum = 0;
    for (auto _ : state) {
        const auto& [x, y] = pixels[i++ & 4095];
        const TCellPoint cell = view.PixelToCell(x, y);
        sum += map.Legend->ReadCellValue(cell.Col, cell.Row);
    }
    benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_ReadCellValue)->Unit(benchmark::kMicrosecond);

#ifdef TAMO_HAVE_GDAL
// The same 1920 x 1080 nearest-neighbour sampling of the whole raster by GDAL's raw-raster driver,
// through an .hdr written beside a link to the raster, without any colouring.
void BM_GdalRasterIOWorld(benchmark::State& state) {
    if (RasterPath().isEmpty())
        return state.SkipWithError("no raster");
    static QTemporaryDir dir;
    const QString bil = dir.filePath("TAMO2.bil");
    if (!QFileInfo::exists(bil)) {
        QFile::link(QFileInfo(RasterPath()).absoluteFilePath(), bil);
        QFile hdr(dir.filePath("TAMO2.hdr"));
        hdr.open(QIODevice::WriteOnly);
        hdr.write("BYTEORDER I\nLAYOUT BIL\nNROWS 21600\nNCOLS 43200\nNBANDS 1\nNBITS 16\n"
                  "ULXMAP -179.995833333333\nULYMAP 89.995833333333\n"
                  "XDIM 0.008333333333333\nYDIM 0.008333333333333\n");
    }
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
#endif

} // namespace
