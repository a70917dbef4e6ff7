// True-colour working surface (linear doubles per channel) that the pictures are painted on.
#include "Canvas.h"

#include <cmath>

Canvas::Canvas(int width, int height, Rgb fill)
    : m_nWidth(width), m_nHeight(height), m_px(static_cast<size_t>(width) * height, fill) {}

void Canvas::Blend(int x, int y, Rgb c, double a) {
    if (!Inside(x, y) || a <= 0.0) return;
    if (a > 1.0) a = 1.0;
    Rgb& p = At(x, y);
    p = p + (c - p) * a;
}

void Canvas::Add(int x, int y, Rgb c) {
    if (!Inside(x, y)) return;
    At(x, y) = At(x, y) + c;
}

void Canvas::Fill(Rgb c) {
    for (Rgb& p : m_px) p = c;
}

Canvas Canvas::Crop(int x, int y, int w, int h) const {
    Canvas out(w, h);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            if (Inside(x + i, y + j)) out.At(i, j) = At(x + i, y + j);
    return out;
}

void Canvas::Paste(const Canvas& src, int x, int y) {
    for (int j = 0; j < src.Height(); ++j)
        for (int i = 0; i < src.Width(); ++i)
            if (Inside(x + i, y + j)) At(x + i, y + j) = src.At(i, j);
}

uint8_t ToByte(double v) {
    double s = std::floor(v * 255.0 + 0.5);
    if (s < 0.0) s = 0.0;
    if (s > 255.0) s = 255.0;
    return static_cast<uint8_t>(s);
}

uint32_t Pack(Rgb c) {
    return (static_cast<uint32_t>(ToByte(c.r)) << 16) | (static_cast<uint32_t>(ToByte(c.g)) << 8) | ToByte(c.b);
}

Rgb Unpack(uint32_t rgb) { return Col((rgb >> 16) & 255, (rgb >> 8) & 255, rgb & 255); }

std::vector<uint32_t> Canvas::ToRgb32() const {
    std::vector<uint32_t> out(m_px.size());
    for (size_t i = 0; i < m_px.size(); ++i) out[i] = Pack(m_px[i]);
    return out;
}
