// Headless windows: in-memory screen, 32-bit backing stores, message queue, simulated-clock timers.
#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Messages.h"
#include "platform/Window.h"
#include "platform/headless/HeadlessDialog.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/HeadlessSystem.h"

using namespace plat::codes;

namespace {

struct WindowClass {
    std::uint32_t style = 0;
    std::uint16_t cursor = 0;
    plat::WndProc proc = nullptr;
};

struct Window {
    plat::Hwnd hwnd = 0;
    plat::WndProc proc = nullptr;  // null: a foreign window
    void* user = nullptr;
    std::uint32_t style = 0;
    std::int32_t x = 0, y = 0;
    plat::Hwnd parent = 0;
    std::vector<std::uint32_t> pixels;
    plat::Surface surface;
    bool needsPaint = false;
    plat::Rect invalid;
    bool destroying = false;
};

struct Timer {
    plat::Hwnd hwnd = 0;
    std::uintptr_t id = 0;
    std::uint32_t period = 0;
    std::int64_t due = 0;
};

// The back-end's one state object: what a window system would hold for the process.
struct Display {
    plat::DisplayCaps caps;
    std::vector<plat::Rect> monitors;  // empty: one monitor, the whole screen
    std::vector<std::uint32_t> screenPixels;
    plat::Surface screen;
    std::map<std::string, WindowClass> classes;
    int registrations = 0;
    std::map<plat::Hwnd, std::unique_ptr<Window>> windows;
    std::vector<plat::Hwnd> order;  // creation order
    plat::Hwnd nextHandle = 0x100;
    std::deque<plat::Msg> queue;
    bool quitPosted = false;
    int quitCode = 0;
    bool quitReceived = false;
    int quitReceivedCode = 0;
    std::vector<Timer> timers;
    int tickBudget = 0;
    std::vector<headless::Presented> presents;
    std::vector<plat::Msg> posted;
    std::vector<headless::MessageBoxRecord> boxes;
    int cursorNone = 0;
    int cursorCount = 0;
};

Display g_display;

Display& D() { return g_display; }

void MakeSurface(std::vector<std::uint32_t>& pixels, plat::Surface& s, std::int32_t w, std::int32_t h) {
    w = std::max(w, 0);
    h = std::max(h, 0);
    pixels.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0u);
    s.pixels = pixels.empty() ? nullptr : pixels.data();
    s.width = w;
    s.height = h;
    s.pitch = w;
}

Window* Find(plat::Hwnd h) {
    auto it = D().windows.find(h);
    return it == D().windows.end() ? nullptr : it->second.get();
}

plat::Point ScreenOrigin(const Window* w) {
    plat::Point p{w->x, w->y};
    for (const Window* p2 = Find(w->parent); p2 != nullptr; p2 = Find(p2->parent)) {
        p.x += p2->x;
        p.y += p2->y;
    }
    return p;
}

void ClearAll(plat::Rect& r) { r = plat::Rect{}; }

void Invalidate(Window* w, const plat::Rect* rect) {
    const plat::Rect whole{0, 0, w->surface.width, w->surface.height};
    plat::Rect r = rect != nullptr ? *rect : whole;
    if (w->needsPaint) {
        w->invalid.left = std::min(w->invalid.left, r.left);
        w->invalid.top = std::min(w->invalid.top, r.top);
        w->invalid.right = std::max(w->invalid.right, r.right);
        w->invalid.bottom = std::max(w->invalid.bottom, r.bottom);
    } else {
        w->invalid = r;
    }
    w->needsPaint = true;
}

bool InRange(std::uint32_t msg, std::uint32_t lo, std::uint32_t hi) {
    if (lo == 0 && hi == 0) return true;
    return msg >= lo && msg <= hi;
}

bool WindowMatches(plat::Hwnd filter, plat::Hwnd h) { return filter == 0 || filter == h; }

