#pragma once
// Placement of the report and query windows: where the user left them, or centred over the
// frame the first time.

class QWidget;

// Restores the stored placement of `window` (by its object name); without one the window is
// centred over its parent window, or the screen.
void RestoreOrCentre(QWidget& window);
