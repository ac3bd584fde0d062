#include "ToolSupport.h"

#include <QCoreApplication>
#include <cstdio>
#include <unistd.h>

QString TArguments::Value(const QString& option) {
    if (AtEnd() || m_arguments.at(m_next).startsWith("--"))
        throw TUsageError(QString("%1 needs a value").arg(option).toStdString());
    return Next();
}

TDegreeExtent TArguments::Extent() {
    double edges[4];
    const char* names[] = {"north", "south", "west", "east"};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        // A negative number is a value, not an option.
        if (!AtEnd())
            edges[i] = m_arguments.at(m_next).toDouble(&ok);
        if (!ok)
            throw TUsageError(
                QString(
                    "--extent needs four numbers in degrees: north south west east (the %1 edge is missing "
                    "or no number)")
                    .arg(names[i])
                    .toStdString());
        ++m_next;
    }
    const TDegreeExtent extent{edges[0], edges[1], edges[2], edges[3]};
    const QString problem = ExtentProblem(extent);
    if (!problem.isEmpty())
        throw TUsageError(("--extent: " + problem).toStdString());
    return extent;
}

QString TArguments::Choice(const QString& option, const QStringList& choices) {
    const QString value = Value(option);
    for (const QString& choice : choices)
        if (choice.compare(value, Qt::CaseInsensitive) == 0)
            return choice;
    throw TUsageError(
        QString("%1 must be one of %2, not \"%3\"").arg(option, choices.join(", "), value).toStdString());
}

TTerminalProgress::TTerminalProgress() : m_terminal(::isatty(STDERR_FILENO) == 1) {}

TTerminalProgress::~TTerminalProgress() {
    End();
}

void TTerminalProgress::Show(const QString& text, int percent) {
    if (!m_terminal || (text == m_text && percent == m_percent))
        return;
    m_text = text;
    m_percent = percent;
    std::fprintf(stderr, "\r%s ... %3d %%", qPrintable(text), percent);
    std::fflush(stderr);
    m_open = true;
}

void TTerminalProgress::End() {
    if (m_open)
        std::fprintf(stderr, "\n");
    m_open = false;
    m_text.clear();
    m_percent = -1;
}

int RunTool(int argc, char** argv, const char* name, const char* usage, const std::function<int()>& body) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.contains("--help") || arguments.contains("-h")) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (arguments.contains("--version")) {
        std::printf("%s %s\n", name, TAMO_VERSION);
        return 0;
    }
    // One line, whatever went wrong: line breaks inside a message are joined.
    const auto fail = [name](const QString& message, int status) {
        QString line = message.simplified();
        std::fprintf(stderr, "%s: %s\n", name, qPrintable(line));
        return status;
    };
    try {
        return body();
    } catch (const TUsageError& error) {
        return fail(QString::fromUtf8(error.what()) + " (see --help)", 2);
    } catch (const std::exception& error) {
        return fail(QString::fromUtf8(error.what()), 1);
    } catch (...) {
        return fail("an unknown error occurred", 1);
    }
}
