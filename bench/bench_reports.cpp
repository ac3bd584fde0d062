// The SMU details window and the query window on the demo data set: showing the unit with the
// most components, and a layer-mode query up to the colour table of the next drawing.
#include "BenchData.h"
#include "db/DataAccess.h"
#include "db/TAMO.h"
#include "map/MapHost.h"
#include "query/QueryWindow.h"
#include "reports/ReportHost.h"
#include "reports/TableForm.h"
#include "settings/Preferences.h"
#include "themes/LegendHost.h"
#include "themes/QEVLibraryManager.h"
#include "themes/QEVmanager.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <benchmark/benchmark.h>
#include <exception>
#include <memory>

namespace {

// Stands in for the frame: the database, and a legend model whose colour table a redraw rebuilds.
class TBenchReportHost : public TReportHost, public TLegendHost {
public:
    TBenchReportHost() {
        m_tamo = std::make_unique<TTAMO>(DemoConnection(), DemoCacheFolder());
        m_tamo->BuildWrbIndex();
        m_library = std::make_unique<TQEVLibraryManager>(DemoConnection(), DemoCacheFolder());
        m_legend = std::make_unique<TQEVmanager>(this, QString());
        m_legend->Theme = m_library->FirstTheme();
    }
    TTAMO& Database() override { return *m_tamo; }
    TPreferences& Preferences() override { return Prefs; }
    TPreferences Prefs;
    void SelectionChanged() override { benchmark::DoNotOptimize(m_legend->RebuildColorTable().data()); }
    void EraseClickMarker() override {}
    const TSmuLookup* SmuLookup() const override { return m_tamo.get(); }
    QRgb SelectionColor() const override { return 0xFF0000FF; }
    std::optional<TCellHistogram> CellHistogram() override { return std::nullopt; }

private:
    std::unique_ptr<TTAMO> m_tamo;
    std::unique_ptr<TQEVLibraryManager> m_library;
    std::unique_ptr<TQEVmanager> m_legend;
};

TBenchReportHost& Host() {
    EnsureBenchApplication();
    static TBenchReportHost host;
    return host;
}

// The unit with the most layer records (the most components) of the data set.
int UnitWithMostComponents() {
    TDataSet query(DemoConnection(), DemoCacheFolder());
    query.Open("SELECT TAMO2_SMU_ID, COUNT(*) AS N FROM TAMO2_LAYERS GROUP BY TAMO2_SMU_ID "
               "ORDER BY N DESC, TAMO2_SMU_ID LIMIT 1");
    return query.Eof() ? 0 : query.AsInteger("TAMO2_SMU_ID");
}

void BM_ShowSmuTable(benchmark::State& state) {
    try {
        TBenchReportHost& host = Host();
        const int unit = UnitWithMostComponents();
        host.Prefs.DomainView = true;
        TTableForm table(host);
        for (auto _ : state)
            if (!table.ShowSMU(unit, TAddToList::Yes))
                return state.SkipWithError("the unit has no layer records");
        state.counters["components"] = table.Content().ComponentCount();
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
    }
}
BENCHMARK(BM_ShowSmuTable)->Unit(benchmark::kMillisecond);

void BM_QueryRunLayers(benchmark::State& state) {
    try {
        TBenchReportHost& host = Host();
        TQueryWindow window(host);
        window.RadioButton2->setChecked(true);
        window.edtSQL->setText("BASE_SAT < 30");
        for (auto _ : state) {
            window.btnRunClick();
            while (window.QueryRunning())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        state.counters["selected"] = host.Database().Selection().Count();
        host.Database().SetSelectionActive(false);
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
    }
}
BENCHMARK(BM_QueryRunLayers)->Unit(benchmark::kMillisecond);

} // namespace
