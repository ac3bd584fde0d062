#include "app/SplashForm.h"

#include "common/Dialogs.h"
#include "common/Guarded.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>

namespace {
constexpr QSize kPictureSize(761, 522);
// Below this the status line and the button would no longer fit.
constexpr int kLeastWidth = 320;
} // namespace

// The picture lives in a resource of a static library: register it before first use.
static void InitAppResources() {
    Q_INIT_RESOURCE(resources);
}

TSplashForm::TSplashForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName("SplashForm");
    InitAppResources();
    setStyleSheet("TSplashForm { background: white; }");

    auto* picture = new QLabel(this);
    picture->setObjectName("Picture");
    picture->setPixmap(QPixmap(":/app/splash.jpg"));
    picture->setScaledContents(true);

    Label2 = new QLabel("Initializing ... please wait", this);
    Label2->setObjectName("Label2");
    Label2->setAttribute(Qt::WA_TranslucentBackground);
    // Dark on the light bottom layer of the picture.
    Label2->setStyleSheet("color: #2b1d0e; font-size: 8pt;");

    btnStart = new QPushButton("Load TAMO", this);
    btnStart->setObjectName("btnStart");
    btnStart->setEnabled(false);
    connect(btnStart, &QPushButton::clicked, this, [this] { Guarded([this] { btnStartClick(); }, this); });

    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    FitTo(screen ? screen->availableGeometry() : QRect(QPoint(), kPictureSize));

    Timer = new QTimer(this);
    Timer->setInterval(1500);
    connect(Timer, &QTimer::timeout, this, [this] { Guarded([this] { TimerTimer(); }, this); });
    Timer->start();
}

QSize TSplashForm::SizeFor(const QSize& available) {
    const QSize room = available.shrunkBy(QMargins(16, 16, 16, 16));
    if (room.width() >= kPictureSize.width() && room.height() >= kPictureSize.height())
        return kPictureSize;
    const QSize scaled = kPictureSize.scaled(room, Qt::KeepAspectRatio);
    if (scaled.width() >= kLeastWidth)
        return scaled;
    return {kLeastWidth, kLeastWidth * kPictureSize.height() / kPictureSize.width()};
}

void TSplashForm::FitTo(const QRect& available) {
    setFixedSize(SizeFor(available.size()));
    LayOut();
}

void TSplashForm::LayOut() {
    const int w = width();
    const int h = height();
    findChild<QLabel*>("Picture")->setGeometry(0, 0, w, h);
    Label2->setGeometry(8, h - 24, std::min(400, w - 16), 16);
    const QSize button = btnStart->sizeHint().expandedTo(QSize(75, 25));
    // 40 pixels above the bottom in the picture's own size, the same share of it when smaller.
    btnStart->setGeometry((w - button.width()) / 2, h - button.height() - 40 * h / kPictureSize.height(),
                          button.width(), button.height());
}

void TSplashForm::CentreOn(const QWidget& frame) {
    const QScreen* screen = frame.screen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    if (available.isValid())
        FitTo(available);
    const QPoint centre = frame.mapToGlobal(frame.rect().center());
    QRect placed(QPoint(centre.x() - width() / 2, centre.y() - height() / 2), size());
    // Whole on the screen, also when the frame lies partly off it.
    if (available.isValid()) {
        placed.moveLeft(std::clamp(placed.left(), available.left(),
                                   std::max(available.left(), available.right() - width() + 1)));
        placed.moveTop(std::clamp(placed.top(), available.top(),
                                  std::max(available.top(), available.bottom() - height() + 1)));
    }
    move(placed.topLeft());
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
