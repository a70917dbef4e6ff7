// The few Xlib services SDL2 cannot give: depth, foreign windows, their destruction, pixels.
#pragma once

#include <cstdint>
#include <vector>

struct SDL_Window;

namespace plat::posix::x11 {

// EnsureVideo: open our own connection and install the error handler (false: no display).
bool Open();

// GetDisplayCaps: the default depth and screen size of the server.
int DefaultDepthBits();
int ScreenWidth();
int ScreenHeight();

// IsWindow / GetClientRect on foreign windows: does the id name a live window, and its size.
bool WindowSize(unsigned long window, int* width, int* height);

// CreateWindowEx of a child: an input-less child of `parent`, mapped, whose destruction and
// exposure (and the parent's destruction) are reported by Drain. 0 on failure.
unsigned long CreateChild(unsigned long parent, int x, int y, int width, int height);
// DestroyWindow of such a child.
void DestroyChild(unsigned long window);

struct Event {
    enum Kind { Destroyed, Exposed } kind;
    unsigned long window;
};
// PumpEvents: take the events of our connection.
void Drain(std::vector<Event>* out);

// WaitForEvents: file descriptors to wait on (our connection, SDL's connection of a window).
int ConnectionFd();
int SdlConnectionFd(SDL_Window* win);
// WaitForEvents, before it sleeps: sends what Xlib still buffers on both connections and tells
// whether events were already read into Xlib's queues (no system call).
bool FlushAndQueued();
bool SdlFlushAndQueued(SDL_Window* win);

// CreateWindowEx: the X id behind an SDL window.
unsigned long SdlWindowId(SDL_Window* win);

// MessageBox colours: the screen's black and white pixel values.
unsigned long BlackPixelValue();
unsigned long WhitePixelValue();

// EnsureVideo: XScreenSaver's window, from $XSCREENSAVER_WINDOW or "-window-id ID" / "--window-id ID"
// after the mode letter; 0 when none (or when it does not name a live window).
unsigned long HostWindowFromEnvironment();

}  // namespace plat::posix::x11
