// Software GDI: palettes, raster copies and their colour rules, clipping, enlargement, contexts on
// windows and the display, bitmap resources.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "BmpBuilder.h"
#include "DrawCanvas.h"
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
};

// A memory context holding a new bitmap of `bpp` bits per pixel (1 or 32) made from `bits`.
struct Bits {
    CBitmap bmp;
    CDC dc;
    Bits(int w, int h, UINT bpp, const void* bits = nullptr) {
        dc.CreateCompatibleDC(nullptr);
        bmp.CreateBitmap(w, h, 1, bpp, bits);
        dc.SelectObject(&bmp);
    }
};

LOGPALETTE MakePalette(std::initializer_list<PALETTEENTRY> entries) {
    LOGPALETTE lp{};
    lp.palVersion = 0x300;
    for (const PALETTEENTRY& e : entries) lp.palPalEntry[lp.palNumEntries++] = e;
    return lp;
}

// Every pixel of the w x h context against want(x, y); stops at the first difference.
template <class Want>
void ExpectPixels(const CDC& dc, int w, int h, Want want) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) ASSERT_EQ(dc.GetPixel(x, y), want(x, y)) << "pixel " << x << "," << y;
}

TEST_F(GdiTest, PaletteNearestIndexAndEntryRanges) {
    LOGPALETTE lp = MakePalette({{0, 0, 0, 0}, {100, 100, 100, 0}, {110, 100, 100, 0}, {90, 100, 100, 0}});
    CPalette pal, sq, empty;
    ASSERT_TRUE(pal.CreatePalette(&lp));
    // The lowest index on a tie (1 and 2, 1 and 3), the high byte ignored; squared distance.
    const COLORREF colours[] = {RGB(0, 0, 0), PALETTERGB(100, 100, 100), RGB(105, 100, 100), RGB(95, 100, 100),
                                RGB(108, 100, 100)};
    const UINT nearest[] = {0, 1, 1, 1, 2};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(pal.GetNearestPaletteIndex(colours[i]), nearest[i]) << i;
    LOGPALETTE two = MakePalette({{30, 30, 30, 0}, {0, 0, 80, 0}});
    ASSERT_TRUE(sq.CreatePalette(&two));
    EXPECT_EQ(sq.GetNearestPaletteIndex(RGB(0, 0, 0)), 0u) << "2700 squared beats 6400, though 90 > 80 summed";
    // Resizing keeps the entries; setting and getting are cut at the palette's end.
    ASSERT_TRUE(pal.ResizePalette(6));
    EXPECT_FALSE(pal.ResizePalette(257));
    const PALETTEENTRY set[3] = {{1, 2, 3, 4}, {5, 6, 7, 0}, {9, 9, 9, 0}};
    EXPECT_EQ(pal.SetPaletteEntries(4, 3, set), 2u);
    EXPECT_EQ(pal.GetNearestPaletteIndex(RGB(5, 6, 7)), 5u) << "entry 5 was set";
    lp.palNumEntries = 0;
    EXPECT_FALSE(empty.CreatePalette(&lp));
}

