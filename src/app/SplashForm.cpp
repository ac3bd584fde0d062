#include "app/SplashForm.h"

#include "common/Dialogs.h"
#include "common/Guarded.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>

// The picture lives in a resource of a static library: register it before first use.
static void InitAppResources() {
    Q_INIT_RESOURCE(resources);
}

TSplashForm::TSplashForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName("SplashForm");
    InitAppResources();
    setFixedSize(761, 522);
    setStyleSheet("TSplashForm { background: white; }");

    auto* picture = new QLabel(this);
    picture->setObjectName("Picture");
    picture->setGeometry(0, 0, 761, 522);
    picture->setPixmap(QPixmap(":/app/splash.jpg"));
    picture->setScaledContents(true);

    Label2 = new QLabel("Initializing ... please wait", this);
    Label2->setObjectName("Label2");
    Label2->setGeometry(8, 498, 400, 16);
    Label2->setAttribute(Qt::WA_TranslucentBackground);
    // Dark on the light bottom layer of the picture.
    Label2->setStyleSheet("color: #2b1d0e; font-size: 8pt;");

    btnStart = new QPushButton("Load TAMO", this);
    btnStart->setObjectName("btnStart");
    btnStart->setGeometry((761 - 75) / 2, 522 - 25 - 40, 75, 25);
    btnStart->setEnabled(false);
    connect(btnStart, &QPushButton::clicked, this, [this] { Guarded([this] { btnStartClick(); }, this); });

    Timer = new QTimer(this);
    Timer->setInterval(1500);
    connect(Timer, &QTimer::timeout, this, [this] { Guarded([this] { TimerTimer(); }, this); });
    Timer->start();
}

void TSplashForm::CentreOn(const QWidget& frame) {
    const QPoint centre = frame.mapToGlobal(frame.rect().center());
    move(centre.x() - width() / 2, centre.y() - height() / 2);
}

void TSplashForm::TimerTimer() {
    Label2->clear();
    btnStart->setEnabled(true);
}

void TSplashForm::btnStartClick() {
    Timer->stop();
    // Ends a modal showing with OK; the window is released once its events are done.
    done(QDialog::Accepted);
    hide();
    deleteLater();
}
