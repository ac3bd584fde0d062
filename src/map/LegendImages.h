#pragma once
// The small pictures of the legend tree: caption images (16 x 16), state images (32 x 16: a check
// box followed by a button with three dots), class swatches and overlay symbols. Drawn in code;
// backgrounds are transparent.

#include <QImage>
#include <QRgb>

// Caption images, by index.
enum TLegendCaption { lcTheme = 0, lcShapeLayers = 1, lcUnticked = 2, lcTicked = 3 };
// State images, by index: the check box (empty or ticked) followed by the button; 0 and 3 are
// empty images.
enum TLegendState { lsNone = 0, lsUnchecked = 1, lsChecked = 2 };

// Caption images: a map sheet (theme), stacked sheets (shape layers), an empty check box, a ticked
// check box.
QImage LegendCaptionImage(int index);
// State images: empty, an empty check box and the button, a ticked box and the button, empty.
QImage LegendStateImage(int index);
// A class: a filled square from (2, 2) to (14, 14) in the class colour.
QImage LegendClassSwatch(QRgb color);
// The cells without data: a white square outlined in grey.
QImage LegendNoDataSwatch();
// An overlay (a TShapeType): a square for points, a zigzag for lines, an outline for polygons.
QImage LegendShapeSymbol(int shapeType, QRgb color);
