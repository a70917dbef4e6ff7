// Scene window test harness: synthetic pictures, a probing subclass, fixed figures, a reference frame.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "BmpBuilder.h"
#include "app/SaverApp.h"
#include "framework/GdiBitmap.h"
#include "platform/Resources.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/HeadlessResources.h"
#include "resource.h"
#include "scene/Actor.h"
#include "window/SceneWnd.h"

namespace scenetest {

constexpr int kKeyIndex = 1;

// One colour table for every picture, so that remapping to the shared palette keeps every index;
// entry 1 is the key colour, which only the title uses.
inline std::vector<test::Rgb> Table() {
    std::vector<test::Rgb> t;
    for (int i = 0; i < 256; ++i)
        t.push_back(test::Rgb{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                              static_cast<std::uint8_t>((i * 7) & 0xff)});
    t[kKeyIndex] = test::Rgb{255, 0, 255};
    return t;
}

inline std::uint32_t Pixel(int index) {
    if (index == kKeyIndex) return 0xff00ffu;
    return (static_cast<std::uint32_t>(index) << 16) | (static_cast<std::uint32_t>(255 - index) << 8) |
           static_cast<std::uint32_t>((index * 7) & 0xff);
}

// Index of picture `seed` at (x, y): never the key colour except where `keyed` says so.
inline std::uint8_t PatternIndex(int seed, int x, int y) {
    int v = (x + 3 * y + 37 * seed) % 251;
    if (v < 2) v += 2;
    return static_cast<std::uint8_t>(v);
}
// The title shows the screen beneath in a band of its rows.
inline bool TitleKeyed(int x, int y) { return y >= 40 && y < 60 && (x / 8) % 2 == 0; }

struct Picture {
    int width = 0;
    int height = 0;
    int seed = 0;
    bool title = false;
    std::uint8_t At(int x, int y) const {
        if (title && TitleKeyed(x, y)) return kKeyIndex;
        return PatternIndex(seed, x, y);
    }
};

inline void InstallPicture(UINT id, const Picture& p) {
    test::BmpSpec s;
    s.width = p.width;
    s.height = p.height;
    s.colors = Table();
    s.clrUsedField = 0;
    s.pixels.resize(static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height));
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) s.pixels[static_cast<std::size_t>(y) * p.width + x] = p.At(x, y);
    headless::SetResource(plat::kRtBitmap, static_cast<std::uint16_t>(id), test::BuildBmp(s));
}

// The image table's resources and sizes, as the window loads them.
struct Entry {
    int index;
    UINT id;
    int width;
    int height;
};
inline std::vector<Entry> ImageTable() {
    std::vector<Entry> e;
    e.push_back({0, IDB_TITLE, 520, 147});
    e.push_back({1, 758, 131, 152});
    for (int i = 2; i <= 11; ++i) e.push_back({i, static_cast<UINT>(748 + i - 2), 131, 152});
    e.push_back({12, 747, 131, 152});
    e.push_back({13, 788, 116, 243});
    for (int i = 14; i <= 20; ++i) e.push_back({i, static_cast<UINT>(781 + i - 14), 116, 243});
    for (int i = 21; i <= 25; ++i) e.push_back({i, static_cast<UINT>(776 + i - 21), 116, 243});
    e.push_back({26, 811, 104, 182});
    for (int i = 27; i <= 38; ++i) e.push_back({i, static_cast<UINT>(820 + i - 27), 104, 182});
    for (int i = 39; i <= 43; ++i) e.push_back({i, static_cast<UINT>(832 + i - 39), 166, 121});
    e.push_back({44, 857, 166, 121});
    for (int i = 45; i <= 51; ++i) e.push_back({i, static_cast<UINT>(838 + i - 45), 166, 121});
    for (int i = 52; i <= 63; ++i) e.push_back({i, static_cast<UINT>(845 + i - 52), 101, 158});
    e.push_back({64, 837, 101, 158});
    e.push_back({65, IDB_FLASH, 640, 480});
    return e;
}

inline Picture ImagePicture(const Entry& e) { return Picture{e.width, e.height, e.index + 1, e.index == 0}; }
inline Picture BackgroundPicture() { return Picture{640, 480, 200, false}; }
inline Picture PreviewPicture() { return Picture{147, 124, 300, false}; }

// Every picture the window loads, with an optional size override for one table entry.
inline void InstallAll(int overrideIndex = -1, int overrideW = 0, int overrideH = 0) {
    headless::ResetResources();
    InstallPicture(IDB_BACKGROUND, BackgroundPicture());
    InstallPicture(IDB_PREVIEW, PreviewPicture());
    for (Entry e : ImageTable()) {
        if (e.index == overrideIndex) {
            e.width = overrideW;
            e.height = overrideH;
        }
        InstallPicture(e.id, ImagePicture(e));
    }
}

