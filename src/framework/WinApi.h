// The few Win32 calls the saver's own classes make outside any framework class, over the seam.
#pragma once

#include <cstdint>

#include "framework/WinDefs.h"
#include "platform/System.h"

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
