// Scene window: set-up, image table, copy-out rules, timers, monitors, refusal, preview, repaint.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "SceneWndHarness.h"
#include "platform/Window.h"
#include "platform/headless/HeadlessSystem.h"

using namespace scenetest;

namespace {

class SceneWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        theApp.m_bFullScreen = 1;
        theApp.m_nEnableSound = 0;
        theApp.m_nPain = 3;
        theApp.m_nSubliminals = 1;
        theApp.m_nScale = 1;
        theApp.m_pMainWnd = nullptr;
        InstallAll();
    }
    void TearDown() override {
        theApp.m_pMainWnd = nullptr;
        headless::ResetDisplay(1, 1, 32);  // destroys what is left; auto-delete objects go with it
        headless::ResetResources();
    }
    // A full-screen window on a fresh display, its first paint done.
    CProbeWnd* Open(int w, int h, int bpp = 32, const std::vector<plat::Rect>& monitors = {}) {
        headless::ResetDisplay(w, h, bpp);
        headless::SetMonitors(monitors);
        auto* wnd = new CProbeWnd;
        EXPECT_TRUE(wnd->CreateFull(w, h));
        headless::PumpMessages();
        return wnd;
    }
};

// Ticks the window once, as the timer would, and returns the rectangles copied to it.
std::vector<plat::Rect> TickAndCollect(CProbeWnd* w) {
    headless::ClearPresentLog();
    w->SendMessage(WM_TIMER, 1, 0);
    std::vector<plat::Rect> out;
    for (const headless::Presented& p : headless::PresentLog())
        if (p.hwnd == w->GetSafeHwnd()) out.push_back(p.rect);
    return out;
}

bool Eq(const plat::Rect& r, int l, int t, int rr, int b) {
    return r.left == l && r.top == t && r.right == rr && r.bottom == b;
}

}  // namespace

TEST_F(SceneWndTest, BackgroundAndTitleAreCentredAndTheFirstFrameRestoresTheTitle) {
    const struct {
        int w, h, tx, ty;
    } cases[] = {{640, 480, 60, 166}, {800, 600, 140, 226}, {1024, 768, 252, 310},
                 {600, 480, 40, 166}, {639, 480, 59, 166},  {320, 240, -100, 46}};
    const Picture title = ImagePicture(ImageTable()[0]);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        headless::ResetDisplay(c.w, c.h, 32);
        auto* w = new CProbeWnd;
        ASSERT_TRUE(w->CreateFull(c.w, c.h));
        EXPECT_TRUE(w->GetScreenWidth() == c.w && w->GetScreenHeight() == c.h);

        // The title went straight to the screen, its key-colour pixels showing the black beneath,
        // and its rectangle is the previous list's only entry.
        const int prev = 1 - w->CurrentList();
        ASSERT_EQ(w->Count(prev), 1);
        EXPECT_EQ(w->Count(w->CurrentList()), 0);
        const RECT r = w->Dirty(prev, 0);
        EXPECT_TRUE(r.left == c.tx && r.top == c.ty && r.right == c.tx + 520 && r.bottom == c.ty + 147);
        const int px = std::max(0, -c.tx) + 8;  // a title column on the screen, unkeyed at row 45
        EXPECT_EQ(ScreenPixel(c.tx + px, c.ty + 45), Pixel(title.At(px, 45)));
        EXPECT_EQ(ScreenPixel(c.tx + px - 7, c.ty + 45), 0u);
        EXPECT_EQ(ScreenPixel(c.tx + px - 7, c.ty + 39), Pixel(title.At(px - 7, 39)));

        // The first frame (the first WM_PAINT) shows the background centred on black everywhere.
        headless::PumpMessages();
        EXPECT_EQ(DiffScreen(ReferenceScreen(c.w, c.h, *w)), 0);
        EXPECT_EQ(w->Count(1 - w->CurrentList()), 0);
        w->DestroyWindow();
    }
}

