// The posix window back-end against the seam on a real X server: input translated to the Win32
// messages and parameters the handlers expect, deadline timers, paints, exact presents, foreign
// windows and their children, and the display's depth.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/Window.h"
#include "platform/posix/PosixWindowState.h"

// Xlib's macros (None, Bool, Status...) come last, after every C++ header that could meet them.
#include <SDL2/SDL.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

std::vector<plat::Msg> g_seen;

std::intptr_t Proc(plat::Hwnd h, std::uint32_t m, std::uintptr_t w, std::intptr_t l) {
    g_seen.push_back(plat::Msg{h, m, w, l});
    return plat::DefWindowProc(h, m, w, l);
}

constexpr std::uint32_t kPopupVisible = 0x90000000u, kChildVisible = 0x50000000u;

plat::Hwnd MakeWindow(std::uint32_t style = kPopupVisible, plat::Hwnd parent = 0, int w = 200, int h = 100) {
    plat::RegisterClass("test", 3, 0, Proc);
    return plat::CreateWindowEx(0, "test", "", style, 10, 10, w, h, parent, nullptr);
}

// Everything the queue yields now, without waiting, painted windows validated as handlers would.
std::vector<plat::Msg> Drain() {
    std::vector<plat::Msg> out;
    plat::Msg m;
    while (plat::PeekMessage(&m, 0, 0, 0, 1)) {
        out.push_back(m);
        if (m.message == 0x000F) plat::BeginPaint(m.hwnd);
    }
    return out;
}

SDL_Window* SdlOf(plat::Hwnd h) { return plat::posix::Find(h)->sdl; }

void PushKey(plat::Hwnd h, SDL_Keycode key, Uint16 mod, SDL_Scancode sc) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = SDL_GetWindowID(SdlOf(h));
    e.key.keysym.sym = key;
    e.key.keysym.mod = mod;
    e.key.keysym.scancode = sc;
    SDL_PushEvent(&e);
}

void PushButton(plat::Hwnd h, Uint32 type, Uint8 button, int x, int y) {
    SDL_Event e{};
    e.type = type;
    e.button.windowID = SDL_GetWindowID(SdlOf(h));
    e.button.button = button;
    e.button.x = x;
    e.button.y = y;
    SDL_PushEvent(&e);
}

class PosixWindowTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (plat::Hwnd h : made) plat::DestroyWindow(h);
        Drain();
        g_seen.clear();
    }
    plat::Hwnd Make(std::uint32_t style = kPopupVisible, plat::Hwnd parent = 0, int w = 200, int h = 100) {
        plat::Hwnd hwnd = MakeWindow(style, parent, w, h);
        made.push_back(hwnd);
        return hwnd;
    }
    std::vector<plat::Hwnd> made;
};

TEST_F(PosixWindowTest, InputBecomesWin32MessagesWithTheirParameters) {
    plat::Hwnd h = Make();
    ASSERT_NE(h, 0u);
    Drain();
    PushKey(h, SDLK_a, KMOD_NONE, SDL_SCANCODE_A);
    PushKey(h, SDLK_LSHIFT, KMOD_NONE, SDL_SCANCODE_LSHIFT);
    PushKey(h, SDLK_LALT, KMOD_NONE, SDL_SCANCODE_LALT);
    PushKey(h, SDLK_F4, KMOD_LALT, SDL_SCANCODE_F4);
    PushKey(h, SDLK_F10, KMOD_NONE, SDL_SCANCODE_F10);
    PushButton(h, SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 5, 6);
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.windowID = SDL_GetWindowID(SdlOf(h));
    wheel.wheel.y = 1;
    SDL_PushEvent(&wheel);
    PushButton(h, SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 6);
    PushButton(h, SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 7, 8);
    PushButton(h, SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 9, 10);
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.windowID = SDL_GetWindowID(SdlOf(h));
    motion.motion.x = 150;
    motion.motion.y = 60;
    SDL_PushEvent(&motion);

    std::vector<plat::Msg> input;
    for (const plat::Msg& m : Drain())
        if (m.message == 0x100 || m.message == 0x104 || (m.message >= 0x200 && m.message <= 0x20A) || m.message == 0x20)
            input.push_back(m);
    ASSERT_EQ(input.size(), 13u);
    EXPECT_EQ(input[0].message, 0x100u);  // WM_KEYDOWN 'A'
    EXPECT_EQ(input[0].wParam, static_cast<std::uintptr_t>('A'));
    EXPECT_EQ(input[0].lParam & 0xffff, 1);                        // repeat count
    EXPECT_EQ((input[0].lParam >> 16) & 0xff, SDL_SCANCODE_A);     // scan code
    EXPECT_EQ(input[1].message, 0x100u);  // lone Shift
    EXPECT_EQ(input[1].wParam, 0x10u);
    EXPECT_EQ(input[2].message, 0x104u);  // lone Alt: WM_SYSKEYDOWN VK_MENU, context bit
    EXPECT_EQ(input[2].wParam, 0x12u);
    EXPECT_NE(input[2].lParam & (1 << 29), 0);
    EXPECT_EQ(input[3].message, 0x104u);  // Alt+F4
    EXPECT_EQ(input[3].wParam, 0x73u);
    EXPECT_EQ(input[4].message, 0x104u);  // F10 alone is a system key too, without the Alt bit
    EXPECT_EQ(input[4].wParam, 0x79u);
    EXPECT_EQ(input[4].lParam & (1 << 29), 0);
    // No message for the release or the wheel; each press comes after a WM_SETCURSOR naming it.
    const std::uint32_t presses[] = {0x201, 0x207, 0x204};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(input[5 + 2 * i].message, 0x20u);
        EXPECT_EQ(static_cast<std::uint32_t>(input[5 + 2 * i].lParam) >> 16, presses[i]);
        EXPECT_EQ(input[6 + 2 * i].message, presses[i]);
    }
    EXPECT_EQ(input[6].lParam, 5 | (6 << 16));
    EXPECT_EQ(input[11].message, 0x20u);
    EXPECT_EQ(input[12].message, 0x200u);  // WM_MOUSEMOVE in client coordinates
    EXPECT_EQ(input[12].lParam, 150 | (60 << 16));
}

