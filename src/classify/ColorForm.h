#pragma once
// The colour picker "Color Definition": a colour is chosen from the palette of 455 named colours
// or set channel by channel with three sliders or three percentage boxes.

#include "classify/ColorNameLibrary.h"

#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QRgb>
#include <array>

class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

// Shows its bitmap at scale 1 from the top-left corner.
class TBitmapImage : public QWidget {
    Q_OBJECT
public:
    explicit TBitmapImage(QWidget* parent = nullptr);
    QImage Bitmap;

protected:
    void paintEvent(QPaintEvent* event) override;
};

enum TChannel { chRed = 0, chGreen = 1, chBlue = 2 };

// Slider geometry: a marker at pixel x stands for a channel value; the ends keep 5 pixels free.
int MarkerPositionOf(int value, int sliderWidth);
int ChannelOfMarker(int marker, int sliderWidth);
// A typed percentage as a channel value; percentages are kept within 0..100.
int ChannelOfPercent(int percent);
// Inverts the outline triangle of a slider marker at x; inverting twice restores the bitmap.
void InvertMarker(QImage& bitmap, int x);

class TColorForm : public QDialog {
    Q_OBJECT
public:
    explicit TColorForm(QWidget* parent = nullptr);

    // The colour shown, 0x00BBGGRR: sets the channels and rebuilds the sliders.
    void SetColor(TColorRef color);
    TColorRef CurrentColor() const { return m_color; }

    struct TSlider {
        TBitmapImage* Image = nullptr;
        QLineEdit* Edit = nullptr;
        int Marker = 5; // pixels from the slider's left edge
        int Value = 0;  // 0..255
    };

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSelect = nullptr;
    QWidget* TabBuild = nullptr;
    TBitmapImage* ImageNetscape = nullptr;
    QWidget* pnlColor = nullptr;
    TBitmapImage *imgRed = nullptr, *imgGREEN = nullptr, *imgBLUE = nullptr;
    QLineEdit *edtRED = nullptr, *edtGREEN = nullptr, *edtBLUE = nullptr;
    QLineEdit* EdtColor = nullptr;
    QLabel* lblRGB1 = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

    std::array<TSlider, 3> Sliders;
    int SliderWidth = 150;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PaintPalette();
    void ImageNetscapeClick();
    // Channels from the current colour, fresh slider bitmaps with their markers, then gradients,
    // boxes, swatch and label.
    void BuildSliders();
    void PaintGradients();
    void MoveMarker(TSlider& slider, int x);
    void SliderMouseUp();
    void EditChange(TSlider& slider);
    void ShowPercentages();
    void ShowColor();
    TSlider* SliderOf(QObject* image);

    TColorRef m_color = 0;
    QPoint m_palettePoint;
    bool m_dragging = false;
};

// Opens the picker on `color` (0xAARRGGBB, alpha ignored). On OK the chosen colour is stored back
// as 0xFFRRGGBB and the answer is true; otherwise `color` is left as it was.
bool PickColor(QRgb& color, QWidget* parent = nullptr);