// Win32 order of retrieval: posted messages, WM_QUIT, WM_PAINT, then due timers.
bool NextMessage(plat::Msg* out, plat::Hwnd hwnd, std::uint32_t lo, std::uint32_t hi, bool remove) {
    Display& d = D();
    for (auto it = d.queue.begin(); it != d.queue.end(); ++it) {
        if (!WindowMatches(hwnd, it->hwnd) || !InRange(it->message, lo, hi)) continue;
        *out = *it;
        if (remove) d.queue.erase(it);
        return true;
    }
    if (d.quitPosted && hwnd == 0 && InRange(WM_QUIT, lo, hi)) {
        *out = plat::Msg{0, WM_QUIT, static_cast<std::uintptr_t>(d.quitCode), 0};
        if (remove) d.quitPosted = false;
        return true;
    }
    if (InRange(WM_PAINT, lo, hi)) {
        for (plat::Hwnd h : d.order) {
            Window* w = Find(h);
            if (w != nullptr && w->needsPaint && w->proc != nullptr && WindowMatches(hwnd, h)) {
                *out = plat::Msg{h, WM_PAINT, 0, 0};
                return true;  // stays until the window is validated
            }
        }
    }
    if (InRange(WM_TIMER, lo, hi)) {
        const std::int64_t now = headless::NowMs();
        for (Timer& t : d.timers) {
            if (t.due > now || !WindowMatches(hwnd, t.hwnd)) continue;
            *out = plat::Msg{t.hwnd, WM_TIMER, t.id, 0};
            if (remove) t.due = now + t.period;
            return true;
        }
    }
    return false;
}

// The earliest timer, for a timer event that moves the simulated clock.
Timer* EarliestTimer() {
    Timer* best = nullptr;
    for (Timer& t : D().timers) {
        if (best == nullptr || t.due < best->due) best = &t;
    }
    return best;
}

void RemoveWindowTraces(plat::Hwnd h) {
    Display& d = D();
    d.queue.erase(std::remove_if(d.queue.begin(), d.queue.end(), [h](const plat::Msg& m) { return m.hwnd == h; }),
                  d.queue.end());
    d.timers.erase(std::remove_if(d.timers.begin(), d.timers.end(), [h](const Timer& t) { return t.hwnd == h; }),
                   d.timers.end());
}

std::intptr_t Deliver(Window* w, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    if (w == nullptr || w->proc == nullptr) return 0;
    return w->proc(w->hwnd, msg, wParam, lParam);
}

void Destroy(plat::Hwnd h) {
    Window* w = Find(h);
    if (w == nullptr || w->destroying) return;
    w->destroying = true;
    Deliver(w, WM_DESTROY, 0, 0);
    // Children go with their parent, after the parent's WM_DESTROY and before its WM_NCDESTROY.
    std::vector<plat::Hwnd> children;
    for (plat::Hwnd c : D().order) {
        Window* cw = Find(c);
        if (cw != nullptr && cw->parent == h) children.push_back(c);
    }
    for (plat::Hwnd c : children) Destroy(c);
    w = Find(h);
    if (w != nullptr) Deliver(w, WM_NCDESTROY, 0, 0);
    RemoveWindowTraces(h);
    D().order.erase(std::remove(D().order.begin(), D().order.end(), h), D().order.end());
    D().windows.erase(h);
}

}  // namespace