TEST_F(PosixWindowTest, TimersFireOnTheirCadenceAndOnlyWhenDue) {
    plat::Hwnd h = Make();
    Drain();
    ASSERT_EQ(plat::SetTimer(h, 1, 50), 1u);
    plat::Msg m;
    EXPECT_FALSE(plat::PeekMessage(&m, h, 0x113, 0x113, 1));  // not due yet
    const auto t0 = std::chrono::steady_clock::now();
    int ticks = 0;
    while (ticks < 10 && plat::GetMessage(&m)) {
        if (m.message == 0x113) {
            EXPECT_EQ(m.wParam, 1u);
            ++ticks;
        } else if (m.message == 0x000F) {
            plat::BeginPaint(m.hwnd);
        }
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_GE(ms, 480);  // ten 50 ms periods, not faster
    EXPECT_LE(ms, 1500);
    // A late timer fires once, not once per missed period; PeekMessage can drop it.
    std::this_thread::sleep_for(std::chrono::milliseconds(180));
    EXPECT_TRUE(plat::PeekMessage(&m, h, 0x113, 0x113, 1));
    EXPECT_FALSE(plat::PeekMessage(&m, h, 0x113, 0x113, 1));
    EXPECT_TRUE(plat::KillTimer(h, 1));
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
    EXPECT_FALSE(plat::PeekMessage(&m, h, 0x113, 0x113, 1));
}

TEST_F(PosixWindowTest, PaintsQuitAndDestruction) {
    plat::Hwnd h = Make();
    plat::Msg m;
    ASSERT_TRUE(plat::PeekMessage(&m, h, 0x000F, 0x000F, 0));  // WS_VISIBLE queues a paint
    plat::Rect r = plat::BeginPaint(h);
    EXPECT_EQ(r.right, 200);
    EXPECT_EQ(r.bottom, 100);
    Drain();
    EXPECT_FALSE(plat::PeekMessage(&m, h, 0x000F, 0x000F, 0));  // validated
    plat::Rect part{5, 5, 20, 20};
    plat::InvalidateRect(h, &part);
    EXPECT_TRUE(plat::PeekMessage(&m, h, 0x000F, 0x000F, 0));
    r = plat::BeginPaint(h);
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.right, 20);

    plat::Hwnd child = Make(kChildVisible, h, 50, 40);
    ASSERT_NE(child, 0u);
    plat::Rect rc;
    EXPECT_TRUE(plat::GetClientRect(child, &rc));
    EXPECT_EQ(rc.right, 50);
    g_seen.clear();
    EXPECT_TRUE(plat::DestroyWindow(h));
    EXPECT_FALSE(plat::IsWindow(h));
    EXPECT_FALSE(plat::IsWindow(child));  // children go with their parent
    int ncdestroys = 0;
    for (const plat::Msg& s : g_seen) ncdestroys += s.message == 0x0082;
    EXPECT_EQ(ncdestroys, 2);
    EXPECT_EQ(g_seen.back().message, 0x0082u);
    EXPECT_EQ(g_seen.back().hwnd, h);  // the parent's last message is the very last

    // Default handling: Alt+F4 asks SC_CLOSE, SC_CLOSE (low bits ignored) closes, F4 alone does not.
    plat::Hwnd a = MakeWindow();
    plat::SendMessage(a, 0x104, 0x73, 0);
    EXPECT_TRUE(plat::IsWindow(a));
    EXPECT_EQ(plat::SendMessage(a, 0x20, a, 1), 1);  // WM_SETCURSOR: handled
    plat::SendMessage(a, 0x104, 0x73, 1 << 29);
    EXPECT_FALSE(plat::IsWindow(a));
    plat::Hwnd b = MakeWindow();
    plat::SendMessage(b, 0x112, 0xF063, 0);
    EXPECT_FALSE(plat::IsWindow(b));

    plat::PostQuitMessage(7);
    EXPECT_FALSE(plat::GetMessage(&m));
    EXPECT_EQ(m.message, 0x0012u);
    EXPECT_EQ(m.wParam, 7u);
    made.clear();
}

