// Scaffolding until this back-end's dialog host lands: no dialog can be shown.
#include "platform/Dialog.h"

namespace plat {
std::intptr_t DialogBoxParam(std::uint16_t, Hwnd, DlgProc, void*) { return -1; }
bool EndDialog(Hwnd, std::intptr_t) { return false; }
Hwnd GetDlgItem(Hwnd, int) { return 0; }
int GetDlgCtrlID(Hwnd) { return 0; }
bool SetWindowText(Hwnd, const char*) { return false; }
std::string GetWindowText(Hwnd) { return {}; }
bool GetWindowRect(Hwnd, Rect*) { return false; }
bool MoveWindowTo(Hwnd, std::int32_t, std::int32_t) { return false; }
Rect GetWorkArea() { return Rect{}; }
Hwnd GetOwner(Hwnd) { return 0; }
bool EnableWindow(Hwnd, bool) { return false; }
bool IsWindowEnabled(Hwnd) { return false; }
HMenu GetSystemMenu(Hwnd) { return 0; }
bool AppendMenu(HMenu, std::uint32_t, std::uintptr_t, const char*) { return false; }
HIcon LoadIcon(std::uint16_t) { return 0; }
}  // namespace plat
