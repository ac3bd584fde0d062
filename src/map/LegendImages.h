#pragma once
// The small pictures of the legend tree: caption images (16 x 16), state images (32 x 16: a check
// box followed by a button with three dots), class swatches and overlay symbols. Drawn in code;
// backgrounds are transparent.

#include <QImage>
#include <QRgb>

// Caption images: 0 a map sheet (theme), 1 stacked sheets (shape layers), 2 an empty check box,
// 3 a ticked check box.
QImage LegendCaptionImage(int index);
// State images: 0 and 3 empty, 1 an empty check box and the button, 2 a ticked box and the button.
QImage LegendStateImage(int index);
// A class: a filled square from (2, 2) to (14, 14) in the class colour.
QImage LegendClassSwatch(QRgb color);
// An overlay (a TShapeType): a square for points, a zigzag for lines, an outline for polygons.
QImage LegendShapeSymbol(int shapeType, QRgb color);
