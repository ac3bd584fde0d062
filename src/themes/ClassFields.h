#pragma once
// The classes of a legend as a value: the method and count, and per class its upper bound,
// visibility, colour and label. The legend model holds one; the classification dialog edits a
// copy and hands it back whole.

#include "themes/Classification.h"

#include <QRgb>
#include <QString>
#include <array>
#include <cstdint>

// The class count a new legend starts with.
inline constexpr int kDefaultClassCount = 10;

struct TClassFields {
    std::uint8_t Method = cmEqualInterval; // a TClassMethod
    int NumClasses = kDefaultClassCount;   // 0 .. kMaxClasses
    int Decimals = 0;                      // digits after the decimal point of the bounds
    TClassBounds Breaks{};                 // Breaks[i]: the upper bound of class i
    std::array<bool, kMaxClasses> Visible{};
    std::array<QRgb, kMaxClasses> ClassColors{}; // 0xAARRGGBB
    std::array<QString, kMaxClasses> ClassLabels;

    // The class count within the arrays.
    int Count() const { return NumClasses < 0 ? 0 : NumClasses > kMaxClasses ? kMaxClasses : NumClasses; }
};