TEST_F(GdiTest, RasterOperationsAndTheColourMonoRules) {
    Canvas dst(8, 4, RGB(0x12, 0x34, 0x56));
    Canvas src(8, 4, RGB(0xf0, 0x0f, 0xff));
    src.dc.FillSolidRect(0, 0, 2, 4, RGB(255, 0, 255));
    const DWORD rops[] = {SRCINVERT, SRCAND, SRCCOPY, WHITENESS, BLACKNESS};
    const COLORREF after[] = {RGB(0x12 ^ 0xf0, 0x34 ^ 0x0f, 0x56 ^ 0xff), RGB(0x12 & 0xf0, 0x34 & 0x0f, 0x56),
                              RGB(0xf0, 0x0f, 0xff), RGB(255, 255, 255), 0};
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(dst.dc.BitBlt(i, 0, 1, 1, i < 3 ? &src.dc : nullptr, 2, 0, rops[i]));
        EXPECT_EQ(dst.dc.GetPixel(i, 0), after[i]) << i;
    }
    EXPECT_FALSE(dst.dc.BitBlt(0, 0, 1, 1, &src.dc, 0, 0, 0x00EE0086)) << "unsupported operation";
    EXPECT_FALSE(dst.dc.BitBlt(0, 0, 1, 1, nullptr, 0, 0, SRCCOPY)) << "copy without a source";
    // Colour -> mono: 1 where the source equals its context's background; on 32 bits every bit counts.
    Bits mask(8, 4, 1);
    src.dc.SetBkColor(RGB(255, 0, 254));
    ASSERT_TRUE(mask.dc.BitBlt(0, 0, 8, 4, &src.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(mask.dc.GetPixel(0, 0), 0u);
    src.dc.SetBkColor(RGB(255, 0, 255));
    ASSERT_TRUE(mask.dc.BitBlt(0, 0, 8, 4, &src.dc, 0, 0, SRCCOPY));
    ExpectPixels(mask.dc, 8, 4, [](int x, int) { return x < 2 ? RGB(255, 255, 255) : 0u; });
    // Mono -> colour: 1 gives the destination's background, 0 its text colour; the source's play no part.
    dst.dc.SetBkColor(RGB(1, 2, 3));
    dst.dc.SetTextColor(RGB(4, 5, 6));
    mask.dc.SetBkColor(RGB(9, 9, 9));
    ASSERT_TRUE(dst.dc.BitBlt(0, 0, 8, 4, &mask.dc, 0, 0, SRCCOPY));
    ExpectPixels(dst.dc, 8, 4, [](int x, int) { return x < 2 ? RGB(1, 2, 3) : RGB(4, 5, 6); });
    // A 16-bit display compares in 5-6-5: a difference in a dropped bit is none, in a kept bit is one.
    headless::ResetDisplay(64, 48, 16);
    Canvas src16(3, 1, RGB(255, 0, 254));
    src16.dc.FillSolidRect(1, 0, 1, 1, RGB(247, 0, 255));
    src16.dc.SetBkColor(RGB(255, 0, 255));
    Bits mask16(3, 1, 1);
    ASSERT_TRUE(mask16.dc.BitBlt(0, 0, 3, 1, &src16.dc, 0, 0, SRCCOPY));
    ExpectPixels(mask16.dc, 3, 1, [](int x, int) { return x == 1 ? 0u : RGB(255, 255, 255); });
}

TEST_F(GdiTest, CopiesAndEnlargementsAreClippedToBothSurfacesAtEveryEdge) {
    const int sw = 6, sh = 5, dw = 10, dh = 8, big = 2147483647;
    std::vector<std::uint32_t> px(sw * sh);
    for (int i = 0; i < sw * sh; ++i) px[i] = 0x010203u * static_cast<std::uint32_t>(i + 1);
    Bits src(sw, sh, 32, px.data());
    const COLORREF keep = RGB(7, 7, 7);
    const auto from = [&](long long sx, long long sy) {
        return sx >= 0 && sy >= 0 && sx < sw && sy < sh ? PixelToColorRef(px[sy * sw + sx]) : keep;
    };
    const struct {
        int x, y, w, h, xs, ys;
    } copies[] = {{2, 1, 6, 5, 0, 0},     {-3, 0, 6, 5, 0, 0},    {0, -4, 6, 5, 0, 0},      {7, 5, 6, 5, 0, 0},
                  {0, 0, 6, 5, -2, -3},   {3, 2, 6, 5, 4, 3},     {9, 7, 6, 5, 0, 0},       {10, 0, 6, 5, 0, 0},
                  {0, 8, 6, 5, 0, 0},     {-6, 0, 6, 5, 0, 0},    {0, 0, 6, 5, 6, 0},       {0, 0, 6, 5, 0, -5},
                  {0, 0, 0, 5, 0, 0},     {0, 0, -3, 5, 0, 0},    {-2, -2, 20, 20, -1, -1}, {-big, 0, big, 5, 0, 0},
                  {1, 1, big, big, 1, 1}, {big, big, 5, 5, 0, 0}, {0, 0, 6, 5, -big, 0}};
    for (const auto& c : copies) {
        SCOPED_TRACE(testing::Message() << "copy " << c.x << "," << c.y << " " << c.w << "x" << c.h << " from "
                                        << c.xs);
        Canvas dst(dw, dh, keep);
        ASSERT_TRUE(dst.dc.BitBlt(c.x, c.y, c.w, c.h, &src.dc, c.xs, c.ys, SRCCOPY));
        ExpectPixels(dst.dc, dw, dh, [&](int x, int y) {
            const long long i = x - static_cast<long long>(c.x), j = y - static_cast<long long>(c.y);
            return i >= 0 && j >= 0 && i < c.w && j < c.h ? from(c.xs + i, c.ys + j) : keep;
        });
    }
    // Enlargement: pixel (x, y) repeats source ((x - ox) / s, (y - oy) / s) rounded down, at any phase.
    const struct {
        RECT rc;
        int ox, oy, s;
    } scaled[] = {{{0, 0, 10, 8}, 0, 0, 2}, {{1, 2, 9, 7}, -1, -2, 3},  {{-4, -4, 40, 40}, 3, 1, 4},
                  {{2, 1, 5, 6}, 1, 0, 1},  {{0, 0, 10, 8}, -7, -6, 2}, {{0, 0, 10, 8}, 9, 7, 5}};
    for (const auto& c : scaled) {
        SCOPED_TRACE(testing::Message() << "enlarged x" << c.s << " from origin " << c.ox << "," << c.oy);
        Canvas dst(dw, dh, keep);
        ASSERT_TRUE(dst.dc.ScaleBlt(c.rc, &src.dc, c.ox, c.oy, c.s));
        ExpectPixels(dst.dc, dw, dh, [&](int x, int y) {
            const bool in = x >= c.rc.left && x < c.rc.right && y >= c.rc.top && y < c.rc.bottom;
            return in ? from((x - c.ox + c.s * 8) / c.s - 8, (y - c.oy + c.s * 8) / c.s - 8) : keep;
        });
    }
    // Fills and operations without a source clip to the destination alone.
    Canvas dst(dw, dh, keep);
    dst.dc.FillSolidRect(RECT{-5, -5, 2, 3}, RGB(1, 1, 1));
    dst.dc.BitBlt(8, 6, 50, 50, nullptr, 0, 0, WHITENESS);
    ExpectPixels(dst.dc, dw, dh, [&](int x, int y) {
        return (x < 2 && y < 3) ? RGB(1, 1, 1) : (x >= 8 && y >= 6) ? RGB(255, 255, 255) : keep;
    });
}

// A new bitmap reads black unread: whatever a writer draws must be copied out, and a black fill clears it.
TEST_F(GdiTest, EveryWriterOfANewBitmapIsSeenByCopiesAndFills) {
    const int w = 40, h = 30;
    std::vector<std::uint32_t> px(w * h);
    for (int i = 0; i < w * h; ++i) px[i] = 0x030507u * static_cast<std::uint32_t>(i + 1) & 0xffffffu;
    Bits pattern(w, h, 32, px.data()), mask(w, h, 1);  // mask all 0: the image everywhere
    using Writer = void (*)(CDC & dc, CDC & pattern, CDC & mask);
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
        Canvas made(w, h, RGB(0, 0, 0)), copy(w, h, RGB(1, 2, 3));
        write(made.dc, pattern.dc, mask.dc);
        ASSERT_TRUE(copy.dc.BitBlt(0, 0, w, h, &made.dc, 0, 0, SRCCOPY));
        ExpectPixels(copy.dc, w, h, [&](int x, int y) { return made.dc.GetPixel(x, y); });
        made.dc.FillSolidRect(-1, -1, w + 2, h + 2, RGB(0, 0, 0));
        ExpectPixels(made.dc, w, h, [](int, int) { return 0u; });
    }
}

