// Scene window test harness: synthetic pictures, a probing subclass, fixed figures, a reference frame.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "BmpBuilder.h"
#include "app/SaverApp.h"
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
inline test::Rgb Colour(int i) {
    const auto c = [](int v) { return static_cast<std::uint8_t>(v & 0xff); };
    return i == kKeyIndex ? test::Rgb{255, 0, 255} : test::Rgb{c(i), c(255 - i), c(i * 7)};
}
inline std::uint32_t Pixel(int index) {
    const test::Rgb c = Colour(index);
    return static_cast<std::uint32_t>(c.r) << 16 | static_cast<std::uint32_t>(c.g) << 8 | c.b;
}

// Index of picture `seed` at (x, y): never the key colour except where `keyed` says so.
inline std::uint8_t PatternIndex(int seed, int x, int y) {
    const int v = (x + 3 * y + 37 * seed) % 251;
    return static_cast<std::uint8_t>(v < 2 ? v + 2 : v);
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
    for (int i = 0; i < 256; ++i) s.colors.push_back(Colour(i));
    s.clrUsedField = 0;
    s.pixels.resize(static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height));
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) s.pixels[static_cast<std::size_t>(y) * p.width + x] = p.At(x, y);
    headless::SetResource(plat::kRtBitmap, static_cast<std::uint16_t>(id), test::BuildBmp(s));
}

// The image table's resources and sizes, as the window loads them: runs of consecutive ids.
struct Entry {
    int index;
    UINT id;
    int width;
    int height;
};
inline std::vector<Entry> ImageTable() {
    const struct {
        UINT firstId, lastId;
        int width, height;
    } runs[] = {{670, 670, 520, 147}, {758, 758, 131, 152}, {748, 757, 131, 152}, {747, 747, 131, 152},
                {788, 788, 116, 243}, {781, 787, 116, 243}, {776, 780, 116, 243}, {811, 811, 104, 182},
                {820, 831, 104, 182}, {832, 836, 166, 121}, {857, 857, 166, 121}, {838, 844, 166, 121},
                {845, 856, 101, 158}, {837, 837, 101, 158}, {858, 858, 640, 480}};
    std::vector<Entry> e;
    for (const auto& r : runs)
        for (UINT id = r.firstId; id <= r.lastId; ++id)
            e.push_back({static_cast<int>(e.size()), id, r.width, r.height});
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
    CFixedActor(int x, int y, int image, int depth = 0) : m_nDepth(depth) {
        m_nX = x;
        m_nY = y;
        m_nBaseImage = image;
    }
    BOOL Update() override { return m_bAlive ? TRUE : FALSE; }
    int GetDepth() override { return m_nDepth; }
    BOOL IsBusy() override { return TRUE; }

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
            diff += ScreenPixel(x, y) != expected[static_cast<std::size_t>(y) * s.width + x];
    return diff;
}

}  // namespace scenetest
