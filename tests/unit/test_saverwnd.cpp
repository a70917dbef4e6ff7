// Full-screen saver window: which input closes it, the system commands it swallows, the password
// check's outcomes with fake password modules, the swallowed moves and the trace file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

#include "SceneWndHarness.h"
#include "platform/Registry.h"
#include "platform/Window.h"
#include "platform/headless/HeadlessSystem.h"
#include "window/SaverWnd.h"

using namespace scenetest;

namespace {

constexpr const char* kDesktop = "Control Panel\\desktop";
constexpr const char* kFlag = "ScreenSaveUsePassword";

// What the fake password service saw and answers.
struct FakeService {
    int calls = 0;
    BOOL answer = TRUE;
    HWND lastOwner = 0;
    int cursorCountDuringCall = -100;
    // Input that arrives while the service's dialog runs (it runs a message loop of its own).
    UINT inputDuringCall = 0;
    // The window is closed from elsewhere meanwhile: 1 by WM_CLOSE, 2 by DestroyWindow.
    int closeDuringCall = 0;
};
FakeService g_service;

BOOL WINAPI FakeVerify(HWND hWnd) {
    ++g_service.calls;
    g_service.lastOwner = hWnd;
    g_service.cursorCountDuringCall = headless::CursorDisplayCount();
    if (g_service.inputDuringCall != 0) plat::SendMessage(hWnd, g_service.inputDuringCall, 0x41, 1);
    if (g_service.closeDuringCall == 1) plat::SendMessage(hWnd, WM_CLOSE, 0, 0);
    if (g_service.closeDuringCall == 2) plat::DestroyWindow(hWnd);
    return g_service.answer;
}

// A saver window whose state the tests may read.
class CProbeSaverWnd : public CSaverWnd {
public:
    int IgnoreMoves() const { return m_nIgnoreMoves; }
    BOOL Closing() const { return m_bClosing; }
    CPoint FirstMouse() const { return m_ptFirstMouse; }
    int SceneTicks() const { return m_director.m_nTick; }
};

// A saver window whose memory, once deleted, is filled with a pattern and kept, so that any
// write after the deletion shows (and a read of its pointers crashes).
constexpr unsigned char kFreed = 0xA5;
std::vector<std::pair<unsigned char*, std::size_t>> g_graves;
class CGraveSaverWnd : public CProbeSaverWnd {
public:
    static void operator delete(void* p, std::size_t n) {
        std::memset(p, kFreed, n);
        g_graves.emplace_back(static_cast<unsigned char*>(p), n);
    }
};

class SaverWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        theApp.m_bFullScreen = 1;
        theApp.m_nEnableSound = 0;
        theApp.m_nScale = 1;
        theApp.m_pMainWnd = nullptr;
        InstallAll();
        headless::ResetDisplay(640, 480, 32);
        headless::ResetRegistry();
        headless::ResetModules();
        // One file per test and process: ctest runs the cases of this file side by side.
        m_trace = ::testing::TempDir() + "saverwnd_trace_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
                  std::to_string(::getpid()) + ".txt";
        std::remove(m_trace.c_str());
        headless::SetTraceFilePath(m_trace);
        g_service = FakeService{};
    }
    void TearDown() override {
        theApp.m_pMainWnd = nullptr;
        headless::ResetDisplay(1, 1, 32);
        headless::ResetResources();
        headless::ResetModules();
        std::remove(m_trace.c_str());
    }

    CProbeSaverWnd* Create() {
        auto* w = new CProbeSaverWnd;
        EXPECT_TRUE(w->CreateFullScreen());
        theApp.m_pMainWnd = w;
        m_hwnd = w->GetSafeHwnd();
        headless::PumpMessages();  // first paint
        return w;
    }
    // Was WM_CLOSE posted to the window (and not yet handled)?
    bool ClosePending() const {
        for (const plat::Msg& m : headless::PendingMessages())
            if (m.hwnd == m_hwnd && m.message == WM_CLOSE) return true;
        return false;
    }
    std::string Trace() const {
        std::ifstream in(m_trace, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    void SetFlag(std::vector<std::uint8_t> bytes, std::uint32_t type = plat::kRegDword) {
        headless::SetRegistryValue(kDesktop, kFlag, type, bytes);
    }
    void InstallService(bool withEntry = true) {
        headless::ModuleSymbols syms;
        if (withEntry) syms["VerifyScreenSavePwd"] = reinterpret_cast<void*>(&FakeVerify);
        headless::RegisterModule("Password.cpl", syms);
    }
    void Move(CWnd* w, int x, int y) { w->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }

    std::string m_trace;
    HWND m_hwnd = 0;
};

TEST_F(SaverWndTest, CoversTheScreenTopmostAndEndsTheLoopWithATraceLine) {
    CProbeSaverWnd* w = Create();
    ASSERT_NE(m_hwnd, 0u);
    RECT rc{};
    w->GetClientRect(&rc);
    EXPECT_EQ(rc.right, 640);
    EXPECT_EQ(rc.bottom, 480);
    EXPECT_EQ(w->FirstMouse().x, -1);
    EXPECT_EQ(w->FirstMouse().y, -1);
    // The saver's windows declare no run-time class of their own: they report CWnd's.
    EXPECT_STREQ(w->GetRuntimeClass()->m_lpszClassName, "CWnd");
    EXPECT_EQ(w->GetRuntimeClass()->m_pBaseClass, RUNTIME_CLASS(CObject));

    // The cursor is hidden on every WM_SETCURSOR.
    const int before = headless::CursorNoneCalls();
    EXPECT_EQ(w->SendMessage(WM_SETCURSOR, m_hwnd, MAKELPARAM(1, WM_MOUSEMOVE)), TRUE);
    EXPECT_EQ(headless::CursorNoneCalls(), before + 1);

    // Losing and regaining activation changes nothing.
    w->SendMessage(WM_ACTIVATEAPP, FALSE, 0);
    w->SendMessage(WM_NCACTIVATE, FALSE, 0);
    w->SendMessage(WM_ACTIVATE, 0, 0);
    EXPECT_FALSE(ClosePending());

    w->SendMessage(WM_KEYDOWN, 0x20, 1);
    EXPECT_TRUE(ClosePending());
    headless::PumpMessages();
    EXPECT_FALSE(plat::IsWindow(m_hwnd));
    int code = -1;
    EXPECT_TRUE(headless::QuitReceived(&code));
    EXPECT_EQ(code, 0);
    EXPECT_EQ(Trace(), "OnDestroy\n");
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
}

// The title stays on every monitor (enlarged like the scene) for 1.5 s of frame ticks before the
// scene starts; a key during that time ends the saver at once. The window spans both monitors.
TEST_F(SaverWndTest, TheTitleHoldsOnEveryMonitorAndInputStillEndsTheSaver) {
    const std::vector<plat::Rect> mons = {{0, 0, 1920, 1080}, {1920, 56, 3200, 1080}};
    headless::ResetDisplay(3200, 1080, 32);
    headless::SetMonitors(mons);
    theApp.m_nScale = 0;  // 2 on both
    theApp.m_nSubliminals = 0;
    const Picture title = ImagePicture(ImageTable()[0]);
    const Picture bg = BackgroundPicture();
    // Title pixel (8, 45) sits at (68, 211) of the scene; each monitor's scene is 1280 x 960, centred.
    auto shows = [&](std::uint32_t (*want)(const Picture&, const Picture&)) {
        int n = 0;
        for (const plat::Rect& r : mons) {
            const int cx = r.left + (r.right - r.left - 1280) / 2, cy = r.top + (r.bottom - r.top - 960) / 2;
            n += ScreenPixel(cx + 68 * 2 + 1, cy + 211 * 2 + 1) == want(title, bg);
        }
        return n;
    };
    auto titlePixel = [](const Picture& t, const Picture&) { return Pixel(t.At(8, 45)); };
    auto scenePixel = [](const Picture&, const Picture& b) { return Pixel(b.At(68, 211)); };

    CProbeSaverWnd* w = Create();
    RECT rc{};
    w->GetClientRect(&rc);
    EXPECT_TRUE(rc.right == 3200 && rc.bottom == 1080);
    const std::int64_t start = headless::NowMs();
    EXPECT_EQ(headless::RunTicks(29), 29);
    plat::InvalidateRect(m_hwnd, nullptr);
    headless::PumpMessages();  // a repaint during the hold keeps the title
    EXPECT_EQ(shows(titlePixel), 2);
    EXPECT_EQ(headless::RunTicks(1), 1);
    EXPECT_GE(headless::NowMs() - start, 1500);
    EXPECT_EQ(shows(titlePixel), 2);
    EXPECT_EQ(w->SceneTicks(), 0);
    EXPECT_EQ(headless::RunTicks(1), 1);
    EXPECT_EQ(w->SceneTicks(), 1);
    EXPECT_EQ(shows(scenePixel), 2);
    w->DestroyWindow();

    headless::ResetDisplay(3200, 1080, 32);
    headless::SetMonitors(mons);
    w = Create();
    EXPECT_EQ(headless::RunTicks(5), 5);
    w->SendMessage(WM_KEYDOWN, 0x20, 1);
    headless::PumpMessages();
    EXPECT_FALSE(plat::IsWindow(m_hwnd));
    EXPECT_TRUE(headless::QuitReceived());
    theApp.m_nScale = 1;
}

TEST_F(SaverWndTest, FirstMoveRecordsAMoveAwayClosesAndRepeatsDoNot) {
    CProbeSaverWnd* w = Create();
    Move(w, 300, 200);  // wherever it is, the first one only records
    EXPECT_EQ(w->FirstMouse().x, 300);
    EXPECT_EQ(w->FirstMouse().y, 200);
    EXPECT_FALSE(ClosePending());
    Move(w, 300, 200);
    EXPECT_FALSE(ClosePending());
    Move(w, 300, 201);  // one pixel in y
    EXPECT_TRUE(ClosePending());

    // One pixel in x alone, on a fresh window.
    headless::PumpMessages();
    ASSERT_FALSE(plat::IsWindow(m_hwnd));
    w = Create();
    Move(w, 0, 0);
    Move(w, 1, 0);
    EXPECT_TRUE(ClosePending());
}

TEST_F(SaverWndTest, EveryPressClosesReleasesAndTheWheelDoNot) {
    const UINT closing[] = {WM_LBUTTONDOWN, WM_MBUTTONDOWN, WM_RBUTTONDOWN, WM_KEYDOWN, WM_SYSKEYDOWN};
    const WPARAM keys[] = {0, 0, 0, 0x10 /* Shift alone */, 0x12 /* Alt alone */};
    for (int i = 0; i < 5; ++i) {
        CProbeSaverWnd* w = Create();
        for (UINT harmless : {WM_LBUTTONUP, WM_MBUTTONUP, WM_RBUTTONUP, WM_MOUSEWHEEL, WM_KEYUP, WM_SYSKEYUP})
            w->SendMessage(harmless, 0, 0);
        EXPECT_FALSE(ClosePending()) << i;
        w->SendMessage(closing[i], keys[i], 0);
        EXPECT_TRUE(ClosePending()) << "message " << closing[i];
        headless::PumpMessages();
        EXPECT_FALSE(plat::IsWindow(m_hwnd)) << i;
    }
    EXPECT_EQ(Trace(), "OnDestroy\nOnDestroy\nOnDestroy\nOnDestroy\nOnDestroy\n");
}

TEST_F(SaverWndTest, SystemCommandsAreSwallowedOnlyOnExactValues) {
    CProbeSaverWnd* w = Create();
    w->SendMessage(WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    w->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(plat::IsWindow(m_hwnd));
    // Alt+F4: the Alt press asks to close; the SC_CLOSE that default handling makes is swallowed.
    w->SendMessage(WM_SYSKEYDOWN, 0x73, 1 | (1 << 29));
    EXPECT_TRUE(plat::IsWindow(m_hwnd));
    EXPECT_TRUE(ClosePending());
    headless::PumpMessages();
    EXPECT_FALSE(plat::IsWindow(m_hwnd));

    // SC_CLOSE with a low bit set is not the value compared: default handling closes.
    w = Create();
    w->SendMessage(WM_SYSCOMMAND, SC_CLOSE | 0x2, 0);
    EXPECT_FALSE(plat::IsWindow(m_hwnd));
}

TEST_F(SaverWndTest, PasswordOutcomes) {
    struct Case {
        const char* name;
        bool setFlag;
        std::vector<std::uint8_t> flag;
        int module;  // 0 none, 1 without entry, 2 with entry
        BOOL answer;
        bool closes;
        const char* trace;  // before "OnDestroy"
        int ignoreMoves;
        bool asks;  // the service is called
    };
    const Case cases[] = {
        {"no flag", false, {}, 2, FALSE, true, "", 0, false},
        {"flag zero", true, {0, 0, 0, 0}, 2, FALSE, true, "", 0, false},
        {"flag longer than 4 bytes", true, {1, 0, 0, 0, 0}, 2, FALSE, true, "", 0, false},
        {"flag on, no module", true, {1, 0, 0, 0}, 0, FALSE, true, "", 0, false},
        {"flag on, no entry", true, {1, 0, 0, 0}, 1, FALSE, true, "8\n9\n", 0, false},
        {"flag on, accepted", true, {0, 0, 0, 1}, 2, TRUE, true, "8\n9\n", 3, true},
        {"flag on, refused", true, {1, 0, 0, 0}, 2, FALSE, false, "8\n9\n", 3, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        headless::ResetRegistry();
        headless::ResetModules();
        std::remove(m_trace.c_str());
        g_service = FakeService{};
        g_service.answer = c.answer;
        if (c.setFlag) SetFlag(c.flag, c.flag.size() == 4 ? plat::kRegDword : plat::kRegBinary);
        if (c.module) InstallService(c.module == 2);

        CProbeSaverWnd* w = Create();
        w->SendMessage(WM_LBUTTONDOWN, 1, 0);
        EXPECT_EQ(ClosePending(), c.closes);
        EXPECT_EQ(w->IgnoreMoves(), c.ignoreMoves);
        EXPECT_FALSE(w->Closing());
        EXPECT_EQ(g_service.calls, c.asks ? 1 : 0);
        if (g_service.calls) {
            EXPECT_EQ(g_service.lastOwner, m_hwnd);
            EXPECT_EQ(g_service.cursorCountDuringCall, 1);  // shown for the dialog
        }
        EXPECT_EQ(headless::CursorDisplayCount(), 0);  // and hidden again
        EXPECT_EQ(headless::ModuleLoadCount(), headless::ModuleFreeCount());
        EXPECT_EQ(headless::OpenRegistryKeyCount(), 0);
        EXPECT_EQ(Trace(), c.trace);
        if (c.closes) {
            headless::PumpMessages();
            EXPECT_FALSE(plat::IsWindow(m_hwnd));
            EXPECT_EQ(Trace(), std::string(c.trace) + "OnDestroy\n");
        } else {
            EXPECT_TRUE(plat::IsWindow(m_hwnd));
            plat::DestroyWindow(m_hwnd);
        }
    }
}

TEST_F(SaverWndTest, RefusalSwallowsThreeMovesThenAsksAgainFromTheSameFirstPosition) {
    SetFlag({1, 0, 0, 0});
    InstallService();
    g_service.answer = FALSE;
    CProbeSaverWnd* w = Create();
    Move(w, 50, 60);
    Move(w, 51, 60);  // asks: refused
    EXPECT_EQ(g_service.calls, 1);
    EXPECT_FALSE(ClosePending());
    Move(w, 500, 400);
    Move(w, 0, 0);
    Move(w, 9, 9);  // three swallowed, however far
    EXPECT_EQ(g_service.calls, 1);
    EXPECT_EQ(w->IgnoreMoves(), 0);
    Move(w, 50, 60);  // back at the first position: nothing to ask
    EXPECT_EQ(g_service.calls, 1);
    g_service.answer = TRUE;
    Move(w, 50, 61);
    EXPECT_EQ(g_service.calls, 2);
    EXPECT_TRUE(ClosePending());
    headless::PumpMessages();
    EXPECT_EQ(Trace(), "8\n9\n8\n9\nOnDestroy\n");
}

TEST_F(SaverWndTest, InputDuringThePasswordDialogDoesNotAskAgain) {
    SetFlag({1, 0, 0, 0});
    InstallService();
    g_service.answer = FALSE;
    g_service.inputDuringCall = WM_KEYDOWN;
    CProbeSaverWnd* w = Create();
    w->SendMessage(WM_RBUTTONDOWN, 2, 0);
    EXPECT_EQ(g_service.calls, 1);
    EXPECT_FALSE(ClosePending());
    EXPECT_EQ(Trace(), "8\n9\n");
    // Once it is over, input asks again.
    g_service.inputDuringCall = 0;
    w->SendMessage(WM_KEYDOWN, 0x41, 1);
    EXPECT_EQ(g_service.calls, 2);
}

TEST_F(SaverWndTest, AWindowClosedDuringThePasswordCheckIsNotTouchedAgain) {
    SetFlag({1, 0, 0, 0});
    InstallService();
    const UINT inputs[] = {WM_LBUTTONDOWN, WM_MBUTTONDOWN, WM_RBUTTONDOWN, WM_KEYDOWN, WM_SYSKEYDOWN, WM_MOUSEMOVE};
    for (const int how : {1, 2}) {
        for (const UINT input : inputs) {
            SCOPED_TRACE(testing::Message() << "close " << how << ", input " << input);
            g_service = FakeService{};
            g_service.answer = FALSE;
            g_service.closeDuringCall = how;
            auto* w = new CGraveSaverWnd;
            ASSERT_TRUE(w->CreateFullScreen());
            m_hwnd = w->GetSafeHwnd();
            if (input == WM_MOUSEMOVE) Move(w, 5, 5);
            plat::SendMessage(m_hwnd, input, 0, input == WM_MOUSEMOVE ? MAKELPARAM(9, 9) : 0);
            EXPECT_EQ(g_service.calls, 1);
            EXPECT_FALSE(plat::IsWindow(m_hwnd));
            ASSERT_EQ(g_graves.size(), 1u);
            const auto [grave, size] = g_graves.front();
            EXPECT_EQ(std::count(grave, grave + size, kFreed), static_cast<std::ptrdiff_t>(size));
            ::operator delete(grave);
            g_graves.clear();
            // Everything the check held is released, and nothing more was posted.
            EXPECT_EQ(headless::CursorDisplayCount(), 0);
            EXPECT_EQ(headless::ModuleLoadCount(), headless::ModuleFreeCount());
            EXPECT_EQ(headless::OpenRegistryKeyCount(), 0);
            EXPECT_FALSE(ClosePending());
            headless::PumpMessages();
        }
    }
}

}  // namespace
