// XDG base folders of the user (settings store, trace file).
#include "platform/posix/PosixPaths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace plat::posix {

std::string UserHome() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr && pw->pw_dir[0] == '/')
        return pw->pw_dir;
    return {};
}

namespace {

std::string HomeDir() {
    const std::string home = UserHome();
    return home.empty() ? "/tmp" : home;
}

// XDG rule: a relative value is invalid and is ignored.
std::string XdgDir(const char* variable, const char* fallbackBelowHome) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') return value;
    return HomeDir() + "/" + fallbackBelowHome;
}

}  // namespace

std::string ConfigDir() { return XdgDir("XDG_CONFIG_HOME", ".config") + "/morgrave"; }

std::string StateDir() { return XdgDir("XDG_STATE_HOME", ".local/state") + "/morgrave"; }

}  // namespace plat::posix
