// morgrave-record pieces: GIF writer decoded back by a reference LZW decoder, and the option parser.
#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <vector>

#include "GifWriter.h"
#include "RecordOptions.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A plain GIF LZW decoder, written from the format's rules, over the sub-blocks at data[*at]; *at moves
// past the empty sub-block that ends them.
Bytes Decode(const Bytes& data, std::size_t* at) {
    const int minCode = data.at((*at)++);
    Bytes stream, out, prev;
    for (std::size_t n; (n = data.at(*at)) != 0; *at += n + 1)
        stream.insert(stream.end(), &data[*at + 1], &data[*at + 1 + n]);
    ++*at;
    const unsigned clear = 1u << minCode;
    std::vector<Bytes> table;
    int size = minCode + 1;
    for (std::size_t bit = 0; bit + static_cast<std::size_t>(size) <= stream.size() * 8;) {
        unsigned code = 0;
        for (int i = 0; i < size; ++i, ++bit) code |= ((stream[bit / 8] >> (bit % 8)) & 1u) << i;
        if (code == clear) {
            table.clear();
            for (unsigned i = 0; i < clear + 2; ++i) table.push_back({static_cast<std::uint8_t>(i)});
            size = minCode + 1;
            prev.clear();
            continue;
        }
        if (code == clear + 1) break;
        Bytes entry = code < table.size() ? table[code] : prev;
        if (code >= table.size()) entry.push_back(prev.at(0));
        out.insert(out.end(), entry.begin(), entry.end());
        if (!prev.empty() && table.size() < 4096) {
            table.push_back(prev);
            table.back().push_back(entry[0]);
            if (table.size() == (1u << size) && size < 12) ++size;
        }
        prev = entry;
    }
    return out;
}

Bytes Noise(std::size_t n, std::uint32_t seed, unsigned alphabet) {
    Bytes v(n);
    for (auto& b : v) b = static_cast<std::uint8_t>(((seed = seed * 1103515245u + 12345u) >> 16) % alphabet);
    return v;
}

int U16(const Bytes& b, std::size_t at) { return b.at(at) | (b.at(at + 1) << 8); }
std::uint32_t Rgb(const Bytes& b, std::size_t at) { return b.at(at) << 16 | b.at(at + 1) << 8 | b.at(at + 2); }

}  // namespace

TEST(GifWriter, LzwRoundTripsShortLongAndTableFillingInputs) {
    for (const Bytes& in : {Bytes{}, Bytes{7}, Bytes(9, 0), Noise(1000, 1, 4), Noise(200000, 2, 256),
                            Noise(300000, 3, 16), Bytes(100000, 255)}) {
        const Bytes packed = CGifWriter::CompressLzw(in);
        std::size_t used = 0;  // also walks the sub-blocks (at most 255 bytes each, then an empty one)
        EXPECT_EQ(Decode(packed, &used), in) << "length " << in.size();
        EXPECT_EQ(used, packed.size());
    }
}

TEST(GifWriter, FramesKeepExactColoursAndStoreOnlyWhatChanged) {
    const int w = 40, h = 30;
    std::vector<std::uint32_t> frame(w * h);
    for (int i = 0; i < w * h; ++i) frame[i] = static_cast<std::uint32_t>((i % 200) * 0x010203);
    const std::vector<std::uint32_t> first = frame;
    CGifWriter gif(w, h);
    gif.AddFrame(frame.data(), w, 5);
    gif.AddFrame(frame.data(), w, 5);  // unchanged: lengthens the first frame
    frame[5 * w + 7] = 0x123456;
    frame[9 * w + 12] = 0x654321;
    gif.AddFrame(frame.data(), w, 5);
    EXPECT_EQ(std::make_tuple(gif.FrameCount(), gif.ApproximatedPixels()), std::make_tuple(2, 0L));

    const Bytes file = gif.Encode();
    EXPECT_EQ(std::make_tuple(std::string(file.begin(), file.begin() + 6), U16(file, 6), U16(file, 8)),
              std::make_tuple(std::string("GIF89a"), w, h));
    // Walk the frames after the header, palette and looping extension: control (delay), box, pixels.
    std::vector<std::vector<std::uint32_t>> pixels;
    std::vector<int> blocks;  // per frame: delay, x, y, width, height
    std::size_t p = 13 + 768 + 19;
    while (p + 18 < file.size() && file[p] == 0x21 && file[p + 1] == 0xF9 && file[p + 8] == 0x2C) {
        for (std::size_t f : {p + 4, p + 9, p + 11, p + 13, p + 15}) blocks.push_back(U16(file, f));
        p += 18;
        pixels.emplace_back();
        for (std::size_t i : Decode(file, &p)) pixels.back().push_back(Rgb(file, 13 + 3 * i));  // the palette's colour
    }
    EXPECT_EQ(Bytes(file.begin() + static_cast<std::ptrdiff_t>(p), file.end()), Bytes{0x3B});  // the trailer
    EXPECT_EQ(blocks, (std::vector<int>{10, 0, 0, w, h, 5, 7, 5, 6, 5}));
    ASSERT_EQ(pixels.size(), 2u);
    EXPECT_EQ(pixels[0], first);
    EXPECT_EQ(std::make_tuple(pixels[1].front(), pixels[1].back()), std::make_tuple(0x123456u, 0x654321u));
}

TEST(RecordOptions, DefaultsValuesAndClearErrors) {
    RecordOptions o;
    std::string err;
    ASSERT_TRUE(ParseRecordOptions({}, &o, &err));
    EXPECT_EQ(std::tie(o.width, o.height, o.ticks, o.scale), std::make_tuple(1024, 768, 200, 1));
    ASSERT_TRUE(ParseRecordOptions({"--size", "800x600", "--clock", "7", "--ticks", "12", "--pain", "-5", "--sound",
                                    "0", "--subliminals", "0", "--gif", "a.gif", "--log", "a.txt", "--scale", "2"},
                                   &o, &err));
    EXPECT_EQ(std::tie(o.width, o.height, o.clockSeconds, o.ticks, o.pain, o.sound, o.subliminals, o.scale, o.gifPath,
                       o.logPath),
              std::make_tuple(800, 600, std::int64_t{7}, 12, -5, 0, 0, 2, std::string("a.gif"), std::string("a.txt")));
    const std::vector<std::vector<std::string>> bad = {
        {"--size", "800"}, {"--size", "0x5"}, {"--size", "99999x5"},     {"--ticks", "-1"},    {"--ticks", "12a"},
        {"--scale", "0"},  {"--clock"},       {"--pain", "99999999999"}, {"--frobnicate", "1"}};
    for (const std::vector<std::string>& args : bad) {
        std::string why;
        EXPECT_FALSE(ParseRecordOptions(args, &o, &why) || why.empty()) << args[0];
    }
}
