// CDib and the shared palette: checked loading, colour mapping, opaque and masked copies.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "BmpBuilder.h"
#include "DrawCanvas.h"
#include "framework/DibTypes.h"
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

using PixelRule = std::function<COLORREF(int, int)>;

void Put(std::uint16_t id, const BmpDesc& desc) { headless::SetResource(plat::kRtBitmap, id, BuildBmp(desc)); }

BOOL LoadInto(CDib& dib, UINT id, BOOL map) {
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    return dib.Load(&dc, id, map, nullptr);
}

bool IsEmpty(const CDib& dib) { return dib.m_hBitmap == nullptr && dib.m_pInfo == nullptr && dib.m_pBits == nullptr; }

COLORREF ColourAt(const BmpDesc& s, int x, int y) {
    return ColorRef(s.colors[s.pixels[static_cast<std::size_t>(y) * s.width + x]]);
}

// `image` placed at (px, py): its colour inside, `fill` outside.
PixelRule Placed(const BmpDesc& image, int px, int py, COLORREF fill) {
    return [&image, px, py, fill](int x, int y) {
        const int ix = x - px, iy = y - py, rows = image.height < 0 ? -image.height : image.height;
        return ix >= 0 && iy >= 0 && ix < image.width && iy < rows ? ColourAt(image, ix, iy) : fill;
    };
}

void ExpectPixels(Canvas& c, int w, int h, const PixelRule& want) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) ASSERT_EQ(c.dc.GetPixel(x, y), want(x, y)) << x << "," << y;
}

std::vector<COLORREF> Row(CDib& dib, int w) {
    Canvas c(w, 1, RGB(1, 1, 1));
    dib.Draw(&c.dc, 0, 0, TRUE);
    std::vector<COLORREF> out;
    for (int x = 0; x < w; ++x) out.push_back(c.dc.GetPixel(x, 0));
    return out;
}

TEST_F(DibTest, LoadCompletesTheHeaderAndCopiesEveryRow) {
    // Every row padding, a top-down image (negative height) and the background's size.
    const std::pair<int, int> sizes[] = {{131, 5}, {101, 5}, {166, 5}, {14, 5}, {116, 5}, {7, -3}, {640, 480}};
    for (auto [w, h] : sizes) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        CDib::ReleaseSharedPalette();
        BmpDesc desc = Pattern(w, h);
        desc.clrUsedField = 0;    // means 256
        desc.sizeImageField = 0;  // means all rows
        Put(100, desc);
        CDib dib;
        ASSERT_TRUE(LoadInto(dib, 100, TRUE));
        const int rows = h < 0 ? -h : h;
        EXPECT_EQ(dib.m_nStride, Stride(w));
        EXPECT_EQ(dib.m_pInfo->bmiHeader.biClrUsed, 256u);
        EXPECT_EQ(dib.m_pInfo->bmiHeader.biSizeImage, static_cast<DWORD>(rows * Stride(w)));
        Canvas c(w, rows, 0);
        dib.Draw(&c.dc, 0, 0, TRUE);
        ExpectPixels(c, w, rows, Placed(desc, 0, 0, 0));
    }
}

TEST_F(DibTest, LoadRejectsResourcesThatDoNotHoldWhatTheirHeaderSays) {
    const BmpDesc good = Pattern(9, 4);
    const std::vector<std::uint8_t> goodBytes = BuildBmp(good);
    Put(200, good);
    std::vector<std::pair<const char*, std::vector<std::uint8_t>>> bad;
    auto variant = [&](const char* why, auto change) {
        BmpDesc s = good;
        change(s);
        bad.emplace_back(why, BuildBmp(s));
    };
    variant("12-byte header", [](BmpDesc& s) { s.headerSize = 12; });
    variant("124-byte header", [](BmpDesc& s) { s.headerSize = 124; });
    for (std::uint16_t bits : {1, 4, 16, 24, 32})
        variant("not 8 bits per pixel", [bits](BmpDesc& s) { s.bitCount = bits; });
    for (std::uint32_t rle : {1, 2, 3})
        variant("compressed (RLE8, RLE4, bit fields)", [rle](BmpDesc& s) { s.compression = rle; });
    variant("257 colours, all present", [](BmpDesc& s) { s.colors.resize(257); });
    variant("huge colour count", [](BmpDesc& s) { s.clrUsedField = 0x40000000; });
    variant("colour table shorter than its count", [](BmpDesc& s) { s.colors.resize(16), s.clrUsedField = 0; });
    for (std::int32_t w : {0, -9}) variant("width 0 or less", [w](BmpDesc& s) { s.width = w, s.pixels.clear(); });
    variant("height 0", [](BmpDesc& s) { s.height = 0, s.pixels.clear(); });
    for (std::uint32_t height : {400u, 0u - 400u, 0x80000000u})
        Put32(bad.emplace_back("rows beyond the resource", goodBytes).second, 8, height);
    for (std::size_t keep : {goodBytes.size() - 1, std::size_t{40}, std::size_t{20}, std::size_t{0}})
        bad.emplace_back("cut short", std::vector<std::uint8_t>(goodBytes.begin(), goodBytes.begin() + keep));
    for (const auto& [why, bytes] : bad) {
        SCOPED_TRACE(testing::Message() << why << ", " << bytes.size() << " bytes");
        DibLayout layout;
        EXPECT_FALSE(ParseDibResource(bytes.data(), bytes.size(), &layout));
        CDib dib;
        ASSERT_TRUE(LoadInto(dib, 200, TRUE));
        headless::SetResource(plat::kRtBitmap, 201, bytes);
        EXPECT_FALSE(LoadInto(dib, 201, TRUE));
        EXPECT_TRUE(IsEmpty(dib)) << "the image loaded before is gone";
    }
    CDib dib;
    ASSERT_TRUE(LoadInto(dib, 0x10000 + 200, TRUE)) << "the id's high bits are ignored";
    EXPECT_FALSE(LoadInto(dib, 999, TRUE));
    EXPECT_TRUE(IsEmpty(dib));
    // An image-size field larger than the rows is not believed; a smaller one is kept.
    for (auto [field, kept] : {std::pair<std::int64_t, DWORD>{1 << 30, 4 * 12}, {12, 12}}) {
        BmpDesc s = good;
        s.sizeImageField = field;
        Put(202, s);
        ASSERT_TRUE(LoadInto(dib, 202, TRUE));
        EXPECT_EQ(dib.m_pInfo->bmiHeader.biSizeImage, kept);
    }
}

