// The Windows back-end's state object and the helpers shared by its files.
#include "platform/win32/Win32State.h"

#include <algorithm>
#include <cstring>

namespace plat::win32 {

namespace {
State g_state;  // the back-end's one state object (the process has one UI thread)
}  // namespace

State& Win32() { return g_state; }

HINSTANCE Instance() { return ::GetModuleHandleA(nullptr); }

void PixelStore::Resize(std::int32_t width, std::int32_t height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == surface.width && height == surface.height && !pixels.empty()) return;
    std::vector<std::uint32_t> next(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) + 1, 0);
    const std::int32_t keepW = std::min(width, surface.width);
    const std::int32_t keepH = std::min(height, surface.height);
    for (std::int32_t y = 0; y < keepH; ++y) {
        std::copy_n(pixels.begin() + static_cast<std::ptrdiff_t>(y) * surface.pitch, keepW,
                    next.begin() + static_cast<std::ptrdiff_t>(y) * width);
    }
    pixels.swap(next);
    surface = Surface{pixels.data(), width, height, width};
}

WindowRecord* RecordFor(HWND hwnd, bool dialog) {
    State& s = Win32();
    auto it = s.windows.find(hwnd);
    if (it != s.windows.end()) return &it->second;
    // Win32 sends WM_GETMINMAXINFO / WM_NCCREATE (or WM_SETFONT for a dialog) before the creating
    // call returns: the first message of a new handle belongs to the creation in progress.
    if (!s.pending.active || (s.pending.record.dlgProc != nullptr) != dialog) return nullptr;
    s.pending.active = false;
    return &(s.windows[hwnd] = s.pending.record);
}

void BlitStore(HDC dc, const PixelStore& store, const Rect* rects, int count) {
    const Surface& src = store.surface;
    if (dc == nullptr || src.pixels == nullptr || rects == nullptr) return;
    for (int i = 0; i < count; ++i) {
        const LONG left = std::max<LONG>(rects[i].left, 0);
        const LONG top = std::max<LONG>(rects[i].top, 0);
        const LONG right = std::min<LONG>(rects[i].right, src.width);
        const LONG bottom = std::min<LONG>(rects[i].bottom, src.height);
        if (left >= right || top >= bottom) continue;
        // A top-down DIB of exactly the rectangle's rows, so the source row origin is unambiguous.
        BITMAPINFO bmi{};
        bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bmi.bmiHeader.biWidth = src.pitch;
        bmi.bmiHeader.biHeight = -(bottom - top);
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        bmi.bmiHeader.biCompression = BI_RGB;
        const std::uint32_t* rows = src.pixels + static_cast<std::ptrdiff_t>(top) * src.pitch;
        ::SetDIBitsToDevice(dc, left, top, static_cast<DWORD>(right - left), static_cast<DWORD>(bottom - top), left, 0,
                            0, static_cast<UINT>(bottom - top), rows, &bmi, DIB_RGB_COLORS);
    }
}

namespace {
std::wstring Convert(UINT codePage, const char* text, int length) {
    if (text == nullptr || length == 0) return {};
    const int n = ::MultiByteToWideChar(codePage, 0, text, length, nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(codePage, 0, text, length, out.data(), n);
    return out;
}

std::string Convert(UINT codePage, const std::wstring& text) {
    if (text.empty()) return {};
    const int len = static_cast<int>(text.size());
    const int n = ::WideCharToMultiByte(codePage, 0, text.data(), len, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(codePage, 0, text.data(), len, out.data(), n, nullptr, nullptr);
    return out;
}
}  // namespace

std::string ToAnsi(const char* utf8) {
    if (utf8 == nullptr) return {};
    return Convert(CP_ACP, Convert(CP_UTF8, utf8, static_cast<int>(std::strlen(utf8))));
}

std::string FromAnsi(const char* ansi, int length) { return Convert(CP_UTF8, Convert(CP_ACP, ansi, length)); }

}  // namespace plat::win32
