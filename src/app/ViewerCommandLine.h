#pragma once
// The viewer's command line: --help, --version and the standard options of Qt programs. It is read
// before the window system is reached, so that --help and --version work without a display and
// never reach a running viewer.

#include <QString>
#include <QStringList>

struct TViewerCommandLine {
    enum class TAction { Run, ShowHelp, ShowVersion, Reject };
    TAction Action = TAction::Run;
    QString Text; // the help or version text (for standard output), or a one-line hint (for standard error)
    int ExitCode = 0; // when the program ends without running: 0, or 2 for a wrong command line
};

// `arguments` as the program got them, the program's name first.
TViewerCommandLine ParseViewerCommandLine(const QStringList& arguments);
