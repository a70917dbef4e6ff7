// Checks the committed pictures, icons, cursor and sounds against the formats the saver loads.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "Canvas.h"
#include "Formats.h"
#include "Lettering.h"
#include "Palette.h"
#include "Raster.h"
#include "Synth.h"

namespace {

const std::string kRes = MG_RES_DIR;

std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

uint32_t U16(const std::vector<uint8_t>& b, size_t at) { return at + 2 <= b.size() ? b[at] | (b[at + 1] << 8) : 0xffffffffu; }
uint32_t U32(const std::vector<uint8_t>& b, size_t at)
{
    return at + 4 <= b.size() ? U16(b, at) | (U16(b, at + 2) << 16) : 0xffffffffu;
}

struct Bmp {
    bool ok = false;
    std::string why;
    int width = 0, height = 0;
    uint32_t sizeImage = 0, clrUsed = 0;
    std::vector<uint32_t> colours;  // 0x00RRGGBB
    std::vector<uint8_t> pixels;    // top-down
    uint32_t At(int x, int y) const { return colours[pixels[static_cast<size_t>(y) * width + x]]; }
};

// Reads an 8-bit BI_RGB bitmap the way the saver's loader does, never past the file's end.
Bmp LoadBmp(const std::string& path)
{
    Bmp r;
    std::vector<uint8_t> b = ReadAll(path);
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') {
        r.why = "not a BMP";
        return r;
    }
    uint32_t offset = U32(b, 10), hdr = U32(b, 14);
    r.width = static_cast<int>(U32(b, 18));
    r.height = static_cast<int>(U32(b, 22));
    uint32_t planes = U16(b, 26), bpp = U16(b, 28), compression = U32(b, 30);
    r.sizeImage = U32(b, 34);
    r.clrUsed = U32(b, 46);
    if (hdr != 40 || planes != 1 || bpp != 8 || compression != 0 || r.width <= 0 || r.height <= 0) {
        r.why = "header";
        return r;
    }
    uint32_t n = r.clrUsed ? r.clrUsed : 256;
    size_t stride = (static_cast<size_t>(r.width) + 3) & ~size_t(3);
    if (n > 256 || 14 + 40 + 4 * n > b.size() || offset + stride * r.height > b.size() || U32(b, 2) != b.size()) {
        r.why = "sizes";
        return r;
    }
    for (uint32_t i = 0; i < n; ++i) {
        size_t at = 54 + 4 * i;
        r.colours.push_back(static_cast<uint32_t>(b[at + 2]) << 16 | b[at + 1] << 8 | b[at]);
    }
    r.pixels.resize(static_cast<size_t>(r.width) * r.height);
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) {
            uint8_t v = b[offset + (r.height - 1 - y) * stride + x];
            if (v >= n) {
                r.why = "index past the colour table";
                return r;
            }
            r.pixels[static_cast<size_t>(y) * r.width + x] = v;
        }
    r.ok = true;
    return r;
}

bool NearMagenta(uint32_t c)
{
    int red = (c >> 16) & 255, green = (c >> 8) & 255, blue = c & 255;
    return red >= 247 && green <= 8 && blue >= 247;
}

double Luma(uint32_t c) { return 0.299 * ((c >> 16) & 255) + 0.587 * ((c >> 8) & 255) + 0.114 * (c & 255); }

struct Door {
    const char* name;
    int x, y, w, h;
    std::vector<int> ids;  // frame order
};

std::vector<int> Range(int from, int to)
{
    std::vector<int> v;
    for (int i = from; i <= to; ++i) v.push_back(i);
    return v;
}

std::vector<Door> Doors()
{
    auto cat = [](std::vector<std::vector<int>> parts) {
        std::vector<int> v;
        for (auto& p : parts) v.insert(v.end(), p.begin(), p.end());
        return v;
    };
    return {
        {"top", 244, 0, 131, 152, cat({{758}, Range(748, 757), {747}})},
        {"right", 524, 46, 116, 243, cat({{788}, Range(781, 787), Range(776, 780)})},
        {"middle", 358, 156, 104, 182, cat({{811}, Range(820, 831)})},
        {"floor", 240, 359, 166, 121, cat({Range(832, 836), {857}, Range(838, 844)})},
        {"lower", 456, 239, 101, 158, cat({Range(845, 856), {837}})},
    };
}

std::string Art(int id) { return kRes + "/art/" + std::to_string(id) + ".bmp"; }

}  // namespace

