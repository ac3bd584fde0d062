// The frame's commands that add overlays and take the map out: Add Shape Layer, Copy Map to
// Clipboard, Print and Print Setup.
#include "app/FrameCommands.h"
#include "app/TAMOForm.h"

#include "common/Dialogs.h"
#include "common/ProgramFolder.h"
#include "map/MapExplorerForm.h"
#include "map/MapOutput.h"
#include "settings/Preferences.h"
#include "settings/SettingsStore.h"

#include <QFileInfo>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

void TTAMOForm::ConnectOutputCommands() {
    m_commands->OnTriggered("aFilePrint", [this] { aFilePrintExecute(); });
    m_commands->OnTriggered("aFilePrintSetup", [this] { aFilePrintSetupExecute(); });
    m_commands->OnTriggered("aDataAddShape", [this] { AddShapeFiles(); });
    m_commands->OnTriggered("aCopyClipboard", [this] { CopyMapToClipboard(); });
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
    const Dialogs::TFileRequest request{"Open", "Shape files (*.shp)|*.SHP",
                                        ReadPathSetting(TSettingsStore::Global(), "Shape Files"),
                                        Dialogs::TFileMode::OpenExistingMany};
    const QStringList files = Dialogs::ChooseFiles(this, request);
    if (files.isEmpty())
        return;
    for (const QString& file : files)
        map->AddShapeLayer(file);
    WritePathSetting(TSettingsStore::Global(), "Shape Files",
                     WithSlash(QFileInfo(files.first()).absolutePath()));
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
