#pragma once
// Helpers shared by the tests: a private settings store and program folder per test, and a
// responder that answers the program's dialogs in place of a person.

#include "common/Dialogs.h"
#include "common/ProgramFolder.h"
#include "settings/Preferences.h"
#include "settings/SettingsStore.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>

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

// Gives the test an empty settings store and a program folder with an empty Data/ folder, so that
// data and cache are looked for beside the program; both are removed afterwards. The program's
// preferences and run-wide texts are put back as they were.
class TScopedEnvironment {
public:
    TScopedEnvironment() : m_preferences(Preferences()), m_state(ProgramState()) {
        QDir(m_folder.path()).mkdir("Data");
        SetProgramFolder(m_folder.path());
        TSettingsStore::Global().Reset(SettingsFile());
    }
    ~TScopedEnvironment() {
        SetProgramFolder({});
        TSettingsStore::Global().Reset(m_folder.path() + "/gone.json");
        Preferences() = m_preferences;
        ProgramState() = m_state;
    }
    TScopedEnvironment(const TScopedEnvironment&) = delete;
    TScopedEnvironment& operator=(const TScopedEnvironment&) = delete;
    QString Folder() const { return m_folder.path() + "/"; }
    QString SettingsFile() const { return m_folder.path() + "/config/TAMO/settings.json"; }

private:
    TPreferences m_preferences;
    TProgramState m_state;
    QTemporaryDir m_folder;
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
