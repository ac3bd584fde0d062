#pragma once
// The frame's commands and their menus and toolbars as the program's users see them, written out
// once so that every frame test walks the same table.

#include "app/TAMOForm.h"

#include <QAction>
#include <QKeySequence>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <string>
#include <vector>

enum class TShown { Yes, Hidden, PopUp };
enum class TEnabled { Always, Map, Database };

struct TCommandRow {
    const char* Name;
    QString Caption;
    QString Hint; // empty: none
    TShown Shown;
    TEnabled Enabled;
    QString Shortcut = {}; // portable text; empty: none
};

inline const std::vector<TCommandRow>& CommandTable() {
    using enum TShown;
    using enum TEnabled;
    static const std::vector<TCommandRow> rows = {
        {"aFileNewWindow", "&New Window", "Open New Window", Yes, Always, "Ctrl+N"},
        {"aFileCloseAll", "&Close All", "", Yes, Always},
        {"aFilePrint", "&Print", "Print", Yes, Always, "Ctrl+P"},
        {"aFilePrintSetup", "Print &Setup", "", Yes, Always},
        {"aFileExit", "&Exit", "", Yes, Always, "Ctrl+Q"},
        // The hint of its toolbar button ("None"), which the status bar shows for the menu item too.
        {"aNoAction", "&No action", "None", Yes, Map},
        {"aViewRedraw", "&Redraw View", "Redraw View", Yes, Map},
        {"aViewReset", "&View All", "View All", Yes, Map},
        {"aViewZoomRectangle", "&Zoom Rectangle", "Zoom Rectangle", Yes, Map},
        {"aViewZoomIn", "Zoom &In", "Zoom In", Yes, Map},
        {"aViewZoomOut", "Zoom &Out", "Zoom Out", Yes, Map},
        {"aViewPan", "&Pan", "Pan", Yes, Map},
        {"aViewGoTo", "&Go To...", "Go To", Yes, Map, "Ctrl+G"},
        {"aViewPersistent", "P&ersistent View Operation", "", Yes, Always},
        {"aViewSynchronize", "&Synchronize Views", "", Yes, Always},
        // Its letter is N: O is Zoom Out's.
        {"aNewWindow", "Open &New Window", "", Yes, Always},
        {"aDataSelect", "&Data Selector", "Data Selector", Yes, Always},
        {"aDataAddShape", "Add &Shape Layer", "Add Shape", Yes, Map},
        {"aZonalStatistics", "&Extract Statistics", "Extract Statistics", Yes, Map},
        {"aDataClassification", "&Classification", "Data Classification", Yes, Map},
        {"aDataPoint", "Data &Point", "Data Point", Yes, Always},
        {"aSelectSMU", "SMU &Overview", "SMU Overview", Yes, Map},
        {"aSelectSMUtable", "SMU &table", "SMU Table", Yes, Map},
        {"aDataQuery", "Data &Query", "", Yes, Map},
        {"aDataFindUnit", "&Find Unit...", "Find Unit", Yes, Map, "Ctrl+F"},
        {"aDataPropertyMap", "Property &Map...", "Property Map", Yes, Database},
        {"aDataLocation", "&Data Location", "Change Location of Data Files", Yes, Always},
        {"aExportData", "E&xport Data", "Export Data", Yes, Always},
        {"aLibraryManager", "&Library Manager", "Library Manager", Hidden, Always},
        {"aWindowCascade", "&Cascade", "Cascade Windows", Yes, Always},
        {"aWindowTileVert", "Tile &Vertical", "Tile Vertical", Yes, Always},
        {"aWindowTileHoriz", "&Tile Horizontal", "Tile Horizontal", Yes, Always},
        {"aWindowArrangeAll", "&Arrange All", "Arrange All", Yes, Always},
        {"aCopyClipboard", "Copy &Map to Clipboard", "", Yes, Map, "Ctrl+C"},
        {"aToolMain", "&Main", "", PopUp, Always},
        {"aToolView", "&View", "", PopUp, Always},
        {"aToolData", "&Data", "", PopUp, Always},
        {"aToolbars", "&Toolbars", "", Yes, Always},
        {"aLegendAll", "Select All From Legend", "", Yes, Map},
        {"aLegendNone", "Select None From Legend", "", Yes, Map},
        {"aLegendSwitch", "Switch Legend Selection", "", Yes, Map},
        // The Help menu.
        {"aHelpContents", "&Contents", "Display the help contents screen", Yes, Always, "F1"},
        {"aHelpSearch", "Soil Database", "Search help file for a topic", Hidden, Always},
        {"aHelpDisclaimer", "&Disclaimer", "", Yes, Always},
        {"aHelpAbout", "&About...", "Show program information", Yes, Always},
    };
    return rows;
}

