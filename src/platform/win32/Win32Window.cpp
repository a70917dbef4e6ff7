// Windows back-end of the window seam: real HWNDs, the message queue, timers, painting, display.
#include "platform/Window.h"

#include "platform/win32/Win32State.h"

namespace plat {

using win32::Win32;

namespace {

HWND H(Hwnd hwnd) { return reinterpret_cast<HWND>(hwnd); }

// The one WNDPROC of every class registered through the seam: hands each message to the
// framework's window procedure of that window.
LRESULT CALLBACK SeamWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    win32::WindowRecord* rec = win32::RecordFor(hwnd, false);
    if (rec == nullptr || rec->proc == nullptr) return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    const WndProc proc = rec->proc;
    LRESULT result = 0;
    if (msg == WM_CREATE) {
        // The framework reads the seam's creation parameters, not Win32's CREATESTRUCT.
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        CreateParams cp{rec->user, cs->dwExStyle, static_cast<std::uint32_t>(cs->style), cs->x, cs->y,
                        cs->cx,    cs->cy,        reinterpret_cast<Hwnd>(cs->hwndParent)};
        result = proc(reinterpret_cast<Hwnd>(hwnd), msg, wParam, reinterpret_cast<std::intptr_t>(&cp));
    } else {
        result = proc(reinterpret_cast<Hwnd>(hwnd), msg, wParam, lParam);
    }
    if (msg == WM_NCDESTROY) Win32().windows.erase(hwnd);  // the last message: drop its backing store
    return result;
}

Msg FromMsg(const MSG& m) {
    Msg out;
    out.hwnd = reinterpret_cast<Hwnd>(m.hwnd);
    out.message = m.message;
    out.wParam = m.wParam;
    out.lParam = m.lParam;
    return out;
}

void Remember(const MSG& m) {
    Win32().lastMsg = m;
    Win32().haveLastMsg = true;
}

HDC ScreenDC() { return ::CreateDCA("DISPLAY", nullptr, nullptr, nullptr); }

}  // namespace

// CWnd::CreateEx, first window of a class: registers it with the seam's WNDPROC.
bool RegisterClass(const char* className, std::uint32_t classStyle, std::uint16_t cursorResId, WndProc proc) {
    if (className == nullptr || proc == nullptr) return false;
    WNDCLASSA wc{};
    wc.style = classStyle;
    wc.lpfnWndProc = &SeamWndProc;
    wc.hInstance = win32::Instance();
    wc.hCursor = cursorResId != 0 ? ::LoadCursorA(win32::Instance(), MAKEINTRESOURCEA(cursorResId)) : nullptr;
    wc.hbrBackground = nullptr;  // never erased: every pixel comes from the paint handler
    wc.lpszClassName = className;
    if (::RegisterClassA(&wc) == 0) return false;
    Win32().classes[className] = proc;
    return true;
}

// CWnd::CreateEx: has this class been registered by this process.
bool IsClassRegistered(const char* className) {
    if (className == nullptr) return false;
    return Win32().classes.count(className) != 0;
}

// CWnd::CreateEx: a real window; its record is bound before its first message.
Hwnd CreateWindowEx(std::uint32_t exStyle, const char* className, const char* title, std::uint32_t style,
                    std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, Hwnd parent, void* user) {
    if (className == nullptr) return 0;
    auto& st = Win32();
    auto cls = st.classes.find(className);
    const auto saved = st.pending;  // creation may nest (a window made inside WM_CREATE)
    st.pending = {};
    st.pending.active = cls != st.classes.end();
    st.pending.record.user = user;
    st.pending.record.proc = st.pending.active ? cls->second : nullptr;
    const std::string text = win32::ToAnsi(title);
    HWND hwnd = ::CreateWindowExA(exStyle, className, text.c_str(), style, x, y, width, height, H(parent), nullptr,
                                  win32::Instance(), nullptr);
    st.pending = saved;
    return reinterpret_cast<Hwnd>(hwnd);
}

// Framework, default WM_CLOSE handling and tests: DestroyWindow.
bool DestroyWindow(Hwnd hwnd) { return ::DestroyWindow(H(hwnd)) != 0; }

