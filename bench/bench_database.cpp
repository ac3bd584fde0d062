// The attribute database of the demo data set: start-up load (theme library, TTAMO, SMU index),
// showing one unit, the two kinds of query, the per-cell lookups of the map and the value index of
// a property map.

#include "BenchData.h"

#include "db/PropertyIndex.h"
#include "db/TAMO.h"
#include "themes/QEVLibraryManager.h"

#include <benchmark/benchmark.h>
#include <exception>
#include <memory>

namespace {

// The SMU mode: two soil regions of the second theme (clay-enriched subsoils, little profile
// development), about 39 % of the demo's units.
const QString kSmuCondition = "WRB2_CODE >= 2400 and WRB2_CODE < 3300";
// The layer mode as the query window sends it: the user's condition (neutral to alkaline
// topsoils) followed by its fixed restriction to the dominant soil's first depth layer.
const QString kLayerCondition = "PH_H2O > 6.5 and LAYER=\"D1\" and SEQUENCE=1";

TTAMO& SharedTamo() {
    static std::unique_ptr<TTAMO> tamo = [] {
        auto created = std::make_unique<TTAMO>(DemoConnection(), DemoCacheFolder());
        created->BuildWrbIndex();
        return created;
    }();
    return *tamo;
}

// Random ids up to one past the highest unit, so that some are absent from the index.
class TRandomIds {
public:
    explicit TRandomIds(const TTAMO& tamo)
        : m_range(tamo.WrbIndex().Get(tamo.WrbIndex().Count() - 1).Key + 2) {}
    int Next() {
        m_state = (m_state * 1103515245u + 12345u) & 0x7FFFFFFF;
        return static_cast<int>(m_state % m_range);
    }

private:
    unsigned m_range;
    unsigned m_state = 1;
};

void BM_StartupLoad(benchmark::State& state) {
    const QString& connection = DemoConnection();
    for (auto _ : state) {
        TQEVLibraryManager library(connection, DemoCacheFolder());
        TTAMO tamo(connection, DemoCacheFolder());
        tamo.BuildWrbIndex();
        benchmark::DoNotOptimize(tamo.WrbIndex().Count());
    }
}
BENCHMARK(BM_StartupLoad)->Unit(benchmark::kMillisecond);

void BM_ShowUnit(benchmark::State& state) {
    TTAMO& tamo = SharedTamo();
    const TIntIntList& index = tamo.WrbIndex();
    int next = 0;
    for (auto _ : state) {
        const int id = index.Get(next).Key;
        next = (next + 7919) % index.Count();
        if (!tamo.FetchLayers(id) || !tamo.FetchSmu(id))
            return state.SkipWithError("unit without records");
        benchmark::DoNotOptimize(tamo.SmuValues()[0]);
    }
}
BENCHMARK(BM_ShowUnit)->Unit(benchmark::kMillisecond);

void RunSelection(benchmark::State& state, const QString& table, const QString& condition) {
    TTAMO& tamo = SharedTamo();
    int count = 0;
    try {
        for (auto _ : state)
            tamo.SelectSmus(table, condition, count);
    } catch (const std::exception& error) {
        // A condition the database rejects (a field the data set lacks) ends this benchmark only.
        state.SkipWithError(error.what());
    }
    tamo.SetSelectionActive(false);
    state.counters["rows"] = count;
}

void BM_SelectSmusSmu(benchmark::State& state) {
    RunSelection(state, "TAMO2_SMU", kSmuCondition);
}
BENCHMARK(BM_SelectSmusSmu)->Unit(benchmark::kMillisecond);

void BM_SelectSmusLayers(benchmark::State& state) {
    RunSelection(state, "TAMO2_LAYERS", kLayerCondition);
}
BENCHMARK(BM_SelectSmusLayers)->Unit(benchmark::kMillisecond);

void BM_WrbCodeOf(benchmark::State& state) {
    TTAMO& tamo = SharedTamo();
    TRandomIds ids(tamo);
    for (auto _ : state)
        benchmark::DoNotOptimize(tamo.WrbCodeOf(ids.Next()));
}
BENCHMARK(BM_WrbCodeOf);

void BM_IsSelected(benchmark::State& state) {
    TTAMO& tamo = SharedTamo();
    int count = 0;
    try {
        tamo.SelectSmus("TAMO2_SMU", kSmuCondition, count);
    } catch (const std::exception& error) {
        return state.SkipWithError(error.what());
    }
    TRandomIds ids(tamo);
    for (auto _ : state)
        benchmark::DoNotOptimize(tamo.IsSelected(ids.Next()));
    tamo.SetSelectionActive(false);
    state.counters["selected"] = count;
}
BENCHMARK(BM_IsSelected);

// The unit-to-value index of a property map: the share-weighted mean of the topsoil pH over the
// components of every unit (the D1 rows of the layer table).
void BM_PropertyIndex(benchmark::State& state) {
    TTAMO& tamo = SharedTamo();
    try {
        const TPropertyCatalogue catalogue(tamo);
        const TPropertyDefinition definition{TPropertyLevel::Layer, "PH_H2O", "D1",
                                             TPropertyCombination::ShareWeightedMean};
        int units = 0;
        for (auto _ : state)
            units = TPropertyIndex::Build(tamo, catalogue, definition).UnitsWithValue();
        state.counters["units"] = units;
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
    }
}
BENCHMARK(BM_PropertyIndex)->Unit(benchmark::kMillisecond);

} // namespace
