// morgrave-iconpng: writes one size of the saver's application icon (from its own resources) as a PNG.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/common/EmbeddedResources.h"
#include "platform/common/IconResources.h"
#include "resource.h"

namespace {

std::uint32_t Crc32(const std::uint8_t* p, std::size_t n, std::uint32_t crc = 0) {
    crc = ~crc;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutBe32(std::vector<std::uint8_t>* out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<std::uint8_t>(v >> shift));
}

void PutChunk(std::vector<std::uint8_t>* out, const char* type, const std::vector<std::uint8_t>& body) {
    PutBe32(out, static_cast<std::uint32_t>(body.size()));
    std::vector<std::uint8_t> typed(type, type + 4);
    typed.insert(typed.end(), body.begin(), body.end());
    out->insert(out->end(), typed.begin(), typed.end());
    PutBe32(out, Crc32(typed.data(), typed.size()));
}

// An 8-bit RGBA PNG; the image data is a zlib stream of stored (uncompressed) blocks, which every
// reader accepts and which needs no compression library for icons this small.
std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint32_t>& argb) {
    std::vector<std::uint8_t> raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // filter: none
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = argb[static_cast<std::size_t>(y) * width + x];
            for (int shift : {16, 8, 0, 24}) raw.push_back(static_cast<std::uint8_t>(c >> shift));
        }
    }
    std::vector<std::uint8_t> z = {0x78, 0x01};
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t v : raw) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    for (std::size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
        z.push_back(at + n >= raw.size() ? 1 : 0);
        z.push_back(static_cast<std::uint8_t>(n));
        z.push_back(static_cast<std::uint8_t>(n >> 8));
        z.push_back(static_cast<std::uint8_t>(~n));
        z.push_back(static_cast<std::uint8_t>(~n >> 8));
        z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                 raw.begin() + static_cast<std::ptrdiff_t>(at + n));
        if (raw.empty()) break;
    }
    PutBe32(&z, (b << 16) | a);

    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<std::uint8_t> header;
    PutBe32(&header, static_cast<std::uint32_t>(width));
    PutBe32(&header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter choice, no interlace
    PutChunk(&png, "IHDR", header);
    PutChunk(&png, "IDAT", z);
    PutChunk(&png, "IEND", {});
    return png;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: morgrave-iconpng SIZE OUT.png\n");
        return 2;
    }
    const int size = std::atoi(argv[1]);
    plat::IconImage image;
    std::int32_t width = 0, height = 0;
    std::vector<std::uint32_t> argb;
    if (!plat::FindIconImage(plat::FindEmbeddedResource, IDR_MAINFRAME, size, &image) || image.width != size ||
        !plat::DecodeIconBitmap(image.bytes.data, image.bytes.size, &width, &height, &argb) || width != size ||
        height != size) {
        std::fprintf(stderr, "morgrave-iconpng: the application icon has no %d x %d image\n", size, size);
        return 1;
    }
    const std::vector<std::uint8_t> png = EncodePng(width, height, argb);
    std::FILE* f = std::fopen(argv[2], "wb");
    if (f == nullptr || std::fwrite(png.data(), 1, png.size(), f) != png.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "morgrave-iconpng: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
