#pragma once
// The image control of a map window, which shows the off-screen bitmap, and the click marker
// drawn into that bitmap.

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>
#include <optional>
#include <vector>

// Shows the off-screen bitmap from its top-left corner, one bitmap pixel on each device pixel,
// and the zoom rectangle over it. The bitmap has the control's size in device pixels: at a device
// pixel ratio of 2 it holds twice the pixels across, and bitmap pixels are the unit of the map.
class TImage32View : public QWidget {
    Q_OBJECT
public:
    explicit TImage32View(QWidget* parent = nullptr);
    QImage Bitmap; // the map, 32-bit; pixels are shown opaque
    // The zoom rectangle in bitmap pixels, drawn on the screen over the map with a dotted
    // inverting pen.
    std::optional<QRect> Rubber;

    // The device pixels of a bitmap for this control now.
    qreal PixelRatio() const { return devicePixelRatioF(); }
    QSize BitmapSize() const;
    // The bitmap pixel under a position in the control.
    QPoint BitmapPixelAt(QPointF position) const;
    // Bitmap pixels to whole control positions and back (a pan moves the control itself).
    int ToControl(int bitmapPixels) const;
    int ToBitmap(int controlPixels) const;

signals:
    // The control was painted on a screen whose pixel ratio differs from the bitmap's: the map is
    // to be drawn again for it.
    void PixelRatioChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A small black cross drawn into the bitmap where the user clicked, 7 x 7 screen pixels whatever
// the bitmap's device pixel ratio; the pixels under it are kept so that it can be taken away again.
class TClickMarker {
public:
    // Puts back the pixels under a shown marker; true when there was one.
    bool Erase(QImage& bitmap);
    // Moves the marker to (x, y): the old one is erased first. Pixels outside the bitmap are skipped.
    void Draw(QImage& bitmap, int x, int y);
    bool Shown() const { return m_shown; }
    // The bitmap was replaced: the marker is no longer in it.
    void Forget() { m_shown = false; }

private:
    std::vector<QRgb> m_block;
    QPoint m_origin;
    int m_size = 0; // bitmap pixels across
    bool m_shown = false;
};
