// The GTK 3 dialog host's state: one record per running dialog, shared by its two source files.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <vector>

#include "platform/common/DialogModel.h"

namespace plat::posix {

struct GtkDialogRun;

// What a widget's signal handler needs: its dialog and its control's index.
struct ControlRef {
    GtkDialogRun* run = nullptr;
    std::size_t index = 0;
};

struct GtkDialogRun {
    DialogModel model;
    GtkWidget* window = nullptr;
    GtkWidget* header = nullptr;      // the title bar with the close box
    GtkWidget* fixed = nullptr;       // the client area
    std::vector<GtkWidget*> widgets;  // per control: the widget that shows its state
    std::vector<std::unique_ptr<ControlRef>> refs;
    GMainLoop* loop = nullptr;
    bool syncing = false;       // widget changes made by the host itself, not the user
    bool dragging = false;      // the trackbar's thumb is being dragged
    int baseX = 6, baseY = 13;  // the dialog font's base units
    int clientWidth = 0, clientHeight = 0, captionHeight = 0;
    Point origin;  // screen position of the window's top-left corner
};

// The dialog host's one state object (GTK is started on first use).
struct DialogHostState {
    bool gtkTried = false;
    bool gtkReady = false;
    GtkCssProvider* css = nullptr;
    std::vector<GtkDialogRun*> running;  // outermost first
    Hwnd nextHandle = 0;
};
DialogHostState& DialogHost();

// The running dialog that owns `h` (the dialog or one of its controls), or nullptr.
GtkDialogRun* FindDialogRun(Hwnd h);

// Builds the window and one widget per control from the model (PosixDialogWidgets.cpp).
void BuildDialogWindow(GtkDialogRun& run);
// Shows a control's state in its widget (texts, check, trackbar, enabled).
void SyncControlWidget(GtkDialogRun& run, const DialogControl& c);
// Pops up the system menu at the pointer (event given) or at the dialog's top-left corner.
void PopupSystemMenu(GtkDialogRun& run, const GdkEvent* event);

}  // namespace plat::posix