namespace plat {

bool RegisterClass(const char* className, std::uint32_t classStyle, std::uint16_t cursorResId, WndProc proc) {
    if (className == nullptr || proc == nullptr || IsClassRegistered(className)) return false;
    D().classes[className] = WindowClass{classStyle, cursorResId, proc};
    ++D().registrations;
    return true;
}

bool IsClassRegistered(const char* className) { return className != nullptr && D().classes.count(className) != 0; }

Hwnd CreateWindowEx(std::uint32_t exStyle, const char* className, const char* /*title*/, std::uint32_t style,
                    std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, Hwnd parent, void* user) {
    Display& d = D();
    if (className == nullptr) return 0;
    auto cls = d.classes.find(className);
    if (cls == d.classes.end()) return 0;
    if (parent != 0 && Find(parent) == nullptr) return 0;
    if ((style & WS_CHILD) != 0 && parent == 0) return 0;
    auto w = std::make_unique<Window>();
    w->hwnd = d.nextHandle;
    d.nextHandle += 4;
    w->proc = cls->second.proc;
    w->user = user;
    w->style = style;
    w->x = x;
    w->y = y;
    w->parent = parent;
    MakeSurface(w->pixels, w->surface, width, height);
    const Hwnd h = w->hwnd;
    d.windows[h] = std::move(w);
    d.order.push_back(h);

    CreateParams cp{user, exStyle, style, x, y, width, height, parent};
    const std::intptr_t r = Deliver(Find(h), WM_CREATE, 0, reinterpret_cast<std::intptr_t>(&cp));
    if (r == -1) {
        Destroy(h);
        return 0;
    }
    Window* made = Find(h);
    if (made == nullptr) return 0;  // destroyed during its own creation
    if ((style & WS_VISIBLE) != 0) Invalidate(made, nullptr);
    return h;
}

bool DestroyWindow(Hwnd hwnd) {
    Window* w = Find(hwnd);
    if (w == nullptr || w->destroying) return false;
    Destroy(hwnd);
    return true;
}

void* GetWindowUserData(Hwnd hwnd) {
    Window* w = Find(hwnd);
    return w != nullptr ? w->user : nullptr;
}

bool IsWindow(Hwnd hwnd) { return Find(hwnd) != nullptr; }

bool GetClientRect(Hwnd hwnd, Rect* out) {
    Window* w = Find(hwnd);
    if (w == nullptr || out == nullptr) return false;
    *out = Rect{0, 0, w->surface.width, w->surface.height};
    return true;
}

Surface* GetWindowSurface(Hwnd hwnd) {
    Window* w = Find(hwnd);
    return w != nullptr && w->proc != nullptr ? &w->surface : nullptr;
}

void PresentRects(Hwnd hwnd, const Rect* rects, int count) {
    Window* w = Find(hwnd);
    if (w == nullptr || rects == nullptr) return;
    Display& d = D();
    const Point origin = ScreenOrigin(w);
    for (int i = 0; i < count; ++i) {
        d.presents.push_back(headless::Presented{hwnd, rects[i]});
        // Clip to the window, then to the screen.
        Rect r = rects[i];
        r.left = std::max(r.left, 0);
        r.top = std::max(r.top, 0);
        r.right = std::min(r.right, w->surface.width);
        r.bottom = std::min(r.bottom, w->surface.height);
        r.left = std::max(r.left, -origin.x);
        r.top = std::max(r.top, -origin.y);
        r.right = std::min(r.right, d.screen.width - origin.x);
        r.bottom = std::min(r.bottom, d.screen.height - origin.y);
        if (r.left >= r.right || r.top >= r.bottom) continue;
        const std::size_t n = static_cast<std::size_t>(r.right - r.left) * sizeof(std::uint32_t);
        for (std::int32_t yy = r.top; yy < r.bottom; ++yy) {
            std::memcpy(
                d.screen.pixels + static_cast<std::ptrdiff_t>(yy + origin.y) * d.screen.pitch + r.left + origin.x,
                w->surface.pixels + static_cast<std::ptrdiff_t>(yy) * w->surface.pitch + r.left, n);
        }
    }
}

Rect BeginPaint(Hwnd hwnd) {
    Window* w = Find(hwnd);
    if (w == nullptr) return Rect{};
    const Rect r = w->needsPaint ? w->invalid : Rect{};
    w->needsPaint = false;
    ClearAll(w->invalid);
    return r;
}

void InvalidateRect(Hwnd hwnd, const Rect* rect) {
    if (Window* w = Find(hwnd)) Invalidate(w, rect);
}

std::intptr_t DefWindowProc(Hwnd hwnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t /*lParam*/) {
    Window* w = Find(hwnd);
    if (w == nullptr) return 0;
    switch (msg) {
        case WM_CLOSE: Destroy(hwnd); return 0;
        case WM_PAINT:
            w->needsPaint = false;
            ClearAll(w->invalid);
            return 0;
        case WM_SYSKEYDOWN:
            if (wParam == VK_F4) SendMessage(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
            return 0;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0u) == SC_CLOSE) SendMessage(hwnd, WM_CLOSE, 0, 0);
            return 0;
        case WM_SETCURSOR: return 1;
        default: return 0;
    }
}

