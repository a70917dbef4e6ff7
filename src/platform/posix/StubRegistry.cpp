// Scaffolding until this back-end's registry lands: nothing can be opened.
#include "platform/Registry.h"

namespace plat {
long RegOpenKeyEx(HKey, const char*, std::uint32_t, HKey*) { return kErrorFileNotFound; }
long RegCreateKeyEx(HKey, const char*, std::uint32_t, HKey*) { return kErrorAccessDenied; }
long RegQueryValueEx(HKey, const char*, std::uint32_t*, void*, std::uint32_t*) { return kErrorFileNotFound; }
long RegSetValueEx(HKey, const char*, std::uint32_t, const void*, std::uint32_t) { return kErrorInvalidHandle; }
long RegCloseKey(HKey) { return kErrorSuccess; }
}  // namespace plat
