#pragma once
// A colour ramp as the map windows copy and apply it: 90 signed 32-bit integers. The lowest byte of
// integer 0 is non-zero for a ramp of 40 distinct colours and zero for a continuous ramp of 75;
// the colours (0xAARRGGBB) start at integer 14.

#include <array>
#include <cstdint>

using TRampRecord = std::array<std::int32_t, 90>;

inline constexpr int kRampFirstColor = 14;
// Colours of a distinct ramp (one per class, taken by position) and of a continuous one.
inline constexpr int kDistinctRampColors = 40;
inline constexpr int kContinuousRampColors = 75;

inline bool IsDistinctRamp(const TRampRecord& ramp) {
    return (ramp[0] & 0xFF) != 0;
}
