// The owner-drawn items of the colour-ramp box.
#include "classify/ColorRampBox.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

QImage Paint(TColorRamp& ramp) {
    QImage image(130, 18, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintColorRamp(painter, image.rect(), ramp);
    return image;
}

} // namespace

TEST(ColorRampBox, AFixedRampIsFortyBarsOfThreePixels) {
    TColorRamp ramp;
    ramp.Fixed = true;
    for (int i = 0; i < kFixedRampColors; ++i)
        ramp.Colors[i] = 0xFF000000u + 0x010203u * unsigned(i + 1);
    const QImage image = Paint(ramp);
    for (int i : {0, 1, 20, 39})
        for (int x = 3 * i; x < 3 * i + 3; ++x) {
            EXPECT_EQ(image.pixel(x, 1), ramp.Colors[i]) << "bar " << i << " x " << x;
            EXPECT_EQ(image.pixel(x, 16), ramp.Colors[i]) << "bar " << i << " x " << x;
        }
    // A pixel is left free above and below; nothing is drawn beyond the 40 bars.
    EXPECT_EQ(image.pixel(4, 0), 0xFFFFFFFFu);
    EXPECT_EQ(image.pixel(4, 17), 0xFFFFFFFFu);
    EXPECT_EQ(image.pixel(119, 8), ramp.Colors[39]);
    EXPECT_EQ(image.pixel(120, 8), 0xFFFFFFFFu);
}

TEST(ColorRampBox, AComputedRampIsComputedAndDrawnAsAGradient) {
    TColorRamp ramp;
    ramp.Segments = 1;
    ramp.StartColors[0] = 0xFF000000u;
    ramp.EndColors[0] = 0xFFFF0000u; // black to red over 75 steps
    const QImage image = Paint(ramp);
    EXPECT_EQ(ramp.Colors[75], 0xFFFF0000u);
    for (int x : {1, 30, 74}) {
        EXPECT_EQ(image.pixel(x, 8), ramp.Colors[x]) << x;
        EXPECT_EQ(qRed(image.pixel(x, 8)), x * 255 / 75) << x;
    }
    EXPECT_EQ(image.pixel(0, 8), 0xFFFFFFFFu);
    EXPECT_EQ(image.pixel(75, 8), 0xFFFFFFFFu);
}

TEST(ColorRampBox, TheBoxHasItemsEighteenPixelsHighDrawnByTheDelegate) {
    TColorRampCombo box;
    for (int i = 0; i < kColorRampCount; ++i)
        box.addItem(" ");
    EXPECT_NE(dynamic_cast<TColorRampDelegate*>(box.itemDelegate()), nullptr);
    EXPECT_EQ(box.itemDelegate()->sizeHint(QStyleOptionViewItem(), box.model()->index(3, 0)).height(), 18);
}
