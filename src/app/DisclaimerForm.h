#pragma once
// The "Disclaimer" dialog: what the database and the viewer do not promise, the reservation of
// rights, and how to cite the database.

#include <QDialog>

class QPushButton;
class QTextEdit;

class TDisclaimerForm : public QDialog {
    Q_OBJECT
public:
    explicit TDisclaimerForm(QWidget* parent = nullptr);

    QTextEdit* Memo1;
    QPushButton* btnClose;
};
