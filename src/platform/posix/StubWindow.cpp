// Scaffolding until this back-end's windows land: every call fails (no window exists).
#include "platform/Window.h"

namespace plat {
bool RegisterClass(const char*, std::uint32_t, std::uint16_t, WndProc) { return false; }
bool IsClassRegistered(const char*) { return false; }
Hwnd CreateWindowEx(std::uint32_t, const char*, const char*, std::uint32_t, std::int32_t, std::int32_t,
                    std::int32_t, std::int32_t, Hwnd, void*) { return 0; }
bool DestroyWindow(Hwnd) { return false; }
void* GetWindowUserData(Hwnd) { return nullptr; }
bool IsWindow(Hwnd) { return false; }
bool GetClientRect(Hwnd, Rect*) { return false; }
Surface* GetWindowSurface(Hwnd) { return nullptr; }
void PresentRects(Hwnd, const Rect*, int) {}
Rect BeginPaint(Hwnd) { return Rect{}; }
void InvalidateRect(Hwnd, const Rect*) {}
std::intptr_t DefWindowProc(Hwnd, std::uint32_t, std::uintptr_t, std::intptr_t) { return 0; }
bool PostMessage(Hwnd, std::uint32_t, std::uintptr_t, std::intptr_t) { return false; }
std::intptr_t SendMessage(Hwnd, std::uint32_t, std::uintptr_t, std::intptr_t) { return 0; }
void PostQuitMessage(int) {}
bool GetMessage(Msg*) { return false; }
bool PeekMessage(Msg*, Hwnd, std::uint32_t, std::uint32_t, std::uint32_t) { return false; }
std::intptr_t DispatchMessage(const Msg*) { return 0; }
std::uintptr_t SetTimer(Hwnd, std::uintptr_t, std::uint32_t) { return 0; }
bool KillTimer(Hwnd, std::uintptr_t) { return false; }
void SetCursorNone() {}
int ShowCursor(bool show) { return show ? 0 : -1; }
int MessageBox(Hwnd, const char*, const char*, std::uint32_t) { return 1; }
DisplayCaps GetDisplayCaps() { return DisplayCaps{}; }
Surface* GetDisplaySurface() { return nullptr; }
void PresentDisplay(const Rect*, int) {}
}  // namespace plat
