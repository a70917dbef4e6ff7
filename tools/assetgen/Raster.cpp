// Anti-aliased drawing primitives (polygons, discs, strokes, coverage masks) over a Canvas.
#include "Raster.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSub = 4;

struct Crossing {
    double x;
    int dir;
};

// Coverage of the contours over the box, one value per pixel, non-zero winding.
void Coverage(const std::vector<Poly>& contours, int bx0, int by0, int bw, int bh, std::vector<double>& cov) {
    cov.assign(static_cast<size_t>(bw) * bh, 0.0);
    std::vector<Crossing> xs;
    const double w = 1.0 / (kSub * kSub);
    for (int row = 0; row < bh; ++row) {
        for (int s = 0; s < kSub; ++s) {
            double sy = by0 + row + (s + 0.5) / kSub;
            xs.clear();
            for (const Poly& p : contours) {
                size_t n = p.size();
                for (size_t i = 0; i < n; ++i) {
                    const Vec2& a = p[i];
                    const Vec2& b = p[(i + 1) % n];
                    if ((a.y <= sy && b.y > sy) || (b.y <= sy && a.y > sy)) {
                        double t = (sy - a.y) / (b.y - a.y);
                        xs.push_back({a.x + t * (b.x - a.x), b.y > a.y ? 1 : -1});
                    }
                }
            }
            std::sort(xs.begin(), xs.end(), [](const Crossing& l, const Crossing& r) { return l.x < r.x; });
            int wind = 0;
            for (size_t i = 0; i + 1 < xs.size(); ++i) {
                wind += xs[i].dir;
                if (wind == 0) continue;
                // Sample columns at (k + 0.5) / kSub inside [xa, xb).
                double xa = (xs[i].x - bx0) * kSub - 0.5, xb = (xs[i + 1].x - bx0) * kSub - 0.5;
                int k0 = static_cast<int>(std::ceil(xa)), k1 = static_cast<int>(std::ceil(xb));
                if (k0 < 0) k0 = 0;
                if (k1 > bw * kSub) k1 = bw * kSub;
                for (int k = k0; k < k1; ++k) cov[static_cast<size_t>(row) * bw + k / kSub] += w;
            }
        }
    }
}

bool Bounds(const std::vector<Poly>& contours, int& x0, int& y0, int& x1, int& y1) {
    double minx = 1e18, miny = 1e18, maxx = -1e18, maxy = -1e18;
    for (const Poly& p : contours)
        for (const Vec2& v : p) {
            minx = std::min(minx, v.x);
            miny = std::min(miny, v.y);
            maxx = std::max(maxx, v.x);
            maxy = std::max(maxy, v.y);
        }
    if (minx > maxx) return false;
    x0 = static_cast<int>(std::floor(minx));
    y0 = static_cast<int>(std::floor(miny));
    x1 = static_cast<int>(std::ceil(maxx)) + 1;
    y1 = static_cast<int>(std::ceil(maxy)) + 1;
    return true;
}

}  // namespace

void RasterizeInto(Mask& mask, const std::vector<Poly>& contours, double ox, double oy) {
    std::vector<Poly> shifted = contours;
    for (Poly& p : shifted)
        for (Vec2& v : p) {
            v.x += ox;
            v.y += oy;
        }
    int x0, y0, x1, y1;
    if (!Bounds(shifted, x0, y0, x1, y1)) return;
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, mask.Width());
    y1 = std::min(y1, mask.Height());
    if (x1 <= x0 || y1 <= y0) return;
    std::vector<double> cov;
    Coverage(shifted, x0, y0, x1 - x0, y1 - y0, cov);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            double v = std::min(1.0, cov[static_cast<size_t>(y - y0) * (x1 - x0) + (x - x0)]);
            mask.At(x, y) = std::max(mask.At(x, y), v);
        }
}