TEST_F(PosixWindowTest, PresentShowsExactlyTheGivenRectangles) {
    plat::Hwnd h = Make(kPopupVisible, 0, 64, 48);
    Drain();
    plat::Surface* s = plat::GetWindowSurface(h);
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->width, 64);
    for (int i = 0; i < s->width * s->height; ++i) s->pixels[i] = 0x00112233;
    plat::Rect all{0, 0, 64, 48};
    plat::PresentRects(h, &all, 1);
    for (int i = 0; i < s->width * s->height; ++i) s->pixels[i] = 0x00c08040;
    plat::Rect one{10, 12, 20, 16}, outside{60, 40, 200, 200};
    plat::Rect both[] = {one, outside};
    plat::PresentRects(h, both, 2);  // the second is clipped to the window

    Display* dpy = XOpenDisplay(nullptr);
    ASSERT_NE(dpy, nullptr);
    XSync(dpy, False);
    XImage* img = XGetImage(dpy, static_cast<Window>(h), 0, 0, 64, 48, AllPlanes, ZPixmap);
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(XGetPixel(img, 10, 12) & 0xffffff, 0xc08040u);
    EXPECT_EQ(XGetPixel(img, 19, 15) & 0xffffff, 0xc08040u);
    EXPECT_EQ(XGetPixel(img, 20, 15) & 0xffffff, 0x112233u);  // right edge is exclusive
    EXPECT_EQ(XGetPixel(img, 9, 12) & 0xffffff, 0x112233u);
    EXPECT_EQ(XGetPixel(img, 63, 47) & 0xffffff, 0xc08040u);
    XDestroyImage(img);
    XCloseDisplay(dpy);
}

TEST_F(PosixWindowTest, ForeignWindowsDisplayAndBogusHandles) {
    Display* dpy = XOpenDisplay(nullptr);
    ASSERT_NE(dpy, nullptr);
    Window foreign = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 120, 90, 0, 0, 0);
    XMapWindow(dpy, foreign);
    XSync(dpy, False);
    EXPECT_TRUE(plat::IsWindow(foreign));
    plat::Rect rc;
    EXPECT_TRUE(plat::GetClientRect(foreign, &rc));
    EXPECT_EQ(rc.right, 120);
    EXPECT_EQ(rc.bottom, 90);
    EXPECT_FALSE(plat::IsWindow(0));
    EXPECT_FALSE(plat::IsWindow(12345));
    EXPECT_FALSE(plat::GetClientRect(static_cast<plat::Hwnd>(-5), &rc));
    EXPECT_EQ(plat::CreateWindowEx(0, "test", "", kChildVisible, 0, 0, 10, 10, 12345, nullptr), 0u);

    plat::Hwnd child = MakeWindow(kChildVisible, foreign, 120, 90);
    ASSERT_NE(child, 0u);
    Drain();
    g_seen.clear();
    XDestroyWindow(dpy, foreign);  // the other program's window goes: ours goes with it
    XSync(dpy, False);
    for (int i = 0; i < 100 && plat::IsWindow(child); ++i) {
        Drain();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(plat::IsWindow(child));
    ASSERT_FALSE(g_seen.empty());
    EXPECT_EQ(g_seen.back().message, 0x0082u);
    XCloseDisplay(dpy);

    const plat::DisplayCaps caps = plat::GetDisplayCaps();
    EXPECT_EQ(caps.width, 800);
    EXPECT_EQ(caps.height, 600);
    EXPECT_EQ(caps.bitsPerPixel, 32);  // the 24-bit TrueColor screen of with_xvfb.py
}

}  // namespace
