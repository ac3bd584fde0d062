#pragma once
// The scale bar of a map picture: in its lower left corner, a round length (1, 2 or 5 times a power
// of ten) of about a fifth of the picture's width, measured along the parallel through the centre
// of the view. The screen, the printed page and the clipboard picture all carry it.

#include "raster/ViewGeometry.h"

#include <QImage>
#include <QRect>
#include <QString>

struct TScaleBar {
    double Metres = 0; // the length the bar stands for
    int Pixels = 0;    // its length in the picture; 0: no bar
    QString Label;     // "500 km", "200 m"
};

// The bar of a picture `pictureSize` drawn with `view`. No bar without a raster or a scale, in a
// picture too small for one, or where a parallel has no length (the poles).
TScaleBar ScaleBarOf(const TViewGeometry& view, QSize pictureSize);

// The box the bar and its label take in a picture of `pictureSize`; empty for no bar.
QRect ScaleBarBox(const TScaleBar& bar, QSize pictureSize);

// Draws the bar of `view` over the finished picture.
void DrawScaleBar(QImage& picture, const TViewGeometry& view);