bool PostMessage(Hwnd hwnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    if (hwnd != 0 && Find(hwnd) == nullptr) return false;
    D().queue.push_back(Msg{hwnd, msg, wParam, lParam});
    D().posted.push_back(D().queue.back());
    return true;
}

std::intptr_t SendMessage(Hwnd hwnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    Window* w = Find(hwnd);
    std::intptr_t routed = 0;
    // Dialogs and their controls (BM_*, TBM_*) belong to the headless dialog host.
    if (w == nullptr && headless::DialogSendMessage(hwnd, msg, wParam, lParam, &routed)) return routed;
    return Deliver(w, msg, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
    D().quitPosted = true;
    D().quitCode = exitCode;
}

bool GetMessage(Msg* out) {
    if (out == nullptr) return false;
    Display& d = D();
    if (NextMessage(out, 0, 0, 0, true)) {
        if (out->message != WM_QUIT) return true;
        d.quitReceived = true;
        d.quitReceivedCode = static_cast<int>(out->wParam);
        return false;
    }
    Timer* t = d.tickBudget > 0 ? EarliestTimer() : nullptr;
    if (t != nullptr) {
        --d.tickBudget;
        if (t->due > headless::NowMs()) headless::SetClockMs(t->due);
        *out = Msg{t->hwnd, WM_TIMER, t->id, 0};
        t->due = headless::NowMs() + t->period;
        return true;
    }
    *out = Msg{};  // idle: nothing to do and no timer event allowed
    return false;
}

bool PeekMessage(Msg* out, Hwnd hwnd, std::uint32_t minMsg, std::uint32_t maxMsg, std::uint32_t remove) {
    if (out == nullptr) return false;
    return NextMessage(out, hwnd, minMsg, maxMsg, (remove & 1u) != 0);
}

std::intptr_t DispatchMessage(const Msg* msg) {
    if (msg == nullptr) return 0;
    return Deliver(Find(msg->hwnd), msg->message, msg->wParam, msg->lParam);
}

std::uintptr_t SetTimer(Hwnd hwnd, std::uintptr_t id, std::uint32_t ms) {
    if (Find(hwnd) == nullptr) return 0;
    const std::int64_t due = headless::NowMs() + ms;
    for (Timer& t : D().timers) {
        if (t.hwnd == hwnd && t.id == id) {
            t.period = ms;
            t.due = due;
            return id;
        }
    }
    D().timers.push_back(Timer{hwnd, id, ms, due});
    return id == 0 ? 1 : id;
}

bool KillTimer(Hwnd hwnd, std::uintptr_t id) {
    auto& ts = D().timers;
    auto it = std::find_if(ts.begin(), ts.end(), [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    if (it == ts.end()) return false;
    ts.erase(it);
    return true;
}

void SetCursorNone() { ++D().cursorNone; }

int ShowCursor(bool show) {
    D().cursorCount += show ? 1 : -1;
    return D().cursorCount;
}

int MessageBox(Hwnd owner, const char* text, const char* caption, std::uint32_t type) {
    D().boxes.push_back(
        headless::MessageBoxRecord{owner, text != nullptr ? text : "", caption != nullptr ? caption : "", type});
    return IDOK;
}

DisplayCaps GetDisplayCaps() { return D().caps; }

int GetMonitors(Rect* area, Rect* monitors, int max) {
    const Rect whole{0, 0, D().caps.width, D().caps.height};
    if (area != nullptr) *area = whole;
    if (monitors == nullptr || max <= 0) return 0;
    if (D().monitors.empty()) {
        monitors[0] = whole;
        return 1;
    }
    const int n = std::min(max, static_cast<int>(D().monitors.size()));
    std::copy_n(D().monitors.begin(), n, monitors);
    return n;
}

Surface* GetDisplaySurface() { return D().screen.pixels != nullptr ? &D().screen : nullptr; }

void PresentDisplay(const Rect* rects, int count) {
    if (rects == nullptr) return;
    for (int i = 0; i < count; ++i) D().presents.push_back(headless::Presented{0, rects[i]});
}

}  // namespace plat

namespace headless {

void ResetDisplay(std::int32_t width, std::int32_t height, std::int32_t bitsPerPixel) {
    Display& d = D();
    // Windows first (their objects hear WM_DESTROY/WM_NCDESTROY), top-level ones take children.
    while (!d.order.empty()) {
        plat::Hwnd h = d.order.front();
        Window* w = Find(h);
        while (w != nullptr && Find(w->parent) != nullptr) w = Find(w->parent);
        if (w != nullptr) Destroy(w->hwnd);
        else d.order.erase(d.order.begin());
    }
    d.windows.clear();
    d.queue.clear();
    d.quitPosted = false;
    d.quitReceived = false;
    d.timers.clear();
    d.tickBudget = 0;
    d.presents.clear();
    d.posted.clear();
    d.boxes.clear();
    d.cursorNone = 0;
    d.cursorCount = 0;
    d.classes.clear();
    d.registrations = 0;
    d.caps = plat::DisplayCaps{};
    d.monitors.clear();
    d.caps.bitsPerPixel = bitsPerPixel;
    d.caps.width = width;
    d.caps.height = height;
    if (bitsPerPixel <= 8) {
        d.caps.rasterCaps = RC_PALETTE;
        d.caps.numColors = 20;
        d.caps.sizePalette = 256;
    }
    MakeSurface(d.screenPixels, d.screen, width, height);
}

void SetMonitors(const std::vector<plat::Rect>& monitors) { D().monitors = monitors; }

const plat::Surface& Screen() { return D().screen; }

const plat::Surface* WindowBackingStore(plat::Hwnd hwnd) { return plat::GetWindowSurface(hwnd); }

bool WindowScreenOrigin(plat::Hwnd hwnd, plat::Point* out) {
    Window* w = Find(hwnd);
    if (w == nullptr || out == nullptr) return false;
    *out = ScreenOrigin(w);
    return true;
}

std::vector<plat::Hwnd> Windows() { return D().order; }

const std::vector<Presented>& PresentLog() { return D().presents; }
void ClearPresentLog() { D().presents.clear(); }

plat::Hwnd CreateForeignWindow(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
    Display& d = D();
    auto w = std::make_unique<Window>();
    w->hwnd = d.nextHandle;
    d.nextHandle += 4;
    w->x = x;
    w->y = y;
    MakeSurface(w->pixels, w->surface, width, height);
    const plat::Hwnd h = w->hwnd;
    d.windows[h] = std::move(w);
    d.order.push_back(h);
    return h;
}

const std::vector<MessageBoxRecord>& MessageBoxes() { return D().boxes; }
int CursorNoneCalls() { return D().cursorNone; }
int CursorDisplayCount() { return D().cursorCount; }
int ClassRegistrations() { return D().registrations; }

void SetTickBudget(int ticks) { D().tickBudget = std::max(ticks, 0); }
int TickBudget() { return D().tickBudget; }

int PumpMessages() {
    int n = 0;
    plat::Msg m;
    while (plat::GetMessage(&m)) {
        plat::DispatchMessage(&m);
        ++n;
    }
    return n;
}

int RunTicks(int ticks) {
    int fired = 0;
    plat::Msg m;
    D().tickBudget = std::max(ticks, 0);
    while (true) {
        const int before = D().tickBudget;
        if (!plat::GetMessage(&m)) break;
        if (D().tickBudget < before) ++fired;
        plat::DispatchMessage(&m);
    }
    D().tickBudget = 0;
    return fired;
}

bool QuitReceived(int* code) {
    if (code != nullptr) *code = D().quitReceivedCode;
    return D().quitReceived;
}

const std::vector<plat::Msg>& PostedLog() { return D().posted; }

std::vector<plat::Msg> PendingMessages() { return {D().queue.begin(), D().queue.end()}; }

}  // namespace headless
