#pragma once
// The owner-drawn colour-ramp box of the frame: every item, and the closed box, shows its ramp
// instead of a text. Items are 18 pixels high.

#include "classify/ColorRamp.h"

#include <QComboBox>
#include <QStyledItemDelegate>

class QPainter;

// Paints ramp `ramp` into `rect`: a fixed ramp as 40 bars of 3 pixels, a computed ramp (computed
// first) as one vertical line per pixel from x = 1 to 74, each in the ramp colour of that number.
void PaintColorRamp(QPainter& painter, const QRect& rect, TColorRamp& ramp);

class TColorRampDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

// Item i of the box is ramp i of ColorRamps().
class TColorRampCombo : public QComboBox {
    Q_OBJECT
public:
    explicit TColorRampCombo(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