TEST_F(DibTest, TheFirstRealisedImageMakesTheSharedPalette) {
    Put(300, {.width = 4, .colors = {{0, 0, 0}, {250, 0, 0}, {0, 250, 0}, {0, 0, 250}}, .pixels = {0, 1, 2, 3}});
    // Nearest to the first image's colours: 3, 1, 0, 2; then 3, 2.
    Put(301, {.width = 4, .colors = {{0, 10, 240}, {230, 20, 20}, {5, 5, 5}, {20, 240, 30}}, .pixels = {0, 1, 2, 3}});
    Put(302, {.width = 4, .colors = {{0, 0, 250}, {0, 250, 0}}, .pixels = {1, 2, 255, 0}});
    const std::vector<COLORREF> first = {RGB(0, 0, 0), RGB(250, 0, 0), RGB(0, 250, 0), RGB(0, 0, 250)};
    const std::vector<COLORREF> second = {RGB(0, 10, 240), RGB(230, 20, 20), RGB(5, 5, 5), RGB(20, 240, 30)};

    EXPECT_EQ(CDib::s_pSharedPalette, nullptr);
    CDib a, b, c;
    ASSERT_TRUE(LoadInto(a, 300, TRUE));
    ASSERT_NE(CDib::s_pSharedPalette, nullptr);
    EXPECT_EQ(CDib::s_pSharedPalette->GetEntryCount(), 4);
    EXPECT_EQ(Row(a, 4), first) << "the image that made the palette keeps every colour";
    ASSERT_TRUE(LoadInto(b, 301, TRUE));
    EXPECT_EQ(Row(b, 4), (std::vector<COLORREF>{first[3], first[1], first[0], first[2]})) << "mapped to the nearest";
    ASSERT_TRUE(LoadInto(b, 301, FALSE));
    EXPECT_EQ(Row(b, 4), first) << "not mapped: raw indices";
    ASSERT_TRUE(LoadInto(c, 302, TRUE));
    EXPECT_EQ(std::vector<BYTE>(c.m_pBits, c.m_pBits + 4), (std::vector<BYTE>{2, 0, 0, 3})) << "beyond the count: 0";

    // Released: the next realised image makes it anew, from its own colours.
    CDib::ReleaseSharedPalette();
    ASSERT_TRUE(LoadInto(b, 301, TRUE));
    EXPECT_EQ(Row(b, 4), second);
    ASSERT_TRUE(LoadInto(a, 300, TRUE));
    EXPECT_EQ(Row(a, 4), (std::vector<COLORREF>{second[2], second[1], second[3], second[0]}));
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
    // Title-like: the key colour at index 1, scattered; drawn over a gradient.
    BmpDesc title = Pattern(37, 11);
    title.colors[1] = {255, 0, 255};
    for (std::size_t i = 0; i < title.pixels.size(); ++i)
        if (i % 3 == 0 || i % 7 == 0) title.pixels[i] = 1;
    Put(670, title);
    CDib dib;
    ASSERT_TRUE(LoadInto(dib, 670, TRUE));
    CBitmap mask;
    MakeMask(670, mask);
    ASSERT_FALSE(HasFatalFailure());
    Canvas c(50, 20, 0);
    const PixelRule ground = [](int x, int y) { return RGB(x * 5, y * 12, 99); };
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 50; ++x) c.dc.FillSolidRect(x, y, 1, 1, ground(x, y));
    dib.DrawMasked(&c.dc, 7, 4, &mask, TRUE);
    const PixelRule inTitle = Placed(title, 7, 4, RGB(255, 0, 255));
    ExpectPixels(c, 50, 20,
                 [&](int x, int y) { return inTitle(x, y) == RGB(255, 0, 255) ? ground(x, y) : inTitle(x, y); });

    // A frame without the key colour gets an all-zero mask and is copied whole, masked or not,
    // also where it hangs over every edge of the destination.
    CDib::ReleaseSharedPalette();
    const BmpDesc frame = Pattern(13, 9);
    Put(758, frame);
    CDib opaque;
    ASSERT_TRUE(LoadInto(opaque, 758, TRUE));
    CBitmap zero;
    MakeMask(758, zero);
    ASSERT_FALSE(HasFatalFailure());
    const std::pair<int, int> spots[] = {{-4, -3}, {10, -5}, {-8, 6}, {12, 5}, {-13, 0}, {20, 20}, {3, 2}};
    for (auto [px, py] : spots) {
        SCOPED_TRACE(testing::Message() << "at " << px << "," << py);
        Canvas d(20, 12, RGB(9, 9, 9)), e(20, 12, RGB(9, 9, 9));
        opaque.DrawMasked(&d.dc, px, py, &zero, TRUE);
        opaque.Draw(&e.dc, px, py, TRUE);
        ExpectPixels(d, 20, 12, Placed(frame, px, py, RGB(9, 9, 9)));
        ExpectPixels(e, 20, 12, Placed(frame, px, py, RGB(9, 9, 9)));
    }
    // Part of the image through DrawRect, with a source rectangle reaching outside the image.
    Canvas f(20, 12, RGB(9, 9, 9));
    opaque.DrawRect(&f.dc, 2, 1, RECT{-2, 5, 6, 20}, TRUE);
    const PixelRule whole = Placed(frame, 4, -4, RGB(9, 9, 9));
    ExpectPixels(f, 20, 12, [&](int x, int y) { return x >= 2 && x < 10 && y >= 1 ? whole(x, y) : RGB(9, 9, 9); });
}

