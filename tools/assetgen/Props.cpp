// The chamber's furniture: fires and torches with their light, the rack, wheel, maiden, chains and bones.
#include <algorithm>
#include <cmath>

#include "Noise.h"
#include "Scene.h"

namespace scene {
namespace {

const Rgb kFire = Col(255, 148, 56);

// Shade cast by a shape that stands on the floor, pushed away from the central fire.
void CastShadow(Layers& L, std::vector<Poly> shape, double dx, double dy, double strength) {
    for (Poly& p : shape)
        for (Vec2& v : p) {
            v.x += dx;
            v.y += dy;
        }
    CoverageBox box = Rasterize(shape, kWidth, kHeight);
    for (int y = box.y0; y < box.y0 + box.h; ++y)
        for (int x = box.x0; x < box.x0 + box.w; ++x) {
            double a = std::min(1.0, box.At(x, y)) * strength;
            L.shadow.At(x, y) = std::max(L.shadow.Get(x, y), a);
        }
}

// Soft disc of shade under round things.
void ShadowDisc(Layers& L, double cx, double cy, double r, double strength) {
    ForBox(L.albedo, static_cast<int>(cx - r - 8), static_cast<int>(cy - r - 8), static_cast<int>(cx + r + 8),
           static_cast<int>(cy + r + 8), [&](int x, int y) {
               double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
               double a = strength * noise::Smooth(r + 6.0, r - 2.0, d);
               L.shadow.At(x, y) = std::max(L.shadow.Get(x, y), a);
           });
}

// Flames seen from above: a flickering glow, hot at the core.
void Flame(Layers& L, double cx, double cy, double size, uint32_t seed) {
    int r = static_cast<int>(size * 4.0);
    ForBox(L.emit, static_cast<int>(cx) - r, static_cast<int>(cy) - r, static_cast<int>(cx) + r,
           static_cast<int>(cy) + r, [&](int x, int y) {
               double px = x + 0.5, py = y + 0.5;
               double n = noise::Fbm(px * 0.25, py * 0.25, 3, seed);
               double d = std::hypot(px - cx, py - cy) / size * (0.75 + 0.5 * n);
               double outer = std::exp(-d * d * 0.5), core = std::exp(-d * d * 3.0);
               Rgb e = kFire * (0.8 * outer) + Col(255, 210, 130) * (1.1 * core);
               L.emit.At(x, y) = L.emit.At(x, y) + e;
           });
}

void Brazier(Layers& L, std::vector<Light>& lights, double cx, double cy, double r, double power, bool stoneRing) {
    if (stoneRing) {
        Rng rng(static_cast<uint64_t>(cx * 7 + cy));
        const int stones = 11;
        for (int i = 0; i < stones; ++i) {
            double a = 2 * kPi * i / stones + rng.Range(-0.1, 0.1);
            double sx = cx + std::cos(a) * (r + 7), sy = cy + std::sin(a) * (r + 7);
            ShadowDisc(L, sx + 2, sy + 3, 5.5, 0.5);
            Poly p = RectPoly(sx, sy, 7.0, 5.0, a + kPi / 2 + rng.Range(-0.2, 0.2));
            double tone = rng.Range(0.8, 1.1);
            ShadePolys(L.albedo, {p}, [&](int x, int y) {
                return Col(110, 100, 92) * tone * (0.75 + 0.4 * noise::Fbm(x * 0.5, y * 0.5, 2, 301));
            });
        }
    }
    // Legs, bowl and rim.
    for (int i = 0; i < 3; ++i) {
        double a = 2 * kPi * i / 3 + 0.5;
        StrokeSegment(L.albedo, cx, cy, cx + std::cos(a) * (r + 6), cy + std::sin(a) * (r + 6), 2.0, Col(44, 40, 40));
    }
    ShadowDisc(L, cx + 3, cy + 4, r, 0.6);
    FillDisc(L.albedo, cx, cy, r, Col(54, 50, 50));
    FillDisc(L.albedo, cx, cy, r - 2.5, Col(30, 26, 26));
    // Coals: dark lumps with glowing seams.
    ForBox(L.albedo, static_cast<int>(cx - r), static_cast<int>(cy - r), static_cast<int>(cx + r + 1),
           static_cast<int>(cy + r + 1), [&](int x, int y) {
               double px = x + 0.5, py = y + 0.5;
               double d = std::hypot(px - cx, py - cy);
               if (d > r - 3.0) return;
               double n = noise::Fbm(px * 0.45, py * 0.45, 3, 311);
               double seam = noise::Smooth(0.1, 0.0, std::fabs(n - 0.5));
               L.albedo.At(x, y) = Col(40, 30, 26) * (0.6 + 0.8 * n);
               double heat = noise::Smooth(r - 2.0, r * 0.2, d);
               L.emit.At(x, y) = L.emit.At(x, y) + kFire * ((0.15 + 1.4 * seam) * heat * power * 0.6);
           });
    Flame(L, cx - r * 0.1, cy - r * 0.15, r * 0.45, 321);
    Flame(L, cx + r * 0.25, cy + r * 0.2, r * 0.3, 323);
    lights.push_back({cx, cy, kFire * (1.6 * power), r * 4.5});
}

void Torch(Layers& L, std::vector<Light>& lights, double angleDeg, uint32_t seed) {
    double a = angleDeg * kPi / 180.0;
    double ca = std::cos(a), sa = std::sin(a);
    double wx = kCx + ca * (kFloorR + 9), wy = kCy + sa * (kFloorR + 9);
    double hx = kCx + ca * (kFloorR - 10), hy = kCy + sa * (kFloorR - 10);
    // Iron bracket: a plate bolted into the coping, an arm out over the floor and a ring round the
    // torch's pitch-soaked head; outlined dark so it reads against the light.
    const Rgb outline = Col(8, 6, 6), iron = Col(74, 70, 72);
    ShadePolys(L.albedo, {RectPoly(wx, wy, 6.5, 6.5, a)}, [&](int, int) { return outline; });
    ShadePolys(L.albedo, {RectPoly(wx, wy, 5.0, 5.0, a)}, [&](int, int) { return iron; });
    FillDisc(L.albedo, wx - ca * 2.5 - sa * 2.5, wy - sa * 2.5 + ca * 2.5, 1.0, Col(140, 134, 130));
    FillDisc(L.albedo, wx - ca * 2.5 + sa * 2.5, wy - sa * 2.5 - ca * 2.5, 1.0, Col(140, 134, 130));
    StrokeSegment(L.albedo, wx, wy, hx, hy, 2.8, outline);
    StrokeSegment(L.albedo, wx, wy, hx, hy, 1.6, iron);
    FillDisc(L.albedo, hx, hy, 6.5, outline);
    FillDisc(L.albedo, hx, hy, 5.2, Col(96, 90, 88));
    FillDisc(L.albedo, hx, hy, 3.8, Col(46, 28, 16));
    // The flame leans away from the wall: a tongue of orange round a white-yellow core.
    int r = 22;
    ForBox(L.emit, static_cast<int>(hx) - r, static_cast<int>(hy) - r, static_cast<int>(hx) + r,
           static_cast<int>(hy) + r, [&](int x, int y) {
               double dx = x + 0.5 - hx, dy = y + 0.5 - hy;
               double along = -(dx * ca + dy * sa), across = -dx * sa + dy * ca;  // along: towards the centre
               double n = noise::Fbm((x + 0.5) * 0.3, (y + 0.5) * 0.3, 3, seed);
               double len = along > 0 ? 15.0 + 7.0 * n : 4.5;
               double d =
                   std::hypot(along / len, across / ((3.5 + 2.0 * n) * (1.0 - 0.5 * noise::Smooth(0.0, 14.0, along))));
               double body = std::exp(-d * d * 2.5), core = std::exp(-d * d * 12.0);
               L.emit.At(x, y) = L.emit.At(x, y) + Col(255, 96, 16) * (1.7 * body) + Col(255, 226, 150) * (1.1 * core);
           });
    // A warm pool on the floor in front of the torch.
    lights.push_back({kCx + ca * (kFloorR - 30), kCy + sa * (kFloorR - 30), kFire * 2.3, 62.0});
}

// Soot on the coping behind a torch.
void Soot(Layers& L, double angleDeg) {
    double a = angleDeg * kPi / 180.0;
    double wx = kCx + std::cos(a) * (kFloorR + 9), wy = kCy + std::sin(a) * (kFloorR + 9);
    ForBox(L.albedo, static_cast<int>(wx - 16), static_cast<int>(wy - 16), static_cast<int>(wx + 16),
           static_cast<int>(wy + 16), [&](int x, int y) {
               double d = std::hypot(x + 0.5 - wx, y + 0.5 - wy);
               L.albedo.At(x, y) = L.albedo.At(x, y) * (1.0 - 0.5 * noise::Smooth(15.0, 5.0, d));
           });
}

void Rack(Layers& L, double cx, double cy) {
    const double halfW = 17, halfH = 60;
    auto wood = [&](double tone) {
        return [tone](int x, int y) {
            double g = 0.75 + 0.45 * noise::Fbm(x * 0.9, y * 0.08, 3, 331);
            return Col(104, 66, 38) * (tone * g);
        };
    };
    std::vector<Poly> beams = {RectPoly(cx - halfW, cy, 4.5, halfH, 0), RectPoly(cx + halfW, cy, 4.5, halfH, 0)};
    std::vector<Poly> bars = {RectPoly(cx, cy - halfH + 3, halfW, 3.5, 0), RectPoly(cx, cy + halfH - 3, halfW, 3.5, 0)};
    CastShadow(L, beams, 4, 5, 0.6);
    CastShadow(L, bars, 4, 5, 0.6);
    ShadePolys(L.albedo, beams, wood(1.0));
    ShadePolys(L.albedo, bars, wood(0.9));
    // Bed slats.
    for (int i = 0; i < 9; ++i) {
        double y = cy - halfH + 18 + i * 10.5;
        ShadePolys(L.albedo, {RectPoly(cx, y, halfW - 4, 3.2, 0)}, wood(0.75 + 0.05 * (i % 3)));
    }
    // Rollers with their turning spokes, and the ropes between them.
    for (int end = -1; end <= 1; end += 2) {
        double y = cy + end * (halfH - 12);
        ShadePolys(L.albedo, {RectPoly(cx, y, halfW + 7, 4.5, 0)}, [&](int x, int yy) {
            double v = (yy + 0.5 - (y - 4.5)) / 9.0;
            return Col(120, 80, 46) * (0.45 + 0.8 * std::sin(v * kPi)) * (0.9 + 0.2 * noise::Value(x * 0.5, yy, 335));
        });
        for (int k = 0; k < 2; ++k) {
            double sx = cx + (k ? 1 : -1) * (halfW + 7);
            StrokeSegment(L.albedo, sx, y - 9, sx, y + 9, 1.6, Col(90, 60, 36));
        }
        double ry = cy + end * 18;
        for (int k = -1; k <= 1; k += 2) {
            double rx = cx + k * 5;
            StrokeSegment(L.albedo, rx, y, rx + k * 2, ry, 1.3, Col(150, 128, 90));
        }
        // Iron cuffs at the ends of the ropes.
        for (int k = -1; k <= 1; k += 2) {
            FillDisc(L.albedo, cx + k * 7, ry, 3.0, Col(70, 68, 70));
            FillDisc(L.albedo, cx + k * 7, ry, 1.5, Col(30, 22, 20));
        }
    }
}

void Wheel(Layers& L, double cx, double cy, double r) {
    ShadowDisc(L, cx + 4, cy + 5, r, 0.55);
    auto wood = [](int x, int y) { return Col(98, 64, 38) * (0.7 + 0.5 * noise::Fbm(x * 0.6, y * 0.6, 3, 341)); };
    std::vector<Poly> rim = {CirclePoly(cx, cy, r, 64)};
    Poly hole = CirclePoly(cx, cy, r - 5, 64);
    std::reverse(hole.begin(), hole.end());
    rim.push_back(hole);
    ShadePolys(L.albedo, rim, wood);
    for (int i = 0; i < 8; ++i) {
        double a = kPi * i / 4 + 0.2;
        StrokeSegment(L.albedo, cx, cy, cx + std::cos(a) * (r - 3), cy + std::sin(a) * (r - 3), 1.8, Col(84, 54, 32));
    }
    // Iron tyre studs and hub.
    for (int i = 0; i < 16; ++i) {
        double a = kPi * i / 8;
        FillDisc(L.albedo, cx + std::cos(a) * (r - 2.5), cy + std::sin(a) * (r - 2.5), 1.1, Col(60, 58, 60));
    }
    FillDisc(L.albedo, cx, cy, 6, Col(52, 50, 52));
    FillDisc(L.albedo, cx - 1, cy - 1, 2.5, Col(96, 92, 90));
}

void Maiden(Layers& L, double cx, double cy, double angle) {
    // Coffin outline: broad at the shoulders, narrow at the feet; one door stands open on the
    // spikes inside, the other is shut under a cast face.
    auto rot = [&](double u, double v) {
        return Vec2{cx + u * std::cos(angle) - v * std::sin(angle), cy + u * std::sin(angle) + v * std::cos(angle)};
    };
    Poly body = {rot(-34, 0), rot(-22, -15), rot(20, -12), rot(32, -6), rot(32, 6), rot(20, 12), rot(-22, 15)};
    Poly shut = {rot(-34, 0), rot(-22, 0), rot(32, 0), rot(32, 6), rot(20, 12), rot(-22, 15)};
    Poly door = {rot(-22, -15), rot(20, -12), rot(22, -24), rot(-18, -32)};
    CastShadow(L, {body, door}, 5, 6, 0.65);
    ShadePolys(L.albedo, {body},
               [&](int x, int y) { return Col(46, 10, 8) * (0.7 + 0.5 * noise::Fbm(x * 0.5, y * 0.5, 2, 353)); });
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 2; ++j) {
            Vec2 p = rot(-18 + i * 7.5, -4 - j * 5.5);
            FillDisc(L.albedo, p.x, p.y, 1.1, Col(210, 204, 196));
        }
    auto iron = [&](int x, int y) { return Col(96, 92, 98) * (0.7 + 0.45 * noise::Fbm(x * 0.3, y * 0.3, 3, 351)); };
    ShadePolys(L.albedo, {shut}, iron);
    ShadePolys(L.albedo, {door}, iron);
    // Studs on both doors, spikes on the open door's inside.
    for (int i = 0; i < 6; ++i) {
        Vec2 p = rot(-16 + i * 7.5, 8.0), q = rot(-15 + i * 6.5, -20.5);
        FillDisc(L.albedo, p.x, p.y, 1.2, Col(150, 146, 140));
        FillDisc(L.albedo, q.x, q.y, 1.2, Col(210, 204, 196));
    }
    // The face: a cast bronze mask with hollow eyes and mouth.
    Vec2 f = rot(-24, 2);
    FillDisc(L.albedo, f.x, f.y, 7.0, Col(168, 132, 80));
    Vec2 e1 = rot(-26, -0.5), e2 = rot(-26, 4.5), m = rot(-20, 2);
    FillDisc(L.albedo, e1.x, e1.y, 1.4, Col(10, 8, 8));
    FillDisc(L.albedo, e2.x, e2.y, 1.4, Col(10, 8, 8));
    FillDisc(L.albedo, m.x, m.y, 1.6, Col(10, 8, 8));
}

// A chain lying from the wall across the floor: links alternating face-on and edge-on.
void Chain(Layers& L, Vec2 a, Vec2 b, double sag, bool shackle) {
    double len = std::hypot(b.x - a.x, b.y - a.y);
    int links = static_cast<int>(len / 4.2);
    double nx = -(b.y - a.y) / len, ny = (b.x - a.x) / len;
    auto at = [&](double t) {
        double s = 4.0 * t * (1.0 - t) * sag;
        return Vec2{a.x + (b.x - a.x) * t + nx * s, a.y + (b.y - a.y) * t + ny * s};
    };
    for (int i = 0; i < links; ++i) {
        Vec2 p = at(static_cast<double>(i) / links), q = at(static_cast<double>(i + 1) / links);
        if (i % 2 == 0) {
            StrokeSegment(L.albedo, p.x, p.y, q.x, q.y, 1.9, Col(46, 44, 46));
            StrokeSegment(L.albedo, p.x, p.y, q.x, q.y, 0.7, Col(18, 16, 16));
        } else {
            StrokeSegment(L.albedo, p.x, p.y, q.x, q.y, 1.1, Col(92, 90, 92));
        }
        L.shadow.At(static_cast<int>(p.x + 2), static_cast<int>(p.y + 2)) = 0.5;
    }
    FillDisc(L.albedo, a.x, a.y, 3.5, Col(40, 38, 40));
    if (shackle) {
        FillDisc(L.albedo, b.x, b.y, 5.0, Col(64, 62, 66));
        FillDisc(L.albedo, b.x, b.y, 3.0, Col(30, 24, 22));
    }
}

void Bone(Layers& L, double x0, double y0, double x1, double y1) {
    const Rgb boneCol = Col(196, 184, 156);
    StrokeSegment(L.albedo, x0, y0, x1, y1, 1.4, boneCol);
    for (Vec2 e : {Vec2{x0, y0}, Vec2{x1, y1}}) {
        double dx = (x1 - x0), dy = (y1 - y0), len = std::hypot(dx, dy);
        double nx = -dy / len * 1.4, ny = dx / len * 1.4;
        FillDisc(L.albedo, e.x + nx, e.y + ny, 1.6, boneCol);
        FillDisc(L.albedo, e.x - nx, e.y - ny, 1.6, boneCol);
    }
}

void Skull(Layers& L, double cx, double cy) {
    ShadowDisc(L, cx + 2, cy + 3, 5, 0.5);
    FillEllipse(L.albedo, cx, cy, 6.0, 7.0, Col(206, 194, 166));
    FillEllipse(L.albedo, cx - 2.3, cy + 1.0, 1.6, 1.9, Col(20, 14, 12));
    FillEllipse(L.albedo, cx + 2.3, cy + 1.0, 1.6, 1.9, Col(20, 14, 12));
    FillEllipse(L.albedo, cx, cy + 4.2, 0.9, 1.1, Col(30, 20, 18));
}

void Chair(Layers& L, double cx, double cy, double angle) {
    double ca = std::cos(angle), sa = std::sin(angle);
    auto rot = [&](double u, double v) { return Vec2{cx + u * ca - v * sa, cy + u * sa + v * ca}; };
    // A chair from above: a dark seat bristling with spikes between two arm rests, a high back;
    // each part rimmed dark so the chair's shape reads.
    Poly seat = RectPoly(cx, cy, 12, 12, angle);
    Poly back = RectPoly(rot(0, -16).x, rot(0, -16).y, 19, 4.5, angle);
    Poly arms[2] = {RectPoly(rot(-15.5, 0).x, rot(-15.5, 0).y, 3.5, 12, angle),
                    RectPoly(rot(15.5, 0).x, rot(15.5, 0).y, 3.5, 12, angle)};
    CastShadow(L, {seat, back, arms[0], arms[1]}, 5, 6, 0.6);
    ShadePolys(L.albedo, {seat},
               [](int x, int y) { return Col(58, 38, 24) * (0.7 + 0.5 * noise::Fbm(x * 0.7, y * 0.1, 3, 361)); });
    auto wood = [](int x, int y) { return Col(136, 92, 52) * (0.8 + 0.3 * noise::Value(x * 0.8, y * 0.8, 363)); };
    for (const Poly& p : {back, arms[0], arms[1]}) {
        Poly rim = p;
        Vec2 mid{0, 0};
        for (const Vec2& v : p) mid = {mid.x + v.x / p.size(), mid.y + v.y / p.size()};
        for (Vec2& v : rim)
            v = {mid.x + (v.x - mid.x) * 1.0 + (v.x > mid.x ? 1.2 : -1.2),
                 mid.y + (v.y - mid.y) + (v.y > mid.y ? 1.2 : -1.2)};
        FillPoly(L.albedo, rim, Col(14, 10, 8));
        ShadePolys(L.albedo, {p}, wood);
    }
    // Iron spikes all over the seat and along the back.
    for (int i = -2; i <= 2; ++i)
        for (int j = -2; j <= 2; ++j) {
            Vec2 p = rot(i * 4.6, j * 4.4 + 0.5);
            FillDisc(L.albedo, p.x, p.y, 1.5, Col(22, 20, 20));
            FillDisc(L.albedo, p.x - 0.3, p.y - 0.3, 0.8, Col(214, 210, 204));
        }
    for (int i = -3; i <= 3; ++i) {
        Vec2 p = rot(i * 5.0, -16);
        FillDisc(L.albedo, p.x, p.y, 1.1, Col(200, 196, 190));
    }
    // Straps on the arm rests.
    for (int s = -1; s <= 1; s += 2) {
        Vec2 p = rot(s * 15.5, 3), q = rot(s * 15.5, -5);
        StrokeSegment(L.albedo, p.x, p.y, q.x, q.y, 1.3, Col(40, 26, 16));
    }
}

void Bucket(Layers& L, double cx, double cy) {
    ShadowDisc(L, cx + 3, cy + 3, 9, 0.55);
    FillDisc(L.albedo, cx, cy, 9.5, Col(92, 62, 36));
    FillDisc(L.albedo, cx, cy, 8.0, Col(60, 60, 62));
    FillDisc(L.albedo, cx, cy, 6.8, Col(80, 54, 32));
    FillDisc(L.albedo, cx, cy, 5.8, Col(52, 14, 10));
    FillDisc(L.albedo, cx - 1.5, cy - 1.5, 1.5, Col(110, 40, 30), 0.6);
}

void Drain(Layers& L, double cx, double cy) {
    FillDisc(L.albedo, cx, cy, 10, Col(60, 56, 54));
    FillDisc(L.albedo, cx, cy, 8, Col(10, 8, 8));
    for (int i = -3; i <= 3; ++i)
        StrokeSegment(L.albedo, cx + i * 2.2, cy - 7.5, cx + i * 2.2, cy + 7.5, 0.7, Col(70, 66, 64));
}

// A gibbet cage lying on the floor: a man-shaped basket of iron hoops and bars, a skull in its
// head, the ring it once hung from.
void Cage(Layers& L, double cx, double cy, double r) {
    const double ang = 1.1, ca = std::cos(ang), sa = std::sin(ang);
    auto rot = [&](double u, double v) { return Vec2{cx + u * ca - v * sa, cy + u * sa + v * ca}; };
    auto halfWidth = [&](double u) {
        return u < -r * 0.9 ? 5.5 : (u < -r * 0.55 ? 8.5 : 8.5 - 3.0 * (u + r * 0.55) / (r * 1.55));
    };
    Poly outline;
    for (int i = 0; i <= 12; ++i) {
        double u = -r * 1.3 + 2.6 * r * i / 12.0;
        outline.push_back(rot(u, -halfWidth(u)));
    }
    for (int i = 12; i >= 0; --i) {
        double u = -r * 1.3 + 2.6 * r * i / 12.0;
        outline.push_back(rot(u, halfWidth(u)));
    }
    CastShadow(L, {outline}, 4, 5, 0.5);
    ShadePolys(L.albedo, {outline}, [](int, int) { return Col(40, 34, 30); });
    Vec2 sk = rot(-r * 1.05, 0);
    Skull(L, sk.x, sk.y);
    Bone(L, rot(-2, -3).x, rot(-2, -3).y, rot(8, 2).x, rot(8, 2).y);
    const Rgb iron = Col(92, 88, 92);
    for (int side = -1; side <= 1; side += 2)
        for (int i = 0; i < 12; ++i) {
            double u0 = -r * 1.3 + 2.6 * r * i / 12.0, u1 = -r * 1.3 + 2.6 * r * (i + 1) / 12.0;
            Vec2 p = rot(u0, side * halfWidth(u0)), q = rot(u1, side * halfWidth(u1));
            StrokeSegment(L.albedo, p.x, p.y, q.x, q.y, 1.2, iron);
        }
    for (double v = -4.0; v <= 4.0; v += 4.0) {
        Vec2 p = rot(-r * 1.25, v * 0.6), q = rot(r * 1.25, v * 0.3);
        StrokeSegment(L.albedo, p.x, p.y, q.x, q.y, 0.7, iron);
    }
    for (int i = 1; i < 6; ++i) {
        double u = -r * 1.3 + 2.6 * r * i / 6.0;
        Vec2 p = rot(u, -halfWidth(u)), q = rot(u, halfWidth(u));
        StrokeSegment(L.albedo, p.x, p.y, q.x, q.y, 0.9, iron);
    }
    Vec2 ring = rot(-r * 1.3 - 3.5, 0);
    FillDisc(L.albedo, ring.x, ring.y, 3.2, iron);
    FillDisc(L.albedo, ring.x, ring.y, 1.8, Col(30, 26, 24));
}

// A bench of instruments: pincers, a knife, a saw and a brand.
void ToolTable(Layers& L, double cx, double cy, double angle) {
    double ca = std::cos(angle), sa = std::sin(angle);
    auto rot = [&](double u, double v) { return Vec2{cx + u * ca - v * sa, cy + u * sa + v * ca}; };
    Poly top = RectPoly(cx, cy, 22, 12, angle);
    CastShadow(L, {top}, 5, 6, 0.6);
    ShadePolys(L.albedo, {top},
               [](int x, int y) { return Col(92, 62, 38) * (0.7 + 0.45 * noise::Fbm(x * 0.9, y * 0.12, 3, 371)); });
    const Rgb steel = Col(150, 148, 150), dark = Col(40, 36, 36);
    auto line = [&](double u0, double v0, double u1, double v1, double hw, Rgb c) {
        Vec2 a = rot(u0, v0), b = rot(u1, v1);
        StrokeSegment(L.albedo, a.x, a.y, b.x, b.y, hw, c);
    };
    line(-17, -7, -7, 1, 0.8, steel);  // pincers
    line(-17, -3, -7, -7, 0.8, steel);
    line(-4, -7, 6, -7, 1.0, steel);  // knife
    line(6, -7, 10, -7, 1.3, dark);
    line(-4, 4, 10, 4, 2.0, steel);  // saw blade
    line(10, 4, 15, 4, 1.6, dark);
    line(13, -8, 18, 7, 1.0, dark);  // branding iron
    Vec2 brand = rot(18.5, 8.5);
    FillDisc(L.albedo, brand.x, brand.y, 2.0, Col(70, 40, 30));
}

void Rat(Layers& L, double cx, double cy, double angle) {
    double ca = std::cos(angle), sa = std::sin(angle);
    auto rot = [&](double u, double v) { return Vec2{cx + u * ca - v * sa, cy + u * sa + v * ca}; };
    Vec2 t0 = rot(-4, 0), t1 = rot(-9, 1.5), t2 = rot(-13, -0.5);
    StrokeSegment(L.albedo, t0.x, t0.y, t1.x, t1.y, 0.5, Col(110, 90, 86));
    StrokeSegment(L.albedo, t1.x, t1.y, t2.x, t2.y, 0.4, Col(110, 90, 86));
    ShadePolys(L.albedo, {RectPoly(cx, cy, 4.5, 2.3, angle)}, [](int, int) { return Col(66, 58, 54); });
    Vec2 h = rot(4.5, 0);
    FillEllipse(L.albedo, h.x, h.y, 1.8, 1.8, Col(72, 64, 60));
}

// Loose straw scattered where prisoners were kept.
void Straw(Layers& L, double cx, double cy, double r, uint64_t seed) {
    Rng rng(seed);
    for (int i = 0; i < 90; ++i) {
        double a = rng.Range(0, 2 * kPi), d = r * std::sqrt(rng.Uniform());
        double x = cx + std::cos(a) * d, y = cy + std::sin(a) * d * 0.7;
        double dir = rng.Range(0, kPi), len = rng.Range(3, 8);
        Rgb c = Mix(Col(150, 120, 60), Col(96, 78, 40), rng.Uniform());
        StrokeSegment(L.albedo, x, y, x + std::cos(dir) * len, y + std::sin(dir) * len, 0.45, c, 0.85);
    }
}

}  // namespace

