// Full-screen saver window: which input closes it, the system commands it swallows, the title's hold,
// the password check's outcomes with fake password modules, the swallowed moves and the trace file.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <tuple>

#include "SceneWndHarness.h"
#include "platform/Registry.h"
#include "platform/Window.h"
#include "platform/headless/HeadlessSystem.h"
#include "window/SaverWnd.h"

using namespace scenetest;

namespace {

// What the fake password service saw and answers. While its dialog runs (a message loop of its own)
// the window may get input, or be closed from elsewhere (closeDuringCall 1 by WM_CLOSE, 2 by DestroyWindow).
struct FakeService {
    int calls = 0;
    BOOL answer = TRUE;
    HWND lastOwner = 0;
    int cursorCountDuringCall = -100;
    UINT inputDuringCall = 0;
    int closeDuringCall = 0;
} g_service;

BOOL WINAPI FakeVerify(HWND hWnd) {
    ++g_service.calls;
    g_service.lastOwner = hWnd;
    g_service.cursorCountDuringCall = headless::CursorDisplayCount();
    if (g_service.inputDuringCall != 0) plat::SendMessage(hWnd, g_service.inputDuringCall, 0x41, 1);
    if (g_service.closeDuringCall == 1) plat::SendMessage(hWnd, WM_CLOSE, 0, 0);
    if (g_service.closeDuringCall == 2) plat::DestroyWindow(hWnd);
    return g_service.answer;
}

// A saver window whose memory, once deleted, is filled with a pattern and kept, so that any
// write after the deletion shows (and a read of its pointers crashes).
constexpr unsigned char kFreed = 0xA5;
std::vector<std::pair<unsigned char*, std::size_t>> g_graves;
class CGraveSaverWnd : public CSaverWnd {
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
        InstallAll();
        headless::ResetDisplay(640, 480, 32);
        headless::ResetRegistry();
        headless::ResetModules();
        // One file per test and process: ctest runs the cases of this file side by side.
        m_trace = ::testing::TempDir() + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
                  std::to_string(::getpid()) + ".txt";
        std::remove(m_trace.c_str());
        headless::SetTraceFilePath(m_trace);
    }
    void TearDown() override {
        theApp.m_pMainWnd = nullptr;
        headless::ResetDisplay(1, 1, 32);
        headless::ResetResources();
        headless::ResetModules();
        std::remove(m_trace.c_str());
    }