// Each monitor shows the one scene centred on it, enlarged by its own factor: its pixels are the
// one-monitor frame of (monitor size / factor) with every pixel repeated; black between monitors.
// A figure that moves is copied out once per monitor, over its old and new place only.
TEST_F(SceneWndTest, EachMonitorShowsTheSceneCentredAndEnlargedByItsFactor) {
    struct Case {
        int w, h;
        std::vector<plat::Rect> monitors;  // empty: one monitor, the whole display
        int setting;
        std::vector<int> factors;
    };
    const std::vector<plat::Rect> two = {{0, 0, 1920, 1080}, {1920, 56, 3200, 1080}};
    const Case cases[] = {{3200, 1080, two, 1, {1, 1}},
                          {3200, 1080, two, 3, {2, 2}},
                          {1920, 1080, {}, 2, {2}},
                          {3840, 2160, {}, 0, {4}},
                          {1920, 1080, {}, 8, {2}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " monitors " << c.monitors.size() << " Scale "
                                        << c.setting);
        theApp.m_nScale = c.setting;
        CProbeWnd* w = Open(c.w, c.h, 32, c.monitors);
        const std::vector<plat::Rect> mons =
            c.monitors.empty() ? std::vector<plat::Rect>{{0, 0, c.w, c.h}} : c.monitors;
        CSceneDirector& d = w->Director();
        auto* a = new CFixedActor(d.m_nOriginX + 100, d.m_nOriginY + 50, 2);  // 131 x 152
        ASSERT_TRUE(d.AddActor(a));
        w->SendMessage(WM_TIMER, 1, 0);
        a->m_nX += 6;
        const std::vector<plat::Rect> copies = TickAndCollect(w);
        ASSERT_EQ(copies.size(), mons.size());
        std::vector<bool> covered(static_cast<std::size_t>(c.w) * c.h, false);
        for (std::size_t m = 0; m < mons.size(); ++m) {
            const plat::Rect& r = mons[m];
            const int f = c.factors[m], mw = r.right - r.left, mh = r.bottom - r.top;
            // The scene's corner on this monitor, then the figure's old and new place together.
            const int cx = r.left + (mw - 640 * f) / 2, cy = r.top + (mh - 480 * f) / 2;
            EXPECT_TRUE(Eq(copies[m], cx + 100 * f, cy + 50 * f, cx + 237 * f, cy + 202 * f)) << m;
            const int lw = mw / f, lh = mh / f;
            const std::vector<std::uint32_t> one = ReferenceScreen(lw, lh, *w);
            long wrong = 0;
            for (int y = 0; y < mh; ++y)
                for (int x = 0; x < mw; ++x) {
                    wrong += ScreenPixel(r.left + x, r.top + y) != one[static_cast<std::size_t>(y / f) * lw + x / f];
                    covered[static_cast<std::size_t>(r.top + y) * c.w + r.left + x] = true;
                }
            EXPECT_EQ(wrong, 0) << "monitor " << m;
        }
        long outside = 0;
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x)
                outside += !covered[static_cast<std::size_t>(y) * c.w + x] && ScreenPixel(x, y) != 0;
        EXPECT_EQ(outside, 0);
        w->DestroyWindow();
    }
}

TEST_F(SceneWndTest, ImageTableMasksAndOneClassRegistration) {
    CProbeWnd* w = Open(640, 480);
    for (const Entry& e : ImageTable()) {
        EXPECT_EQ(w->GetImageWidth(e.index), e.width) << e.index;
        EXPECT_EQ(w->GetImageHeight(e.index), e.height) << e.index;
    }
    EXPECT_TRUE(w->Image(66).m_hBitmap == nullptr && w->Image(249).m_hBitmap == nullptr);

    // Timer 1 runs: one timer event gives one tick.
    EXPECT_EQ(headless::RunTicks(1), 1);
    EXPECT_EQ(w->Director().m_nTick, 1);

    // A second scene window reuses the class; it goes with its parent, and the palette with the last.
    theApp.m_bFullScreen = 0;
    bool deleted = false;
    auto* second = new CProbeWnd(&deleted);
    ASSERT_TRUE(second->CreateSceneWindow(0, WS_CHILD | WS_VISIBLE, RECT{0, 0, 50, 40}, w, 0, 0));
    EXPECT_EQ(headless::ClassRegistrations(), 1);
    EXPECT_NE(CDib::s_pSharedPalette, nullptr);
    w->DestroyWindow();
    EXPECT_TRUE(deleted);
    EXPECT_EQ(CDib::s_pSharedPalette, nullptr);
    EXPECT_TRUE(headless::Windows().empty());
    headless::PumpMessages();
    EXPECT_FALSE(headless::QuitReceived());  // only the main window's end posts the quit message
}