inline const TCommandRow* FindCommand(const QString& name) {
    for (const TCommandRow& row : CommandTable())
        if (name == row.Name)
            return &row;
    return nullptr;
}

// Menus and toolbars: action names in order, "-" for a separator, including the hidden items.
struct TBarLayout {
    const char* Name;
    QString Caption;
    QStringList Items;
};

inline const std::vector<TBarLayout>& MenuLayout() {
    static const std::vector<TBarLayout> menus = {
        {"mnuFile",
         "&File",
         {"aFileNewWindow", "aFileCloseAll", "-", "aFilePrint", "aFilePrintSetup", "aFileExit"}},
        {"mnuView",
         "&View",
         {"aViewRedraw", "aViewReset", "aViewZoomRectangle", "aViewZoomIn", "aViewZoomOut", "aViewPan",
          "aViewGoTo", "-", "aCopyClipboard", "-", "aViewPersistent", "aViewSynchronize", "aNewWindow", "-",
          "aDataSelect", "aToolbars"}},
        {"mnuData",
         "&Data",
         {"aSelectSMU", "aSelectSMUtable", "-", "aDataQuery", "aDataFindUnit", "aDataPropertyMap",
          "aDataPoint", "-", "aDataAddShape", "aZonalStatistics", "aDataClassification", "-", "aDataLocation",
          "aExportData", "aLibraryManager"}},
        {"mnuWindow",
         "&Window",
         {"aWindowTileVert", "aWindowTileHoriz", "aWindowCascade", "aWindowArrangeAll"}},
        {"mnuHelp", "&Help", {"aHelpContents", "aHelpSearch", "-", "aHelpDisclaimer", "aHelpAbout"}},
    };
    return menus;
}

inline const std::vector<TBarLayout>& ToolbarLayout() {
    static const std::vector<TBarLayout> bars = {
        {"TBMainToolbar",
         "Main",
         {"aFileNewWindow", "-", "aFilePrint", "-", "aDataSelect", "aDataPoint", "-", "aCopyClipboard", "-",
          "aWindowTileHoriz", "aWindowTileVert", "aWindowCascade", "-"}},
        {"TBViewToolbar",
         "View",
         {"aNoAction", "aViewRedraw", "aViewReset", "aViewZoomRectangle", "aViewZoomIn", "aViewZoomOut",
          "aViewPan", "-", "aViewSynchronize"}},
        {"TBDataToolbar",
         "Data",
         {"aSelectSMU", "aSelectSMUtable", "-", "aDataQuery", "aDataPropertyMap", "-", "aDataAddShape",
          "aZonalStatistics", "aExportData", "-", "Label1", "cmbClassific", "spnClasses", "cmbColorRamp",
          "aDataClassification", "-", "aLegendAll", "aLegendNone", "aLegendSwitch"}},
    };
    return bars;
}

// Every command of the table against the frame: it exists, with its caption, hint, shown and
// enabled state.
inline void ExpectCommandStates(const TTAMOForm& frame, bool withMap, const char* when) {
    for (const TCommandRow& row : CommandTable()) {
        SCOPED_TRACE(std::string(row.Name) + " " + when);
        QAction* action = nullptr;
        EXPECT_NO_THROW(action = frame.Action(row.Name)) << "the frame has no such command";
        if (!action)
            continue;
        EXPECT_EQ(action->text(), row.Caption);
        EXPECT_EQ(action->statusTip(), row.Hint);
        EXPECT_EQ(action->shortcut(), QKeySequence(row.Shortcut));
        EXPECT_EQ(action->isVisible(), row.Shown != TShown::Hidden);
        // Qt reports a hidden action as disabled; it still runs when triggered from code.
        const bool shown = row.Shown != TShown::Hidden;
        const bool needsMet = row.Enabled == TEnabled::Always || (row.Enabled == TEnabled::Map && withMap) ||
                              (row.Enabled == TEnabled::Database && frame.Database());
        EXPECT_EQ(action->isEnabled(), shown && needsMet);
    }
}
