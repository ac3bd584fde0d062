// Every test program runs with a QApplication on the offscreen platform, with a settings
// folder, data and cache folders and a program folder of its own.
#include "common/ProgramFolder.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    // Settings, data and cache of the user's own folders are never touched.
    QTemporaryDir home;
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        if (qgetenv(name).isEmpty())
            qputenv(name, (home.path() + "/" + name).toUtf8());
#ifdef TAMO_TEST_SCALE_FACTOR
    // The windows of this program are tested on screens of that device pixel ratio.
    qputenv("QT_SCALE_FACTOR", TAMO_TEST_SCALE_FACTOR);
#endif
    QApplication app(argc, argv);
    QTemporaryDir programFolder;
    SetProgramFolder(programFolder.path());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
