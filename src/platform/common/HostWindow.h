// HostWindow: the foreign window a screen-saver daemon asks the saver to draw into, read strictly.
#pragma once

namespace plat {

struct HostWindowRequest {
    bool requested = false;  // "-window-id" / "--window-id" given, or $XSCREENSAVER_WINDOW set
    unsigned long id = 0;    // the window when the request names one plausibly, else 0
};

// The desktop back-end at start-up: the request of the command line (an option after the mode
// letter, the first one counts) or else of `environmentValue` ($XSCREENSAVER_WINDOW, may be null).
// A request whose id is not one X window id (decimal or 0x hex, 1 to 0x1fffffff, nothing else
// around it) keeps `requested` with id 0: the caller must refuse it, never fall back to the screen.
HostWindowRequest ReadHostWindowRequest(int argc, const char* const* argv, const char* environmentValue);

}  // namespace plat
