// Scene window: set-up, image table, copy-out rules, timers, clipping, refusal, preview, golden frames.
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
    struct Case {
        int w, h, bx, by, tx, ty;
    };
    const Case cases[] = {
        {640, 480, 0, 0, 60, 166},    {800, 600, 80, 60, 140, 226},   {1024, 768, 192, 144, 252, 310},
        {600, 480, -20, 0, 40, 166},  {639, 480, 0, 0, 59, 166},
    };
    const Picture bg = BackgroundPicture();
    const Picture title = ImagePicture(ImageTable()[0]);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        headless::ResetDisplay(c.w, c.h, 32);
        auto* w = new CProbeWnd;
        ASSERT_TRUE(w->CreateFull(c.w, c.h));
        EXPECT_EQ(w->GetScreenWidth(), c.w);
        EXPECT_EQ(w->GetScreenHeight(), c.h);

        // The clean background: black around the picture, the picture at (bx, by).
        const int sx = std::max(0, -c.bx);  // first picture column on the screen
        EXPECT_EQ(w->BackgroundPixel(c.bx + sx, c.by + 7), Pixel(bg.At(sx, 7)));
        EXPECT_EQ(w->BackgroundPixel(c.bx + sx + 33, c.by + 100), Pixel(bg.At(sx + 33, 100)));
        if (c.bx > 0) {
            EXPECT_EQ(w->BackgroundPixel(c.bx - 1, c.by + 7), 0u);
        }
        if (c.by > 0) {
            EXPECT_EQ(w->BackgroundPixel(c.bx + sx, c.by - 1), 0u);
        }
        EXPECT_EQ(w->FramePixel(c.bx + sx + 5, c.by + 9), Pixel(bg.At(sx + 5, 9)));

        // The title went straight to the screen, its key-colour pixels showing what was there.
        const int prev = 1 - w->CurrentList();
        ASSERT_EQ(w->Count(prev), 1);
        EXPECT_EQ(w->Count(w->CurrentList()), 0);
        const RECT r = w->Dirty(prev, 0);
        EXPECT_TRUE(r.left == c.tx && r.top == c.ty && r.right == c.tx + 520 && r.bottom == c.ty + 147);
        EXPECT_EQ(ScreenPixel(c.tx + 8, c.ty + 45), Pixel(title.At(8, 45)));
        EXPECT_EQ(ScreenPixel(c.tx + 1, c.ty + 45), 0u);  // keyed: the black screen beneath
        EXPECT_EQ(ScreenPixel(c.tx + 1, c.ty + 39), Pixel(title.At(1, 39)));

        // The first frame (the first WM_PAINT) shows the clean background everywhere.
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
    const Case cases[] = {
        {3200, 1080, two, 1, {1, 1}}, {3200, 1080, two, 3, {2, 2}}, {1920, 1080, {}, 2, {2}},
        {3840, 2160, {}, 0, {4}},     {1920, 1080, {}, 8, {2}},
    };
    theApp.m_nSubliminals = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " monitors " << c.monitors.size() << " Scale "
                                        << c.setting);
        headless::ResetDisplay(c.w, c.h, 32);
        headless::SetMonitors(c.monitors);
        const std::vector<plat::Rect> mons = c.monitors.empty() ? std::vector<plat::Rect>{{0, 0, c.w, c.h}} : c.monitors;
        theApp.m_nScale = c.setting;
        auto* w = new CProbeWnd;
        ASSERT_TRUE(w->CreateFull(c.w, c.h));
        headless::PumpMessages();
        CSceneDirector& d = w->Director();
        auto* a = new CFixedActor(d.m_nOriginX + 100, d.m_nOriginY + 50, 2);  // 131 x 152
        ASSERT_TRUE(d.AddActor(a));
        w->SendMessage(WM_TIMER, 1, 0);
        a->m_nX += 6;
        const std::vector<plat::Rect> copies = TickAndCollect(w);

        ASSERT_EQ(copies.size(), mons.size());
        long outside = 0;
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
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x) outside += !covered[static_cast<std::size_t>(y) * c.w + x] && ScreenPixel(x, y) != 0;
        EXPECT_EQ(outside, 0);
        w->DestroyWindow();
    }
    theApp.m_nScale = 1;
}

