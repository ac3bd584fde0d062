#pragma once
// The image control of a map window, which shows the off-screen bitmap, and the click marker
// drawn into that bitmap.

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>
#include <array>
#include <optional>

// Shows the off-screen bitmap at scale 1 from its top-left corner, and the zoom rectangle over it.
class TImage32View : public QWidget {
    Q_OBJECT
public:
    explicit TImage32View(QWidget* parent = nullptr);
    QImage Bitmap; // the map, 32-bit; pixels are shown opaque
    // The zoom rectangle, drawn on the screen over the map with a dotted inverting pen.
    std::optional<QRect> Rubber;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A small black cross drawn into the bitmap where the user clicked; the 7 x 7 pixels under it
// are kept so that it can be taken away again.
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
    std::array<QRgb, 49> m_block{};
    QPoint m_origin;
    bool m_shown = false;
};
