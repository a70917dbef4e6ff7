// Win32-style names used by the framework and the system's classes (no OS header is included).
#pragma once

#include <cstdint>

#include "platform/Messages.h"
#include "platform/Types.h"

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using COLORREF = std::uint32_t;  // 0x00BBGGRR as on Win32
using HWND = plat::Hwnd;
using HINSTANCE = void*;
using HICON = std::uintptr_t;
using HMENU = std::uintptr_t;
using RECT = plat::Rect;
using POINT = plat::Point;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#if defined(_WIN32) && defined(__i386__)
#define WINAPI __attribute__((stdcall))
#else
#define WINAPI
#endif

constexpr COLORREF RGB(int r, int g, int b) {
    return static_cast<COLORREF>((r & 0xff) | ((g & 0xff) << 8) | ((b & 0xff) << 16));
}
constexpr int GetRValue(COLORREF c) { return c & 0xff; }
constexpr int GetGValue(COLORREF c) { return (c >> 8) & 0xff; }
constexpr int GetBValue(COLORREF c) { return (c >> 16) & 0xff; }

constexpr WORD LOWORD(std::uintptr_t v) { return static_cast<WORD>(v & 0xffff); }
constexpr WORD HIWORD(std::uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xffff); }
constexpr std::int16_t GET_X_LPARAM(LPARAM lp) { return static_cast<std::int16_t>(lp & 0xffff); }
constexpr std::int16_t GET_Y_LPARAM(LPARAM lp) { return static_cast<std::int16_t>((lp >> 16) & 0xffff); }
constexpr LPARAM MAKELPARAM(int lo, int hi) {
    return static_cast<LPARAM>(static_cast<std::uint32_t>((lo & 0xffff) | ((hi & 0xffff) << 16)));
}

// Messages, styles, commands and control codes: the seam's Win32 numbers under their Win32 names.
using namespace plat::codes;

// Raster operations.
constexpr DWORD SRCCOPY = 0x00CC0020u;
constexpr DWORD SRCINVERT = 0x00660046u;
constexpr DWORD SRCAND = 0x008800C6u;
constexpr DWORD WHITENESS = 0x00FF0062u;
constexpr DWORD BLACKNESS = 0x00000042u;

// Device capabilities.
constexpr int BITSPIXEL = 12;
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int RASTERCAPS = 38;
constexpr int NUMCOLORS = 24;
constexpr int SIZEPALETTE = 104;

// Registry access.
constexpr DWORD KEY_READ = 0x20019u;
constexpr DWORD KEY_WRITE = 0x20006u;