TEST_F(SceneWndTest, ImageTableMasksAndOneClassRegistration) {
    headless::ResetDisplay(640, 480, 32);
    auto* w = new CProbeWnd;
    ASSERT_TRUE(w->CreateFull(640, 480));
    for (const Entry& e : ImageTable()) {
        EXPECT_EQ(w->GetImageWidth(e.index), e.width) << e.index;
        EXPECT_EQ(w->GetImageHeight(e.index), e.height) << e.index;
    }
    EXPECT_EQ(w->Image(66).m_hBitmap, nullptr);
    EXPECT_EQ(w->Image(249).m_hBitmap, nullptr);

    // Title mask: 1 exactly at the key colour; a figure frame's mask is all zeros.
    long wrong = 0;
    for (int y = 0; y < 147; ++y)
        for (int x = 0; x < 520; ++x) wrong += w->MaskBit(0, x, y) != (TitleKeyed(x, y) ? 1u : 0u);
    EXPECT_EQ(wrong, 0);
    long ones = 0;
    for (int y = 0; y < 152; ++y)
        for (int x = 0; x < 131; ++x) ones += w->MaskBit(5, x, y);
    EXPECT_EQ(ones, 0);

    // Timer 1 runs: one timer event gives one frame.
    EXPECT_EQ(headless::RunTicks(1), 1);
    EXPECT_EQ(w->Director().m_nTick, 1);

    // A second scene window reuses the class registered by the first.
    EXPECT_EQ(headless::ClassRegistrations(), 1);
    theApp.m_bFullScreen = 0;
    auto* second = new CProbeWnd;
    ASSERT_TRUE(second->CreateSceneWindow(0, WS_CHILD | WS_VISIBLE, RECT{0, 0, 50, 40}, w, 0, 0));
    EXPECT_EQ(headless::ClassRegistrations(), 1);
    bool deleted = false;
    second->m_pDeleted = &deleted;
    EXPECT_NE(CDib::s_pSharedPalette, nullptr);
    w->DestroyWindow();  // takes its child along
    EXPECT_TRUE(deleted);
    EXPECT_EQ(CDib::s_pSharedPalette, nullptr);  // released by the destructor
    EXPECT_TRUE(headless::Windows().empty());
}

