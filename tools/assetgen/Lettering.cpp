// Our own angular capitals, and the two lettered pictures: the title and the flash message.
#include "Lettering.h"

#include <algorithm>
#include <cmath>

#include "Noise.h"

namespace lettering {
namespace {

// Glyphs on a grid 100 units tall; solids are drawn, holes cut out.
struct Glyph {
    char ch;
    double advance;
    std::vector<std::vector<double>> solids, holes;  // flat x, y lists
};

const Glyph kGlyphs[] = {
    {'M',
     104,
     {{0, 100, 0, 0, 24, 0, 52, 52, 80, 0, 104, 0, 104, 100, 82, 100, 82, 40, 57, 84, 47, 84, 22, 40, 22, 100}},
     {}},
    {'O',
     94,
     {{24, 0, 70, 0, 94, 24, 94, 76, 70, 100, 24, 100, 0, 76, 0, 24}},
     {{31, 17, 63, 17, 72, 29, 72, 71, 63, 83, 31, 83, 22, 71, 22, 29}}},
    {'R',
     92,
     {{0, 0, 66, 0, 88, 17, 88, 41, 70, 56, 94, 100, 68, 100, 47, 58, 22, 58, 22, 100, 0, 100}},
     {{22, 16, 60, 16, 66, 22, 66, 36, 60, 42, 22, 42}}},
    {'G',
     92,
     {{24, 0,  70, 0,  92, 22, 92, 32, 70, 32, 63, 17, 31, 17, 22,  29, 22,  71, 31, 83, 62,
       83, 70, 72, 70, 64, 50, 64, 50, 48, 92, 48, 92, 78, 70, 100, 24, 100, 0,  76, 0,  24}},
     {}},
    {'A', 98, {{37, 0, 61, 0, 98, 100, 74, 100, 66, 77, 32, 77, 24, 100, 0, 100}}, {{38, 61, 60, 61, 49, 28}}},
    {'V', 96, {{0, 0, 24, 0, 48, 74, 72, 0, 96, 0, 59, 100, 37, 100}}, {}},
    {'E', 78, {{0, 0, 78, 0, 78, 18, 22, 18, 22, 41, 64, 41, 64, 58, 22, 58, 22, 82, 78, 82, 78, 100, 0, 100}}, {}},
    {'P',
     86,
     {{0, 0, 64, 0, 86, 18, 86, 44, 64, 62, 22, 62, 22, 100, 0, 100}},
     {{22, 16, 58, 16, 64, 22, 64, 40, 58, 46, 22, 46}}},
    {'L', 74, {{0, 0, 22, 0, 22, 82, 74, 82, 74, 100, 0, 100}}, {}},
    {'Y', 96, {{0, 0, 25, 0, 48, 42, 71, 0, 96, 0, 59, 61, 59, 100, 37, 100, 37, 61}}, {}},
};
constexpr double kSpacing = 9.0, kSpace = 44.0;

const Glyph* Find(char ch) {
    for (const Glyph& g : kGlyphs)
        if (g.ch == ch) return &g;
    return nullptr;
}

double SignedArea(const Poly& p) {
    double a = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        const Vec2 &u = p[i], &v = p[(i + 1) % p.size()];
        a += u.x * v.y - v.x * u.y;
    }
    return a * 0.5;
}

Poly Make(const std::vector<double>& flat, double x, double y, double sx, double sy, bool hole) {
    Poly p;
    for (size_t i = 0; i + 1 < flat.size(); i += 2) p.push_back({x + flat[i] * sx, y + flat[i + 1] * sy});
    // Solids wind one way and holes the other, so non-zero filling cuts the holes.
    if ((SignedArea(p) < 0) != hole) std::reverse(p.begin(), p.end());
    return p;
}

// Distance (pixels, capped) from each pixel to the nearest pixel whose `in` differs from its own.
std::vector<double> EdgeDistance(const std::vector<uint8_t>& in, int w, int h, int cap) {
    std::vector<double> d(in.size(), cap);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t self = in[static_cast<size_t>(y) * w + x];
            double best = cap;
            for (int j = -cap; j <= cap; ++j)
                for (int i = -cap; i <= cap; ++i) {
                    int xx = x + i, yy = y + j;
                    bool other = (xx < 0 || yy < 0 || xx >= w || yy >= h)
                                     ? self != 0
                                     : in[static_cast<size_t>(yy) * w + xx] != self;
                    if (other) best = std::min(best, std::sqrt(static_cast<double>(i * i + j * j)));
                }
            d[static_cast<size_t>(y) * w + x] = best;
        }
    return d;
}

}  // namespace

double TextWidth(const std::string& text, double capHeight, double widthScale) {
    double s = capHeight / 100.0 * widthScale, w = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const Glyph* g = Find(text[i]);
        w += (g ? g->advance : kSpace) * s;
        if (i + 1 < text.size()) w += kSpacing * s;
    }
    return w;
}

