#include "app/CommandIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>
#include <map>

namespace {
// Every icon is drawn on a 16 x 16 grid, at twice the size for sharp edges on dense screens.
using TPainterFn = std::function<void(QPainter&)>;

const QColor kInk(40, 52, 70);
const QColor kBlue(52, 101, 164);
const QColor kGreen(78, 154, 6);
const QColor kPaper(250, 250, 246);

QPen Pen(const QColor& color, double width = 1.3) {
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Window(QPainter& p, const QRectF& r) {
    p.setPen(Pen(kInk, 1.0));
    p.setBrush(kPaper);
    p.drawRect(r);
    p.fillRect(QRectF(r.left(), r.top(), r.width(), 2.5), kBlue);
}

void Magnifier(QPainter& p, const QString& sign) {
    p.setPen(Pen(kInk, 1.6));
    p.setBrush(QColor(220, 234, 248));
    p.drawEllipse(QPointF(6.5, 6.5), 4.8, 4.8);
    p.setPen(Pen(kInk, 2.4));
    p.drawLine(QPointF(10.0, 10.0), QPointF(14.5, 14.5));
    p.setPen(Pen(kBlue, 1.5));
    if (!sign.isEmpty())
        p.drawLine(QPointF(4.2, 6.5), QPointF(8.8, 6.5));
    if (sign == "+")
        p.drawLine(QPointF(6.5, 4.2), QPointF(6.5, 8.8));
}

// Three legend rows: a check box (ticked or not) and a class swatch each.
void LegendRows(QPainter& p, const bool (&ticked)[3]) {
    const QColor swatches[3] = {QColor(204, 0, 0), QColor(78, 154, 6), QColor(52, 101, 164)};
    for (int row = 0; row < 3; ++row) {
        const double y = 1.5 + 5 * row;
        p.setPen(Pen(kInk, 0.9));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, y, 4, 4));
        if (ticked[row]) {
            p.setPen(Pen(kInk, 1.2));
            p.drawLine(QPointF(2.3, y + 2.1), QPointF(3.3, y + 3.2));
            p.drawLine(QPointF(3.3, y + 3.2), QPointF(5.0, y + 0.8));
        }
        p.setPen(Pen(kInk, 0.7));
        p.setBrush(swatches[row]);
        p.drawRect(QRectF(8, y, 6.5, 4));
    }
}

