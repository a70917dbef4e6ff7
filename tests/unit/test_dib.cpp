// CDib and the shared palette: checked loading, colour mapping, opaque and masked copies.
#include <gtest/gtest.h>

#include <vector>

#include "BmpBuilder.h"
#include "DrawCanvas.h"
#include "framework/DC.h"
#include "imaging/Dib.h"
#include "imaging/DibPalette.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/HeadlessResources.h"

using namespace test;

namespace {

class DibTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::ResetDisplay(640, 480, 32);
        headless::ResetResources();
        CDib::ReleaseSharedPalette();
    }
    void TearDown() override {
        CDib::ReleaseSharedPalette();
        headless::ResetResources();
    }
};

void Put(std::uint16_t id, const BmpDesc& desc) { headless::SetResource(plat::kRtBitmap, id, BuildBmp(desc)); }

BOOL LoadInto(CDib& dib, UINT id, BOOL map) {
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    return dib.Load(&dc, id, map, nullptr);
}

COLORREF ColourAt(const BmpDesc& s, int x, int y) { return ColorRef(s.colors[s.pixels[static_cast<std::size_t>(y) * s.width + x]]); }

void ExpectEmpty(const CDib& dib) {
    EXPECT_EQ(dib.m_hBitmap, nullptr);
    EXPECT_EQ(dib.m_pInfo, nullptr);
    EXPECT_EQ(dib.m_pBits, nullptr);
}

TEST_F(DibTest, LoadCompletesTheHeaderAndCopiesEveryRow) {
    const std::pair<int, int> strides[] = {{131, 132}, {101, 104}, {166, 168}, {147, 148}, {14, 16}, {116, 116}};
    for (auto [w, stride] : strides) {
        CDib::ReleaseSharedPalette();
        BmpDesc desc = Pattern(w, 5);
        desc.clrUsedField = 0;
        desc.sizeImageField = 0;
        Put(100, desc);
        CDib dib;
        ASSERT_TRUE(LoadInto(dib, 100, TRUE)) << w;
        EXPECT_EQ(dib.m_nStride, stride);
        EXPECT_EQ(dib.m_pInfo->bmiHeader.biClrUsed, 256u) << "colour count 0 means 256";
        EXPECT_EQ(dib.m_pInfo->bmiHeader.biSizeImage, static_cast<DWORD>(5 * stride));
        EXPECT_EQ(dib.m_pInfo->bmiColors[255].rgbRed, 255);
        Canvas c(w, 5, 0);
        dib.Draw(&c.dc, 0, 0, TRUE);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < w; ++x) ASSERT_EQ(c.dc.GetPixel(x, y), ColourAt(desc, x, y)) << w << ": " << x << "," << y;
    }
    BmpDesc big = Pattern(640, 480);
    big.sizeImageField = 0;
    Put(673, big);
    CDib bg;
    ASSERT_TRUE(LoadInto(bg, 673, TRUE));
    EXPECT_EQ(bg.m_pInfo->bmiHeader.biSizeImage, 307200u);
    EXPECT_EQ(bg.GetWidth(), 640);
    EXPECT_EQ(bg.GetHeight(), 480);

    // A top-down image (negative height) is shown the right way up.
    CDib::ReleaseSharedPalette();
    BmpDesc down = Pattern(7, -3);
    Put(101, down);
    CDib td;
    ASSERT_TRUE(LoadInto(td, 101, TRUE));
    EXPECT_EQ(td.m_pInfo->bmiHeader.biSizeImage, 24u);
    Canvas c(7, 3, 0);
    td.Draw(&c.dc, 0, 0, TRUE);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x) ASSERT_EQ(c.dc.GetPixel(x, y), ColourAt(down, x, y)) << x << "," << y;
}

