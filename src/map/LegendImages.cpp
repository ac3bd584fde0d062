#include "map/LegendImages.h"

#include "themes/ESRIShapeFile.h"

#include <QPainter>
#include <QPolygon>

namespace {

QImage Blank(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QColor Opaque(QRgb color) {
    return QColor(qRed(color), qGreen(color), qBlue(color));
}

void DrawCheckBox(QPainter& painter, int x, bool ticked) {
    painter.setPen(QColor(64, 64, 64));
    painter.setBrush(Qt::white);
    painter.drawRect(x + 2, 2, 11, 11);
    if (ticked) {
        painter.setPen(QPen(Qt::black, 2));
        painter.drawPolyline(QPolygon({QPoint(x + 4, 7), QPoint(x + 7, 10), QPoint(x + 11, 4)}));
    }
}

} // namespace

QImage LegendCaptionImage(int index) {
    QImage image = Blank(16, 16);
    QPainter painter(&image);
    switch (index) {
    case lcTheme: // a map sheet with a coastline
        painter.setPen(QColor(0, 0, 128));
        painter.setBrush(QColor(192, 224, 255));
        painter.drawRect(1, 2, 13, 11);
        painter.setPen(QColor(0, 128, 0));
        painter.setBrush(QColor(128, 192, 96));
        painter.drawPolygon(
            QPolygon({QPoint(3, 5), QPoint(7, 4), QPoint(9, 7), QPoint(6, 11), QPoint(3, 9)}));
        break;
    case lcShapeLayers: // stacked sheets
        for (int i = 2; i >= 0; --i) {
            painter.setPen(QColor(64, 64, 64));
            painter.setBrush(QColor(255 - 40 * i, 255 - 40 * i, 200));
            painter.drawRect(1 + 2 * i, 1 + 2 * i, 9, 9);
        }
        break;
    case lcUnticked:
    case lcTicked:
        DrawCheckBox(painter, 0, index == lcTicked);
        break;
    default:
        break;
    }
    return image;
}

QImage LegendStateImage(int index) {
    QImage image = Blank(32, 16);
    if (index != lsUnchecked && index != lsChecked)
        return image;
    QPainter painter(&image);
    DrawCheckBox(painter, 0, index == lsChecked);
    // The button that opens the colour choice.
    painter.setPen(QColor(128, 128, 128));
    painter.setBrush(QColor(212, 208, 200));
    painter.drawRect(17, 3, 13, 10);
    painter.setPen(Qt::black);
    for (int dot = 0; dot < 3; ++dot)
        painter.drawPoint(20 + 3 * dot, 10);
    return image;
}

QImage LegendClassSwatch(QRgb color) {
    QImage image = Blank(16, 16);
    QPainter painter(&image);
    painter.setPen(Opaque(color));
    painter.setBrush(Opaque(color));
    painter.drawRect(2, 2, 12, 12);
    return image;
}

QImage LegendNoDataSwatch() {
    QImage image = Blank(16, 16);
    QPainter painter(&image);
    // White like the cells without data, outlined so that it shows on the white panel.
    painter.setPen(QColor(128, 128, 128));
    painter.setBrush(Qt::white);
    painter.drawRect(2, 2, 12, 12);
    return image;
}

QImage LegendShapeSymbol(int shapeType, QRgb color) {
    QImage image = Blank(16, 16);
    QPainter painter(&image);
    painter.setPen(Opaque(color));
    switch (shapeType) {
    case stPoint:
        painter.fillRect(QRect(QPoint(6, 6), QPoint(10, 10)), Opaque(color));
        break;
    case stPolyLine:
        painter.drawPolyline(QPolygon({QPoint(2, 13), QPoint(5, 8), QPoint(9, 8), QPoint(12, 2)}));
        break;
    case stPolygon:
        painter.drawPolygon(QPolygon(
            {QPoint(6, 2), QPoint(13, 2), QPoint(10, 6), QPoint(11, 12), QPoint(3, 11), QPoint(6, 2)}));
        break;
    default:
        break;
    }
    return image;
}