TEST(Assets, EveryBitmapHasItsSizeAndFormat)
{
    std::map<int, std::pair<int, int>> want = {{673, {640, 480}}, {670, {520, 147}}, {858, {640, 480}}, {873, {147, 124}}};
    for (const Door& d : Doors())
        for (int id : d.ids) want[id] = {d.w, d.h};
    EXPECT_EQ(want.size(), 4u + 12 + 13 * 4);
    for (const auto& [id, size] : want) {
        Bmp b = LoadBmp(Art(id));
        ASSERT_TRUE(b.ok) << id << ": " << b.why;
        EXPECT_EQ(b.width, size.first) << id;
        EXPECT_EQ(b.height, size.second) << id;
        EXPECT_EQ(b.clrUsed, 0u) << id;
        EXPECT_EQ(b.colours.size(), 256u) << id;
        uint32_t trueSize = static_cast<uint32_t>(((b.width + 3) & ~3) * b.height);
        EXPECT_EQ(b.sizeImage, id == 673 ? 0u : trueSize) << id;
    }
}

TEST(Assets, KeyColourOnlyInTheTitleAtIndexOne)
{
    Bmp title = LoadBmp(Art(670));
    ASSERT_TRUE(title.ok);
    EXPECT_EQ(title.colours[1], 0xff00ffu);
    size_t keyed = 0;
    for (uint8_t v : title.pixels) keyed += v == 1;
    // Lettering on a transparent ground: most of the picture is key, but not all of it.
    EXPECT_GT(keyed, title.pixels.size() / 3);
    EXPECT_LT(keyed, title.pixels.size() * 9 / 10);
    for (size_t i = 0; i < title.colours.size(); ++i) {
        if (i != 1) {
            EXPECT_FALSE(NearMagenta(title.colours[i])) << "title entry " << i;
        }
    }

    std::vector<int> others = {673, 858, 873};
    for (const Door& d : Doors()) others.insert(others.end(), d.ids.begin(), d.ids.end());
    for (int id : others) {
        Bmp b = LoadBmp(Art(id));
        ASSERT_TRUE(b.ok) << id;
        for (size_t i = 0; i < b.colours.size(); ++i) EXPECT_FALSE(NearMagenta(b.colours[i])) << id << " entry " << i;
    }
}

TEST(Assets, TitleEdgesBlendTowardsTheDarkOutline)
{
    Bmp t = LoadBmp(Art(670));
    ASSERT_TRUE(t.ok);
    int edges = 0;
    for (int y = 0; y < t.height; ++y)
        for (int x = 0; x < t.width; ++x) {
            if (t.pixels[static_cast<size_t>(y) * t.width + x] == 1) continue;
            bool nextToKey = false;
            const int dx[4] = {1, -1, 0, 0}, dy[4] = {0, 0, 1, -1};
            for (int k = 0; k < 4; ++k) {
                int xx = x + dx[k], yy = y + dy[k];
                if (xx >= 0 && yy >= 0 && xx < t.width && yy < t.height && t.pixels[static_cast<size_t>(yy) * t.width + xx] == 1)
                    nextToKey = true;
            }
            if (!nextToKey) continue;
            ++edges;
            uint32_t c = t.At(x, y);
            // Over the chamber a light or pinkish rim would show as a fringe.
            EXPECT_LT(Luma(c), 48.0) << "title edge pixel at " << x << "," << y;
        }
    EXPECT_GT(edges, 500);
}

TEST(Assets, OnePaletteForEveryPicture)
{
    Bmp bg = LoadBmp(Art(673));
    ASSERT_TRUE(bg.ok);
    std::vector<int> ids = {858, 873, 670};
    for (const Door& d : Doors()) ids.insert(ids.end(), d.ids.begin(), d.ids.end());
    for (int id : ids) {
        Bmp b = LoadBmp(Art(id));
        ASSERT_TRUE(b.ok) << id;
        for (size_t i = 0; i < 256; ++i) {
            if (!(id == 670 && i == 1)) {
                ASSERT_EQ(b.colours[i], bg.colours[i]) << id << " entry " << i;
            }
        }
    }
}

