#pragma once
// The "About" box: the product name, its version and release month, its makers, and the libraries
// the program is built on with their licences.

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent = nullptr);

    QLabel* ProductName;
    QLabel* Version;
    QLabel* Copyright;
    QLabel* Comments;
    QPlainTextEdit* memAcknowledgements;
    QPushButton* OKButton;
};

// The version line of the About box.
QString ProgramVersionText();
