// GTK 3 dialog host of the Linux desktop (the dialog module): modal dialogs from the templates.
#include <gtk/gtk.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/Dialog.h"
#include "platform/Messages.h"
#include "platform/posix/PosixDialogHost.h"
#include "platform/posix/PosixDialogModule.h"
#include "platform/posix/PosixWindowRouter.h"

using namespace plat::codes;

namespace plat::posix {

namespace {

// Far above X window ids (29 bits), so dialog handles never meet the desktop's windows.
constexpr Hwnd kFirstDialogHandle = 0x7D000000u;
constexpr Hwnd kDialogHandleStep = 0x1000u;

// Compact widgets, so that controls fit their template rectangles at the dialog font's size.
const char kDialogCss[] =
    "#morgrave-dialog, #morgrave-dialog * { font-family: Sans; font-size: 8pt; }\n"
    "#morgrave-dialog button { padding: 0px 6px; min-height: 0px; min-width: 0px; }\n"
    "#morgrave-dialog checkbutton { padding: 0px; min-height: 0px; }\n"
    "#morgrave-dialog check { margin: 0px 4px 0px 0px; min-width: 12px; min-height: 12px; }\n"
    "#morgrave-dialog scale { padding: 0px 6px; min-height: 0px; }\n"
    "#morgrave-dialog scale slider { min-width: 10px; min-height: 16px; margin: -7px; }\n"
    "#morgrave-dialog headerbar { min-height: 0px; padding: 2px 4px; }\n"
    "#morgrave-dialog headerbar button.titlebutton { padding: 1px; min-height: 0px; min-width: 0px; }\n"
    "#morgrave-dialog headerbar .title { font-weight: bold; }\n"
    "#morgrave-dialog frame > border { border-radius: 0px; }\n"
    "#morgrave-dialog textview text { background-color: @theme_base_color; }\n";

DialogHostState g_state;

bool EnsureGtk() {
    DialogHostState& s = DialogHost();
    if (s.gtkTried) return s.gtkReady;
    s.gtkTried = true;
    // The dialogs draw through X11 like the rest of the saver; no accessibility bus is needed.
    gdk_set_allowed_backends("x11");
    if (std::getenv("NO_AT_BRIDGE") == nullptr) setenv("NO_AT_BRIDGE", "1", 0);
    s.gtkReady = gtk_init_check(nullptr, nullptr) != FALSE;
    if (!s.gtkReady) {
        std::fprintf(stderr, "morgrave: cannot open the X display for the settings dialog (is DISPLAY set?)\n");
        std::exit(1);
    }
    s.css = gtk_css_provider_new();
    gtk_css_provider_load_from_data(s.css, kDialogCss, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(s.css),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    s.nextHandle = kFirstDialogHandle;
    return true;
}

GtkDialogRun* FindDialog(Hwnd h) {
    GtkDialogRun* run = FindDialogRun(h);
    return (run != nullptr && run->model.hwnd == h) ? run : nullptr;
}

// Messages for handles of running dialogs, as the desktop's SendMessage/PostMessage hand them on.
bool RouterOwns(Hwnd h) { return FindDialogRun(h) != nullptr; }

std::intptr_t RouterSend(Hwnd h, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    GtkDialogRun* run = FindDialogRun(h);
    if (run == nullptr) return 0;
    if (h == run->model.hwnd) return run->model.Send(msg, wParam, lParam);
    std::intptr_t result = 0;
    run->model.ControlMessage(h, msg, wParam, lParam, &result);
    return result;
}

struct PostedMessage {
    Hwnd hwnd;
    std::uint32_t msg;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

bool RouterPost(Hwnd h, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    if (FindDialogRun(h) == nullptr) return false;
    g_idle_add(
        +[](gpointer data) -> gboolean {
            auto* p = static_cast<PostedMessage*>(data);
            if (FindDialogRun(p->hwnd) != nullptr) RouterSend(p->hwnd, p->msg, p->wParam, p->lParam);
            delete p;
            return G_SOURCE_REMOVE;
        },
        new PostedMessage{h, msg, wParam, lParam});
    return true;
}

bool RouterClientRect(Hwnd h, Rect* out) {
    GtkDialogRun* run = FindDialogRun(h);
    if (run == nullptr || out == nullptr) return false;
    if (h == run->model.hwnd) {
        *out = Rect{0, 0, run->clientWidth, run->clientHeight};
    } else {
        const DialogControl* c = run->model.Find(h);
        *out = Rect{0, 0, DluToPixelsX(c->cx, run->baseX), DluToPixelsY(c->cy, run->baseY)};
    }
    return true;
}

const MessageRouter kRouter{&RouterOwns, &RouterSend, &RouterPost, &RouterClientRect};

Rect WindowRectOf(const GtkDialogRun& run) {
    return Rect{run.origin.x, run.origin.y, run.origin.x + run.clientWidth,
                run.origin.y + run.captionHeight + run.clientHeight};
}

}  // namespace

DialogHostState& DialogHost() { return g_state; }

GtkDialogRun* FindDialogRun(Hwnd h) {
    for (GtkDialogRun* run : DialogHost().running) {
        if (run->model.Owns(h)) return run;
    }
    return nullptr;
}

}  // namespace plat::posix

// The seam's dialog calls as the module gives them (PosixDialogModule.cpp puts them in its table).
namespace plat::posix::gtkhost {

std::intptr_t DialogBoxParam(std::uint16_t templateId, Hwnd owner, DlgProc proc, void* user) {
    if (proc == nullptr || !posix::EnsureGtk()) return -1;
    posix::DialogHostState& host = posix::DialogHost();
    GtkDialogRun run;
    const Hwnd h = host.nextHandle;
    if (!run.model.Build(templateId, h)) return -1;
    host.nextHandle += posix::kDialogHandleStep;
    run.model.proc = proc;
    run.model.owner = owner;
    posix::BuildDialogWindow(run);

    // The template's position counts from the owner's client area (the screen without owner).
    GtkDialogRun* ownerRun = posix::FindDialog(owner);
    Point base{};
    if (ownerRun != nullptr) base = Point{ownerRun->origin.x, ownerRun->origin.y + ownerRun->captionHeight};
    run.origin = Point{base.x + DluToPixelsX(run.model.x, run.baseX), base.y + DluToPixelsY(run.model.y, run.baseY)};
    gtk_window_move(GTK_WINDOW(run.window), run.origin.x, run.origin.y);

    if (host.running.empty()) posix::SetMessageRouter(&posix::kRouter);
    host.running.push_back(&run);
    // The owner takes no input while this dialog runs; GTK's modal grab keeps it from the user.
    const bool ownerWasEnabled = ownerRun != nullptr && ownerRun->model.enabled;
    if (ownerRun != nullptr) {
        ownerRun->model.enabled = false;
        gtk_window_set_transient_for(GTK_WINDOW(run.window), GTK_WINDOW(ownerRun->window));
    }
    gtk_window_set_modal(GTK_WINDOW(run.window), TRUE);

    const DialogControl* first = run.model.FirstTabStop();
    const std::intptr_t focusFirst =
        proc(h, WM_INITDIALOG, first != nullptr ? first->hwnd : 0, reinterpret_cast<std::intptr_t>(user));
    if (!run.model.ended) {
        gtk_widget_show_all(run.window);
        gtk_window_move(GTK_WINDOW(run.window), run.origin.x, run.origin.y);
        gtk_window_present(GTK_WINDOW(run.window));
        if (focusFirst != 0 && first != nullptr) {
            gtk_widget_grab_focus(run.widgets[static_cast<std::size_t>(first - run.model.controls.data())]);
        }
        run.loop = g_main_loop_new(nullptr, FALSE);
        if (!run.model.ended) g_main_loop_run(run.loop);
        g_main_loop_unref(run.loop);
        run.loop = nullptr;
    }

    if (ownerRun != nullptr && ownerWasEnabled) ownerRun->model.enabled = true;
    run.model.onChanged = nullptr;
    gtk_widget_destroy(run.window);
    run.window = nullptr;
    host.running.pop_back();
    if (host.running.empty()) posix::SetMessageRouter(nullptr);
    // Let the window go from the screen before the caller carries on.
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
    if (ownerRun != nullptr) gtk_window_present(GTK_WINDOW(ownerRun->window));
    return run.model.result;
}

bool EndDialog(Hwnd dlg, std::intptr_t result) {
    GtkDialogRun* run = posix::FindDialog(dlg);
    if (run == nullptr || run->model.ended) return false;
    run->model.ended = true;
    run->model.result = result;
    if (run->loop != nullptr) g_main_loop_quit(run->loop);
    return true;
}

Hwnd GetDlgItem(Hwnd dlg, int id) {
    GtkDialogRun* run = posix::FindDialog(dlg);
    if (run == nullptr) return 0;
    const DialogControl* c = run->model.FindId(id);
    return c != nullptr ? c->hwnd : 0;
}

int GetDlgCtrlID(Hwnd control) {
    GtkDialogRun* run = posix::FindDialogRun(control);
    const DialogControl* c = run != nullptr ? run->model.Find(control) : nullptr;
    return c != nullptr ? c->id : 0;
}

bool SetWindowText(Hwnd hwnd, const char* text) {
    GtkDialogRun* run = posix::FindDialogRun(hwnd);
    if (run == nullptr) return false;
    const std::string value = text != nullptr ? text : "";
    if (hwnd == run->model.hwnd) {
        run->model.title = value;
        gtk_window_set_title(GTK_WINDOW(run->window), value.c_str());
        gtk_header_bar_set_title(GTK_HEADER_BAR(run->header), value.c_str());
        return true;
    }
    std::intptr_t ignored = 0;
    return run->model.ControlMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<std::intptr_t>(value.c_str()), &ignored);
}

std::string GetWindowText(Hwnd hwnd) {
    GtkDialogRun* run = posix::FindDialogRun(hwnd);
    if (run == nullptr) return {};
    if (hwnd == run->model.hwnd) return run->model.title;
    const DialogControl* c = run->model.Find(hwnd);
    return c != nullptr ? c->text : std::string{};
}

bool GetWindowRect(Hwnd hwnd, Rect* out) {
    GtkDialogRun* run = posix::FindDialogRun(hwnd);
    if (run == nullptr || out == nullptr) return false;
    if (hwnd == run->model.hwnd) {
        *out = posix::WindowRectOf(*run);
        return true;
    }
    const DialogControl* c = run->model.Find(hwnd);
    const std::int32_t left = run->origin.x + DluToPixelsX(c->x, run->baseX);
    const std::int32_t top = run->origin.y + run->captionHeight + DluToPixelsY(c->y, run->baseY);
    *out = Rect{left, top, left + DluToPixelsX(c->cx, run->baseX), top + DluToPixelsY(c->cy, run->baseY)};
    return true;
}

bool MoveWindowTo(Hwnd hwnd, std::int32_t x, std::int32_t y) {
    GtkDialogRun* run = posix::FindDialog(hwnd);
    if (run == nullptr) return false;
    run->origin = Point{x, y};
    gtk_window_move(GTK_WINDOW(run->window), x, y);
    return true;
}

Rect GetWorkArea() {
    if (!posix::EnsureGtk()) return Rect{0, 0, 1024, 768};
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (monitor == nullptr) monitor = gdk_display_get_monitor(display, 0);
    if (monitor == nullptr) return Rect{0, 0, 1024, 768};
    GdkRectangle area{};
    gdk_monitor_get_workarea(monitor, &area);
    return Rect{area.x, area.y, area.x + area.width, area.y + area.height};
}

Hwnd GetOwner(Hwnd hwnd) {
    GtkDialogRun* run = posix::FindDialog(hwnd);
    return run != nullptr ? run->model.owner : 0;
}

bool EnableWindow(Hwnd hwnd, bool enable) {
    GtkDialogRun* run = posix::FindDialogRun(hwnd);
    if (run == nullptr) return false;
    bool wasDisabled = false;
    if (hwnd == run->model.hwnd) {
        wasDisabled = !run->model.enabled;
        run->model.enabled = enable;
        gtk_widget_set_sensitive(run->fixed, enable ? TRUE : FALSE);
    } else {
        DialogControl* c = run->model.Find(hwnd);
        wasDisabled = !c->enabled;
        c->enabled = enable;
        posix::SyncControlWidget(*run, *c);
    }
    return wasDisabled;
}

bool IsWindowEnabled(Hwnd hwnd) {
    GtkDialogRun* run = posix::FindDialogRun(hwnd);
    if (run == nullptr) return hwnd != 0;
    if (hwnd == run->model.hwnd) return run->model.enabled;
    return run->model.Find(hwnd)->enabled;
}

HMenu GetSystemMenu(Hwnd hwnd) {
    // Each dialog has one system menu; its handle is the dialog's own.
    return posix::FindDialog(hwnd) != nullptr ? static_cast<HMenu>(hwnd) : 0;
}

bool AppendMenu(HMenu menu, std::uint32_t flags, std::uintptr_t id, const char* text) {
    GtkDialogRun* run = posix::FindDialog(static_cast<Hwnd>(menu));
    if (run == nullptr) return false;
    const bool separator = (flags & MF_SEPARATOR) != 0;
    run->model.systemMenu.push_back(MenuEntry{flags, separator ? 0 : id, separator || text == nullptr ? "" : text});
    return true;
}

}  // namespace plat::posix::gtkhost
