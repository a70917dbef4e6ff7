// Desktop system services: the clock, the executable's path and the trace file's place.
#include <unistd.h>

#include <cstdlib>
#include <ctime>

#include "platform/System.h"
#include "platform/common/RegistryFile.h"
#include "platform/posix/PosixPaths.h"
#include "platform/posix/PosixWindowState.h"

namespace plat {
bool StartProcess(int argc, char** argv) {
    posix::RunPrivateHelper(argc, argv);
    posix::St().hostRequest = ReadHostWindowRequest(argc, argv, std::getenv("XSCREENSAVER_WINDOW"));
    return true;
}

std::int64_t TimeSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

std::string GetModuleFileName() {
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (n <= 0) return "morgrave";
    return std::string(buffer, static_cast<std::size_t>(n));
}

std::string TraceFilePath() {
    const std::string dir = posix::StateDir();
    MakeDirs(dir);
    return dir + "/trace.txt";
}
}  // namespace plat
