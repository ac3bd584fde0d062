#pragma once
// The frame's commands: the table of every command (name, caption, hint, whether it is shown and
// when it is enabled), the actions made from it, and the menus and toolbars built from lists of
// command names. A name that is not in the table fails at once with a message naming it.

#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

class QAction;
class QWidget;

enum class TCommandShown : std::uint8_t {
    Yes,
    Hidden,
    PopUp, // only in the toolbar pop-up menu
};
enum class TCommandEnabled : std::uint8_t {
    Always,
    Map,      // while the frame has a child window
    Database, // once the attribute database is loaded
};
enum class TCheckable : std::uint8_t { No, Yes };

// One row of the command table.
struct TCommandEntry {
    const char* Name;
    const char* Caption;
    const char* Hint; // tool tip and status-bar text; empty for none
    TCommandShown Shown;
    TCommandEnabled Enabled;
    TCheckable Checkable = TCheckable::No;
    const char* IconText = nullptr; // a toolbar button's own caption, when it differs
    const char* Shortcut = nullptr; // in portable text ("Ctrl+N")
};

// Items of a menu or toolbar by name: a command, "-" for a separator, or (on a toolbar) the object
// name of one of the frame's controls.
using TItemList = std::vector<const char*>;

class TFrameCommands {
public:
    // Makes an action, a child of `owner`, for every row of the command table.
    explicit TFrameCommands(QWidget& owner);
    TFrameCommands(const TFrameCommands&) = delete;
    TFrameCommands& operator=(const TFrameCommands&) = delete;

    static const std::vector<TCommandEntry>& Table();

    // The action of a command; throws TAMOError for a name the table does not hold.
    QAction* Action(const QString& name) const;
    // Runs `handler` through the error guard whenever the command is triggered.
    void OnTriggered(const QString& name, std::function<void()> handler);
    // Appends the items to a menu or toolbar. Controls are looked for among the owner's children
    // and placed on toolbars only. Throws TAMOError, naming the item and `bar`, for an item that is
    // neither a command, a separator nor such a control.
    void AddItems(QWidget& bar, const TItemList& items) const;
    // The commands with a shortcut that works from the frame's other windows too: all but the
    // map's copy, whose Ctrl+C belongs to the text of those windows.
    QList<QAction*> SharedShortcuts() const;
    // Enables the commands that need a map window, or disables them.
    void EnableMapCommands(bool maps);
    // The same for the commands that need the attribute database.
    void EnableDatabaseCommands(bool loaded);

private:
    QWidget& m_owner;
    QList<QAction*> m_actions;         // in table order
    QList<QAction*> m_mapActions;      // enabled only while a map window exists
    QList<QAction*> m_databaseActions; // enabled only once the database is loaded
};

// The frame's menus and toolbars: item lists by their object names (mnuFile ... TBDataToolbar).
// Throws TAMOError for a name that is none of them.
const TItemList& FrameItems(const QString& barName);
