#include "map/Image32View.h"

#include <QPaintEvent>
#include <QPainter>

TImage32View::TImage32View(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void TImage32View::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::white);
    if (!Bitmap.isNull())
        painter.drawImage(QPoint(0, 0), Bitmap);
    if (Rubber) {
        painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(*Rubber);
    }
}

namespace {

constexpr int kMarkerSize = 7;
constexpr int kMarkerReach = 3; // pixels from the centre to each end of the cross
constexpr QRgb kMarkerColor = 0xFF000000;

bool Inside(const QImage& bitmap, int x, int y) {
    return x >= 0 && y >= 0 && x < bitmap.width() && y < bitmap.height();
}

} // namespace

bool TClickMarker::Erase(QImage& bitmap) {
    if (!m_shown)
        return false;
    for (int dy = 0; dy < kMarkerSize; ++dy)
        for (int dx = 0; dx < kMarkerSize; ++dx) {
            const int x = m_origin.x() + dx, y = m_origin.y() + dy;
            if (Inside(bitmap, x, y))
                bitmap.setPixel(x, y, m_block[dy * kMarkerSize + dx]);
        }
    m_shown = false;
    return true;
}

void TClickMarker::Draw(QImage& bitmap, int x, int y) {
    Erase(bitmap);
    m_origin = QPoint(x - kMarkerReach, y - kMarkerReach);
    for (int dy = 0; dy < kMarkerSize; ++dy)
        for (int dx = 0; dx < kMarkerSize; ++dx) {
            const int px = m_origin.x() + dx, py = m_origin.y() + dy;
            m_block[dy * kMarkerSize + dx] = Inside(bitmap, px, py) ? bitmap.pixel(px, py) : 0;
        }
    for (int d = -kMarkerReach; d <= kMarkerReach; ++d) {
        if (Inside(bitmap, x + d, y))
            bitmap.setPixel(x + d, y, kMarkerColor);
        if (Inside(bitmap, x, y + d))
            bitmap.setPixel(x, y + d, kMarkerColor);
    }
    m_shown = true;
}
