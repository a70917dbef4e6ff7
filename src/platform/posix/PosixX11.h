// The few Xlib services SDL2 cannot give: depth, foreign windows, their destruction, pixels.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Types.h"

struct SDL_Window;

namespace plat::posix::x11 {

// EnsureVideo: open our own connection and install the error handler (false: no display).
bool Open();

// GetDisplayCaps: the default depth and screen size of the server, and whether its default
// visual has colour masks (TrueColor or DirectColor: the kinds the 32-bit stores can be shown on).
int DefaultDepthBits();
bool DefaultVisualHasColourMasks();
int ScreenWidth();
int ScreenHeight();

// GetMonitors: the monitors of the default screen in root coordinates: Xinerama's heads when it is
// active, else RandR 1.5 monitors; false when neither names any.
bool Monitors(std::vector<Rect>* out);

// IsWindow / GetClientRect on foreign windows: does the id name a live window, and its size.
bool WindowSize(unsigned long window, int* width, int* height);

// CreateWindowEx of a child: an input-less child of `parent`, mapped, whose destruction and
// exposure (and the parent's destruction and resizing) are reported by Drain. 0 on failure.
unsigned long CreateChild(unsigned long parent, int x, int y, int width, int height);
// Following a resized parent: move such a child (a window SDL does not manage the place of).
void MoveChild(unsigned long window, int x, int y);
// DestroyWindow of such a child.
void DestroyChild(unsigned long window);

struct Event {
    enum Kind { Destroyed, Exposed, Resized } kind;
    unsigned long window;
    int width = 0, height = 0;  // Resized: the window's new size
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

// PresentRects where SDL has no surface for the window's visual (30-bit and other TrueColor
// depths it does not know): converts the 0x00RRGGBB pixels of `rects` (already clipped to the
// store) to the window's visual and puts them. False when the visual has no colour masks
// (TrueColor, or the linear DirectColor SDL sets up).
bool PutRects(unsigned long window, const std::uint32_t* pixels, int pitch, const Rect* rects, int count);

// MessageBox colours: the screen's black and white pixel values.
unsigned long BlackPixelValue();
unsigned long WhitePixelValue();

}  // namespace plat::posix::x11