TEST_F(SceneWndTest, CopyOutPairsOldAndNewRectanglesByTheUnionRule) {
    InstallAll(2, 10, 10);  // entry 2 is a 10 x 10 figure here
    headless::ResetDisplay(640, 480, 32);
    auto* w = new CProbeWnd;
    ASSERT_TRUE(w->CreateFull(640, 480));
    headless::PumpMessages();  // first paint: title area restored

    // Figures whose image is outside the table or an empty entry of it are neither drawn nor
    // listed, in every frame below.
    for (const int image : {-1, 250, 1000000, INT_MIN, 66, 249}) {
        ASSERT_TRUE(w->Director().AddActor(new CFixedActor(300, 300, image)));
    }
    auto* a = new CFixedActor(0, 0, 2);
    ASSERT_TRUE(w->Director().AddActor(a));
    // A figure starting: its entry alone.
    auto rs = TickAndCollect(w);
    ASSERT_EQ(rs.size(), 1u);
    EXPECT_TRUE(Eq(rs[0], 0, 0, 10, 10));
    EXPECT_EQ(w->Count(1 - w->CurrentList()), 1);
    // Standing still with the same picture changes no pixel: nothing is copied.
    rs = TickAndCollect(w);
    EXPECT_TRUE(rs.empty());
    // Moving by 10: 100 + 100 equals the union's 200, so the union once.
    a->m_nX = 10;
    rs = TickAndCollect(w);
    ASSERT_EQ(rs.size(), 1u);
    EXPECT_TRUE(Eq(rs[0], 0, 0, 20, 10));
    // Moving by 20: two copies, list 0's entry first.
    a->m_nX = 30;
    const bool newIsList0 = w->CurrentList() == 0;
    rs = TickAndCollect(w);
    ASSERT_EQ(rs.size(), 2u);
    EXPECT_TRUE(Eq(rs[newIsList0 ? 0 : 1], 30, 0, 40, 10));
    EXPECT_TRUE(Eq(rs[newIsList0 ? 1 : 0], 10, 0, 20, 10));
    EXPECT_EQ(DiffScreen(ReferenceScreen(640, 480, *w)), 0);

    // A second figure starts: the pair first, then its entry alone.
    auto* b = new CFixedActor(100, 100, 3, 5);
    ASSERT_TRUE(w->Director().AddActor(b));
    rs = TickAndCollect(w);
    ASSERT_EQ(rs.size(), 2u);
    EXPECT_TRUE(Eq(rs[0], 30, 0, 40, 10));
    EXPECT_TRUE(Eq(rs[1], 100, 100, 231, 252));
    // In place, a new picture of the same size or a new drawing order (b now behind a, which
    // overlaps it) is a new frame; a figure that keeps both is copied with its pair as before.
    const auto inPlace = [&](auto change) {
        change();
        const auto copied = TickAndCollect(w);
        EXPECT_EQ(copied.size(), 2u);
        EXPECT_EQ(DiffScreen(ReferenceScreen(640, 480, *w)), 0);
    };
    inPlace([&] { b->m_nImage = 4; });
    a->m_nX = 100;
    a->m_nY = 100;
    TickAndCollect(w);
    inPlace([&] { b->m_nDepth = -1; });
    a->m_nX = 30;
    a->m_nY = 0;
    TickAndCollect(w);

    // The first one ends: its old entry pairs with the second's new one (union too large, so
    // both alone, list 0 first), then the second's old entry alone. The window context shows a
    // rectangle copied twice in a row once.
    a->m_bAlive = false;
    const bool newIsList0b = w->CurrentList() == 0;
    rs = TickAndCollect(w);
    if (newIsList0b) {
        ASSERT_EQ(rs.size(), 3u);
        EXPECT_TRUE(Eq(rs[0], 100, 100, 231, 252));
        EXPECT_TRUE(Eq(rs[1], 30, 0, 40, 10));
        EXPECT_TRUE(Eq(rs[2], 100, 100, 231, 252));
    } else {
        ASSERT_EQ(rs.size(), 2u);
        EXPECT_TRUE(Eq(rs[0], 30, 0, 40, 10));
        EXPECT_TRUE(Eq(rs[1], 100, 100, 231, 252));
    }
    EXPECT_EQ(DiffScreen(ReferenceScreen(640, 480, *w)), 0);

    // The last one ends: its place is restored and copied, nothing is drawn.
    b->m_bAlive = false;
    rs = TickAndCollect(w);
    ASSERT_EQ(rs.size(), 1u);
    EXPECT_TRUE(Eq(rs[0], 100, 100, 231, 252));
    EXPECT_EQ(DiffScreen(ReferenceScreen(640, 480, *w)), 0);
    rs = TickAndCollect(w);
    EXPECT_TRUE(rs.empty());
    w->DestroyWindow();
}

TEST_F(SceneWndTest, OtherTimerIdsMakeNoFrameAndEveryTickDropsOnePendingTimer) {
    headless::ResetDisplay(640, 480, 32);
    auto* w = new CProbeWnd;
    ASSERT_TRUE(w->CreateFull(640, 480));
    headless::PumpMessages();
    ASSERT_TRUE(w->Director().AddActor(new CFixedActor(5, 5, 3)));
    auto pendingTimers = [] {
        const auto p = headless::PendingMessages();
        return std::count_if(p.begin(), p.end(), [](const plat::Msg& m) { return m.message == WM_TIMER; });
    };
    w->PostMessage(WM_TIMER, 1, 0);
    w->PostMessage(WM_TIMER, 1, 0);
    headless::ClearPresentLog();
    w->SendMessage(WM_TIMER, 7, 0);
    EXPECT_EQ(w->Director().m_nTick, 0);
    EXPECT_TRUE(headless::PresentLog().empty());
    EXPECT_EQ(pendingTimers(), 1);
    w->SendMessage(WM_TIMER, 1, 0);
    EXPECT_EQ(w->Director().m_nTick, 1);
    EXPECT_FALSE(headless::PresentLog().empty());
    EXPECT_EQ(pendingTimers(), 0);
    // Timer events from the queue: one frame each.
    EXPECT_EQ(headless::RunTicks(2), 2);
    EXPECT_EQ(w->Director().m_nTick, 3);
    w->DestroyWindow();
}

