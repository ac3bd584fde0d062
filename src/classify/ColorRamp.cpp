#include "classify/ColorRamp.h"

#include <chrono>

namespace {
constexpr std::uint32_t Rgb(int red, int green, int blue) {
    return 0xFF000000u | (std::uint32_t(red) << 16) | (std::uint32_t(green) << 8) | std::uint32_t(blue);
}

// The first 31 colours of each fixed palette; the other nine are black.
constexpr std::uint32_t kFirstPalette[] = {
    Rgb(255, 255, 255), Rgb(209, 209, 209), Rgb(193, 153, 153), Rgb(146, 49, 49),   Rgb(194, 97, 24),
    Rgb(210, 142, 40),  Rgb(255, 206, 73),  Rgb(255, 239, 16),  Rgb(227, 255, 53),  Rgb(219, 247, 101),
    Rgb(174, 231, 101), Rgb(152, 225, 101), Rgb(130, 219, 101), Rgb(93, 206, 101),  Rgb(49, 194, 140),
    Rgb(16, 156, 112),  Rgb(26, 150, 123),  Rgb(36, 144, 134),  Rgb(75, 150, 173),  Rgb(97, 165, 194),
    Rgb(120, 180, 214), Rgb(131, 188, 224), Rgb(142, 195, 234), Rgb(164, 210, 255), Rgb(164, 210, 255),
    Rgb(29, 62, 115),   Rgb(74, 100, 140),  Rgb(129, 140, 161), Rgb(171, 171, 171), Rgb(207, 204, 207),
    Rgb(235, 232, 235)};
constexpr std::uint32_t kSecondPalette[] = {
    Rgb(177, 242, 208), Rgb(177, 245, 181), Rgb(218, 250, 177), Rgb(251, 251, 179), Rgb(163, 214, 105),
    Rgb(90, 186, 63),   Rgb(240, 145, 52),  Rgb(92, 145, 54),   Rgb(166, 166, 40),  Rgb(214, 177, 26),
    Rgb(80, 143, 42),   Rgb(144, 93, 39),   Rgb(208, 107, 36),  Rgb(16, 26, 34),    Rgb(0, 133, 22),
    Rgb(80, 23, 65),    Rgb(0, 71, 130),    Rgb(176, 182, 178), Rgb(115, 62, 29),   Rgb(140, 100, 74),
    Rgb(161, 140, 129), Rgb(171, 171, 171), Rgb(207, 204, 207), Rgb(235, 232, 235), Rgb(255, 255, 255),
    Rgb(29, 62, 115),   Rgb(74, 100, 140),  Rgb(129, 140, 161), Rgb(171, 171, 171), Rgb(207, 204, 207),
    Rgb(235, 232, 235)};

template <std::size_t N> TColorRamp FixedRamp(const std::uint32_t (&colors)[N]) {
    TColorRamp ramp;
    ramp.Fixed = true;
    for (int i = 0; i < kFixedRampColors; ++i)
        ramp.Colors[i] = i < int(N) ? colors[i] : Rgb(0, 0, 0);
    return ramp;
}

int Channel(std::uint32_t color, int shift) {
    return int((color >> shift) & 0xFF);
}
} // namespace

void ComputeColorRamp(TColorRamp& ramp) {
    const int segments = ramp.Segments;
    if (segments < 1)
        return;
    const int step = kContinuousRampColors / segments;
    for (int s = 0; s < segments; ++s) {
        const std::uint32_t from = s == 0 ? ramp.StartColors[0] : ramp.EndColors[s - 1];
        const std::uint32_t to = ramp.EndColors[s];
        for (int k = 0; k <= step; ++k) {
            const auto blend = [&](int shift) {
                const int a = Channel(from, shift);
                const int b = Channel(to, shift);
                return a + k * (b - a) / step;
            };
            ramp.Colors[s * step + k] = Rgb(blend(16), blend(8), blend(0));
        }
    }
}

std::vector<TColorRamp> BuildColorRamps(std::mt19937& random) {
    std::vector<TColorRamp> ramps;
    ramps.reserve(kColorRampCount);
    ramps.push_back(FixedRamp(kFirstPalette));
    ramps.push_back(FixedRamp(kSecondPalette));
    TColorRamp white;
    white.Fixed = true;
    white.Colors.fill(Rgb(255, 255, 255));
    ramps.push_back(white);

    // Green through yellow to red; the third segment, left without an end stop, runs on to dark red.
    TColorRamp greenToRed;
    greenToRed.Segments = 3;
    greenToRed.StartColors[0] = Rgb(63, 171, 0);
    greenToRed.StartColors[1] = Rgb(255, 157, 0);
    greenToRed.EndColors[0] = Rgb(252, 252, 0);
    greenToRed.EndColors[1] = Rgb(255, 0, 0);
    greenToRed.EndColors[2] = Rgb(128, 0, 0);
    ComputeColorRamp(greenToRed);
    ramps.push_back(greenToRed);

    std::uniform_int_distribution<int> segments(0, 3);
    std::uniform_int_distribution<std::uint32_t> color(0, 16777214);
    while (int(ramps.size()) < kColorRampCount) {
        TColorRamp ramp;
        ramp.Segments = 1 + segments(random);
        // Stored as drawn (alpha 0); only red, green and blue are used.
        for (int slot = 0; slot < 5; ++slot) {
            ramp.StartColors[slot] = color(random);
            ramp.EndColors[slot] = color(random);
        }
        // Computed now, so that a map window applying the ramp gets its colours even before the
        // ramp box has drawn it.
        ComputeColorRamp(ramp);
        ramps.push_back(ramp);
    }
    return ramps;
}

std::vector<TColorRamp>& ColorRamps() {
    // Built on first use, from a generator seeded by the clock.
    static std::vector<TColorRamp> ramps = [] {
        std::mt19937 random(
            static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count()));
        return BuildColorRamps(random);
    }();
    return ramps;
}

void InitColorRamps() {
    ColorRamps();
}

TRampRecord ToRampRecord(const TColorRamp& ramp) {
    TRampRecord record{};
    record[0] = ramp.Fixed ? 1 : 0;
    record[1] = ramp.Segments;
    for (int i = 0; i < 6; ++i) {
        record[2 + i] = std::int32_t(ramp.StartColors[i]);
        record[8 + i] = std::int32_t(ramp.EndColors[i]);
    }
    for (std::size_t i = 0; i < ramp.Colors.size(); ++i)
        record[kRampFirstColor + i] = std::int32_t(ramp.Colors[i]);
    return record;
}
