// Password services as shared objects: "Password.cpl" and "MPR.DLL" mapped to documented paths.
#include <dlfcn.h>

#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/System.h"

namespace plat {

namespace {

// The shared object that stands for a Windows module name; empty for names we do not provide.
std::string SharedObjectName(const char* name) {
    std::string lower;
    for (const char* p = name; *p; ++p) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
    if (lower == "password.cpl") return "password.so";
    if (lower == "mpr.dll") return "mpr.so";
    return {};
}

// Search order: $MORGRAVE_MODULE_DIR, ~/.local/lib/morgrave, /usr/local/lib/morgrave, /usr/lib/morgrave.
std::vector<std::string> SearchDirs() {
    std::vector<std::string> dirs;
    if (const char* d = std::getenv("MORGRAVE_MODULE_DIR"); d && *d) dirs.emplace_back(d);
    if (const char* home = std::getenv("HOME"); home && *home) dirs.push_back(std::string(home) + "/.local/lib/morgrave");
    dirs.emplace_back("/usr/local/lib/morgrave");
    dirs.emplace_back("/usr/lib/morgrave");
    return dirs;
}

}  // namespace

HModule LoadLibrary(const char* name) {
    if (!name) return nullptr;
    const std::string so = SharedObjectName(name);
    if (so.empty()) return nullptr;
    for (const std::string& dir : SearchDirs()) {
        const std::string path = dir + "/" + so;
        if (void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) return h;
    }
    return nullptr;
}

void* GetProcAddress(HModule module, const char* symbol) {
    if (!module || !symbol) return nullptr;
    return dlsym(module, symbol);
}

void FreeLibrary(HModule module) {
    if (module) dlclose(module);
}

}  // namespace plat
