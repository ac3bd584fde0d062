#include "app/FrameCommands.h"

#include "app/CommandIcons.h"
#include "common/Guarded.h"
#include "common/TAMOError.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QToolBar>
#include <QWidget>
#include <QWidgetAction>
#include <string_view>

namespace {
using enum TCommandShown;
using enum TCommandEnabled;
constexpr TCheckable kCheck = TCheckable::Yes;
constexpr TCheckable kNoCheck = TCheckable::No;

// clang-format off
const std::vector<TCommandEntry> kCommands = {
    // File
    {"aFileNewWindow", "&New Window", "Open New Window", Yes, Always, kNoCheck, nullptr, "Ctrl+N"},
    {"aFileCloseAll", "&Close All", "", Yes, Always},
    {"aFilePrint", "&Print", "Print", Yes, Always, kNoCheck, nullptr, "Ctrl+P"},
    {"aFilePrintSetup", "Print &Setup", "", Yes, Always},
    {"aFileExit", "&Exit", "", Yes, Always, kNoCheck, nullptr, "Ctrl+Q"},
    // View: the map tools (one of them is active, in every map window), the commands of the
    // active map window, and the toggles.
    {"aNoAction", "&No action", "None", Yes, Map, kCheck, "&None"},
    {"aViewRedraw", "&Redraw View", "Redraw View", Yes, Map},
    {"aViewReset", "&View All", "View All", Yes, Map},
    {"aViewZoomRectangle", "&Zoom Rectangle", "Zoom Rectangle", Yes, Map, kCheck},
    {"aViewZoomIn", "Zoom &In", "Zoom In", Yes, Map, kCheck},
    {"aViewZoomOut", "Zoom &Out", "Zoom Out", Yes, Map, kCheck},
    {"aViewPan", "&Pan", "Pan", Yes, Map, kCheck},
    {"aViewGoTo", "&Go To...", "Go To", Yes, Map, kNoCheck, nullptr, "Ctrl+G"},
    {"aViewPersistent", "P&ersistent View Operation", "", Yes, Always, kCheck},
    {"aViewSynchronize", "&Synchronize Views", "", Yes, Always, kCheck},
    {"aNewWindow", "Open &New Window", "", Yes, Always, kCheck},
    {"aDataSelect", "&Data Selector", "Data Selector", Yes, Always, kCheck, "&Show Data Selector"},
    // Data
    {"aDataAddShape", "Add &Shape Layer", "Add Shape", Yes, Map},
    {"aZonalStatistics", "&Extract Statistics", "Extract Statistics", Yes, Map},
    {"aDataClassification", "&Classification", "Data Classification", Yes, Map},
    {"aDataPoint", "Data &Point", "Data Point", Yes, Always, kCheck},
    {"aSelectSMU", "SMU &Overview", "SMU Overview", Yes, Map, kCheck},
    {"aSelectSMUtable", "SMU &table", "SMU Table", Yes, Map, kCheck},
    {"aDataQuery", "Data &Query", "", Yes, Map},
    {"aDataFindUnit", "&Find Unit...", "Find Unit", Yes, Map, kNoCheck, nullptr, "Ctrl+F"},
    {"aDataPropertyMap", "Property &Map...", "Property Map", Yes, Database},
    {"aDataLocation", "&Data Location", "Change Location of Data Files", Yes, Always},
    {"aExportData", "E&xport Data", "Export Data", Yes, Always},
    {"aLibraryManager", "&Library Manager", "Library Manager", Hidden, Always},
    // Window
    {"aWindowCascade", "&Cascade", "Cascade Windows", Yes, Always},
    {"aWindowTileVert", "Tile &Vertical", "Tile Vertical", Yes, Always},
    {"aWindowTileHoriz", "&Tile Horizontal", "Tile Horizontal", Yes, Always},
    {"aWindowArrangeAll", "&Arrange All", "Arrange All", Yes, Always},
    {"aCopyClipboard", "Copy &Map to Clipboard", "", Yes, Map, kNoCheck, nullptr, "Ctrl+C"},
    // Toolbars and tool windows
    {"aToolMain", "&Main", "", PopUp, Always, kCheck},
    {"aToolView", "&View", "", PopUp, Always, kCheck},
    {"aToolData", "&Data", "", PopUp, Always, kCheck},
    {"aToolbars", "&Toolbars", "", Yes, Always},
    // Legend
    {"aLegendAll", "Select All From Legend", "", Yes, Map},
    {"aLegendNone", "Select None From Legend", "", Yes, Map},
    {"aLegendSwitch", "Switch Legend Selection", "", Yes, Map},
    // Help
    {"aHelpContents", "&Contents", "Display the help contents screen", Yes, Always, kNoCheck, nullptr, "F1"},
    {"aHelpSearch", "Soil Database", "Search help file for a topic", Hidden, Always},
    {"aHelpDisclaimer", "&Disclaimer", "", Yes, Always},
    {"aHelpAbout", "&About...", "Show program information", Yes, Always},
};

// Hidden commands keep their places, and the separators beside them stay.
const TItemList kFileMenu = {"aFileNewWindow", "aFileCloseAll", "-", "aFilePrint", "aFilePrintSetup", "aFileExit"};
const TItemList kViewMenu = {"aViewRedraw", "aViewReset", "aViewZoomRectangle", "aViewZoomIn", "aViewZoomOut",
                             "aViewPan", "aViewGoTo", "-", "aCopyClipboard", "-", "aViewPersistent",
                             "aViewSynchronize", "aNewWindow", "-", "aDataSelect", "aToolbars"};
const TItemList kDataMenu = {"aSelectSMU", "aSelectSMUtable", "-", "aDataQuery", "aDataFindUnit", "aDataPropertyMap",
                             "aDataPoint", "-", "aDataAddShape", "aZonalStatistics", "aDataClassification", "-",
                             "aDataLocation", "aExportData", "aLibraryManager"};
const TItemList kWindowMenu = {"aWindowTileVert", "aWindowTileHoriz", "aWindowCascade", "aWindowArrangeAll"};
const TItemList kHelpMenu = {"aHelpContents", "aHelpSearch", "-", "aHelpDisclaimer", "aHelpAbout"};
const TItemList kMainToolbar = {"aFileNewWindow", "-", "aFilePrint", "-", "aDataSelect", "aDataPoint", "-",
                                "aCopyClipboard", "-", "aWindowTileHoriz", "aWindowTileVert", "aWindowCascade", "-"};
const TItemList kViewToolbar = {"aNoAction", "aViewRedraw", "aViewReset", "aViewZoomRectangle", "aViewZoomIn",
                                "aViewZoomOut", "aViewPan", "-", "aViewSynchronize"};
const TItemList kDataToolbar = {"aSelectSMU", "aSelectSMUtable", "-", "aDataQuery", "aDataPropertyMap", "-",
                                "aDataAddShape", "aZonalStatistics", "aExportData", "-", "Label1", "cmbClassific",
                                "spnClasses", "cmbColorRamp", "aDataClassification", "-", "aLegendAll", "aLegendNone",
                                "aLegendSwitch"};
// clang-format on
} // namespace