TEST(Assets, DoorsStartShutOverTheBackgroundAndEveryStepMoves)
{
    Bmp bg = LoadBmp(Art(673));
    ASSERT_TRUE(bg.ok);
    for (const Door& d : Doors()) {
        std::vector<Bmp> frames;
        for (int id : d.ids) {
            frames.push_back(LoadBmp(Art(id)));
            ASSERT_TRUE(frames.back().ok) << id;
        }
        int mismatches = 0;
        for (int y = 0; y < d.h; ++y)
            for (int x = 0; x < d.w; ++x) mismatches += frames.front().At(x, y) != bg.At(d.x + x, d.y + y);
        EXPECT_EQ(mismatches, 0) << d.name << ": frame 0 differs from the background under it";
        // A frame shown for 200 ms must visibly move on from the one before.
        for (size_t f = 1; f < frames.size(); ++f) {
            int changed = 0;
            for (int y = 0; y < d.h; ++y)
                for (int x = 0; x < d.w; ++x) changed += std::fabs(Luma(frames[f].At(x, y)) - Luma(frames[f - 1].At(x, y))) > 12.0;
            EXPECT_GT(changed, 150) << d.name << " frame " << f << " looks like the one before";
        }
    }
}

TEST(Assets, PictureEdgesAreBlackAndFramesMeetTheBackgroundWithoutASeam)
{
    // On a black screen no edge of the chamber may show: every pixel on the picture's border is
    // black, in the background and in every door frame that reaches the border.
    Bmp bg = LoadBmp(Art(673));
    ASSERT_TRUE(bg.ok);
    auto onBorder = [&](int x, int y) { return x == 0 || y == 0 || x == bg.width - 1 || y == bg.height - 1; };
    for (int y = 0; y < bg.height; ++y)
        for (int x = 0; x < bg.width; ++x)
            if (onBorder(x, y)) {
                ASSERT_EQ(bg.At(x, y), 0u) << "background at " << x << "," << y;
            }
    for (const Door& d : Doors())
        for (int id : d.ids) {
            Bmp f = LoadBmp(Art(id));
            ASSERT_TRUE(f.ok) << id;
            double worst = 0;
            for (int y = 0; y < d.h; ++y)
                for (int x = 0; x < d.w; ++x) {
                    if (onBorder(d.x + x, d.y + y)) {
                        ASSERT_EQ(f.At(x, y), 0u) << d.name << " frame " << id;
                    }
                    // A frame is copied as an opaque rectangle: where it meets the chamber inside
                    // the picture, its light must have faded out or the rectangle shows.
                    bool inner = (x == 0 && d.x > 0) || (y == 0 && d.y > 0) || (x == d.w - 1 && d.x + d.w < bg.width) ||
                                 (y == d.h - 1 && d.y + d.h < bg.height);
                    if (inner) worst = std::max(worst, std::fabs(Luma(f.At(x, y)) - Luma(bg.At(d.x + x, d.y + y))));
                }
            EXPECT_LT(worst, 10.0) << d.name << " frame " << id << " shows a seam at its edge";
        }
}

TEST(Assets, IconsAreOneFileAndTheCursorIsBlank)
{
    // The resource reader checks the icons' pictures; here: both ids share one file, and the
    // cursor hides the pointer (AND mask all ones, XOR all zeros, hot spot 0,0).
    EXPECT_EQ(ReadAll(kRes + "/art/icon128.ico"), ReadAll(kRes + "/art/icon671.ico"));
    std::vector<uint8_t> c = ReadAll(kRes + "/art/cursor129.cur");
    ASSERT_EQ(c.size(), 22u + 40 + 8 + 128 + 128);
    EXPECT_EQ(U16(c, 2), 2u);
    EXPECT_EQ(U32(c, 10), 0u);  // hot spot
    EXPECT_EQ(U32(c, 22 + 8), 64u);  // doubled height
    for (size_t k = 0; k < 128; ++k) {
        EXPECT_EQ(c[22 + 48 + k], 0x00) << "XOR byte " << k;
        EXPECT_EQ(c[22 + 48 + 128 + k], 0xff) << "AND byte " << k;
    }
}

// One committed cue: its rate, its samples scaled to full scale 1.0.
struct Wav {
    uint32_t rate = 0;
    std::vector<double> s;
};

Wav LoadWav(int id)
{
    // The resource reader checks the format fields; this only finds the rate and the samples.
    Wav r;
    std::vector<uint8_t> w = ReadAll(kRes + "/sound/" + std::to_string(id) + ".wav");
    for (size_t at = 12; at + 8 <= w.size();) {
        std::string tag(w.begin() + static_cast<long>(at), w.begin() + static_cast<long>(at) + 4);
        uint32_t len = std::min<uint32_t>(U32(w, at + 4), static_cast<uint32_t>(w.size() - at - 8));
        if (tag == "fmt ") r.rate = U32(w, at + 12);
        if (tag == "data")
            for (size_t i = 0; i + 1 < len; i += 2) r.s.push_back(static_cast<int16_t>(U16(w, at + 8 + i)) / 32768.0);
        at += 8 + len + (len & 1);
    }
    return r;
}