TEST_F(SceneWndTest, CopyOutPairsOldAndNewRectanglesByTheUnionRule) {
    InstallAll(2, 10, 10);  // entry 2 is a 10 x 10 figure here
    CProbeWnd* w = Open(640, 480);
    // Figures whose image is outside the table or an empty entry of it are neither drawn nor
    // listed, in every frame below.
    for (const int image : {-1, 250, 1000000, INT_MIN, 66, 249})
        ASSERT_TRUE(w->Director().AddActor(new CFixedActor(300, 300, image)));
    auto* a = new CFixedActor(0, 0, 2);
    ASSERT_TRUE(w->Director().AddActor(a));
    const auto expectCopies = [&](std::vector<std::vector<int>> want) {
        const std::vector<plat::Rect> rs = TickAndCollect(w);
        ASSERT_EQ(rs.size(), want.size());
        for (std::size_t i = 0; i < rs.size(); ++i)
            EXPECT_TRUE(Eq(rs[i], want[i][0], want[i][1], want[i][2], want[i][3])) << i;
        EXPECT_EQ(DiffScreen(ReferenceScreen(640, 480, *w)), 0);
    };
    expectCopies({{0, 0, 10, 10}});  // a figure starting: its entry alone
    EXPECT_EQ(w->Count(1 - w->CurrentList()), 1);
    expectCopies({});  // standing still with the same picture changes no pixel
    a->m_nX = 10;      // 100 + 100 equals the union's 200: the union once
    expectCopies({{0, 0, 20, 10}});
    a->m_nX = 30;  // by 20: two copies, list 0's entry first
    expectCopies(w->CurrentList() == 0 ? std::vector<std::vector<int>>{{30, 0, 40, 10}, {10, 0, 20, 10}}
                                       : std::vector<std::vector<int>>{{10, 0, 20, 10}, {30, 0, 40, 10}});

    // A second figure starts: the pair first, then its entry alone.
    auto* b = new CFixedActor(100, 100, 3, 5);
    ASSERT_TRUE(w->Director().AddActor(b));
    expectCopies({{30, 0, 40, 10}, {100, 100, 231, 252}});
    // In place, a new picture of the same size or a new drawing order (b now behind a, which
    // overlaps it) is a new frame; a figure that keeps both is copied with its pair as before.
    b->m_nBaseImage = 4;
    expectCopies({{30, 0, 40, 10}, {100, 100, 231, 252}});
    a->m_nX = 100;
    a->m_nY = 100;
    TickAndCollect(w);
    b->m_nDepth = -1;
    expectCopies({{100, 100, 110, 110}, {100, 100, 231, 252}});
    a->m_nX = 30;
    a->m_nY = 0;
    TickAndCollect(w);

    // The first one ends: its old entry pairs with the second's new one (union too large, so
    // both alone, list 0 first), then the second's old entry alone.
    a->m_bAlive = false;
    expectCopies(w->CurrentList() == 0
                     ? std::vector<std::vector<int>>{{100, 100, 231, 252}, {30, 0, 40, 10}, {100, 100, 231, 252}}
                     : std::vector<std::vector<int>>{{30, 0, 40, 10}, {100, 100, 231, 252}});
    // The last one ends: its place is restored and copied, nothing is drawn; then nothing at all.
    b->m_bAlive = false;
    expectCopies({{100, 100, 231, 252}});
    expectCopies({});
    w->DestroyWindow();
}

TEST_F(SceneWndTest, OtherTimerIdsMakeNoFrameAndEveryTickDropsOnePendingTimer) {
    CProbeWnd* w = Open(640, 480);
    ASSERT_TRUE(w->Director().AddActor(new CFixedActor(5, 5, 3)));
    auto pendingTimers = [] {
        const auto p = headless::PendingMessages();
        return std::count_if(p.begin(), p.end(), [](const plat::Msg& m) { return m.message == WM_TIMER; });
    };
    w->PostMessage(WM_TIMER, 1, 0);
    w->PostMessage(WM_TIMER, 1, 0);
    EXPECT_TRUE(TickAndCollect(w).size() > 0);
    EXPECT_EQ(pendingTimers(), 1);
    headless::ClearPresentLog();
    w->SendMessage(WM_TIMER, 7, 0);
    EXPECT_EQ(w->Director().m_nTick, 1);
    EXPECT_TRUE(headless::PresentLog().empty());
    EXPECT_EQ(pendingTimers(), 0);
    w->DestroyWindow();
}

