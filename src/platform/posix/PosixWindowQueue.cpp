// The message queue on the main thread: posted messages, paints, deadline-driven timers, waiting.
#include <SDL2/SDL.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <sys/select.h>
#include <unistd.h>

#include "platform/Messages.h"
#include "platform/Window.h"
#include "platform/posix/PosixWindowRouter.h"
#include "platform/posix/PosixWindowState.h"
#include "platform/posix/PosixX11.h"

using namespace plat::codes;

namespace plat {

namespace {

bool InRange(std::uint32_t msg, std::uint32_t lo, std::uint32_t hi) {
    return (lo == 0 && hi == 0) || (msg >= lo && msg <= hi);
}

bool Matches(const Msg& m, Hwnd hwnd, std::uint32_t lo, std::uint32_t hi) {
    return (hwnd == 0 || m.hwnd == hwnd) && InRange(m.message, lo, hi);
}

// Win32 order: posted messages, then the quit request, then paints, then due timers.
bool Retrieve(Msg* out, Hwnd hwnd, std::uint32_t lo, std::uint32_t hi, bool remove) {
    posix::State& s = posix::St();
    for (auto it = s.queue.begin(); it != s.queue.end(); ++it) {
        if (!Matches(*it, hwnd, lo, hi)) continue;
        *out = *it;
        if (remove) s.queue.erase(it);
        return true;
    }
    if (s.quitPosted && InRange(WM_QUIT, lo, hi)) {
        *out = Msg{0, WM_QUIT, static_cast<std::uintptr_t>(s.quitCode), 0};
        if (remove) s.quitPosted = false;
        return true;
    }
    if (InRange(WM_PAINT, lo, hi)) {
        for (auto& r : s.windows) {
            if (r->paintPending && !r->destroying && (hwnd == 0 || r->hwnd == hwnd)) {
                *out = Msg{r->hwnd, WM_PAINT, 0, 0};
                return true;  // stays pending until BeginPaint validates it
            }
        }
    }
    if (InRange(WM_TIMER, lo, hi)) {
        const std::uint64_t now = posix::NowMs();
        for (auto& t : s.timers) {
            if (t.dueMs <= now && (hwnd == 0 || t.hwnd == hwnd)) {
                *out = Msg{t.hwnd, WM_TIMER, t.id, 0};
                if (remove) {
                    // Keep the cadence (20 ticks a second stay 20), but a timer that fell behind
                    // fires once and starts afresh rather than catching up.
                    t.dueMs += t.periodMs;
                    if (t.dueMs <= now) t.dueMs = now + t.periodMs;
                }
                return true;
            }
        }
    }
    return false;
}

int MsUntilNextTimer() {
    posix::State& s = posix::St();
    if (s.timers.empty()) return -1;
    const std::uint64_t now = posix::NowMs();
    std::uint64_t next = UINT64_MAX;
    for (auto& t : s.timers) next = std::min(next, t.dueMs);
    return next <= now ? 0 : static_cast<int>(std::min<std::uint64_t>(next - now, 1u << 30));
}

}  // namespace

namespace posix {

State& St() {
    static State s;  // the back-end's one state object
    return s;
}

std::uint64_t NowMs() {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void Post(Hwnd hwnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    St().queue.push_back(Msg{hwnd, msg, wParam, lParam});
}

void SetMessageRouter(const MessageRouter* router) { St().router = router; }
const MessageRouter* GetMessageRouter() { return St().router; }

void WaitForEvents(int timeoutMs) {
    State& s = St();
    SDL_Window* sdl = nullptr;
    for (auto& r : s.windows) {
        if (r->sdl) {
            sdl = r->sdl;
            break;  // SDL has one connection for all its windows
        }
    }
    // Events already read (by a reply we waited for) or already translated by SDL: no sleep.
    Readiness ready{true, false, false, false};
    if (s.videoUp) {
        ready.ours = x11::FlushAndQueued();
        ready.sdl = (sdl && x11::SdlFlushAndQueued(sdl)) ||
                    SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0;
        if (ready.ours || ready.sdl) timeoutMs = 0;
    }
    const int fds[3] = {x11::ConnectionFd(), sdl ? x11::SdlConnectionFd(sdl) : -1, s.signalPipe[0]};
    fd_set set;
    FD_ZERO(&set);
    int maxFd = -1;
    for (int fd : fds) {
        if (fd < 0) continue;
        FD_SET(fd, &set);
        maxFd = std::max(maxFd, fd);
    }
    if (maxFd < 0) {
        if (timeoutMs > 0) SDL_Delay(static_cast<Uint32>(timeoutMs));
        s.ready = ready;
        return;
    }
    timeval tv{};
    timeval* ptv = nullptr;
    if (timeoutMs >= 0) {
        tv.tv_sec = timeoutMs / 1000;
        tv.tv_usec = (timeoutMs % 1000) * 1000;
        ptv = &tv;
    }
    if (select(maxFd + 1, &set, nullptr, nullptr, ptv) < 0) {
        s.ready = Readiness{true, true, true, true};  // interrupted: look at everything
        return;
    }
    auto has = [&](int fd) { return fd >= 0 && FD_ISSET(fd, &set); };
    s.ready = Readiness{true, ready.ours || has(fds[0]), ready.sdl || has(fds[1]), has(fds[2])};
}

}  // namespace posix

bool PostMessage(Hwnd hwnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    if (hwnd == 0 || posix::Find(hwnd)) {
        posix::Post(hwnd, msg, wParam, lParam);
        return true;
    }
    if (const posix::MessageRouter* r = posix::St().router; r && r->owns(hwnd))
        return r->post(hwnd, msg, wParam, lParam);
    return false;
}

std::intptr_t SendMessage(Hwnd hwnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    if (posix::WindowRec* rec = posix::Find(hwnd)) return rec->proc(hwnd, msg, wParam, lParam);
    if (const posix::MessageRouter* r = posix::St().router; r && r->owns(hwnd))
        return r->send(hwnd, msg, wParam, lParam);
    return 0;
}

void PostQuitMessage(int exitCode) {
    posix::St().quitPosted = true;
    posix::St().quitCode = exitCode;
}

// One wait per message: with nothing to hand out, sleep until input or the next timer's deadline,
// then read only what has input.
bool GetMessage(Msg* out) {
    for (;;) {
        Msg next;
        if (!Retrieve(&next, 0, 0, 0, false)) {
            if (posix::St().windows.empty() && posix::St().timers.empty() && posix::St().queue.empty()) {
                // Nothing can ever arrive: end the loop rather than wait forever.
                *out = Msg{0, WM_QUIT, 0, 0};
                return false;
            }
            posix::WaitForEvents(MsUntilNextTimer());
        }
        posix::PumpEvents();
        if (Retrieve(out, 0, 0, 0, true)) return out->message != WM_QUIT;
    }
}

bool PeekMessage(Msg* out, Hwnd hwnd, std::uint32_t minMsg, std::uint32_t maxMsg, std::uint32_t remove) {
    // No event of the display becomes a timer message: a look for timers alone reads nothing.
    if (minMsg != WM_TIMER || maxMsg != WM_TIMER) posix::PumpEvents();
    Msg m;
    if (!Retrieve(&m, hwnd, minMsg, maxMsg, (remove & 1u) != 0)) return false;
    if (out) *out = m;
    return true;
}

std::intptr_t DispatchMessage(const Msg* msg) {
    if (!msg) return 0;
    if (posix::WindowRec* rec = posix::Find(msg->hwnd)) {
        std::intptr_t result = rec->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
        if (msg->message == WM_PAINT) {
            // A paint handler that did not validate would be asked again at once.
            if (posix::WindowRec* again = posix::Find(msg->hwnd)) again->paintPending = false;
        }
        return result;
    }
    return 0;
}

std::uintptr_t SetTimer(Hwnd hwnd, std::uintptr_t id, std::uint32_t ms) {
    if (!posix::Find(hwnd)) return 0;
    ms = std::max<std::uint32_t>(ms, 10);
    for (auto& t : posix::St().timers) {
        if (t.hwnd == hwnd && t.id == id) {
            t.periodMs = ms;
            t.dueMs = posix::NowMs() + ms;
            return id;
        }
    }
    posix::St().timers.push_back(posix::TimerRec{hwnd, id, ms, posix::NowMs() + ms});
    return id;
}

bool KillTimer(Hwnd hwnd, std::uintptr_t id) {
    auto& timers = posix::St().timers;
    auto it = std::find_if(timers.begin(), timers.end(),
                           [&](const posix::TimerRec& t) { return t.hwnd == hwnd && t.id == id; });
    if (it == timers.end()) return false;
    timers.erase(it);
    // A WM_TIMER already queued for it is dropped too.
    auto& q = posix::St().queue;
    q.erase(std::remove_if(q.begin(), q.end(),
                           [&](const Msg& m) { return m.hwnd == hwnd && m.message == WM_TIMER && m.wParam == id; }),
            q.end());
    return true;
}

}  // namespace plat