TFrameCommands::TFrameCommands(QWidget& owner) : m_owner(owner) {
    for (const TCommandEntry& command : kCommands) {
        auto* action = new QAction(command.Caption, &owner);
        action->setObjectName(command.Name);
        action->setIcon(CommandIcon(command.Name));
        if (*command.Hint) {
            action->setToolTip(command.Hint);
            action->setStatusTip(command.Hint);
        }
        if (command.IconText)
            action->setIconText(command.IconText);
        if (command.Shortcut)
            action->setShortcut(QKeySequence(command.Shortcut));
        action->setCheckable(command.Checkable == TCheckable::Yes);
        action->setVisible(command.Shown != TCommandShown::Hidden);
        m_actions << action;
        if (command.Enabled == TCommandEnabled::Map)
            m_mapActions << action;
        if (command.Enabled == TCommandEnabled::Database) {
            m_databaseActions << action;
            action->setEnabled(false);
        }
    }
}

const std::vector<TCommandEntry>& TFrameCommands::Table() {
    return kCommands;
}

QAction* TFrameCommands::Action(const QString& name) const {
    for (QAction* action : m_actions)
        if (action->objectName() == name)
            return action;
    throw TAMOError(QString("The frame has no command named \"%1\".").arg(name));
}

void TFrameCommands::OnTriggered(const QString& name, std::function<void()> handler) {
    QObject::connect(Action(name), &QAction::triggered, &m_owner,
                     [owner = &m_owner, handler = std::move(handler)] { Guarded(handler, owner); });
}

void TFrameCommands::AddItems(QWidget& bar, const TItemList& items) const {
    auto* toolbar = qobject_cast<QToolBar*>(&bar);
    for (const char* name : items) {
        if (std::string_view(name) == "-") {
            auto* separator = new QAction(&bar);
            separator->setSeparator(true);
            bar.addAction(separator);
            continue;
        }
        if (std::any_of(m_actions.begin(), m_actions.end(),
                        [name](QAction* action) { return action->objectName() == name; })) {
            bar.addAction(Action(name));
            continue;
        }
        QWidget* control = m_owner.findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
        if (!control || !toolbar)
            throw TAMOError(
                QString("\"%1\" lists \"%2\", which is neither a command nor a control of the frame.")
                    .arg(bar.objectName(), name));
        // The classification controls: their values follow the active map.
        toolbar->addWidget(control);
    }
}

QList<QAction*> TFrameCommands::SharedShortcuts() const {
    QList<QAction*> shared;
    for (QAction* action : m_actions)
        if (!action->shortcut().isEmpty() && action->objectName() != "aCopyClipboard")
            shared << action;
    return shared;
}

void TFrameCommands::EnableMapCommands(bool maps) {
    for (QAction* action : m_mapActions)
        action->setEnabled(maps);
}

void TFrameCommands::EnableDatabaseCommands(bool loaded) {
    for (QAction* action : m_databaseActions)
        action->setEnabled(loaded);
}

const TItemList& FrameItems(const QString& barName) {
    static const std::pair<const char*, const TItemList*> lists[] = {
        {"mnuFile", &kFileMenu},          {"mnuView", &kViewMenu},          {"mnuData", &kDataMenu},
        {"mnuWindow", &kWindowMenu},      {"mnuHelp", &kHelpMenu},          {"TBMainToolbar", &kMainToolbar},
        {"TBViewToolbar", &kViewToolbar}, {"TBDataToolbar", &kDataToolbar},
    };
    for (const auto& [name, items] : lists)
        if (barName == QLatin1String(name))
            return *items;
    throw TAMOError(QString("The frame has no menu or toolbar named \"%1\".").arg(barName));
}
