#pragma once
// The start-up window: a picture, a status line and the "Load TAMO" button that lets the first map
// open. Its button stays disabled until the window's timer has ticked once.

#include <QDialog>

class QLabel;
class QPushButton;
class QTimer;

class TSplashForm : public QDialog {
    Q_OBJECT
public:
    explicit TSplashForm(QWidget* parent = nullptr);

    QLabel* Label2 = nullptr;
    QPushButton* btnStart = nullptr;
    QTimer* Timer = nullptr;

    // Places the window over the centre of the given widget.
    void CentreOn(const QWidget& frame);

private:
    void TimerTimer();
    void btnStartClick();
};
