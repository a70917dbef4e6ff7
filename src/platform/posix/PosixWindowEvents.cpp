// SDL and X events turned into the Win32 messages the handlers expect; default window handling.
#include <SDL2/SDL.h>

#include <unistd.h>

#include "platform/Messages.h"
#include "platform/Window.h"
#include "platform/posix/PosixCursor.h"
#include "platform/posix/PosixWindowState.h"
#include "platform/posix/PosixX11.h"

using namespace plat::codes;

namespace plat {

namespace {

std::intptr_t MakeLParam(int lo, int hi) {
    return static_cast<std::intptr_t>(static_cast<std::uint32_t>((lo & 0xffff) | ((hi & 0xffff) << 16)));
}

// Win32 virtual-key code of an SDL key; keys without one get 0xFF, which still counts as a key.
std::uint32_t VirtualKey(SDL_Keycode k) {
    if (k >= SDLK_a && k <= SDLK_z) return static_cast<std::uint32_t>('A' + (k - SDLK_a));
    if (k >= SDLK_0 && k <= SDLK_9) return static_cast<std::uint32_t>('0' + (k - SDLK_0));
    if (k >= SDLK_F1 && k <= SDLK_F12) return 0x70u + static_cast<std::uint32_t>(k - SDLK_F1);
    if (k >= SDLK_KP_1 && k <= SDLK_KP_9) return 0x61u + static_cast<std::uint32_t>(k - SDLK_KP_1);
    switch (k) {
        case SDLK_BACKSPACE: return 0x08;
        case SDLK_TAB: return 0x09;
        case SDLK_RETURN:
        case SDLK_KP_ENTER: return 0x0D;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT: return 0x10;
        case SDLK_LCTRL:
        case SDLK_RCTRL: return 0x11;
        case SDLK_LALT:
        case SDLK_RALT: return VK_MENU;
        case SDLK_PAUSE: return 0x13;
        case SDLK_CAPSLOCK: return 0x14;
        case SDLK_ESCAPE: return 0x1B;
        case SDLK_SPACE: return 0x20;
        case SDLK_PAGEUP: return 0x21;
        case SDLK_PAGEDOWN: return 0x22;
        case SDLK_END: return 0x23;
        case SDLK_HOME: return 0x24;
        case SDLK_LEFT: return 0x25;
        case SDLK_UP: return 0x26;
        case SDLK_RIGHT: return 0x27;
        case SDLK_DOWN: return 0x28;
        case SDLK_PRINTSCREEN: return 0x2C;
        case SDLK_INSERT: return 0x2D;
        case SDLK_DELETE: return 0x2E;
        case SDLK_LGUI: return 0x5B;
        case SDLK_RGUI: return 0x5C;
        case SDLK_APPLICATION: return 0x5D;
        case SDLK_KP_0: return 0x60;
        case SDLK_KP_MULTIPLY: return 0x6A;
        case SDLK_KP_PLUS: return 0x6B;
        case SDLK_KP_MINUS: return 0x6D;
        case SDLK_KP_PERIOD: return 0x6E;
        case SDLK_KP_DIVIDE: return 0x6F;
        case SDLK_NUMLOCKCLEAR: return 0x90;
        case SDLK_SCROLLLOCK: return 0x91;
        case SDLK_SEMICOLON: return 0xBA;
        case SDLK_EQUALS: return 0xBB;
        case SDLK_COMMA: return 0xBC;
        case SDLK_MINUS: return 0xBD;
        case SDLK_PERIOD: return 0xBE;
        case SDLK_SLASH: return 0xBF;
        case SDLK_BACKQUOTE: return 0xC0;
        case SDLK_LEFTBRACKET: return 0xDB;
        case SDLK_BACKSLASH: return 0xDC;
        case SDLK_RIGHTBRACKET: return 0xDD;
        case SDLK_QUOTE: return 0xDE;
        default: return 0xFF;
    }
}

posix::WindowRec* EventWindow(Uint32 windowId) {
    posix::WindowRec* rec = posix::FindBySdl(SDL_GetWindowFromID(windowId));
    if (!rec) rec = posix::InputTarget();
    return rec && !rec->destroying ? rec : nullptr;
}

void Translate(const SDL_Event& ev) {
    const bool hosted = posix::St().hostWindow != 0;  // XScreenSaver keeps the input itself
    switch (ev.type) {
        case SDL_MOUSEMOTION: {
            posix::WindowRec* rec = EventWindow(ev.motion.windowID);
            if (!rec || hosted) return;
            std::uintptr_t flags = 0;
            if (ev.motion.state & SDL_BUTTON_LMASK) flags |= 0x1;
            if (ev.motion.state & SDL_BUTTON_RMASK) flags |= 0x2;
            if (ev.motion.state & SDL_BUTTON_MMASK) flags |= 0x10;
            posix::Post(rec->hwnd, WM_SETCURSOR, rec->hwnd, MakeLParam(HTCLIENT, WM_MOUSEMOVE));
            posix::Post(rec->hwnd, WM_MOUSEMOVE, flags, MakeLParam(ev.motion.x, ev.motion.y));
            return;
        }
        case SDL_MOUSEBUTTONDOWN: {
            posix::WindowRec* rec = EventWindow(ev.button.windowID);
            if (!rec || hosted) return;
            std::uint32_t msg = 0;
            if (ev.button.button == SDL_BUTTON_LEFT) msg = WM_LBUTTONDOWN;
            else if (ev.button.button == SDL_BUTTON_MIDDLE) msg = WM_MBUTTONDOWN;
            else if (ev.button.button == SDL_BUTTON_RIGHT) msg = WM_RBUTTONDOWN;
            if (!msg) return;
            posix::Post(rec->hwnd, WM_SETCURSOR, rec->hwnd, MakeLParam(HTCLIENT, static_cast<int>(msg)));
            posix::Post(rec->hwnd, msg, 0, MakeLParam(ev.button.x, ev.button.y));
            return;
        }
        case SDL_KEYDOWN: {
            posix::WindowRec* rec = EventWindow(ev.key.windowID);
            if (!rec || hosted) return;
            const std::uint32_t vk = VirtualKey(ev.key.keysym.sym);
            const bool alt = (ev.key.keysym.mod & KMOD_ALT) != 0 || vk == VK_MENU;
            const bool sys = alt || vk == VK_F10;
            std::uint32_t lp = 1u | ((static_cast<std::uint32_t>(ev.key.keysym.scancode) & 0xffu) << 16);
            if (alt) lp |= 1u << 29;
            if (ev.key.repeat) lp |= 1u << 30;
            posix::Post(rec->hwnd, sys ? WM_SYSKEYDOWN : WM_KEYDOWN, vk,
                        static_cast<std::intptr_t>(static_cast<std::int32_t>(lp)));
            return;
        }
        case SDL_WINDOWEVENT: {
            posix::WindowRec* rec = posix::FindBySdl(SDL_GetWindowFromID(ev.window.windowID));
            if (!rec || rec->destroying) return;
            switch (ev.window.event) {
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                    posix::KeepOwnStore(rec);  // SDL replaces its surface on the next use
                    posix::InvalidateAll(rec);
                    break;
                case SDL_WINDOWEVENT_EXPOSED:
                case SDL_WINDOWEVENT_SHOWN: posix::InvalidateAll(rec); break;
                case SDL_WINDOWEVENT_FOCUS_GAINED:
                    posix::Post(rec->hwnd, WM_ACTIVATEAPP, 1, 0);
                    posix::Post(rec->hwnd, WM_NCACTIVATE, 1, 0);
                    posix::Post(rec->hwnd, WM_ACTIVATE, 1, 0);
                    break;
                case SDL_WINDOWEVENT_FOCUS_LOST:
                    posix::Post(rec->hwnd, WM_NCACTIVATE, 0, 0);
                    posix::Post(rec->hwnd, WM_ACTIVATE, 0, 0);
                    posix::Post(rec->hwnd, WM_ACTIVATEAPP, 0, 0);
                    break;
                case SDL_WINDOWEVENT_CLOSE: posix::Post(rec->hwnd, WM_SYSCOMMAND, SC_CLOSE, 0); break;
                default: break;
            }
            return;
        }
        default: return;  // wheel, button and key releases, text input... produce no message
    }
}

void TakeSigterm() {
    posix::State& s = posix::St();
    if (s.signalPipe[0] < 0) return;
    char buf[16];
    bool got = false;
    while (read(s.signalPipe[0], buf, sizeof buf) > 0) got = true;
    if (!got) return;
    // Ended from outside (XScreenSaver, a session manager): close like a user would, so the
    // destruction handlers run and the loop ends.
    bool any = false;
    for (auto& r : s.windows) {
        if (!r->destroying && (r->parent == 0 || !posix::Find(r->parent))) {
            posix::Post(r->hwnd, WM_CLOSE, 0, 0);
            any = true;
        }
    }
    if (!any) PostQuitMessage(0);
}

}  // namespace

namespace posix {

void PumpEvents() {
    State& s = St();
    if (!s.videoUp) return;
    if (!s.ready.known) WaitForEvents(0);
    const Readiness ready = s.ready;
    s.ready = Readiness{};
    if (ready.signal) TakeSigterm();
    std::vector<x11::Event> xev;
    if (ready.ours) x11::Drain(&xev);
    for (const x11::Event& e : xev) {
        if (e.kind == x11::Event::Exposed) {
            InvalidateAll(Find(e.window));
            continue;
        }
        if (e.kind == x11::Event::Resized) {
            FollowParentSize(e.window, e.width, e.height);
            continue;
        }
        // Our child went away, or the foreign window it lives in did.
        std::vector<Hwnd> gone;
        for (auto& r : s.windows)
            if (r->hwnd == e.window || (r->ownXWindow && r->parent == e.window) ||
                (r->screenWindow && s.hostWindow == e.window))
                gone.push_back(r->hwnd);
        for (Hwnd h : gone) DestroyAfterServerGone(h);
    }
    if (ready.sdl) SDL_PumpEvents();
    SDL_Event ev;
    while (SDL_PeepEvents(&ev, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) Translate(ev);
}

}  // namespace posix

std::intptr_t DefWindowProc(Hwnd hwnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    switch (msg) {
        case WM_CLOSE: DestroyWindow(hwnd); return 0;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0u) == SC_CLOSE) SendMessage(hwnd, WM_CLOSE, 0, 0);
            return 0;
        case WM_SYSKEYDOWN:
            if (wParam == VK_F4 && (static_cast<std::uint32_t>(lParam) & (1u << 29)))
                SendMessage(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
            return 0;
        case WM_PAINT: BeginPaint(hwnd); return 0;
        case WM_SETCURSOR:
            if (posix::WindowRec* rec = posix::Find(hwnd)) {
                auto cls = posix::St().classes.find(rec->className);
                if (cls != posix::St().classes.end()) posix::SetClassCursor(cls->second.cursorResId);
            }
            return 1;
        case WM_NCACTIVATE: return 1;
        default: return 0;
    }
}

}  // namespace plat
