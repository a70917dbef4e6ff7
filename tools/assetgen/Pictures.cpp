// Builds every shipped picture (chamber, door frames, title, flash, preview) on one shared palette.
#include "Pictures.h"

#include <algorithm>
#include <cmath>

#include "Doors.h"
#include "Lettering.h"
#include "Palette.h"
#include "Scene.h"

namespace {

const uint32_t kKey = 0xff00ff;
const Rgb kFlashGrey = Col(150, 150, 150);

// Copies the box of every layer that a door frame may change back from the clean chamber.
void Restore(scene::Layers& dst, const scene::Layers& src, const doors::DoorSpec& d) {
    for (int y = d.ry; y < d.ry + d.rh; ++y)
        for (int x = d.rx; x < d.rx + d.rw; ++x) {
            dst.albedo.At(x, y) = src.albedo.At(x, y);
            dst.light.At(x, y) = src.light.At(x, y);
            dst.emit.At(x, y) = src.emit.At(x, y);
        }
}

// Area-averaging reduction of the chamber to the preview's size, with a touch of extra contrast.
Canvas Preview(const Canvas& full, int w, int h) {
    const double scale = 480.0 / h;
    const double srcW = w * scale, x0 = scene::kCx - srcW / 2.0;
    Canvas out(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double sx0 = x0 + x * scale, sx1 = sx0 + scale, sy0 = y * scale, sy1 = sy0 + scale;
            Rgb sum;
            double area = 0;
            for (int yy = static_cast<int>(std::floor(sy0)); yy < static_cast<int>(std::ceil(sy1)); ++yy)
                for (int xx = static_cast<int>(std::floor(sx0)); xx < static_cast<int>(std::ceil(sx1)); ++xx) {
                    double wx = std::min(sx1, xx + 1.0) - std::max(sx0, static_cast<double>(xx));
                    double wy = std::min(sy1, yy + 1.0) - std::max(sy0, static_cast<double>(yy));
                    if (wx <= 0 || wy <= 0) continue;
                    Rgb p = full.Inside(xx, yy) ? full.At(xx, yy) : Rgb{};
                    sum = sum + p * (wx * wy);
                    area += wx * wy;
                }
            Rgb c = sum * (1.0 / area);
            auto curve = [](double v) { return std::clamp(std::pow(v, 0.85) * 1.12 - 0.02, 0.0, 1.0); };
            out.At(x, y) = {curve(c.r), curve(c.g), curve(c.b)};
        }
    return out;
}

void AddSamples(std::vector<uint32_t>& samples, const Canvas& c) {
    std::vector<uint32_t> px = c.ToRgb32();
    samples.insert(samples.end(), px.begin(), px.end());
}

}  // namespace

PictureSet BuildPictures() {
    const scene::Layers base = scene::BuildChamber();

    scene::Layers shut = base;
    for (int d = 0; d < doors::Count(); ++d) doors::DrawFrame(shut, doors::Spec(d), 0);
    Canvas background = scene::Compose(shut, 0, 0, scene::kWidth, scene::kHeight);

    std::vector<std::vector<Canvas>> frames(static_cast<size_t>(doors::Count()));
    for (int d = 0; d < doors::Count(); ++d) {
        const doors::DoorSpec& spec = doors::Spec(d);
        scene::Layers work = base;
        for (int f = 0; f < spec.frames; ++f) {
            Restore(work, base, spec);
            for (int e = 0; e < doors::Count(); ++e) doors::DrawFrame(work, doors::Spec(e), e == d ? f : 0);
            frames[static_cast<size_t>(d)].push_back(scene::Compose(work, spec.rx, spec.ry, spec.rw, spec.rh));
        }
    }

    // The preview shows the chamber with the top door open and its light on the floor.
    Canvas withLight = background;
    const doors::DoorSpec& top = doors::Spec(0);
    withLight.Paste(frames[0].back(), top.rx, top.ry);
    Canvas preview = Preview(withLight, 147, 124);

    std::vector<uint8_t> isKey;
    Canvas title = lettering::Title(520, 147, isKey);
    Canvas flash = lettering::Flash(640, 480, kFlashGrey);

    std::vector<uint32_t> samples;
    AddSamples(samples, background);
    for (const auto& door : frames)
        for (const Canvas& c : door) AddSamples(samples, c);
    AddSamples(samples, preview);
    std::vector<uint32_t> titlePx = title.ToRgb32();
    for (size_t i = 0; i < titlePx.size(); ++i)
        if (!isKey[i]) samples.push_back(titlePx[i]);

    // Black first; entry 1 is the slot that the title gives to the key colour; then a grey ramp
    // for the flash's lettering edges, up to its flat grey.
    std::vector<uint32_t> reserved = {0x000000, 0x100c0c};
    for (int i = 1; i <= 8; ++i) reserved.push_back(Pack(kFlashGrey * (i / 8.0)));
    Palette pal = Palette::Build(samples, reserved, 256);

    PictureSet set;
    set.background = pal.Quantize(background, 0, 0, true);
    for (int d = 0; d < doors::Count(); ++d) {
        const doors::DoorSpec& spec = doors::Spec(d);
        set.doors.emplace_back();
        for (const Canvas& c : frames[static_cast<size_t>(d)])
            set.doors.back().push_back(pal.Quantize(c, spec.rx, spec.ry, true));
    }
    set.preview = pal.Quantize(preview, 0, 0, true);
    set.flash = pal.Quantize(flash, 0, 0, false);
    set.title = pal.Quantize(title, 0, 0, false, 1);
    set.title.colours[1] = kKey;
    for (size_t i = 0; i < isKey.size(); ++i)
        if (isKey[i]) set.title.pixels[i] = 1;
    return set;
}
