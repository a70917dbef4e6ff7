// The few Win32 calls the saver's own classes make outside any framework class, over the seam.
#pragma once

#include <cstdint>
#include <string>

#include "framework/WinDefs.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "platform/Window.h"

using HMODULE = plat::HModule;

// The C library's time(): calendar time in whole seconds (seeding the scene's generator).
inline std::int64_t AfxGetTime() { return plat::TimeSeconds(); }

// PlaySound(id, module, SND_RESOURCE | SND_ASYNC): start WAVE resource `nId`, cutting off the last.
inline void AfxPlaySoundResource(UINT nId) { plat::PlaySoundResource(static_cast<std::uint16_t>(nId)); }

// LoadLibrary / GetProcAddress / FreeLibrary of the platform's password services.
inline HMODULE AfxLoadLibrary(const char* lpszName) { return plat::LoadLibrary(lpszName); }
inline void* AfxGetProcAddress(HMODULE hModule, const char* lpszSymbol) {
    return plat::GetProcAddress(hModule, lpszSymbol);
}
inline void AfxFreeLibrary(HMODULE hModule) { plat::FreeLibrary(hModule); }

// The saver window's calls: screen and virtual-screen size (GetSystemMetrics), the monitors,
// cursor hiding and its display count (SetCursor(NULL), ShowCursor), the end of the message loop
// and the trace file's place.
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_XVIRTUALSCREEN = 76;
constexpr int SM_YVIRTUALSCREEN = 77;
constexpr int SM_CXVIRTUALSCREEN = 78;
constexpr int SM_CYVIRTUALSCREEN = 79;
inline int AfxGetSystemMetrics(int nIndex) {
    if (nIndex >= SM_XVIRTUALSCREEN && nIndex <= SM_CYVIRTUALSCREEN) {
        RECT rc{};
        plat::GetMonitors(&rc, nullptr, 0);
        const int values[] = {rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top};
        return values[nIndex - SM_XVIRTUALSCREEN];
    }
    const plat::DisplayCaps caps = plat::GetDisplayCaps();
    return nIndex == SM_CXSCREEN ? caps.width : nIndex == SM_CYSCREEN ? caps.height : 0;
}
// Up to nMax monitors, relative to the virtual screen's top-left corner; returns how many (>= 1).
inline int AfxGetMonitorRects(RECT* pRects, int nMax) { return plat::GetMonitors(nullptr, pRects, nMax); }
// IsWindow: does the handle name a live window (the settings dialog's owner from "/c:HWND").
inline BOOL AfxIsWindow(HWND hWnd) { return plat::IsWindow(hWnd) ? TRUE : FALSE; }
inline void AfxSetCursorNone() { plat::SetCursorNone(); }
inline int AfxShowCursor(BOOL bShow) { return plat::ShowCursor(bShow != FALSE); }
inline void AfxPostQuitMessage(int nExitCode) { plat::PostQuitMessage(nExitCode); }
inline std::string AfxTraceFilePath() { return plat::TraceFilePath(); }

// The desktop's settings in the registry (read only): RegOpenKeyExA, RegQueryValueExA, RegCloseKey.
using HKEY = plat::HKey;
inline const HKEY HKEY_CURRENT_USER = plat::kHKeyCurrentUser;
constexpr long ERROR_SUCCESS = plat::kErrorSuccess;
inline long AfxRegOpenKeyEx(HKEY hKey, const char* lpszSubKey, DWORD dwOptions, DWORD samDesired, HKEY* phkResult) {
    (void)dwOptions;
    return plat::RegOpenKeyEx(hKey, lpszSubKey, samDesired, phkResult);
}
inline long AfxRegQueryValueEx(HKEY hKey, const char* lpszValueName, DWORD* lpType, BYTE* lpData, DWORD* lpcbData) {
    return plat::RegQueryValueEx(hKey, lpszValueName, lpType, lpData, lpcbData);
}
inline long AfxRegCloseKey(HKEY hKey) { return plat::RegCloseKey(hKey); }
// After the settings could not be written: the store's place and the reason ("" if unknown).
inline std::string AfxRegLastWriteError() { return plat::RegLastWriteError(); }
// A message box without an owner window (MessageBoxA(NULL, ...)).
inline int AfxMessageBox(const char* lpszText, const char* lpszCaption, UINT nType) {
    return plat::MessageBox(0, lpszText, lpszCaption, nType);
}
