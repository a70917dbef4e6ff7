// The posix window back-end on a real X server: input translated to the Win32 messages and parameters
// the handlers expect. Timers, paints, presents and foreign parents are driven through the saver by e2e_*.py.
#include <gtest/gtest.h>

#include <vector>

#include "platform/Window.h"
#include "platform/posix/PosixWindowState.h"

#include <SDL2/SDL.h>

namespace {

constexpr std::uint32_t kPopupVisible = 0x90000000u;
constexpr std::uint32_t kSetCursor = 0x20, kPaint = 0x0F;

std::intptr_t Proc(plat::Hwnd h, std::uint32_t m, std::uintptr_t w, std::intptr_t l) {
    return plat::DefWindowProc(h, m, w, l);
}

plat::Hwnd MakeWindow() {
    plat::RegisterClass("test", 3, 0, Proc);
    return plat::CreateWindowEx(0, "test", "", kPopupVisible, 10, 10, 200, 100, 0, nullptr);
}

// Everything the queue yields now, without waiting, painted windows validated as handlers would.
std::vector<plat::Msg> Drain() {
    std::vector<plat::Msg> out;
    plat::Msg m;
    while (plat::PeekMessage(&m, 0, 0, 0, 1)) {
        out.push_back(m);
        if (m.message == kPaint) plat::BeginPaint(m.hwnd);
    }
    return out;
}

TEST(PosixWindow, InputBecomesWin32MessagesWithTheirParameters) {
    const plat::Hwnd h = MakeWindow();
    ASSERT_NE(h, 0u);
    Drain();
    const Uint32 id = SDL_GetWindowID(plat::posix::Find(h)->sdl);
    struct Case {
        SDL_Event event;
        std::uint32_t message;  // 0: none at all
        std::uintptr_t wParam;
        std::intptr_t lParam, lParamMask;
    };
    auto event = [&](Uint32 type) {
        SDL_Event e{};
        e.type = type;
        e.window.windowID = id;  // every event of a window keeps its id in the same place
        return e;
    };
    auto key = [&](SDL_Keycode k, SDL_Scancode sc, Uint16 mod) {
        SDL_Event e = event(SDL_KEYDOWN);
        e.key.keysym = SDL_Keysym{sc, k, mod, 0};
        return e;
    };
    auto button = [&](Uint32 type, Uint8 b, int x, int y) {
        SDL_Event e = event(type);
        e.button.button = b;
        e.button.x = x;
        e.button.y = y;
        return e;
    };
    SDL_Event wheel = event(SDL_MOUSEWHEEL), motion = event(SDL_MOUSEMOTION);
    wheel.wheel.y = 1;
    motion.motion.x = 150;
    motion.motion.y = 60;
    const Case cases[] = {
        {key(SDLK_a, SDL_SCANCODE_A, 0), 0x100, 'A', 1 | (SDL_SCANCODE_A << 16), 0xffffff},  // count, scan code
        {key(SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, 0), 0x100, 0x10, 0, 0},                       // lone Shift
        {key(SDLK_LALT, SDL_SCANCODE_LALT, 0), 0x104, 0x12, 1 << 29, 1 << 29},               // lone Alt, context bit
        {key(SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT), 0x104, 0x73, 1 << 29, 1 << 29},           // Alt+F4
        {key(SDLK_F10, SDL_SCANCODE_F10, 0), 0x104, 0x79, 0, 1 << 29},  // F10 alone: a system key without Alt
        {button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 5, 6), 0, 0, 0, 0},
        {wheel, 0, 0, 0, 0},
        {button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 6), 0x201, 0, 5 | (6 << 16), -1},
        {button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 7, 8), 0x207, 0, 0, 0},
        {button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 9, 10), 0x204, 0, 0, 0},
        {motion, 0x200, 0, 150 | (60 << 16), -1},  // client coordinates
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        SDL_Event e = c.event;
        SDL_PushEvent(&e);
        std::vector<plat::Msg> input;
        for (const plat::Msg& m : Drain())
            if (m.message == kSetCursor || m.message == 0x100 || m.message == 0x104 || (m.message & 0xFF00) == 0x200)
                input.push_back(m);
        if (c.message == 0) {
            EXPECT_TRUE(input.empty());
            continue;
        }
        // Mouse input comes after a WM_SETCURSOR naming it.
        const bool mouse = c.message >= 0x200;
        ASSERT_EQ(input.size(), mouse ? 2u : 1u);
        const std::uint32_t named = static_cast<std::uint32_t>(input[0].lParam) >> 16;
        EXPECT_TRUE(!mouse || (input[0].message == kSetCursor && named == c.message));
        const plat::Msg& m = input.back();
        EXPECT_EQ(m.message, c.message);
        EXPECT_EQ(mouse ? c.wParam : m.wParam, c.wParam);
        EXPECT_EQ(m.lParam & c.lParamMask, c.lParam);
    }
    plat::DestroyWindow(h);
}

}  // namespace
