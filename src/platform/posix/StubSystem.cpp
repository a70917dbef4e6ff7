// Scaffolding until this back-end's system services land.
#include <ctime>

#include "platform/System.h"

namespace plat {
std::int64_t TimeSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }
std::string GetModuleFileName() { return "morgrave"; }
std::string TraceFilePath() { return {}; }
HModule LoadLibrary(const char*) { return nullptr; }
void* GetProcAddress(HModule, const char*) { return nullptr; }
void FreeLibrary(HModule) {}
void PlaySoundResource(std::uint16_t) {}
}  // namespace plat
