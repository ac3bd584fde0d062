// The settings store on a file that has grown large: 100,000 toolbar keys (about 7 MB), as a
// settings file that something outside the program filled would hold. The store must read it in
// time that grows in proportion to the keys (two sizes show it), and write it once per save.

#include "BenchData.h"

#include "settings/Preferences.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// A settings file with the default preferences and `count` toolbar keys of three values each.
QString WriteSettingsFile(const QString& folder, int count) {
    const QString path = folder + QString("/settings-%1.json").arg(count);
    if (QFile::exists(path))
        return path;
    QByteArray json = R"({"software": {"TAMO": {"v2.00": {"Preferences": {"SQL": "TAMO2_SMU_ID = 3482"},
"Toolbars": {)";
    for (int i = 0; i < count; ++i)
        json += QString(R"(%1"TBExtraToolbar%2": {"Rev": "2000", "Visible": "1", "DockPos": "%3"})")
                    .arg(i ? ",\n" : "")
                    .arg(i)
                    .arg(i % 1000)
                    .toUtf8();
    json += "}}}}}\n";
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(json);
    return path;
}

const QString& BenchFolder() {
    static QTemporaryDir folder;
    static const QString path = folder.path();
    return path;
}

const char* const kFrameBars[] = {"TBMainToolbar", "TBViewToolbar", "TBDataToolbar", "TBToolDataPoint",
                                  "TBToolQEVData"};

// From the file to the preferences and the keys of the frame's five bars: what happens before
// the frame shows.
void BM_LoadSettingsManyToolbarKeys(benchmark::State& state) {
    EnsureBenchApplication();
    const QString path = WriteSettingsFile(BenchFolder(), static_cast<int>(state.range(0)));
    TSettingsStore store(path);
    for (auto _ : state) {
        store.Reload();
        TPreferences prefs;
        LoadPreferences(prefs, store);
        TRegistry registry(store);
        for (const char* bar : kFrameBars)
            benchmark::DoNotOptimize(
                registry.OpenKey(QString(kToolbarsKey) + "\\" + bar, TKeyAccess::OpenExisting));
        benchmark::DoNotOptimize(prefs.SQL);
    }
    state.counters["file_MB"] = double(QFile(path).size()) / 1e6;
}
BENCHMARK(BM_LoadSettingsManyToolbarKeys)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Closing the frame: preferences and the five bars saved in one batch, one write of the file.
void BM_SaveSettingsManyToolbarKeys(benchmark::State& state) {
    EnsureBenchApplication();
    const QString source = WriteSettingsFile(BenchFolder(), static_cast<int>(state.range(0)));
    const QString path = BenchFolder() + "/saved.json";
    QFile::remove(path);
    QFile::copy(source, path);
    TSettingsStore store(path);
    store.Reload();
    TPreferences prefs;
    SetDefaultPreferences(prefs);
    for (auto _ : state) {
        TSettingsBatch batch(store);
        SavePreferences(prefs, store);
        WriteDefaultToolbarLayout(store);
        // A change every time, so that every round writes the file.
        TRegistry registry(store);
        registry.OpenKey("\\software\\TAMO\\v2.00\\Preferences", TKeyAccess::CreateIfMissing);
        registry.WriteInteger("BenchRound", static_cast<int>(state.iterations()));
    }
}
BENCHMARK(BM_SaveSettingsManyToolbarKeys)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
