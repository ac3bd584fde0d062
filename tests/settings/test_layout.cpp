#include "TestSupport.h"
#include "settings/ToolbarLayout.h"
#include "settings/WindowPlacement.h"

#include <QApplication>
#include <QDockWidget>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QToolBar>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace {
int ReadInt(const QString& key, const QString& name) {
    TRegistry registry(TSettingsStore::Global());
    registry.OpenKey(key, TKeyAccess::OpenExisting);
    return registry.ReadInteger(name);
}
} // namespace

TEST(WindowPlacement, NegativeEdgesAreStoredAsZeroAndComeBack) {
    TScopedEnvironment env;
    QWidget window;
    window.setObjectName("QueryWindow");
    window.setGeometry(-40, 30, 300, 200);
    SaveWindowPlacement(window);
    const QString key = QString(kFormsKey) + "\\QueryWindow";
    EXPECT_EQ(ReadInt(key, "Left"), 0);
    EXPECT_EQ(ReadInt(key, "Width"), 300);
    EXPECT_EQ(ReadInt(key, "Maximized"), 0);

    QWidget again;
    again.setObjectName("QueryWindow");
    RestoreWindowPlacement(again);
    EXPECT_EQ(again.size(), QSize(300, 200));
    EXPECT_EQ(again.pos().x(), 0);
}

TEST(WindowPlacement, FirstStartMaximisesTheFrameAndPutsChildrenTopLeft) {
    TScopedEnvironment env;
    QMainWindow frame;
    frame.setObjectName("TAMOForm");
    RestoreWindowPlacement(frame);
    EXPECT_TRUE(frame.windowState() & Qt::WindowMaximized);

    QMdiArea area;
    area.resize(600, 400);
    auto* map = new QWidget;
    map->setObjectName("MapExplorerForm");
    QMdiSubWindow* sub = area.addSubWindow(map);
    sub->move(50, 50);
    RestoreWindowPlacement(*map);
    EXPECT_EQ(sub->pos(), QPoint(0, 0));
}

TEST(WindowPlacement, AMapWindowLargerThanTheFrameIsShrunk) {
    TScopedEnvironment env;
    {
        TRegistry registry(TSettingsStore::Global());
        registry.OpenKey(QString(kFormsKey) + "\\MapExplorerForm", TKeyAccess::CreateIfMissing);
        registry.WriteInteger("Left", 0);
        registry.WriteInteger("Top", 0);
        registry.WriteBool("Maximized", false);
        registry.WriteInteger("Width", 5000);
        registry.WriteInteger("Height", 300);
    }
    QMdiArea area;
    area.resize(600, 400);
    area.show();
    auto* map = new QWidget;
    map->setObjectName("MapExplorerForm");
    QMdiSubWindow* sub = area.addSubWindow(map);
    sub->show();
    RestoreWindowPlacement(*map);
    EXPECT_EQ(sub->width(), area.viewport()->width() - 30);
    EXPECT_EQ(sub->height(), 300);
}

TEST(WindowPlacement, KeptWithinMovesAndShrinksOnlyAsFarAsNeeded) {
    const QRect area(100, 50, 800, 600);
    struct TCase {
        QPoint Position;
        QSize Size;
        QRect Kept;
    };
    const TCase cases[] = {
        {{200, 100}, {300, 200}, {200, 100, 300, 200}}, // inside: unchanged
        {{850, 500}, {300, 200}, {600, 450, 300, 200}}, // over the right and lower edges
        {{0, 0}, {300, 200}, {100, 50, 300, 200}},      // left of and above the area
        {{2147483647, 2147483647}, {400, 300}, {500, 350, 400, 300}},
        {{-2147483647, 120}, {2147483647, 9000}, {100, 50, 800, 600}}, // larger than the area
        {{300, 300}, {-5, 0}, {300, 300, 1, 1}},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(KeptWithin(c.Position, c.Size, area), c.Kept) << c.Position.x() << "," << c.Position.y();
}

TEST(WindowPlacement, ARestoredWindowKeepsItsFrameWithinTheScreen) {
    // Stored when the window was dragged down to the screen's lower edge: its client area fits,
    // its frame (title bar and borders) does not.
    TScopedEnvironment env;
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    {
        TRegistry registry(TSettingsStore::Global());
        registry.OpenKey(QString(kFormsKey) + "\\TableForm", TKeyAccess::CreateIfMissing);
        registry.WriteInteger("Left", screen.left() + 10);
        registry.WriteInteger("Top", screen.bottom() + 1 - 300);
        registry.WriteBool("Maximized", false);
        registry.WriteInteger("Width", 400);
        registry.WriteInteger("Height", 300);
    }
    QWidget details;
    details.setObjectName("TableForm");
    RestoreWindowPlacement(details);
    details.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&details, kWaitDeadlineMs));
    ASSERT_NE(details.frameGeometry().size(), details.size()) << "the platform shows no window frame";
    EXPECT_TRUE(QTest::qWaitFor([&] { return screen.contains(details.frameGeometry()); }, kWaitDeadlineMs))
        << details.frameGeometry().y() << "+" << details.frameGeometry().height();
    EXPECT_EQ(details.size(), QSize(400, 300));
}