// One pass, with plain and other colours, at every clipping.
TEST_F(GdiTest, MaskedCopyEqualsThreeRasterPasses) {
    std::mt19937 rng(12345);
    const int iw = 21, ih = 9, dw = 30, dh = 14;
    std::vector<std::uint32_t> imagePx(iw * ih), destPx(dw * dh);
    for (auto& p : imagePx) p = rng() & 0xffffffu;
    for (auto& p : destPx) p = rng() & 0xffffffu;
    std::vector<std::uint8_t> maskBits(((iw + 15) / 16) * 2 * ih);
    for (auto& b : maskBits) b = static_cast<std::uint8_t>(rng());
    for (int k = 0; k < 8; ++k) maskBits[k] = k < 4 ? 0x00 : 0xff;  // whole bytes of each kind too
    Bits image(iw, ih, 32, imagePx.data()), mask(iw, ih, 1, maskBits.data());
    const COLORREF white = RGB(255, 255, 255);
    const struct {
        int x, y, w, h, xs, ys;
        COLORREF bk, text;
    } cases[] = {{3, 2, iw, ih, 0, 0, white, 0},
                 {-5, -3, iw, ih, 0, 0, white, 0},
                 {20, 8, iw, ih, 0, 0, white, 0},
                 {1, 1, 13, 5, 3, 2, white, 0},
                 {0, 0, 40, 40, -3, -1, white, 0},
                 {-2, 5, 17, 9, 5, 0, 0, white},
                 {4, 4, iw, ih, 0, 0, RGB(10, 200, 30), RGB(77, 1, 250)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << c.x << "," << c.y << " " << c.w << "x" << c.h);
        Bits fused(dw, dh, 32, destPx.data()), passes(dw, dh, 32, destPx.data());
        for (CDC* d : {&fused.dc, &passes.dc}) {
            d->SetBkColor(c.bk);
            d->SetTextColor(c.text);
        }
        ASSERT_TRUE(fused.dc.MaskedBlt(c.x, c.y, c.w, c.h, &image.dc, &mask.dc, c.xs, c.ys));
        passes.dc.BitBlt(c.x, c.y, c.w, c.h, &image.dc, c.xs, c.ys, SRCINVERT);
        passes.dc.BitBlt(c.x, c.y, c.w, c.h, &mask.dc, c.xs, c.ys, SRCAND);
        passes.dc.BitBlt(c.x, c.y, c.w, c.h, &image.dc, c.xs, c.ys, SRCINVERT);
        ExpectPixels(fused.dc, dw, dh, [&](int x, int y) { return passes.dc.GetPixel(x, y); });
    }
}

