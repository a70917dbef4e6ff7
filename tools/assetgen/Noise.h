// Deterministic random numbers and coordinate-hashed noise for the asset generator.
#pragma once
#include <cstdint>

// Small PRNG of our own (splitmix64): same sequence on every machine and library.
class Rng {
public:
    explicit Rng(uint64_t seed) : m_state(seed) {}
    uint64_t Next();
    double Uniform();                    // [0, 1)
    double Range(double lo, double hi);  // [lo, hi)
    int Int(int n);                      // [0, n)
    double Gauss();                      // sum of uniforms, roughly normal, mean 0, sd 1

private:
    uint64_t m_state;
};

namespace noise {
uint32_t Hash(int32_t x, int32_t y, uint32_t seed);
double Hash01(int32_t x, int32_t y, uint32_t seed);          // [0, 1)
double Value(double x, double y, uint32_t seed);             // smooth value noise in [0, 1)
double Fbm(double x, double y, int octaves, uint32_t seed);  // fractal sum in about [0, 1)
double Smooth(double e0, double e1, double x);               // smoothstep
double Clamp01(double v);
}  // namespace noise

namespace noise {
// Cellular pattern: distances to the nearest and second nearest jittered cell centre, and the
// nearest cell's id, for a grid of `cell` pixels.
struct CellHit {
    double d1, d2;
    uint32_t id;
};
CellHit Cells(double x, double y, double cell, uint32_t seed);
}  // namespace noise