TEST(WindowPlacement, AStoredPlacementOfExtremeSizeIsKeptWithinTheScreen) {
    TScopedEnvironment env;
    for (const char* name : {"TAMOForm", "QueryWindow"}) {
        TRegistry registry(TSettingsStore::Global());
        registry.OpenKey(QString(kFormsKey) + "\\" + name, TKeyAccess::CreateIfMissing);
        registry.WriteInteger("Left", 2147483647);
        registry.WriteInteger("Top", -2147483647 - 1);
        registry.WriteBool("Maximized", false);
        registry.WriteInteger("Width", 2147483647);
        registry.WriteInteger("Height", 2147483647);
    }
    QMainWindow frame;
    frame.setObjectName("TAMOForm");
    QWidget query;
    query.setObjectName("QueryWindow");
    for (QWidget* window : {static_cast<QWidget*>(&frame), &query}) {
        RestoreWindowPlacement(*window);
        const QRect screen = window->screen()->availableGeometry();
        EXPECT_TRUE(screen.contains(window->geometry())) << window->objectName().toStdString();
        EXPECT_FALSE(window->isMaximized());
    }
    // The size saved back is the one shown, so the next start does not repeat the damage.
    SaveWindowPlacement(frame);
    TRegistry registry(TSettingsStore::Global());
    registry.OpenKey(QString(kFormsKey) + "\\TAMOForm", TKeyAccess::OpenExisting);
    EXPECT_LE(registry.ReadInteger("Width"), frame.screen()->availableGeometry().width());
}

TEST(ToolbarLayout, DefaultLayoutPutsTheToolbarsOnTopInOrderAndHidesToolWindows) {
    TScopedEnvironment env;
    TPreferences prefs;
    LoadPreferences(prefs); // writes the default layout
    QMainWindow frame;
    QToolBar* bars[3];
    const char* names[3] = {"TBViewToolbar", "TBDataToolbar", "TBMainToolbar"};
    for (int i = 0; i < 3; ++i) {
        bars[i] = new QToolBar(names[i], &frame);
        bars[i]->setObjectName(names[i]);
        bars[i]->addAction(names[i]);
        frame.addToolBar(Qt::BottomToolBarArea, bars[i]);
    }
    auto* dock = new QDockWidget("Data Point", &frame);
    dock->setObjectName("TBToolDataPoint");
    frame.addDockWidget(Qt::LeftDockWidgetArea, dock);
    frame.resize(800, 600);
    frame.show();

    LoadToolbarLayout(frame, TSettingsStore::Global());
    QApplication::processEvents();
    for (QToolBar* bar : bars) {
        EXPECT_EQ(frame.toolBarArea(bar), Qt::TopToolBarArea);
        EXPECT_TRUE(bar->isVisible());
    }
    EXPECT_FALSE(dock->isVisible());
    // Main (DockPos -1) comes first, then View (248); Data has the second row (DockRow 1).
    EXPECT_LT(bars[2]->x(), bars[0]->x());
    EXPECT_EQ(bars[2]->y(), bars[0]->y());
    EXPECT_GT(bars[1]->y(), bars[2]->y());
}

TEST(ToolbarLayout, SavedLayoutComesBack) {
    TScopedEnvironment env;
    const auto build = [](QMainWindow& frame) {
        auto* bar = new QToolBar("Main", &frame);
        bar->setObjectName("TBMainToolbar");
        bar->addAction("x");
        frame.addToolBar(Qt::TopToolBarArea, bar);
        auto* dock = new QDockWidget("Data Point", &frame);
        dock->setObjectName("TBToolDataPoint");
        dock->setWidget(new QWidget);
        frame.addDockWidget(Qt::LeftDockWidgetArea, dock);
        frame.resize(800, 600);
        frame.show();
        return std::pair{bar, dock};
    };
    {
        QMainWindow frame;
        auto [bar, dock] = build(frame);
        frame.addToolBar(Qt::BottomToolBarArea, bar);
        frame.addDockWidget(Qt::RightDockWidgetArea, dock);
        dock->show();
        QApplication::processEvents();
        SaveToolbarLayout(frame, TSettingsStore::Global());
    }
    QMainWindow frame;
    auto [bar, dock] = build(frame);
    dock->hide();
    LoadToolbarLayout(frame, TSettingsStore::Global());
    EXPECT_EQ(frame.toolBarArea(bar), Qt::BottomToolBarArea);
    EXPECT_EQ(frame.dockWidgetArea(dock), Qt::RightDockWidgetArea);
    EXPECT_TRUE(dock->isVisible());
}