TEST_F(SceneWndTest, CopiesAreClippedOnADisplaySmallerThanTheScene) {
    headless::ResetDisplay(320, 240, 16);
    auto* w = new CProbeWnd;
    ASSERT_TRUE(w->CreateFull(320, 240));
    const int prev = 1 - w->CurrentList();
    EXPECT_EQ(w->Dirty(prev, 0).left, -100);
    EXPECT_EQ(w->Dirty(prev, 0).top, 46);
    headless::PumpMessages();
    EXPECT_EQ(DiffScreen(ReferenceScreen(320, 240, *w)), 0);
    ASSERT_TRUE(w->Director().AddActor(new CFixedActor(-60, -70, 3)));
    ASSERT_TRUE(w->Director().AddActor(new CFixedActor(250, 180, 40, 1)));
    ASSERT_TRUE(w->Director().AddActor(new CFixedActor(0, 0, 65, 10000)));
    for (int i = 0; i < 3; ++i) {
        const auto rs = TickAndCollect(w);
        EXPECT_EQ(rs.empty(), i > 0);  // the figures stand still after their first frame
        for (const plat::Rect& r : rs) {
            EXPECT_GE(r.left, 0);
            EXPECT_GE(r.top, 0);
            EXPECT_LE(r.right, 320);
            EXPECT_LE(r.bottom, 240);
        }
        EXPECT_EQ(DiffScreen(ReferenceScreen(320, 240, *w)), 0);
    }
    w->DestroyWindow();
}

TEST_F(SceneWndTest, EightBitDisplayIsRefusedWithTheMessageOthersAreAccepted) {
    headless::ResetDisplay(800, 600, 8);
    bool deleted = false;
    auto* w = new CProbeWnd(&deleted);
    EXPECT_FALSE(w->CreateFull(800, 600));
    EXPECT_TRUE(deleted);  // the window was destroyed at once and the object went with it
    EXPECT_TRUE(headless::Windows().empty());
    ASSERT_EQ(headless::MessageBoxes().size(), 1u);
    const headless::MessageBoxRecord& box = headless::MessageBoxes()[0];
    EXPECT_EQ(box.text, "This Glimmerfiend requires 16-bit colour mode or higher to run.");
    EXPECT_EQ(box.caption, "Unsupported Screen Mode");
    EXPECT_EQ(box.type, MB_OK);
    EXPECT_NE(box.owner, 0u);
    ASSERT_EQ(headless::PostedLog().size(), 1u);
    EXPECT_EQ(headless::PostedLog()[0].hwnd, box.owner);
    EXPECT_EQ(headless::PostedLog()[0].message, WM_CLOSE);
    EXPECT_EQ(headless::PostedLog()[0].wParam, 0u);
    EXPECT_EQ(headless::PostedLog()[0].lParam, 0);

    for (int bpp : {16, 24, 32}) {
        headless::ResetDisplay(800, 600, bpp);
        auto* ok = new CProbeWnd;
        EXPECT_TRUE(ok->CreateFull(800, 600)) << bpp;
        EXPECT_TRUE(headless::MessageBoxes().empty()) << bpp;
        ok->DestroyWindow();
    }

    // A picture that cannot be loaded fails the creation silently.
    headless::ResetDisplay(800, 600, 32);
    headless::RemoveResource(plat::kRtBitmap, 830);
    deleted = false;
    auto* broken = new CProbeWnd(&deleted);
    EXPECT_FALSE(broken->CreateFull(800, 600));
    EXPECT_TRUE(deleted);
    EXPECT_TRUE(headless::MessageBoxes().empty());
    headless::ResetDisplay(800, 600, 32);
    InstallAll();
    headless::RemoveResource(plat::kRtBitmap, IDB_BACKGROUND);
    EXPECT_FALSE((new CProbeWnd)->CreateFull(800, 600));
}

