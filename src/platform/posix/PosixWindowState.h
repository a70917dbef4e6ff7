// The posix window back-end's own bookkeeping: classes, windows, the queue, timers, cursor.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Types.h"
#include "platform/common/HostWindow.h"

struct SDL_Window;
struct SDL_Cursor;

namespace plat::posix {

struct MessageRouter;

struct ClassRec {
    std::uint32_t style = 0;
    std::uint16_t cursorResId = 0;
    WndProc proc = nullptr;
};

struct WindowRec {
    Hwnd hwnd = 0;  // the X window id (ours)
    void* user = nullptr;
    WndProc proc = nullptr;
    std::string className;
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    Hwnd parent = 0;  // our window or a foreign X window; 0 for a top-level window
    SDL_Window* sdl = nullptr;
    bool ownXWindow = false;    // created through Xlib (a child), destroyed through Xlib
    bool xGone = false;         // the server destroyed it already (its parent went away)
    bool screenWindow = false;  // the topmost full-screen window: the display surface is its store
    bool grabbed = false;
    bool destroying = false;
    std::int32_t x = 0, y = 0, width = 0, height = 0;
    std::vector<std::uint32_t> store;  // 32-bit backing store, client-sized (unless direct)
    bool direct = false;               // the store is SDL's window surface itself
    Surface surface;
    bool paintPending = false;
    Rect invalid;
};

struct TimerRec {
    Hwnd hwnd = 0;
    std::uintptr_t id = 0;
    std::uint32_t periodMs = 0;
    std::uint64_t dueMs = 0;
};

// What the last wait found waiting: events on our connection or SDL's, a SIGTERM. PumpEvents
// reads only those; when no wait came since, it asks again without sleeping.
struct Readiness {
    bool known = false;
    bool ours = false, sdl = false, signal = false;
};

struct State {
    bool videoTried = false;
    bool videoUp = false;
    HostWindowRequest hostRequest;  // from the command line or the environment (StartProcess)
    Hwnd hostWindow = 0;            // XScreenSaver's window: the full-screen window is drawn inside it
    std::map<std::string, ClassRec> classes;
    std::vector<std::unique_ptr<WindowRec>> windows;  // creation order
    std::deque<Msg> queue;
    bool quitPosted = false;
    int quitCode = 0;
    std::vector<TimerRec> timers;
    std::map<std::uint16_t, SDL_Cursor*> cursors;
    SDL_Cursor* currentCursor = nullptr;
    bool cursorNone = false;
    int cursorCount = 0;
    std::vector<std::uint32_t> displayStore;  // the screen when no full-screen window exists
    Surface displaySurface;
    int signalPipe[2] = {-1, -1};
    const MessageRouter* router = nullptr;
    int verifyModuleFd = -1;  // the password module of the check in progress, run by a helper process
    Readiness ready;
};

// The back-end's one state object.
State& St();

// Window procedures, CreateWindowEx and the event pump: bring up SDL video and the X connection
// once (false when there is no display).
bool EnsureVideo();

// Queue and pump helpers: the window record of a handle, or nullptr.
WindowRec* Find(Hwnd hwnd);
WindowRec* FindBySdl(SDL_Window* win);
// The event pump: the top-level window input goes to when SDL names none.
WindowRec* InputTarget();

// Event translation and invalidation: queue a message / mark a window for repainting.
void Post(Hwnd hwnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam);
void InvalidateAll(WindowRec* rec);

// GetMessage/PeekMessage: move pending SDL and X events, and a pending SIGTERM, into the queue,
// reading only the connections that have input.
void PumpEvents();
// GetMessage: block until an event arrives or `timeoutMs` passes (-1: no deadline; 0: just look),
// and note in St().ready what has input.
void WaitForEvents(int timeoutMs);

// Event pump, when SDL is about to replace a window's surface: a store that was that surface
// becomes a copy of our own, so the drawing code never holds freed pixels.
void KeepOwnStore(WindowRec* rec);

// CreateWindowEx: does `p` lie in System V shared memory (which the kernel hands out zero-filled)?
bool InSharedMemory(const void* p);

// ShowCursor: take (true) or release (false) the keyboard and pointer of the full-screen window.
void SetScreenGrab(bool grab);

// Event pump, on a foreign window's new size: a preview child takes the parent's whole client
// area again and is repainted; the full-screen window inside a host keeps its size and is
// centred in the host, as the scene is centred on a screen.
void FollowParentSize(Hwnd parent, std::int32_t width, std::int32_t height);

// Destruction driven by the server (parent gone): destroy our window without touching X.
void DestroyAfterServerGone(Hwnd hwnd);

// StartProcess: a private helper invocation of the saver's executable runs here and ends the
// process (the password check's module runs in such a helper); anything else returns.
void RunPrivateHelper(int argc, char** argv);

// Monotonic milliseconds for timer deadlines.
std::uint64_t NowMs();

}  // namespace plat::posix
