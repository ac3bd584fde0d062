// The frame's overlay and output commands on the small demo data set: where they sit, Add Shape
// Layer, Copy Map to Clipboard and Print (into a PDF file).
#include "FrameFixture.h"
#include "app/TAMOForm.h"
#include "map/MapExplorerForm.h"
#include "settings/Preferences.h"
#include "settings/SettingsStore.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QToolBar>
#include <QTreeWidget>
#include <QtTest/QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {
QMenu* Menu(const TTAMOForm& frame, const QString& title) {
    for (QAction* action : frame.menuBar()->actions())
        if (action->text() == title)
            return action->menu();
    return nullptr;
}

// Action names of a menu or toolbar in order; "-" for separators.
QStringList Names(const QWidget* container) {
    QStringList names;
    for (QAction* action : container->actions())
        names << (action->isSeparator() ? QString("-") : action->objectName());
    return names;
}
} // namespace

TEST_F(FrameOnData, TheCommandsSitInTheirMenusAndToolbars) {
    CreateFrame();
    EXPECT_TRUE(frame->Action("aFilePrint")->isVisible());
    EXPECT_TRUE(frame->Action("aFilePrintSetup")->isVisible());
    EXPECT_EQ(frame->Action("aDataAddShape")->text(), "Add &Shape Layer");
    EXPECT_EQ(frame->Action("aDataAddShape")->toolTip(), "Add Shape");
    EXPECT_EQ(frame->Action("aCopyClipboard")->text(), "Copy &Map to Clipboard");
    EXPECT_EQ(frame->Action("aFilePrint")->text(), "&Print");
    EXPECT_EQ(frame->Action("aFilePrintSetup")->text(), "Print &Setup");

    const QStringList file = Names(Menu(*frame, "&File"));
    EXPECT_EQ(file.mid(file.indexOf("aFilePrint"), 3),
              (QStringList{"aFilePrint", "aFilePrintSetup", "aFileExit"}));
    const QStringList view = Names(Menu(*frame, "&View"));
    EXPECT_EQ(view.mid(view.indexOf("aViewPan"), 5),
              (QStringList{"aViewPan", "aViewGoTo", "-", "aCopyClipboard", "-"}));
    const QStringList data = Names(Menu(*frame, "&Data"));
    EXPECT_EQ(data.indexOf("aDataAddShape") + 1, data.indexOf("aZonalStatistics"));
    const QStringList main = Names(frame->Toolbar("TBMainToolbar"));
    EXPECT_EQ(main.mid(0, 4), (QStringList{"aFileNewWindow", "-", "aFilePrint", "-"}));
    EXPECT_EQ(main.mid(main.indexOf("aCopyClipboard"), 3),
              (QStringList{"aCopyClipboard", "-", "aWindowTileHoriz"}));
    const QStringList bar = Names(frame->Toolbar("TBDataToolbar"));
    EXPECT_EQ(bar.indexOf("aDataAddShape") + 1, bar.indexOf("aZonalStatistics"));

    // Shape and copy commands need a map window.
    frame->UpdateCommandStates();
    EXPECT_FALSE(frame->Action("aDataAddShape")->isEnabled());
    EXPECT_FALSE(frame->Action("aCopyClipboard")->isEnabled());
    Start();
    EXPECT_TRUE(frame->Action("aDataAddShape")->isEnabled());
    EXPECT_TRUE(frame->Action("aCopyClipboard")->isEnabled());
}

