// The demo data generator at full size: time, peak memory of the generator process and the sizes
// of what it writes (the raster member must hold exactly 43200 x 21600 two-byte cells). The
// generator is the program tamo-make-demo-data beside this benchmark program.

#include "BenchData.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <zip.h>

namespace {

QString GeneratorPath() {
    return BenchProgramFolder() + "/tamo-make-demo-data";
}

// Runs the program and waits for it; false unless it exits with 0. `peakMb` is the largest
// resident size of that one process (the rusage of all children would mix runs of both sizes).
bool RunProcess(const QStringList& command, double& peakMb) {
    std::vector<QByteArray> texts;
    for (const QString& part : command)
        texts.push_back(QFile::encodeName(part));
    std::vector<char*> argv;
    for (QByteArray& text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);
    // Its progress lines would interleave with the benchmark table; its error messages stay.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return false;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return false;
    peakMb = std::max(peakMb, usage.ru_maxrss / 1024.0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void RunGenerator(benchmark::State& state, const QStringList& sizeOptions, long long expectedMemberBytes) {
    const QString generator = GeneratorPath();
    if (!QFileInfo(generator).isExecutable()) {
        state.SkipWithError("tamo-make-demo-data is not built beside tamo-bench");
        return;
    }
    double archiveMb = 0, databaseMb = 0, memberBytes = 0, peakMb = 0;
    for (auto _ : state) {
        QTemporaryDir folder;
        if (!RunProcess(QStringList{generator} + sizeOptions + QStringList{folder.path()}, peakMb)) {
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
    state.counters["archive_MB"] = archiveMb;
    state.counters["database_MB"] = databaseMb;
    state.counters["raster_bytes"] = memberBytes;
    state.counters["peak_child_MB"] = peakMb;
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
