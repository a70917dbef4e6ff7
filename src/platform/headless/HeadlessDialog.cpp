// Headless dialog host: dialogs built from the real templates in memory, driven by a test script.
#include "platform/headless/HeadlessDialog.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <set>

#include "platform/Dialog.h"
#include "platform/Messages.h"
#include "platform/Resources.h"
#include "platform/Window.h"
#include "platform/common/DialogModel.h"
#include "platform/headless/HeadlessDisplay.h"

using namespace plat::codes;

namespace {

// The base units of "MS Sans Serif" 8 pt at 96 dpi, and the frame of a dialog with a caption.
constexpr int kBaseX = 6, kBaseY = 13;
constexpr std::int32_t kBorder = 3, kCaption = 19;
// Dialog handles live far above the window back-end's, so the two never meet.
constexpr plat::Hwnd kFirstDialogHandle = 0x7D000000u;
constexpr plat::Hwnd kDialogHandleStep = 0x1000u;
constexpr std::uintptr_t kIconHandleTag = 0x1C000000u;

struct RunningDialog {
    std::unique_ptr<plat::DialogModel> model;
    plat::Point origin;  // screen position of the window's top-left corner
};

// The back-end's one state object: what a window system would hold for dialogs.
struct DialogHost {
    headless::DialogScript script;
    std::vector<RunningDialog> running;  // outermost first
    std::vector<headless::DialogRun> log;
    std::optional<plat::Rect> workArea;
    std::set<plat::Hwnd> disabledWindows;  // windows of the window back-end that a dialog disabled
    plat::Hwnd nextHandle = kFirstDialogHandle;
};

DialogHost g_host;

DialogHost& H() { return g_host; }

RunningDialog* FindRunning(plat::Hwnd h) {
    for (RunningDialog& r : H().running) {
        if (r.model->Owns(h)) return &r;
    }
    return nullptr;
}

plat::DialogModel* FindDialog(plat::Hwnd dlg) {
    RunningDialog* r = FindRunning(dlg);
    return (r != nullptr && r->model->hwnd == dlg) ? r->model.get() : nullptr;
}

plat::Rect ClientPixels(const plat::DialogModel& m) {
    return plat::Rect{0, 0, plat::DluToPixelsX(m.cx, kBaseX), plat::DluToPixelsY(m.cy, kBaseY)};
}

plat::Rect WindowRectOf(const RunningDialog& r) {
    const plat::Rect client = ClientPixels(*r.model);
    return plat::Rect{r.origin.x, r.origin.y, r.origin.x + client.right + 2 * kBorder,
                      r.origin.y + client.bottom + 2 * kBorder + kCaption};
}

plat::Point ClientOrigin(const RunningDialog& r) {
    return plat::Point{r.origin.x + kBorder, r.origin.y + kBorder + kCaption};
}

plat::Rect ControlPixels(const plat::DialogControl& c) {
    const std::int32_t l = plat::DluToPixelsX(c.x, kBaseX), t = plat::DluToPixelsY(c.y, kBaseY);
    return plat::Rect{l, t, l + plat::DluToPixelsX(c.cx, kBaseX), t + plat::DluToPixelsY(c.cy, kBaseY)};
}

// Where a window's client area starts on the screen: a dialog's, or one of the window back-end.
bool ScreenClientOrigin(plat::Hwnd h, plat::Point* out) {
    if (RunningDialog* r = FindRunning(h); r != nullptr && r->model->hwnd == h) {
        *out = ClientOrigin(*r);
        return true;
    }
    return headless::WindowScreenOrigin(h, out);
}

template <typename Fn>
bool WithDialog(plat::Hwnd dlg, Fn&& fn) {
    plat::DialogModel* m = FindDialog(dlg);
    return m != nullptr && fn(*m);
}

}  // namespace