// A figure that stands where the test puts it and blocks new doors while it lives.
class CFixedActor : public CActor {
public:
    CFixedActor(int x, int y, int image, int depth = 0) : m_nImage(image), m_nDepth(depth) {
        m_nX = x;
        m_nY = y;
    }
    BOOL GetDrawInfo(int* pX, int* pY, int* pImage) override {
        *pX = m_nX;
        *pY = m_nY;
        *pImage = m_nImage;
        return TRUE;
    }
    BOOL Update() override { return m_bAlive ? TRUE : FALSE; }
    int GetDepth() override { return m_nDepth; }
    BOOL IsBusy() override { return TRUE; }

    int m_nImage;
    int m_nDepth;
    bool m_bAlive = true;
};

// The scene window with its insides open to the tests.
class CProbeWnd : public CSceneWnd {
public:
    explicit CProbeWnd(bool* pDeleted = nullptr) : CSceneWnd(TRUE), m_pDeleted(pDeleted) {}
    ~CProbeWnd() override {
        if (m_pDeleted != nullptr) *m_pDeleted = true;
    }

    BOOL CreateFull(int w, int h) {
        return CreateSceneWindow(WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE, RECT{0, 0, w, h}, nullptr, 0, 0);
    }
    CSceneDirector& Director() { return m_director; }
    int CurrentList() const { return m_nCurrentList; }
    int Count(int list) const { return m_nDirtyCount[list]; }
    RECT Dirty(int list, int i) const { return m_rcDirty[list][i]; }
    const CDib& Image(int i) const { return m_images[i]; }
    std::uint32_t BackgroundPixel(int x, int y) const {
        return GdiGetPixel(*m_bmpBackground.GetBitmapHandle(), x, y) & 0xffffffu;
    }
    std::uint32_t FramePixel(int x, int y) const { return GdiGetPixel(*m_bmpFrame.GetBitmapHandle(), x, y) & 0xffffffu; }
    std::uint32_t MaskBit(int i, int x, int y) const { return GdiGetPixel(*m_masks[i].GetBitmapHandle(), x, y) & 1u; }

    bool* m_pDeleted;
};

inline std::uint32_t ScreenPixel(int x, int y) {
    const plat::Surface& s = headless::Screen();
    return s.pixels[static_cast<std::ptrdiff_t>(y) * s.pitch + x] & 0xffffffu;
}

// The screen as the Parts say it must look: black, the background centred, then each figure the
// director reports, in drawing order, without its key-colour pixels (sizes as the window loaded).
// Figures keep their place relative to the background, whatever size the window composes at.
inline std::vector<std::uint32_t> ReferenceScreen(int w, int h, CProbeWnd& wnd) {
    CSceneDirector& director = wnd.Director();
    std::vector<std::uint32_t> out(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0u);
    auto put = [&](int x, int y, std::uint32_t c) {
        if (x >= 0 && y >= 0 && x < w && y < h) out[static_cast<std::size_t>(y) * w + x] = c;
    };
    const Picture bg = BackgroundPicture();
    const int ox = (w - 640) / 2;
    const int oy = (h - 480) / 2;
    const int dx = ox - director.m_nOriginX;
    const int dy = oy - director.m_nOriginY;
    for (int y = 0; y < bg.height; ++y)
        for (int x = 0; x < bg.width; ++x) put(ox + x, oy + y, Pixel(bg.At(x, y)));
    const std::vector<Entry> table = ImageTable();
    int x = 0, y = 0, image = 0;
    for (int pos = director.GetNextInDrawOrder(0, &x, &y, &image); pos != 0;
         pos = director.GetNextInDrawOrder(pos, &x, &y, &image)) {
        if (image < 0 || image > 65) continue;
        Picture p = ImagePicture(table[static_cast<std::size_t>(image)]);
        p.width = wnd.GetImageWidth(image);
        p.height = wnd.GetImageHeight(image);
        for (int yy = 0; yy < p.height; ++yy)
            for (int xx = 0; xx < p.width; ++xx)
                if (p.At(xx, yy) != kKeyIndex) put(dx + x + xx, dy + y + yy, Pixel(p.At(xx, yy)));
    }
    return out;
}

// Number of screen pixels that differ from `expected`.
inline long DiffScreen(const std::vector<std::uint32_t>& expected) {
    const plat::Surface& s = headless::Screen();
    long diff = 0;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x)
            if ((s.pixels[static_cast<std::ptrdiff_t>(y) * s.pitch + x] & 0xffffffu) !=
                expected[static_cast<std::size_t>(y) * s.width + x])
                ++diff;
    return diff;
}

// FNV-1a of the screen's pixels.
inline std::uint64_t HashScreen() {
    const plat::Surface& s = headless::Screen();
    std::uint64_t h = 1469598103934665603ull;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            h ^= s.pixels[static_cast<std::ptrdiff_t>(y) * s.pitch + x] & 0xffffffu;
            h *= 1099511628211ull;
        }
    return h;
}

inline bool SameRect(const plat::Rect& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace scenetest
