// Who waits behind each door: the prisoners of the five cells, drawn seen from above.
#include "Cells.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "Noise.h"

namespace cells {
namespace {

constexpr double kPi = 3.14159265358979323846;
const Rgb kOutline = Col(10, 7, 6);

// Shapes in the cell's own pixel coordinates, drawn as one silhouette: every outline first, then
// every fill, so overlapping parts merge and the figure keeps one dark rim.
class Sketch {
public:
    explicit Sketch(const Floor& f) : m_f(f) {}
    Vec2 At(double a, double b) const {
        return {m_f.origin.x + m_f.across.x * a + m_f.out.x * b, m_f.origin.y + m_f.across.y * a + m_f.out.y * b};
    }
    void Blob(double a, double b, double ra, double rb, double angle, Rgb c) {
        m_shapes.push_back({Ellipse(a, b, ra + 1.1, rb + 1.1, angle), Ellipse(a, b, ra, rb, angle), {}, {}, 0, c});
    }
    void Limb(double a0, double b0, double a1, double b1, double hw, Rgb c) {
        m_shapes.push_back({{}, {}, At(a0, b0), At(a1, b1), hw, c});
    }
    void Draw(Canvas& canvas) const {
        for (const Shape& s : m_shapes) {
            if (s.hw > 0) StrokeSegment(canvas, s.p.x, s.p.y, s.q.x, s.q.y, s.hw + 1.1, kOutline);
            else FillPoly(canvas, s.outer, kOutline);
        }
        for (const Shape& s : m_shapes) {
            if (s.hw > 0) StrokeSegment(canvas, s.p.x, s.p.y, s.q.x, s.q.y, s.hw, s.c);
            else FillPoly(canvas, s.inner, s.c);
        }
    }
    // Details on top, without outline.
    void Dot(Canvas& canvas, double a, double b, double r, Rgb c) const {
        Vec2 p = At(a, b);
        FillDisc(canvas, p.x, p.y, r, c);
    }
    void Line(Canvas& canvas, double a0, double b0, double a1, double b1, double hw, Rgb c) const {
        Vec2 p = At(a0, b0), q = At(a1, b1);
        StrokeSegment(canvas, p.x, p.y, q.x, q.y, hw, c);
    }

private:
    struct Shape {
        Poly outer, inner;
        Vec2 p, q;
        double hw;
        Rgb c;
    };
    Poly Ellipse(double a, double b, double ra, double rb, double angle) const {
        Poly p;
        for (int i = 0; i < 28; ++i) {
            double t = 2 * kPi * i / 28, x = std::cos(t) * ra, y = std::sin(t) * rb;
            p.push_back(
                At(a + x * std::cos(angle) - y * std::sin(angle), b + x * std::sin(angle) + y * std::cos(angle)));
        }
        return p;
    }
    Floor m_f;
    std::vector<Shape> m_shapes;
};

// An iron cuff with a short chain to a ring in the wall or floor.
void Shackle(Canvas& c, const Sketch& s, double a, double b, double ringA, double ringB) {
    double len = std::hypot(ringA - a, ringB - b);
    int links = std::max(2, static_cast<int>(len / 3.0));
    for (int i = 0; i < links; ++i) {
        double t0 = static_cast<double>(i) / links, t1 = static_cast<double>(i + 1) / links;
        s.Line(c, a + (ringA - a) * t0, b + (ringB - b) * t0, a + (ringA - a) * t1, b + (ringB - b) * t1,
               i % 2 ? 0.9 : 1.3, i % 2 ? Col(120, 116, 112) : Col(40, 38, 40));
    }
    s.Dot(c, ringA, ringB, 2.0, Col(30, 28, 30));
    s.Dot(c, ringA, ringB, 1.0, Col(110, 104, 100));
    s.Dot(c, a, b, 2.3, Col(34, 32, 34));
    s.Dot(c, a, b, 1.4, Col(120, 116, 110));
}

// Top cell: a man hanging in shackles from the back wall, arms spread above his head.
void Hanging(Canvas& c, const Floor& f) {
    Sketch s(f);
    const double m = f.width * 0.5;
    const Rgb skin = Col(206, 160, 128), rags = Col(96, 104, 124), hair = Col(52, 36, 24);
    s.Limb(m - 6, 10, m - 17, 2.5, 1.7, skin);
    s.Limb(m + 6, 10, m + 17, 2.5, 1.7, skin);
    s.Limb(m - 3, 18, m - 4, 24, 2.0, rags);
    s.Limb(m + 3, 18, m + 4.5, 24, 2.0, rags);
    s.Blob(m, 14, 6.5, 6.0, 0.0, rags);
    s.Blob(m, 9.5, 9.0, 3.2, 0.0, skin);
    s.Blob(m, 6.5, 4.2, 4.4, 0.0, hair);
    s.Draw(c);
    Shackle(c, s, m - 17, 2.5, m - 20, 0.5);
    Shackle(c, s, m + 17, 2.5, m + 20, 0.5);
    // Blood run from the wrists, ribs showing through the rags.
    s.Line(c, m - 16, 4, m - 14, 8, 0.6, Col(150, 16, 12));
    s.Line(c, m + 16, 4, m + 14.5, 8.5, 0.6, Col(150, 16, 12));
    for (int i = 0; i < 3; ++i) s.Line(c, m - 4, 12.5 + i * 1.8, m + 4, 12.5 + i * 1.8, 0.35, Col(60, 64, 80));
}

// Right cell: a prisoner leaning back with all his weight on two chains fixed to the floor.
void Straining(Canvas& c, const Floor& f) {
    Sketch s(f);
    const double m = f.width * 0.5, ring = f.depth - 6;
    const Rgb skin = Col(164, 110, 80), rags = Col(132, 48, 32);
    s.Limb(m - 4, 14, m - 10, 22, 2.2, rags);  // knees drawn up, feet braced
    s.Limb(m + 4, 14, m + 10, 22, 2.2, rags);
    s.Limb(m - 10, 22, m - 9, 26, 1.9, skin);
    s.Limb(m + 10, 22, m + 9, 26, 1.9, skin);
    s.Limb(m - 6, 8, m - 3, 20, 1.6, skin);  // arms out straight to the chains
    s.Limb(m + 6, 8, m + 3, 20, 1.6, skin);
    s.Blob(m, 9, 7.5, 4.5, 0.0, rags);
    s.Blob(m, 5, 4.0, 4.0, 0.0, skin);
    s.Draw(c);
    Shackle(c, s, m - 3, 20.5, m, ring);
    Shackle(c, s, m + 3, 20.5, m, ring);
    s.Dot(c, m, ring, 3.2, Col(30, 28, 30));
    s.Dot(c, m, ring, 1.8, Col(90, 86, 84));
    s.Line(c, m - 1.5, 4, m + 1.5, 4, 0.5, Col(90, 50, 36));  // gritted teeth
}

// Middle pit: a flogged man on his knees, arms bound round the whipping post, back striped with blood.
void Flogged(Canvas& c, const Floor& f) {
    Sketch s(f);
    const Rgb skin = Col(222, 180, 148), post = Col(128, 84, 46), breeches = Col(60, 64, 80);
    const double k = f.width / 40.0;  // drawn for a pit floor 40 pixels wide
    const double pa = f.width * 0.2, pb = f.depth * 0.2;
    auto A = [&](double u) { return pa + u * k; };
    auto B = [&](double v) { return pb + v * k; };
    s.Limb(A(8), B(14), A(2), B(3), 1.7 * k, skin);  // arms round the post
    s.Limb(A(15), B(8), A(3), B(0), 1.7 * k, skin);
    s.Blob(A(24), B(23), 6.5 * k, 4.5 * k, 0.78, breeches);
    s.Blob(A(18), B(17), 8.5 * k, 5.5 * k, 0.78, skin);
    s.Blob(A(11), B(10), 3.6 * k, 3.6 * k, 0.0, Col(34, 24, 18));
    s.Blob(pa, pb, 4.2 * k, 4.2 * k, 0.0, post);
    s.Draw(c);
    s.Dot(c, pa - 1, pb - 1, 2.0 * k, Col(150, 104, 60));
    s.Line(c, A(-4), B(2), A(4), B(-2), 0.8, Col(190, 170, 120));  // rope round the wrists
    for (int i = 0; i < 5; ++i) {
        double o = -5.0 + i * 2.6;
        s.Line(c, A(13 + o), B(22 - o * 0.2), A(20 + o), B(13 - o * 0.2), 0.6, Col(176, 14, 10));
    }
    // The whip dropped on the straw.
    s.Line(c, A(27), B(1), A(33), B(10), 0.8, Col(40, 24, 14));
    s.Line(c, A(33), B(10), A(31), B(16), 0.5, Col(40, 24, 14));
}

// Floor pit: a crowd packed in the dark, heads and hands reaching up out of it.
void Crowd(Canvas& c, const Floor& f) {
    Sketch s(f);
    Rng rng(3303);
    const Rgb hairs[] = {Col(40, 28, 20), Col(90, 62, 36), Col(30, 26, 26), Col(120, 110, 96), Col(70, 40, 24)};
    const Rgb skins[] = {Col(200, 156, 124), Col(150, 104, 76), Col(220, 184, 150), Col(176, 130, 100)};
    struct Hand {
        double a, b, a1, b1;
        Rgb skin;
    };
    std::vector<Hand> hands;
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 7; ++col) {
            double a = (col + 0.5 + (row % 2) * 0.4) * f.width / 7.2 + rng.Range(-2, 2);
            double b = (row + 0.5) * f.depth / 3.0 + rng.Range(-1.5, 1.5);
            s.Blob(a, b, 3.4, 3.1, rng.Range(0, kPi), hairs[rng.Int(5)]);
            if (rng.Uniform() < 0.45) {
                // An arm up past the rim, the hand open.
                double dir = a < f.width / 2 ? -1.0 : 1.0, reach = rng.Range(8, 16);
                hands.push_back({a, b, a + dir * reach * 0.6, b + (row - 1) * reach * 0.6 - 3, skins[rng.Int(4)]});
            }
        }
    for (const Hand& h : hands) {
        s.Limb(h.a, h.b, h.a1, h.b1, 1.4, h.skin);
        s.Blob(h.a1, h.b1, 2.6, 2.2, 0.0, h.skin);
    }
    s.Draw(c);
    for (const Hand& h : hands) {
        double dx = h.a1 - h.a, dy = h.b1 - h.b, len = std::hypot(dx, dy);
        for (int k = -1; k <= 1; ++k) {
            double ang = std::atan2(dy, dx) + k * 0.5;
            s.Line(c, h.a1, h.b1, h.a1 + std::cos(ang) * 3.6, h.b1 + std::sin(ang) * 3.6, 0.5,
                   h.skin * (len > 0 ? 0.9 : 1.0));
        }
    }
}

// Lower cell: a madman crouched in the corner, grinning up into the light, tally marks on the wall.
void Madman(Canvas& c, const Floor& f) {
    Sketch s(f);
    const double a = 13, b = 11;
    const Rgb skin = Col(200, 204, 156), rags = Col(92, 110, 60), hair = Col(36, 30, 24);
    s.Limb(a + 5, b + 4, a + 10, b + 9, 2.4, rags);  // knees
    s.Limb(a - 4, b + 5, a + 2, b + 11, 2.4, rags);
    s.Limb(a + 7, b + 1, a + 10, b + 9, 1.3, skin);  // hands on the knees
    s.Limb(a - 6, b + 2, a + 2, b + 11, 1.3, skin);
    s.Blob(a, b, 8.5, 7.0, 0.5, rags);
    for (int i = 0; i < 9; ++i) {  // wild hair
        double t = 2 * kPi * i / 9;
        s.Limb(a + 1, b + 2, a + 1 + std::cos(t) * 7.5, b + 2 + std::sin(t) * 7.5, 1.0, hair);
    }
    s.Blob(a + 1, b + 2, 5.2, 5.2, 0.0, skin);
    s.Draw(c);
    s.Dot(c, a - 1, b + 0.5, 1.3, Col(250, 250, 240));
    s.Dot(c, a + 3, b + 0.5, 1.3, Col(250, 250, 240));
    s.Dot(c, a - 1, b + 0.5, 0.5, Col(10, 8, 6));
    s.Dot(c, a + 3, b + 0.5, 0.5, Col(10, 8, 6));
    // The grin: a wide white crescent with a dark line of teeth.
    for (int i = 0; i <= 6; ++i) {
        double t = -0.9 + 1.8 * i / 6.0;
        s.Dot(c, a + 1 + std::sin(t) * 3.6, b + 3 + std::cos(t) * 1.6, 0.9, Col(240, 236, 220));
    }
    s.Line(c, a - 1.8, b + 4.2, a + 3.8, b + 4.2, 0.3, Col(60, 20, 16));
    for (int k = 0; k < 9; ++k) s.Line(c, 2 + k * 2.6, 1.5, 2.6 + k * 2.6, 5.5, 0.35, Col(220, 214, 196));
    s.Line(c, 1, 2.5, 25, 4.8, 0.3, Col(220, 214, 196));
}

}  // namespace

void DrawOccupants(Canvas& albedo, int door, const Floor& f) {
    switch (door) {
        case 0: {
            // The top cell's back wall lies in the picture's dark border: hang him a little forward.
            Floor g = f;
            g.origin = {f.origin.x + f.out.x * 2.5, f.origin.y + f.out.y * 2.5};
            Hanging(albedo, g);
            break;
        }
        case 1: Straining(albedo, f); break;
        case 2: Flogged(albedo, f); break;
        case 3: Crowd(albedo, f); break;
        default: Madman(albedo, f); break;
    }
}

}  // namespace cells
