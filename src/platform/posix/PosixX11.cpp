// Xlib beside SDL2: our own connection for depth, foreign windows and their destruction.
#include "platform/posix/PosixX11.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <bit>
#include <cstring>

#include <X11/Xlibint.h>  // the request buffer, to flush only when it holds something
#undef min
#undef max

namespace plat::posix::x11 {

namespace {

struct XState {
    Display* dpy = nullptr;
    bool tried = false;
    GC gc = nullptr;  // for PutRects, made for drawables of gcDepth
    int gcDepth = 0;
    std::vector<std::uint32_t> image;  // PutRects' conversion buffer, reused frame to frame
};

XState& X() {
    static XState s;  // the back-end's own connection state
    return s;
}

// Drawing into or querying a window that was just destroyed raises BadWindow/BadDrawable;
// Xlib's default handler would end the process. Such errors are expected here and harmless.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

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

bool DefaultVisualHasColourMasks() {
    if (!X().dpy) return false;
    const int kind = DefaultVisual(X().dpy, DefaultScreen(X().dpy))->c_class;
    return kind == TrueColor || kind == DirectColor;
}

int ScreenWidth() { return X().dpy ? DisplayWidth(X().dpy, DefaultScreen(X().dpy)) : 0; }
int ScreenHeight() { return X().dpy ? DisplayHeight(X().dpy, DefaultScreen(X().dpy)) : 0; }

bool Monitors(std::vector<Rect>* out) {
    Display* dpy = X().dpy;
    out->clear();
    if (!dpy) return false;
    // Xinerama first: where both exist (Xephyr with several screens) only it names every head.
    int event = 0, error = 0;
    if (XineramaQueryExtension(dpy, &event, &error) && XineramaIsActive(dpy)) {
        int n = 0;
        if (XineramaScreenInfo* heads = XineramaQueryScreens(dpy, &n)) {
            for (int i = 0; i < n; ++i)
                out->push_back(Rect{heads[i].x_org, heads[i].y_org, heads[i].x_org + heads[i].width,
                                    heads[i].y_org + heads[i].height});
            XFree(heads);
        }
    }
    int major = 0, minor = 0;
    if (out->empty() && XRRQueryExtension(dpy, &event, &error) && XRRQueryVersion(dpy, &major, &minor) &&
        (major > 1 || (major == 1 && minor >= 5))) {
        int n = 0;
        if (XRRMonitorInfo* mons = XRRGetMonitors(dpy, DefaultRootWindow(dpy), True, &n)) {
            for (int i = 0; i < n; ++i)
                out->push_back(Rect{mons[i].x, mons[i].y, mons[i].x + mons[i].width, mons[i].y + mons[i].height});
            XRRFreeMonitors(mons);
        }
    }
    // A monitor without pixels is dropped; none left means "one monitor".
    std::erase_if(*out, [](const Rect& r) { return r.right <= r.left || r.bottom <= r.top; });
    return !out->empty();
}

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
    Window w = XCreateWindow(dpy, static_cast<Window>(parent), x, y, width > 0 ? width : 1, height > 0 ? height : 1, 0,
                             CopyFromParent, InputOutput, CopyFromParent, CWEventMask | CWBackPixmap, &attr);
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

void MoveChild(unsigned long window, int x, int y) {
    if (!X().dpy || !window) return;
    XMoveWindow(X().dpy, static_cast<Window>(window), x, y);
    XFlush(X().dpy);
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
        else if (ev.type == ConfigureNotify)
            out->push_back(Event{Event::Resized, static_cast<unsigned long>(ev.xconfigure.window), ev.xconfigure.width,
                                 ev.xconfigure.height});
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

namespace {

// One colour channel of a TrueColor visual: an 8-bit value widened or narrowed to the mask.
struct Channel {
    explicit Channel(unsigned long mask) {
        while (mask != 0 && (mask & 1) == 0) {
            mask >>= 1;
            ++shift;
        }
        while (mask & 1) {
            mask >>= 1;
            ++bits;
        }
    }
    std::uint32_t Put(std::uint32_t c8) const {
        if (bits == 0) return 0;
        const std::uint32_t c = bits >= 8 ? (c8 << (bits - 8)) | (c8 >> (16 - std::min(bits, 16))) : c8 >> (8 - bits);
        return c << shift;
    }
    int shift = 0;
    int bits = 0;
};

}  // namespace

bool PutRects(unsigned long window, const std::uint32_t* pixels, int pitch, const Rect* rects, int count) {
    XState& s = X();
    XWindowAttributes attr;
    std::memset(&attr, 0, sizeof attr);
    if (!s.dpy || !pixels || !XGetWindowAttributes(s.dpy, static_cast<Window>(window), &attr) || !attr.visual ||
        (attr.visual->c_class != TrueColor && attr.visual->c_class != DirectColor))
        return false;
    if (!s.gc || s.gcDepth != attr.depth) {
        if (s.gc) XFreeGC(s.dpy, s.gc);
        s.gc = XCreateGC(s.dpy, static_cast<Window>(window), 0, nullptr);
        s.gcDepth = attr.depth;
    }
    const Channel red(attr.visual->red_mask), green(attr.visual->green_mask), blue(attr.visual->blue_mask);
    for (int i = 0; i < count; ++i) {
        const Rect& r = rects[i];
        const int w = r.right - r.left, h = r.bottom - r.top;
        if (w <= 0 || h <= 0) continue;
        XImage* img = XCreateImage(s.dpy, attr.visual, static_cast<unsigned>(attr.depth), ZPixmap, 0, nullptr,
                                   static_cast<unsigned>(w), static_cast<unsigned>(h), 32, 0);
        if (!img) return false;
        s.image.resize((static_cast<std::size_t>(img->bytes_per_line) * h + 3) / 4);
        img->data = reinterpret_cast<char*>(s.image.data());
        // 32 bits a pixel in this machine's byte order is written directly, anything else per pixel.
        const bool native =
            img->bits_per_pixel == 32 && (img->byte_order == LSBFirst) == (std::endian::native == std::endian::little);
        for (int y = 0; y < h; ++y) {
            const std::uint32_t* src = pixels + static_cast<std::size_t>(r.top + y) * pitch + r.left;
            auto* row = reinterpret_cast<std::uint32_t*>(img->data + static_cast<std::size_t>(y) * img->bytes_per_line);
            for (int x = 0; x < w; ++x) {
                const std::uint32_t p = src[x];
                const std::uint32_t v = red.Put((p >> 16) & 0xff) | green.Put((p >> 8) & 0xff) | blue.Put(p & 0xff);
                if (native) row[x] = v;
                else XPutPixel(img, x, y, v);
            }
        }
        XPutImage(s.dpy, static_cast<Window>(window), s.gc, img, 0, 0, r.left, r.top, static_cast<unsigned>(w),
                  static_cast<unsigned>(h));
        img->data = nullptr;  // the buffer is ours
        XDestroyImage(img);
    }
    XFlush(s.dpy);
    return true;
}

unsigned long BlackPixelValue() { return X().dpy ? BlackPixel(X().dpy, DefaultScreen(X().dpy)) : 0; }
unsigned long WhitePixelValue() { return X().dpy ? WhitePixel(X().dpy, DefaultScreen(X().dpy)) : 0xffffffUL; }

}  // namespace plat::posix::x11