void FillPolys(Canvas& c, const std::vector<Poly>& contours, Rgb colour, double alpha) {
    int x0, y0, x1, y1;
    if (!Bounds(contours, x0, y0, x1, y1)) return;
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, c.Width());
    y1 = std::min(y1, c.Height());
    if (x1 <= x0 || y1 <= y0) return;
    std::vector<double> cov;
    Coverage(contours, x0, y0, x1 - x0, y1 - y0, cov);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            double v = std::min(1.0, cov[static_cast<size_t>(y - y0) * (x1 - x0) + (x - x0)]);
            if (v > 0.0) c.Blend(x, y, colour, v * alpha);
        }
}

void FillPoly(Canvas& c, const Poly& poly, Rgb colour, double alpha) { FillPolys(c, {poly}, colour, alpha); }

void FillDisc(Canvas& c, double cx, double cy, double r, Rgb colour, double alpha) {
    FillEllipse(c, cx, cy, r, r, colour, alpha);
}

void FillEllipse(Canvas& c, double cx, double cy, double rx, double ry, Rgb colour, double alpha) {
    int x0 = static_cast<int>(std::floor(cx - rx - 1)), x1 = static_cast<int>(std::ceil(cx + rx + 1));
    int y0 = static_cast<int>(std::floor(cy - ry - 1)), y1 = static_cast<int>(std::ceil(cy + ry + 1));
    double rm = std::min(rx, ry);
    ForBox(c, x0, y0, x1, y1, [&](int x, int y) {
        double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
        double d = (std::sqrt(dx * dx + dy * dy) - 1.0) * rm;  // approx pixel distance to the rim
        double a = 0.5 - d;
        if (a > 0.0) c.Blend(x, y, colour, std::min(1.0, a) * alpha);
    });
}

double SegmentDistance(double px, double py, double ax, double ay, double bx, double by) {
    double dx = bx - ax, dy = by - ay;
    double len2 = dx * dx + dy * dy;
    double t = len2 > 0.0 ? ((px - ax) * dx + (py - ay) * dy) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    double qx = ax + t * dx - px, qy = ay + t * dy - py;
    return std::sqrt(qx * qx + qy * qy);
}

void StrokeSegment(Canvas& c, double ax, double ay, double bx, double by, double hw, Rgb colour, double alpha) {
    int x0 = static_cast<int>(std::floor(std::min(ax, bx) - hw - 1));
    int x1 = static_cast<int>(std::ceil(std::max(ax, bx) + hw + 1));
    int y0 = static_cast<int>(std::floor(std::min(ay, by) - hw - 1));
    int y1 = static_cast<int>(std::ceil(std::max(ay, by) + hw + 1));
    ForBox(c, x0, y0, x1, y1, [&](int x, int y) {
        double d = SegmentDistance(x + 0.5, y + 0.5, ax, ay, bx, by) - hw;
        double a = 0.5 - d;
        if (a > 0.0) c.Blend(x, y, colour, std::min(1.0, a) * alpha);
    });
}

Poly RectPoly(double cx, double cy, double hw, double hh, double angle) {
    double ca = std::cos(angle), sa = std::sin(angle);
    Poly p;
    const double sx[4] = {-hw, hw, hw, -hw}, sy[4] = {-hh, -hh, hh, hh};
    for (int i = 0; i < 4; ++i) p.push_back({cx + sx[i] * ca - sy[i] * sa, cy + sx[i] * sa + sy[i] * ca});
    return p;
}

Poly CirclePoly(double cx, double cy, double r, int segments) {
    Poly p;
    for (int i = 0; i < segments; ++i) {
        double a = 2.0 * 3.14159265358979323846 * i / segments;
        p.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
    }
    return p;
}

CoverageBox Rasterize(const std::vector<Poly>& contours, int clipW, int clipH) {
    CoverageBox box;
    int x0, y0, x1, y1;
    if (!Bounds(contours, x0, y0, x1, y1)) return box;
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, clipW);
    y1 = std::min(y1, clipH);
    if (x1 <= x0 || y1 <= y0) return box;
    box.x0 = x0;
    box.y0 = y0;
    box.w = x1 - x0;
    box.h = y1 - y0;
    Coverage(contours, x0, y0, box.w, box.h, box.v);
    return box;
}
