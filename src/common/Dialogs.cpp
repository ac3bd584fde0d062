#include "common/Dialogs.h"

#include "common/TAMOError.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>

namespace Dialogs {
namespace {
TResponder* gResponder = nullptr;

// "Shape File | *.SHP" pairs become Qt's "Shape File (*.SHP)" entries.
QString ToQtFilter(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString patterns = parts[i + 1].trimmed();
        // Match both cases: shipped data names its files in either.
        QStringList both;
        for (const QString& pattern : patterns.split(';', Qt::SkipEmptyParts))
            both << pattern.trimmed().toLower() << pattern.trimmed().toUpper();
        both.removeDuplicates();
        entries << QString("%1 (%2)").arg(description, both.join(' '));
    }
    return entries.join(";;");
}
} // namespace

void SetResponder(TResponder* responder) {
    gResponder = responder;
}

QMessageBox::StandardButton Message(QWidget* parent, const QString& text, const QString& caption,
                                    QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton) {
    if (gResponder)
        if (const auto answer = gResponder->AnswerMessage(text, caption))
            return *answer;
    const QMessageBox::Icon icon = caption == "Error"                   ? QMessageBox::Critical
                                   : buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Question
                                                                        : QMessageBox::Information;
    QMessageBox box(icon, caption, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QStringList ChooseFiles(QWidget* parent, const TFileRequest& request) {
    if (gResponder)
        if (const auto answer = gResponder->AnswerFiles(request))
            return *answer;
    const QString filter = ToQtFilter(request.Filter);
    switch (request.Mode) {
    case TFileMode::OpenExisting: {
        const QString file = QFileDialog::getOpenFileName(parent, request.Title, request.Folder, filter);
        return file.isEmpty() ? QStringList() : QStringList{file};
    }
    case TFileMode::OpenExistingMany:
        return QFileDialog::getOpenFileNames(parent, request.Title, request.Folder, filter);
    case TFileMode::Save: {
        // The caller asks about the file it actually writes (ConfirmReplace), which may be named
        // otherwise than the one typed.
        const QString file = QFileDialog::getSaveFileName(parent, request.Title, request.Folder, filter,
                                                          nullptr, QFileDialog::DontConfirmOverwrite);
        return file.isEmpty() ? QStringList() : QStringList{file};
    }
    }
    return {};
}

bool ConfirmReplace(QWidget* parent, const QString& path, const QString& caption) {
    if (!QFileInfo::exists(path))
        return true;
    const QString text = QFileInfo(path).fileName() + " already exists.\nDo you want to replace it?";
    return Message(parent, text, caption, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

void UseDialogFrame(QDialog& dialog) {
    // A title and a close box only: no minimise or maximise buttons, which also leaves the
    // caption its room on a narrow dialog.
    if (dialog.windowFlags() & Qt::FramelessWindowHint)
        return;
    const Qt::WindowFlags frame = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                  Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
    // Setting flags hides a shown window: only when they change.
    if (dialog.windowFlags() != frame)
        dialog.setWindowFlags(frame);
}

int Exec(QDialog& dialog) {
    UseDialogFrame(dialog);
    if (gResponder)
        if (const auto answer = gResponder->AnswerDialog(dialog))
            return *answer;
    return dialog.exec();
}

} // namespace Dialogs