TEST_F(FrameOnData, AddShapeLayerAddsEveryChosenFileAndRemembersTheFirstFolder) {
    Start();
    // The world outline is drawn in black over the map.
    const QImage& bitmap = map->Image32View->Bitmap;
    int black = 0;
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            black += bitmap.pixel(x, y) == 0xFF000000;
    EXPECT_GT(black, 200);

    QStringList chosen;
    for (const char* folder : {"first", "second"}) {
        QDir().mkpath(env.Folder() + folder);
        for (const char* ext : {".shp", ".shx", ".dbf"})
            ASSERT_TRUE(QFile::copy(QString(TAMO_DATA_DIR) + "/Country" + ext,
                                    env.Folder() + folder + "/outline" + ext));
    }
    QFile::copy(env.Folder() + "second/outline.shp", env.Folder() + "second/copy.shp");
    QFile::copy(env.Folder() + "second/outline.shx", env.Folder() + "second/copy.shx");
    chosen << env.Folder() + "first/outline.shp" << env.Folder() + "second/outline.shp"
           << env.Folder() + "second/copy.shp";
    responder.FileAnswers.push_back(chosen);
    frame->Action("aDataAddShape")->trigger();
    ASSERT_NO_FATAL_FAILURE(WaitForDrawing(*map));

    ASSERT_EQ(responder.FileRequests.size(), 1u);
    EXPECT_EQ(responder.FileRequests[0].Filter, "Shape files (*.shp)|*.SHP");
    EXPECT_EQ(responder.FileRequests[0].Mode, Dialogs::TFileMode::OpenExistingMany);
    ASSERT_EQ(map->Manager().ShapeLayers.size(), 4u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(map->Manager().ShapeLayers[i + 1].ShapeFileName, chosen[i]);
    EXPECT_EQ(ReadPathSetting(TSettingsStore::Global(), "Shape Files"), env.Folder() + "first/");
    const QTreeWidgetItem* shapes = map->LegendTreeView->topLevelItem(1);
    ASSERT_NE(shapes, nullptr);
    EXPECT_EQ(shapes->childCount(), 4);

    // The next dialog starts in the remembered folder.
    frame->Action("aDataAddShape")->trigger();
    ASSERT_EQ(responder.FileRequests.size(), 2u);
    EXPECT_EQ(responder.FileRequests[1].Folder, env.Folder() + "first/");
    EXPECT_EQ(map->Manager().ShapeLayers.size(), 4u);
}

TEST_F(FrameOnData, AddShapeLayerNamesAFileItCannotUseAndAddsTheOthers) {
    Start();
    for (const char* ext : {".shp", ".shx", ".dbf"})
        ASSERT_TRUE(QFile::copy(QString(TAMO_DATA_DIR) + "/Country" + ext, env.Folder() + "outline" + ext));
    const QString pipe = env.Folder() + "pipe.shp";
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    responder.FileAnswers.push_back({pipe, env.Folder() + "outline.shp"});
    frame->Action("aDataAddShape")->trigger();
    ASSERT_NO_FATAL_FAILURE(WaitForDrawing(*map));
    ASSERT_EQ(responder.Messages.size(), 1u);
    EXPECT_EQ(responder.Messages[0].Caption, "Error");
    EXPECT_EQ(responder.Messages[0].Text,
              "The shapefile \"" + pipe + "\" cannot be added: \"" + pipe + "\" is not a regular file.");
    ASSERT_EQ(map->Manager().ShapeLayers.size(), 2u);
    EXPECT_EQ(map->Manager().ShapeLayers[1].ShapeFileName, env.Folder() + "outline.shp");
}

TEST_F(FrameOnData, CopyAndPrintTakeTheActiveMapOut) {
    Start();
    QApplication::clipboard()->clear();
    frame->Action("aCopyClipboard")->trigger();
    const QImage picture = QApplication::clipboard()->image();
    EXPECT_EQ(picture.size(), map->size() * picture.devicePixelRatio());

    const QString pdf = env.Folder() + "print.pdf";
    responder.DialogAnswers.push_back([&](QDialog& dialog) {
        auto* print = qobject_cast<QPrintDialog*>(&dialog);
        if (!print)
            return int(QDialog::Rejected);
        // What choosing "Print to File (PDF)" in the dialog sets.
        print->printer()->setOutputFormat(QPrinter::PdfFormat);
        print->printer()->setOutputFileName(pdf);
        print->printer()->setResolution(100);
        return int(QDialog::Accepted);
    });
    frame->Action("aFilePrint")->trigger();
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("%PDF"));
    EXPECT_TRUE(responder.Messages.empty());

    // Cancelling the dialog prints nothing.
    QFile::remove(pdf);
    frame->Action("aFilePrint")->trigger();
    EXPECT_FALSE(QFileInfo::exists(pdf));
}