double Layout(const std::string& text, double x, double y, double capHeight, double widthScale,
              std::vector<Poly>& out) {
    double sy = capHeight / 100.0, sx = sy * widthScale, start = x;
    for (char ch : text) {
        const Glyph* g = Find(ch);
        if (g) {
            for (const auto& s : g->solids) out.push_back(Make(s, x, y, sx, sy, false));
            for (const auto& h : g->holes) out.push_back(Make(h, x, y, sx, sy, true));
        }
        x += ((g ? g->advance : kSpace) + kSpacing) * sx;
    }
    return x - start - kSpacing * sx;
}

Canvas Title(int width, int height, std::vector<uint8_t>& isKey) {
    const std::string name = "MORGRAVE";
    // As tall as the picture allows, narrowed if need be so that the outline and the shadow
    // stay clear of the edges.
    const double cap = 84.0, widthScale = std::min(0.8, (width - 28.0) / TextWidth(name, cap, 1.0));
    double textW = TextWidth(name, cap, widthScale);
    double x0 = (width - textW) / 2.0, y0 = 16.0;
    std::vector<Poly> shapes;
    Layout(name, x0, y0, cap, widthScale, shapes);
    // Blood running off the letters' feet, only where a letter stands above it.
    Mask letters(width, height);
    RasterizeInto(letters, shapes);
    Rng rng(777);
    const double foot = y0 + cap;
    int drips = 0;
    for (int tries = 0; tries < 200 && drips < 12; ++tries) {
        double px = x0 + rng.Range(0.02, 0.98) * textW;
        double len = rng.Range(6.0, 24.0), r = rng.Range(1.6, 2.8);
        if (letters.Get(static_cast<int>(px - r), static_cast<int>(foot - 2)) < 0.99 ||
            letters.Get(static_cast<int>(px + r), static_cast<int>(foot - 2)) < 0.99)
            continue;
        double top = foot - 3;
        shapes.push_back({{px - r, top}, {px + r, top}, {px + r * 0.7, top + len}, {px - r * 0.7, top + len}});
        shapes.push_back(CirclePoly(px, top + len, r * 1.05, 16));
        ++drips;
    }
    Mask text(width, height);
    RasterizeInto(text, shapes);
    // Test which drips actually hang from a letter; drop the ones that hang in the air.
    std::vector<uint8_t> solid(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) solid[static_cast<size_t>(y) * width + x] = text.Get(x, y) >= 0.5;

    const int outline = 4, shadowX = 3, shadowY = 4;
    std::vector<double> outside = EdgeDistance(solid, width, height, outline + 1);
    std::vector<double> inside = outside;  // distance to the edge, from either side
    Canvas c(width, height);
    isKey.assign(static_cast<size_t>(width) * height, 0);
    auto near = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= width || y >= height) return false;
        size_t i = static_cast<size_t>(y) * width + x;
        return solid[i] || outside[i] <= outline;
    };
    const Rgb dark = Col(22, 8, 8);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            size_t i = static_cast<size_t>(y) * width + x;
            bool body = near(x, y), shade = near(x - shadowX, y - shadowY);
            if (!body && !shade) {
                isKey[i] = 1;
                continue;
            }
            if (!body) {
                c.At(x, y) = Col(10, 4, 4);  // drop shadow, darker than the outline
                continue;
            }
            double cov = text.Get(x, y);
            double t = std::clamp((y - y0) / cap, 0.0, 1.2);
            Rgb fill = Mix(Col(236, 170, 110), Col(170, 22, 16), noise::Smooth(0.0, 0.55, t));
            fill = Mix(fill, Col(92, 8, 8), noise::Smooth(0.55, 1.2, t));
            // Chiselled bevel: faces towards the upper left catch the light.
            double dIn = solid[i] ? inside[i] : 0.0;
            if (solid[i] && dIn < 3.5) {
                double gx = text.Get(x + 1, y) - text.Get(x - 1, y), gy = text.Get(x, y + 1) - text.Get(x, y - 1);
                double lit = (gx + gy) * 0.5;  // positive where the edge faces up-left
                fill = fill * (1.0 + 0.45 * lit * (3.5 - dIn) / 3.5);
            }
            fill = fill * (0.85 + 0.3 * noise::Fbm(x * 0.15, y * 0.15, 3, 811));
            c.At(x, y) = Mix(dark, fill, cov);
        }
    return c;
}

Canvas Flash(int width, int height, Rgb grey) {
    std::vector<Poly> shapes;
    const double cap1 = 118.0, cap2 = 84.0, gap = 34.0;
    double w1 = TextWidth("PLAY", cap1, 1.0), w2 = TextWidth("MORGRAVE", cap2, 0.84);
    double top = (height - (cap1 + gap + cap2)) / 2.0;
    Layout("PLAY", (width - w1) / 2.0, top, cap1, 1.0, shapes);
    Layout("MORGRAVE", (width - w2) / 2.0, top + cap1 + gap, cap2, 0.84, shapes);
    Mask m(width, height);
    RasterizeInto(m, shapes);
    Canvas c(width, height, grey);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            // Edges in eighths of the grey: exactly the ramp the shared palette reserves for them.
            double level = std::floor((1.0 - std::min(1.0, m.Get(x, y))) * 8.0 + 0.5);
            c.At(x, y) = grey * (level / 8.0);
        }
    return c;
}

}  // namespace lettering
