// Windows on X11 through SDL2: creation, destruction, backing stores, painting and presenting.
#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <signal.h>
#include <unistd.h>
#include <fcntl.h>

#include "platform/Messages.h"
#include "platform/Window.h"
#include "platform/posix/PosixWindowRouter.h"
#include "platform/posix/PosixWindowState.h"
#include "platform/posix/PosixX11.h"

using namespace plat::codes;

namespace plat {

namespace {

void OnSigterm(int) {
    int fd = posix::St().signalPipe[1];
    if (fd >= 0) {
        char c = 'T';
        ssize_t r = write(fd, &c, 1);
        (void)r;
    }
}

void InstallSigterm() {
    posix::State& s = posix::St();
    if (pipe(s.signalPipe) != 0) {
        s.signalPipe[0] = s.signalPipe[1] = -1;
        return;
    }
    for (int fd : s.signalPipe) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = OnSigterm;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
}

bool IsXrgb(const SDL_Surface* screen) {
    return screen->format->BytesPerPixel == 4 && screen->format->Rmask == 0x00ff0000u &&
           screen->format->Gmask == 0x0000ff00u && screen->format->Bmask == 0x000000ffu;
}

// The window's 32-bit backing store. Where SDL's window surface already is 0x00RRGGBB of the
// window's size, that surface is the store (no second screen-sized buffer, no copy per frame);
// otherwise a store of our own is converted rectangle by rectangle when presented.
void AllocStore(posix::WindowRec* rec) {
    std::int32_t w = std::max(rec->width, 0), h = std::max(rec->height, 0);
    SDL_Surface* screen = rec->sdl ? SDL_GetWindowSurface(rec->sdl) : nullptr;  // fails on 8-bit displays
    if (screen && IsXrgb(screen) && !SDL_MUSTLOCK(screen) && screen->w == w && screen->h == h &&
        screen->pitch % 4 == 0) {
        rec->store.clear();
        rec->direct = true;
        // SDL's MIT-SHM surface is a new segment, zero already: clearing it would only bring its
        // pages in before the title rather than with the first frame.
        if (!posix::InSharedMemory(screen->pixels))
            std::memset(screen->pixels, 0, static_cast<std::size_t>(screen->pitch) * static_cast<std::size_t>(h));
        rec->surface = Surface{static_cast<std::uint32_t*>(screen->pixels), w, h, screen->pitch / 4};
        return;
    }
    rec->direct = false;
    rec->store.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0u);
    rec->surface = Surface{rec->store.empty() ? nullptr : rec->store.data(), w, h, w};
}

bool Intersect(const Rect& a, std::int32_t w, std::int32_t h, Rect* out) {
    Rect r{std::max(a.left, 0), std::max(a.top, 0), std::min(a.right, w), std::min(a.bottom, h)};
    if (r.left >= r.right || r.top >= r.bottom) return false;
    *out = r;
    return true;
}

void RemoveRec(Hwnd hwnd) {
    posix::State& s = posix::St();
    s.windows.erase(std::remove_if(s.windows.begin(), s.windows.end(),
                                   [hwnd](const std::unique_ptr<posix::WindowRec>& r) { return r->hwnd == hwnd; }),
                    s.windows.end());
    s.timers.erase(
        std::remove_if(s.timers.begin(), s.timers.end(), [hwnd](const posix::TimerRec& t) { return t.hwnd == hwnd; }),
        s.timers.end());
    s.queue.erase(std::remove_if(s.queue.begin(), s.queue.end(), [hwnd](const Msg& m) { return m.hwnd == hwnd; }),
                  s.queue.end());
}

void Ungrab(posix::WindowRec* rec) {
    if (rec && rec->grabbed && rec->sdl) {
        SDL_SetWindowKeyboardGrab(rec->sdl, SDL_FALSE);
        SDL_SetWindowGrab(rec->sdl, SDL_FALSE);
    }
}

void Grab(posix::WindowRec* rec) {
    if (rec && rec->grabbed && rec->sdl) {
        SDL_SetWindowGrab(rec->sdl, SDL_TRUE);
        SDL_SetWindowKeyboardGrab(rec->sdl, SDL_TRUE);
    }
}

// An environment variable set for one call into SDL, then put back as it was.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_saved = old;
        setenv(name, value, 1);
    }
    ~ScopedEnv() {
        if (m_saved) setenv(m_name, m_saved->c_str(), 1);
        else unsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_saved;
};

