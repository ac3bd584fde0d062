#pragma once
// The texts of the pointer readout: coordinates clamped to the world, with two decimals in the
// user's locale and a hemisphere letter (the number keeps its sign: -12.50 W).

#include <QString>

QString LongitudeText(double longitude);
QString LatitudeText(double latitude);
