// Seam: windows, the message queue, timers, painting, presenting, cursor, message box, display.
// Same contracts as the Win32 calls of the same names; messages use Win32 numbers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Types.h"

namespace plat {

// CWnd::CreateEx, first window of a class: register it with the framework's window procedure,
// class style and the class cursor from cursor resource `cursorResId` (0: none).
bool RegisterClass(const char* className, std::uint32_t classStyle, std::uint16_t cursorResId, WndProc proc);

// CWnd::CreateEx: is `className` registered already (registration happens once per process).
bool IsClassRegistered(const char* className);

// CWnd::CreateEx: create a window. `user` becomes the window's user data before the first message
// (WM_CREATE is sent during this call, lParam = pointer to a CreateParams). WM_CREATE returning -1
// destroys the window again and the call returns 0. A WS_VISIBLE window gets a WM_PAINT queued.
// `parent` may be a foreign window (X11 id) on back-ends that support it.
struct CreateParams {
    void* user = nullptr;
    std::uint32_t exStyle = 0;
    std::uint32_t style = 0;
    std::int32_t x = 0, y = 0, width = 0, height = 0;
    Hwnd parent = 0;
};
Hwnd CreateWindowEx(std::uint32_t exStyle, const char* className, const char* title, std::uint32_t style,
                    std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, Hwnd parent, void* user);

// Framework, WM_CLOSE default handling and tests: destroy a window (and its children): WM_DESTROY,
// then WM_NCDESTROY as the last message.
bool DestroyWindow(Hwnd hwnd);

// Framework message dispatch: the `user` pointer given at creation (nullptr for foreign windows).
void* GetWindowUserData(Hwnd hwnd);

// Framework and modes: does the handle name a live window (ours or a foreign one).
bool IsWindow(Hwnd hwnd);

// CWnd::GetClientRect and the preview mode (parent given by handle): client rectangle, origin 0,0.
bool GetClientRect(Hwnd hwnd, Rect* out);

// CDC of a window (GetDC/BeginPaint): the window's 32-bit backing store, client-sized.
Surface* GetWindowSurface(Hwnd hwnd);

// CBitmap (screen-sized frames, images): `bytes` of zero-filled pixel memory, nullptr when it
// cannot be had; large blocks may be backed by huge pages so that first touches fault less.
void* AllocPixelMemory(std::size_t bytes);
// CBitmap destruction: release a block from AllocPixelMemory (same size).
void FreePixelMemory(void* block, std::size_t bytes);

// CDC of a window after drawing: show exactly these client rectangles of the backing store.
void PresentRects(Hwnd hwnd, const Rect* rects, int count);

// CWnd::BeginPaint: the area to repaint; validates the window (no further WM_PAINT queued for it).
Rect BeginPaint(Hwnd hwnd);
// CWnd::InvalidateRect: queue a WM_PAINT for the window (rect nullptr: whole client area).
void InvalidateRect(Hwnd hwnd, const Rect* rect);

// CWnd::Default: Win32 default handling (WM_CLOSE destroys, Alt+F4 sends SC_CLOSE, WM_PAINT
// validates, WM_SETCURSOR sets the class cursor, ...).
std::intptr_t DefWindowProc(Hwnd hwnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam);

// CWnd::PostMessage / SendMessage. SendMessage also drives dialog controls (BM_*, TBM_*).
bool PostMessage(Hwnd hwnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam);
std::intptr_t SendMessage(Hwnd hwnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam);

// CWinApp::Run and OnDestroy: the message loop. GetMessage blocks (without spinning) until a
// message or a due timer; returns false on WM_QUIT. PeekMessage filters by window and range;
// `remove` = PM_REMOVE. DispatchMessage calls the window's procedure.
void PostQuitMessage(int exitCode);
bool GetMessage(Msg* out);
bool PeekMessage(Msg* out, Hwnd hwnd, std::uint32_t minMsg, std::uint32_t maxMsg, std::uint32_t remove);
std::intptr_t DispatchMessage(const Msg* msg);

// CWnd::SetTimer / KillTimer: WM_TIMER(id) every `ms` milliseconds, delivered through the queue
// on the calling thread, coalesced like Win32 (at most one pending per timer).
std::uintptr_t SetTimer(Hwnd hwnd, std::uintptr_t id, std::uint32_t ms);
bool KillTimer(Hwnd hwnd, std::uintptr_t id);

// CSaverWnd::OnSetCursor / VerifyAndClose: SetCursor(no cursor) and ShowCursor's display count.
void SetCursorNone();
int ShowCursor(bool show);

// CSceneWnd::OnCreate (colour-depth refusal): a modal message box with one OK button; returns IDOK.
int MessageBox(Hwnd owner, const char* text, const char* caption, std::uint32_t type);

// CDC::GetDeviceCaps and AfxGetSystemMetrics, whenever asked: the screen's depth, size and palette.
DisplayCaps GetDisplayCaps();

// CSaverWnd::CreateFullScreen and CSceneWnd::OnCreate (full-screen mode): `*area` gets what the
// full-screen window covers in screen coordinates (Windows: the virtual screen; X11: the root window
// or XScreenSaver's window), `monitors` up to `max` monitors relative to the area's top-left corner.
// Returns how many were written: at least 1 (the whole area when the system names no monitors).
int GetMonitors(Rect* area, Rect* monitors, int max);

// CDC::CreateDC("DISPLAY") (the title while the pictures load): a surface standing for the whole
// screen (the topmost full-screen window's backing store when one exists); PresentDisplay shows
// the rectangles drawn on it.
Surface* GetDisplaySurface();
void PresentDisplay(const Rect* rects, int count);

}  // namespace plat