// SDL's video start-up, without two pieces of work the saver has no use for and that cost more
// than the rest of it: the input method it opens in the user's locale parses that locale's
// compose table (half a megabyte of text) for text input the saver never takes, as keys are key
// presses here; in the C locale there is no table to read. And with no session bus named,
// libdbus would start one (fork, exec of dbus-launch) for SDL's input-method and screensaver
// calls; a named bus is used as before. The process's own locale is not changed either way.
bool InitSdlVideo() {
    const ScopedEnv locale("LC_ALL", "C");
    std::optional<ScopedEnv> bus;
    if (!std::getenv("DBUS_SESSION_BUS_ADDRESS")) bus.emplace("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

// A host window was asked for and cannot be drawn into: end before any window exists. Covering
// the screen instead could hide the daemon's own unlock dialog.
[[noreturn]] void RefuseHostWindow() {
    std::fprintf(stderr, "morgrave: the window given by --window-id or XSCREENSAVER_WINDOW is not a usable window\n");
    std::fflush(stderr);
    std::_Exit(1);
}

}  // namespace

namespace posix {

bool EnsureVideo() {
    State& s = St();
    if (s.videoTried) return s.videoUp;
    s.videoTried = true;
    // Our own SIGTERM handling (XScreenSaver ends hacks with it) goes through the queue.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");  // present exactly the given rectangles
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_SetHint(SDL_HINT_GRAB_KEYBOARD, "1");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // A screen saver (or an XScreenSaver hack) must not suspend the desktop's own saver.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    // Without a display the saver can only end; say why rather than vanish silently.
    if (!x11::Open()) {
        std::fprintf(stderr, "morgrave: cannot open the X display (is DISPLAY set?)\n");
        std::exit(1);
    }
    if (!InitSdlVideo()) {
        std::fprintf(stderr, "morgrave: cannot start SDL video: %s\n", SDL_GetError());
        std::exit(1);
    }
    SDL_StopTextInput();  // keys are key presses here; no input method may swallow them
    s.hostWindow = s.hostRequest.id;
    InstallSigterm();
    s.videoUp = true;
    return true;
}

WindowRec* Find(Hwnd hwnd) {
    if (!hwnd) return nullptr;
    for (auto& r : St().windows)
        if (r->hwnd == hwnd) return r.get();
    return nullptr;
}

WindowRec* FindBySdl(SDL_Window* win) {
    if (!win) return nullptr;
    for (auto& r : St().windows)
        if (r->sdl == win) return r.get();
    return nullptr;
}

WindowRec* InputTarget() {
    for (auto& r : St().windows)
        if (r->screenWindow && !r->destroying) return r.get();
    for (auto& r : St().windows)
        if (!r->destroying) return r.get();
    return nullptr;
}

void InvalidateAll(WindowRec* rec) {
    if (!rec) return;
    rec->paintPending = true;
    rec->invalid = Rect{0, 0, rec->width, rec->height};
}

void KeepOwnStore(WindowRec* rec) {
    if (!rec || !rec->direct) return;
    const Surface old = rec->surface;
    rec->store.assign(static_cast<std::size_t>(old.width) * static_cast<std::size_t>(old.height), 0u);
    for (std::int32_t y = 0; y < old.height; ++y)
        std::memcpy(rec->store.data() + static_cast<std::size_t>(y) * old.width,
                    old.pixels + static_cast<std::size_t>(y) * old.pitch, static_cast<std::size_t>(old.width) * 4);
    rec->surface = Surface{rec->store.empty() ? nullptr : rec->store.data(), old.width, old.height, old.width};
    rec->direct = false;
}

void SetScreenGrab(bool grab) {
    for (auto& r : St().windows) {
        if (r->screenWindow && !r->destroying) {
            if (grab) Grab(r.get());
            else Ungrab(r.get());
        }
    }
}

void FollowParentSize(Hwnd parent, std::int32_t width, std::int32_t height) {
    State& s = St();
    for (auto& r : s.windows) {
        if (!r->ownXWindow || r->destroying || r->xGone) continue;
        if (r->screenWindow && s.hostWindow == parent) {
            x11::MoveChild(r->hwnd, (width - r->width) / 2, (height - r->height) / 2);
        } else if (r->parent == parent && !r->screenWindow && (width != r->width || height != r->height)) {
            SDL_SetWindowSize(r->sdl, std::max(width, 1), std::max(height, 1));  // resizes our X child too
            r->width = std::max(width, 0);
            r->height = std::max(height, 0);
            AllocStore(r.get());
            InvalidateAll(r.get());
        }
    }
}

void DestroyAfterServerGone(Hwnd hwnd) {
    if (WindowRec* rec = Find(hwnd)) {
        rec->xGone = true;
        plat::DestroyWindow(hwnd);
    }
}

}  // namespace posix

bool RegisterClass(const char* className, std::uint32_t classStyle, std::uint16_t cursorResId, WndProc proc) {
    if (!className || !proc) return false;
    posix::St().classes[className] = posix::ClassRec{classStyle, cursorResId, proc};
    return true;
}

bool IsClassRegistered(const char* className) { return className && posix::St().classes.count(className) > 0; }

Hwnd CreateWindowEx(std::uint32_t exStyle, const char* className, const char* title, std::uint32_t style,
                    std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, Hwnd parent, void* user) {
    posix::State& s = posix::St();
    auto cls = className ? s.classes.find(className) : s.classes.end();
    if (cls == s.classes.end() || !posix::EnsureVideo()) return 0;
    auto rec = std::make_unique<posix::WindowRec>();
    rec->user = user;
    rec->proc = cls->second.proc;
    rec->className = className;
    rec->style = style;
    rec->exStyle = exStyle;
    rec->width = std::max(width, 0);
    rec->height = std::max(height, 0);
    rec->x = x;
    rec->y = y;
    const bool visible = (style & WS_VISIBLE) != 0;
    const bool fullScreen = (style & WS_POPUP) && (exStyle & WS_EX_TOPMOST) && parent == 0;

    Hwnd xparent = parent;
    if (fullScreen && s.hostRequest.requested) {
        // Inside XScreenSaver: draw into its window at its size; the daemon keeps the input.
        int hw = 0, hh = 0;
        if (!posix::x11::WindowSize(s.hostWindow, &hw, &hh)) RefuseHostWindow();
        xparent = s.hostWindow;
        rec->x = rec->y = 0;
        rec->width = hw;
        rec->height = hh;
    } else if ((style & WS_CHILD) && parent == 0) {
        return 0;
    }
    if (xparent) {
        unsigned long child = posix::x11::CreateChild(xparent, rec->x, rec->y, rec->width, rec->height);
        if (!child && fullScreen) RefuseHostWindow();  // gone since it was measured
        if (!child) return 0;
        rec->ownXWindow = true;
        rec->sdl = SDL_CreateWindowFrom(reinterpret_cast<const void*>(static_cast<std::uintptr_t>(child)));
        if (!rec->sdl) {
            posix::x11::DestroyChild(child);
            if (fullScreen) RefuseHostWindow();
            return 0;
        }
        rec->hwnd = child;
        rec->parent = parent;
        rec->screenWindow = fullScreen;
    } else {
        if (fullScreen) SDL_SetHint(SDL_HINT_X11_FORCE_OVERRIDE_REDIRECT, "1");
        Uint32 flags = SDL_WINDOW_HIDDEN;
        if (style & WS_POPUP) flags |= SDL_WINDOW_BORDERLESS;
        if (fullScreen) flags |= SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SKIP_TASKBAR;
        rec->sdl = SDL_CreateWindow(title ? title : "", x, y, std::max(rec->width, 1), std::max(rec->height, 1), flags);
        SDL_SetHint(SDL_HINT_X11_FORCE_OVERRIDE_REDIRECT, "0");
        if (!rec->sdl) return 0;
        rec->hwnd = posix::x11::SdlWindowId(rec->sdl);
        if (!rec->hwnd) {
            SDL_DestroyWindow(rec->sdl);
            return 0;
        }
        rec->screenWindow = fullScreen;
        if (visible) {
            SDL_ShowWindow(rec->sdl);
            if (fullScreen) {
                SDL_RaiseWindow(rec->sdl);
                rec->grabbed = true;
                Grab(rec.get());
            }
            // The map, focus and crossing events wait for the loop's first read: reading them here
            // cost some twenty round trips before the first picture.
        }
    }
    AllocStore(rec.get());
    const Hwnd hwnd = rec->hwnd;
    s.windows.push_back(std::move(rec));

    CreateParams cp{user, exStyle, style, x, y, width, height, parent};
    if (cls->second.proc(hwnd, WM_CREATE, 0, reinterpret_cast<std::intptr_t>(&cp)) == -1) {
        DestroyWindow(hwnd);
        return 0;
    }
    posix::WindowRec* live = posix::Find(hwnd);
    if (!live) return 0;
    if (visible) posix::InvalidateAll(live);
    return hwnd;
}

bool DestroyWindow(Hwnd hwnd) {
    posix::WindowRec* rec = posix::Find(hwnd);
    if (!rec || rec->destroying) return false;
    rec->destroying = true;
    rec->proc(hwnd, WM_DESTROY, 0, 0);
    // Children go with their parent.
    std::vector<Hwnd> children;
    for (auto& r : posix::St().windows)
        if (r->parent == hwnd) children.push_back(r->hwnd);
    for (Hwnd c : children) DestroyWindow(c);
    rec = posix::Find(hwnd);
    if (!rec) return true;
    WndProc proc = rec->proc;
    SDL_Window* sdl = rec->sdl;
    const bool ownX = rec->ownXWindow && !rec->xGone;
    Ungrab(rec);
    RemoveRec(hwnd);
    if (sdl) SDL_DestroyWindow(sdl);
    if (ownX) posix::x11::DestroyChild(hwnd);
    proc(hwnd, WM_NCDESTROY, 0, 0);
    return true;
}

void* GetWindowUserData(Hwnd hwnd) {
    posix::WindowRec* rec = posix::Find(hwnd);
    return rec ? rec->user : nullptr;
}

bool IsWindow(Hwnd hwnd) {
    if (!hwnd) return false;
    if (posix::Find(hwnd)) return true;
    if (const posix::MessageRouter* r = posix::St().router; r && r->owns(hwnd)) return true;
    return posix::EnsureVideo() && posix::x11::WindowSize(hwnd, nullptr, nullptr);
}

bool GetClientRect(Hwnd hwnd, Rect* out) {
    if (!out) return false;
    *out = Rect{};
    if (posix::WindowRec* rec = posix::Find(hwnd)) {
        *out = Rect{0, 0, rec->width, rec->height};
        return true;
    }
    if (const posix::MessageRouter* r = posix::St().router; r && r->owns(hwnd)) return r->clientRect(hwnd, out);
    int w = 0, h = 0;
    if (!hwnd || !posix::EnsureVideo() || !posix::x11::WindowSize(hwnd, &w, &h)) return false;
    *out = Rect{0, 0, w, h};
    return true;
}

Surface* GetWindowSurface(Hwnd hwnd) {
    posix::WindowRec* rec = posix::Find(hwnd);
    return rec && rec->surface.pixels ? &rec->surface : nullptr;
}

void PresentRects(Hwnd hwnd, const Rect* rects, int count) {
    posix::WindowRec* rec = posix::Find(hwnd);
    if (!rec || !rec->sdl || rec->xGone || !rects || count <= 0 || !rec->surface.pixels) return;
    SDL_Surface* screen = SDL_GetWindowSurface(rec->sdl);
    if (!screen) {
        // A visual SDL has no surface for (30 bits a pixel): Xlib converts and puts the pixels.
        std::vector<Rect> out;
        for (int i = 0; i < count; ++i) {
            Rect r;
            if (Intersect(rects[i], rec->width, rec->height, &r)) out.push_back(r);
        }
        posix::x11::PutRects(rec->hwnd, rec->surface.pixels, rec->surface.pitch, out.data(),
                             static_cast<int>(out.size()));
        return;
    }
    const std::int32_t w = std::min(rec->width, screen->w), h = std::min(rec->height, screen->h);
    if (rec->direct) {
        std::vector<SDL_Rect> out;
        for (int i = 0; i < count; ++i) {
            Rect r;
            if (Intersect(rects[i], w, h, &r))
                out.push_back(SDL_Rect{r.left, r.top, r.right - r.left, r.bottom - r.top});
        }
        if (!out.empty()) SDL_UpdateWindowSurfaceRects(rec->sdl, out.data(), static_cast<int>(out.size()));
        return;
    }
    const bool direct = IsXrgb(screen);
    std::vector<SDL_Rect> out;
    out.reserve(static_cast<std::size_t>(count));
    if (SDL_MUSTLOCK(screen)) SDL_LockSurface(screen);
    for (int i = 0; i < count; ++i) {
        Rect r;
        if (!Intersect(rects[i], w, h, &r)) continue;
        const std::uint32_t* src = rec->store.data() + static_cast<std::size_t>(r.top) * rec->width + r.left;
        auto* dst = static_cast<std::uint8_t*>(screen->pixels) + static_cast<std::size_t>(r.top) * screen->pitch +
                    static_cast<std::size_t>(r.left) * screen->format->BytesPerPixel;
        const int rw = r.right - r.left, rh = r.bottom - r.top;
        if (direct) {
            for (int row = 0; row < rh; ++row)
                std::memcpy(dst + static_cast<std::size_t>(row) * screen->pitch,
                            src + static_cast<std::size_t>(row) * rec->width, static_cast<std::size_t>(rw) * 4);
        } else {
            SDL_ConvertPixels(rw, rh, SDL_PIXELFORMAT_RGB888, src, rec->width * 4, screen->format->format, dst,
                              screen->pitch);
        }
        out.push_back(SDL_Rect{r.left, r.top, rw, rh});
    }
    if (SDL_MUSTLOCK(screen)) SDL_UnlockSurface(screen);
    if (!out.empty()) SDL_UpdateWindowSurfaceRects(rec->sdl, out.data(), static_cast<int>(out.size()));
}

Rect BeginPaint(Hwnd hwnd) {
    posix::WindowRec* rec = posix::Find(hwnd);
    if (!rec) return Rect{};
    Rect r = rec->paintPending ? rec->invalid : Rect{};
    rec->paintPending = false;
    rec->invalid = Rect{};
    return r;
}

void InvalidateRect(Hwnd hwnd, const Rect* rect) {
    posix::WindowRec* rec = posix::Find(hwnd);
    if (!rec) return;
    Rect r = rect ? *rect : Rect{0, 0, rec->width, rec->height};
    if (rec->paintPending) {
        r = Rect{std::min(r.left, rec->invalid.left), std::min(r.top, rec->invalid.top),
                 std::max(r.right, rec->invalid.right), std::max(r.bottom, rec->invalid.bottom)};
    }
    rec->invalid = r;
    rec->paintPending = true;
}

int MessageBox(Hwnd owner, const char* text, const char* caption, std::uint32_t) {
    posix::WindowRec* rec = posix::Find(owner);
    // The box must get the input the full-screen window holds while it is open.
    Ungrab(rec);
    if (posix::EnsureVideo()) {
        // SDL's X11 box uses these values as pixels directly; on a palette display only the
        // screen's own black and white pixels give black text on white.
        auto colour = [](unsigned long p) {
            return SDL_MessageBoxColor{static_cast<Uint8>((p >> 16) & 0xff), static_cast<Uint8>((p >> 8) & 0xff),
                                       static_cast<Uint8>(p & 0xff)};
        };
        const SDL_MessageBoxColor black = colour(posix::x11::BlackPixelValue());
        const SDL_MessageBoxColor white = colour(posix::x11::WhitePixelValue());
        SDL_MessageBoxColorScheme scheme;
        scheme.colors[SDL_MESSAGEBOX_COLOR_BACKGROUND] = white;
        scheme.colors[SDL_MESSAGEBOX_COLOR_TEXT] = black;
        scheme.colors[SDL_MESSAGEBOX_COLOR_BUTTON_BORDER] = black;
        scheme.colors[SDL_MESSAGEBOX_COLOR_BUTTON_BACKGROUND] = white;
        scheme.colors[SDL_MESSAGEBOX_COLOR_BUTTON_SELECTED] = black;
        SDL_MessageBoxButtonData button{
            SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 1, "OK"};
        SDL_MessageBoxData data;
        std::memset(&data, 0, sizeof data);
        data.flags = SDL_MESSAGEBOX_INFORMATION;
        data.window = nullptr;  // an owner that covers the screen would hide the box
        data.title = caption ? caption : "";
        data.message = text ? text : "";
        data.numbuttons = 1;
        data.buttons = &button;
        data.colorScheme = &scheme;
        int pressed = 0;
        SDL_ShowMessageBox(&data, &pressed);
    }
    Grab(posix::Find(owner));
    return 1;  // IDOK
}

DisplayCaps GetDisplayCaps() {
    DisplayCaps caps;
    if (!posix::EnsureVideo()) {
        caps.width = caps.height = 0;
        return caps;
    }
    int depth = posix::x11::DefaultDepthBits();
    // Only a visual with colour masks can show the 32-bit stores: any other is refused the way
    // a palette display is.
    if (depth > 8 && !posix::x11::DefaultVisualHasColourMasks()) depth = 8;
    caps.bitsPerPixel = depth == 24 ? 32 : depth;
    caps.width = posix::x11::ScreenWidth();
    caps.height = posix::x11::ScreenHeight();
    int hw = 0, hh = 0;
    if (posix::St().hostWindow && posix::x11::WindowSize(posix::St().hostWindow, &hw, &hh)) {
        caps.width = hw;
        caps.height = hh;
    }
    if (depth <= 8) {
        caps.rasterCaps = RC_PALETTE;
        caps.numColors = 20;
        caps.sizePalette = 1 << depth;
    }
    return caps;
}

int GetMonitors(Rect* area, Rect* monitors, int max) {
    const DisplayCaps caps = GetDisplayCaps();  // the root window, or XScreenSaver's window
    const Rect whole{0, 0, caps.width, caps.height};
    if (area) *area = whole;
    if (!monitors || max <= 0) return 0;
    std::vector<Rect> found;
    // Inside XScreenSaver's window the daemon decides what each of its windows shows.
    if (posix::St().hostWindow || !posix::x11::Monitors(&found)) found.assign(1, whole);
    const int n = std::min(max, static_cast<int>(found.size()));
    std::copy_n(found.begin(), n, monitors);
    return n;
}

Surface* GetDisplaySurface() {
    posix::State& s = posix::St();
    for (auto& r : s.windows)
        if (r->screenWindow && !r->destroying && r->surface.pixels) return &r->surface;
    const DisplayCaps caps = GetDisplayCaps();
    const std::size_t need = static_cast<std::size_t>(std::max(caps.width, 0)) * std::max(caps.height, 0);
    if (need == 0) return nullptr;
    if (s.displayStore.size() != need) s.displayStore.assign(need, 0u);
    s.displaySurface = Surface{s.displayStore.data(), caps.width, caps.height, caps.width};
    return &s.displaySurface;
}

void PresentDisplay(const Rect* rects, int count) {
    for (auto& r : posix::St().windows) {
        if (r->screenWindow && !r->destroying) {
            PresentRects(r->hwnd, rects, count);
            return;
        }
    }
}

}  // namespace plat
