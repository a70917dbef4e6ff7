// Software GDI: palettes, raster copies and their colour rules, clipping, contexts on windows
// and the display, bitmap resources.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "BmpBuilder.h"
#include "DrawCanvas.h"
#include "framework/DC.h"
#include "framework/GdiBitmap.h"
#include "platform/Window.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/HeadlessResources.h"

using namespace test;

namespace {

class GdiTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::ResetDisplay(64, 48, 32);
        headless::ResetResources();
    }
    void TearDown() override { headless::ResetResources(); }
};

struct Mono {
    CBitmap bmp;
    CDC dc;
    Mono(int w, int h) {
        dc.CreateCompatibleDC(nullptr);
        bmp.CreateBitmap(w, h, 1, 1, nullptr);
        dc.SelectObject(&bmp);
    }
};

TEST_F(GdiTest, PaletteEntriesResizeAndNearestIndex) {
    LOGPALETTE lp{};
    lp.palVersion = 0x300;
    lp.palNumEntries = 4;
    lp.palPalEntry[0] = {0, 0, 0, 0};
    lp.palPalEntry[1] = {100, 100, 100, 0};
    lp.palPalEntry[2] = {110, 100, 100, 0};
    lp.palPalEntry[3] = {90, 100, 100, 0};  // same distance to 100 as entry 2
    CPalette pal;
    ASSERT_TRUE(pal.CreatePalette(&lp));
    EXPECT_FALSE(pal.CreatePalette(&lp)) << "a held palette is not replaced";
    EXPECT_EQ(pal.GetEntryCount(), 4);
    EXPECT_EQ(pal.GetNearestPaletteIndex(RGB(0, 0, 0)), 0u);
    EXPECT_EQ(pal.GetNearestPaletteIndex(PALETTERGB(100, 100, 100)), 1u) << "high byte ignored";
    EXPECT_EQ(pal.GetNearestPaletteIndex(RGB(105, 100, 100)), 1u) << "tie between 1 and 2 goes to 1";
    EXPECT_EQ(pal.GetNearestPaletteIndex(RGB(95, 100, 100)), 1u) << "tie between 1 and 3 goes to 1";
    EXPECT_EQ(pal.GetNearestPaletteIndex(RGB(108, 100, 100)), 2u);
    // Squared distance, not the sum of differences.
    LOGPALETTE two{};
    two.palNumEntries = 2;
    two.palPalEntry[0] = {30, 30, 30, 0};
    two.palPalEntry[1] = {0, 0, 80, 0};
    CPalette sq;
    ASSERT_TRUE(sq.CreatePalette(&two));
    // To (0,0,0): entry 0 is 2700 squared (sum 90), entry 1 is 6400 (sum 80).
    EXPECT_EQ(sq.GetNearestPaletteIndex(RGB(0, 0, 0)), 0u);

    ASSERT_TRUE(pal.ResizePalette(6));
    PALETTEENTRY got[6] = {};
    EXPECT_EQ(pal.GetPaletteEntries(0, 6, got), 6u);
    EXPECT_EQ(got[1].peRed, 100);
    EXPECT_EQ(got[5].peRed, 0);
    PALETTEENTRY set[3] = {{1, 2, 3, 4}, {5, 6, 7, 0}, {9, 9, 9, 0}};
    EXPECT_EQ(pal.SetPaletteEntries(4, 3, set), 2u) << "clipped to the palette";
    EXPECT_EQ(pal.GetPaletteEntries(4, 10, got), 2u);
    EXPECT_EQ(got[0].peFlags, 4);
    EXPECT_EQ(got[1].peBlue, 7);
    EXPECT_EQ(pal.GetPaletteEntries(0, 0, nullptr), 6u);
    EXPECT_FALSE(pal.ResizePalette(0));
    EXPECT_FALSE(pal.ResizePalette(257));

    lp.palNumEntries = 0;
    CPalette empty;
    EXPECT_FALSE(empty.CreatePalette(&lp));
    EXPECT_EQ(empty.GetNearestPaletteIndex(0), CLR_INVALID);
}

