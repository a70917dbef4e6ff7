// The Windows back-end's own state: window records, creations in progress, the display copy.
#pragma once

#include "platform/win32/Win32Api.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/Dialog.h"
#include "platform/Types.h"

namespace plat::win32 {

// A 32-bit top-down pixel buffer that stands for a window's client area or the screen.
struct PixelStore {
    std::vector<std::uint32_t> pixels;
    Surface surface;

    // Resizes (content is kept where the sizes overlap) and refreshes `surface`.
    void Resize(std::int32_t width, std::int32_t height);
};

// One window or dialog made through the seam.
struct WindowRecord {
    void* user = nullptr;
    WndProc proc = nullptr;     // framework window procedure (windows)
    DlgProc dlgProc = nullptr;  // framework dialog procedure (dialogs)
    PixelStore store;           // backing store, made on first use
};

struct State {
    std::map<HWND, WindowRecord> windows;
    std::map<std::string, WndProc> classes;  // registered class name -> framework procedure
    // The window or dialog being created: bound to the first message of an unknown handle.
    struct Pending {
        bool active = false;
        WindowRecord record;
    } pending;
    PixelStore display;
    MSG lastMsg{};  // the message GetMessage/PeekMessage returned last (time and point kept)
    bool haveLastMsg = false;
    bool commonControlsReady = false;
};

State& Win32();

// The executable's module: resources, sounds, dialogs and icons are taken from it.
HINSTANCE Instance();

// Binds a handle to the pending creation when it is the first message of that window.
WindowRecord* RecordFor(HWND hwnd, bool dialog);

// Shows rectangles of a pixel store on a device context at the same coordinates.
void BlitStore(HDC dc, const PixelStore& store, const Rect* rects, int count);

// The seam's texts are UTF-8; the ANSI (A) calls take the system code page: convert both ways.
std::string ToAnsi(const char* utf8);
std::string FromAnsi(const char* ansi, int length);

}  // namespace plat::win32
