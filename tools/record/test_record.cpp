// morgrave-record pieces: GIF writer decoded back by a reference LZW decoder, and the option parser.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "GifWriter.h"
#include "RecordOptions.h"

namespace {

// A plain GIF LZW decoder over the concatenated sub-blocks, written from the format's rules.
std::vector<std::uint8_t> Decode(const std::vector<std::uint8_t>& data, std::size_t* used) {
    std::size_t p = 0;
    const int minCode = data[p++];
    std::vector<std::uint8_t> stream;
    while (p < data.size() && data[p] != 0) {
        const std::size_t n = data[p++];
        stream.insert(stream.end(), data.begin() + static_cast<std::ptrdiff_t>(p),
                      data.begin() + static_cast<std::ptrdiff_t>(p + n));
        p += n;
    }
    *used = p + 1;
    const unsigned clear = 1u << minCode, end = clear + 1;
    std::vector<std::vector<std::uint8_t>> table;
    auto reset = [&] {
        table.clear();
        for (unsigned i = 0; i < clear + 2; ++i) table.push_back({static_cast<std::uint8_t>(i)});
    };
    reset();
    int size = minCode + 1;
    std::size_t bit = 0;
    std::vector<std::uint8_t> out;
    std::vector<std::uint8_t> prev;
    while (bit + static_cast<std::size_t>(size) <= stream.size() * 8) {
        unsigned code = 0;
        for (int i = 0; i < size; ++i, ++bit) code |= ((stream[bit / 8] >> (bit % 8)) & 1u) << i;
        if (code == clear) {
            reset();
            size = minCode + 1;
            prev.clear();
            continue;
        }
        if (code == end) break;
        std::vector<std::uint8_t> entry;
        if (code < table.size()) {
            entry = table[code];
        } else {
            EXPECT_EQ(code, table.size());
            entry = prev;
            entry.push_back(prev.at(0));
        }
        out.insert(out.end(), entry.begin(), entry.end());
        if (!prev.empty() && table.size() < 4096) {
            std::vector<std::uint8_t> added = prev;
            added.push_back(entry[0]);
            table.push_back(added);
            if (table.size() == (1u << size) && size < 12) ++size;
        }
        prev = entry;
    }
    return out;
}

std::vector<std::uint8_t> Noise(std::size_t n, std::uint32_t seed, int alphabet) {
    std::vector<std::uint8_t> v(n);
    for (auto& b : v) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>((seed >> 16) % static_cast<std::uint32_t>(alphabet));
    }
    return v;
}

}  // namespace

TEST(GifWriter, LzwRoundTripsShortLongAndTableFillingInputs) {
    std::vector<std::vector<std::uint8_t>> inputs = {
        {}, {7}, {0, 0, 0, 0, 0, 0, 0, 0, 0}, Noise(1000, 1, 4), Noise(200000, 2, 256), Noise(300000, 3, 16),
        std::vector<std::uint8_t>(100000, 255)};
    for (const auto& in : inputs) {
        const std::vector<std::uint8_t> packed = CGifWriter::CompressLzw(in);
        std::size_t used = 0;
        EXPECT_EQ(Decode(packed, &used), in) << "length " << in.size();
        EXPECT_EQ(used, packed.size());
        // Sub-blocks of at most 255 bytes, ended by an empty one.
        std::size_t p = 1;
        while (packed[p] != 0) p += packed[p] + 1u;
        EXPECT_EQ(p + 1, packed.size());
    }
}