TEST_F(SceneWndTest, EightBitDisplayIsRefusedWithTheMessageOthersAreAccepted) {
    headless::ResetDisplay(800, 600, 8);
    bool deleted = false;
    EXPECT_FALSE((new CProbeWnd(&deleted))->CreateFull(800, 600));
    EXPECT_TRUE(deleted);  // the window was destroyed at once and the object went with it
    EXPECT_TRUE(headless::Windows().empty());
    ASSERT_EQ(headless::MessageBoxes().size(), 1u);
    const headless::MessageBoxRecord& box = headless::MessageBoxes()[0];
    EXPECT_EQ(box.text, "This Glimmerfiend requires 16-bit colour mode or higher to run.");
    EXPECT_EQ(box.caption, "Unsupported Screen Mode");
    EXPECT_TRUE(box.type == MB_OK && box.owner != 0u);
    ASSERT_EQ(headless::PostedLog().size(), 1u);
    const auto& posted = headless::PostedLog()[0];
    EXPECT_TRUE(posted.hwnd == box.owner && posted.message == WM_CLOSE && posted.wParam == 0 && posted.lParam == 0);

    for (int bpp : {16, 24, 32}) {
        Open(800, 600, bpp)->DestroyWindow();
        EXPECT_TRUE(headless::MessageBoxes().empty()) << bpp;
    }
    // A picture that cannot be loaded fails the creation silently.
    for (UINT id : {830u, static_cast<UINT>(IDB_BACKGROUND)}) {
        headless::ResetDisplay(800, 600, 32);
        InstallAll();
        headless::RemoveResource(plat::kRtBitmap, static_cast<std::uint16_t>(id));
        deleted = false;
        EXPECT_FALSE((new CProbeWnd(&deleted))->CreateFull(800, 600)) << id;
        EXPECT_TRUE(deleted);
        EXPECT_TRUE(headless::MessageBoxes().empty());
    }
}

TEST_F(SceneWndTest, PreviewShowsThePictureCentredOnWhite) {
    const struct {
        int w, h, bpp, px, py;
    } cases[] = {{200, 150, 32, 26, 13}, {147, 124, 32, 0, 0}, {100, 100, 32, 0, 0}, {200, 150, 8, 26, 13}};
    const Picture pic = PreviewPicture();
    theApp.m_bFullScreen = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << "x" << c.bpp);
        headless::ResetDisplay(400, 300, c.bpp);
        const plat::Hwnd area = headless::CreateForeignWindow(50, 40, c.w, c.h);
        CWnd parent;
        parent.Attach(area);
        bool deleted = false;
        auto* w = new CProbeWnd(&deleted);
        ASSERT_TRUE(w->CreateSceneWindow(0, WS_CHILD | WS_VISIBLE, RECT{0, 0, c.w, c.h}, &parent, 0, 0));
        theApp.m_pMainWnd = w;
        EXPECT_EQ(w->GetScreenWidth() + w->GetScreenHeight(), 0);
        EXPECT_EQ(w->Image(0).m_hBitmap, nullptr);
        headless::PumpMessages();
        long wrong = 0;
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x) {
                const int ix = x - c.px, iy = y - c.py;
                const bool inPic = ix >= 0 && iy >= 0 && ix < pic.width && iy < pic.height;
                wrong += ScreenPixel(50 + x, 40 + y) != (inPic ? Pixel(pic.At(ix, iy)) : 0xffffffu);
            }
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(ScreenPixel(49, 40) + ScreenPixel(50 + c.w, 40 + c.h - 1), 0u);  // nothing outside the area
        EXPECT_TRUE(headless::PostedLog().empty() && headless::MessageBoxes().empty());

        // The display settings close the preview area: the child goes, and the application ends.
        EXPECT_TRUE(plat::DestroyWindow(area));
        parent.Detach();
        EXPECT_TRUE(deleted);
        EXPECT_EQ(theApp.m_pMainWnd, nullptr);
        headless::PumpMessages();
        EXPECT_TRUE(headless::QuitReceived());
    }
}

TEST_F(SceneWndTest, DoorsFromAFixedClockAndARepaintMidAnimation) {
    theApp.m_nPain = 4;
    theApp.m_nEnableSound = 1;
    headless::SetClockMs(2000);
    headless::ClearSoundLog();
    CProbeWnd* w = Open(800, 600);
    EXPECT_EQ(headless::RunTicks(60), 60);
    EXPECT_EQ(headless::NowMs(), 2000 + 50 * 60);  // each timer event is 50 ms
    EXPECT_EQ(w->Director().m_nTick, 60);
    // Seeded with 2 (the clock's second), the first tick starts a right-hand door (images 13..25).
    int x = 0, y = 0, image = 0;
    w->Director().GetNextInSlotOrder(0, &x, &y, &image);
    EXPECT_TRUE(image >= 13 && image <= 25) << image;
    EXPECT_EQ((std::vector<std::uint16_t>{871, 774, 763}), headless::SoundLog());
    EXPECT_EQ(DiffScreen(ReferenceScreen(800, 600, *w)), 0);

    // A repaint in the middle of the animation: the whole window, the same picture, no tick.
    w->Invalidate();
    headless::ClearPresentLog();
    headless::PumpMessages();
    EXPECT_TRUE(!headless::PresentLog().empty() && Eq(headless::PresentLog()[0].rect, 0, 0, 800, 600));
    EXPECT_EQ(w->Director().m_nTick, 60);
    EXPECT_EQ(DiffScreen(ReferenceScreen(800, 600, *w)), 0);
    w->DestroyWindow();
}
