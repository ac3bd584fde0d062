#pragma once
// The table of 30 colour ramps offered for recolouring a legend: two fixed palettes, plain white,
// a green-yellow-red gradient, and 26 random gradients drawn once per run.

#include "themes/ColorRampRecord.h"

#include <array>
#include <cstdint>
#include <random>
#include <vector>

struct TColorRamp {
    bool Fixed = false;
    int Segments = 0;
    std::array<std::uint32_t, 6> StartColors{};                    // 0xAARRGGBB; only the first is used
    std::array<std::uint32_t, 6> EndColors{};                      // end stop of each segment
    std::array<std::uint32_t, kContinuousRampColors + 1> Colors{}; // 40 used when Fixed
};

inline constexpr int kColorRampCount = 30;
inline constexpr int kFixedRampColors = kDistinctRampColors;

// Builds the table with the colours of every ramp, computed ones included; the random ramps 4 to
// 29 are drawn from the generator given.
std::vector<TColorRamp> BuildColorRamps(std::mt19937& random);

// Fills Colors of a computed ramp from its stops: Segments * (75 div Segments) + 1 colours.
void ComputeColorRamp(TColorRamp& ramp);

// The record form a map window copies: Fixed, Segments, the six start and six end stops, then
// the 76 colours.
TRampRecord ToRampRecord(const TColorRamp& ramp);

// The table of this program run, built once from a clock-seeded generator; InitColorRamps builds it
// at start-up.
std::vector<TColorRamp>& ColorRamps();
void InitColorRamps();
