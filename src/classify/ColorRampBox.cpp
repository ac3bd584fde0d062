#include "classify/ColorRampBox.h"

#include <QPainter>

namespace {

constexpr int kItemHeight = 18;

void PaintRampNumber(QPainter& painter, const QRect& rect, int rampIndex) {
    auto& ramps = ColorRamps();
    if (rampIndex >= 0 && rampIndex < int(ramps.size()))
        PaintColorRamp(painter, rect, ramps[rampIndex]);
}

} // namespace

void PaintColorRamp(QPainter& painter, const QRect& rect, TColorRamp& ramp) {
    // One pixel is left free above and below the colours.
    const int top = rect.top() + 1;
    const int bottom = rect.bottom() - 1;
    if (ramp.Fixed) {
        for (int i = 0; i < kFixedRampColors; ++i)
            painter.fillRect(QRect(QPoint(rect.left() + 3 * i, top), QPoint(rect.left() + 3 * i + 2, bottom)),
                             QColor::fromRgb(ramp.Colors[i] | 0xFF000000u));
        return;
    }
    // The colours of a computed ramp are filled when it is first drawn.
    ComputeColorRamp(ramp);
    for (int x = 1; x <= 74; ++x) {
        painter.setPen(QColor::fromRgb(ramp.Colors[x] | 0xFF000000u));
        painter.drawLine(rect.left() + x, top, rect.left() + x, bottom);
    }
}

void TColorRampDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    if (option.state & QStyle::State_Selected)
        painter->fillRect(option.rect, option.palette.highlight());
    PaintRampNumber(*painter, option.rect, index.row());
}

QSize TColorRampDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    return {QStyledItemDelegate::sizeHint(option, index).width(), kItemHeight};
}

TColorRampCombo::TColorRampCombo(QWidget* parent) : QComboBox(parent) {
    setItemDelegate(new TColorRampDelegate(this));
}

void TColorRampCombo::paintEvent(QPaintEvent* event) {
    QComboBox::paintEvent(event);
    // The closed box shows the selected ramp too.
    QPainter painter(this);
    const QRect area = rect().adjusted(3, 3, -20, -3);
    painter.setClipRect(area);
    PaintRampNumber(painter, area, currentIndex());
}