    template <class Wnd = CSaverWnd>
    Wnd* Create() {
        auto* w = new Wnd;
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
    // Everything a password check holds is released.
    static void ExpectReleased() {
        EXPECT_EQ(headless::CursorDisplayCount(), 0);
        EXPECT_EQ(headless::ModuleLoadCount(), headless::ModuleFreeCount());
        EXPECT_EQ(headless::OpenRegistryKeyCount(), 0);
    }
    void ExpectClosed() {
        headless::PumpMessages();
        EXPECT_FALSE(plat::IsWindow(m_hwnd));
    }
    std::string Trace() const {
        std::stringstream ss;
        ss << std::ifstream(m_trace, std::ios::binary).rdbuf();
        return ss.str();
    }
    // The desktop's password flag, and the password service with or without its entry.
    void SetFlag(std::vector<std::uint8_t> bytes) {
        headless::SetRegistryValue("Control Panel\\desktop", "ScreenSaveUsePassword",
                                   bytes.size() == 4 ? plat::kRegDword : plat::kRegBinary, bytes);
    }
    void InstallService(bool withEntry = true) {
        headless::ModuleSymbols syms;
        if (withEntry) syms["VerifyScreenSavePwd"] = reinterpret_cast<void*>(&FakeVerify);
        headless::RegisterModule("Password.cpl", syms);
        g_service = FakeService{};
    }
    void Move(CWnd* w, int x, int y) { w->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }

    std::string m_trace;
    HWND m_hwnd = 0;
};

// Any press closes the window (by WM_CLOSE, which ends the loop with a trace line); the first move
// only records where the mouse is and any move away from there closes, one pixel is enough.
// Releases, the wheel and activation changes close nothing.
TEST_F(SaverWndTest, WhichInputCloses) {
    using Input = std::tuple<UINT, WPARAM, LPARAM>;
    auto at = [](int x, int y) { return Input{WM_MOUSEMOVE, 0, MAKELPARAM(x, y)}; };
    const std::pair<std::vector<Input>, bool> cases[] = {
        {{at(300, 200), at(300, 200)}, false},
        {{at(300, 200), at(300, 201)}, true},
        {{at(0, 0), at(1, 0)}, true},
        {{at(5, 5), at(4, 5)}, true},
        {{{WM_LBUTTONDOWN, 0, 0}}, true},
        {{{WM_MBUTTONDOWN, 0, 0}}, true},
        {{{WM_RBUTTONDOWN, 0, 0}}, true},
        {{{WM_KEYDOWN, 0x10 /* Shift alone */, 0}}, true},
        {{{WM_SYSKEYDOWN, 0x12 /* Alt alone */, 0}}, true},
        {{{WM_LBUTTONUP, 0, 0},
          {WM_MBUTTONUP, 0, 0},
          {WM_RBUTTONUP, 0, 0},
          {WM_MOUSEWHEEL, 0, 0},
          {WM_KEYUP, 0, 0},
          {WM_SYSKEYUP, 0, 0},
          {WM_ACTIVATEAPP, 0, 0},
          {WM_NCACTIVATE, 0, 0},
          {WM_ACTIVATE, 0, 0}},
         false},
    };
    std::string destroys;
    for (const auto& [inputs, closes] : cases) {
        SCOPED_TRACE(testing::Message() << "first message " << std::get<0>(inputs[0]));
        CSaverWnd* w = Create();
        for (const auto& [message, wParam, lParam] : inputs) w->SendMessage(message, wParam, lParam);
        EXPECT_EQ(ClosePending(), closes);
        if (!closes) w->DestroyWindow();
        ExpectClosed();
        int code = -1;
        EXPECT_TRUE(headless::QuitReceived(&code) && code == 0);
        EXPECT_EQ(theApp.m_pMainWnd, nullptr);
        EXPECT_EQ(Trace(), destroys += "OnDestroy\n");
    }
}

// The window covers the screen, hides the cursor and swallows exactly SC_SCREENSAVE and SC_CLOSE.
TEST_F(SaverWndTest, CoversTheScreenHidesTheCursorAndSwallowsExactSystemCommands) {
    CSaverWnd* w = Create();
    RECT rc{};
    w->GetClientRect(&rc);
    EXPECT_TRUE(rc.right == 640 && rc.bottom == 480);
    const int hidden = headless::CursorNoneCalls();
    EXPECT_EQ(w->SendMessage(WM_SETCURSOR, m_hwnd, MAKELPARAM(1, WM_MOUSEMOVE)), TRUE);
    EXPECT_EQ(headless::CursorNoneCalls(), hidden + 1);
    w->SendMessage(WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    w->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(plat::IsWindow(m_hwnd));
    // Alt+F4: the Alt press asks to close; the SC_CLOSE that default handling makes is swallowed.
    w->SendMessage(WM_SYSKEYDOWN, 0x73, 1 | (1 << 29));
    EXPECT_TRUE(plat::IsWindow(m_hwnd) && ClosePending());
    ExpectClosed();
    // SC_CLOSE with a low bit set is not the value compared: default handling closes.
    w = Create();
    w->SendMessage(WM_SYSCOMMAND, SC_CLOSE | 0x2, 0);
    EXPECT_FALSE(plat::IsWindow(m_hwnd));
}

// The title (its pixel (8, 45) at (68, 211)) stays for 1.5 s of frame ticks, then the scene starts.
TEST_F(SaverWndTest, TheTitleHoldsForOneAndAHalfSeconds) {
    theApp.m_nSubliminals = 0;
    Create();
    const std::int64_t start = headless::NowMs();
    EXPECT_EQ(headless::RunTicks(30), 30);
    EXPECT_GE(headless::NowMs() - start, 1500);
    EXPECT_EQ(ScreenPixel(68, 211), Pixel(ImagePicture(ImageTable()[0]).At(8, 45)));
    EXPECT_EQ(headless::RunTicks(1), 1);
    EXPECT_EQ(ScreenPixel(68, 211), Pixel(BackgroundPicture().At(68, 211)));
}

TEST_F(SaverWndTest, PasswordOutcomes) {
    const struct {
        const char* name;
        std::vector<std::uint8_t> flag;  // none when empty; module: 0 none, 1 without entry, 2 with entry
        int module;
        BOOL answer;
        bool asks, closes;
        const char* trace;  // before "OnDestroy"
    } cases[] = {
        {"no flag", {}, 2, FALSE, false, true, ""},
        {"flag zero", {0, 0, 0, 0}, 2, FALSE, false, true, ""},
        {"flag longer than 4 bytes", {1, 0, 0, 0, 0}, 2, FALSE, false, true, ""},
        {"flag on, no module", {1, 0, 0, 0}, 0, FALSE, false, true, ""},
        {"flag on, no entry", {1, 0, 0, 0}, 1, FALSE, false, true, "8\n9\n"},
        {"flag on, accepted", {0, 0, 0, 1}, 2, TRUE, true, true, "8\n9\n"},
        {"flag on, refused", {1, 0, 0, 0}, 2, FALSE, true, false, "8\n9\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        headless::ResetRegistry();
        headless::ResetModules();
        std::remove(m_trace.c_str());
        g_service = FakeService{};
        if (!c.flag.empty()) SetFlag(c.flag);
        if (c.module) InstallService(c.module == 2);
        g_service.answer = c.answer;
        CSaverWnd* w = Create();
        w->SendMessage(WM_LBUTTONDOWN, 1, 0);
        EXPECT_EQ(ClosePending(), c.closes);
        EXPECT_EQ(g_service.calls, c.asks ? 1 : 0);
        EXPECT_TRUE(!c.asks || (g_service.lastOwner == m_hwnd && g_service.cursorCountDuringCall == 1));  // shown
        ExpectReleased();  // the cursor hidden again too
        EXPECT_EQ(Trace(), c.trace);
        if (!c.closes) w->DestroyWindow();
        ExpectClosed();
        EXPECT_EQ(Trace(), std::string(c.trace) + "OnDestroy\n");
    }
}

// A refusal swallows three moves, then asks again from the same first position; input that
// arrives while the password dialog runs does not ask again.
TEST_F(SaverWndTest, RefusalSwallowsThreeMovesThenAsksAgainFromTheSameFirstPosition) {
    SetFlag({1, 0, 0, 0});
    InstallService();
    g_service.answer = FALSE;
    g_service.inputDuringCall = WM_KEYDOWN;
    CSaverWnd* w = Create();
    Move(w, 50, 60);
    Move(w, 51, 60);  // asks: refused
    EXPECT_EQ(g_service.calls, 1);
    EXPECT_FALSE(ClosePending());
    g_service.inputDuringCall = 0;
    for (const POINT p : {POINT{500, 400}, POINT{0, 0}, POINT{9, 9}, POINT{50, 60}}) Move(w, p.x, p.y);
    EXPECT_EQ(g_service.calls, 1);  // three swallowed however far, then back at the first position
    g_service.answer = TRUE;
    Move(w, 50, 61);
    EXPECT_EQ(g_service.calls, 2);
    ExpectClosed();
    EXPECT_EQ(Trace(), "8\n9\n8\n9\nOnDestroy\n");
}

TEST_F(SaverWndTest, AWindowClosedDuringThePasswordCheckIsNotTouchedAgain) {
    SetFlag({1, 0, 0, 0});
    const UINT inputs[] = {WM_LBUTTONDOWN, WM_MBUTTONDOWN, WM_RBUTTONDOWN, WM_KEYDOWN, WM_SYSKEYDOWN, WM_MOUSEMOVE};
    for (const int how : {1, 2}) {
        for (const UINT input : inputs) {
            SCOPED_TRACE(testing::Message() << "close " << how << ", input " << input);
            InstallService();
            g_service.answer = FALSE;
            g_service.closeDuringCall = how;
            CGraveSaverWnd* w = Create<CGraveSaverWnd>();
            theApp.m_pMainWnd = nullptr;
            if (input == WM_MOUSEMOVE) Move(w, 5, 5);
            plat::SendMessage(m_hwnd, input, 0, input == WM_MOUSEMOVE ? MAKELPARAM(9, 9) : 0);
            EXPECT_EQ(g_service.calls, 1);
            EXPECT_FALSE(plat::IsWindow(m_hwnd));
            ASSERT_EQ(g_graves.size(), 1u);
            const auto [grave, size] = g_graves.front();
            EXPECT_EQ(std::count(grave, grave + size, kFreed), static_cast<std::ptrdiff_t>(size));
            ::operator delete(grave);
            g_graves.clear();
            ExpectReleased();
            EXPECT_FALSE(ClosePending());  // and nothing more was posted
            headless::PumpMessages();
        }
    }
}

}  // namespace