namespace headless {

void SetDialogScript(DialogScript script) { H().script = std::move(script); }

void ResetDialogs() {
    DialogHost& h = H();
    h.script = nullptr;
    h.log.clear();
    h.workArea.reset();
    h.disabledWindows.clear();
}

void SetWorkArea(const plat::Rect& area) { H().workArea = area; }

const std::vector<DialogRun>& DialogLog() { return H().log; }

std::vector<plat::Hwnd> RunningDialogs() {
    std::vector<plat::Hwnd> out;
    for (const RunningDialog& r : H().running) out.push_back(r.model->hwnd);
    return out;
}

bool GetControl(plat::Hwnd dlg, int id, ControlState* out) {
    return WithDialog(dlg, [&](plat::DialogModel& m) {
        const plat::DialogControl* c = m.FindId(id);
        if (c == nullptr || out == nullptr) return false;
        *out = ControlState{c->className, c->text,     c->style, c->enabled, c->check,
                            c->rangeMin,  c->rangeMax, c->pos,   c->iconId,  ControlPixels(*c)};
        return true;
    });
}

std::vector<int> ControlIds(plat::Hwnd dlg) {
    std::vector<int> ids;
    WithDialog(dlg, [&](plat::DialogModel& m) {
        for (const plat::DialogControl& c : m.controls) ids.push_back(c.id);
        return true;
    });
    return ids;
}

std::vector<MenuItem> SystemMenu(plat::Hwnd dlg) {
    std::vector<MenuItem> items;
    WithDialog(dlg, [&](plat::DialogModel& m) {
        for (const plat::MenuEntry& e : m.systemMenu)
            items.push_back(MenuItem{e.text, e.id, (e.flags & MF_SEPARATOR) != 0});
        return true;
    });
    return items;
}

bool Click(plat::Hwnd dlg, int id) {
    return WithDialog(dlg, [&](plat::DialogModel& m) { return m.Click(id); });
}

bool PressEnter(plat::Hwnd dlg) {
    return WithDialog(dlg, [](plat::DialogModel& m) { return m.PressEnter(); });
}

bool PressEscape(plat::Hwnd dlg) {
    return WithDialog(dlg, [](plat::DialogModel& m) { return m.PressEscape(); });
}

bool PressCloseBox(plat::Hwnd dlg) {
    return WithDialog(dlg, [](plat::DialogModel& m) { return m.CloseBox(); });
}

bool ChooseSystemMenuItem(plat::Hwnd dlg, std::uintptr_t id) {
    return WithDialog(dlg, [&](plat::DialogModel& m) { return m.ChooseMenuItem(id); });
}

bool PressSliderKey(plat::Hwnd dlg, int id, SliderKey key) {
    std::uint32_t code = TB_LINEDOWN;
    switch (key) {
        case SliderKey::Left: code = TB_LINEUP; break;
        case SliderKey::Right: code = TB_LINEDOWN; break;
        case SliderKey::PageUp: code = TB_PAGEUP; break;
        case SliderKey::PageDown: code = TB_PAGEDOWN; break;
        case SliderKey::Home: code = TB_TOP; break;
        case SliderKey::End: code = TB_BOTTOM; break;
    }
    return WithDialog(dlg, [&](plat::DialogModel& m) { return m.MoveTrackbar(id, code); });
}

bool DragSlider(plat::Hwnd dlg, int id, int pos) {
    return WithDialog(dlg, [&](plat::DialogModel& m) {
        plat::DialogControl* c = m.FindId(id);
        if (c == nullptr || c->kind != plat::ControlKind::Trackbar || !m.CanTakeInput() || !c->enabled) return false;
        const int target = plat::DialogModel::TrackbarTarget(*c, TB_THUMBPOSITION, pos);
        // The thumb passes every position on its way, as a mouse drag reports it.
        const int step = target >= c->pos ? 1 : -1;
        for (int p = c->pos; p != target;) {
            p += step;
            c->pos = p;
            m.Send(WM_HSCROLL,
                   static_cast<std::uintptr_t>((TB_THUMBTRACK & 0xFFFFu) |
                                               ((static_cast<std::uint32_t>(p) & 0xFFFFu) << 16)),
                   static_cast<std::intptr_t>(c->hwnd));
            if (m.ended) return true;
        }
        return m.MoveTrackbar(id, TB_THUMBPOSITION, target);
    });
}

bool DialogSendMessage(plat::Hwnd hwnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam,
                       std::intptr_t* result) {
    RunningDialog* r = FindRunning(hwnd);
    if (r == nullptr) return false;
    std::intptr_t value = 0;
    if (hwnd == r->model->hwnd) {
        value = r->model->Send(msg, wParam, lParam);
    } else {
        r->model->ControlMessage(hwnd, msg, wParam, lParam, &value);
    }
    if (result != nullptr) *result = value;
    return true;
}

}  // namespace headless

