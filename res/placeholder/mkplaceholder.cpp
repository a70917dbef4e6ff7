// Build-time stand-ins for art and sound that res/art and res/sound do not hold yet.

// Each is in the format the resource script expects: 8-bit BMP, mono 16-bit PCM WAVE, 16-colour
// icon, blank cursor.
//
//   mkplaceholder bmp OUT WIDTH HEIGHT [key]   (key: colour 1 of the table is magenta)
//   mkplaceholder wav OUT RATE MILLISECONDS
//   mkplaceholder ico OUT
//   mkplaceholder cur OUT
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, unsigned v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
void PutTag(Bytes& b, const char* tag) { b.insert(b.end(), tag, tag + 4); }

// BITMAPINFOHEADER; height is doubled for icon and cursor images (colour rows plus mask rows).
void PutInfoHeader(Bytes& b, int w, int h, int bits, std::uint32_t imageSize, std::uint32_t colours) {
    Put32(b, 40);
    Put32(b, static_cast<std::uint32_t>(w));
    Put32(b, static_cast<std::uint32_t>(h));
    Put16(b, 1);
    Put16(b, static_cast<unsigned>(bits));
    Put32(b, 0);  // BI_RGB
    Put32(b, imageSize);
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, colours);
    Put32(b, 0);
}

Bytes Bitmap(int w, int h, bool key) {
    const int stride = (w + 3) & ~3;
    const std::uint32_t imageSize = static_cast<std::uint32_t>(stride * h);
    Bytes b;
    b.push_back('B');
    b.push_back('M');
    Put32(b, 14 + 40 + 1024 + imageSize);
    Put32(b, 0);
    Put32(b, 14 + 40 + 1024);
    PutInfoHeader(b, w, h, 8, imageSize, 256);
    // Grey ramp with a dull red band; magenta only where the picture is meant to hold the key colour.
    for (int i = 0; i < 256; ++i) {
        int r = i, g = i, bl = i;
        if (i >= 200) g = bl = (i - 200);
        if (key && i == 1) r = 255, g = 0, bl = 255;
        b.push_back(static_cast<std::uint8_t>(bl));
        b.push_back(static_cast<std::uint8_t>(g));
        b.push_back(static_cast<std::uint8_t>(r));
        b.push_back(0);
    }
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < stride; ++x) {
            std::uint8_t v = static_cast<std::uint8_t>(40 + ((x / 8 + y / 8) % 2) * 30);
            if (x == y * w / (h ? h : 1)) v = 230;
            if (key && (x < 4 || y < 4)) v = 1;
            b.push_back(x < w ? v : 0);
        }
    }
    return b;
}

Bytes Wave(std::uint32_t rate, std::uint32_t ms) {
    const std::uint32_t samples = static_cast<std::uint32_t>(static_cast<std::uint64_t>(rate) * ms / 1000);
    Bytes b;
    PutTag(b, "RIFF");
    Put32(b, 36 + samples * 2);
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
    Put32(b, samples * 2);
    // A quiet click at the start so a played placeholder is audible but unobtrusive.
    for (std::uint32_t i = 0; i < samples; ++i) Put16(b, i < 64 ? ((i & 8) ? 0x0800 : 0xF800) : 0);
    return b;
}

// One 16-colour icon image: BITMAPINFOHEADER, 16 colours, 4-bit colour rows, 1-bit AND rows.
Bytes IconImage(int size) {
    const int xorStride = ((size * 4 + 31) / 32) * 4;
    const int andStride = ((size + 31) / 32) * 4;
    Bytes b;
    PutInfoHeader(b, size, size * 2, 4, static_cast<std::uint32_t>((xorStride + andStride) * size), 0);
    static const std::uint8_t kColours[16][3] = {{0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                                {0, 0, 128},   {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                                {128, 128, 128}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
                                                {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    for (const auto& c : kColours) {
        b.push_back(c[2]);
        b.push_back(c[1]);
        b.push_back(c[0]);
        b.push_back(0);
    }
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < xorStride; ++x) {
            const int px = x * 2;
            const bool edge = y == 0 || y == size - 1 || px == 0 || px >= size - 2;
            b.push_back(px < size ? (edge ? 0x88 : 0x11) : 0);
        }
    }
    for (int i = 0; i < andStride * size; ++i) b.push_back(0);  // fully opaque
    return b;
}

Bytes Icon() {
    const Bytes big = IconImage(32), small = IconImage(16);
    Bytes b;
    Put16(b, 0);
    Put16(b, 1);
    Put16(b, 2);
    std::uint32_t offset = 6 + 2 * 16;
    for (const Bytes* img : {&big, &small}) {
        const int size = img == &big ? 32 : 16;
        b.push_back(static_cast<std::uint8_t>(size));
        b.push_back(static_cast<std::uint8_t>(size));
        b.push_back(16);
        b.push_back(0);
        Put16(b, 1);
        Put16(b, 4);
        Put32(b, static_cast<std::uint32_t>(img->size()));
        Put32(b, offset);
        offset += static_cast<std::uint32_t>(img->size());
    }
    b.insert(b.end(), big.begin(), big.end());
    b.insert(b.end(), small.begin(), small.end());
    return b;
}

// 32x32 monochrome cursor, hot spot (0, 0): XOR rows all zero, AND rows all ones (transparent).
Bytes Cursor() {
    Bytes img;
    PutInfoHeader(img, 32, 64, 1, 32 * 4 * 2, 0);
    Put32(img, 0x00000000);
    Put32(img, 0x00FFFFFF);
    for (int i = 0; i < 32 * 4; ++i) img.push_back(0x00);
    for (int i = 0; i < 32 * 4; ++i) img.push_back(0xFF);
    Bytes b;
    Put16(b, 0);
    Put16(b, 2);
    Put16(b, 1);
    b.push_back(32);
    b.push_back(32);
    b.push_back(0);
    b.push_back(0);
    Put16(b, 0);  // hot spot x
    Put16(b, 0);  // hot spot y
    Put32(b, static_cast<std::uint32_t>(img.size()));
    Put32(b, 6 + 16);
    b.insert(b.end(), img.begin(), img.end());
    return b;
}

int Usage() {
    std::fprintf(stderr, "usage: mkplaceholder bmp OUT W H [key] | wav OUT RATE MS | ico OUT | cur OUT\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::string kind = argv[1];
    Bytes out;
    if (kind == "bmp" && argc >= 5) {
        out = Bitmap(std::atoi(argv[3]), std::atoi(argv[4]), argc >= 6 && std::strcmp(argv[5], "key") == 0);
    } else if (kind == "wav" && argc >= 5) {
        out = Wave(static_cast<std::uint32_t>(std::atol(argv[3])), static_cast<std::uint32_t>(std::atol(argv[4])));
    } else if (kind == "ico") {
        out = Icon();
    } else if (kind == "cur") {
        out = Cursor();
    } else {
        return Usage();
    }
    std::FILE* f = std::fopen(argv[2], "wb");
    if (!f) {
        std::perror(argv[2]);
        return 1;
    }
    const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return (std::fclose(f) == 0 && ok) ? 0 : 1;
}