TEST_F(DibTest, LoadRejectsResourcesThatDoNotHoldWhatTheirHeaderSays) {
    const BmpDesc good = Pattern(9, 4);
    Put(200, good);
    std::vector<std::pair<const char*, std::vector<std::uint8_t>>> bad;
    auto variant = [&](const char* why, auto change) {
        BmpDesc s = good;
        change(s);
        bad.emplace_back(why, BuildBmp(s));
    };
    variant("12-byte header", [](BmpDesc& s) { s.headerSize = 12; });
    variant("124-byte header", [](BmpDesc& s) { s.headerSize = 124; });
    variant("4 bits per pixel", [](BmpDesc& s) { s.bitCount = 4; });
    variant("24 bits per pixel", [](BmpDesc& s) { s.bitCount = 24; });
    variant("RLE8", [](BmpDesc& s) { s.compression = 1; });
    variant("257 colours", [](BmpDesc& s) { s.clrUsedField = 257; });
    variant("huge colour count", [](BmpDesc& s) { s.clrUsedField = 0x40000000; });
    variant("width 0", [](BmpDesc& s) { s.width = 0; s.pixels.clear(); });
    variant("negative width", [](BmpDesc& s) { s.width = -9; s.pixels.clear(); });
    variant("height 0", [](BmpDesc& s) { s.height = 0; s.pixels.clear(); });
    variant("colour table shorter than its count", [](BmpDesc& s) { s.colors.resize(16); s.clrUsedField = 0; });
    {
        std::vector<std::uint8_t> tall = BuildBmp(good);
        Put32(tall, 8, 400);
        bad.emplace_back("rows beyond the resource", tall);
        Put32(tall, 8, static_cast<std::uint32_t>(-400));
        bad.emplace_back("top-down rows beyond the resource", tall);
        Put32(tall, 8, 0x80000000u);
        bad.emplace_back("most negative height", tall);
        std::vector<std::uint8_t> cut = BuildBmp(good);
        cut.pop_back();
        bad.emplace_back("one pixel byte short", cut);
        bad.emplace_back("header only", std::vector<std::uint8_t>(cut.begin(), cut.begin() + 40));
        bad.emplace_back("half a header", std::vector<std::uint8_t>(cut.begin(), cut.begin() + 20));
        bad.emplace_back("empty", std::vector<std::uint8_t>{});
    }
    for (const auto& [why, bytes] : bad) {
        CDib dib;
        ASSERT_TRUE(LoadInto(dib, 200, TRUE));
        headless::SetResource(plat::kRtBitmap, 201, bytes);
        EXPECT_FALSE(LoadInto(dib, 201, TRUE)) << why;
        ExpectEmpty(dib);
    }
    // A missing id: FALSE, and the image loaded before is gone.
    CDib dib;
    ASSERT_TRUE(LoadInto(dib, 200, TRUE));
    EXPECT_FALSE(LoadInto(dib, 999, TRUE));
    ExpectEmpty(dib);

    // An image-size field larger than the rows is not believed: the rows present are copied.
    BmpDesc big = good;
    big.sizeImageField = 1 << 30;
    Put(202, big);
    ASSERT_TRUE(LoadInto(dib, 202, TRUE));
    EXPECT_EQ(dib.m_pInfo->bmiHeader.biSizeImage, static_cast<DWORD>(4 * 12));
    // A smaller one is kept as the header says.
    big.sizeImageField = 12;
    Put(203, big);
    ASSERT_TRUE(LoadInto(dib, 203, TRUE));
    EXPECT_EQ(dib.m_pInfo->bmiHeader.biSizeImage, 12u);
    // The module argument is ignored, the id's high bits too.
    ASSERT_TRUE(LoadInto(dib, 0x10000 + 200, TRUE));
}

