// The program: one viewer per user, the frame, and what happens after its last window is gone.

#include "app/CommandIcons.h"
#include "app/ProgramEnd.h"
#include "app/SingleInstance.h"
#include "app/TAMOForm.h"
#include "app/ViewerCommandLine.h"
#include "classify/ColorRamp.h"
#include "common/Dialogs.h"
#include "common/Guarded.h"
#include "settings/Preferences.h"
#include "settings/SettingsStore.h"

#include <QApplication>
#include <QIcon>
#include <csignal>
#include <cstdio>
#include <memory>

namespace {
// The last line of defence: nothing thrown may cross Qt's event loop.
class TApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            Dialogs::ShowError(nullptr, ErrorText(error));
        } catch (...) {
            Dialogs::ShowError(nullptr, "Unexpected error");
        }
        return false;
    }
};
} // namespace

int main(int argc, char* argv[]) {
    // Read before the window system is reached: --help works without a display and never reaches
    // a running viewer.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const TViewerCommandLine commandLine = ParseViewerCommandLine(arguments);
    if (commandLine.Action != TViewerCommandLine::TAction::Run) {
        std::FILE* out = commandLine.ExitCode == 0 ? stdout : stderr;
        std::fputs(commandLine.Text.toLocal8Bit().constData(), out);
        return commandLine.ExitCode;
    }

    // A write past a file size limit (a quota, ulimit -f) then fails with an error that the
    // program reports, instead of killing it.
    std::signal(SIGXFSZ, SIG_IGN);
    TApplication app(argc, argv);
    // The name the window system shows for the program.
    app.setApplicationName("TAMO-Viewer v2");
    // The desktop entry and the icons are installed under the application id; without an
    // installed icon the window takes one drawn in code.
    app.setDesktopFileName(TAMO_APP_ID);
    app.setWindowIcon(QIcon::fromTheme(TAMO_APP_ID, CommandIcon("aViewReset")));

    // Another viewer runs: it comes forward and this start ends, touching nothing.
    TSingleInstance instance;
    if (!instance.Acquire()) {
        instance.HandOverToRunning();
        return 0;
    }

    InitColorRamps();

    int result = 0;
    {
        std::unique_ptr<TTAMOForm> frame;
        try {
            frame = std::make_unique<TTAMOForm>();
        } catch (const std::exception& error) {
            // A frame that cannot be built (its menus name a command it lacks) must not start.
            qCritical("%s", error.what());
            Dialogs::ShowError(nullptr, ErrorText(error));
            return 1;
        }
        instance.Listen();
        QObject::connect(&instance, &TSingleInstance::Activated, frame.get(),
                         [&frame] { frame->ActivateFromAnotherStart(); });
        frame->show();
        // The frame read the settings: a file that could not be used is told once.
        if (const auto notice = SettingsFileNotice(TSettingsStore::Global()))
            Dialogs::Message(frame.get(), *notice, "Message");
        result = app.exec();
    }
    DeleteLastRaster(Preferences(), ProgramState().LastRasterPath);
    return result;
}
