// The colour picker "Color Definition", driven by its controls.
#include "TestSupport.h"
#include "classify/ColorForm.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {

class ColorPickerTest : public ::testing::Test {
protected:
    TScopedEnvironment Env;
    TColorForm Form;

    void SetUp() override {
        Form.SetColor(ColorRefOf(255, 0, 128));
        Form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form, kWaitDeadlineMs));
    }
    TColorForm::TSlider& Red() { return Form.Sliders[chRed]; }
    void Type(QLineEdit* edit, const QString& text) {
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    // True when the marker outline at x is shown (its apex is inverted white).
    static bool MarkerAt(const TColorForm::TSlider& slider, int x) {
        return slider.Image->Bitmap.pixel(x, 19) == 0xFF000000u &&
               slider.Image->Bitmap.pixel(x, 24) == 0xFF000000u;
    }
};

} // namespace

TEST_F(ColorPickerTest, OpensOnThePaletteWithTheSlidersSetFromTheColour) {
    EXPECT_EQ(Form.windowTitle(), "Color Definition");
    EXPECT_EQ(Form.PageControl1->currentWidget(), Form.TabSelect);
    EXPECT_EQ(Form.PageControl1->tabText(1), "All Colors");
    EXPECT_EQ(Form.SliderWidth, 150);
    // 0 at 5, 255 at W - 5; 128 in between.
    EXPECT_EQ(Red().Marker, 145);
    EXPECT_EQ(Form.Sliders[chGreen].Marker, 5);
    EXPECT_EQ(Form.Sliders[chBlue].Marker, 128 * 140 / 255 + 5);
    EXPECT_TRUE(MarkerAt(Red(), 145));
    EXPECT_TRUE(MarkerAt(Form.Sliders[chGreen], 5));
    EXPECT_EQ(Form.edtRED->text(), "100");
    EXPECT_EQ(Form.edtGREEN->text(), "0");
    EXPECT_EQ(Form.edtBLUE->text(), "50");
    EXPECT_EQ(Form.lblRGB1->text(), "RGB= " + QString::number(255 + 128 * 65536));
    // The green slider shows the colour with green varied: at 50 % green is 127.
    EXPECT_EQ(Form.imgGREEN->Bitmap.pixel(75, 5), qRgb(255, 127, 128));
    EXPECT_EQ(Form.imgGREEN->Bitmap.pixel(2, 5), 0xFFFFFFFFu); // below 3 % nothing is painted
}

TEST_F(ColorPickerTest, TheMarkerIsInvertedSoThatDrawingItTwiceRemovesIt) {
    QImage bitmap(150, 25, QImage::Format_RGB32);
    bitmap.fill(qRgb(10, 200, 30));
    const QImage before = bitmap;
    InvertMarker(bitmap, 60);
    EXPECT_EQ(bitmap.pixel(60, 19), qRgb(245, 55, 225));
    EXPECT_EQ(bitmap.pixel(65, 24), qRgb(245, 55, 225));
    EXPECT_EQ(bitmap.pixel(55, 24), qRgb(245, 55, 225));
    EXPECT_EQ(bitmap.pixel(60, 22), qRgb(10, 200, 30)); // an outline, not filled
    InvertMarker(bitmap, 60);
    EXPECT_EQ(bitmap, before);
}

TEST_F(ColorPickerTest, TypedPercentagesSetTheChannelAndAreKeptWithinRange) {
    Form.PageControl1->setCurrentWidget(Form.TabBuild);
    Type(Form.edtRED, "50");
    EXPECT_EQ(Red().Value, 127);
    EXPECT_EQ(Red().Marker, 127 * 140 / 255 + 5);
    EXPECT_TRUE(MarkerAt(Red(), Red().Marker));
    EXPECT_FALSE(MarkerAt(Red(), 145));
    EXPECT_EQ(Form.CurrentColor(), ColorRefOf(127, 0, 128));
    EXPECT_EQ(Form.lblRGB1->text(), "RGB= " + QString::number(127 + 128 * 65536));
    // Other sliders show the new red.
    EXPECT_EQ(Form.imgBLUE->Bitmap.pixel(75, 5), qRgb(127, 0, 127));

    Type(Form.edtGREEN, "250");
    EXPECT_EQ(Form.Sliders[chGreen].Value, 255);
    EXPECT_EQ(Form.edtGREEN->text(), "100");
    Type(Form.edtBLUE, "-20");
    EXPECT_EQ(Form.Sliders[chBlue].Value, 0);
    EXPECT_EQ(Form.CurrentColor(), ColorRefOf(127, 255, 0));

    // Walking through the boxes changes nothing: 50 % would read back as 127, not 128.
    Form.SetColor(ColorRefOf(0, 0, 128));
    QTest::keyClick(Form.edtBLUE, Qt::Key_Left);
    QTest::keyClick(Form.edtBLUE, Qt::Key_Tab);
    EXPECT_EQ(Form.CurrentColor(), ColorRefOf(0, 0, 128));
    Form.SetColor(ColorRefOf(127, 255, 0));

    // Text that is no whole number changes nothing and stays.
    Type(Form.edtRED, "x");
    EXPECT_EQ(Form.edtRED->text(), "x");
    EXPECT_EQ(Red().Value, 127);
}

