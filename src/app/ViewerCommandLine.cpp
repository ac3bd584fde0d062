#include "app/ViewerCommandLine.h"

#include <QCommandLineParser>

namespace {
constexpr char kProgram[] = "tamo-viewer";

// The options every Qt program takes (QGuiApplication and QApplication consume them); those
// with a value name take one. They are accepted here and left to the application.
const struct {
    const char* Name;
    const char* Value;
} kQtOptions[] = {{"platform", "name"},
                  {"platformpluginpath", "path"},
                  {"platformtheme", "name"},
                  {"plugin", "name"},
                  {"qwindowgeometry", "geometry"},
                  {"qwindowicon", "icon"},
                  {"qwindowtitle", "title"},
                  {"session", "session"},
                  {"display", "display"},
                  {"geometry", "geometry"},
                  {"title", "title"},
                  {"name", "name"},
                  {"icon", "icon"},
                  {"style", "style"},
                  {"stylesheet", "file"},
                  {"qmljsdebugger", "port"},
                  {"dialogs", "mode"},
                  {"fontengine", "engine"},
                  {"reverse", nullptr},
                  {"widgetcount", nullptr},
                  {"nograb", nullptr},
                  {"dograb", nullptr},
                  {"sync", nullptr},
                  {"testability", nullptr}};

constexpr char kMoreHelp[] = "\n"
                             "The standard options of Qt programs (-platform NAME, -style NAME, -geometry\n"
                             "WxH+X+Y, ...) are accepted as well. A second start while a viewer runs brings\n"
                             "that viewer forward and ends.\n"
                             "\n"
                             "Data: Data/ beside the program when it exists and Cache/ there is writable,\n"
                             "otherwise $XDG_DATA_HOME/TAMO, then tamo/ in each $XDG_DATA_DIRS folder.\n"
                             "Cache: Cache/ beside the program, or $XDG_CACHE_HOME/TAMO.\n"
                             "Settings: $XDG_CONFIG_HOME/TAMO/settings.json.\n"
                             "\n"
                             "Exit codes:\n"
                             "  0  the viewer was closed, or a running viewer was brought forward\n"
                             "  2  the command line is wrong\n";
} // namespace

TViewerCommandLine ParseViewerCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    // Qt's own options are single-dash words (-platform), not bundles of letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        "The TAMO Viewer: world soil maps, soil mapping unit data and queries on\n"
        "the TAMO soil database.");
    const QCommandLineOption help({"h", "help"}, "Shows this help and ends.");
    const QCommandLineOption version({"v", "version"}, "Shows the version and ends.");
    parser.addOption(help);
    parser.addOption(version);
    for (const auto& qt : kQtOptions) {
        QCommandLineOption option(qt.Name, {}, qt.Value ? qt.Value : "");
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    // One line on standard error: what is wrong and where to look.
    const auto reject = [](const QString& problem) {
        return TViewerCommandLine{TViewerCommandLine::TAction::Reject,
                                  QString("%1: %2 Try '%1 --help'.\n").arg(kProgram, problem), 2};
    };
    if (!parser.parse(arguments))
        return reject(parser.errorText());
    if (parser.isSet(help))
        return {TViewerCommandLine::TAction::ShowHelp,
                parser.helpText().replace("<executable_name>", kProgram) + kMoreHelp, 0};
    if (parser.isSet(version))
        return {TViewerCommandLine::TAction::ShowVersion, QString("%1 %2\n").arg(kProgram, TAMO_VERSION), 0};
    if (!parser.positionalArguments().isEmpty())
        return reject(QString("Unexpected argument '%1'.").arg(parser.positionalArguments().first()));
    return {};
}
