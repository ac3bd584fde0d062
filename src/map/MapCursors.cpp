#include "map/MapCursors.h"

#include <QBitmap>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// Draws a shape in black with a white outline so that it shows on any map colour.
void Outlined(QPainter& painter, const QPainterPath& path, qreal width) {
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, width + 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);
    painter.setPen(QPen(Qt::black, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);
}

enum class TMagnifierSign { Plus, Minus };
enum class TArrowPicture { Sheet, Grid };

QPixmap Magnifier(TMagnifierSign kind) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath glass;
    glass.addEllipse(QPointF(12, 12), 8, 8);
    painter.setBrush(QColor(255, 255, 255, 160));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(12, 12), 8, 8);
    Outlined(painter, glass, 2);
    QPainterPath handle;
    handle.moveTo(18, 18);
    handle.lineTo(27, 27);
    Outlined(painter, handle, 4);
    QPainterPath sign;
    sign.moveTo(8, 12);
    sign.lineTo(16, 12);
    if (kind == TMagnifierSign::Plus) {
        sign.moveTo(12, 8);
        sign.lineTo(12, 16);
    }
    Outlined(painter, sign, 2);
    return pixmap;
}

QPixmap Hand() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath hand;
    // Four fingers, a thumb and the palm.
    for (int f = 0; f < 4; ++f)
        hand.addRoundedRect(QRectF(9 + 4 * f, 5 + (f == 0 || f == 3 ? 3 : 0), 4, 14), 2, 2);
    hand.addRoundedRect(QRectF(4, 14, 9, 4), 2, 2);
    hand.addRoundedRect(QRectF(9, 14, 16, 13), 4, 4);
    hand = hand.simplified();
    painter.setPen(QPen(Qt::black, 1.5));
    painter.setBrush(Qt::white);
    painter.drawPath(hand);
    return pixmap;
}

// The arrow with a small picture beside it: a sheet for the overview, a grid for the table.
QPixmap ArrowWith(TArrowPicture picture) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath arrow;
    arrow.moveTo(1, 1);
    arrow.lineTo(1, 17);
    arrow.lineTo(5, 13);
    arrow.lineTo(8, 20);
    arrow.lineTo(10, 19);
    arrow.lineTo(7, 12);
    arrow.lineTo(12, 12);
    arrow.closeSubpath();
    painter.setPen(QPen(Qt::white, 1));
    painter.setBrush(Qt::black);
    painter.drawPath(arrow);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QRect sheet(14, 14, 14, 14);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawRect(sheet);
    if (picture == TArrowPicture::Grid) {
        painter.fillRect(QRect(15, 15, 13, 3), QColor(0, 0, 128));
        for (int y = 21; y < 28; y += 3)
            painter.drawLine(15, y, 27, y);
        painter.drawLine(20, 18, 20, 27);
    } else {
        for (int y = 17; y < 27; y += 3)
            painter.drawLine(16, y, 25, y);
    }
    return pixmap;
}

} // namespace

QCursor MapCursor(int cursor) {
    static QHash<int, QCursor> cursors;
    if (auto it = cursors.constFind(cursor); it != cursors.constEnd())
        return *it;
    QCursor result;
    switch (cursor) {
    case crZoomIn:
        result = QCursor(Magnifier(TMagnifierSign::Plus), 12, 12);
        break;
    case crZoomOut:
        result = QCursor(Magnifier(TMagnifierSign::Minus), 12, 12);
        break;
    case crPan:
        result = QCursor(Hand(), 16, 16);
        break;
    case crSummSelect:
        result = QCursor(ArrowWith(TArrowPicture::Sheet), 1, 1);
        break;
    case crTableSelect:
        result = QCursor(ArrowWith(TArrowPicture::Grid), 1, 1);
        break;
    default:
        return QCursor(Qt::CrossCursor);
    }
    cursors.insert(cursor, result);
    return result;
}
