// The chamber picture: flagstone floor, the ring wall, its door bays and the light of the fires.
#include <algorithm>
#include <cmath>

#include "Doors.h"
#include "Noise.h"
#include "Scene.h"

namespace scene {
namespace {

enum Region : uint8_t { kRock = 0, kWall = 1, kFloor = 2 };

// Buttress that juts out of the wall at the lower right and houses the lower cell.
constexpr double kButX0 = 520.0, kButY0 = 270.0, kButX1 = 640.0, kButY1 = 374.0;

Region Classify(int x, int y) {
    double px = x + 0.5, py = y + 0.5;
    double r = std::hypot(px - kCx, py - kCy);
    if (px >= kButX0 && px < kButX1 && py >= kButY0 && py < kButY1 && r < kWallR + 20) return kWall;
    if (r < kFloorR) return kFloor;
    for (int i = 0; i < doors::Count(); ++i) {
        const doors::DoorSpec& d = doors::Spec(i);
        if (d.bayX1 > d.bayX0 && px >= d.bayX0 && px < d.bayX1 && py >= d.bayY0 && py < d.bayY1) return kFloor;
    }
    return r < kWallR ? kWall : kRock;
}

// Two-pass chamfer distance (in pixels) to the nearest pixel where `inside` is false.
std::vector<double> Distance(const std::vector<uint8_t>& inside, int w, int h) {
    const double big = 1e6, d1 = 1.0, d2 = 1.41421356;
    std::vector<double> d(inside.size());
    for (size_t i = 0; i < d.size(); ++i) d[i] = inside[i] ? big : 0.0;
    auto at = [&](int x, int y) -> double& { return d[static_cast<size_t>(y) * w + x]; };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double& v = at(x, y);
            if (x > 0) v = std::min(v, at(x - 1, y) + d1);
            if (y > 0) v = std::min(v, at(x, y - 1) + d1);
            if (x > 0 && y > 0) v = std::min(v, at(x - 1, y - 1) + d2);
            if (x + 1 < w && y > 0) v = std::min(v, at(x + 1, y - 1) + d2);
        }
    for (int y = h - 1; y >= 0; --y)
        for (int x = w - 1; x >= 0; --x) {
            double& v = at(x, y);
            if (x + 1 < w) v = std::min(v, at(x + 1, y) + d1);
            if (y + 1 < h) v = std::min(v, at(x, y + 1) + d1);
            if (x + 1 < w && y + 1 < h) v = std::min(v, at(x + 1, y + 1) + d2);
            if (x > 0 && y + 1 < h) v = std::min(v, at(x - 1, y + 1) + d2);
        }
    return d;
}

// Concentric rings of flagstones around the centre, a round slab in the middle.
Rgb FloorAt(double px, double py) {
    double wob = noise::Fbm(px * 0.05, py * 0.05, 2, 11) - 0.5;
    double r = std::hypot(px - kCx, py - kCy) + wob * 5.0;
    double a = std::atan2(py - kCy, px - kCx) + kPi;
    // Rings of different widths; along each ring stones of different lengths.
    const double centre = 34.0, widths[] = {26, 36, 30, 40, 28, 34, 38, 30};
    int ring = -1;
    double edgeDist = centre - r, stoneKey = 0, r0 = centre;
    if (r >= centre) {
        ring = 0;
        while (ring < 7 && r >= r0 + widths[ring]) r0 += widths[ring++];
        double ringW = widths[ring], rMid = r0 + ringW * 0.5;
        int count = std::max(6, static_cast<int>(2.0 * kPi * rMid / 40.0));
        double shift = noise::Hash01(ring, 7, 3);
        double t = a / (2.0 * kPi) * count + shift + wob * 0.15;
        // Warp the stone index so neighbouring stones differ in length.
        t += 0.35 * std::sin(t * 1.7 + ring) + 0.2 * std::sin(t * 3.1 + 2.0 * ring);
        double ft = t - std::floor(t);
        double arc = 2.0 * kPi * rMid / count;
        edgeDist = std::min({r - r0, r0 + ringW - r, ft * arc, (1.0 - ft) * arc});
        stoneKey = std::floor(t);
    }
    uint32_t id = noise::Hash(ring, static_cast<int32_t>(stoneKey), 5);
    double tone = 0.78 + 0.32 * ((id & 1023) / 1023.0);
    double warm = ((id >> 10) & 255) / 255.0;
    Rgb base = Mix(Col(96, 90, 84), Col(104, 92, 78), warm) * tone;
    double grain = 0.82 + 0.36 * noise::Fbm(px * 0.35, py * 0.35, 3, 21 + (id & 7));
    double blotch = 0.85 + 0.3 * noise::Fbm(px * 0.04, py * 0.04, 3, 33);
    Rgb c = base * (grain * blotch);
    // Worn edges and mortar joints.
    double joint = noise::Smooth(0.2, 1.3, edgeDist + (noise::Value(px * 0.4, py * 0.4, 9) - 0.5) * 0.8);
    c = Mix(Col(22, 18, 16), c, joint);
    c = c * (0.8 + 0.2 * noise::Smooth(1.0, 5.0, edgeDist));
    // Cracks: some stones are split right across, others only crazed.
    double crack = std::fabs(noise::Fbm(px * 0.05, py * 0.05, 4, 77 + (id % 3)) - 0.5);
    double width = (id % 4 == 0) ? 0.02 : 0.008;
    if (crack < width) c = c * (0.3 + 0.7 * crack / width);
    return c;
}

// Top of the ring wall and the buttress: a course of big dressed coping stones along the
// chamber's edge, rough rubble masonry behind it.
Rgb WallAt(double px, double py, bool buttress) {
    double r = std::hypot(px - kCx, py - kCy);
    double v = buttress ? px - kButX0 : r - kFloorR;  // depth into the wall
    const double coping = buttress ? 30.0 : 30.0;
    Rgb c;
    if (v < coping) {
        double u = buttress ? py : (std::atan2(py - kCy, px - kCx) + kPi) * (kFloorR + 15.0);
        const double blockLen = 42.0;
        double t = u / blockLen + (buttress ? 0.3 : 0.0);
        double ft = t - std::floor(t);
        double edge = std::min({ft * blockLen, (1.0 - ft) * blockLen, v, coping - v});
        uint32_t id = noise::Hash(static_cast<int32_t>(std::floor(t)), buttress ? 3 : 1, 43);
        double tone = 0.85 + 0.25 * ((id & 1023) / 1023.0);
        c = Col(104, 102, 106) * tone * (0.82 + 0.3 * noise::Fbm(px * 0.35, py * 0.35, 3, 51));
        // Chisel marks across the stone.
        double chisel = std::sin((u * 0.9 + v * 0.3) + noise::Value(px * 0.2, py * 0.2, 53) * 4.0);
        c = c * (0.95 + 0.05 * chisel);
        c = c * (0.72 + 0.28 * noise::Smooth(0.0, 3.5, edge));
        double joint = noise::Smooth(0.6, 2.0, edge + (noise::Value(px * 0.5, py * 0.5, 61) - 0.5) * 1.0);
        c = Mix(Col(14, 13, 13), c, joint);
    } else {
        noise::CellHit h = noise::Cells(px, py, 13.0, buttress ? 57 : 55);
        double edge = h.d2 - h.d1;
        double tone = 0.7 + 0.35 * ((h.id & 1023) / 1023.0);
        c = Col(84, 82, 86) * tone * (0.8 + 0.35 * noise::Fbm(px * 0.4, py * 0.4, 2, 59));
        // Rounded rubble: lit on top, dark in the joints.
        c = c * (0.55 + 0.45 * noise::Smooth(0.0, 5.0, edge));
        c = Mix(Col(12, 11, 11), c, noise::Smooth(0.8, 2.2, edge));
        // Further from the chamber the wall top lies in deeper shadow.
        c = c * (0.85 - 0.35 * noise::Smooth(coping, kWallR - kFloorR, v));
    }
    double moss = noise::Fbm(px * 0.08, py * 0.08, 3, 67);
    if (moss > 0.62) c = Mix(c, Col(50, 60, 40), std::min(1.0, (moss - 0.62) * 3.0) * 0.45);
    return c;
}

Rgb RockAt(double px, double py) {
    double n = noise::Fbm(px * 0.07, py * 0.07, 4, 71);
    double fine = noise::Fbm(px * 0.5, py * 0.5, 2, 73);
    return Col(40, 36, 34) * (0.5 + 0.7 * n) * (0.8 + 0.4 * fine);
}

// Old blood: dark red-brown pools with ragged rims, and splashes.
void Stains(Canvas& albedo) {
    struct Pool {
        double x, y, r;
    };
    const Pool pools[] = {{178, 270, 30}, {300, 318, 20}, {322, 350, 14}, {188, 400, 24}, {430, 188, 16},
                          {262, 208, 12}, {452, 128, 18}, {140, 330, 10}, {395, 370, 12}};
    const Rgb blood = Col(92, 18, 14);
    uint32_t seed = 91;
    for (const Pool& p : pools) {
        ++seed;
        ForBox(albedo, static_cast<int>(p.x - p.r * 2), static_cast<int>(p.y - p.r * 2),
               static_cast<int>(p.x + p.r * 2), static_cast<int>(p.y + p.r * 2), [&](int x, int y) {
                   double d = std::hypot(x + 0.5 - p.x, y + 0.5 - p.y) / p.r;
                   double n = noise::Fbm(x * 0.09, y * 0.09, 3, seed);
                   double v = 1.0 - d + (n - 0.5) * 1.1;
                   if (v <= 0.0) return;
                   // Old blood soaks into the stone: dark at the heart, brown at the rim.
                   double a = std::min(1.0, v * 3.0) * 0.8;
                   Rgb& c = albedo.At(x, y);
                   Rgb stain =
                       c * blood * (1.2 + 0.8 * std::min(1.0, v * 2.0) * noise::Value(x * 0.3, y * 0.3, seed + 50));
                   c = Mix(c, stain, a);
               });
        Rng rng(seed);
        for (int k = 0; k < 9; ++k) {
            double ang = rng.Range(0, 2 * kPi), dist = p.r * rng.Range(1.0, 1.9);
            FillDisc(albedo, p.x + std::cos(ang) * dist, p.y + std::sin(ang) * dist, rng.Range(0.8, 2.4),
                     Col(48, 12, 10), 0.55);
        }
    }
}

}  // namespace

