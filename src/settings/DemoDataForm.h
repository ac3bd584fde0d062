#pragma once
// The progress window of the demo data maker: the folder, the step just done, a progress bar and
// Cancel. It closes itself when the maker has finished; Cancel (also Escape and the close box)
// stops the maker, which removes what it made.

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class TDemoDataMaker;

class TDemoDataForm : public QDialog {
    Q_OBJECT
public:
    TDemoDataForm(TDemoDataMaker& maker, const QString& folder, QWidget* parent = nullptr);

    QLabel* lblFolder = nullptr;
    QLabel* lblStep = nullptr;
    QProgressBar* prbProgress = nullptr;
    QPushButton* btnCancel = nullptr;

    // Cancel: the window stays until the maker has cleaned up.
    void reject() override;

private:
    TDemoDataMaker& m_maker;
};
