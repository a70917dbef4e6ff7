// The one 256-colour table shared by every picture: built from the pictures, then used to index them.
#include "Palette.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

namespace {

struct Bin {
    double r, g, b;  // channel means of the colours in the bin (0..255)
    double n;        // sample count
};

struct Box {
    std::vector<int> bins;
    double sse = 0.0;
};

double BoxSse(const std::vector<Bin>& bins, const std::vector<int>& ids) {
    double n = 0, sr = 0, sg = 0, sb = 0, s2 = 0;
    for (int i : ids) {
        const Bin& b = bins[static_cast<size_t>(i)];
        n += b.n;
        sr += b.r * b.n;
        sg += b.g * b.n;
        sb += b.b * b.n;
        s2 += (b.r * b.r + b.g * b.g + b.b * b.b) * b.n;
    }
    if (n <= 0) return 0.0;
    return s2 - (sr * sr + sg * sg + sb * sb) / n;
}

// Splits the box at the weighted median of its widest channel.
void Split(const std::vector<Bin>& bins, const Box& box, Box& a, Box& b) {
    double lo[3] = {1e9, 1e9, 1e9}, hi[3] = {-1e9, -1e9, -1e9};
    for (int i : box.bins) {
        const Bin& q = bins[static_cast<size_t>(i)];
        const double v[3] = {q.r, q.g, q.b};
        for (int c = 0; c < 3; ++c) {
            lo[c] = std::min(lo[c], v[c]);
            hi[c] = std::max(hi[c], v[c]);
        }
    }
    int axis = 0;
    for (int c = 1; c < 3; ++c)
        if (hi[c] - lo[c] > hi[axis] - lo[axis]) axis = c;
    std::vector<int> ids = box.bins;
    auto key = [&](int i) {
        const Bin& q = bins[static_cast<size_t>(i)];
        return axis == 0 ? q.r : (axis == 1 ? q.g : q.b);
    };
    std::sort(ids.begin(), ids.end(), [&](int l, int r) { return key(l) < key(r) || (key(l) == key(r) && l < r); });
    double total = 0;
    for (int i : ids) total += bins[static_cast<size_t>(i)].n;
    double acc = 0;
    size_t cut = 1;
    for (size_t k = 0; k + 1 < ids.size(); ++k) {
        acc += bins[static_cast<size_t>(ids[k])].n;
        cut = k + 1;
        if (acc >= total / 2) break;
    }
    a.bins.assign(ids.begin(), ids.begin() + static_cast<long>(cut));
    b.bins.assign(ids.begin() + static_cast<long>(cut), ids.end());
    a.sse = BoxSse(bins, a.bins);
    b.sse = BoxSse(bins, b.bins);
}

double Dist2(double r, double g, double b, uint32_t c) {
    double dr = r - ((c >> 16) & 255), dg = g - ((c >> 8) & 255), db = b - (c & 255);
    return dr * dr + dg * dg + db * db;
}

// 8x8 ordered-dither thresholds.
constexpr int kBayer[8][8] = {{0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
                              {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
                              {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
                              {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};

uint32_t RoundColour(double r, double g, double b) {
    auto q = [](double v) { return static_cast<uint32_t>(std::clamp(std::floor(v + 0.5), 0.0, 255.0)); };
    return (q(r) << 16) | (q(g) << 8) | q(b);
}

}  // namespace

Palette Palette::Build(const std::vector<uint32_t>& samples, const std::vector<uint32_t>& reserved, int total) {
    // Histogram on 6 bits per channel, keeping the mean colour of each bin.
    std::map<uint32_t, std::array<double, 4>> hist;
    for (uint32_t c : samples) {
        uint32_t key = ((c >> 18) & 63) << 12 | ((c >> 10) & 63) << 6 | ((c >> 2) & 63);
        auto& h = hist[key];
        h[0] += (c >> 16) & 255;
        h[1] += (c >> 8) & 255;
        h[2] += c & 255;
        h[3] += 1;
    }
    std::vector<Bin> bins;
    for (const auto& [key, h] : hist) bins.push_back({h[0] / h[3], h[1] / h[3], h[2] / h[3], h[3]});

    Palette pal;
    pal.m_colours = reserved;
    int want = total - static_cast<int>(reserved.size());
    std::vector<Box> boxes(1);
    for (int i = 0; i < static_cast<int>(bins.size()); ++i) boxes[0].bins.push_back(i);
    boxes[0].sse = BoxSse(bins, boxes[0].bins);
    while (static_cast<int>(boxes.size()) < want) {
        size_t best = boxes.size();
        for (size_t i = 0; i < boxes.size(); ++i)
            if (boxes[i].bins.size() > 1 && (best == boxes.size() || boxes[i].sse > boxes[best].sse)) best = i;
        if (best == boxes.size()) break;
        Box a, b;
        Split(bins, boxes[best], a, b);
        boxes[best] = a;
        boxes.push_back(b);
    }
    std::vector<std::array<double, 3>> centres;
    for (const Box& box : boxes) {
        double n = 0, r = 0, g = 0, b = 0;
        for (int i : box.bins) {
            const Bin& q = bins[static_cast<size_t>(i)];
            n += q.n;
            r += q.r * q.n;
            g += q.g * q.n;
            b += q.b * q.n;
        }
        centres.push_back({r / n, g / n, b / n});
    }
    // A few Lloyd rounds; reserved colours stay fixed but take part in the assignment.
    for (int round = 0; round < 6; ++round) {
        std::vector<std::array<double, 4>> acc(centres.size(), {0, 0, 0, 0});
        for (const Bin& q : bins) {
            double bestD = 1e18;
            int bestI = -1;
            for (uint32_t rc : reserved) bestD = std::min(bestD, Dist2(q.r, q.g, q.b, rc));
            for (size_t k = 0; k < centres.size(); ++k) {
                double dr = q.r - centres[k][0], dg = q.g - centres[k][1], db = q.b - centres[k][2];
                double d = dr * dr + dg * dg + db * db;
                if (d < bestD) {
                    bestD = d;
                    bestI = static_cast<int>(k);
                }
            }
            if (bestI < 0) continue;
            auto& a = acc[static_cast<size_t>(bestI)];
            a[0] += q.r * q.n;
            a[1] += q.g * q.n;
            a[2] += q.b * q.n;
            a[3] += q.n;
        }
        for (size_t k = 0; k < centres.size(); ++k)
            if (acc[k][3] > 0) centres[k] = {acc[k][0] / acc[k][3], acc[k][1] / acc[k][3], acc[k][2] / acc[k][3]};
    }
    for (const auto& c : centres) pal.m_colours.push_back(RoundColour(c[0], c[1], c[2]));
    // Unused slots (few distinct colours) repeat black so the table always has `total` entries.
    while (static_cast<int>(pal.m_colours.size()) < total) pal.m_colours.push_back(0);
    return pal;
}

uint8_t Palette::Nearest(uint32_t rgb, int excluded) const {
    std::vector<int16_t>& cache = m_cache[excluded < 0 ? 0 : 1];
    if (cache.empty()) cache.assign(1u << 24, -1);
    int16_t& slot = cache[rgb & 0xffffff];
    if (slot >= 0) return static_cast<uint8_t>(slot);
    double r = (rgb >> 16) & 255, g = (rgb >> 8) & 255, b = rgb & 255;
    double bestD = 1e18;
    int best = 0;
    for (size_t i = 0; i < m_colours.size(); ++i) {
        if (static_cast<int>(i) == excluded) continue;
        double d = Dist2(r, g, b, m_colours[i]);
        if (d < bestD) {
            bestD = d;
            best = static_cast<int>(i);
        }
    }
    slot = static_cast<int16_t>(best);
    return static_cast<uint8_t>(best);
}

IndexedImage Palette::Quantize(const Canvas& c, int ox, int oy, bool dither, int excluded) const {
    const double amplitude = 6.0 / 255.0;
    IndexedImage img;
    img.width = c.Width();
    img.height = c.Height();
    img.colours = m_colours;
    img.pixels.resize(static_cast<size_t>(img.width) * img.height);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            Rgb p = c.At(x, y);
            if (Pack(p) == 0) continue;  // pure black stays entry 0: no dither may lift it
            if (dither) {
                double t = (kBayer[(y + oy) & 7][(x + ox) & 7] + 0.5) / 64.0 - 0.5;
                p = p + Rgb{t, t, t} * amplitude;
            }
            img.pixels[static_cast<size_t>(y) * img.width + x] = Nearest(Pack(p), excluded);
        }
    return img;
}