TEST(GifWriter, FramesKeepExactColoursAndStoreOnlyWhatChanged) {
    const int w = 40, h = 30;
    std::vector<std::uint32_t> frame(w * h);
    for (int i = 0; i < w * h; ++i) frame[i] = static_cast<std::uint32_t>((i % 200) * 0x010203);
    CGifWriter gif(w, h);
    gif.AddFrame(frame.data(), w, 5);
    gif.AddFrame(frame.data(), w, 5);  // unchanged: lengthens the first frame
    frame[5 * w + 7] = 0x123456;
    frame[9 * w + 12] = 0x654321;
    gif.AddFrame(frame.data(), w, 5);
    EXPECT_EQ(gif.FrameCount(), 2);
    EXPECT_EQ(gif.ApproximatedPixels(), 0);

    const std::vector<std::uint8_t> file = gif.Encode();
    ASSERT_GT(file.size(), 13u + 768u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 6), "GIF89a");
    EXPECT_EQ(file[6] | (file[7] << 8), w);
    EXPECT_EQ(file[8] | (file[9] << 8), h);
    EXPECT_EQ(file.back(), 0x3B);
    const std::uint8_t* pal = &file[13];
    auto colour = [&](int idx) {
        return static_cast<std::uint32_t>(pal[3 * idx] << 16 | pal[3 * idx + 1] << 8 | pal[3 * idx + 2]);
    };

    // Walk the blocks: frame 1 covers all, delay 10; frame 2 is the changed box only.
    std::size_t p = 13 + 768 + 19;
    std::vector<std::vector<std::uint32_t>> pixels;
    std::vector<int> delays, boxes;
    while (file[p] == 0x21) {
        ASSERT_EQ(file[p + 1], 0xF9);
        delays.push_back(file[p + 4] | (file[p + 5] << 8));
        p += 8;
        ASSERT_EQ(file[p], 0x2C);
        boxes.insert(boxes.end(), {file[p + 1] | (file[p + 2] << 8), file[p + 3] | (file[p + 4] << 8),
                                   file[p + 5] | (file[p + 6] << 8), file[p + 7] | (file[p + 8] << 8)});
        p += 10;
        std::size_t used = 0;
        const std::vector<std::uint8_t> data(file.begin() + static_cast<std::ptrdiff_t>(p), file.end());
        std::vector<std::uint32_t> px;
        for (std::uint8_t i : Decode(data, &used)) px.push_back(colour(i));
        pixels.push_back(px);
        p += used;
    }
    EXPECT_EQ(file[p], 0x3B);
    ASSERT_EQ(pixels.size(), 2u);
    EXPECT_EQ(delays, (std::vector<int>{10, 5}));
    EXPECT_EQ(pixels[0].size(), static_cast<std::size_t>(w * h));
    int wrong = 0;
    for (int i = 0; i < w * h; ++i) wrong += (i != 5 * w + 7 && i != 9 * w + 12 && pixels[0][i] != frame[i]) ? 1 : 0;
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(boxes, (std::vector<int>{0, 0, w, h, 7, 5, 6, 5}));
    EXPECT_EQ(pixels[1].front(), 0x123456u);
    EXPECT_EQ(pixels[1].back(), 0x654321u);
}

TEST(RecordOptions, DefaultsValuesAndClearErrors) {
    RecordOptions o;
    std::string err;
    ASSERT_TRUE(ParseRecordOptions({}, &o, &err));
    EXPECT_EQ(o.width, 1024);
    EXPECT_EQ(o.height, 768);
    EXPECT_EQ(o.scale, 1);
    ASSERT_TRUE(ParseRecordOptions({"--size", "800x600", "--clock", "7", "--ticks", "12", "--pain", "-5", "--sound",
                                    "0", "--subliminals", "0", "--gif", "a.gif", "--log", "a.txt", "--scale", "2"},
                                   &o, &err));
    EXPECT_EQ(o.width, 800);
    EXPECT_EQ(o.height, 600);
    EXPECT_EQ(o.clockSeconds, 7);
    EXPECT_EQ(o.ticks, 12);
    EXPECT_EQ(o.pain, -5);
    EXPECT_EQ(o.sound, 0);
    EXPECT_EQ(o.subliminals, 0);
    EXPECT_EQ(o.gifPath, "a.gif");
    EXPECT_EQ(o.logPath, "a.txt");
    EXPECT_EQ(o.scale, 2);
    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{"--size", "800"}, {"--size", "0x5"}, {"--size", "99999x5"},
                                               {"--ticks", "-1"}, {"--ticks", "12a"}, {"--scale", "0"},
                                               {"--clock"}, {"--pain", "99999999999"}, {"--frobnicate", "1"}}) {
        err.clear();
        EXPECT_FALSE(ParseRecordOptions(bad, &o, &err)) << bad[0];
        EXPECT_FALSE(err.empty());
    }
}
