// Every test program runs with a QApplication on the offscreen platform, with a settings
// folder and a program folder of its own.
#include "common/ProgramFolder.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QTemporaryDir home;
    if (qgetenv("XDG_CONFIG_HOME").isEmpty())
        qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    QApplication app(argc, argv);
    QTemporaryDir programFolder;
    SetProgramFolder(programFolder.path());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
