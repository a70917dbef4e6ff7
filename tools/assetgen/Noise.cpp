// Deterministic random numbers and coordinate-hashed noise for the asset generator.
#include "Noise.h"

#include <cmath>

uint64_t Rng::Next() {
    uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Rng::Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }

double Rng::Range(double lo, double hi) { return lo + (hi - lo) * Uniform(); }

int Rng::Int(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<uint64_t>(n)); }

double Rng::Gauss() {
    double s = 0.0;
    for (int i = 0; i < 6; ++i) s += Uniform();
    return (s - 3.0) * std::sqrt(2.0);
}

namespace noise {

uint32_t Hash(int32_t x, int32_t y, uint32_t seed) {
    uint32_t h = seed * 0x27d4eb2du ^ static_cast<uint32_t>(x) * 0x85ebca6bu ^ static_cast<uint32_t>(y) * 0xc2b2ae35u;
    h ^= h >> 15;
    h *= 0x2c1b3c6du;
    h ^= h >> 12;
    h *= 0x297a2d39u;
    h ^= h >> 15;
    return h;
}

double Hash01(int32_t x, int32_t y, uint32_t seed) { return (Hash(x, y, seed) >> 8) * (1.0 / 16777216.0); }

double Smooth(double e0, double e1, double x) {
    double t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0 - 2.0 * t);
}

double Clamp01(double v) { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); }

double Value(double x, double y, uint32_t seed) {
    double fx = std::floor(x), fy = std::floor(y);
    int32_t ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy);
    double tx = x - fx, ty = y - fy;
    tx = tx * tx * (3.0 - 2.0 * tx);
    ty = ty * ty * (3.0 - 2.0 * ty);
    double a = Hash01(ix, iy, seed), b = Hash01(ix + 1, iy, seed);
    double c = Hash01(ix, iy + 1, seed), d = Hash01(ix + 1, iy + 1, seed);
    double top = a + (b - a) * tx, bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
}

double Fbm(double x, double y, int octaves, uint32_t seed) {
    double sum = 0.0, amp = 0.5, norm = 0.0;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * Value(x, y, seed + 101u * static_cast<uint32_t>(i));
        norm += amp;
        x *= 2.03;
        y *= 2.03;
        amp *= 0.5;
    }
    return sum / norm;
}

}  // namespace noise

namespace noise {

CellHit Cells(double x, double y, double cell, uint32_t seed) {
    double gx = x / cell, gy = y / cell;
    int32_t cx = static_cast<int32_t>(std::floor(gx)), cy = static_cast<int32_t>(std::floor(gy));
    CellHit hit{1e9, 1e9, 0};
    for (int32_t j = -1; j <= 1; ++j)
        for (int32_t i = -1; i <= 1; ++i) {
            int32_t ix = cx + i, iy = cy + j;
            double px = ix + 0.15 + 0.7 * Hash01(ix, iy, seed), py = iy + 0.15 + 0.7 * Hash01(ix, iy, seed + 1);
            double d = std::hypot(gx - px, gy - py) * cell;
            if (d < hit.d1) {
                hit.d2 = hit.d1;
                hit.d1 = d;
                hit.id = Hash(ix, iy, seed + 2);
            } else if (d < hit.d2) {
                hit.d2 = d;
            }
        }
    return hit;
}

}  // namespace noise