// A dark rim round everything drawn since `before`, so each piece stands out from the floor.
void Outline(Layers& L, const Canvas& before) {
    const int w = L.albedo.Width(), h = L.albedo.Height();
    std::vector<uint8_t> drawn(static_cast<size_t>(w) * h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            Rgb d = L.albedo.At(x, y) - before.At(x, y);
            drawn[static_cast<size_t>(y) * w + x] = std::fabs(d.r) + std::fabs(d.g) + std::fabs(d.b) > 0.03;
        }
    for (int y = 1; y < h - 1; ++y)
        for (int x = 1; x < w - 1; ++x) {
            if (drawn[static_cast<size_t>(y) * w + x]) continue;
            int near = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) near += drawn[static_cast<size_t>(y + dy) * w + x + dx];
            if (near) L.albedo.At(x, y) = L.albedo.At(x, y) * (near > 2 ? 0.12 : 0.3);
        }
}

void DrawProps(Layers& L, std::vector<Light>& lights) {
    const Canvas before = L.albedo;
    Drain(L, 338, 330);
    Rack(L, 172, 262);
    Chain(L, {kCx - (kFloorR + 6) * std::cos(0.28), kCy - (kFloorR + 6) * std::sin(0.28)}, {158, 209}, 8, false);
    Chain(L, {kCx - (kFloorR + 6) * std::cos(-0.28), kCy - (kFloorR + 6) * std::sin(-0.28)}, {158, 315}, -8, false);
    Wheel(L, 190, 398, 29);
    Maiden(L, 204, 118, 0.75);
    Chair(L, 410, 108, 0.45);
    Chain(L, {kCx + (kFloorR + 6) * std::cos(-0.75), kCy + (kFloorR + 6) * std::sin(-0.75)}, {470, 166}, 10, true);
    Chain(L, {kCx + (kFloorR + 6) * std::cos(2.3), kCy + (kFloorR + 6) * std::sin(2.3)}, {208, 352}, -6, true);
    Bucket(L, 236, 206);
    Cage(L, 488, 232, 15);
    ToolTable(L, 262, 158, -0.25);
    Rat(L, 140, 372, 0.9);
    Rat(L, 452, 418, -2.4);
    Skull(L, 244, 330);
    Bone(L, 318, 178, 334, 170);
    Bone(L, 326, 186, 316, 196);
    Bone(L, 256, 344, 266, 352);
    Brazier(L, lights, 282, 258, 21, 1.5, true);
    Brazier(L, lights, 428, 374, 12, 1.0, false);
    const double torches[] = {-160, 160, -60, -115, 120, -8};
    uint32_t seed = 401;
    for (double a : torches) Torch(L, lights, a, seed++);
    Outline(L, before);
    for (double a : torches) Soot(L, a);
    Straw(L, 146, 350, 16, 381);
    Straw(L, 436, 432, 14, 383);
}

}  // namespace scene
