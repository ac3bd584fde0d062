#pragma once
// The named colours of the colour picker's palette: 455 values and their names, in palette order
// (rows of 25). Values are in the window system's colour order, 0x00BBGGRR (red in the lowest
// byte), as the picker holds its colours.

#include <QRgb>
#include <array>
#include <cstdint>

inline constexpr int kNamedColorCount = 455;

// A colour as 0x00BBGGRR.
using TColorRef = std::uint32_t;

extern const std::array<TColorRef, kNamedColorCount> ColorNameValues;
extern const std::array<const char*, kNamedColorCount> ColorNameNames;

inline constexpr TColorRef ColorRefOf(int red, int green, int blue) {
    return static_cast<TColorRef>((red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16);
}
inline constexpr int RedOf(TColorRef color) {
    return color & 0xFF;
}
inline constexpr int GreenOf(TColorRef color) {
    return (color >> 8) & 0xFF;
}
inline constexpr int BlueOf(TColorRef color) {
    return (color >> 16) & 0xFF;
}

// 0xAARRGGBB (alpha ignored) to 0x00BBGGRR, and back to an opaque 0xFFRRGGBB.
inline constexpr TColorRef ToColorRef(QRgb argb) {
    return ColorRefOf((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}
inline constexpr QRgb ToOpaqueRgb(TColorRef color) {
    return 0xFF000000u + static_cast<QRgb>(RedOf(color)) * 65536u + static_cast<QRgb>(GreenOf(color)) * 256u +
           static_cast<QRgb>(BlueOf(color));
}
