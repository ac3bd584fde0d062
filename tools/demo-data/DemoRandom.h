#pragma once
// Deterministic random numbers and smooth noise for the demo data generator: the same seed gives the
// same numbers on every run, whatever the standard library.

#include <cmath>
#include <cstdint>

namespace Demo {

inline std::uint64_t SplitMix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// A small, fast generator (xorshift64*), seeded through SplitMix so that nearby seeds differ.
class TRandom {
public:
    explicit TRandom(std::uint64_t seed) : m_state(SplitMix(seed) | 1) {}
    std::uint64_t Next() {
        m_state ^= m_state >> 12;
        m_state ^= m_state << 25;
        m_state ^= m_state >> 27;
        return m_state * 0x2545F4914F6CDD1Dull;
    }
    // Uniform in [0, 1).
    double Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
    double Range(double low, double high) { return low + (high - low) * Uniform(); }
    int Int(int count) { return static_cast<int>(Uniform() * count); }
    bool Chance(double p) { return Uniform() < p; }
    // Roughly normal (sum of four uniforms), which keeps values away from wild tails.
    double Normal(double mean, double sd) {
        const double s = Uniform() + Uniform() + Uniform() + Uniform() - 2.0;
        return mean + sd * s * 1.7320508075688772;
    }

private:
    std::uint64_t m_state;
};

// Value noise on a 3-D lattice, smooth (quintic fade), in [-1, 1].
inline double LatticeValue(std::int64_t x, std::int64_t y, std::int64_t z, std::uint64_t seed) {
    const std::uint64_t h = SplitMix(seed ^ SplitMix(static_cast<std::uint64_t>(x) * 0x8DA6B343ull ^
                                                     static_cast<std::uint64_t>(y) * 0xD8163841ull ^
                                                     static_cast<std::uint64_t>(z) * 0xCB1AB31Full));
    return static_cast<double>(h >> 11) * (2.0 / 9007199254740992.0) - 1.0;
}

inline double Fade(double t) {
    return t * t * t * (t * (t * 6 - 15) + 10);
}

inline double ValueNoise3(double x, double y, double z, std::uint64_t seed) {
    const double fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    const auto ix = static_cast<std::int64_t>(fx), iy = static_cast<std::int64_t>(fy),
               iz = static_cast<std::int64_t>(fz);
    const double tx = Fade(x - fx), ty = Fade(y - fy), tz = Fade(z - fz);
    double c[2][2];
    for (int dy = 0; dy < 2; ++dy)
        for (int dz = 0; dz < 2; ++dz) {
            const double a = LatticeValue(ix, iy + dy, iz + dz, seed);
            const double b = LatticeValue(ix + 1, iy + dy, iz + dz, seed);
            c[dy][dz] = a + (b - a) * tx;
        }
    const double y0 = c[0][0] + (c[1][0] - c[0][0]) * ty;
    const double y1 = c[0][1] + (c[1][1] - c[0][1]) * ty;
    return y0 + (y1 - y0) * tz;
}

// Fractal noise over the sphere, so that it has no seam at the date line and no pinch at the poles.
// scaleKm is the size of the largest features.
inline double SphereNoise(double latDeg, double lonDeg, double scaleKm, int octaves, std::uint64_t seed) {
    constexpr double kEarthRadiusKm = 6371.0;
    const double lat = latDeg * M_PI / 180.0, lon = lonDeg * M_PI / 180.0;
    const double f = kEarthRadiusKm / scaleKm;
    double x = std::cos(lat) * std::cos(lon) * f, y = std::cos(lat) * std::sin(lon) * f,
           z = std::sin(lat) * f;
    double sum = 0, amplitude = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * ValueNoise3(x, y, z, seed + static_cast<std::uint64_t>(o) * 101);
        norm += amplitude;
        amplitude *= 0.5;
        x *= 2.03;
        y *= 2.03;
        z *= 2.03;
    }
    return sum / norm;
}

} // namespace Demo
