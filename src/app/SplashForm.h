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

    // Places the window over the centre of the given widget, made to fit the screen it is on.
    void CentreOn(const QWidget& frame);
    // Takes the picture's size, or less (the picture scaled alike in both directions) where the
    // screen area `available` is smaller, and lays out the window for it.
    void FitTo(const QRect& available);

    // The size the picture takes in a screen area of `available` pixels: its own, or the largest
    // that leaves a small margin there, never below a size its texts can use.
    static QSize SizeFor(const QSize& available);

private:
    void LayOut();
    void TimerTimer();
    void btnStartClick();
};
