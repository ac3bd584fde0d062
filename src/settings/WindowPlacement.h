#pragma once
// Where each window was: position and size under Forms\<window name>, restored when a window is
// created and saved when it closes. Errors never reach the caller.

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;
class TSettingsStore;

// The window's objectName is its name in the store. Dialog-style windows (fixed size) keep only
// their position. A child window of the frame's MDI area is kept inside the frame's client area.
// Restoring gives false when no sound placement was stored (none, or a width or height of 0 or
// less): the window keeps its design size and takes the first-start place.
bool RestoreWindowPlacement(QWidget& window);
void SaveWindowPlacement(QWidget& window);
bool RestoreWindowPlacement(QWidget& window, TSettingsStore& store);
void SaveWindowPlacement(QWidget& window, TSettingsStore& store);

// A window at `position` of `size`, moved and shrunk as little as needed to lie inside `area`
// (at least 1 x 1). Any 32-bit position and size are taken.
QRect KeptWithin(const QPoint& position, const QSize& size, const QRect& area);
