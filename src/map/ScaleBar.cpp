#include "map/ScaleBar.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

// The smallest picture that gets a bar.
constexpr QSize kSmallest(100, 50);
constexpr int kMargin = 10; // from the picture's left and bottom edges
constexpr int kPadding = 4; // inside the box, around the bar and its label
constexpr int kBarHeight = 4;
constexpr int kTickHeight = 8;

// Metres along one degree of longitude at `latitude` on the WGS 84 ellipsoid.
double MetresPerDegreeOfLongitude(double latitude) {
    constexpr double kSemiMajorAxis = 6378137.0;
    constexpr double kEccentricitySquared = 0.00669437999014;
    const double phi = latitude * std::numbers::pi / 180;
    const double sine = std::sin(phi);
    return std::numbers::pi / 180 * kSemiMajorAxis * std::cos(phi) /
           std::sqrt(1 - kEccentricitySquared * sine * sine);
}

// The largest of 1, 2 or 5 times a power of ten that is not longer than `metres`.
double RoundLength(double metres) {
    const double power = std::pow(10.0, std::floor(std::log10(metres)));
    double best = power;
    for (const double step : {2.0, 5.0, 10.0})
        if (step * power <= metres)
            best = step * power;
    return best;
}

QString LengthText(double metres) {
    return metres >= 1000 ? QString("%1 km").arg(metres / 1000, 0, 'g', 12)
                          : QString("%1 m").arg(metres, 0, 'g', 12);
}

QFont BarFont() {
    return QGuiApplication::font();
}

} // namespace

TScaleBar ScaleBarOf(const TViewGeometry& view, QSize pictureSize) {
    if (view.RasterCols() <= 0 || view.RasterRows() <= 0 || !(view.Scale() > 0) ||
        pictureSize.width() < kSmallest.width() || pictureSize.height() < kSmallest.height())
        return {};
    // The middle of the rows shown: a page larger than the map has white below the raster.
    const double rows = view.RasterRows();
    const double top = std::clamp(view.PixelToCell(0, 0).Row, 0.0, rows);
    const double bottom = std::clamp(view.PixelToCell(0, pictureSize.height()).Row, 0.0, rows);
    const double latitude = 90.0 - (top + bottom) / 2 * 180.0 / rows;
    const double metresPerPixel =
        360.0 / view.RasterCols() / view.Scale() * MetresPerDegreeOfLongitude(latitude);
    // Within a millimetre of the pole a parallel has no useful length.
    if (!(metresPerPixel > 1e-3))
        return {};
    const double metres = RoundLength(metresPerPixel * pictureSize.width() / 5);
    const int pixels = int(std::lround(metres / metresPerPixel));
    if (pixels < 1)
        return {};
    return {metres, pixels, LengthText(metres)};
}

QRect ScaleBarBox(const TScaleBar& bar, QSize pictureSize) {
    if (bar.Pixels <= 0)
        return {};
    const QFontMetrics metrics(BarFont());
    const int width = std::max(bar.Pixels, metrics.horizontalAdvance(bar.Label)) + 2 * kPadding;
    const int height = metrics.height() + kTickHeight + 2 * kPadding;
    return {kMargin, pictureSize.height() - kMargin - height, width, height};
}

void DrawScaleBar(QImage& picture, const TViewGeometry& view) {
    // The view counts in the picture's pixels; a painter on a picture of a device pixel ratio above
    // 1 counts in screen pixels, which the bar and its box are measured in.
    TScaleBar bar = ScaleBarOf(view, picture.size());
    bar.Pixels = int(std::lround(bar.Pixels / picture.devicePixelRatio()));
    const QRect box = ScaleBarBox(bar, picture.deviceIndependentSize().toSize());
    if (box.isEmpty())
        return;
    QPainter painter(&picture);
    // A light box keeps the bar readable over any colour of the map.
    painter.fillRect(box, QColor(255, 255, 255, 200));
    painter.setFont(BarFont());
    painter.setPen(Qt::black);
    const QFontMetrics metrics(painter.font());
    const int left = box.left() + kPadding;
    painter.drawText(QRect(left, box.top() + kPadding, box.width() - 2 * kPadding, metrics.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, bar.Label);
    const int bottom = box.bottom() - kPadding;
    painter.fillRect(QRect(left, bottom - kBarHeight + 1, bar.Pixels, kBarHeight), Qt::black);
    painter.fillRect(QRect(left, bottom - kTickHeight + 1, 1, kTickHeight), Qt::black);
    painter.fillRect(QRect(left + bar.Pixels - 1, bottom - kTickHeight + 1, 1, kTickHeight), Qt::black);
}