TEST_F(DibTest, TheFirstRealisedImageMakesTheSharedPalette) {
    BmpDesc first;
    first.width = 4;
    first.height = 1;
    first.colors = {{0, 0, 0}, {250, 0, 0}, {0, 250, 0}, {0, 0, 250}};
    first.pixels = {0, 1, 2, 3};
    BmpDesc second;
    second.width = 4;
    second.height = 1;
    second.colors = {{0, 10, 240}, {230, 20, 20}, {5, 5, 5}, {20, 240, 30}};  // nearest: 3, 1, 0, 2
    second.pixels = {0, 1, 2, 3};
    Put(300, first);
    Put(301, second);

    EXPECT_EQ(CDib::s_pSharedPalette, nullptr);
    CDib a, b;
    ASSERT_TRUE(LoadInto(a, 300, TRUE));
    ASSERT_NE(CDib::s_pSharedPalette, nullptr);
    EXPECT_EQ(CDib::s_pSharedPalette->GetEntryCount(), 4);
    PALETTEENTRY e[4];
    CDib::s_pSharedPalette->GetPaletteEntries(0, 4, e);
    EXPECT_EQ(e[1].peRed, 250);
    EXPECT_EQ(e[3].peBlue, 250);
    EXPECT_TRUE(CDib::s_pSharedPalette->IsKindOf(RUNTIME_CLASS(CPalette)));

    auto shown = [](CDib& dib) {
        Canvas c(4, 1, RGB(1, 1, 1));
        dib.Draw(&c.dc, 0, 0, TRUE);
        std::vector<COLORREF> out;
        for (int x = 0; x < 4; ++x) out.push_back(c.dc.GetPixel(x, 0));
        return out;
    };
    const std::vector<COLORREF> firstColours = {RGB(0, 0, 0), RGB(250, 0, 0), RGB(0, 250, 0), RGB(0, 0, 250)};
    EXPECT_EQ(shown(a), firstColours) << "the image that made the palette keeps every colour";

    // Remapped: the first image's colours nearest to the second's own.
    ASSERT_TRUE(LoadInto(b, 301, TRUE));
    EXPECT_EQ(shown(b), (std::vector<COLORREF>{RGB(0, 0, 250), RGB(250, 0, 0), RGB(0, 0, 0), RGB(0, 250, 0)}));
    EXPECT_EQ(b.m_pBits[0], 3);
    // Not remapped: raw indices show the first image's colours.
    ASSERT_TRUE(LoadInto(b, 301, FALSE));
    EXPECT_EQ(shown(b), firstColours);
    // Remapped, values at or beyond the image's colour count become 0.
    BmpDesc third;
    third.width = 4;
    third.height = 1;
    third.colors = {{0, 0, 250}, {0, 250, 0}};  // nearest: 3, 2
    third.pixels = {1, 2, 255, 0};
    Put(302, third);
    CDib c;
    ASSERT_TRUE(LoadInto(c, 302, TRUE));
    EXPECT_EQ(std::vector<BYTE>(c.m_pBits, c.m_pBits + 4), (std::vector<BYTE>{2, 0, 0, 3}));

    // Released: the next realised image makes it anew, from its own colours.
    CDib::ReleaseSharedPalette();
    EXPECT_EQ(CDib::s_pSharedPalette, nullptr);
    ASSERT_TRUE(LoadInto(b, 301, TRUE));
    ASSERT_NE(CDib::s_pSharedPalette, nullptr);
    EXPECT_EQ(shown(b), (std::vector<COLORREF>{RGB(0, 10, 240), RGB(230, 20, 20), RGB(5, 5, 5), RGB(20, 240, 30)}));
    ASSERT_TRUE(LoadInto(a, 300, TRUE));
    EXPECT_EQ(shown(a), (std::vector<COLORREF>{RGB(5, 5, 5), RGB(230, 20, 20), RGB(20, 240, 30), RGB(0, 10, 240)}));
}

// The mask as the scene window makes it: the resource in the display's format, copied into a
// 1-bit bitmap with the key colour as background.
void MakeMask(std::uint16_t id, CBitmap& mask) {
    CBitmap ddb;
    ASSERT_TRUE(ddb.LoadBitmap(id));
    ASSERT_TRUE(mask.CreateBitmap(ddb.GetWidth(), ddb.GetHeight(), 1, 1, nullptr));
    CDC dcMask, dcCopy;
    dcMask.CreateCompatibleDC(nullptr);
    dcCopy.CreateCompatibleDC(nullptr);
    dcMask.SelectObject(&mask);
    dcCopy.SelectObject(&ddb);
    dcCopy.SetBkColor(RGB(255, 0, 255));
    dcMask.BitBlt(0, 0, ddb.GetWidth(), ddb.GetHeight(), &dcCopy, 0, 0, SRCCOPY);
}

