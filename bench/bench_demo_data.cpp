// The demo data generator at full size: time, peak memory of the generator process and the sizes
// of what it writes (the raster member must hold exactly 43200 x 21600 two-byte cells). The
// generator is the program tamo-make-demo-data beside this benchmark program.

#include "BenchData.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <zip.h>

namespace {

QString GeneratorPath() {
    return BenchProgramFolder() + "/tamo-make-demo-data";
}

void RunGenerator(benchmark::State& state, const QStringList& sizeOptions, long long expectedMemberBytes) {
    const QString generator = GeneratorPath();
    if (!QFileInfo(generator).isExecutable()) {
        state.SkipWithError("tamo-make-demo-data is not built beside tamo-bench");
        return;
    }
    double archiveMb = 0, databaseMb = 0, memberBytes = 0;
    for (auto _ : state) {
        QTemporaryDir folder;
        QProcess process;
        process.start(generator, sizeOptions + QStringList{folder.path()});
        if (!process.waitForFinished(600000) || process.exitCode() != 0) {
            state.SkipWithError("the generator failed");
            return;
        }
        state.PauseTiming();
        archiveMb = QFileInfo(folder.path() + "/TAMO2.zip").size() / 1e6;
        databaseMb = QFileInfo(folder.path() + "/TAMO2.sqlite").size() / 1e6;
        int error = 0;
        zip_t* archive =
            zip_open((folder.path() + "/TAMO2.zip").toLocal8Bit().constData(), ZIP_RDONLY, &error);
        zip_stat_t st;
        if (archive && zip_stat(archive, "TAMO2.bil", 0, &st) == 0)
            memberBytes = static_cast<double>(st.size);
        if (archive)
            zip_close(archive);
        state.ResumeTiming();
        if (memberBytes != static_cast<double>(expectedMemberBytes)) {
            state.SkipWithError("TAMO2.bil in TAMO2.zip has the wrong size");
            return;
        }
    }
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    state.counters["archive_MB"] = archiveMb;
    state.counters["database_MB"] = databaseMb;
    state.counters["raster_bytes"] = memberBytes;
    state.counters["peak_child_MB"] = usage.ru_maxrss / 1024.0; // largest generator process so far
}

void BM_DemoDataFull(benchmark::State& state) {
    RunGenerator(state, {}, 43200LL * 21600 * 2);
}
BENCHMARK(BM_DemoDataFull)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

void BM_DemoDataSmall(benchmark::State& state) {
    RunGenerator(state, {"--small"}, 1440LL * 720 * 2);
}
BENCHMARK(BM_DemoDataSmall)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