// A DIB section's colours come from the palette selected where it was made, a resource's from its
// table when converted to the display's format; an index beyond either is black.
TEST_F(GdiTest, EightBitColoursComeFromThePaletteOrTheResourceTable) {
    LOGPALETTE lp = MakePalette({{10, 20, 30, 0}, {40, 50, 60, 0}, {70, 80, 90, 0}});
    CPalette pal;
    ASSERT_TRUE(pal.CreatePalette(&lp));
    CDC dc, view;
    dc.CreateCompatibleDC(nullptr);
    view.CreateCompatibleDC(nullptr);
    dc.SelectPalette(&pal, FALSE);
    BITMAPINFO bi{};
    bi.bmiHeader = {40, 4, -1, 1, 8, BI_RGB, 0, 0, 0, 4, 0};  // top-down, four colours
    const WORD idx[4] = {2, 0, 1, 3};                         // 3 lies just beyond the palette
    std::memcpy(bi.bmiColors, idx, sizeof idx);
    void* bits = nullptr;
    HBITMAP dib = dc.CreateDIBSection(&bi, DIB_PAL_COLORS, &bits, nullptr, 0);
    ASSERT_NE(dib, nullptr);
    for (int i = 0; i < 4; ++i) static_cast<BYTE*>(bits)[i] = static_cast<BYTE>(i);
    view.SelectBitmap(dib);
    const COLORREF fromPalette[4] = {RGB(70, 80, 90), RGB(10, 20, 30), RGB(40, 50, 60), 0};
    ExpectPixels(view, 4, 1, [&](int x, int) { return fromPalette[x]; });
    view.SelectBitmap(nullptr);
    DeleteObject(dib);
    const BmpDesc desc{.width = 3, .height = 2, .colors = {{255, 0, 255}, {10, 20, 30}}, .pixels = {0, 1, 2, 1, 0, 1}};
    headless::SetResource(plat::kRtBitmap, 500, BuildBmp(desc));  // rows bottom-up in the resource
    CBitmap loaded;
    ASSERT_TRUE(loaded.LoadBitmap(500));
    view.SelectObject(&loaded);
    const COLORREF m = RGB(255, 0, 255), b = RGB(10, 20, 30), fromResource[2][3] = {{m, b, 0}, {b, m, b}};
    ExpectPixels(view, 3, 2, [&](int x, int y) { return fromResource[y][x]; });
}