const std::map<QString, TPainterFn>& Painters() {
    static const std::map<QString, TPainterFn> painters = {
        {"aFileNewWindow",
         [](QPainter& p) {
             Window(p, QRectF(1.5, 2.5, 12, 10));
             p.setPen(Pen(kGreen, 1.8));
             p.drawLine(QPointF(12.5, 10), QPointF(12.5, 15));
             p.drawLine(QPointF(10, 12.5), QPointF(15, 12.5));
         }},
        {"aDataPropertyMap",
         [](QPainter& p) {
             // A map sheet whose areas are shaded by value, light to dark.
             Window(p, QRectF(1.5, 1.5, 13, 13));
             const QColor shades[4] = {QColor(255, 240, 160), QColor(250, 190, 90), QColor(225, 110, 50),
                                       QColor(160, 40, 30)};
             const int shadeOf[3][3] = {{0, 1, 2}, {1, 2, 3}, {0, 2, 3}};
             p.setPen(Qt::NoPen);
             for (int row = 0; row < 3; ++row)
                 for (int col = 0; col < 3; ++col) {
                     p.setBrush(shades[shadeOf[row][col]]);
                     p.drawRect(QRectF(2.5 + 4 * col, 4.5 + 3.3 * row, 3.6, 3.0));
                 }
         }},
        {"aDataPoint",
         [](QPainter& p) {
             p.setPen(Pen(kInk, 1.0));
             p.setBrush(kPaper);
             p.drawRect(QRectF(1.5, 1.5, 13, 13));
             for (double y : {5.5, 9.0, 12.5})
                 p.drawLine(QPointF(1.5, y), QPointF(14.5, y));
             p.drawLine(QPointF(7, 1.5), QPointF(7, 14.5));
             p.fillRect(QRectF(2, 2, 12.5, 3.2), QColor(200, 210, 225));
         }},
        {"aWindowTileHoriz",
         [](QPainter& p) {
             Window(p, QRectF(1.5, 1.5, 13, 6));
             Window(p, QRectF(1.5, 8.5, 13, 6));
         }},
        {"aWindowTileVert",
         [](QPainter& p) {
             Window(p, QRectF(1.5, 1.5, 6, 13));
             Window(p, QRectF(8.5, 1.5, 6, 13));
         }},
        {"aWindowCascade",
         [](QPainter& p) {
             Window(p, QRectF(1.5, 1.5, 9, 8));
             Window(p, QRectF(3.5, 3.5, 9, 8));
             Window(p, QRectF(5.5, 5.5, 9, 8));
         }},
        {"aNoAction",
         [](QPainter& p) {
             QPainterPath arrow;
             arrow.moveTo(4, 2);
             arrow.lineTo(4, 13.5);
             arrow.lineTo(6.8, 10.8);
             arrow.lineTo(9, 15);
             arrow.lineTo(10.8, 14.1);
             arrow.lineTo(8.7, 10);
             arrow.lineTo(12.4, 10);
             arrow.closeSubpath();
             p.setPen(Pen(kInk, 1.0));
             p.setBrush(Qt::white);
             p.drawPath(arrow);
         }},
        {"aViewRedraw",
         [](QPainter& p) {
             p.setPen(Pen(kGreen, 1.8));
             p.setBrush(Qt::NoBrush);
             p.drawArc(QRectF(2.5, 2.5, 11, 11), 40 * 16, 280 * 16);
             QPainterPath head;
             head.moveTo(14.5, 1.8);
             head.lineTo(14.2, 7.2);
             head.lineTo(9.2, 5.0);
             head.closeSubpath();
             p.setPen(Qt::NoPen);
             p.setBrush(kGreen);
             p.drawPath(head);
         }},
        {"aViewReset",
         [](QPainter& p) {
             p.setPen(Pen(kInk, 1.0));
             p.setBrush(QColor(120, 170, 220));
             p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
             p.setPen(Pen(QColor(60, 130, 40), 1.0));
             p.setBrush(QColor(110, 170, 70));
             p.drawEllipse(QRectF(4, 4, 4.5, 3.5));
             p.drawEllipse(QRectF(8, 8, 4, 4.5));
             p.setPen(Pen(kInk, 0.7));
             p.setBrush(Qt::NoBrush);
             p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
             p.drawEllipse(QRectF(5, 1.5, 6, 13));
         }},
        {"aViewZoomRectangle",
         [](QPainter& p) {
             QPen dashed = Pen(kBlue, 1.0);
             dashed.setDashPattern({2, 1.5});
             p.setPen(dashed);
             p.setBrush(Qt::NoBrush);
             p.drawRect(QRectF(1.5, 1.5, 9, 7));
             p.translate(4, 4);
             p.scale(0.75, 0.75);
             Magnifier(p, "+");
         }},
        {"aViewZoomIn", [](QPainter& p) { Magnifier(p, "+"); }},
        {"aViewZoomOut", [](QPainter& p) { Magnifier(p, "-"); }},
        {"aViewPan",
         [](QPainter& p) {
             p.setPen(Pen(kInk, 1.5));
             p.drawLine(QPointF(8, 1.5), QPointF(8, 14.5));
             p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
             p.setBrush(kInk);
             const auto head = [&p](QPointF tip, QPointF a, QPointF b) {
                 p.drawPolygon(QPolygonF({tip, a, b}));
             };
             head({8, 0.8}, {5.8, 3.8}, {10.2, 3.8});
             head({8, 15.2}, {5.8, 12.2}, {10.2, 12.2});
             head({0.8, 8}, {3.8, 5.8}, {3.8, 10.2});
             head({15.2, 8}, {12.2, 5.8}, {12.2, 10.2});
         }},
        {"aViewSynchronize",
         [](QPainter& p) {
             Window(p, QRectF(0.5, 3.5, 7, 9));
             Window(p, QRectF(8.5, 3.5, 7, 9));
             p.setPen(Pen(QColor(204, 0, 0), 1.5));
             p.drawLine(QPointF(4, 8.5), QPointF(12, 8.5));
         }},
        {"aFilePrint",
         [](QPainter& p) {
             p.setPen(Pen(kInk, 1.0));
             p.setBrush(kPaper);
             p.drawRect(QRectF(4.5, 1.5, 7, 5));
             p.setBrush(QColor(200, 210, 225));
             p.drawRoundedRect(QRectF(1.5, 6.5, 13, 5.5), 1, 1);
             p.setBrush(kPaper);
             p.drawRect(QRectF(4.5, 10.5, 7, 4));
         }},
        {"aCopyClipboard",
         [](QPainter& p) {
             p.setPen(Pen(kInk, 1.0));
             p.setBrush(QColor(214, 190, 150));
             p.drawRoundedRect(QRectF(2.5, 2.5, 10, 12.5), 1, 1);
             p.fillRect(QRectF(5.5, 1.5, 4, 2.5), kInk);
             p.setBrush(QColor(120, 180, 90));
             p.drawRect(QRectF(5.5, 6.5, 9, 7.5));
             p.setPen(Pen(kBlue, 1.0));
             p.drawLine(QPointF(6.5, 10.5), QPointF(13.5, 9));
         }},
        {"aDataAddShape",
         [](QPainter& p) {
             p.setPen(Pen(kInk, 1.3));
             p.setBrush(Qt::NoBrush);
             p.drawPolygon(QPolygonF({{1.5, 5}, {6, 1.5}, {11, 3.5}, {10, 9.5}, {3.5, 11}}));
             p.setPen(Pen(kGreen, 1.8));
             p.drawLine(QPointF(12.5, 9.5), QPointF(12.5, 15));
             p.drawLine(QPointF(9.8, 12.3), QPointF(15.2, 12.3));
         }},
        // The SMU click tools: a table of the unit, and its overview on tabbed pages.
        {"aSelectSMUtable",
         [](QPainter& p) {
             p.setPen(Pen(kInk, 1.0));
             p.setBrush(kPaper);
             p.drawRect(QRectF(1.5, 2.5, 13, 11));
             p.fillRect(QRectF(1.5, 2.5, 4, 11), QColor(200, 204, 210));
             p.fillRect(QRectF(1.5, 7.5, 13, 1.5), QColor(120, 124, 130));
             for (double y : {5.0, 10.5})
                 p.drawLine(QPointF(1.5, y), QPointF(14.5, y));
             for (double x : {5.5, 10.0})
                 p.drawLine(QPointF(x, 2.5), QPointF(x, 13.5));
         }},
        {"aSelectSMU",
         [](QPainter& p) {
             p.setPen(Pen(kInk, 1.0));
             p.setBrush(QColor(200, 204, 210));
             for (double y : {2.5, 6.0, 9.5})
                 p.drawRect(QRectF(1.0, y, 3, 3));
             p.setBrush(kPaper);
             p.drawRect(QRectF(4.5, 2.5, 10, 11));
             p.setPen(Pen(kBlue, 1.2));
             for (double y : {5.5, 8.0, 10.5})
                 p.drawLine(QPointF(6.5, y), QPointF(12.5, y));
         }},
        // The query: a funnel over a highlighted cell.
        {"aDataQuery",
         [](QPainter& p) {
             p.setPen(Pen(kInk, 1.1));
             p.setBrush(QColor(220, 234, 248));
             p.drawPolygon(
                 QPolygonF({{1.5, 2.0}, {14.5, 2.0}, {9.5, 8.0}, {9.5, 13.5}, {6.5, 15.0}, {6.5, 8.0}}));
             p.setPen(Qt::NoPen);
             p.setBrush(QColor(204, 0, 0));
             p.drawEllipse(QPointF(13.0, 12.5), 2.5, 2.5);
         }},
        // Statistics: the areas of three classes as bars along an axis.
        {"aZonalStatistics",
         [](QPainter& p) {
             const QColor bars[3] = {QColor(204, 0, 0), QColor(78, 154, 6), QColor(52, 101, 164)};
             const double lengths[3] = {12.0, 7.5, 10.0};
             p.setPen(Pen(kInk, 0.8));
             for (int i = 0; i < 3; ++i) {
                 p.setBrush(bars[i]);
                 p.drawRect(QRectF(2.5, 1.5 + 4.5 * i, lengths[i], 3.2));
             }
             p.setPen(Pen(kInk, 1.2));
             p.drawLine(QPointF(1.5, 0.5), QPointF(1.5, 15.0));
         }},
        // Export: a map sheet with an arrow leading out of it.
        {"aExportData",
         [](QPainter& p) {
             p.setPen(Pen(kInk, 1.0));
             p.setBrush(QColor(200, 226, 180));
             p.drawRect(QRectF(1.5, 1.5, 9, 12));
             p.setPen(Pen(kBlue, 1.0));
             p.drawPolyline(QPolygonF({{2.5, 9.5}, {5.0, 6.0}, {7.0, 8.0}, {9.5, 4.0}}));
             p.setPen(Pen(kGreen, 1.8));
             p.drawLine(QPointF(7.5, 11.5), QPointF(14.5, 11.5));
             p.drawLine(QPointF(12.0, 9.0), QPointF(14.5, 11.5));
             p.drawLine(QPointF(12.0, 14.0), QPointF(14.5, 11.5));
         }},
        {"aLegendAll",
         [](QPainter& p) {
             const bool ticked[3] = {true, true, true};
             LegendRows(p, ticked);
         }},
        {"aLegendNone",
         [](QPainter& p) {
             const bool ticked[3] = {false, false, false};
             LegendRows(p, ticked);
         }},
        {"aLegendSwitch",
         [](QPainter& p) {
             const bool ticked[3] = {true, false, true};
             LegendRows(p, ticked);
         }},
        {"aDataSelect",
         [](QPainter& p) {
             // A tree of themes: a folder with two documents below it.
             p.setPen(Pen(kInk, 0.9));
             p.setBrush(QColor(236, 200, 96));
             p.drawRect(QRectF(1.5, 1.5, 6, 4.5));
             p.drawLine(QPointF(4, 6), QPointF(4, 13));
             p.drawLine(QPointF(4, 9), QPointF(7, 9));
             p.drawLine(QPointF(4, 13), QPointF(7, 13));
             p.setBrush(kPaper);
             p.drawRect(QRectF(7.5, 7.5, 7, 3));
             p.drawRect(QRectF(7.5, 11.5, 7, 3));
         }},
        {"aViewGoTo",
         [](QPainter& p) {
             // A map pin.
             QPainterPath pin;
             pin.moveTo(8, 15);
             pin.cubicTo(3, 9, 3, 8, 3, 6);
             pin.arcTo(QRectF(3, 1, 10, 10), 180, -180);
             pin.cubicTo(13, 8, 13, 9, 8, 15);
             p.setPen(Pen(kInk, 1.0));
             p.setBrush(QColor(204, 40, 40));
             p.drawPath(pin);
             p.setBrush(Qt::white);
             p.drawEllipse(QPointF(8, 6), 1.8, 1.8);
         }},
        {"aDataFindUnit",
         [](QPainter& p) {
             Magnifier(p, "");
             p.setPen(Pen(kBlue, 1.2));
             p.drawText(QRectF(2, 1.5, 9, 9), Qt::AlignCenter, "#");
         }},
        {"aDataClassification",
         [](QPainter& p) {
             const QColor steps[4] = {QColor(255, 237, 160), QColor(254, 178, 76), QColor(240, 59, 32),
                                      QColor(150, 20, 20)};
             p.setPen(Pen(kInk, 0.8));
             for (int i = 0; i < 4; ++i) {
                 p.setBrush(steps[i]);
                 p.drawRect(QRectF(1.5 + 3.3 * i, 13.5 - 3 * (i + 1), 3.3, 3 * (i + 1)));
             }
         }},
    };
    return painters;
}
} // namespace

QIcon CommandIcon(const QString& actionName) {
    const auto it = Painters().find(actionName);
    if (it == Painters().end())
        return {};
    QIcon icon;
    for (int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 16.0, size / 16.0);
        it->second(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
