// The program icon: a barred cell door in its stone arch, 32x32 and 16x16, 16 colours.
#include "Icons.h"

#include <cmath>

#include "Canvas.h"
#include "Raster.h"

namespace icons {
namespace {

// Sixteen colours chosen for the door: stone, oak, iron and the glow of the cell.
const uint32_t kColours[16] = {0x000000, 0x2a2626, 0x55504c, 0x8a847c, 0xc8c0b4, 0x3c2414, 0x6e4424, 0xa06a3a,
                               0x5a0c0a, 0xa01c12, 0xe86a1c, 0xffd060, 0x303640, 0x687078, 0xf0ece4, 0x1a1010};

// At 16x16 every pixel counts, so the small picture is set by hand: colour index in hex, '.' clear.
const char* const kSmall[16] = {
    "....33333333....", "..332222222233..", ".32256666665223.", ".32566666666523.",
    "3256000000006523", "32560A0BB0A06523", "32560A0BB0A06523", "32560A0BB0A06523",
    "3256000000006523", "3256666666666523", "32CCCCCCCCCCCC23", "3256666666646523",
    "3256656666566523", "32CCCCCCCCCCCC23", "3256656666566523", "3256656666566523",
};

uint8_t NearestColour(uint32_t rgb) {
    int best = 0;
    long bestD = -1;
    for (int i = 0; i < 16; ++i) {
        long dr = static_cast<long>((rgb >> 16) & 255) - static_cast<long>((kColours[i] >> 16) & 255);
        long dg = static_cast<long>((rgb >> 8) & 255) - static_cast<long>((kColours[i] >> 8) & 255);
        long db = static_cast<long>(rgb & 255) - static_cast<long>(kColours[i] & 255);
        long d = dr * dr + dg * dg + db * db;
        if (bestD < 0 || d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return static_cast<uint8_t>(best);
}

// Arch outline: a rectangle with a round top, in a box of side s.
Poly Arch(double s, double inset) {
    Poly p;
    double l = s * 0.12 + inset, r = s * 0.88 - inset, bottom = s, cx = s * 0.5, cy = s * 0.42;
    double rad = (r - l) * 0.5;
    p.push_back({l, bottom});
    for (int i = 0; i <= 24; ++i) {
        double a = 3.14159265358979 * (1.0 - i / 24.0);
        p.push_back({cx + rad * std::cos(a), cy - rad * std::sin(a)});
    }
    p.push_back({r, bottom});
    return p;
}

}  // namespace

std::vector<uint32_t> Colours() { return {kColours, kColours + 16}; }

IndexedImage Draw(int size, std::vector<uint8_t>& andMask) {
    if (size == 16) {
        IndexedImage img;
        img.width = img.height = 16;
        img.colours = Colours();
        img.pixels.resize(256);
        andMask.assign(256, 0);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                char ch = kSmall[y][x];
                size_t k = static_cast<size_t>(y) * 16 + x;
                andMask[k] = ch == '.';
                img.pixels[k] = ch == '.' ? 0 : static_cast<uint8_t>(ch <= '9' ? ch - '0' : ch - 'A' + 10);
            }
        return img;
    }
    const int ss = 8, big = size * ss;
    const double s = big;
    Canvas c(big, big, Col(0, 0, 0));
    Mask shape(big, big);
    Poly outer = Arch(s, 0.0);
    RasterizeInto(shape, {outer});
    bool small = size <= 16;
    double frame = s * (small ? 0.09 : 0.1);
    FillPoly(c, outer, Unpack(0x8a847c));
    // Stone joints on the arch.
    for (int i = 0; i < 5 && !small; ++i) {
        double y = s * (0.55 + i * 0.1);
        StrokeSegment(c, s * 0.12, y, s * 0.12 + frame, y, s * 0.012, Unpack(0x55504c));
        StrokeSegment(c, s * 0.88 - frame, y, s * 0.88, y, s * 0.012, Unpack(0x55504c));
    }
    Poly door = Arch(s, frame);
    FillPoly(c, door, Unpack(0x6e4424));
    // Planks.
    int planks = small ? 2 : 4;
    for (int i = 1; i < planks; ++i) {
        double x = s * 0.12 + frame + (s * 0.76 - 2 * frame) * i / planks;
        StrokeSegment(c, x, s * 0.2, x, s, s * 0.012, Unpack(0x3c2414));
    }
    // Iron bands.
    for (double y : {0.52, 0.86})
        FillPoly(c,
                 {{s * 0.12 + frame, s * y},
                  {s * 0.88 - frame, s * y},
                  {s * 0.88 - frame, s * (y + 0.07)},
                  {s * 0.12 + frame, s * (y + 0.07)}},
                 Unpack(0x303640));
    // Barred window with the glow of the cell behind it.
    double wx0 = s * (small ? 0.3 : 0.33), wx1 = s * (small ? 0.7 : 0.67), wy0 = s * (small ? 0.19 : 0.22),
           wy1 = s * (small ? 0.47 : 0.44);
    FillPoly(c, {{wx0, wy0}, {wx1, wy0}, {wx1, wy1}, {wx0, wy1}}, Unpack(0xe86a1c));
    FillPoly(c,
             {{wx0 + s * 0.06, wy0 + s * 0.04},
              {wx1 - s * 0.06, wy0 + s * 0.04},
              {wx1 - s * 0.06, wy1 - s * 0.05},
              {wx0 + s * 0.06, wy1 - s * 0.05}},
             Unpack(0xffd060));
    int bars = small ? 2 : 3;
    for (int i = 0; i < bars; ++i) {
        double x = wx0 + (wx1 - wx0) * (i + 1) / (bars + 1);
        StrokeSegment(c, x, wy0, x, wy1, s * (small ? 0.028 : 0.03), Unpack(0x000000));
    }
    if (!small) {
        FillPoly(c, {{wx0, wy0}, {wx1, wy0}, {wx1, wy0 + s * 0.03}, {wx0, wy0 + s * 0.03}}, Unpack(0x000000));
        FillPoly(c, {{wx0, wy1 - s * 0.03}, {wx1, wy1 - s * 0.03}, {wx1, wy1}, {wx0, wy1}}, Unpack(0x000000));
    }
    // Ring handle.
    if (!small) FillDisc(c, s * 0.7, s * 0.68, s * 0.045, Unpack(0xc8c0b4));
    else FillDisc(c, s * 0.72, s * 0.7, s * 0.06, Unpack(0xc8c0b4));
    // Down-sample by box averaging and index.
    IndexedImage img;
    img.width = img.height = size;
    img.colours = Colours();
    img.pixels.resize(static_cast<size_t>(size) * size);
    andMask.assign(static_cast<size_t>(size) * size, 0);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            Rgb sum;
            double cov = 0;
            for (int j = 0; j < ss; ++j)
                for (int i = 0; i < ss; ++i) {
                    sum = sum + c.At(x * ss + i, y * ss + j);
                    cov += shape.Get(x * ss + i, y * ss + j);
                }
            cov /= ss * ss;
            size_t k = static_cast<size_t>(y) * size + x;
            if (cov < 0.5) {
                andMask[k] = 1;
                img.pixels[k] = 0;
            } else {
                img.pixels[k] = NearestColour(Pack(sum * (1.0 / (ss * ss * cov > 0 ? ss * ss : 1))));
            }
        }
    return img;
}

}  // namespace icons
