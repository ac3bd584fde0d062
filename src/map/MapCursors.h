#pragma once
// The mouse cursors of the map tools, drawn in code.

#include <QCursor>

enum TMapCursor {
    crZoomIn = 11,
    crZoomOut = 12,
    crPan = 13,
    crSummSelect = 23,
    crTableSelect = 24,
};

// The cursor of a map tool; any other number gives the cross-hair.
QCursor MapCursor(int cursor);
