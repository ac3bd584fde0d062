#pragma once
// The frame of a command-line tool of the viewer: its arguments, progress shown on a terminal, and
// the rule that any failure ends it with one line on standard error and a non-zero status.

#include "raster/GridExtent.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <stdexcept>

// A wrong command line: the message, then status 2.
class TUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads a tool's arguments one by one.
class TArguments {
public:
    explicit TArguments(QStringList arguments) : m_arguments(std::move(arguments)) {}
    bool AtEnd() const { return m_next >= m_arguments.size(); }
    QString Next() { return m_arguments.at(m_next++); }
    // The value of `option`; a usage error when there is none.
    QString Value(const QString& option);
    // Four numbers N S W E of --extent.
    TDegreeExtent Extent();
    // One of `choices` (without regard to case), for `option`.
    QString Choice(const QString& option, const QStringList& choices);

private:
    QStringList m_arguments;
    int m_next = 1;
};

// Shows "text NN %" on standard error while it is a terminal, rewriting the line.
class TTerminalProgress {
public:
    TTerminalProgress();
    ~TTerminalProgress();
    void Show(const QString& text, int percent);
    void End();

private:
    bool m_terminal = false;
    bool m_open = false;
    QString m_text;
    int m_percent = -1;
};

// Runs a tool: creates the application object, answers --help and --version, runs `body` and
// turns every error into "NAME: message" and a non-zero status (2 for a wrong command line).
int RunTool(int argc, char** argv, const char* name, const char* usage, const std::function<int()>& body);
