// Test control of the headless display: size and depth, foreign windows, queue pumps and logs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace headless {

// Tests and the recorder call this first: destroys every window (with their messages), clears the
// queue, timers, logs and class registrations, and makes a black screen of this size and depth.
// Depth 8 reports a palette display (RC_PALETTE, 20 static colours, 256 palette entries).
void ResetDisplay(std::int32_t width, std::int32_t height, std::int32_t bitsPerPixel);

// Tests set the monitors inside the screen (screen coordinates); an empty list, and every
// ResetDisplay, leaves one monitor covering the whole screen.
void SetMonitors(const std::vector<plat::Rect>& monitors);

// Tests read the screen framebuffer: what presented windows and direct display drawing show.
const plat::Surface& Screen();
// Tests read a window's own backing store (nullptr for unknown or foreign windows).
const plat::Surface* WindowBackingStore(plat::Hwnd hwnd);
// Tests: screen position of a window's client origin; false for an unknown window.
bool WindowScreenOrigin(plat::Hwnd hwnd, plat::Point* out);
// Tests: the window handles alive now, in creation order (foreign ones included).
std::vector<plat::Hwnd> Windows();

// Every PresentRects / PresentDisplay call, one entry per rectangle as passed (window
// coordinates; hwnd 0 for the display), in order.
struct Presented {
    plat::Hwnd hwnd = 0;
    plat::Rect rect;
};
const std::vector<Presented>& PresentLog();
void ClearPresentLog();

// Tests create a window the program did not make (the display settings' preview area): a top-level
// window at this screen position with no window procedure. Destroy it with plat::DestroyWindow.
plat::Hwnd CreateForeignWindow(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);

// Message boxes shown (all answered IDOK at once).
struct MessageBoxRecord {
    plat::Hwnd owner = 0;
    std::string text;
    std::string caption;
    std::uint32_t type = 0;
};
const std::vector<MessageBoxRecord>& MessageBoxes();

// Cursor calls: how often SetCursorNone ran, and ShowCursor's display count (starts at 0).
int CursorNoneCalls();
int CursorDisplayCount();

// Window class registrations made so far (RegisterClass calls that succeeded).
int ClassRegistrations();

// The queue as tests drive it. plat::GetMessage never waits: with nothing queued, no window to
// paint and no timer due, it fires the earliest timer only while the tick budget lasts (each
// such timer event moves the simulated clock to that timer's due time: +50 ms for the scene's
// timer); otherwise it returns false with message 0 ("idle"), unlike WM_QUIT (message WM_QUIT).
void SetTickBudget(int ticks);
int TickBudget();

// Tests and the recorder: dispatch messages until idle or WM_QUIT; returns how many were
// dispatched. RunTicks(n) does the same with a budget of n timer events and returns how many
// timer events fired.
int PumpMessages();
int RunTicks(int ticks);
// True once a WM_QUIT was taken from the queue (by GetMessage or the pumps); `code` its wParam.
bool QuitReceived(int* code = nullptr);
// Every message posted to a live window since the reset, in order (kept even when the window
// is destroyed and its queue entries dropped).
const std::vector<plat::Msg>& PostedLog();
// Pending posted messages (tests look at what a handler posted), oldest first.
std::vector<plat::Msg> PendingMessages();

}  // namespace headless