Rgb LightAt(const Light& l, double x, double y) {
    double dx = x - l.x, dy = y - l.y;
    double k = l.reach * l.reach / (l.reach * l.reach + dx * dx + dy * dy);
    return l.colour * (k * k);
}

Layers BuildChamber() {
    Layers L{Canvas(kWidth, kHeight), Canvas(kWidth, kHeight), Canvas(kWidth, kHeight), Mask(kWidth, kHeight),
             Mask(kWidth, kHeight)};
    std::vector<uint8_t> region(static_cast<size_t>(kWidth) * kHeight), floor(region.size()), solid(region.size());
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            size_t i = static_cast<size_t>(y) * kWidth + x;
            region[i] = Classify(x, y);
            floor[i] = region[i] == kFloor;
            solid[i] = region[i] == kWall;
        }
    std::vector<double> toWall = Distance(floor, kWidth, kHeight);
    std::vector<double> toFloor = Distance(solid, kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            size_t i = static_cast<size_t>(y) * kWidth + x;
            double px = x + 0.5, py = y + 0.5;
            Rgb c;
            if (region[i] == kFloor) {
                c = FloorAt(px, py);
                // The wall's foot stays in shade and gathers grime.
                double ao = noise::Smooth(0.0, 30.0, toWall[i]);
                c = c * (0.42 + 0.58 * ao);
                L.ground.At(x, y) = 1.0;
            } else if (region[i] == kWall) {
                double r0 = std::hypot(px - kCx, py - kCy);
                bool buttress = px >= kButX0 && py >= kButY0 && py < kButY1 && r0 < kFloorR + 12.0;
                c = WallAt(px, py, buttress);
                // Rim: the top edge above the floor catches light, then the outer edge falls into darkness.
                double rim = toFloor[i];
                if (rim < 4.0) c = c * (1.45 - 0.11 * rim);
                double r = std::hypot(px - kCx, py - kCy);
                if (!buttress) c = c * (0.5 + 0.5 * noise::Smooth(kWallR + 2, kWallR - 10, r));
            } else {
                c = RockAt(px, py);
            }
            L.albedo.At(x, y) = c;
        }
    Stains(L.albedo);
    for (int i = 0; i < doors::Count(); ++i) doors::DrawBay(L, doors::Spec(i));

    std::vector<Light> lights;
    DrawProps(L, lights);
    const Rgb ambient = Col(9, 9, 15);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            Rgb sum = ambient;
            for (const Light& l : lights) sum = sum + LightAt(l, x + 0.5, y + 0.5);
            L.light.At(x, y) = sum * (1.0 - 0.65 * L.shadow.Get(x, y));
        }
    return L;
}

Canvas Compose(const Layers& layers, int x0, int y0, int w, int h) {
    Canvas out(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Rgb a = layers.albedo.At(x0 + x, y0 + y), l = layers.light.At(x0 + x, y0 + y);
            const Rgb e = layers.emit.At(x0 + x, y0 + y);
            // The picture fades to pure black at its four edges, so on a black screen no edge shows.
            double px = x0 + x + 0.5, py = y0 + y + 0.5;
            double edge = std::min({px, py, kWidth - px, kHeight - py});
            double fade = noise::Smooth(0.5, 14.0, edge);
            Rgb v = (a * l * 1.5 + e) * (fade * fade);
            // Filmic response: a toe that keeps the shadows deep, a shoulder for the fires.
            auto tone = [](double c) {
                double s = 1.0 - std::exp(-1.5 * c);
                return s * s * (1.6 - 0.6 * s);
            };
            out.At(x, y) = {tone(v.r), tone(v.g), tone(v.b)};
        }
    return out;
}

}  // namespace scene
