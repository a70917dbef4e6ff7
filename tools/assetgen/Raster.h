// Anti-aliased drawing primitives (polygons, discs, strokes, coverage masks) over a Canvas.
#pragma once
#include <cstddef>
#include <vector>

#include "Canvas.h"

struct Vec2 {
    double x = 0.0, y = 0.0;
};
using Poly = std::vector<Vec2>;

// Coverage values 0..1 per pixel, used where shapes are combined before colouring.
class Mask {
public:
    Mask() = default;
    Mask(int width, int height) : m_nWidth(width), m_nHeight(height), m_v(static_cast<size_t>(width) * height, 0.0) {}
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    double Get(int x, int y) const {
        return (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight) ? 0.0 : m_v[static_cast<size_t>(y) * m_nWidth + x];
    }
    double& At(int x, int y) { return m_v[static_cast<size_t>(y) * m_nWidth + x]; }

private:
    int m_nWidth = 0, m_nHeight = 0;
    std::vector<double> m_v;
};

// Adds the coverage of the contours (non-zero winding, 4x4 samples) into mask, keeping the maximum.
void RasterizeInto(Mask& mask, const std::vector<Poly>& contours, double ox = 0.0, double oy = 0.0);
void FillPolys(Canvas& c, const std::vector<Poly>& contours, Rgb colour, double alpha = 1.0);
void FillPoly(Canvas& c, const Poly& poly, Rgb colour, double alpha = 1.0);
void FillDisc(Canvas& c, double cx, double cy, double r, Rgb colour, double alpha = 1.0);
void FillEllipse(Canvas& c, double cx, double cy, double rx, double ry, Rgb colour, double alpha = 1.0);
// A segment with round ends, half-width hw.
void StrokeSegment(Canvas& c, double ax, double ay, double bx, double by, double hw, Rgb colour, double alpha = 1.0);
// Polygon of a rotated rectangle: centre, half sizes, angle in radians.
Poly RectPoly(double cx, double cy, double hw, double hh, double angle);
Poly CirclePoly(double cx, double cy, double r, int segments);
// Distance from p to segment ab.
double SegmentDistance(double px, double py, double ax, double ay, double bx, double by);

// Calls f(x, y) for every pixel of the clipped box [x0, x1) x [y0, y1).
template <class F>
void ForBox(const Canvas& c, int x0, int y0, int x1, int y1, F f) {
    if (x0 < 0) x0 = 0;
    if (y0 < 0) y0 = 0;
    if (x1 > c.Width()) x1 = c.Width();
    if (y1 > c.Height()) y1 = c.Height();
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) f(x, y);
}

// Coverage of the contours over their clipped bounding box: box origin, size and values.
struct CoverageBox {
    int x0 = 0, y0 = 0, w = 0, h = 0;
    std::vector<double> v;
    double At(int x, int y) const { return v[static_cast<size_t>(y - y0) * w + (x - x0)]; }
};
CoverageBox Rasterize(const std::vector<Poly>& contours, int clipW, int clipH);

// Fills the contours with a colour chosen per pixel: colourAt(x, y) -> Rgb.
template <class F>
void ShadePolys(Canvas& c, const std::vector<Poly>& contours, F colourAt, double alpha = 1.0) {
    CoverageBox box = Rasterize(contours, c.Width(), c.Height());
    for (int y = box.y0; y < box.y0 + box.h; ++y)
        for (int x = box.x0; x < box.x0 + box.w; ++x) {
            double v = box.At(x, y);
            if (v > 0.0) c.Blend(x, y, colourAt(x, y), (v > 1.0 ? 1.0 : v) * alpha);
        }
}
