// The frame's commands that add overlays and take the map out: Add Shape Layer, Copy Map to
// Clipboard, Print and Print Setup.
#include "app/TAMOForm.h"

#include "common/Dialogs.h"
#include "common/ProgramFolder.h"
#include "map/MapExplorerForm.h"
#include "map/MapOutput.h"
#include "settings/Preferences.h"

#include <QAction>
#include <QFileInfo>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

void TTAMOForm::CreateOutputActions() {
    MakeAction(aFilePrint, "aFilePrint", "&Print", "Print", [this] { aFilePrintExecute(); });
    MakeAction(aFilePrintSetup, "aFilePrintSetup", "Print &Setup", {}, [this] { aFilePrintSetupExecute(); });
    // Printing works but is kept out of the menus and toolbars.
    aFilePrint->setVisible(false);
    aFilePrintSetup->setVisible(false);
    MakeAction(aDataAddShape, "aDataAddShape", "Add &Shape Layer", "Add Shape", [this] { AddShapeFiles(); });
    MakeAction(aCopyClipboard, "aCopyClipboard", "Copy &Map to Clipboard", {},
               [this] { CopyMapToClipboard(); });

    // Their places in the menus and toolbars are in the frame's item lists.
    m_mapCommands << aCopyClipboard << aDataAddShape;
    for (QAction* action : {aCopyClipboard, aDataAddShape})
        action->setEnabled(MapWindowCount() > 0);
}

QPrinter& TTAMOForm::Printer() {
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

void TTAMOForm::AddShapeFiles() {
    TMapExplorerForm* map = ActiveMap();
    if (!map)
        return;
    ResetMapTools();
    const Dialogs::TFileRequest request{"Open", "Shape files (*.shp)|*.SHP", ReadPathSetting("Shape Files"),
                                        Dialogs::TFileMode::OpenExistingMany};
    const QStringList files = Dialogs::ChooseFiles(this, request);
    if (files.isEmpty())
        return;
    for (const QString& file : files)
        map->AddShapeLayer(file);
    WritePathSetting("Shape Files", WithSlash(QFileInfo(files.first()).absolutePath()));
    map->Redraw();
}

void TTAMOForm::CopyMapToClipboard() {
    if (TMapExplorerForm* map = ActiveMap())
        ::CopyMapToClipboard(*map);
}

void TTAMOForm::aFilePrintExecute() {
    QPrintDialog dialog(&Printer(), this);
    if (Dialogs::Exec(dialog) != QDialog::Accepted)
        return;
    if (TMapExplorerForm* map = ActiveMap())
        PrintMap(*map, Printer());
}

void TTAMOForm::aFilePrintSetupExecute() {
    QPageSetupDialog dialog(&Printer(), this);
    Dialogs::Exec(dialog);
}