TEST_F(DibTest, EmptyImagesAndMissingContextsDrawNothing) {
    Put(400, Pattern(5, 5));
    Canvas c(8, 8, RGB(3, 3, 3));
    CBitmap mask;
    mask.CreateBitmap(5, 5, 1, 1, nullptr);
    PALETTEENTRY e[256];
    CDib empty, dib;
    empty.Draw(&c.dc, 0, 0, TRUE);
    empty.DrawMasked(&c.dc, 0, 0, &mask, TRUE);
    EXPECT_FALSE(empty.Realize(&c.dc) || empty.MapToPalette() || empty.FillPaletteEntries(e) || CDib::s_pSharedPalette);
    // Without a context the realise fails: FALSE, only the header (and its colours) kept.
    EXPECT_FALSE(dib.Load(nullptr, 400, TRUE, nullptr));
    EXPECT_TRUE(dib.m_hBitmap == nullptr && dib.m_pInfo != nullptr && dib.FillPaletteEntries(e) && e[255].peRed == 255);
    dib.Draw(&c.dc, 0, 0, TRUE);
    ASSERT_TRUE(LoadInto(dib, 400, TRUE));
    dib.DrawMasked(&c.dc, 0, 0, nullptr, TRUE);
    dib.Draw(nullptr, 0, 0, TRUE);
    ExpectPixels(c, 8, 8, [](int, int) { return RGB(3, 3, 3); });
}

TEST_F(DibTest, MakeIdentityOnlyChangesPalettesOfPaletteDisplays) {
    Put(500, Pattern(4, 4));
    CDib dib;
    ASSERT_TRUE(LoadInto(dib, 500, TRUE));
    EXPECT_FALSE(CDib::s_pSharedPalette->MakeIdentity());
    // On an 8-bit display the palette becomes the system palette: static colours at both ends
    // with flags 0, the image's colours between them marked not to collapse.
    headless::ResetDisplay(640, 480, 8);
    CDibPalette pal(&dib);
    ASSERT_TRUE(pal.MakeIdentity());
    ASSERT_EQ(pal.GetEntryCount(), 256);
    PALETTEENTRY e[256];
    pal.GetPaletteEntries(0, 256, e);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(e[i].peFlags, (i < 10 || i >= 246) ? 0 : PC_NOCOLLAPSE) << i;
    EXPECT_EQ(RGB(e[255].peRed, e[255].peGreen, e[255].peBlue), RGB(255, 255, 255));
    EXPECT_EQ(e[11].peRed, 1) << "the image's colours follow the low static colours";
}

}  // namespace