namespace plat {

std::intptr_t DialogBoxParam(std::uint16_t templateId, Hwnd owner, DlgProc proc, void* user) {
    if (proc == nullptr) return -1;
    DialogHost& host = H();
    auto model = std::make_unique<DialogModel>();
    const Hwnd h = host.nextHandle;
    if (!model->Build(templateId, h)) return -1;
    host.nextHandle += kDialogHandleStep;
    model->proc = proc;
    model->owner = owner;

    // The template's position counts from the owner's client area (the screen without owner).
    Point base{};
    if (owner != 0 && !ScreenClientOrigin(owner, &base)) base = Point{};
    const Point origin{base.x + DluToPixelsX(model->x, kBaseX), base.y + DluToPixelsY(model->y, kBaseY)};
    RunningDialog running{std::move(model), origin};
    host.running.push_back(std::move(running));
    DialogModel& m = *host.running.back().model;

    headless::DialogRun run;
    run.templateId = templateId;
    run.hwnd = h;
    run.owner = owner;
    const bool ownerWasEnabled = owner != 0 && IsWindowEnabled(owner);
    if (owner != 0) EnableWindow(owner, false);
    run.ownerDisabledWhileRunning = owner != 0 && !IsWindowEnabled(owner);

    const DialogControl* first = m.FirstTabStop();
    proc(h, WM_INITDIALOG, first != nullptr ? first->hwnd : 0, reinterpret_cast<std::intptr_t>(user));
    if (!m.ended && host.script) {
        const headless::DialogScript script = host.script;  // a nested run may call it again
        script(h, templateId);
    }
    if (!m.ended) m.PressEscape();
    if (!m.ended) {
        m.ended = true;
        m.result = -1;
    }
    const std::intptr_t result = m.result;

    if (owner != 0 && ownerWasEnabled) EnableWindow(owner, true);
    run.ownerEnabledAfter = owner != 0 && IsWindowEnabled(owner);
    run.result = result;
    host.running.pop_back();
    host.log.push_back(run);
    return result;
}

bool EndDialog(Hwnd dlg, std::intptr_t result) {
    DialogModel* m = FindDialog(dlg);
    if (m == nullptr || m->ended) return false;
    m->ended = true;
    m->result = result;
    return true;
}

Hwnd GetDlgItem(Hwnd dlg, int id) {
    DialogModel* m = FindDialog(dlg);
    if (m == nullptr) return 0;
    const DialogControl* c = m->FindId(id);
    return c != nullptr ? c->hwnd : 0;
}

int GetDlgCtrlID(Hwnd control) {
    RunningDialog* r = FindRunning(control);
    if (r == nullptr) return 0;
    const DialogControl* c = r->model->Find(control);
    return c != nullptr ? c->id : 0;
}

bool SetWindowText(Hwnd hwnd, const char* text) {
    RunningDialog* r = FindRunning(hwnd);
    if (r == nullptr) return false;
    const std::string value = text != nullptr ? text : "";
    if (hwnd == r->model->hwnd) {
        r->model->title = value;
        return true;
    }
    std::intptr_t ignored = 0;
    return r->model->ControlMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<std::intptr_t>(value.c_str()), &ignored);
}