TEST_F(GdiTest, ObjectsDeletedWhileSelectedStayUsableUntilReleased) {
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    {
        CBitmap bmp;
        ASSERT_TRUE(bmp.CreateCompatibleBitmap(&dc, 4, 4));
        EXPECT_EQ(dc.SelectObject(&bmp), nullptr);
        EXPECT_TRUE(bmp.DeleteObject());
        EXPECT_FALSE(bmp.DeleteObject());
    }
    // The context still draws into the bitmap it holds; letting it go returns no stale object.
    dc.FillSolidRect(0, 0, 4, 4, RGB(9, 8, 7));
    EXPECT_EQ(dc.GetPixel(3, 3), RGB(9, 8, 7));
    EXPECT_EQ(dc.SelectObject(nullptr), nullptr);
    EXPECT_EQ(dc.GetPixel(0, 0), CLR_INVALID);
    CBitmap bad;  // sizes and depths that cannot be made
    EXPECT_FALSE(bad.CreateBitmap(0, 3, 1, 1, nullptr) || bad.CreateBitmap(3, 3, 1, 8, nullptr));
    EXPECT_FALSE(bad.CreateCompatibleBitmap(&dc, 100000, 100000));
}

std::intptr_t TestProc(plat::Hwnd h, std::uint32_t m, std::uintptr_t w, std::intptr_t l) {
    return plat::DefWindowProc(h, m, w, l);
}

// A window context presents the rectangles drawn, clipped, when it is released; the display at once.
TEST_F(GdiTest, WindowAndDisplayContextsPresentWhatTheyDraw) {
    ASSERT_TRUE(plat::RegisterClass("GdiTestClass", 0, 0, &TestProc));
    const plat::Hwnd hwnd = plat::CreateWindowEx(0, "GdiTestClass", "", WS_POPUP, 5, 5, 20, 10, 0, nullptr);
    headless::ClearPresentLog();
    Canvas src(4, 4, RGB(200, 100, 50));
    CDC win, display;
    ASSERT_TRUE(win.AttachWindow(hwnd));
    win.BitBlt(18, -1, 4, 4, &src.dc, 0, 0, SRCCOPY);
    win.BitBlt(100, 100, 4, 4, &src.dc, 0, 0, SRCCOPY);  // entirely outside: nothing drawn
    EXPECT_TRUE(headless::PresentLog().empty());
    win.ReleaseWindow();
    EXPECT_FALSE(display.CreateDC("PRINTER", nullptr, nullptr, nullptr));
    ASSERT_TRUE(display.CreateDC("DISPLAY", nullptr, nullptr, nullptr));
    display.BitBlt(62, 46, 4, 4, &src.dc, 0, 0, SRCCOPY);
    std::vector<std::vector<int>> shown;
    for (const auto& p : headless::PresentLog())
        shown.push_back({static_cast<int>(p.hwnd), p.rect.left, p.rect.top, p.rect.right, p.rect.bottom});
    EXPECT_EQ(shown, (std::vector<std::vector<int>>{{static_cast<int>(hwnd), 18, 0, 20, 3}, {0, 62, 46, 64, 48}}));
    EXPECT_EQ(headless::Screen().pixels[47 * headless::Screen().pitch + 63], 0xc86432u);
    plat::DestroyWindow(hwnd);
}

}  // namespace
