// tamo-bench's main: the application object lives here, on main's stack, so that it is destroyed
// before the exit handlers run (a function-local static one outlived Qt's own statics and crashed
// the program at exit).
#include <QApplication>
#include <benchmark/benchmark.h>

int main(int argc, char** argv) {
    // Windows are measured too (never shown): they need a widget application, which runs without
    // a screen on the offscreen platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