// Framework dispatch: the object pointer given at creation; nullptr for windows not made here.
void* GetWindowUserData(Hwnd hwnd) {
    auto& windows = Win32().windows;
    auto it = windows.find(H(hwnd));
    return it != windows.end() ? it->second.user : nullptr;
}

// Framework and modes: IsWindow.
bool IsWindow(Hwnd hwnd) { return hwnd != 0 && ::IsWindow(H(hwnd)) != 0; }

// CWnd::GetClientRect and the preview mode: GetClientRect.
bool GetClientRect(Hwnd hwnd, Rect* out) {
    RECT rc{};
    if (out == nullptr || ::GetClientRect(H(hwnd), &rc) == 0) return false;
    *out = Rect{rc.left, rc.top, rc.right, rc.bottom};
    return true;
}

// CDC of a window: the window's 32-bit backing store, kept at the client size.
Surface* GetWindowSurface(Hwnd hwnd) {
    auto& windows = Win32().windows;
    auto it = windows.find(H(hwnd));
    RECT rc{};
    if (it == windows.end() || ::GetClientRect(H(hwnd), &rc) == 0) return nullptr;
    it->second.store.Resize(rc.right - rc.left, rc.bottom - rc.top);
    return &it->second.store.surface;
}

// CDC of a window after drawing: SetDIBitsToDevice of exactly these rectangles.
void PresentRects(Hwnd hwnd, const Rect* rects, int count) {
    auto& windows = Win32().windows;
    auto it = windows.find(H(hwnd));
    if (it == windows.end() || rects == nullptr || count <= 0) return;
    HDC dc = ::GetDC(H(hwnd));
    if (dc == nullptr) return;
    win32::BlitStore(dc, it->second.store, rects, count);
    ::ReleaseDC(H(hwnd), dc);
}

// CWnd::BeginPaint: the update area; the window is validated at once because the framework
// draws through its backing store, not through the paint context.
Rect BeginPaint(Hwnd hwnd) {
    PAINTSTRUCT ps{};
    if (::BeginPaint(H(hwnd), &ps) == nullptr) return Rect{};
    const Rect r{ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom};
    ::EndPaint(H(hwnd), &ps);
    return r;
}

// CWnd::InvalidateRect: queue a WM_PAINT (no erase: the class has no background brush).
void InvalidateRect(Hwnd hwnd, const Rect* rect) {
    if (rect == nullptr) {
        ::InvalidateRect(H(hwnd), nullptr, FALSE);
        return;
    }
    const RECT rc{rect->left, rect->top, rect->right, rect->bottom};
    ::InvalidateRect(H(hwnd), &rc, FALSE);
}

// CWnd::Default: DefWindowProcA. WM_CREATE carries the seam's parameters, which Win32's default
// handling must not read; its default result is 0 anyway.
std::intptr_t DefWindowProc(Hwnd hwnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    if (msg == WM_CREATE) return 0;
    return ::DefWindowProcA(H(hwnd), msg, wParam, lParam);
}

// CWnd::PostMessage: PostMessageA.
bool PostMessage(Hwnd hwnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    return ::PostMessageA(H(hwnd), msg, wParam, lParam) != 0;
}

// CWnd::SendMessage and the dialog controls: SendMessageA.
std::intptr_t SendMessage(Hwnd hwnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    return ::SendMessageA(H(hwnd), msg, wParam, lParam);
}

// Main window's destruction: PostQuitMessage.
void PostQuitMessage(int exitCode) { ::PostQuitMessage(exitCode); }

// CWinApp::Run: GetMessageA; false on WM_QUIT (or a failed call, which would repeat forever).
bool GetMessage(Msg* out) {
    MSG m{};
    const BOOL r = ::GetMessageA(&m, nullptr, 0, 0);
    if (r == -1) return false;
    Remember(m);
    if (out != nullptr) *out = FromMsg(m);
    return r != 0;
}

