// Xlib beside SDL2: our own connection for depth, foreign windows and their destruction.
#include "platform/posix/PosixX11.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <X11/Xlibint.h>  // the request buffer, to flush only when it holds something
#undef min
#undef max

namespace plat::posix::x11 {

namespace {

struct XState {
    Display* dpy = nullptr;
    bool tried = false;
};

XState& X() {
    static XState s;  // the back-end's own connection state
    return s;
}

// Drawing into or querying a window that was just destroyed raises BadWindow/BadDrawable;
// Xlib's default handler would end the process. Such errors are expected here and harmless.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

bool ParseWindowId(const char* text, unsigned long* out) {
    if (!text) return false;
    while (*text == ' ' || *text == '\t') ++text;
    if (!*text) return false;
    char* end = nullptr;
    unsigned long v = std::strtoul(text, &end, 0);  // "0x..." hex or decimal
    if (end == text || v == 0) return false;
    while (*end == ' ' || *end == '\t') ++end;
    if (*end) return false;
    *out = v;
    return true;
}

}  // namespace

bool Open() {
    XState& s = X();
    if (s.tried) return s.dpy != nullptr;
    s.tried = true;
    s.dpy = XOpenDisplay(nullptr);
    XSetErrorHandler(IgnoreXError);
    return s.dpy != nullptr;
}

int DefaultDepthBits() {
    if (!X().dpy) return 0;
    return DefaultDepth(X().dpy, DefaultScreen(X().dpy));
}

int ScreenWidth() { return X().dpy ? DisplayWidth(X().dpy, DefaultScreen(X().dpy)) : 0; }
int ScreenHeight() { return X().dpy ? DisplayHeight(X().dpy, DefaultScreen(X().dpy)) : 0; }

bool WindowSize(unsigned long window, int* width, int* height) {
    if (!X().dpy || window == 0 || window > 0x1fffffffUL) return false;
    XWindowAttributes attr;
    std::memset(&attr, 0, sizeof attr);
    if (!XGetWindowAttributes(X().dpy, static_cast<Window>(window), &attr)) return false;
    if (width) *width = attr.width;
    if (height) *height = attr.height;
    return true;
}

unsigned long CreateChild(unsigned long parent, int x, int y, int width, int height) {
    Display* dpy = X().dpy;
    if (!dpy || !WindowSize(parent, nullptr, nullptr)) return 0;
    XSetWindowAttributes attr;
    std::memset(&attr, 0, sizeof attr);
    attr.event_mask = StructureNotifyMask | ExposureMask;
    attr.background_pixmap = None;  // every pixel comes from the paint handler
    Window w = XCreateWindow(dpy, static_cast<Window>(parent), x, y, width > 0 ? width : 1,
                             height > 0 ? height : 1, 0, CopyFromParent, InputOutput, CopyFromParent,
                             CWEventMask | CWBackPixmap, &attr);
    if (!w) return 0;
    // The parent's DestroyNotify tells us that the preview area went away.
    XWindowAttributes pa;
    if (XGetWindowAttributes(dpy, static_cast<Window>(parent), &pa))
        XSelectInput(dpy, static_cast<Window>(parent), pa.your_event_mask | StructureNotifyMask);
    XMapWindow(dpy, w);
    XSync(dpy, False);
    if (!WindowSize(w, nullptr, nullptr)) return 0;  // parent vanished meanwhile
    return static_cast<unsigned long>(w);
}

void DestroyChild(unsigned long window) {
    if (!X().dpy || !window) return;
    XDestroyWindow(X().dpy, static_cast<Window>(window));
    XSync(X().dpy, False);
}

void Drain(std::vector<Event>* out) {
    Display* dpy = X().dpy;
    if (!dpy) return;
    while (XPending(dpy) > 0) {
        XEvent ev;
        XNextEvent(dpy, &ev);
        if (ev.type == DestroyNotify)
            out->push_back(Event{Event::Destroyed, static_cast<unsigned long>(ev.xdestroywindow.window)});
        else if (ev.type == Expose && ev.xexpose.count == 0)
            out->push_back(Event{Event::Exposed, static_cast<unsigned long>(ev.xexpose.window)});
    }
}

int ConnectionFd() { return X().dpy ? ConnectionNumber(X().dpy) : -1; }

namespace {
bool WmInfo(SDL_Window* win, SDL_SysWMinfo* info) {
    if (!win) return false;
    SDL_VERSION(&info->version);
    return SDL_GetWindowWMInfo(win, info) && info->subsystem == SDL_SYSWM_X11;
}

// XFlush also reads the connection; it is called only when requests wait in Xlib's buffer.
bool FlushedQueue(Display* dpy) {
    if (!dpy) return false;
    const auto* priv = reinterpret_cast<const struct _XDisplay*>(dpy);
    if (priv->bufptr != priv->buffer) XFlush(dpy);
    return XEventsQueued(dpy, QueuedAlready) > 0;
}
}  // namespace

int SdlConnectionFd(SDL_Window* win) {
    SDL_SysWMinfo info;
    if (!WmInfo(win, &info) || !info.info.x11.display) return -1;
    return ConnectionNumber(info.info.x11.display);
}

bool FlushAndQueued() { return FlushedQueue(X().dpy); }

bool SdlFlushAndQueued(SDL_Window* win) {
    SDL_SysWMinfo info;
    return WmInfo(win, &info) && FlushedQueue(info.info.x11.display);
}

unsigned long SdlWindowId(SDL_Window* win) {
    SDL_SysWMinfo info;
    if (!WmInfo(win, &info)) return 0;
    return static_cast<unsigned long>(info.info.x11.window);
}

unsigned long BlackPixelValue() { return X().dpy ? BlackPixel(X().dpy, DefaultScreen(X().dpy)) : 0; }
unsigned long WhitePixelValue() {
    return X().dpy ? WhitePixel(X().dpy, DefaultScreen(X().dpy)) : 0xffffffUL;
}

unsigned long HostWindowFromEnvironment() {
    unsigned long id = 0;
    bool found = ParseWindowId(std::getenv("XSCREENSAVER_WINDOW"), &id);
    if (!found) {
        // "-window-id ID" / "--window-id ID" following the mode letter (XScreenSaver's hack form).
        if (FILE* f = std::fopen("/proc/self/cmdline", "rb")) {
            std::string all;
            char buf[4096];
            std::size_t n;
            while ((n = std::fread(buf, 1, sizeof buf, f)) > 0 && all.size() < (1u << 16)) all.append(buf, n);
            std::fclose(f);
            std::vector<std::string> args;
            std::size_t start = 0;
            for (std::size_t i = 0; i < all.size(); ++i) {
                if (all[i] == '\0') {
                    args.push_back(all.substr(start, i - start));
                    start = i + 1;
                }
            }
            for (std::size_t i = 2; i + 1 < args.size() && !found; ++i) {
                if (args[i] == "-window-id" || args[i] == "--window-id")
                    found = ParseWindowId(args[i + 1].c_str(), &id);
            }
        }
    }
    if (!found || !WindowSize(id, nullptr, nullptr)) return 0;
    return id;
}

}  // namespace plat::posix::x11
