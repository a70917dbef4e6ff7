// Plain value types shared by every function of the platform seam (namespace plat, no OS headers).
#pragma once

#include <cstdint>

namespace plat {

// Window handle. On Windows the HWND value; on X11 our own window ids, or a foreign X window id
// given on the command line (preview parent). 0 is "no window".
using Hwnd = std::uintptr_t;

// Registry key handle; the predefined root below has the Win32 value.
using HKey = std::uintptr_t;
constexpr HKey kHKeyCurrentUser = 0x80000001u;

// Loaded module (shared object / DLL); nullptr when none.
using HModule = void*;

struct Rect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct Point {
    std::int32_t x = 0, y = 0;
};

// A 32-bit software surface, pixels 0x00RRGGBB, rows top-down, pitch in pixels.
struct Surface {
    std::uint32_t* pixels = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t pitch = 0;
};

// One queued window message, Win32 numbering (platform/Messages.h).
struct Msg {
    Hwnd hwnd = 0;
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

// Window procedure the framework hands to the platform; same contract as a Win32 WNDPROC.
using WndProc = std::intptr_t (*)(Hwnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam);

// What the display reports (GetDeviceCaps of the screen).
struct DisplayCaps {
    std::int32_t bitsPerPixel = 32;  // BITSPIXEL
    std::int32_t width = 0;          // HORZRES
    std::int32_t height = 0;         // VERTRES
    std::int32_t rasterCaps = 0;     // RASTERCAPS (RC_PALETTE on palette displays)
    std::int32_t numColors = -1;     // NUMCOLORS
    std::int32_t sizePalette = 0;    // SIZEPALETTE
};

// Return codes of the registry functions (Win32 values).
constexpr long kErrorSuccess = 0;
constexpr long kErrorFileNotFound = 2;
constexpr long kErrorAccessDenied = 5;
constexpr long kErrorInvalidHandle = 6;
constexpr long kErrorMoreData = 234;

}  // namespace plat