TEST_F(DibTest, DrawMaskedShowsTheDestinationWhereTheKeyColourWas) {
    // Title-like: the key colour at colour index 1, in a scattered pattern.
    BmpDesc title = Pattern(37, 11);
    title.colors[1] = {255, 0, 255};
    for (std::size_t i = 0; i < title.pixels.size(); ++i)
        if (i % 3 == 0 || i % 7 == 0) title.pixels[i] = 1;
    Put(670, title);
    CDib dib;
    ASSERT_TRUE(LoadInto(dib, 670, TRUE));
    CBitmap mask;
    MakeMask(670, mask);
    if (HasFatalFailure()) return;

    const int cw = 50, ch = 20, x0 = 7, y0 = 4;
    Canvas c(cw, ch, 0);
    for (int y = 0; y < ch; ++y)
        for (int x = 0; x < cw; ++x) c.dc.FillSolidRect(x, y, 1, 1, RGB(x * 5, y * 12, 99));
    c.dc.SetBkColor(RGB(1, 2, 3));
    c.dc.SetTextColor(RGB(4, 5, 6));
    dib.DrawMasked(&c.dc, x0, y0, &mask, TRUE);
    EXPECT_EQ(c.dc.GetBkColor(), RGB(255, 255, 255));
    EXPECT_EQ(c.dc.GetTextColor(), RGB(0, 0, 0));
    int transparent = 0;
    for (int y = 0; y < ch; ++y)
        for (int x = 0; x < cw; ++x) {
            const int ix = x - x0, iy = y - y0;
            const bool inside = ix >= 0 && iy >= 0 && ix < title.width && iy < 11;
            const bool key = inside && title.pixels[static_cast<std::size_t>(iy) * title.width + ix] == 1;
            transparent += key;
            const COLORREF want = inside && !key ? ColourAt(title, ix, iy) : RGB(x * 5, y * 12, 99);
            ASSERT_EQ(c.dc.GetPixel(x, y), want) << x << "," << y;
        }
    EXPECT_GT(transparent, 100);

    // A frame without the key colour gets an all-zero mask and is copied as a full rectangle,
    // also where it hangs over every edge of the destination.
    CDib::ReleaseSharedPalette();
    BmpDesc frame = Pattern(13, 9);
    Put(758, frame);
    CDib opaque;
    ASSERT_TRUE(LoadInto(opaque, 758, TRUE));
    CBitmap zero;
    MakeMask(758, zero);
    if (HasFatalFailure()) return;
    const std::pair<int, int> spots[] = {{-4, -3}, {10, -5}, {-8, 6}, {12, 5}, {-13, 0}, {20, 20}, {3, 2}};
    for (auto [px, py] : spots) {
        Canvas d(20, 12, RGB(9, 9, 9));
        opaque.DrawMasked(&d.dc, px, py, &zero, TRUE);
        Canvas e(20, 12, RGB(9, 9, 9));
        opaque.Draw(&e.dc, px, py, TRUE);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 20; ++x) {
                const int ix = x - px, iy = y - py;
                const bool inside = ix >= 0 && iy >= 0 && ix < 13 && iy < 9;
                const COLORREF want = inside ? ColourAt(frame, ix, iy) : RGB(9, 9, 9);
                ASSERT_EQ(d.dc.GetPixel(x, y), want) << "masked at " << px << "," << py << ": " << x << "," << y;
                ASSERT_EQ(e.dc.GetPixel(x, y), want) << "opaque at " << px << "," << py << ": " << x << "," << y;
            }
    }
    // Part of the image through DrawRect, with a source rectangle reaching outside the image.
    Canvas f(20, 12, RGB(9, 9, 9));
    opaque.DrawRect(&f.dc, 2, 1, RECT{-2, 5, 6, 20}, TRUE);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 20; ++x) {
            const int ix = x - 2 - 2, iy = y - 1 + 5;
            const bool inside = x >= 2 && x < 10 && ix >= 0 && ix < 6 && iy >= 5 && iy < 9;
            ASSERT_EQ(f.dc.GetPixel(x, y), inside ? ColourAt(frame, ix, iy) : RGB(9, 9, 9)) << x << "," << y;
        }
}

