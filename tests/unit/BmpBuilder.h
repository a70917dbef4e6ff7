// Builds 8-bit bitmap resources (BMP files without the file header) for the imaging tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace test {

struct Rgb {
    std::uint8_t r, g, b;
};

struct BmpDesc {
    std::int32_t width = 1;
    std::int32_t height = 1;           // positive: rows stored bottom-up, as in a BMP file
    std::vector<Rgb> colors;           // the colour table written to the resource
    std::vector<std::uint8_t> pixels;  // width x |height| indices, top row first
    // Header fields as written; -1 means "derive": colour count = colors.size(), image size = rows x stride.
    std::int64_t clrUsedField = -1;
    std::int64_t sizeImageField = -1;
    std::uint32_t headerSize = 40;
    std::uint16_t bitCount = 8;
    std::uint32_t compression = 0;
};

// The name the scene window's test harness uses.
using BmpSpec = BmpDesc;

inline void Put32(std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t x) {
    for (int i = 0; i < 4; ++i) v[at + i] = static_cast<std::uint8_t>(x >> (8 * i));
}

inline std::int32_t Stride(std::int32_t width) { return (width + 3) & ~3; }

inline std::vector<std::uint8_t> BuildBmp(const BmpDesc& s) {
    const std::int32_t rows = s.height < 0 ? -s.height : s.height;
    const std::int32_t stride = s.width > 0 ? Stride(s.width) : 0;
    std::vector<std::uint8_t> v(40 + 4 * s.colors.size() + static_cast<std::size_t>(rows) * stride, 0);
    const std::int64_t derived[] = {s.headerSize,
                                    s.width,
                                    s.height,
                                    1 | (s.bitCount << 16),
                                    s.compression,
                                    s.sizeImageField >= 0 ? s.sizeImageField : std::int64_t{rows} * stride,
                                    0,
                                    0,
                                    s.clrUsedField >= 0 ? s.clrUsedField : static_cast<std::int64_t>(s.colors.size())};
    for (std::size_t i = 0; i < 9; ++i) Put32(v, 4 * i, static_cast<std::uint32_t>(derived[i]));
    for (std::size_t i = 0; i < s.colors.size(); ++i) {
        v[40 + 4 * i] = s.colors[i].b;
        v[40 + 4 * i + 1] = s.colors[i].g;
        v[40 + 4 * i + 2] = s.colors[i].r;
    }
    const std::size_t pix = 40 + 4 * s.colors.size();
    for (std::int32_t y = 0; y < rows && !s.pixels.empty(); ++y) {
        const std::int32_t fileRow = s.height > 0 ? rows - 1 - y : y;
        std::memcpy(&v[pix + static_cast<std::size_t>(fileRow) * stride],
                    &s.pixels[static_cast<std::size_t>(y) * s.width], static_cast<std::size_t>(s.width));
    }
    return v;
}

// A w x h image with a 256-entry table (i, 255 - i, 7i) and pixel (x, y) = (x + 3y) mod 256.
inline BmpDesc Pattern(std::int32_t w, std::int32_t h) {
    BmpDesc s;
    s.width = w;
    s.height = h;
    for (int i = 0; i < 256; ++i)
        s.colors.push_back(
            Rgb{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i), static_cast<std::uint8_t>(i * 7)});
    const std::int32_t rows = h < 0 ? -h : h;
    for (std::int32_t y = 0; y < rows; ++y)
        for (std::int32_t x = 0; x < w; ++x) s.pixels.push_back(static_cast<std::uint8_t>((x + 3 * y) & 0xff));
    return s;
}

inline std::uint32_t ColorRef(Rgb c) { return c.r | (c.g << 8) | (static_cast<std::uint32_t>(c.b) << 16); }

}  // namespace test