// Loudness of the part of a cue from `from` to `to` seconds.
double LoudnessOf(const Wav& w, double from, double to)
{
    auto at = [&](double t) { return w.s.begin() + static_cast<long>(std::min(w.s.size(), static_cast<size_t>(t * w.rate))); };
    return synth::Loudness(synth::Buffer(at(from), at(to)), w.rate);
}

TEST(Assets, CuesHaveTheirRateLengthAndClean)
{
    const struct {
        int id;
        uint32_t rate;
        double seconds;
    } cues[] = {{761, 22050, 6.50}, {762, 22050, 6.54}, {763, 22050, 3.49}, {764, 22050, 5.51}, {765, 22050, 5.31},
                {766, 22050, 3.19}, {767, 22050, 6.18}, {768, 22050, 6.48}, {769, 22050, 2.28}, {774, 22050, 0.99},
                {775, 22050, 0.83}, {860, 44100, 1.77}, {864, 44100, 4.73}, {869, 44100, 1.61}, {871, 44100, 1.34}};
    for (const auto& cue : cues) {
        Wav w = LoadWav(cue.id);
        ASSERT_EQ(w.rate, cue.rate) << cue.id;
        EXPECT_EQ(w.s.size(), static_cast<size_t>(std::llround(cue.rate * cue.seconds))) << cue.id;
        double sum = 0, peak = 0;
        for (double v : w.s) {
            sum += v;
            peak = std::max(peak, std::fabs(v));
        }
        EXPECT_LE(20 * std::log10(peak), -1.0) << cue.id;
        EXPECT_LT(std::fabs(sum / w.s.size()), 0.001) << cue.id << " DC offset";
        // Silent at both ends and rising gently, so playback starts and stops without a click.
        for (size_t i = 0; i < cue.rate / 1000; ++i) {
            EXPECT_LT(std::fabs(w.s[i]), 0.09 * (i + 1) / (cue.rate / 1000)) << cue.id << " start, sample " << i;
            EXPECT_LT(std::fabs(w.s[w.s.size() - 1 - i]), 0.09 * (i + 1) / (cue.rate / 1000)) << cue.id << " end, sample " << i;
        }
    }
}

TEST(Assets, CuesAreEquallyLoudByEarAndCarryOnSmallSpeakers)
{
    // cut: when the closing creak cuts the cue off (seconds after it starts; 0 = never cut).
    const struct {
        int id;
        bool ambient;
        double cut;
    } cues[] = {{761, false, 5.25}, {762, false, 5.25}, {763, false, 0}, {764, false, 4.35}, {765, false, 4.35},
                {766, false, 2.55}, {767, false, 4.8},  {768, false, 4.8}, {769, false, 0},   {774, false, 0},
                {775, false, 0},    {869, false, 0},    {871, false, 0},   {860, true, 0},    {864, true, 0}};
    double loudest = -200, quietest = 0;
    std::map<int, double> level;
    std::printf("  cue   LUFS   lost without <150 Hz   after the cut\n");
    for (const auto& cue : cues) {
        Wav w = LoadWav(cue.id);
        ASSERT_FALSE(w.s.empty()) << cue.id;
        double whole = LoudnessOf(w, 0, 1e9);
        level[cue.id] = whole;
        if (!cue.ambient) {
            loudest = std::max(loudest, whole);
            quietest = std::min(quietest, whole);
        }
        // Laptop speakers play nothing under 150 Hz: a cue must not live down there.
        synth::Buffer high = w.s;
        synth::Filter(high, synth::Biquad::HighPass(w.rate, 150.0, 0.5412));
        synth::Filter(high, synth::Biquad::HighPass(w.rate, 150.0, 1.3066));
        double lost = whole - synth::Loudness(high, w.rate);
        EXPECT_LE(lost, 6.0) << cue.id << " loses too much without its lows";
        // What comes after the cut is a tail: the cue has told its story by then.
        double tail = cue.cut > 0 ? LoudnessOf(w, cue.cut, 1e9) - whole : -99;
        EXPECT_LE(tail, -10.0) << cue.id << " is still going when it is cut off";
        std::printf("  %d  %6.1f  %6.1f dB  %6.1f LU\n", cue.id, whole, lost, tail);
    }
    EXPECT_LE(loudest - quietest, 3.0) << "door and cell cues differ too much in loudness";
    for (int id : {860, 864}) {
        EXPECT_LE(level[id], quietest - 3.0) << id << " is not far enough back";
        EXPECT_GE(level[id], loudest - 8.0) << id << " is too far back";
    }
}

