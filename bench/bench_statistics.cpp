// Area statistics of the whole world on the demo data set: every cell counted per SMU and per
// legend class with its area on the ellipsoid, against GDAL reading the whole raster and counting
// its values.

#include "BenchData.h"

#include "classify/ColorRamp.h"
#include "db/TAMO.h"
#include "raster/AreaStatistics.h"
#include "raster/CellTally.h"
#include "themes/LegendClasses.h"
#include "themes/QEVLibraryManager.h"

#include <benchmark/benchmark.h>
#include <exception>
#include <gdal_priv.h>
#include <memory>
#include <vector>

namespace {

// The per-unit and per-class statistics of the world, as the statistics window computes them:
// the tally on every core, then the sums by class and unit.
void BM_StatisticsWorld(benchmark::State& state) {
    std::shared_ptr<const TRasterSource> raster;
    TCellClasses classes;
    try {
        EnsureBenchApplication();
        const TQEVLibraryManager library(DemoConnection(), DemoCacheFolder());
        TTAMO database(DemoConnection(), DemoCacheFolder());
        database.BuildWrbIndex();
        InitColorRamps();
        classes = DefaultCellClasses(*library.FirstTheme(), database, ToRampRecord(ColorRamps().at(0)));
        raster = TRasterSource::Open(DemoRasterPath(), 2);
    } catch (const std::exception& error) {
        return state.SkipWithError(error.what());
    }
    const TTallySource source = TallySourceOf(*raster);
    const TCellWindow world{0, 0, source.Cols, source.Rows};
    // Warm: the raster's pages are mapped once before the timing.
    TallyCells(source, world);
    std::size_t units = 0;
    for (auto _ : state) {
        const TAreaStatistics statistics = SummariseTally(*TallyCells(source, world), classes);
        units = statistics.Units.size();
        benchmark::DoNotOptimize(statistics.LandKm2);
    }
    state.counters["units"] = static_cast<double>(units);
}
BENCHMARK(BM_StatisticsWorld)->Unit(benchmark::kMillisecond)->UseRealTime();

// GDAL reads the whole raster through its raw-raster driver, 256 rows at a time, and counts the
// values in a table.
void BM_GdalHistogramWorld(benchmark::State& state) {
    GDALAllRegister();
    std::unique_ptr<GDALDataset> dataset(
        GDALDataset::Open(DemoRasterForGdal().toLocal8Bit().constData(), GDAL_OF_RASTER | GDAL_OF_READONLY));
    if (!dataset)
        return state.SkipWithError("GDAL cannot open the raster");
    GDALRasterBand* band = dataset->GetRasterBand(1);
    constexpr int kRowsPerRead = 256;
    std::vector<std::uint16_t> buffer(std::size_t(kWorldCols) * kRowsPerRead);
    std::vector<std::uint64_t> counts(kCellValueCount);
    auto count = [&] {
        std::fill(counts.begin(), counts.end(), 0);
        for (int row = 0; row < kWorldRows; row += kRowsPerRead) {
            const int rows = std::min(kRowsPerRead, kWorldRows - row);
            if (band->RasterIO(GF_Read, 0, row, kWorldCols, rows, buffer.data(), kWorldCols, rows, GDT_UInt16,
                               0, 0, nullptr) != CE_None)
                return false;
            for (std::size_t i = 0, n = std::size_t(rows) * kWorldCols; i < n; ++i)
                ++counts[buffer[i]];
        }
        return true;
    };
    if (!count())
        return state.SkipWithError("RasterIO failed");
    for (auto _ : state) {
        count();
        benchmark::DoNotOptimize(counts.data());
    }
}
BENCHMARK(BM_GdalHistogramWorld)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
