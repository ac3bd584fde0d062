#pragma once
// A small dialog that asks for one line of text: a prompt, the edit box, a line of examples, a red
// line saying what was wrong with the text, and OK and Cancel. A subclass reads the text in its
// accept() and calls ShowError instead of accepting a text it cannot use.

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

class TPromptDialog : public QDialog {
    Q_OBJECT
public:
    QLineEdit* Edit() const { return m_edit; }
    QLabel* lblError = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    struct TTexts {
        QString Name; // object names: the dialog's, then the edit box's
        QString EditName;
        QString Title;
        QString Prompt; // with its "&" letter, which goes to the edit box
        QString Placeholder;
        QString Examples;
    };
    // `errorLines`: the lines of room kept below the examples for an error.
    TPromptDialog(QWidget* parent, const TTexts& texts, int errorLines);
    // Says what was wrong and gives the text back to the user, selected.
    void ShowError(const QString& error);

private:
    QLineEdit* m_edit = nullptr;
};