TEST_F(SceneWndTest, PreviewShowsThePictureCentredOnWhite) {
    struct Case {
        int w, h, bpp, px, py;
    };
    const Case cases[] = {{200, 150, 32, 26, 13}, {147, 124, 32, 0, 0}, {100, 100, 32, 0, 0}, {200, 150, 8, 26, 13}};
    const Picture pic = PreviewPicture();
    theApp.m_bFullScreen = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << "x" << c.bpp);
        headless::ResetDisplay(400, 300, c.bpp);
        const plat::Hwnd area = headless::CreateForeignWindow(50, 40, c.w, c.h);
        CWnd parent;
        parent.Attach(area);
        RECT rc{};
        parent.GetClientRect(&rc);
        bool deleted = false;
        auto* w = new CProbeWnd(&deleted);
        ASSERT_TRUE(w->CreateSceneWindow(0, WS_CHILD | WS_VISIBLE, rc, &parent, 0, 0));
        theApp.m_pMainWnd = w;
        EXPECT_EQ(w->GetScreenWidth(), 0);
        EXPECT_EQ(w->GetScreenHeight(), 0);
        EXPECT_EQ(w->Image(0).m_hBitmap, nullptr);
        headless::PumpMessages();

        long wrong = 0;
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x) {
                const int ix = x - c.px, iy = y - c.py;
                const bool inPic = ix >= 0 && iy >= 0 && ix < pic.width && iy < pic.height;
                const std::uint32_t want = inPic ? Pixel(pic.At(ix, iy)) : 0xffffffu;
                wrong += ScreenPixel(50 + x, 40 + y) != want;
            }
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(ScreenPixel(49, 40), 0u);  // nothing outside the preview area
        EXPECT_EQ(ScreenPixel(50 + c.w, 40 + c.h - 1), 0u);
        EXPECT_TRUE(headless::PostedLog().empty());
        EXPECT_TRUE(headless::MessageBoxes().empty());

        // The display settings close the preview area: the child goes, and the application ends.
        EXPECT_TRUE(plat::DestroyWindow(area));
        parent.Detach();
        EXPECT_TRUE(deleted);
        EXPECT_EQ(theApp.m_pMainWnd, nullptr);
        headless::PumpMessages();
        EXPECT_TRUE(headless::QuitReceived());
    }
}

TEST_F(SceneWndTest, GoldenFramesFromAFixedClockAndARepaintMidAnimation) {
    theApp.m_nPain = 4;
    theApp.m_nEnableSound = 1;
    struct Run {
        std::uint64_t hashAfterTicks = 0;
        std::uint64_t hashAfterPaint = 0;
        std::vector<std::uint16_t> cues;
        int firstImage = -1;
    };
    auto record = [](int ticks) -> Run {
        Run r;
        headless::ResetDisplay(800, 600, 32);
        headless::SetClockMs(2000);
        headless::ClearSoundLog();
        auto* w = new CProbeWnd;
        EXPECT_TRUE(w->CreateFull(800, 600));
        headless::PumpMessages();
        const std::uint64_t title = HashScreen();
        EXPECT_EQ(headless::RunTicks(ticks), ticks);
        EXPECT_EQ(headless::NowMs(), 2000 + 50 * ticks);  // each timer event is 50 ms
        EXPECT_EQ(w->Director().m_nTick, ticks);
        int x = 0, y = 0;
        w->Director().GetNextInSlotOrder(0, &x, &y, &r.firstImage);
        EXPECT_EQ(DiffScreen(ReferenceScreen(800, 600, *w)), 0);
        r.hashAfterTicks = HashScreen();
        EXPECT_NE(r.hashAfterTicks, title);

        // A repaint in the middle of the animation: same picture, nobody moved.
        w->Invalidate();
        headless::ClearPresentLog();
        headless::PumpMessages();
        EXPECT_TRUE(!headless::PresentLog().empty() && Eq(headless::PresentLog()[0].rect, 0, 0, 800, 600));
        EXPECT_EQ(w->Director().m_nTick, ticks);
        EXPECT_EQ(DiffScreen(ReferenceScreen(800, 600, *w)), 0);
        r.hashAfterPaint = HashScreen();
        r.cues = headless::SoundLog();
        w->DestroyWindow();
        return r;
    };
    // Seeded with 2 (the clock's second), the first tick starts a right-hand door (images 13..25).
    const Run a = record(60);
    EXPECT_GE(a.firstImage, 13);
    EXPECT_LE(a.firstImage, 25);
    EXPECT_EQ(a.hashAfterPaint, a.hashAfterTicks);
    EXPECT_FALSE(a.cues.empty());
    const Run b = record(60);
    EXPECT_EQ(b.hashAfterTicks, a.hashAfterTicks);
    EXPECT_EQ(b.cues, a.cues);
    RecordProperty("golden_hash_60_ticks", std::to_string(a.hashAfterTicks));
}