TEST_F(DibTest, EmptyImagesAndMissingContextsDrawNothing) {
    Put(400, Pattern(5, 5));
    Canvas c(8, 8, RGB(3, 3, 3));
    CBitmap mask;
    mask.CreateBitmap(5, 5, 1, 1, nullptr);
    CDib empty;
    ExpectEmpty(empty);
    EXPECT_EQ(empty.m_nStride, 0);
    empty.Draw(&c.dc, 0, 0, TRUE);
    empty.DrawMasked(&c.dc, 0, 0, &mask, TRUE);
    EXPECT_EQ(c.dc.GetPixel(0, 0), RGB(3, 3, 3));
    EXPECT_EQ(CDib::s_pSharedPalette, nullptr) << "an empty image realises nothing";
    EXPECT_FALSE(empty.Realize(&c.dc));
    EXPECT_FALSE(empty.MapToPalette());
    PALETTEENTRY e[256];
    EXPECT_FALSE(empty.FillPaletteEntries(e));

    // Without a context the realise fails: FALSE, only the header kept.
    CDib dib;
    EXPECT_FALSE(dib.Load(nullptr, 400, TRUE, nullptr));
    EXPECT_EQ(dib.m_hBitmap, nullptr);
    ASSERT_NE(dib.m_pInfo, nullptr);
    EXPECT_EQ(dib.m_nStride, 8);
    dib.Draw(&c.dc, 0, 0, TRUE);
    EXPECT_EQ(c.dc.GetPixel(0, 0), RGB(3, 3, 3));
    EXPECT_TRUE(dib.FillPaletteEntries(e));
    EXPECT_EQ(e[255].peRed, 255);
    dib.Free();
    EXPECT_EQ(dib.m_pInfo, nullptr);
    EXPECT_EQ(dib.m_nStride, 8) << "Free leaves the stride";

    ASSERT_TRUE(LoadInto(dib, 400, TRUE));
    dib.DrawMasked(&c.dc, 0, 0, nullptr, TRUE);
    EXPECT_EQ(c.dc.GetPixel(0, 0), RGB(3, 3, 3));
    dib.Draw(nullptr, 0, 0, TRUE);
}

TEST_F(DibTest, MakeIdentityOnlyChangesPalettesOfPaletteDisplays) {
    BmpDesc s = Pattern(4, 4);
    Put(500, s);
    CDib dib;
    ASSERT_TRUE(LoadInto(dib, 500, TRUE));
    ASSERT_NE(CDib::s_pSharedPalette, nullptr);
    EXPECT_FALSE(CDib::s_pSharedPalette->MakeIdentity());
    PALETTEENTRY e[256];
    ASSERT_EQ(CDib::s_pSharedPalette->GetPaletteEntries(0, 256, e), 256u);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(e[i].peFlags, 0) << i;
    EXPECT_EQ(e[100].peGreen, 155);

    // On an 8-bit display the palette becomes the system palette: static colours at both ends
    // with flags 0, the image's colours between them marked not to collapse.
    headless::ResetDisplay(640, 480, 8);
    CDibPalette pal(&dib);
    ASSERT_TRUE(pal.MakeIdentity());
    ASSERT_EQ(pal.GetEntryCount(), 256);
    pal.GetPaletteEntries(0, 256, e);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(e[i].peFlags, (i < 10 || i >= 246) ? 0 : PC_NOCOLLAPSE) << i;
    EXPECT_EQ(e[255].peRed, 255);
    EXPECT_EQ(e[255].peBlue, 255);
    EXPECT_EQ(e[10].peRed, 0) << "the image's first colour follows the low static colours";
    EXPECT_EQ(e[11].peRed, 1);
}

}  // namespace
