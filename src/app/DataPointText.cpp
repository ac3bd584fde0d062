#include "app/DataPointText.h"

#include <QLocale>
#include <algorithm>

namespace {
QString Degrees(double value, char positive, char otherwise) {
    // A coordinate of minus zero reads like zero: "0.00 W", not "-0.00 W".
    if (value == 0)
        value = 0;
    return QLocale::system().toString(value, 'f', 2) + ' ' + QChar(value > 0 ? positive : otherwise);
}
} // namespace

QString LongitudeText(double longitude) {
    longitude = std::max(std::min(longitude, 180.0), -180.0);
    return Degrees(longitude, 'E', 'W');
}

QString LatitudeText(double latitude) {
    latitude = std::min(std::max(latitude, -90.0), 90.0);
    return Degrees(latitude, 'N', 'S');
}
