#pragma once
// Helpers shared by the tests: a private settings store and program folder per test, and a
// responder that answers the program's dialogs in place of a person.

#include "common/Dialogs.h"
#include "common/ProgramFolder.h"
#include "settings/DemoDataForm.h"
#include "settings/Preferences.h"
#include "settings/SettingsStore.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <utility>
#include <vector>

// How long a test waits for the program's work (a drawing, a window, a start-up load) before it
// fails: long enough for a machine loaded with other builds and tests. A wait ends as soon as its
// condition holds, so a passing test never spends it.
inline constexpr int kWaitDeadlineMs = 30000;

// Test failures show texts as texts.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

// A file of tests/data (see its README). A missing file fails the test that asks for it: a test
// must never pass without the data it checks.
inline QString TestDataFile(const QString& name) {
    const QString path = QString(TAMO_TESTDATA_DIR) + "/" + name;
    if (!QFile::exists(path))
        ADD_FAILURE() << "test data file missing: " << path.toStdString();
    return path;
}

// Writes a small file that carries the signature of an Access database and nothing else: enough
// for the viewer to treat it as one and start an import, which a fake import program then handles.
inline void WriteAccessStub(const QString& path) {
    QByteArray page(4096, '\0');
    page[0] = 0x00;
    page[1] = 0x01;
    const QByteArray engine("Standard Jet DB");
    page.replace(4, engine.size(), engine);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(page);
}

// Gives the test an empty settings store, empty XDG data and cache folders, and a program folder
// with an empty Data/ folder, so that data and cache are looked for beside the program; all are
// removed afterwards. The program's preferences and run-wide texts are put back as they were.
class TScopedEnvironment {
public:
    TScopedEnvironment() : m_preferences(Preferences()), m_state(ProgramState()) {
        QDir(m_folder.path()).mkdir("Data");
        SetProgramFolder(m_folder.path());
        TSettingsStore::Global().Reset(SettingsFile());
        for (const char* name : {"XDG_DATA_HOME", "XDG_CACHE_HOME"})
            m_savedVariables.emplace_back(name, qgetenv(name));
        qputenv("XDG_DATA_HOME", DataHome().toUtf8());
        qputenv("XDG_CACHE_HOME", CacheHome().toUtf8());
    }
    ~TScopedEnvironment() {
        SetProgramFolder({});
        TSettingsStore::Global().Reset(m_folder.path() + "/gone.json");
        Preferences() = m_preferences;
        ProgramState() = m_state;
        for (const auto& [name, value] : m_savedVariables)
            qputenv(name, value);
    }
    TScopedEnvironment(const TScopedEnvironment&) = delete;
    TScopedEnvironment& operator=(const TScopedEnvironment&) = delete;
    QString Folder() const { return m_folder.path() + "/"; }
    QString SettingsFile() const { return m_folder.path() + "/config/TAMO/settings.json"; }
    QString DataHome() const { return Folder() + "xdg-data/"; }
    QString CacheHome() const { return Folder() + "xdg-cache/"; }

private:
    TPreferences m_preferences;
    TProgramState m_state;
    QTemporaryDir m_folder;
    std::vector<std::pair<const char*, QByteArray>> m_savedVariables;
};

// Records every message box and answers dialogs from queues the test fills.
class TTestResponder : public Dialogs::TResponder {
public:
    struct TShownMessage {
        QString Text;
        QString Caption;
    };
    TTestResponder() { Dialogs::SetResponder(this); }
    ~TTestResponder() override { Dialogs::SetResponder(nullptr); }

    std::vector<TShownMessage> Messages;
    std::deque<QMessageBox::StandardButton> MessageAnswers; // in turn; Ok once they are used up
    std::vector<Dialogs::TFileRequest> FileRequests;
    std::deque<QStringList> FileAnswers;                    // empty list: the user cancels
    std::deque<std::function<int(QDialog&)>> DialogAnswers; // run against the shown dialog

