#pragma once
// The one place through which message boxes, file dialogs and modal dialogs are opened, so that
// tests can answer them without a person.

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <optional>

class QDialog;
class QWidget;

namespace Dialogs {

enum class TFileMode { OpenExisting, OpenExistingMany, Save };

struct TFileRequest {
    QString Title;
    QString Filter;
    QString Folder;
    TFileMode Mode;
};

// What a test puts in place of the person in front of the screen. Each answer may decline
// (std::nullopt), in which case the real dialog is shown.
class TResponder {
public:
    virtual ~TResponder() = default;
    virtual std::optional<QMessageBox::StandardButton> AnswerMessage(const QString& text,
                                                                     const QString& caption) = 0;
    virtual std::optional<QStringList> AnswerFiles(const TFileRequest& request) = 0;
    // Called with the dialog fully built and about to be shown modally; returns its result code.
    virtual std::optional<int> AnswerDialog(QDialog& dialog) = 0;
};

// Installs a responder (not owned; null removes it).
void SetResponder(TResponder* responder);

// `defaultButton` is the one Enter presses (none given: the box's own choice).
QMessageBox::StandardButton Message(QWidget* parent, const QString& text, const QString& caption,
                                    QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
inline void ShowError(QWidget* parent, const QString& text) {
    Message(parent, text, "Error");
}
inline void ShowMessage(QWidget* parent, const QString& text) {
    Message(parent, text, "Message");
}

// File dialogs. Filters come in the form "Description|*.EXT" (several pairs joined by "|").
// An empty list means the user cancelled. The save dialog asks nothing about an existing file:
// the caller asks with ConfirmReplace for the name it writes.
QStringList ChooseFiles(QWidget* parent, const TFileRequest& request);

// True when `path` does not exist or the user agrees to replace it (a Yes/No question; Enter
// answers No).
bool ConfirmReplace(QWidget* parent, const QString& path, const QString& caption);

// Gives a dialog the frame of a dialog: a caption and a close box, no minimise or maximise
// buttons. Exec does this for every dialog it shows; frameless windows keep their look.
void UseDialogFrame(QDialog& dialog);

// Shows a dialog modally (in a dialog frame, centred on its parent unless it was placed) and
// returns its result.
int Exec(QDialog& dialog);

} // namespace Dialogs