// The generator's parts, on inputs small enough to know the answer.

TEST(AssetGen, PolygonCoverageMatchesAreaAndHolesStayEmpty)
{
    auto total = [](const Mask& m) {
        double t = 0;
        for (int y = 0; y < m.Height(); ++y)
            for (int x = 0; x < m.Width(); ++x) t += m.Get(x, y);
        return t;
    };
    Mask square(20, 20);
    RasterizeInto(square, {{{2, 2}, {12, 2}, {12, 12}, {2, 12}}});
    EXPECT_NEAR(total(square), 100.0, 1e-9);
    EXPECT_DOUBLE_EQ(square.Get(5, 5), 1.0);
    EXPECT_DOUBLE_EQ(square.Get(12, 5), 0.0);

    // A contour wound the other way is a hole (the counters of O, A, R, P).
    Mask ring(20, 20);
    RasterizeInto(ring, {{{2, 2}, {12, 2}, {12, 12}, {2, 12}}, {{4, 4}, {4, 8}, {8, 8}, {8, 4}}});
    EXPECT_NEAR(total(ring), 84.0, 1e-9);
    EXPECT_DOUBLE_EQ(ring.Get(5, 5), 0.0);

    // Edges off the pixel grid: the sampled area stays within a sample row of the true one.
    Mask tri(40, 40);
    RasterizeInto(tri, {{{1.3, 2.7}, {33.9, 5.1}, {12.2, 37.4}}});
    double area = 0.5 * std::fabs((33.9 - 1.3) * (37.4 - 2.7) - (12.2 - 1.3) * (5.1 - 2.7));
    EXPECT_NEAR(total(tri), area, area * 0.02);
    // Nothing is written outside the mask, whatever the shape.
    Mask small(4, 4);
    RasterizeInto(small, {{{-10, -10}, {30, -10}, {30, 30}, {-10, 30}}});
    EXPECT_NEAR(total(small), 16.0, 1e-9);
}

TEST(AssetGen, EveryLetterOfTheTextsHasInkAndTheTextsFit)
{
    for (char ch : std::string("PLAYMORGVE")) {
        std::vector<Poly> shapes;
        lettering::Layout(std::string(1, ch), 0, 0, 100, 1.0, shapes);
        Mask m(130, 110);
        RasterizeInto(m, shapes);
        double ink = 0;
        for (int y = 0; y < 110; ++y)
            for (int x = 0; x < 130; ++x) ink += m.Get(x, y);
        EXPECT_GT(ink, 1500.0) << ch;  // a missing glyph would silently draw nothing
        EXPECT_LT(ink, 7000.0) << ch;  // a lost counter would fill the letter in
    }
    std::vector<uint8_t> key;
    Canvas title = lettering::Title(520, 147, key);
    // The lettering keeps clear of the title's border, so nothing is cut off.
    for (int x = 0; x < 520; ++x) {
        EXPECT_EQ(key[static_cast<size_t>(x)], 1) << "top row, x " << x;
        EXPECT_EQ(key[static_cast<size_t>(146) * 520 + x], 1) << "bottom row, x " << x;
    }
    for (int y = 0; y < 147; ++y) {
        EXPECT_EQ(key[static_cast<size_t>(y) * 520], 1) << "left column, y " << y;
        EXPECT_EQ(key[static_cast<size_t>(y) * 520 + 519], 1) << "right column, y " << y;
    }
}

TEST(AssetGen, CropIndexedWithItsOffsetEqualsThePictureUnderIt)
{
    Canvas full(64, 48);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) full.At(x, y) = {x / 63.0, y / 47.0, 0.5 * (x + y) / 110.0};
    std::vector<uint32_t> samples = full.ToRgb32();
    Palette pal = Palette::Build(samples, {0x000000, 0x101010}, 32);
    ASSERT_EQ(pal.Colours().size(), 32u);
    IndexedImage whole = pal.Quantize(full, 0, 0, true);
    const int cx = 13, cy = 7, cw = 29, ch = 21;
    IndexedImage crop = pal.Quantize(full.Crop(cx, cy, cw, ch), cx, cy, true);
    int differ = 0;
    for (int y = 0; y < ch; ++y)
        for (int x = 0; x < cw; ++x)
            differ += crop.pixels[static_cast<size_t>(y) * cw + x] != whole.pixels[static_cast<size_t>(y + cy) * 64 + x + cx];
    EXPECT_EQ(differ, 0);
    // The excluded entry (the title's key slot) is never chosen, even for its own colour.
    EXPECT_EQ(pal.Nearest(0x101010), 1);
    EXPECT_NE(pal.Nearest(0x101010, 1), 1);
}