TEST_F(GdiTest, RasterOpsAndColourMonoRules) {
    Canvas dst(8, 4, RGB(0x12, 0x34, 0x56));
    Canvas src(8, 4, RGB(0xf0, 0x0f, 0xff));
    src.dc.FillSolidRect(0, 0, 2, 4, RGB(255, 0, 255));

    ASSERT_TRUE(dst.dc.BitBlt(0, 0, 1, 1, &src.dc, 2, 0, SRCINVERT));
    EXPECT_EQ(dst.dc.GetPixel(0, 0), RGB(0x12 ^ 0xf0, 0x34 ^ 0x0f, 0x56 ^ 0xff));
    ASSERT_TRUE(dst.dc.BitBlt(1, 0, 1, 1, &src.dc, 2, 0, SRCAND));
    EXPECT_EQ(dst.dc.GetPixel(1, 0), RGB(0x12 & 0xf0, 0x34 & 0x0f, 0x56 & 0xff));
    ASSERT_TRUE(dst.dc.BitBlt(2, 0, 1, 1, &src.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(dst.dc.GetPixel(2, 0), RGB(255, 0, 255));
    ASSERT_TRUE(dst.dc.BitBlt(0, 1, 8, 1, nullptr, 0, 0, WHITENESS));
    ASSERT_TRUE(dst.dc.BitBlt(0, 2, 8, 1, nullptr, 0, 0, BLACKNESS));
    EXPECT_EQ(dst.dc.GetPixel(7, 1), RGB(255, 255, 255));
    EXPECT_EQ(dst.dc.GetPixel(7, 2), RGB(0, 0, 0));
    EXPECT_EQ(dst.dc.GetPixel(7, 3), RGB(0x12, 0x34, 0x56));
    EXPECT_FALSE(dst.dc.BitBlt(0, 0, 1, 1, &src.dc, 0, 0, 0x00EE0086)) << "unsupported operation";
    EXPECT_FALSE(dst.dc.BitBlt(0, 0, 1, 1, nullptr, 0, 0, SRCCOPY)) << "copy without a source";

    // Colour -> mono: 1 exactly where the source equals the source context's background.
    Mono mask(8, 4);
    mask.dc.BitBlt(0, 0, 8, 4, nullptr, 0, 0, WHITENESS);
    src.dc.SetBkColor(RGB(255, 0, 255));
    ASSERT_TRUE(mask.dc.BitBlt(0, 0, 8, 4, &src.dc, 0, 0, SRCCOPY));
    for (int x = 0; x < 8; ++x) EXPECT_EQ(mask.dc.GetPixel(x, 2), x < 2 ? RGB(255, 255, 255) : 0u) << x;
    // A colour differing only in bits a 16-bit display drops is different on a 32-bit one.
    src.dc.SetBkColor(RGB(255, 0, 254));
    mask.dc.BitBlt(0, 0, 8, 4, &src.dc, 0, 0, SRCCOPY);
    EXPECT_EQ(mask.dc.GetPixel(0, 0), 0u);

    // Mono -> colour: 1 gives the destination's background colour, 0 its text colour; the
    // source context's colours play no part.
    dst.dc.SetBkColor(RGB(1, 2, 3));
    dst.dc.SetTextColor(RGB(4, 5, 6));
    mask.dc.SetBkColor(RGB(9, 9, 9));
    src.dc.SetBkColor(RGB(255, 0, 255));
    mask.dc.BitBlt(0, 0, 8, 4, &src.dc, 0, 0, SRCCOPY);
    ASSERT_TRUE(dst.dc.BitBlt(0, 0, 8, 4, &mask.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(dst.dc.GetPixel(1, 3), RGB(1, 2, 3));
    EXPECT_EQ(dst.dc.GetPixel(2, 3), RGB(4, 5, 6));

    // Mono -> mono with SRCAND and SRCINVERT.
    Mono other(8, 4);
    other.dc.BitBlt(0, 0, 8, 4, nullptr, 0, 0, WHITENESS);
    other.dc.BitBlt(0, 0, 8, 4, &mask.dc, 0, 0, SRCAND);
    EXPECT_EQ(other.dc.GetPixel(0, 0), RGB(255, 255, 255));
    EXPECT_EQ(other.dc.GetPixel(5, 0), 0u);
    other.dc.BitBlt(0, 0, 8, 4, &mask.dc, 0, 0, SRCINVERT);
    EXPECT_EQ(other.dc.GetPixel(0, 0), 0u);
    EXPECT_EQ(other.dc.GetPixel(5, 0), 0u);
}

TEST_F(GdiTest, SixteenBitDisplayComparesInItsOwnFormat) {
    headless::ResetDisplay(64, 48, 16);
    Canvas src(3, 1, RGB(255, 0, 254));  // 5-6-5 holds this as it holds RGB(255, 0, 255)
    src.dc.FillSolidRect(1, 0, 1, 1, RGB(247, 0, 255));  // differs in a kept bit of red
    src.dc.FillSolidRect(2, 0, 1, 1, RGB(255, 0, 255));
    src.dc.SetBkColor(RGB(255, 0, 255));
    Mono mask(3, 1);
    ASSERT_TRUE(mask.dc.BitBlt(0, 0, 3, 1, &src.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(mask.dc.GetPixel(0, 0), RGB(255, 255, 255));
    EXPECT_EQ(mask.dc.GetPixel(1, 0), 0u);
    EXPECT_EQ(mask.dc.GetPixel(2, 0), RGB(255, 255, 255));
    CDC probe;
    probe.CreateCompatibleDC(nullptr);
    EXPECT_EQ(probe.GetDeviceCaps(BITSPIXEL), 16);
    EXPECT_EQ(probe.GetDeviceCaps(HORZRES), 64);
    EXPECT_EQ(probe.GetDeviceCaps(VERTRES), 48);
    EXPECT_EQ(probe.GetDeviceCaps(RASTERCAPS) & RC_PALETTE, 0);
}

// Reference for one copy: every destination pixel either comes from the source position it
// maps to (when that lies in the source) or keeps its old value.
void ExpectCopy(CDC& dst, int dw, int dh, COLORREF keep, CDC& src, int sw, int sh, int x, int y, int w, int h,
                int xs, int ys) {
    for (int py = 0; py < dh; ++py) {
        for (int px = 0; px < dw; ++px) {
            const long long i = static_cast<long long>(px) - x, j = static_cast<long long>(py) - y;
            const long long sx = xs + i, sy = ys + j;
            const bool in = i >= 0 && j >= 0 && i < w && j < h && sx >= 0 && sy >= 0 && sx < sw && sy < sh;
            const COLORREF want = in ? src.GetPixel(static_cast<int>(sx), static_cast<int>(sy)) : keep;
            ASSERT_EQ(dst.GetPixel(px, py), want) << "pixel " << px << "," << py << " of copy " << x << "," << y << " "
                                                  << w << "x" << h << " from " << xs << "," << ys;
        }
    }
}

TEST_F(GdiTest, CopiesAreClippedToBothSurfacesAtEveryEdge) {
    const int sw = 6, sh = 5, dw = 10, dh = 8;
    std::vector<std::uint32_t> px(sw * sh);
    for (int i = 0; i < sw * sh; ++i) px[i] = 0x010203u * static_cast<std::uint32_t>(i + 1);
    CBitmap srcBmp;
    ASSERT_TRUE(srcBmp.CreateBitmap(sw, sh, 1, 32, px.data()));
    CDC src;
    src.CreateCompatibleDC(nullptr);
    src.SelectObject(&srcBmp);

    struct Case {
        int x, y, w, h, xs, ys;
    };
    const Case cases[] = {
        {2, 1, 6, 5, 0, 0},     {-3, 0, 6, 5, 0, 0},    {0, -4, 6, 5, 0, 0},     {7, 5, 6, 5, 0, 0},
        {0, 0, 6, 5, -2, -3},   {3, 2, 6, 5, 4, 3},     {-2, -2, 20, 20, -1, -1}, {9, 7, 6, 5, 0, 0},
        {10, 0, 6, 5, 0, 0},    {0, 8, 6, 5, 0, 0},     {-6, 0, 6, 5, 0, 0},     {0, 0, 6, 5, 6, 0},
        {0, 0, 6, 5, 0, -5},    {0, 0, 0, 5, 0, 0},     {0, 0, -3, 5, 0, 0},
        {-2147483647, 0, 2147483647, 5, 0, 0}, {1, 1, 2147483647, 2147483647, 1, 1},
        {2147483647, 2147483647, 5, 5, 0, 0},   {0, 0, 6, 5, -2147483647, 0},
    };
    const COLORREF keep = RGB(7, 7, 7);
    for (const Case& c : cases) {
        Canvas dst(dw, dh, keep);
        ASSERT_TRUE(dst.dc.BitBlt(c.x, c.y, c.w, c.h, &src, c.xs, c.ys, SRCCOPY));
        ExpectCopy(dst.dc, dw, dh, keep, src, sw, sh, c.x, c.y, c.w, c.h, c.xs, c.ys);
        if (HasFatalFailure()) return;
    }
    // Fills and no-source operations clip to the destination alone.
    Canvas dst(dw, dh, keep);
    dst.dc.FillSolidRect(RECT{-5, -5, 2, 3}, RGB(1, 1, 1));
    dst.dc.BitBlt(8, 6, 50, 50, nullptr, 0, 0, WHITENESS);
    for (int y = 0; y < dh; ++y)
        for (int x = 0; x < dw; ++x) {
            const COLORREF want = (x < 2 && y < 3) ? RGB(1, 1, 1) : (x >= 8 && y >= 6) ? RGB(255, 255, 255) : keep;
            ASSERT_EQ(dst.dc.GetPixel(x, y), want) << x << "," << y;
        }
    EXPECT_EQ(dst.dc.GetPixel(-1, 0), CLR_INVALID);
    EXPECT_EQ(dst.dc.GetPixel(dw, 0), CLR_INVALID);

    // Whole-factor enlargement: each destination pixel repeats source ((x - ox) / s, (y - oy) / s),
    // rounded down, from any origin and phase; cut at both surfaces, the rest kept.
    const struct {
        RECT rc;
        int ox, oy, s;
    } scaled[] = {{{0, 0, 10, 8}, 0, 0, 2}, {{1, 2, 9, 7}, -1, -2, 3}, {{-4, -4, 40, 40}, 3, 1, 4},
                  {{2, 1, 5, 6}, 1, 0, 1},  {{0, 0, 10, 8}, -7, -6, 2}, {{0, 0, 10, 8}, 9, 7, 5}};
    for (const auto& c : scaled) {
        Canvas big(dw, dh, keep);
        ASSERT_TRUE(big.dc.ScaleBlt(c.rc, &src, c.ox, c.oy, c.s));
        for (int y = 0; y < dh; ++y)
            for (int x = 0; x < dw; ++x) {
                const int sx = (x - c.ox + c.s * 8) / c.s - 8, sy = (y - c.oy + c.s * 8) / c.s - 8;  // rounded down
                const bool in = x >= c.rc.left && x < c.rc.right && y >= c.rc.top && y < c.rc.bottom && sx >= 0 &&
                                sy >= 0 && sx < sw && sy < sh;
                ASSERT_EQ(big.dc.GetPixel(x, y), in ? PixelToColorRef(px[sy * sw + sx]) : keep)
                    << x << "," << y << " from origin " << c.ox << "," << c.oy << " x" << c.s;
            }
    }

    // Colour -> mono is clipped the same way, at unaligned bit positions.
    Mono mono(13, 3);
    mono.dc.BitBlt(0, 0, 13, 3, nullptr, 0, 0, BLACKNESS);
    src.SetBkColor(PixelToColorRef(px[0]));  // only source pixel (0, 0) matches
    ASSERT_TRUE(mono.dc.BitBlt(9, -1, 10, 10, &src, -2, -1, SRCCOPY));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 13; ++x) EXPECT_EQ(mono.dc.GetPixel(x, y), (x == 11 && y == 0) ? RGB(255, 255, 255) : 0u) << x << "," << y;
}

// A new bitmap reads black without its memory being read: whatever a writer draws must still be
// copied out, and a black fill must still clear it.
TEST_F(GdiTest, EveryWriterOfANewBitmapIsSeenByCopiesAndFills) {
    const int w = 40, h = 30;
    std::vector<std::uint32_t> px(w * h);
    for (int i = 0; i < w * h; ++i) px[i] = 0x030507u * static_cast<std::uint32_t>(i + 1) & 0xffffffu;
    CBitmap patternBmp, maskBmp;
    ASSERT_TRUE(patternBmp.CreateBitmap(w, h, 1, 32, px.data()));
    ASSERT_TRUE(maskBmp.CreateBitmap(w, h, 1, 1, nullptr));  // all 0: the image everywhere
    CDC pattern, mask;
    pattern.CreateCompatibleDC(nullptr);
    pattern.SelectObject(&patternBmp);
    mask.CreateCompatibleDC(nullptr);
    mask.SelectObject(&maskBmp);

    using Writer = void (*)(CDC& dc, CDC& pattern, CDC& mask);
    const Writer writers[] = {
        [](CDC& dc, CDC&, CDC&) { dc.FillSolidRect(5, 7, 10, 5, RGB(9, 8, 7)); },
        [](CDC& dc, CDC& p, CDC&) { dc.BitBlt(31, 22, 20, 20, &p, 3, 4, SRCCOPY); },
        [](CDC& dc, CDC&, CDC&) { dc.BitBlt(-3, 26, 6, 9, nullptr, 0, 0, WHITENESS); },
        [](CDC& dc, CDC& p, CDC& m) { dc.MaskedBlt(12, 0, 7, 3, &p, &m, 1, 1); },
        [](CDC& dc, CDC& p, CDC&) {  // within the bitmap: drawn, then copied elsewhere
            dc.BitBlt(0, 0, 4, 4, &p, 8, 8, SRCCOPY);
            dc.BitBlt(30, 2, 4, 4, &dc, 0, 0, SRCCOPY);
        },
    };
    for (const Writer& write : writers) {
        CBitmap bmp;
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        ASSERT_TRUE(bmp.CreateCompatibleBitmap(&dc, w, h));
        dc.SelectObject(&bmp);
        dc.FillSolidRect(0, 0, w, h, RGB(0, 0, 0));
        write(dc, pattern, mask);
        Canvas copy(w, h, RGB(1, 2, 3));
        ASSERT_TRUE(copy.dc.BitBlt(0, 0, w, h, &dc, 0, 0, SRCCOPY));
        ExpectCopy(copy.dc, w, h, 0, dc, w, h, 0, 0, w, h, 0, 0);
        dc.FillSolidRect(-1, -1, w + 2, h + 2, RGB(0, 0, 0));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) ASSERT_EQ(dc.GetPixel(x, y), 0u) << x << "," << y;
        if (HasFatalFailure()) return;
    }
}

TEST_F(GdiTest, MaskedCopyEqualsThreeRasterPasses) {
    std::mt19937 rng(12345);
    const int iw = 21, ih = 9, dw = 30, dh = 14;
    std::vector<std::uint32_t> imagePx(iw * ih), destPx(dw * dh);
    for (auto& p : imagePx) p = rng() & 0xffffffu;
    for (auto& p : destPx) p = rng() & 0xffffffu;
    std::vector<std::uint8_t> maskBits(((iw + 15) / 16) * 2 * ih);
    for (auto& b : maskBits) b = static_cast<std::uint8_t>(rng());
    for (int k = 0; k < 4; ++k) maskBits[k] = 0x00;  // whole bytes of each kind too
    for (int k = 4; k < 8; ++k) maskBits[k] = 0xff;

    CBitmap image, mask;
    ASSERT_TRUE(image.CreateBitmap(iw, ih, 1, 32, imagePx.data()));
    ASSERT_TRUE(mask.CreateBitmap(iw, ih, 1, 1, maskBits.data()));
    CDC dcImage, dcMask;
    dcImage.CreateCompatibleDC(nullptr);
    dcMask.CreateCompatibleDC(nullptr);
    dcImage.SelectObject(&image);
    dcMask.SelectObject(&mask);

    // An 8-bit DIB section with the same colours at its first entries, as CDib draws it.
    LOGPALETTE lp{};
    lp.palVersion = 0x300;
    lp.palNumEntries = 256;
    for (int i = 0; i < 256; ++i) lp.palPalEntry[i] = {static_cast<BYTE>(i), static_cast<BYTE>(i * 3), static_cast<BYTE>(255 - i), 0};
    CPalette pal;
    ASSERT_TRUE(pal.CreatePalette(&lp));
    CDC dcDib;
    dcDib.CreateCompatibleDC(nullptr);
    dcDib.SelectPalette(&pal, FALSE);
    BITMAPINFO bi{};
    bi.bmiHeader = {40, iw, ih, 1, 8, BI_RGB, 0, 0, 0, 0, 0};
    WORD idx[256];
    for (int i = 0; i < 256; ++i) idx[i] = static_cast<WORD>(i);
    std::memcpy(bi.bmiColors, idx, sizeof idx);
    void* bits = nullptr;
    HBITMAP dib = dcDib.CreateDIBSection(&bi, DIB_PAL_COLORS, &bits, nullptr, 0);
    ASSERT_NE(dib, nullptr);
    for (int i = 0; i < Stride(iw) * ih; ++i) static_cast<BYTE*>(bits)[i] = static_cast<BYTE>(rng());
    dcDib.SelectBitmap(dib);

    struct Case {
        int x, y, w, h, xs, ys;
        COLORREF bk, text;
    };
    const Case cases[] = {
        {3, 2, iw, ih, 0, 0, RGB(255, 255, 255), 0},   {-5, -3, iw, ih, 0, 0, RGB(255, 255, 255), 0},
        {20, 8, iw, ih, 0, 0, RGB(255, 255, 255), 0},  {1, 1, 13, 5, 3, 2, RGB(255, 255, 255), 0},
        {0, 0, 40, 40, -3, -1, RGB(255, 255, 255), 0}, {4, 4, iw, ih, 0, 0, RGB(10, 200, 30), RGB(77, 1, 250)},
        {-2, 5, 17, 9, 5, 0, RGB(0, 0, 0), RGB(255, 255, 255)},
    };
    for (CDC* pImage : {&dcImage, &dcDib}) {
        for (const Case& c : cases) {
            CBitmap a, b;
            a.CreateBitmap(dw, dh, 1, 32, destPx.data());
            b.CreateBitmap(dw, dh, 1, 32, destPx.data());
            CDC fused, passes;
            fused.CreateCompatibleDC(nullptr);
            passes.CreateCompatibleDC(nullptr);
            fused.SelectObject(&a);
            passes.SelectObject(&b);
            for (CDC* d : {&fused, &passes}) {
                d->SetBkColor(c.bk);
                d->SetTextColor(c.text);
            }
            ASSERT_TRUE(fused.MaskedBlt(c.x, c.y, c.w, c.h, pImage, &dcMask, c.xs, c.ys));
            passes.BitBlt(c.x, c.y, c.w, c.h, pImage, c.xs, c.ys, SRCINVERT);
            passes.BitBlt(c.x, c.y, c.w, c.h, &dcMask, c.xs, c.ys, SRCAND);
            passes.BitBlt(c.x, c.y, c.w, c.h, pImage, c.xs, c.ys, SRCINVERT);
            for (int y = 0; y < dh; ++y)
                for (int x = 0; x < dw; ++x)
                    ASSERT_EQ(fused.GetPixel(x, y), passes.GetPixel(x, y)) << x << "," << y << " case " << c.x << "," << c.y;
        }
    }
    // The plain rule with white and black: bit 1 keeps the destination, bit 0 takes the image.
    Canvas dst(iw, ih, RGB(1, 2, 3));
    ASSERT_TRUE(dst.dc.MaskedBlt(0, 0, iw, ih, &dcImage, &dcMask, 0, 0));
    for (int y = 0; y < ih; ++y)
        for (int x = 0; x < iw; ++x) {
            const bool keep = dcMask.GetPixel(x, y) != 0;
            ASSERT_EQ(dst.dc.GetPixel(x, y), keep ? RGB(1, 2, 3) : dcImage.GetPixel(x, y)) << x << "," << y;
        }
    dcDib.SelectBitmap(nullptr);
    EXPECT_TRUE(DeleteObject(dib));
}

TEST_F(GdiTest, DibSectionColoursComeFromTheSelectedPalette) {
    LOGPALETTE lp{};
    lp.palNumEntries = 3;
    lp.palPalEntry[0] = {10, 20, 30, 0};
    lp.palPalEntry[1] = {40, 50, 60, 0};
    lp.palPalEntry[2] = {70, 80, 90, 0};
    CPalette pal;
    ASSERT_TRUE(pal.CreatePalette(&lp));
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    EXPECT_EQ(dc.SelectPalette(&pal, FALSE), nullptr);
    EXPECT_EQ(dc.GetSelectedPalette(), &pal);
    BITMAPINFO bi{};
    bi.bmiHeader = {40, 4, -1, 1, 8, BI_RGB, 0, 0, 0, 4, 0};  // top-down, four colours
    const WORD idx[4] = {2, 0, 1, 9};                          // 9 lies beyond the palette
    std::memcpy(bi.bmiColors, idx, sizeof idx);
    void* bits = nullptr;
    HBITMAP dib = dc.CreateDIBSection(&bi, DIB_PAL_COLORS, &bits, nullptr, 0);
    ASSERT_NE(dib, nullptr);
    for (int i = 0; i < 4; ++i) static_cast<BYTE*>(bits)[i] = static_cast<BYTE>(i);
    CDC view;
    view.CreateCompatibleDC(nullptr);
    view.SelectBitmap(dib);
    EXPECT_EQ(view.GetPixel(0, 0), RGB(70, 80, 90));
    EXPECT_EQ(view.GetPixel(1, 0), RGB(10, 20, 30));
    EXPECT_EQ(view.GetPixel(2, 0), RGB(40, 50, 60));
    EXPECT_EQ(view.GetPixel(3, 0), RGB(0, 0, 0));
    // Bad headers make nothing.
    for (BITMAPINFOHEADER h : {BITMAPINFOHEADER{40, 0, 1, 1, 8, BI_RGB, 0, 0, 0, 0, 0},
                               BITMAPINFOHEADER{40, 4, 0, 1, 8, BI_RGB, 0, 0, 0, 0, 0},
                               BITMAPINFOHEADER{40, 4, 1, 1, 4, BI_RGB, 0, 0, 0, 0, 0},
                               BITMAPINFOHEADER{40, 4, 1, 1, 8, 1, 0, 0, 0, 0, 0},
                               BITMAPINFOHEADER{40, 4, 1, 1, 8, BI_RGB, 0, 0, 0, 257, 0},
                               BITMAPINFOHEADER{12, 4, 1, 1, 8, BI_RGB, 0, 0, 0, 0, 0}}) {
        bi.bmiHeader = h;
        EXPECT_EQ(dc.CreateDIBSection(&bi, DIB_PAL_COLORS, &bits, nullptr, 0), nullptr);
        EXPECT_EQ(bits, nullptr);
    }
    view.SelectBitmap(nullptr);
    DeleteObject(dib);
}

TEST_F(GdiTest, ObjectsDeletedWhileSelectedStayUsableUntilReleased) {
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    {
        CBitmap bmp;
        ASSERT_TRUE(bmp.CreateCompatibleBitmap(&dc, 4, 4));
        EXPECT_EQ(dc.SelectObject(&bmp), nullptr);
        EXPECT_TRUE(bmp.DeleteObject());
        EXPECT_EQ(bmp.GetSafeHandle(), nullptr);
        EXPECT_FALSE(bmp.DeleteObject());
    }
    // The context still draws into the bitmap it holds; letting it go returns no stale object.
    dc.FillSolidRect(0, 0, 4, 4, RGB(9, 8, 7));
    EXPECT_EQ(dc.GetPixel(3, 3), RGB(9, 8, 7));
    EXPECT_EQ(dc.SelectObject(nullptr), nullptr);
    EXPECT_EQ(dc.GetPixel(0, 0), CLR_INVALID);

    CBitmap a, b;
    a.CreateBitmap(2, 2, 1, 1, nullptr);
    b.CreateCompatibleBitmap(&dc, 2, 2);
    EXPECT_EQ(dc.SelectObject(&a), nullptr);
    EXPECT_EQ(dc.SelectObject(&b), &a);
    EXPECT_EQ(dc.SelectObject(&a), &b);
    // A context holding a monochrome bitmap makes monochrome compatible bitmaps.
    CBitmap c;
    ASSERT_TRUE(c.CreateCompatibleBitmap(&dc, 3, 3));
    BITMAP info{};
    ASSERT_TRUE(c.GetBitmap(&info));
    EXPECT_EQ(info.bmBitsPixel, 1);
    ASSERT_TRUE(b.GetBitmap(&info));
    EXPECT_EQ(info.bmBitsPixel, 32);
    EXPECT_EQ(info.bmWidth, 2);
    EXPECT_FALSE(c.CreateBitmap(0, 3, 1, 1, nullptr));
    CBitmap bad;
    EXPECT_FALSE(bad.CreateBitmap(0, 3, 1, 1, nullptr));
    EXPECT_FALSE(bad.CreateBitmap(3, 3, 1, 8, nullptr));
    EXPECT_FALSE(bad.CreateCompatibleBitmap(&dc, 100000, 100000));
}

std::intptr_t TestProc(plat::Hwnd h, std::uint32_t m, std::uintptr_t w, std::intptr_t l) {
    return plat::DefWindowProc(h, m, w, l);
}

TEST_F(GdiTest, WindowAndDisplayContextsPresentWhatTheyDraw) {
    ASSERT_TRUE(plat::RegisterClass("GdiTestClass", 0, 0, &TestProc));
    const plat::Hwnd hwnd = plat::CreateWindowEx(0, "GdiTestClass", "", WS_POPUP, 5, 5, 20, 10, 0, nullptr);
    ASSERT_NE(hwnd, 0u);
    headless::ClearPresentLog();

    Canvas src(4, 4, RGB(200, 100, 50));
    CDC win;
    ASSERT_TRUE(win.AttachWindow(hwnd));
    win.BitBlt(18, -1, 4, 4, &src.dc, 0, 0, SRCCOPY);  // clipped to (18, 0)-(20, 3)
    win.FillSolidRect(1, 1, 2, 2, RGB(1, 2, 3));
    win.BitBlt(100, 100, 4, 4, &src.dc, 0, 0, SRCCOPY);  // entirely outside: nothing drawn
    EXPECT_TRUE(headless::PresentLog().empty()) << "a window context presents when released";
    const plat::Surface* store = headless::WindowBackingStore(hwnd);
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(store->pixels[0 * store->pitch + 18], 0xc86432u);
    EXPECT_EQ(store->pixels[1 * store->pitch + 1], 0x010203u);
    win.ReleaseWindow();
    const auto& log = headless::PresentLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].hwnd, hwnd);
    EXPECT_EQ((std::vector<int>{log[0].rect.left, log[0].rect.top, log[0].rect.right, log[0].rect.bottom}),
              (std::vector<int>{18, 0, 20, 3}));
    EXPECT_EQ((std::vector<int>{log[1].rect.left, log[1].rect.top, log[1].rect.right, log[1].rect.bottom}),
              (std::vector<int>{1, 1, 3, 3}));
    EXPECT_FALSE(win.AttachWindow(0));

    headless::ClearPresentLog();
    CDC display;
    EXPECT_FALSE(display.CreateDC("PRINTER", nullptr, nullptr, nullptr));
    ASSERT_TRUE(display.CreateDC("DISPLAY", nullptr, nullptr, nullptr));
    display.BitBlt(62, 46, 4, 4, &src.dc, 0, 0, SRCCOPY);
    ASSERT_EQ(headless::PresentLog().size(), 1u) << "the display shows each copy at once";
    EXPECT_EQ(headless::PresentLog()[0].hwnd, 0u);
    EXPECT_EQ(headless::PresentLog()[0].rect.right, 64);
    const plat::Surface& screen = headless::Screen();
    EXPECT_EQ(screen.pixels[47 * screen.pitch + 63], 0xc86432u);
    EXPECT_EQ(display.GetDeviceCaps(HORZRES), 64);
    plat::DestroyWindow(hwnd);
}

TEST_F(GdiTest, LoadBitmapConvertsTheResourceToTheDisplayFormat) {
    BmpDesc desc;
    desc.width = 3;
    desc.height = 2;
    desc.colors = {{255, 0, 255}, {10, 20, 30}};
    desc.pixels = {0, 1, 2,  // 2 has no colour of its own
                   1, 0, 1};
    headless::SetResource(plat::kRtBitmap, 500, BuildBmp(desc));
    CBitmap bmp;
    ASSERT_TRUE(bmp.LoadBitmap(500));
    EXPECT_EQ(bmp.GetWidth(), 3);
    EXPECT_EQ(bmp.GetHeight(), 2);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    dc.SelectObject(&bmp);
    EXPECT_EQ(dc.GetPixel(0, 0), RGB(255, 0, 255));
    EXPECT_EQ(dc.GetPixel(1, 0), RGB(10, 20, 30));
    EXPECT_EQ(dc.GetPixel(2, 0), RGB(0, 0, 0));
    EXPECT_EQ(dc.GetPixel(0, 1), RGB(10, 20, 30));
    dc.SelectObject(nullptr);

    CBitmap missing;
    EXPECT_FALSE(missing.LoadBitmap(501));
    std::vector<std::uint8_t> cut = BuildBmp(desc);
    cut.pop_back();
    headless::SetResource(plat::kRtBitmap, 502, cut);
    EXPECT_FALSE(missing.LoadBitmap(502)) << "one pixel byte short";
    EXPECT_EQ(missing.GetSafeHandle(), nullptr);
}

}  // namespace
