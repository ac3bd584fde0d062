#include "settings/ToolbarLayout.h"

#include "settings/Preferences.h"
#include "settings/SettingsStore.h"

#include <QDockWidget>
#include <QMainWindow>
#include <QToolBar>
#include <algorithm>
#include <map>

namespace {
constexpr char kRevision[] = "2000";

struct TArea {
    const char* Name;
    Qt::ToolBarArea ToolBar;
    Qt::DockWidgetArea Dock;
};
constexpr TArea kAreas[] = {{"TBtop", Qt::TopToolBarArea, Qt::TopDockWidgetArea},
                            {"TBleft", Qt::LeftToolBarArea, Qt::LeftDockWidgetArea},
                            {"TBright", Qt::RightToolBarArea, Qt::RightDockWidgetArea},
                            {"TBbttom", Qt::BottomToolBarArea, Qt::BottomDockWidgetArea}};

const TArea* AreaNamed(const QString& name) {
    for (const TArea& area : kAreas)
        if (name.compare(area.Name, Qt::CaseInsensitive) == 0)
            return &area;
    return nullptr;
}

const TArea* AreaOf(Qt::ToolBarArea toolBarArea) {
    for (const TArea& area : kAreas)
        if (area.ToolBar == toolBarArea)
            return &area;
    return nullptr;
}

const TArea* AreaOf(Qt::DockWidgetArea dockArea) {
    for (const TArea& area : kAreas)
        if (area.Dock == dockArea)
            return &area;
    return nullptr;
}

// Integer values are kept as text; an unreadable one counts as absent.
std::optional<int> ReadNumber(const TRegistry& registry, const QString& name) {
    if (registry.ValueType(name) != TValueType::Text)
        return std::nullopt;
    bool ok = false;
    const int value = registry.ReadString(name).toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

QString ReadText(const TRegistry& registry, const QString& name) {
    return registry.ValueType(name) == TValueType::Text ? registry.ReadString(name) : QString();
}

QString BarKey(const QString& name) {
    return QString(kToolbarsKey) + "\\" + name;
}

struct TToolbarPlace {
    QToolBar* Bar;
    const TArea* Area;
    int Row;
    int Pos;
};

// Toolbars cannot be floated from code; a toolbar stored floating returns to the area it was
// last docked in.
void PlaceToolbars(QMainWindow& frame, std::vector<TToolbarPlace> places) {
    std::sort(places.begin(), places.end(), [](const TToolbarPlace& a, const TToolbarPlace& b) {
        return std::tie(a.Area->Name, a.Row, a.Pos) < std::tie(b.Area->Name, b.Row, b.Pos);
    });
    std::map<const TArea*, int> lastRow;
    for (const TToolbarPlace& place : places) {
        frame.removeToolBar(place.Bar);
        auto row = lastRow.find(place.Area);
        if (row != lastRow.end() && row->second != place.Row)
            frame.addToolBarBreak(place.Area->ToolBar);
        lastRow[place.Area] = place.Row;
        frame.addToolBar(place.Area->ToolBar, place.Bar);
        place.Bar->show();
    }
}

// The row of a toolbar: the number of distinct lines above (or left of) it in its area.
int ToolbarRow(QMainWindow& frame, QToolBar* bar) {
    const Qt::ToolBarArea area = frame.toolBarArea(bar);
    const bool horizontal = area == Qt::TopToolBarArea || area == Qt::BottomToolBarArea;
    const int line = horizontal ? bar->geometry().top() : bar->geometry().left();
    std::vector<int> lines;
    for (QToolBar* other : frame.findChildren<QToolBar*>())
        if (frame.toolBarArea(other) == area && other->isVisibleTo(&frame))
            lines.push_back(horizontal ? other->geometry().top() : other->geometry().left());
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    return int(std::lower_bound(lines.begin(), lines.end(), line) - lines.begin());
}
} // namespace

void LoadToolbarLayout(QMainWindow& frame, TSettingsStore& store) {
    TRegistry registry(store);
    if (!registry.KeyExists(kToolbarsKey))
        return;
    std::vector<TToolbarPlace> toolbars;
    for (QToolBar* bar : frame.findChildren<QToolBar*>()) {
        if (bar->objectName().isEmpty() ||
            !registry.OpenKey(BarKey(bar->objectName()), TKeyAccess::OpenExisting))
            continue;
        if (ReadText(registry, "Rev") != kRevision)
            continue;
        const std::optional<int> visible = ReadNumber(registry, "Visible");
        const QString dockedTo = ReadText(registry, "DockedTo");
        const TArea* area = dockedTo == "+" ? AreaNamed(ReadText(registry, "LastDock")) : AreaNamed(dockedTo);
        if (!dockedTo.isEmpty() && area && (area->ToolBar & bar->allowedAreas()))
            toolbars.push_back({bar, area, ReadNumber(registry, "DockRow").value_or(0),
                                ReadNumber(registry, "DockPos").value_or(0)});
        if (visible)
            bar->setVisible(*visible != 0);
    }
    PlaceToolbars(frame, toolbars);
    // Placing re-showed the toolbars; visibility is applied again.
    for (const TToolbarPlace& place : toolbars)
        if (registry.OpenKey(BarKey(place.Bar->objectName()), TKeyAccess::OpenExisting))
            if (const std::optional<int> visible = ReadNumber(registry, "Visible"))
                place.Bar->setVisible(*visible != 0);

    for (QDockWidget* dock : frame.findChildren<QDockWidget*>()) {
        if (dock->objectName().isEmpty() ||
            !registry.OpenKey(BarKey(dock->objectName()), TKeyAccess::OpenExisting))
            continue;
        if (ReadText(registry, "Rev") != kRevision)
            continue;
        const QString dockedTo = ReadText(registry, "DockedTo");
        const auto clientWidth = ReadNumber(registry, "ClientWidth");
        const auto clientHeight = ReadNumber(registry, "ClientHeight");
        if (dockedTo == "+") {
            dock->setFloating(true);
            dock->move(ReadNumber(registry, "FloatLeft").value_or(0),
                       ReadNumber(registry, "FloatTop").value_or(0));
            if (clientWidth && clientHeight)
                dock->resize(*clientWidth, *clientHeight);
        } else if (const TArea* area = AreaNamed(dockedTo); area && (area->Dock & dock->allowedAreas())) {
            dock->setFloating(false);
            frame.addDockWidget(area->Dock, dock);
            if (clientWidth && clientHeight)
                dock->resize(*clientWidth, *clientHeight);
        }
        if (const std::optional<int> visible = ReadNumber(registry, "Visible"))
            dock->setVisible(*visible != 0);
    }
}

void SaveToolbarLayout(QMainWindow& frame, TSettingsStore& store) {
    // The frame is usually hidden already (it saves while it goes): visibility is asked relative
    // to the frame.
    TRegistry registry(store);
    for (QToolBar* bar : frame.findChildren<QToolBar*>()) {
        const TArea* area = AreaOf(frame.toolBarArea(bar));
        if (bar->objectName().isEmpty() || !area)
            continue;
        registry.OpenKey(BarKey(bar->objectName()), TKeyAccess::CreateIfMissing);
        const bool horizontal = area->ToolBar == Qt::TopToolBarArea || area->ToolBar == Qt::BottomToolBarArea;
        registry.WriteString("Rev", kRevision);
        registry.WriteString("Visible", bar->isVisibleTo(&frame) ? "1" : "0");
        registry.WriteString("DockedTo", bar->isFloating() ? "+" : area->Name);
        registry.WriteString("LastDock", area->Name);
        registry.WriteString("DockRow", QString::number(ToolbarRow(frame, bar)));
        registry.WriteString("DockPos", QString::number(horizontal ? bar->x() : bar->y()));
        registry.WriteString("FloatLeft", QString::number(bar->isFloating() ? bar->x() : 0));
        registry.WriteString("FloatTop", QString::number(bar->isFloating() ? bar->y() : 0));
        registry.WriteString("FloatRightX", "0");
    }
    for (QDockWidget* dock : frame.findChildren<QDockWidget*>()) {
        const TArea* area = AreaOf(frame.dockWidgetArea(dock));
        if (dock->objectName().isEmpty() || (!dock->isFloating() && !area))
            continue;
        registry.OpenKey(BarKey(dock->objectName()), TKeyAccess::CreateIfMissing);
        registry.WriteString("Rev", kRevision);
        registry.WriteString("Visible", dock->isVisibleTo(&frame) ? "1" : "0");
        registry.WriteString("DockedTo", dock->isFloating() ? "+" : area->Name);
        registry.WriteString("LastDock", area ? area->Name : "TBleft");
        registry.WriteString("DockRow", "0");
        registry.WriteString("DockPos", QString::number(dock->isFloating() ? 0 : dock->y()));
        registry.WriteString("FloatLeft", QString::number(dock->isFloating() ? dock->x() : 0));
        registry.WriteString("FloatTop", QString::number(dock->isFloating() ? dock->y() : 0));
        registry.WriteString("ClientWidth", QString::number(dock->width()));
        registry.WriteString("ClientHeight", QString::number(dock->height()));
    }
}
