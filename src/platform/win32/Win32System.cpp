// Windows back-end of the system seam: clock, module path, trace file, DLLs and sound.
#include "platform/System.h"

#include <ctime>

#include "platform/win32/Win32State.h"

namespace plat {

// Start-up seeding and the director's tick: the C library's time().
std::int64_t TimeSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

// Nothing of the command line belongs to this back-end; the password check runs in-process. The
// display settings start the .scr with a mode letter and a window handle, nothing more.
bool StartProcess(int, char**) { return false; }

// CWinApp at start-up: GetModuleFileNameA of the executable, as the system reports it.
std::string GetModuleFileName() {
    char path[MAX_PATH + 1] = {};
    const DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, n <= MAX_PATH ? n : 0);
}

// Saver window trace lines: the fixed file on drive C:.
std::string TraceFilePath() { return "C:\\trace.txt"; }

// Password check and password change: LoadLibraryA by the module's Windows name.
HModule LoadLibrary(const char* name) {
    if (name == nullptr) return nullptr;
    return reinterpret_cast<HModule>(::LoadLibraryA(name));
}

// Password check and password change: GetProcAddress.
void* GetProcAddress(HModule module, const char* symbol) {
    if (module == nullptr || symbol == nullptr) return nullptr;
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(module), symbol));
}

// Password check and password change: FreeLibrary.
void FreeLibrary(HModule module) {
    if (module != nullptr) ::FreeLibrary(static_cast<HMODULE>(module));
}

// CSceneDirector::PlayCue: PlaySoundA of a WAVE resource of the executable, asynchronously;
// a new sound stops the one playing.
void PlaySoundResource(std::uint16_t id) {
    ::PlaySoundA(MAKEINTRESOURCEA(id), win32::Instance(), SND_RESOURCE | SND_ASYNC);
}

}  // namespace plat