TEST(AssetGen, BitmapRowsArePaddedAndStoredBottomUp)
{
    IndexedImage img;
    img.width = 3;
    img.height = 2;
    img.pixels = {1, 2, 3, 4, 5, 6};
    img.colours = {0x000000, 0x112233};
    std::vector<uint8_t> b = EncodeBmp8(img, false);
    const size_t px = 14 + 40 + 1024;
    ASSERT_EQ(b.size(), px + 8);
    EXPECT_EQ(U32(b, 10), px);
    EXPECT_EQ(U32(b, 34), 8u);
    EXPECT_EQ(U32(EncodeBmp8(img, true), 34), 0u);
    // Colour table entries are blue, green, red, zero; missing entries are black.
    EXPECT_EQ(b[54 + 4], 0x33);
    EXPECT_EQ(b[54 + 5], 0x22);
    EXPECT_EQ(b[54 + 6], 0x11);
    EXPECT_EQ(U32(b, 54 + 4 * 255), 0u);
    const uint8_t rows[8] = {4, 5, 6, 0, 1, 2, 3, 0};
    for (size_t i = 0; i < 8; ++i) EXPECT_EQ(b[px + i], rows[i]) << i;
}

TEST(AssetGen, FinishingTamesAnyInput)
{
    const double fs = 22050;
    const int limit = static_cast<int>(32768 * std::pow(10.0, -1.0 / 20.0));
    auto check = [&](const synth::Buffer& in, const char* what, bool levelled) {
        std::vector<int16_t> out = synth::Finish(in, fs, -18.0, 5);
        ASSERT_EQ(out.size(), in.size()) << what;
        double sum = 0;
        int peak = 0;
        for (int16_t v : out) {
            sum += v;
            peak = std::max(peak, std::abs(static_cast<int>(v)));
        }
        EXPECT_LE(peak, limit) << what;
        EXPECT_LT(std::fabs(sum / out.size()), 30.0) << what;
        EXPECT_LE(std::abs(out.front()), 1) << what;
        EXPECT_LE(std::abs(out.back()), 1) << what;
        synth::Buffer pcm(out.begin(), out.end());
        for (double& v : pcm) v /= 32768.0;
        if (levelled) {
            EXPECT_NEAR(synth::Loudness(pcm, fs), -18.0, 1.0) << what;
        }
    };
    synth::Buffer square(22050), whisper(22050), spike(22050, 0.0);
    Rng rng(3);
    for (size_t i = 0; i < square.size(); ++i) {
        square[i] = 0.4 + ((i / 11) % 2 ? 5.0 : -5.0);  // far too loud, with a DC offset
        whisper[i] = 1e-4 * (rng.Uniform() - 0.5);      // far too quiet
    }
    spike[11000] = 1.0;
    check(square, "loud square", true);
    check(whisper, "quiet noise", true);
    check(spike, "lone click", false);
    // K-weighting: a full-scale 1 kHz sine reads -3.01 LUFS; the weighting lifts the highs a
    // little and takes the deep lows away; the gate drops the silence after a tone but keeps the
    // blocks that straddle its end (-0.34 dB).
    const struct {
        double hz, amplitude, silence, lufs;
    } tones[] = {{997, 1.0, 0, -3.01}, {997, 0.1, 0, -23.01}, {997, 0.1, 2.0, -23.32}, {4000, 0.1, 0, -19.66}, {20, 1.0, 0, -16.93}};
    for (const auto& t : tones) {
        synth::Buffer b(static_cast<size_t>(fs * (2.0 + t.silence)), 0.0);
        for (size_t i = 0; i < static_cast<size_t>(2.0 * fs); ++i) b[i] = t.amplitude * std::sin(2 * 3.14159265358979 * t.hz * i / fs);
        EXPECT_NEAR(synth::Loudness(b, fs), t.lufs, 0.3) << t.hz << " Hz, amplitude " << t.amplitude;
    }
}