std::string GetWindowText(Hwnd hwnd) {
    RunningDialog* r = FindRunning(hwnd);
    if (r == nullptr) return {};
    if (hwnd == r->model->hwnd) return r->model->title;
    const DialogControl* c = r->model->Find(hwnd);
    return c != nullptr ? c->text : std::string{};
}

bool GetWindowRect(Hwnd hwnd, Rect* out) {
    if (out == nullptr) return false;
    if (RunningDialog* r = FindRunning(hwnd)) {
        if (hwnd == r->model->hwnd) {
            *out = WindowRectOf(*r);
        } else {
            const Rect c = ControlPixels(*r->model->Find(hwnd));
            const Point o = ClientOrigin(*r);
            *out = Rect{o.x + c.left, o.y + c.top, o.x + c.right, o.y + c.bottom};
        }
        return true;
    }
    Point origin{};
    Rect client{};
    if (!headless::WindowScreenOrigin(hwnd, &origin) || !GetClientRect(hwnd, &client)) return false;
    *out = Rect{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
    return true;
}

bool MoveWindowTo(Hwnd hwnd, std::int32_t x, std::int32_t y) {
    RunningDialog* r = FindRunning(hwnd);
    if (r == nullptr || r->model->hwnd != hwnd) return false;
    r->origin = Point{x, y};
    return true;
}

Rect GetWorkArea() {
    if (H().workArea) return *H().workArea;
    const DisplayCaps caps = GetDisplayCaps();
    const std::int32_t w = caps.width > 0 ? caps.width : 1024;
    const std::int32_t h = caps.height > 0 ? caps.height : 768;
    return Rect{0, 0, w, std::max<std::int32_t>(0, h - 30)};
}

Hwnd GetOwner(Hwnd hwnd) {
    DialogModel* m = FindDialog(hwnd);
    return m != nullptr ? m->owner : 0;
}

bool EnableWindow(Hwnd hwnd, bool enable) {
    bool wasDisabled = false;
    if (RunningDialog* r = FindRunning(hwnd)) {
        if (hwnd == r->model->hwnd) {
            wasDisabled = !r->model->enabled;
            r->model->enabled = enable;
        } else {
            DialogControl* c = r->model->Find(hwnd);
            wasDisabled = !c->enabled;
            c->enabled = enable;
            if (r->model->onChanged) r->model->onChanged(*c);
        }
        return wasDisabled;
    }
    wasDisabled = H().disabledWindows.count(hwnd) != 0;
    if (enable) {
        H().disabledWindows.erase(hwnd);
    } else if (hwnd != 0) {
        H().disabledWindows.insert(hwnd);
    }
    return wasDisabled;
}

bool IsWindowEnabled(Hwnd hwnd) {
    if (RunningDialog* r = FindRunning(hwnd)) {
        if (hwnd == r->model->hwnd) return r->model->enabled;
        return r->model->Find(hwnd)->enabled;
    }
    return hwnd != 0 && H().disabledWindows.count(hwnd) == 0;
}

HMenu GetSystemMenu(Hwnd hwnd) {
    // The menu handle is the dialog's own: each dialog has exactly one system menu.
    return FindDialog(hwnd) != nullptr ? static_cast<HMenu>(hwnd) : 0;
}

bool AppendMenu(HMenu menu, std::uint32_t flags, std::uintptr_t id, const char* text) {
    DialogModel* m = FindDialog(static_cast<Hwnd>(menu));
    if (m == nullptr) return false;
    const bool separator = (flags & MF_SEPARATOR) != 0;
    m->systemMenu.push_back(MenuEntry{flags, separator ? 0 : id, separator || text == nullptr ? "" : text});
    return true;
}

HIcon LoadIcon(std::uint16_t id) {
    const ResData group = FindResource(kRtGroupIcon, id);
    return group.data != nullptr ? static_cast<HIcon>(kIconHandleTag | id) : 0;
}

}  // namespace plat
