#pragma once
// Where the theme tree sits in its tool window: 3 pixels from the left edge, 14 pixels narrower
// and one pixel lower than the window's client area (the area below its title bar).

#include <QRect>
#include <QSize>
#include <algorithm>

inline QRect ThemeTreeGeometry(QSize clientSize) {
    return {3, 0, std::max(0, clientSize.width() - 14), std::max(0, clientSize.height() - 1)};
}