TEST_F(ColorPickerTest, DraggingAMarkerSetsTheChannelOnRelease) {
    Form.PageControl1->setCurrentWidget(Form.TabBuild);
    QTest::mousePress(Form.imgRed, Qt::LeftButton, {}, QPoint(75, 20));
    EXPECT_TRUE(MarkerAt(Red(), 75));
    EXPECT_EQ(Red().Value, 255); // taken on release
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 20), Form.imgRed->mapToGlobal(QPointF(2, 20)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Form.imgRed, &move);
    EXPECT_EQ(Red().Marker, 5);
    EXPECT_FALSE(MarkerAt(Red(), 75));
    QTest::mouseRelease(Form.imgRed, Qt::LeftButton, {}, QPoint(2, 20));
    EXPECT_EQ(Red().Value, 0);
    EXPECT_EQ(Form.edtRED->text(), "0");
    // Every channel is read back from its marker: 128 becomes 127 on the way.
    EXPECT_EQ(Form.CurrentColor(), ColorRefOf(0, 0, 127));
    EXPECT_EQ(Form.imgGREEN->Bitmap.pixel(75, 5), qRgb(0, 127, 127));
}

TEST_F(ColorPickerTest, AClickOnThePalettePicksTheColourUnderIt) {
    // Cells are 13 x 9 pixels: entry 27 (LightCoral) is row 1, column 2.
    QTest::mouseClick(Form.ImageNetscape, Qt::LeftButton, {}, QPoint(2 * 13 + 6, 9 + 4));
    EXPECT_EQ(Form.CurrentColor(), ColorNameValues[27]);
    EXPECT_EQ(Red().Value, 240);
    EXPECT_EQ(Red().Marker, 240 * 140 / 255 + 5);
    // A cell outline is black.
    QTest::mouseClick(Form.ImageNetscape, Qt::LeftButton, {}, QPoint(13, 13));
    EXPECT_EQ(Form.CurrentColor(), 0u);
    // Below the last row of swatches: the unpainted area of the bitmap.
    const QPoint below(100, 19 * 9 + 5);
    QTest::mouseClick(Form.ImageNetscape, Qt::LeftButton, {}, below);
    EXPECT_EQ(Form.CurrentColor(), ToColorRef(Form.ImageNetscape->Bitmap.pixel(below)));
    EXPECT_EQ(Form.CurrentColor(), 0xFFFFFFu);
    EXPECT_EQ(Form.edtBLUE->text(), "100");
}

TEST(PickColor, OkReturnsTheColourOpaqueAndCancelOrEscapeLeaveIt) {
    TScopedEnvironment env;
    TTestResponder responder;
    // Answers the picker with a key pressed in one of its controls.
    const auto closeWith = [](std::function<QWidget*(TColorForm&)> control, Qt::Key key) {
        return [control, key](QDialog& dialog) {
            auto& form = static_cast<TColorForm&>(dialog);
            form.show();
            QTest::keyClick(control(form), key);
            return form.result();
        };
    };
    QRgb color = 0x00123456;
    responder.DialogAnswers.push_back([](QDialog& dialog) {
        auto& form = static_cast<TColorForm&>(dialog);
        form.show();
        QTest::mouseClick(form.btnOK, Qt::LeftButton);
        return form.result();
    });
    EXPECT_TRUE(PickColor(color));
    EXPECT_EQ(color, 0xFF123456u);

    // Enter means OK even on the Cancel button; Escape means Cancel in an edit box.
    color = 0x00ABCDEF;
    responder.DialogAnswers.push_back(
        closeWith([](TColorForm& form) { return form.btnCancel; }, Qt::Key_Return));
    EXPECT_TRUE(PickColor(color));
    EXPECT_EQ(color, 0xFFABCDEFu);
    responder.DialogAnswers.push_back(
        closeWith([](TColorForm& form) { return form.edtGREEN; }, Qt::Key_Escape));
    color = 0x00ABCDEF;
    EXPECT_FALSE(PickColor(color));
    EXPECT_EQ(color, 0x00ABCDEFu);
    responder.DialogAnswers.push_back([](QDialog& dialog) {
        auto& form = static_cast<TColorForm&>(dialog);
        form.show();
        QTest::mouseClick(form.ImageNetscape, Qt::LeftButton, {}, QPoint(6, 4));
        QTest::mouseClick(form.btnCancel, Qt::LeftButton);
        return form.result();
    });
    EXPECT_FALSE(PickColor(color));
    EXPECT_EQ(color, 0x00ABCDEFu);
    EXPECT_TRUE(responder.DialogAnswers.empty());
}