    std::optional<QMessageBox::StandardButton> AnswerMessage(const QString& text,
                                                             const QString& caption) override {
        Messages.push_back({text, caption});
        if (MessageAnswers.empty())
            return QMessageBox::Ok;
        const QMessageBox::StandardButton answer = MessageAnswers.front();
        MessageAnswers.pop_front();
        return answer;
    }
    std::optional<QStringList> AnswerFiles(const Dialogs::TFileRequest& request) override {
        FileRequests.push_back(request);
        if (FileAnswers.empty())
            return QStringList();
        QStringList answer = FileAnswers.front();
        FileAnswers.pop_front();
        return answer;
    }
    std::optional<int> AnswerDialog(QDialog& dialog) override {
        if (DialogAnswers.empty())
            return QDialog::Rejected;
        auto answer = DialogAnswers.front();
        DialogAnswers.pop_front();
        return answer(dialog);
    }
};

// A stand-in for the demo data generator: a shell script called with "--progress FOLDER", the folder in $dir.
inline QString WriteGenerator(const QString& folder, const QString& body) {
    const QString path = folder + "generator.sh";
    QFile script(path);
    script.open(QIODevice::WriteOnly);
    script.write(("#!/bin/sh\nfor dir; do :; done\n" + body).toUtf8());
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

// The stand-in's body that writes a whole (tiny) data set.
inline constexpr char kWritesTheSet[] =
    "for f in TAMO2.sqlite Country.shp Country.shx Country.dbf TAMO2.zip; do echo demo > \"$dir/$f\"; done\n";

// Answers the progress window of "Make Demo Data": runs `act` on it, then waits until the maker has finished.
inline std::function<int(QDialog&)> WaitForTheMaker(std::function<void(TDemoDataForm&)> act = {}) {
    return [act](QDialog& dialog) {
        QSignalSpy finished(&dialog, &QDialog::finished);
        if (act)
            act(dynamic_cast<TDemoDataForm&>(dialog));
        EXPECT_TRUE(finished.count() > 0 || finished.wait(60000));
        return dialog.result();
    };
}

// What a program run printed and how it ended.
struct TProgramRun {
    int ExitCode = -1;
    QString Out;
    QString Err;
};

// Runs a program to its end; a crash or a hang gives the exit code -1.
inline TProgramRun
RunProgram(const QString& program, const QStringList& arguments,
           const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    const bool ended = process.waitForFinished(120000);
    return {ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// Every program answers --help (usage, options and exit codes) and --version, and refuses an
// unknown option with exit code 2 and one line that points to --help. None needs a display.
inline void ExpectTheStandardCommandLine(const QString& program, const QString& name) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(variable);
    for (const QString help : {"--help", "-h"}) {
        const TProgramRun run = RunProgram(program, {help}, environment);
        EXPECT_EQ(run.ExitCode, 0) << help.toStdString();
        EXPECT_TRUE(run.Out.startsWith("Usage: " + name + " [options]")) << run.Out.toStdString();
        EXPECT_TRUE(run.Out.contains("--version") && run.Out.contains("Exit codes:\n  0  "))
            << run.Out.toStdString();
        EXPECT_EQ(run.Err, "");
    }
    const TProgramRun version = RunProgram(program, {"--version"}, environment);
    EXPECT_EQ(version.ExitCode, 0);
    EXPECT_EQ(version.Out, name + " " + TAMO_VERSION + "\n");
    for (const QString bad : {"--no-such-option", "-Z"}) {
        const TProgramRun run = RunProgram(program, {bad}, environment);
        EXPECT_EQ(run.ExitCode, 2) << bad.toStdString();
        EXPECT_EQ(run.Out, "");
        EXPECT_EQ(run.Err.count('\n'), 1) << run.Err.toStdString();
        EXPECT_TRUE(run.Err.startsWith(name + ": ") &&
                    run.Err.contains(QString(bad).remove(QRegularExpression("^-+"))) &&
                    run.Err.contains(name + " --help"))
            << run.Err.toStdString();
    }
}
