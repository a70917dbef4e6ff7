// Contact sheets of the pictures for a person to look at (PPM; the review script makes PNGs).
#include "Review.h"

#include <cstdio>
#include <vector>

#include "Doors.h"
#include "Icons.h"

namespace {

struct Sheet {
    int w, h;
    std::vector<uint32_t> px;
    Sheet(int width, int height, uint32_t fill) : w(width), h(height), px(static_cast<size_t>(width) * height, fill) {}
    void Put(int x, int y, uint32_t c) {
        if (x >= 0 && y >= 0 && x < w && y < h) px[static_cast<size_t>(y) * w + x] = c;
    }
    // Draws an indexed picture scaled by `zoom`; with `keyIndex` >= 0 those pixels are skipped.
    void Draw(const IndexedImage& img, int x, int y, int zoom = 1, int keyIndex = -1) {
        for (int j = 0; j < img.height * zoom; ++j)
            for (int i = 0; i < img.width * zoom; ++i) {
                uint8_t v = img.pixels[static_cast<size_t>(j / zoom) * img.width + i / zoom];
                if (v == keyIndex) continue;
                Put(x + i, y + j, img.colours[v]);
            }
    }
};

bool WritePpm(const std::string& path, const Sheet& s) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fprintf(f, "P6\n%d %d\n255\n", s.w, s.h);
    std::vector<uint8_t> row;
    for (uint32_t c : s.px) {
        row.push_back(static_cast<uint8_t>(c >> 16));
        row.push_back(static_cast<uint8_t>(c >> 8));
        row.push_back(static_cast<uint8_t>(c));
    }
    bool ok = std::fwrite(row.data(), 1, row.size(), f) == row.size();
    return (std::fclose(f) == 0) && ok;
}

}  // namespace

bool WriteReviewSheets(const PictureSet& set, const std::string& dir) {
    bool ok = true;
    const uint32_t gap = 0x303048;
    {
        Sheet s(640 * 2 + 12, 480 * 2 + 12, gap);
        s.Draw(set.background, 0, 0);
        s.Draw(set.background, 652, 0);
        s.Draw(set.title, 652 + 60, 166, 1, 1);  // as the saver shows it at start
        s.Draw(set.flash, 0, 492);
        // Every door wide open at once, to judge the light.
        s.Draw(set.background, 652, 492);
        for (int d = 0; d < doors::Count(); ++d) {
            const doors::DoorSpec& spec = doors::Spec(d);
            s.Draw(set.doors[static_cast<size_t>(d)].back(), 652 + spec.rx, 492 + spec.ry);
        }
        ok = WritePpm(dir + "/scene.ppm", s) && ok;
    }
    for (int d = 0; d < doors::Count(); ++d) {
        const doors::DoorSpec& spec = doors::Spec(d);
        const auto& frames = set.doors[static_cast<size_t>(d)];
        int perRow = 7, rows = (static_cast<int>(frames.size()) + perRow - 1) / perRow;
        Sheet s(perRow * (spec.rw * 2 + 6), rows * (spec.rh * 2 + 6), gap);
        for (size_t f = 0; f < frames.size(); ++f) {
            int col = static_cast<int>(f) % perRow, row = static_cast<int>(f) / perRow;
            s.Draw(frames[f], col * (spec.rw * 2 + 6), row * (spec.rh * 2 + 6), 2);
        }
        ok = WritePpm(dir + "/door_" + std::to_string(d + 1) + "_" + spec.name + ".ppm", s) && ok;
        // Each frame on its own, doubled, for the animated strip that the review script makes.
        for (size_t f = 0; f < frames.size(); ++f) {
            Sheet one(spec.rw * 2, spec.rh * 2, gap);
            one.Draw(frames[f], 0, 0, 2);
            char name[64];
            std::snprintf(name, sizeof name, "/anim_%d_%s_%02zu.ppm", d + 1, spec.name, f);
            ok = WritePpm(dir + name, one) && ok;
        }
    }
    {
        Sheet s(147 * 3 + 32 * 8 + 16 * 8 + 24, 124 * 3, gap);
        s.Draw(set.preview, 0, 0, 3);
        for (int size : {32, 16}) {
            std::vector<uint8_t> mask;
            IndexedImage icon = icons::Draw(size, mask);
            int x0 = size == 32 ? 147 * 3 + 8 : 147 * 3 + 16 + 32 * 8;
            for (int j = 0; j < size * 8; ++j)
                for (int i = 0; i < size * 8; ++i) {
                    size_t k = static_cast<size_t>(j / 8) * size + i / 8;
                    s.Put(x0 + i, j,
                          mask[k] ? (((i / 16 + j / 16) & 1) ? 0x909090 : 0xb0b0b0) : icon.colours[icon.pixels[k]]);
                }
        }
        ok = WritePpm(dir + "/preview_icons.ppm", s) && ok;
    }
    return ok;
}
