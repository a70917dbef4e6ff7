// The five cell doors and hatches: where they sit, their resource ids, and how each frame looks.
#include "Doors.h"

#include <algorithm>
#include <cmath>

#include "Cells.h"
#include "Noise.h"

namespace doors {
namespace {

using scene::kPi;

constexpr double kDeg = kPi / 180.0;

const DoorSpec kDoors[5] = {
    {"top", 244, 0, 131, 152, 12, Kind::Wall, 278, 30, 1, 0, 0, 1, 64, 25, 12, 96 * kDeg, 262, 30, 358, 46},
    {"right", 524, 46, 116, 243, 13, Kind::Wall, 590, 134, 0, 1, -1, 0, 62, 32, 12, 92 * kDeg, 500, 118, 590, 210},
    {"middle", 358, 156, 104, 182, 13, Kind::Hatch, 370, 250, 1, 0, 0, 1, 80, 76, 6, 176 * kDeg, 0, 0, 0, 0},
    {"floor", 240, 359, 166, 121, 13, Kind::Hatch, 263, 419, 1, 0, 0, 1, 120, 47, 5, 176 * kDeg, 0, 0, 0, 0},
    {"lower", 456, 239, 101, 158, 13, Kind::Wall, 520, 292, 0, 1, -1, 0, 58, 28, 12, 92 * kDeg, 0, 0, 0, 0},
};

// Frame ids of each door, in frame order.
const int kIds[5][13] = {
    {758, 748, 749, 750, 751, 752, 753, 754, 755, 756, 757, 747, 0},
    {788, 781, 782, 783, 784, 785, 786, 787, 776, 777, 778, 779, 780},
    {811, 820, 821, 822, 823, 824, 825, 826, 827, 828, 829, 830, 831},
    {832, 833, 834, 835, 836, 857, 838, 839, 840, 841, 842, 843, 844},
    {845, 846, 847, 848, 849, 850, 851, 852, 853, 854, 855, 856, 837},
};

const Rgb kCellLight = Col(255, 150, 64);

struct Local {
    double s, t;  // along the doorway, into the chamber
};

Local ToLocal(const DoorSpec& d, double x, double y) {
    double dx = x - d.hx, dy = y - d.hy;
    return {dx * d.ux + dy * d.uy, dx * d.nx + dy * d.ny};
}

Vec2 ToWorld(const DoorSpec& d, double s, double t) { return {d.hx + s * d.ux + t * d.nx, d.hy + s * d.uy + t * d.ny}; }

Poly LocalPoly(const DoorSpec& d, std::initializer_list<Local> pts) {
    Poly p;
    for (const Local& l : pts) p.push_back(ToWorld(d, l.s, l.t));
    return p;
}

// 0 at the rectangle's inner edges, 1 from `margin` inside; picture borders need no fade.
double EdgeFade(const DoorSpec& d, double x, double y, double margin) {
    double f = 1.0;
    if (d.rx > 0) f = std::min(f, noise::Smooth(d.rx, d.rx + margin, x));
    if (d.ry > 0) f = std::min(f, noise::Smooth(d.ry, d.ry + margin, y));
    if (d.rx + d.rw < scene::kWidth) f = std::min(f, noise::Smooth(d.rx + d.rw, d.rx + d.rw - margin, x));
    if (d.ry + d.rh < scene::kHeight) f = std::min(f, noise::Smooth(d.ry + d.rh, d.ry + d.rh - margin, y));
    return f;
}

Rgb Oak(double along, double across, uint32_t seed) {
    int plank = static_cast<int>(std::floor(across / 7.0));
    double tone = 0.8 + 0.35 * noise::Hash01(plank, 3, seed);
    double grain = 0.75 + 0.5 * noise::Fbm(along * 0.08, across * 0.9 + plank * 13.0, 3, seed + 1);
    Rgb c = Col(88, 58, 36) * (tone * grain);
    double seam = across / 7.0 - std::floor(across / 7.0);
    if (seam < 0.12) c = c * 0.45;
    return c;
}

Rgb Iron(double u, double v, uint32_t seed) {
    double n = 0.75 + 0.4 * noise::Fbm(u * 0.3, v * 0.3, 3, seed);
    Rgb c = Col(62, 60, 64) * n;
    double rust = noise::Fbm(u * 0.12, v * 0.12, 3, seed + 5);
    if (rust > 0.6) c = Mix(c, Col(90, 50, 30), std::min(1.0, (rust - 0.6) * 4.0) * 0.45);
    return c;
}

void DrawWallBay(scene::Layers& L, const DoorSpec& d) {
    const double w = d.width, dep = d.depth;
    // Passage floor behind the door, in the dark until the door opens.
    ShadePolys(L.albedo, {LocalPoly(d, {{0, 0}, {w, 0}, {w, -dep - 2}, {0, -dep - 2}})}, [&](int x, int y) {
        Local l = ToLocal(d, x + 0.5, y + 0.5);
        (void)l;
        double n = 0.7 + 0.5 * noise::Fbm(x * 0.3, y * 0.3, 3, 201);
        noise::CellHit h = noise::Cells(x + 0.5, y + 0.5, 9.0, 203);
        double joint = 0.5 + 0.5 * noise::Smooth(0.3, 1.4, h.d2 - h.d1);
        return Col(78, 72, 66) * (n * joint * (0.85 + 0.3 * ((h.id & 255) / 255.0)));
    });
    // A narrow passage under the wall: only a little of the chamber's light gets in.
    CoverageBox passage = Rasterize({LocalPoly(d, {{0, -d.thick}, {w, -d.thick}, {w, -dep - 2}, {0, -dep - 2}})},
                                    scene::kWidth, scene::kHeight);
    for (int y = passage.y0; y < passage.y0 + passage.h; ++y)
        for (int x = passage.x0; x < passage.x0 + passage.w; ++x)
            L.shadow.At(x, y) = std::max(L.shadow.Get(x, y), std::min(1.0, passage.At(x, y)));
    // Jambs: dressed stones either side of the doorway, standing a little proud of the wall.
    for (int side = 0; side < 2; ++side) {
        double s0 = side == 0 ? -10.0 : w, s1 = side == 0 ? 0.0 : w + 10.0;
        ShadePolys(L.albedo, {LocalPoly(d, {{s0, 5}, {s1, 5}, {s1, -dep - 4}, {s0, -dep - 4}})}, [&](int x, int y) {
            Local l = ToLocal(d, x + 0.5, y + 0.5);
            double edge = std::min({l.s - s0, s1 - l.s, 5 - l.t, l.t + dep + 4});
            double block = std::floor((l.t + dep + 4) / 9.0);
            double tone = 0.85 + 0.25 * noise::Hash01(side, static_cast<int32_t>(block), 211);
            Rgb c = Col(112, 108, 104) * tone * (0.8 + 0.3 * noise::Fbm(x * 0.4, y * 0.4, 2, 213));
            double joint = (l.t + dep + 4) / 9.0 - block;
            if (joint < 0.1) c = c * 0.5;
            return c * (0.65 + 0.35 * noise::Smooth(0.0, 2.5, edge));
        });
    }
    // Threshold stone along the face.
    ShadePolys(L.albedo, {LocalPoly(d, {{0, 0}, {w, 0}, {w, 4}, {0, 4}})},
               [&](int x, int y) { return Col(100, 94, 88) * (0.8 + 0.3 * noise::Fbm(x * 0.5, y * 0.5, 2, 217)); });
}

void DrawHatchBay(scene::Layers& L, const DoorSpec& d) {
    const double x0 = d.hx, y0 = d.hy, x1 = d.hx + d.width, y1 = d.hy + d.depth, m = 6.0;
    Poly outer = {{x0 - m, y0 - m}, {x1 + m, y0 - m}, {x1 + m, y1 + m}, {x0 - m, y1 + m}};
    Poly inner = {{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}};  // reversed: a hole
    ShadePolys(L.albedo, {outer, inner}, [&](int x, int y) {
        double px = x + 0.5, py = y + 0.5;
        double edge = std::min({px - (x0 - m), (x1 + m) - px, py - (y0 - m), (y1 + m) - py});
        double inEdge = std::min({std::fabs(px - x0), std::fabs(px - x1), std::fabs(py - y0), std::fabs(py - y1)});
        Rgb c = Col(126, 118, 108) * (0.75 + 0.35 * noise::Fbm(px * 0.35, py * 0.35, 3, 221));
        c = c * (0.6 + 0.4 * noise::Smooth(0.0, 2.0, edge)) * (0.7 + 0.3 * noise::Smooth(0.0, 2.0, inEdge));
        return c;
    });
    // Shade of the raised frame on the floor.
    for (int y = static_cast<int>(y0 - m - 4); y < static_cast<int>(y1 + m + 6); ++y)
        for (int x = static_cast<int>(x0 - m - 4); x < static_cast<int>(x1 + m + 6); ++x) {
            double px = x + 0.5, py = y + 0.5;
            bool onFrame = px > x0 - m && px < x1 + m && py > y0 - m && py < y1 + m;
            if (onFrame || x < 0 || y < 0 || x >= scene::kWidth || y >= scene::kHeight) continue;
            double dx = std::max({x0 - m - px, px - (x1 + m), 0.0}), dy = std::max({y0 - m - py, py - (y1 + m), 0.0});
            double dist = std::hypot(dx, dy);
            L.shadow.At(x, y) = std::max(L.shadow.Get(x, y), 0.5 * noise::Smooth(5.0, 0.0, dist));
        }
}

// Fraction of the cell's light source (a bar of light deep in the cell) that point p sees
// through the doorway past the leaf: the openings and the leaf are projected from p onto the
// source line, so the penumbrae come out exact and smooth.
double FanVisibility(const DoorSpec& d, double angle, double px, double py) {
    Local p = ToLocal(d, px, py);
    if (p.t <= 0.0) return 0.0;
    const double w = d.width, dep = d.depth, ts = -dep - 26.0;
    const double src0 = w * 0.1, src1 = w * 0.9;
    // Where the line from p through (s, t) meets the source line.
    auto project = [&](double s, double t) { return p.s + (s - p.s) * (ts - p.t) / (t - p.t); };
    double lo = src0, hi = src1;
    for (double t : {0.0, -dep}) {
        double a = project(0.0, t), b = project(w, t);
        lo = std::max(lo, std::min(a, b));
        hi = std::min(hi, std::max(a, b));
    }
    if (hi <= lo) return 0.0;
    double seen = hi - lo;
    // The leaf, from the hinge to its tip; only the part nearer the wall than p can shade it.
    double tipS = w * std::cos(angle), tipT = w * std::sin(angle);
    double k = 1.0;
    if (tipT > p.t - 1e-9) k = tipT > 1e-9 ? std::max(0.0, (p.t - 1e-6) / tipT) : 1.0;
    if (k > 0.0) {
        double a = project(0.0, 0.0), b = project(tipS * k, tipT * k);
        if (tipT < 1e-9) b = project(tipS, -1e-6);
        double olo = std::max(lo, std::min(a, b)), ohi = std::min(hi, std::max(a, b));
        if (ohi > olo) seen -= ohi - olo;
    }
    return std::max(0.0, seen) / (src1 - src0);
}

void DrawWallFrame(scene::Layers& L, const DoorSpec& d, int frame) {
    const double open = Openness(d, frame), angle = d.maxAngle * open;
    const double w = d.width, dep = d.depth, th = d.thick;
    // A thread of the cell's light leaks under the door onto the floor in front of it.
    for (int y = d.ry; y < d.ry + d.rh; ++y)
        for (int x = d.rx; x < d.rx + d.rw; ++x) {
            Local l = ToLocal(d, x + 0.5, y + 0.5);
            if (l.t <= 0.0 || l.t > 10.0 || l.s < 2.0 || l.s > w - 2.0 || L.ground.Get(x, y) <= 0.0) continue;
            double leak = 0.45 * std::exp(-l.t / 2.5) * noise::Smooth(2.0, 8.0, std::min(l.s, w - l.s)) * (1.0 - open);
            L.light.At(x, y) = L.light.At(x, y) + kCellLight * leak;
        }
    // Behind the shut leaf the cell lies in the dark.
    for (int y = d.ry; y < d.ry + d.rh; ++y)
        for (int x = d.rx; x < d.rx + d.rw; ++x) {
            Local l = ToLocal(d, x + 0.5, y + 0.5);
            if (l.t < -th * 0.5 && l.t > -dep - 2 && l.s > 0 && l.s < w) L.light.At(x, y) = L.light.At(x, y) * 0.12;
        }
    if (frame > 0) {
        const double back = -dep - 2;
        cells::DrawOccupants(L.albedo, static_cast<int>(&d - kDoors),
                             {ToWorld(d, 0, back), {d.ux, d.uy}, {d.nx, d.ny}, w, dep + 2});
        // The cell's light: glow in the passage and a fan spilling onto the floor.
        for (int y = d.ry; y < d.ry + d.rh; ++y)
            for (int x = d.rx; x < d.rx + d.rw; ++x) {
                double px = x + 0.5, py = y + 0.5;
                Local l = ToLocal(d, px, py);
                double fade = EdgeFade(d, px, py, 12.0);
                if (l.t <= 0.0 && l.t > -dep - 2 && l.s > 0 && l.s < w) {
                    // The passage is lit from the cell; the leaf still hides part of it early on.
                    double g = std::min(1.0, open * 2.5) * (0.7 + 0.3 * noise::Smooth(0.0, -dep, l.t));
                    L.emit.At(x, y) = L.emit.At(x, y) + kCellLight * (0.04 * g * fade);
                    L.light.At(x, y) = L.light.At(x, y) + kCellLight * (1.5 * g * fade);
                    continue;
                }
                if (L.ground.Get(x, y) <= 0.0) continue;
                double vis = FanVisibility(d, angle, px, py);
                if (vis <= 0.0) continue;
                double dist = std::hypot(l.s - w * 0.5, l.t + dep);
                double k = 1.0 / (1.0 + std::pow(dist / 70.0, 2.0));
                L.light.At(x, y) = L.light.At(x, y) + kCellLight * (2.6 * vis * k * fade);
            }
    }
    // The leaf seen from above: a heavy oak plank with iron straps, turning about its hinge.
    double ca = std::cos(angle), sa = std::sin(angle);
    auto leafPoint = [&](double along, double across) -> Local {
        return {along * ca + across * sa, along * sa - across * ca};
    };
    Local p0 = leafPoint(0, 0), p1 = leafPoint(w, 0), p2 = leafPoint(w, th), p3 = leafPoint(0, th);
    Poly leaf = LocalPoly(d, {p0, p1, p2, p3});
    if (frame > 0) {
        // Contact shade of the leaf on the floor.
        Poly shade = leaf;
        for (Vec2& v : shade) {
            v.x += 2.5;
            v.y += 3.5;
        }
        CoverageBox box = Rasterize({shade}, scene::kWidth, scene::kHeight);
        for (int y = box.y0; y < box.y0 + box.h; ++y)
            for (int x = box.x0; x < box.x0 + box.w; ++x)
                L.light.At(x, y) = L.light.At(x, y) * (1.0 - 0.55 * std::min(1.0, box.At(x, y)));
    }
    ShadePolys(L.albedo, {leaf}, [&](int x, int y) {
        Local l = ToLocal(d, x + 0.5, y + 0.5);
        double along = l.s * ca + l.t * sa, across = l.s * sa - l.t * ca;
        // Two layers of oak planks (the seam between them runs down the middle of the edge),
        // iron straps round both, a dark rim: the same heavy leaf at every angle.
        Rgb c = Oak(along, across * 1.15 + 30.0, 231) * 1.1;
        double strap = std::fmod(along + 4.0, 19.0);
        if (strap < 4.0) c = Iron(along, across, 233) * (strap < 1.0 || strap > 3.0 ? 0.7 : 1.2);
        if (along > w - 8.0 && along < w - 3.0 && across > 3.0 && across < th - 3.0) c = Col(150, 140, 120);  // latch
        double edge = std::min({along, w - along, across, th - across});
        c = c * (0.55 + 0.45 * noise::Smooth(0.0, 2.0, edge));
        return edge < 0.9 ? Col(16, 10, 6) : c;
    });
    // Hinge pin.
    Vec2 hinge = ToWorld(d, p0.s, p0.t);
    FillDisc(L.albedo, hinge.x, hinge.y, 3.2, Col(40, 38, 40));
    FillDisc(L.albedo, hinge.x - 0.6, hinge.y - 0.6, 1.4, Col(110, 106, 104));
}

// Raised things are drawn with a slight lean (a point at height z shows kLean * z higher up the
// picture), so a lid that lifts is seen to move from its first step on, and shows its edge.
constexpr double kLean = 0.5;

void DrawHatchFrame(scene::Layers& L, const DoorSpec& d, int frame, bool ironLid) {
    const double open = Openness(d, frame), psi = d.maxAngle * open;
    const double x0 = d.hx, y0 = d.hy, w = d.width, dep = d.depth, th = d.thick;
    const double c = std::cos(psi), sn = std::sin(psi);
    // Picture y of a point of the lid `v` along it from the hinge, `o` off its top face.
    auto lidY = [&](double v, double o) { return y0 + v * c - o * sn - kLean * (v * sn + o * c); };
    // Light from below shows through the cracks round the lid while it is (nearly) shut.
    for (int y = static_cast<int>(y0) - 3; y < static_cast<int>(y0 + dep) + 3; ++y)
        for (int x = static_cast<int>(x0) - 3; x < static_cast<int>(x0 + w) + 3; ++x) {
            double px = x + 0.5, py = y + 0.5;
            double ex = std::min(std::fabs(px - x0), std::fabs(px - x0 - w)),
                   ey = std::min(std::fabs(py - y0), std::fabs(py - y0 - dep));
            bool alongX = px > x0 && px<x0 + w, alongY = py> y0 && py < y0 + dep;
            double e = std::min(alongY ? ex : 1e9, alongX ? ey : 1e9);
            if (e > 3.0) continue;
            double leak = 0.5 * std::exp(-e / 1.2) * (1.0 - std::min(1.0, open * 3.0));
            L.light.At(x, y) = L.light.At(x, y) + kCellLight * leak;
        }
    // The face that is seen: the top while it tilts towards the viewer, then the underside.
    const bool underside = c - kLean * sn < 0.0;
    const double faceNear = lidY(0, underside ? -th : 0), faceFar = lidY(dep, underside ? -th : 0);
    const double edgeFar = lidY(dep, underside ? 0 : -th);
    // The chamber's light on the lid's top face, kept before the pit's own light replaces it.
    const int bx0 = static_cast<int>(x0), by0 = static_cast<int>(y0), bw = static_cast<int>(w) + 1,
              bh = static_cast<int>(dep) + 1;
    Canvas above = L.light.Crop(bx0, by0, bw, bh);
    if (frame > 0) {
        double covered = std::clamp(std::max(faceFar, edgeFar) - y0, 0.0, dep);
        double seen = 1.0 - covered / dep;
        // The pit: brick shaft walls narrowing to its floor far below, lit from inside.
        const double in = 0.17;
        const double lit = std::min(1.0, open * 2.5);
        for (int y = static_cast<int>(y0); y < static_cast<int>(y0 + dep); ++y)
            for (int x = static_cast<int>(x0); x < static_cast<int>(x0 + w); ++x) {
                double px = x + 0.5, py = y + 0.5;
                double u = (px - x0) / w, v = (py - y0) / dep;
                double depth = std::min({u, 1 - u, v, 1 - v}) / in;  // 0 at rim, 1 at the bottom
                Rgb col;
                double glow;
                if (depth < 1.0) {
                    bool side = std::min(u, 1 - u) < std::min(v, 1 - v);
                    double along = side ? v * dep : u * w;
                    double course = depth * 6.0;
                    double brick = along / 9.0 + (static_cast<int>(course) % 2) * 0.5;
                    double jc = course - std::floor(course), jb = brick - std::floor(brick);
                    col = Col(78, 68, 60) * (0.7 + 0.5 * noise::Fbm(px * 0.4, py * 0.4, 3, 241));
                    if (jc < 0.14 || jb < 0.08) col = col * 0.45;
                    glow = 0.04 + 0.75 * std::pow(depth, 2.2);
                } else {
                    double straw = noise::Fbm(px * 0.9, py * 0.25, 3, 243);
                    col = Mix(Col(46, 36, 26), Col(110, 86, 48), noise::Smooth(0.4, 0.75, straw));
                    double bu = (u - in) / (1 - 2 * in), bv = (v - in) / (1 - 2 * in);
                    double lamp = std::hypot(bu - 0.85, bv - 0.2);
                    glow = 0.3 + 0.8 * std::exp(-lamp * lamp * 3.0);
                    L.emit.At(x, y) =
                        L.emit.At(x, y) + Col(255, 200, 110) * (1.2 * lit * std::exp(-lamp * lamp * 300.0));
                }
                L.albedo.At(x, y) = col;
                L.light.At(x, y) = Col(14, 12, 14) + kCellLight * (1.9 * glow * lit);
            }
        int door = static_cast<int>(&d - kDoors);
        cells::DrawOccupants(L.albedo, door,
                             {{x0 + in * w, y0 + in * dep}, {1, 0}, {0, 1}, w * (1 - 2 * in), dep * (1 - 2 * in)});
        // Light thrown up out of the pit onto the floor around it.
        for (int y = d.ry; y < d.ry + d.rh; ++y)
            for (int x = d.rx; x < d.rx + d.rw; ++x) {
                double px = x + 0.5, py = y + 0.5;
                if (px >= x0 && px < x0 + w && py >= y0 && py < y0 + dep) continue;
                double dx = std::max({x0 - px, px - (x0 + w), 0.0}), dy = std::max({y0 - py, py - (y0 + dep), 0.0});
                double dist = std::hypot(dx, dy);
                double k = 1.0 / (1.0 + std::pow(dist / 26.0, 2.0));
                // The raised lid holds the light back on its own side.
                double lidShade = (py < y0) ? 1.0 - 0.7 * std::max(0.0, sn) * (c > 0 ? 1.0 : 0.6) : 1.0;
                double fade = EdgeFade(d, px, py, 10.0);
                L.light.At(x, y) = L.light.At(x, y) + kCellLight * (1.4 * seen * k * lidShade * fade);
            }
    }
    // The lid's far edge (its thickness), then the face that is seen over it.
    const Rgb edgeCol = ironLid ? Col(46, 44, 48) : Col(70, 44, 24);
    if (frame > 0 && std::fabs(edgeFar - faceFar) > 0.3)
        FillPoly(L.albedo,
                 {{x0, std::min(faceFar, edgeFar)},
                  {x0 + w, std::min(faceFar, edgeFar)},
                  {x0 + w, std::max(faceFar, edgeFar)},
                  {x0, std::max(faceFar, edgeFar)}},
                 edgeCol);
    const double top = std::min(faceNear, faceFar), bottom = std::max(faceNear, faceFar);
    Poly lid = {{x0, top}, {x0 + w, top}, {x0 + w, bottom}, {x0, bottom}};
    if (bottom - top > 0.05) {
        const double span = faceFar - faceNear;
        ShadePolys(L.albedo, {lid}, [&](int x, int y) {
            double px = x + 0.5, py = y + 0.5;
            double lu = px - x0, lv = std::clamp((py - faceNear) / span, 0.0, 1.0) * dep;
            double ex = std::min({lu, w - lu, lv, dep - lv});
            Rgb col;
            if (ironLid) {
                // Iron both sides: riveted plates with a ring on top; flanges and a cross brace beneath.
                col = Iron(lu, lv, underside ? 257 : 253) * (underside ? 0.8 : 1.05);
                bool rivet = ex > 2.5 && ex < 6.0 && std::fmod(lu + lv, 10.0) < 2.2;
                if (rivet) col = col * 1.5;
                if (std::fmod(lu, w / 2.0) < 1.2) col = col * 0.5;
                if (!underside && std::fabs(std::hypot(lu - w * 0.5, lv - dep * 0.62) - 7.0) < 1.5)
                    col = Col(150, 146, 140);
                if (underside) {
                    double brace = std::min(std::fabs(lu / w - lv / dep), std::fabs(lu / w - (1.0 - lv / dep))) * w;
                    if (brace < 3.0 || ex < 5.0)
                        col = Iron(lu, lv, 259) * (brace < 1.0 || std::fabs(ex - 5.0) < 1.0 ? 0.55 : 1.0);
                }
            } else if (underside) {
                // Rough planks held by two battens and a brace.
                col = Oak(lv, lu, 251) * 0.8;
                double b1 = std::fabs(lv - dep * 0.22), b2 = std::fabs(lv - dep * 0.78);
                double brace = std::fabs((lv - dep * 0.22) / (dep * 0.56) - lu / w) * w;
                bool onBrace = lv > dep * 0.22 && lv < dep * 0.78 && brace < 3.5;
                if (b1 < 4.0 || b2 < 4.0 || onBrace) col = Oak(lu, lv, 255) * 0.95;
                if ((b1 < 4.5 && b1 > 3.5) || (b2 < 4.5 && b2 > 3.5)) col = col * 0.5;
            } else {
                col = Oak(lv, lu, 263);
                double strap = std::fmod(lv + 6.0, dep / 2.0);
                if (strap < 5.0) col = Iron(lu, lv, 265) * (strap < 1.0 ? 0.6 : 1.0);
            }
            col = col * (0.6 + 0.4 * noise::Smooth(0.0, 2.0, ex));
            return ex < 0.8 ? Col(14, 10, 8) : col;
        });
        // The lid tilts away from the light above; its underside faces the glowing pit.
        CoverageBox box = Rasterize({lid}, scene::kWidth, scene::kHeight);
        for (int y = box.y0; y < box.y0 + box.h; ++y)
            for (int x = box.x0; x < box.x0 + box.w; ++x) {
                double a = std::min(1.0, box.At(x, y));
                if (a <= 0.0 || frame == 0) continue;
                Rgb& l = L.light.At(x, y);
                if (!underside && x >= bx0 && y >= by0 && x < bx0 + bw && y < by0 + bh) l = above.At(x - bx0, y - by0);
                Rgb want = underside ? l * 0.6 + kCellLight * (0.9 * (1.0 - 0.5 * std::fabs(c)))
                                     : l * (0.45 + 0.55 * std::max(0.0, c)) + kCellLight * (0.5 * (1.0 - c));
                l = Mix(l, want, a);
            }
    }
}

}  // namespace

int Count() { return 5; }

const DoorSpec& Spec(int door) { return kDoors[door]; }

int ResourceId(int door, int frame) { return kIds[door][frame]; }

double Openness(const DoorSpec& d, int frame) {
    // Mostly even steps, a little easing: every 200 ms step must visibly move.
    double t = static_cast<double>(frame) / (d.frames - 1);
    double eased = 0.5 - 0.5 * std::cos(kPi * t);
    return 0.75 * t + 0.25 * eased;
}

void DrawBay(scene::Layers& layers, const DoorSpec& d) {
    if (d.kind == Kind::Wall) DrawWallBay(layers, d);
    else DrawHatchBay(layers, d);
}

void DrawFrame(scene::Layers& layers, const DoorSpec& d, int frame) {
    if (d.kind == Kind::Wall) DrawWallFrame(layers, d, frame);
    else DrawHatchFrame(layers, d, frame, &d == &kDoors[2]);
}

}  // namespace doors
