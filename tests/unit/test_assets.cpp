// Checks the committed pictures and sounds for what a viewer would notice, and the generator's
// bitmap writer and loudness levelling on inputs small enough to know the answer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "Cues.h"
#include "Doors.h"
#include "Formats.h"
#include "Noise.h"
#include "Synth.h"

namespace {

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

uint32_t U16(const std::vector<uint8_t>& b, size_t at) {
    return at + 2 <= b.size() ? b[at] | (b[at + 1] << 8) : 0xffffffffu;
}
uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return at + 4 <= b.size() ? U16(b, at) | (U16(b, at + 2) << 16) : 0xffffffffu;
}

// A committed picture: its colour table (0x00RRGGBB) and pixels, top row first. Whether the saver
// reads it, and at which size, is the resource tests' business.
struct Bmp {
    int width = 0, height = 0;
    std::vector<uint32_t> colours;
    std::vector<uint8_t> pixels;
    uint32_t At(int x, int y) const { return colours[pixels[static_cast<size_t>(y) * width + x]]; }
};

Bmp LoadBmp(int id) {
    const std::vector<uint8_t> b = ReadAll(MG_RES_DIR "/art/" + std::to_string(id) + ".bmp");
    Bmp r;
    r.width = static_cast<int>(U32(b, 18));
    r.height = static_cast<int>(U32(b, 22));
    const size_t stride = (static_cast<size_t>(r.width) + 3) & ~size_t{3}, offset = U32(b, 10);
    if (r.width <= 0 || r.height <= 0 || offset < 54 + 1024 || offset + stride * r.height > b.size()) return Bmp{};
    for (size_t i = 0; i < 256; ++i) r.colours.push_back(U32(b, 54 + 4 * i) & 0xffffff);
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) r.pixels.push_back(b[offset + (r.height - 1 - y) * stride + x]);
    return r;
}

// One committed cue, samples scaled to full scale 1.0; empty unless it is mono 16-bit PCM.
struct Wav {
    uint32_t rate = 0;
    synth::Buffer s;
};

Wav LoadWav(int id) {
    const std::vector<uint8_t> w = ReadAll(MG_RES_DIR "/sound/" + std::to_string(id) + ".wav");
    Wav r;
    bool pcm = false;
    if (w.size() < 12 || std::memcmp(w.data(), "RIFF", 4) || std::memcmp(w.data() + 8, "WAVE", 4)) return r;
    for (size_t at = 12; at + 8 <= w.size();) {
        const std::string tag(w.begin() + static_cast<long>(at), w.begin() + static_cast<long>(at) + 4);
        const uint32_t len = std::min<uint32_t>(U32(w, at + 4), static_cast<uint32_t>(w.size() - at - 8));
        if (tag == "fmt ") {
            pcm = U16(w, at + 8) == 1 && U16(w, at + 10) == 1 && U16(w, at + 22) == 16;
            r.rate = U32(w, at + 12);
        }
        for (size_t i = 0; tag == "data" && pcm && i + 1 < len; i += 2)
            r.s.push_back(static_cast<int16_t>(U16(w, at + 8 + i)) / 32768.0);
        at += 8 + len + (len & 1);
    }
    return r;
}

}  // namespace

// The saver makes its one palette from the first picture it shows and maps the rest to it, and
// masks the title by its colour index 1: so every picture has the background's colours, and only
// the title's entry 1 is the key colour (no other entry comes near it, or it would show as a hole).
TEST(Assets, OnePaletteForEveryPictureAndTheKeyOnlyInTheTitle) {
    const Bmp bg = LoadBmp(673);
    ASSERT_EQ(bg.colours.size(), 256u);
    std::vector<int> ids = {670, 858, 873};  // title, flash, preview
    for (int d = 0; d < doors::Count(); ++d)
        for (int f = 0; f < doors::Spec(d).frames; ++f) ids.push_back(doors::ResourceId(d, f));
    for (int id : ids) {
        const Bmp b = LoadBmp(id);
        ASSERT_EQ(b.colours.size(), 256u) << id;
        for (size_t i = 0; i < 256; ++i)
            ASSERT_TRUE(b.colours[i] == bg.colours[i] || (id == 670 && i == 1)) << id << " entry " << i;
    }
    for (uint32_t c : bg.colours)
        EXPECT_FALSE((c >> 16) >= 247 && ((c >> 8) & 255) <= 8 && (c & 255) >= 247) << std::hex << c;
    EXPECT_EQ(LoadBmp(670).colours.at(1), 0xff00ffu);
}

// A door's first frame is the background under it, so a door does not jump when it starts to open.
TEST(Assets, EveryDoorStartsAsTheBackgroundUnderIt) {
    const Bmp bg = LoadBmp(673);
    ASSERT_FALSE(bg.colours.empty());
    for (int d = 0; d < doors::Count(); ++d) {
        const doors::DoorSpec& s = doors::Spec(d);
        const Bmp f = LoadBmp(doors::ResourceId(d, 0));
        ASSERT_TRUE(f.width == s.rw && f.height == s.rh) << s.name;
        int differ = 0;
        for (int y = 0; y < s.rh; ++y)
            for (int x = 0; x < s.rw; ++x) differ += f.At(x, y) != bg.At(s.rx + x, s.ry + y);
        EXPECT_EQ(differ, 0) << s.name;
    }
}

