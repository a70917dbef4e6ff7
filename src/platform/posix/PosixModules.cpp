// Password services as shared objects: "MPR.DLL" in-process, "Password.cpl" in a helper process.
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Messages.h"
#include "platform/System.h"
#include "platform/Window.h"
#include "platform/posix/PosixPaths.h"
#include "platform/posix/PosixWindowState.h"

using namespace plat::codes;

namespace plat {

namespace {

constexpr const char* kVerifyEntry = "VerifyScreenSavePwd";
// The saver's own executable run as the password check's helper: "<exe> <option> <window>",
// with the module open on descriptor 3 and the answer pipe on descriptor 4.
constexpr const char* kVerifyHelperOption = "--password-check-helper";
constexpr int kHelperModuleFd = 3, kHelperAnswerFd = 4;
// The helper's one-byte answers. Only 'N' is a refusal; a helper that ends without answering
// (a crash, abort or exit inside the module) counts as one too.
constexpr char kAllow = 'Y', kRefuse = 'N', kNotLoadable = 'L', kNoEntry = 'E';

// A loaded module: in-process (dl) or, for the password check, the open file a helper will load.
struct Module {
    void* dl = nullptr;
    int fd = -1;
};

// The shared object that stands for a Windows module name; empty for names we do not provide.
std::string SharedObjectName(const char* name) {
    std::string lower;
    for (const char* p = name; *p; ++p) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
    if (lower == "password.cpl") return "password.so";
    if (lower == "mpr.dll") return "mpr.so";
    return {};
}

// Search order: $MORGRAVE_MODULE_DIR, ~/.local/lib/morgrave, /usr/local/lib/morgrave, /usr/lib/morgrave.
// Relative folders are skipped, so no module is ever taken from the working folder.
std::vector<std::string> SearchDirs() {
    std::vector<std::string> dirs;
    if (const char* d = std::getenv("MORGRAVE_MODULE_DIR"); d && d[0] == '/') dirs.emplace_back(d);
    if (const std::string home = posix::UserHome(); !home.empty()) dirs.push_back(home + "/.local/lib/morgrave");
    dirs.emplace_back("/usr/local/lib/morgrave");
    dirs.emplace_back("/usr/lib/morgrave");
    return dirs;
}

// Opens a module file only when it is a regular file: a FIFO or a device would block the load.
int OpenRegularFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// dlopen of exactly the file behind `fd`.
void* LoadOpenFile(int fd) {
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

// The module of the password check that is running; its file is what the helper loads.
int& VerifyModuleFd() { return posix::St().verifyModuleFd; }

// Starts the helper on the module file; its answer comes through *answerFd. 0 when it cannot start.
pid_t StartHelper(int moduleFd, Hwnd hwnd, int* answerFd) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return 0;
    const std::string window = std::to_string(hwnd);
    char* const argv[] = {const_cast<char*>("morgrave"), const_cast<char*>(kVerifyHelperOption),
                          const_cast<char*>(window.c_str()), nullptr};
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only async-signal-safe calls from here to exec: the saver may have other threads.
        const int module = ::fcntl(moduleFd, F_DUPFD, 10);
        const int answer = ::fcntl(pipeFds[1], F_DUPFD, 10);
        if (module < 0 || answer < 0 || ::dup2(module, kHelperModuleFd) < 0 || ::dup2(answer, kHelperAnswerFd) < 0)
            ::_exit(127);
        ::close_range(kHelperAnswerFd + 1, ~0U, 0);
        ::execv("/proc/self/exe", argv);
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    if (pid < 0) {
        ::close(pipeFds[0]);
        return 0;
    }
    *answerFd = pipeFds[0];
    return pid;
}

// Waits for the helper's answer while the saver's own messages keep flowing (the scene runs,
// input reaches the window), as they do under a module's modal dialog on Windows. A close or
// quit request (SIGTERM) ends the wait at once: the helper is killed, the check counts as
// refused and the request is left queued for the saver's own loop.
char AwaitAnswer(pid_t pid, int answerFd) {
    char answer = 0;
    bool gone = false, reaped = false;
    for (;;) {
        // The helper's end counts even while something it started still holds the pipe open.
        int status = 0;
        reaped = reaped || ::waitpid(pid, &status, WNOHANG) == pid;
        pollfd pfd{answerFd, POLLIN, 0};
        if (::poll(&pfd, 1, 0) > 0) {
            char c = 0;
            const ssize_t n = ::read(answerFd, &c, 1);
            if (n == 1) answer = c;
            if (n >= 0) break;
        }
        if (reaped) break;
        Msg msg{};
        if (PeekMessage(&msg, 0, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                gone = true;
                break;
            }
            if (msg.message == WM_CLOSE) {
                PostMessage(msg.hwnd, msg.message, msg.wParam, msg.lParam);
                gone = true;
                break;
            }
            DispatchMessage(&msg);
            continue;
        }
        posix::WaitForEvents(10);
    }
    if (!reaped) {
        if (gone || answer == 0) ::kill(pid, SIGKILL);
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    return gone ? 0 : answer;
}

// VerifyScreenSavePwd as the saver calls it: the module runs in the helper, so its crash, abort
// or exit refuses the close instead of ending the saver. A module that does not load or lacks
// the entry lets the saver end, as a missing module does.
int VerifyInHelper(Hwnd hwnd) {
    int answerFd = -1;
    const pid_t pid = VerifyModuleFd() >= 0 ? StartHelper(VerifyModuleFd(), hwnd, &answerFd) : 0;
    if (pid == 0) return 0;
    const char answer = AwaitAnswer(pid, answerFd);
    ::close(answerFd);
    return answer == kAllow || answer == kNotLoadable || answer == kNoEntry ? 1 : 0;
}

// The helper process: load the module from descriptor 3, call its entry, answer on descriptor 4.
[[noreturn]] void RunVerifyHelper(const char* window) {
    char answer = kNotLoadable;
    if (void* dl = LoadOpenFile(kHelperModuleFd)) {
        using VerifyProc = int (*)(Hwnd);
        auto verify = reinterpret_cast<VerifyProc>(dlsym(dl, kVerifyEntry));
        answer = verify == nullptr                                                    ? kNoEntry
                 : verify(static_cast<Hwnd>(std::strtoull(window, nullptr, 10))) != 0 ? kAllow
                                                                                      : kRefuse;
    }
    ssize_t written = ::write(kHelperAnswerFd, &answer, 1);
    (void)written;
    ::_exit(0);
}

}  // namespace

namespace posix {

void RunPrivateHelper(int argc, char** argv) {
    if (argc == 3 && argv != nullptr && std::strcmp(argv[1], kVerifyHelperOption) == 0) RunVerifyHelper(argv[2]);
}

}  // namespace posix

HModule LoadLibrary(const char* name) {
    if (!name) return nullptr;
    const std::string so = SharedObjectName(name);
    if (so.empty()) return nullptr;
    for (const std::string& dir : SearchDirs()) {
        const int fd = OpenRegularFile(dir + "/" + so);
        if (fd < 0) continue;
        // The password check's module is loaded by its helper; the password change's right here.
        if (so == "password.so") return new Module{nullptr, fd};
        void* dl = LoadOpenFile(fd);
        ::close(fd);
        if (dl) return new Module{dl, -1};
    }
    return nullptr;
}

void* GetProcAddress(HModule module, const char* symbol) {
    auto* m = static_cast<Module*>(module);
    if (!m || !symbol) return nullptr;
    if (m->dl) return dlsym(m->dl, symbol);
    if (std::strcmp(symbol, kVerifyEntry) != 0) return nullptr;
    VerifyModuleFd() = m->fd;
    return reinterpret_cast<void*>(&VerifyInHelper);
}

void FreeLibrary(HModule module) {
    auto* m = static_cast<Module*>(module);
    if (!m) return;
    if (m->dl) dlclose(m->dl);
    if (m->fd >= 0) {
        if (VerifyModuleFd() == m->fd) VerifyModuleFd() = -1;
        ::close(m->fd);
    }
    delete m;
}

}  // namespace plat
