// Imaging figures for the frame budget: masked and opaque copies of sprites, loading a full picture.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "framework/DC.h"
#include "imaging/Dib.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/HeadlessResources.h"

namespace {

// An 8-bit bitmap resource of w x h with 256 colours; index 1 is the key colour and covers
// roughly a third of the pixels in runs, as around a figure's outline.
std::vector<std::uint8_t> MakeBmp(int w, int h, bool withKey) {
    const int stride = (w + 3) & ~3;
    std::vector<std::uint8_t> v(40 + 1024 + static_cast<std::size_t>(stride) * h, 0);
    const std::uint32_t head[10] = {
        40, static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h), 1u | (8u << 16), 0, 0, 0, 0, 0, 0};
    std::memcpy(v.data(), head, sizeof head);
    for (int i = 0; i < 256; ++i) {
        v[40 + 4 * i] = static_cast<std::uint8_t>(i * 3);
        v[40 + 4 * i + 1] = static_cast<std::uint8_t>(255 - i);
        v[40 + 4 * i + 2] = static_cast<std::uint8_t>(i);
    }
    if (withKey) {
        v[40 + 4] = 255;
        v[40 + 5] = 0;
        v[40 + 6] = 255;
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool key = withKey && ((x + y / 4) % 12 < 4);
            v[40 + 1024 + static_cast<std::size_t>(y) * stride + x] =
                key ? 1 : static_cast<std::uint8_t>(2 + (x * 7 + y) % 250);
        }
    return v;
}

struct Scene {
    CDC dc;
    CBitmap frame;
    CBitmap* old = nullptr;
    CDib sprite;
    CBitmap mask;
    Scene(int w, int h) {
        headless::ResetDisplay(800, 600, 32);
        CDib::ReleaseSharedPalette();
        headless::SetResource(plat::kRtBitmap, 673, MakeBmp(640, 480, false));
        headless::SetResource(plat::kRtBitmap, 700, MakeBmp(w, h, true));
        dc.CreateCompatibleDC(nullptr);
        frame.CreateCompatibleBitmap(&dc, 800, 600);
        old = dc.SelectObject(&frame);
        CDib background;
        background.Load(&dc, 673, TRUE, nullptr);  // makes the shared palette, as in the saver
        sprite.Load(&dc, 700, TRUE, nullptr);
        CBitmap ddb;
        ddb.LoadBitmap(700);
        mask.CreateBitmap(w, h, 1, 1, nullptr);
        CDC dcMask, dcCopy;
        dcMask.CreateCompatibleDC(&dc);
        dcCopy.CreateCompatibleDC(&dc);
        CBitmap* oldMask = dcMask.SelectObject(&mask);
        CBitmap* oldCopy = dcCopy.SelectObject(&ddb);
        dcCopy.SetBkColor(RGB(255, 0, 255));
        dcMask.BitBlt(0, 0, w, h, &dcCopy, 0, 0, SRCCOPY);
        dcMask.SelectObject(oldMask);
        dcCopy.SelectObject(oldCopy);
    }
    ~Scene() {
        dc.SelectObject(old);
        CDib::ReleaseSharedPalette();
    }
};

// One sprite of the largest figure kind, drawn through its mask with realize TRUE.
void BM_DrawMasked_166x243(benchmark::State& state) {
    Scene s(166, 243);
    int x = 0;
    for (auto _ : state) {
        s.sprite.DrawMasked(&s.dc, 100 + (x++ & 7), 120, &s.mask, TRUE);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 166 * 243);
}
BENCHMARK(BM_DrawMasked_166x243);

// The same pixels made by the three raster passes, for comparison with the one-pass copy.
void BM_DrawMasked_166x243_ThreePasses(benchmark::State& state) {
    Scene s(166, 243);
    CDC image, mask;
    image.CreateCompatibleDC(&s.dc);
    mask.CreateCompatibleDC(&s.dc);
    image.SelectBitmap(s.sprite.m_hBitmap);
    mask.SelectObject(&s.mask);
    int x = 0;
    for (auto _ : state) {
        const int px = 100 + (x++ & 7);
        s.dc.BitBlt(px, 120, 166, 243, &image, 0, 0, SRCINVERT);
        s.dc.BitBlt(px, 120, 166, 243, &mask, 0, 0, SRCAND);
        s.dc.BitBlt(px, 120, 166, 243, &image, 0, 0, SRCINVERT);
        benchmark::ClobberMemory();
    }
    image.SelectBitmap(nullptr);
    mask.SelectObject(nullptr);
    state.SetItemsProcessed(state.iterations() * 166 * 243);
}
BENCHMARK(BM_DrawMasked_166x243_ThreePasses);

// Restoring one figure's rectangle from the clean background (32-bit to 32-bit SRCCOPY).
void BM_RestoreRect_166x243(benchmark::State& state) {
    Scene s(166, 243);
    CBitmap clean;
    clean.CreateCompatibleBitmap(&s.dc, 800, 600);
    CDC dcClean;
    dcClean.CreateCompatibleDC(&s.dc);
    CBitmap* old = dcClean.SelectObject(&clean);
    for (auto _ : state) {
        s.dc.BitBlt(100, 120, 166, 243, &dcClean, 100, 120, SRCCOPY);
        benchmark::ClobberMemory();
    }
    dcClean.SelectObject(old);
    state.SetItemsProcessed(state.iterations() * 166 * 243);
}
BENCHMARK(BM_RestoreRect_166x243);

// Loading the 640 x 480 background (shared palette already made, pixels remapped).
void BM_Load_640x480(benchmark::State& state) {
    Scene s(166, 243);
    for (auto _ : state) {
        CDib dib;
        benchmark::DoNotOptimize(dib.Load(&s.dc, 673, TRUE, nullptr));
    }
    state.SetBytesProcessed(state.iterations() * 640 * 480);
}
BENCHMARK(BM_Load_640x480);

// Drawing the 640 x 480 background opaque (8-bit through the colour table into 32-bit).
void BM_Draw_640x480(benchmark::State& state) {
    Scene s(166, 243);
    CDib bg;
    bg.Load(&s.dc, 673, TRUE, nullptr);
    for (auto _ : state) {
        bg.Draw(&s.dc, 80, 60, TRUE);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 640 * 480);
}
BENCHMARK(BM_Draw_640x480);

}  // namespace

BENCHMARK_MAIN();