// Every cue plays without clipping, offset or a click at either end, and the door and cell cues
// are equally loud by ear (integrated loudness), with the two ambient beds (860, 864) further back.
TEST(Assets, CuesAreCleanAndEquallyLoud) {
    double loudest = -200, quietest = 0;
    std::map<int, double> level;
    for (const cues::CueInfo& cue : cues::Table()) {
        const Wav w = LoadWav(cue.id);
        ASSERT_TRUE(w.rate >= 8000 && w.s.size() > w.rate / 2) << cue.id;
        double sum = 0, peak = 0;
        for (double v : w.s) sum += v, peak = std::max(peak, std::fabs(v));
        EXPECT_LE(20 * std::log10(peak), -1.0) << cue.id;
        EXPECT_LT(std::fabs(sum / w.s.size()), 0.001) << cue.id << " DC offset";
        const size_t ms = w.rate / 1000;  // the first and last millisecond rise from silence
        for (size_t i = 0; i < ms; ++i)
            ASSERT_LT(std::max(std::fabs(w.s[i]), std::fabs(w.s[w.s.size() - 1 - i])), 0.09 * (i + 1) / ms)
                << cue.id << " clicks";
        level[cue.id] = synth::Loudness(w.s, w.rate);
        if (cue.id == 860 || cue.id == 864) continue;  // the ambient beds
        loudest = std::max(loudest, level[cue.id]);
        quietest = std::min(quietest, level[cue.id]);
    }
    EXPECT_LE(loudest - quietest, 3.0) << "door and cell cues differ too much in loudness";
    for (int id : {860, 864})
        EXPECT_TRUE(level[id] <= quietest - 3.0 && level[id] >= loudest - 8.0) << id << ": " << level[id];
}

TEST(AssetGen, BitmapsAreWrittenAsTheSaverReadsThem) {
    IndexedImage img;
    img.width = 3;
    img.height = 2;
    img.pixels = {1, 2, 3, 4, 5, 6};
    img.colours = {0x000000, 0x112233};
    const std::vector<uint8_t> b = EncodeBmp8(img, false);
    const uint32_t px = 14 + 40 + 1024;
    ASSERT_EQ(b.size(), px + 8);
    // File size, reserved, pixel offset; header size, width, height, 1 plane and 8 bits, BI_RGB, image size.
    const uint32_t fields[] = {px + 8, 0, px, 40, 3, 2, 1 | 8 << 16, 0, 8};
    for (size_t i = 0; i < 9; ++i) EXPECT_EQ(U32(b, 2 + 4 * i), fields[i]) << "at " << 2 + 4 * i;
    EXPECT_EQ(U32(EncodeBmp8(img, true), 34), 0u);
    EXPECT_EQ(U32(b, 54 + 4), 0x112233u);  // blue, green, red, 0
    EXPECT_EQ(U32(b, 54 + 4 * 255), 0u);   // entries beyond the picture's are black
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + px, b.end()), (std::vector<uint8_t>{4, 5, 6, 0, 1, 2, 3, 0}));
}

TEST(AssetGen, FinishingLevelsAnyInputWithoutClipping) {
    const double fs = 22050;
    synth::Buffer square(22050), whisper(22050), spike(22050, 0.0);
    Rng rng(3);
    for (size_t i = 0; i < square.size(); ++i) {
        square[i] = 0.4 + ((i / 11) % 2 ? 5.0 : -5.0);  // far too loud, with a DC offset
        whisper[i] = 1e-4 * (rng.Uniform() - 0.5);      // far too quiet
    }
    spike[11000] = 1.0;
    const struct {
        const synth::Buffer& in;
        const char* what;
        bool levelled;
    } inputs[] = {{square, "loud square", true}, {whisper, "quiet noise", true}, {spike, "lone click", false}};
    for (const auto& input : inputs) {
        const std::vector<int16_t> out = synth::Finish(input.in, fs, -18.0, 5);
        ASSERT_EQ(out.size(), input.in.size()) << input.what;
        synth::Buffer pcm(out.begin(), out.end());
        double sum = 0, peak = 0;
        for (double& v : pcm) v /= 32768.0, sum += v, peak = std::max(peak, std::fabs(v));
        EXPECT_LE(20 * std::log10(peak), -1.0) << input.what;
        EXPECT_LT(std::fabs(sum / pcm.size()), 0.001) << input.what;
        EXPECT_TRUE(std::abs(out.front()) <= 1 && std::abs(out.back()) <= 1) << input.what;
        if (input.levelled) {
            EXPECT_NEAR(synth::Loudness(pcm, fs), -18.0, 1.0) << input.what;
        }
    }
    // K-weighting: a full-scale 1 kHz sine reads -3.01 LUFS; the weighting lifts the highs a little
    // and takes the deep lows away; the gate drops the silence after a tone but keeps the blocks
    // that straddle its end (-0.34 dB).
    const struct {
        double hz, amplitude, silence, lufs;
    } tones[] = {{997, 1.0, 0, -3.01},
                 {997, 0.1, 0, -23.01},
                 {997, 0.1, 2.0, -23.32},
                 {4000, 0.1, 0, -19.66},
                 {20, 1.0, 0, -16.93}};
    for (const auto& t : tones) {
        synth::Buffer b(static_cast<size_t>(fs * (2.0 + t.silence)), 0.0);
        for (size_t i = 0; i < static_cast<size_t>(2.0 * fs); ++i)
            b[i] = t.amplitude * std::sin(2 * 3.14159265358979 * t.hz * i / fs);
        EXPECT_NEAR(synth::Loudness(b, fs), t.lufs, 0.3) << t.hz << " Hz, amplitude " << t.amplitude;
    }
}
