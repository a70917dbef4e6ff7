// Byte-exact writers for the shipped file formats: 8-bit BMP, 4-bit ICO, 1-bit CUR, PCM WAVE.
#include "Formats.h"

#include <cstdio>

namespace {

void Put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& b, uint32_t v) {
    Put16(b, v & 0xffff);
    Put16(b, v >> 16);
}

void PutTag(std::vector<uint8_t>& b, const char* tag) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(tag[i]));
}

// BITMAPINFOHEADER; height is the stored height (doubled for icon and cursor images).
void PutInfoHeader(std::vector<uint8_t>& b, int width, int height, int bpp, uint32_t sizeImage) {
    Put32(b, 40);
    Put32(b, static_cast<uint32_t>(width));
    Put32(b, static_cast<uint32_t>(height));
    Put16(b, 1);
    Put16(b, static_cast<uint32_t>(bpp));
    Put32(b, 0);  // BI_RGB
    Put32(b, sizeImage);
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, 0);  // colour count 0: the full table for the depth
    Put32(b, 0);
}

void PutColourTable(std::vector<uint8_t>& b, const std::vector<uint32_t>& colours, size_t entries) {
    for (size_t i = 0; i < entries; ++i) {
        uint32_t c = i < colours.size() ? colours[i] : 0;
        b.push_back(static_cast<uint8_t>(c));
        b.push_back(static_cast<uint8_t>(c >> 8));
        b.push_back(static_cast<uint8_t>(c >> 16));
        b.push_back(0);
    }
}

int Stride(int width, int bpp) { return ((width * bpp + 31) / 32) * 4; }

// Bottom-up 4-bit XOR rows followed by the 1-bit AND rows of one icon image.
std::vector<uint8_t> IconImage(const IndexedImage& img, const std::vector<uint8_t>& andMask) {
    std::vector<uint8_t> b;
    int xorStride = Stride(img.width, 4), andStride = Stride(img.width, 1);
    uint32_t size = static_cast<uint32_t>((xorStride + andStride) * img.height);
    PutInfoHeader(b, img.width, img.height * 2, 4, size);
    PutColourTable(b, img.colours, 16);
    for (int y = img.height - 1; y >= 0; --y) {
        std::vector<uint8_t> row(static_cast<size_t>(xorStride), 0);
        for (int x = 0; x < img.width; ++x) {
            uint8_t v = img.pixels[static_cast<size_t>(y) * img.width + x] & 15;
            row[static_cast<size_t>(x / 2)] |= (x % 2 == 0) ? static_cast<uint8_t>(v << 4) : v;
        }
        b.insert(b.end(), row.begin(), row.end());
    }
    for (int y = img.height - 1; y >= 0; --y) {
        std::vector<uint8_t> row(static_cast<size_t>(andStride), 0);
        for (int x = 0; x < img.width; ++x)
            if (andMask[static_cast<size_t>(y) * img.width + x])
                row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

}  // namespace

std::vector<uint8_t> EncodeBmp8(const IndexedImage& img, bool zeroImageSize) {
    int stride = Stride(img.width, 8);
    uint32_t pixelBytes = static_cast<uint32_t>(stride * img.height);
    uint32_t offset = 14 + 40 + 256 * 4;
    std::vector<uint8_t> b;
    b.push_back('B');
    b.push_back('M');
    Put32(b, offset + pixelBytes);
    Put32(b, 0);
    Put32(b, offset);
    PutInfoHeader(b, img.width, img.height, 8, zeroImageSize ? 0 : pixelBytes);
    PutColourTable(b, img.colours, 256);
    for (int y = img.height - 1; y >= 0; --y) {
        const uint8_t* row = &img.pixels[static_cast<size_t>(y) * img.width];
        b.insert(b.end(), row, row + img.width);
        for (int p = img.width; p < stride; ++p) b.push_back(0);
    }
    return b;
}

std::vector<uint8_t> EncodeIco4(const std::vector<IndexedImage>& images,
                                const std::vector<std::vector<uint8_t>>& andMasks) {
    std::vector<uint8_t> b;
    Put16(b, 0);
    Put16(b, 1);  // icon
    Put16(b, static_cast<uint32_t>(images.size()));
    std::vector<std::vector<uint8_t>> bodies;
    for (size_t i = 0; i < images.size(); ++i) bodies.push_back(IconImage(images[i], andMasks[i]));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        b.push_back(static_cast<uint8_t>(images[i].width));
        b.push_back(static_cast<uint8_t>(images[i].height));
        b.push_back(16);  // colours
        b.push_back(0);
        Put16(b, 1);  // planes
        Put16(b, 4);  // bits per pixel
        Put32(b, static_cast<uint32_t>(bodies[i].size()));
        Put32(b, offset);
        offset += static_cast<uint32_t>(bodies[i].size());
    }
    for (const auto& body : bodies) b.insert(b.end(), body.begin(), body.end());
    return b;
}

std::vector<uint8_t> EncodeBlankCursor() {
    std::vector<uint8_t> img;
    PutInfoHeader(img, 32, 64, 1, 256);
    PutColourTable(img, {0x000000, 0xffffff}, 2);
    img.insert(img.end(), 128, 0x00);  // XOR mask
    img.insert(img.end(), 128, 0xff);  // AND mask
    std::vector<uint8_t> b;
    Put16(b, 0);
    Put16(b, 2);  // cursor
    Put16(b, 1);
    b.push_back(32);
    b.push_back(32);
    b.push_back(0);
    b.push_back(0);
    Put16(b, 0);  // hot spot x
    Put16(b, 0);  // hot spot y
    Put32(b, static_cast<uint32_t>(img.size()));
    Put32(b, 22);
    b.insert(b.end(), img.begin(), img.end());
    return b;
}

std::vector<uint8_t> EncodeWav16(const std::vector<int16_t>& samples, uint32_t rate) {
    uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> b;
    PutTag(b, "RIFF");
    Put32(b, 36 + dataBytes);
    PutTag(b, "WAVE");
    PutTag(b, "fmt ");
    Put32(b, 16);
    Put16(b, 1);  // PCM
    Put16(b, 1);  // mono
    Put32(b, rate);
    Put32(b, rate * 2);
    Put16(b, 2);
    Put16(b, 16);
    PutTag(b, "data");
    Put32(b, dataBytes);
    for (int16_t s : samples) Put16(b, static_cast<uint16_t>(s));
    return b;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    return ok;
}