// OnTimer's dropping of a late tick, and loops: PeekMessageA.
bool PeekMessage(Msg* out, Hwnd hwnd, std::uint32_t minMsg, std::uint32_t maxMsg, std::uint32_t remove) {
    MSG m{};
    if (::PeekMessageA(&m, H(hwnd), minMsg, maxMsg, remove) == 0) return false;
    if (remove & PM_REMOVE) Remember(m);
    if (out != nullptr) *out = FromMsg(m);
    return true;
}

// CWinApp::Run: TranslateMessage and DispatchMessageA, with the time and point of the message as
// it was retrieved (timer procedures and key translation read them).
std::intptr_t DispatchMessage(const Msg* msg) {
    if (msg == nullptr) return 0;
    auto& st = Win32();
    MSG m{};
    const MSG& last = st.lastMsg;
    if (st.haveLastMsg && reinterpret_cast<Hwnd>(last.hwnd) == msg->hwnd && last.message == msg->message &&
        last.wParam == msg->wParam && last.lParam == msg->lParam) {
        m = last;
    } else {
        m.hwnd = H(msg->hwnd);
        m.message = msg->message;
        m.wParam = msg->wParam;
        m.lParam = msg->lParam;
        m.time = static_cast<DWORD>(::GetMessageTime());
        const DWORD pos = ::GetMessagePos();
        m.pt.x = static_cast<short>(LOWORD(pos));
        m.pt.y = static_cast<short>(HIWORD(pos));
    }
    ::TranslateMessage(&m);
    return ::DispatchMessageA(&m);
}

// CWnd::SetTimer: SetTimer without a callback, so ticks arrive as WM_TIMER.
std::uintptr_t SetTimer(Hwnd hwnd, std::uintptr_t id, std::uint32_t ms) { return ::SetTimer(H(hwnd), id, ms, nullptr); }

// CWnd::KillTimer: KillTimer.
bool KillTimer(Hwnd hwnd, std::uintptr_t id) { return ::KillTimer(H(hwnd), id) != 0; }

// CSaverWnd::OnSetCursor: SetCursor(NULL).
void SetCursorNone() { ::SetCursor(nullptr); }

// VerifyAndClose: ShowCursor.
int ShowCursor(bool show) { return ::ShowCursor(show ? TRUE : FALSE); }

// CSceneWnd::OnCreate, colour-depth refusal: MessageBoxA.
int MessageBox(Hwnd owner, const char* text, const char* caption, std::uint32_t type) {
    const std::string t = win32::ToAnsi(text);
    const std::string c = win32::ToAnsi(caption);
    return ::MessageBoxA(H(owner), t.c_str(), c.c_str(), type);
}

// Display capabilities: GetDeviceCaps of a CreateDCA("DISPLAY") context.
DisplayCaps GetDisplayCaps() {
    DisplayCaps caps;
    HDC dc = ScreenDC();
    if (dc == nullptr) {
        caps.width = ::GetSystemMetrics(SM_CXSCREEN);
        caps.height = ::GetSystemMetrics(SM_CYSCREEN);
        return caps;
    }
    caps.bitsPerPixel = ::GetDeviceCaps(dc, BITSPIXEL);
    caps.width = ::GetDeviceCaps(dc, HORZRES);
    caps.height = ::GetDeviceCaps(dc, VERTRES);
    caps.rasterCaps = ::GetDeviceCaps(dc, RASTERCAPS);
    caps.numColors = ::GetDeviceCaps(dc, NUMCOLORS);
    caps.sizePalette = ::GetDeviceCaps(dc, SIZEPALETTE);
    ::DeleteDC(dc);
    return caps;
}

