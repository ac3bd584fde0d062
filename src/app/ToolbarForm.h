#pragma once
// The small dialog that shows and hides the three toolbars and the "Data Point" window.

#include <QDialog>

class QListWidget;
class QPushButton;

class TToolbarForm : public QDialog {
    Q_OBJECT
public:
    // The four bars, in the order of the list: Main, View, Data, Data Point.
    TToolbarForm(QWidget* main, QWidget* view, QWidget* data, QWidget* dataPoint, QWidget* parent = nullptr);

    QListWidget* CheckListBox = nullptr;
    QPushButton* btnOk = nullptr;

    // Shows the dialog modally; on OK the bars take the check states and the answer is true.
    // Closing it with its close box changes nothing.
    bool ShowAndApply();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* m_bars[4];
};
