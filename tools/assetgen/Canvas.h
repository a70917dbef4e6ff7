// True-colour working surface (linear doubles per channel) that the pictures are painted on.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct Rgb {
    double r = 0.0, g = 0.0, b = 0.0;
};

inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb operator-(Rgb a, Rgb b) { return {a.r - b.r, a.g - b.g, a.b - b.b}; }
inline Rgb operator*(Rgb a, double k) { return {a.r * k, a.g * k, a.b * k}; }
inline Rgb operator*(Rgb a, Rgb b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }
inline Rgb Mix(Rgb a, Rgb b, double t) { return a + (b - a) * t; }
// Colour from 0..255 components.
inline Rgb Col(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0}; }

class Canvas {
public:
    Canvas() = default;
    Canvas(int width, int height, Rgb fill = {});

    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < m_nWidth && y < m_nHeight; }
    Rgb& At(int x, int y) { return m_px[static_cast<size_t>(y) * m_nWidth + x]; }
    const Rgb& At(int x, int y) const { return m_px[static_cast<size_t>(y) * m_nWidth + x]; }
    // Blends colour c over pixel (x, y) with weight a; pixels outside are ignored.
    void Blend(int x, int y, Rgb c, double a);
    void Add(int x, int y, Rgb c);
    void Fill(Rgb c);
    Canvas Crop(int x, int y, int w, int h) const;
    void Paste(const Canvas& src, int x, int y);
    // Packs the picture to 0x00RRGGBB with rounding and clamping.
    std::vector<uint32_t> ToRgb32() const;

private:
    int m_nWidth = 0, m_nHeight = 0;
    std::vector<Rgb> m_px;
};

// 0..255 clamped channel from a double in 0..1.
uint8_t ToByte(double v);
uint32_t Pack(Rgb c);
Rgb Unpack(uint32_t rgb);
