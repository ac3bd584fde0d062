#include "map/Image32View.h"

#include <QPaintEvent>
#include <QPainter>
#include <cmath>

TImage32View::TImage32View(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

QSize TImage32View::BitmapSize() const {
    return (QSizeF(size()) * PixelRatio()).toSize().expandedTo(QSize(1, 1));
}

QPoint TImage32View::BitmapPixelAt(QPointF position) const {
    const qreal ratio = PixelRatio();
    return {static_cast<int>(std::floor(position.x() * ratio)),
            static_cast<int>(std::floor(position.y() * ratio))};
}

int TImage32View::ToControl(int bitmapPixels) const {
    return qRound(bitmapPixels / PixelRatio());
}

int TImage32View::ToBitmap(int controlPixels) const {
    return qRound(controlPixels * PixelRatio());
}

void TImage32View::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::white);
    if (!Bitmap.isNull()) {
        // The bitmap carries its pixel ratio: drawn at it, each of its pixels lands on one device pixel.
        painter.drawImage(QPoint(0, 0), Bitmap);
        if (!qFuzzyCompare(Bitmap.devicePixelRatio(), PixelRatio()))
            emit PixelRatioChanged();
    }
    if (Rubber) {
        const qreal ratio = Bitmap.isNull() ? 1 : Bitmap.devicePixelRatio();
        painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(Rubber->x() / ratio, Rubber->y() / ratio, Rubber->width() / ratio,
                                Rubber->height() / ratio));
    }
}

namespace {

constexpr int kMarkerReach = 3; // screen pixels from the centre to each end of the cross
constexpr QRgb kMarkerColor = 0xFF000000;

bool Inside(const QImage& bitmap, int x, int y) {
    return x >= 0 && y >= 0 && x < bitmap.width() && y < bitmap.height();
}

} // namespace

bool TClickMarker::Erase(QImage& bitmap) {
    if (!m_shown)
        return false;
    for (int dy = 0; dy < m_size; ++dy)
        for (int dx = 0; dx < m_size; ++dx) {
            const int x = m_origin.x() + dx, y = m_origin.y() + dy;
            if (Inside(bitmap, x, y))
                bitmap.setPixel(x, y, m_block[dy * m_size + dx]);
        }
    m_shown = false;
    return true;
}

void TClickMarker::Draw(QImage& bitmap, int x, int y) {
    Erase(bitmap);
    // At a device pixel ratio above 1 the cross keeps its size on the screen: longer arms, and
    // lines as wide as one screen pixel.
    const qreal ratio = std::max<qreal>(1, bitmap.devicePixelRatio());
    const int reach = qRound(kMarkerReach * ratio);
    const int thickness = std::max(1, qRound(ratio));
    m_size = 2 * reach + thickness;
    m_origin = QPoint(x - reach, y - reach);
    m_block.assign(static_cast<std::size_t>(m_size) * m_size, 0);
    for (int dy = 0; dy < m_size; ++dy)
        for (int dx = 0; dx < m_size; ++dx) {
            const int px = m_origin.x() + dx, py = m_origin.y() + dy;
            if (Inside(bitmap, px, py))
                m_block[dy * m_size + dx] = bitmap.pixel(px, py);
        }
    for (int d = -reach; d < reach + thickness; ++d)
        for (int t = 0; t < thickness; ++t) {
            if (Inside(bitmap, x + d, y + t))
                bitmap.setPixel(x + d, y + t, kMarkerColor);
            if (Inside(bitmap, x + t, y + d))
                bitmap.setPixel(x + t, y + d, kMarkerColor);
        }
    m_shown = true;
}