namespace {

// GetSystemMetrics indices and the monitor enumeration of Windows 98/2000 and later; the headers
// declare them only for newer targets, and older systems have neither (one screen there).
constexpr int kSmXVirtualScreen = 76, kSmYVirtualScreen = 77, kSmCxVirtualScreen = 78, kSmCyVirtualScreen = 79;
using MonitorEnumProc = BOOL(CALLBACK*)(void* hMonitor, HDC hdc, RECT* rcMonitor, LPARAM data);
using EnumDisplayMonitorsProc = BOOL(WINAPI*)(HDC hdc, const RECT* rcClip, MonitorEnumProc proc, LPARAM data);

struct MonitorList {
    Rect area;
    Rect* out;
    int max;
    int count;
};

BOOL CALLBACK CollectMonitor(void* /*hMonitor*/, HDC /*hdc*/, RECT* rc, LPARAM data) {
    auto* list = reinterpret_cast<MonitorList*>(data);
    if (list->count >= list->max) return FALSE;
    if (rc->right > rc->left && rc->bottom > rc->top)
        list->out[list->count++] = Rect{rc->left - list->area.left, rc->top - list->area.top,
                                        rc->right - list->area.left, rc->bottom - list->area.top};
    return TRUE;
}

}  // namespace

// Full-screen set-up: the virtual screen and EnumDisplayMonitors' monitors in it.
int GetMonitors(Rect* area, Rect* monitors, int max) {
    Rect whole{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    const int cx = ::GetSystemMetrics(kSmCxVirtualScreen), cy = ::GetSystemMetrics(kSmCyVirtualScreen);
    if (cx > 0 && cy > 0) {
        const int x = ::GetSystemMetrics(kSmXVirtualScreen), y = ::GetSystemMetrics(kSmYVirtualScreen);
        whole = Rect{x, y, x + cx, y + cy};
    }
    if (area != nullptr) *area = whole;
    if (monitors == nullptr || max <= 0) return 0;
    MonitorList list{whole, monitors, max, 0};
    HMODULE user32 = ::GetModuleHandleA("user32.dll");
    auto pfnEnum = user32 != nullptr ? reinterpret_cast<EnumDisplayMonitorsProc>(
                                           reinterpret_cast<void*>(::GetProcAddress(user32, "EnumDisplayMonitors")))
                                     : nullptr;
    if (pfnEnum != nullptr) pfnEnum(nullptr, nullptr, &CollectMonitor, reinterpret_cast<LPARAM>(&list));
    if (list.count == 0) {
        monitors[0] = Rect{0, 0, whole.right - whole.left, whole.bottom - whole.top};
        list.count = 1;
    }
    return list.count;
}

// CDC::CreateDC("DISPLAY"): a screen-sized copy of what the screen shows now, so that masked
// drawing keeps the screen's own pixels where the mask is transparent.
Surface* GetDisplaySurface() {
    const DisplayCaps caps = GetDisplayCaps();
    win32::PixelStore& store = Win32().display;
    store.Resize(caps.width, caps.height);
    const Surface& s = store.surface;
    if (s.width <= 0 || s.height <= 0) return &store.surface;
    HDC screen = ScreenDC();
    HDC mem = screen != nullptr ? ::CreateCompatibleDC(screen) : nullptr;
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = s.width;
    bmi.bmiHeader.biHeight = -s.height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = mem != nullptr ? ::CreateDIBSection(mem, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    if (dib != nullptr && bits != nullptr) {
        HGDIOBJ old = ::SelectObject(mem, dib);
        if (::BitBlt(mem, 0, 0, s.width, s.height, screen, 0, 0, SRCCOPY) != 0) {
            ::GdiFlush();
            const auto* src = static_cast<const std::uint32_t*>(bits);
            for (std::size_t i = 0, n = static_cast<std::size_t>(s.width) * static_cast<std::size_t>(s.height); i < n;
                 ++i) {
                s.pixels[i] = src[i] & 0x00FFFFFFu;
            }
        }
        ::SelectObject(mem, old);
    }
    if (dib != nullptr) ::DeleteObject(dib);
    if (mem != nullptr) ::DeleteDC(mem);
    if (screen != nullptr) ::DeleteDC(screen);
    return &store.surface;
}

// CDC on the display, after each drawing call: the drawn rectangle goes to a screen context.
void PresentDisplay(const Rect* rects, int count) {
    HDC screen = ScreenDC();
    if (screen == nullptr) return;
    win32::BlitStore(screen, Win32().display, rects, count);
    ::DeleteDC(screen);
}

}  // namespace plat
