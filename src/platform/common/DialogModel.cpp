// Dialog state shared by the headless and GTK dialog hosts: Win32 control and dialog semantics.
#include "platform/common/DialogModel.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "platform/Messages.h"
#include "platform/Resources.h"
#include "platform/common/DialogTemplate.h"

using namespace plat::codes;

namespace plat {

namespace {

std::uintptr_t MakeWParam(std::uint32_t lo, std::uint32_t hi) {
    return static_cast<std::uintptr_t>((lo & 0xFFFFu) | ((hi & 0xFFFFu) << 16));
}

std::string Upper(std::string s) {
    for (char& ch : s) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return s;
}

ControlKind KindOf(const std::string& cls, std::uint32_t style) {
    const std::uint32_t type = style & 0x0Fu;
    if (cls == "BUTTON") {
        switch (type) {
            case 0x0: return ControlKind::PushButton;
            case 0x1: return ControlKind::DefPushButton;
            case 0x2:
            case 0x3:
            case 0x5:
            case 0x6: return ControlKind::CheckBox;
            case 0x7: return ControlKind::GroupBox;
            default: return ControlKind::Other;
        }
    }
    if (cls == "STATIC") return (style & 0x1Fu) == 0x3u ? ControlKind::IconStatic : ControlKind::Static;
    if (cls == "EDIT") return ControlKind::Edit;
    if (cls == "MSCTLS_TRACKBAR32") return ControlKind::Trackbar;
    return ControlKind::Other;
}

// "#671" or a bare number names an icon resource.
int IconIdFromText(const std::string& text) {
    const char* p = text.c_str();
    if (*p == '#') ++p;
    if (*p < '0' || *p > '9') return 0;
    long v = std::strtol(p, nullptr, 10);
    return (v > 0 && v <= 0xFFFF) ? static_cast<int>(v) : 0;
}

int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

}  // namespace

std::int32_t DluToPixelsX(std::int32_t dlu, int baseX) {
    return static_cast<std::int32_t>((static_cast<std::int64_t>(dlu) * baseX + 2) / 4);
}

std::int32_t DluToPixelsY(std::int32_t dlu, int baseY) {
    return static_cast<std::int32_t>((static_cast<std::int64_t>(dlu) * baseY + 4) / 8);
}

bool DialogModel::Build(std::uint16_t id, Hwnd h) {
    const ResData res = FindResource(kRtDialog, id);
    if (res.data == nullptr) return false;
    DialogTemplate t;
    if (!ParseDialogTemplate(res.data, res.size, &t)) return false;
    hwnd = h;
    templateId = id;
    style = t.style;
    title = t.title;
    x = t.x;
    y = t.y;
    cx = t.cx;
    cy = t.cy;
    fontName = t.fontName;
    fontPoints = t.fontPointSize > 0 ? t.fontPointSize : 8;
    controls.clear();
    for (const DialogItem& item : t.items) {
        DialogControl c;
        c.hwnd = h + 1 + controls.size();
        c.id = static_cast<int>(static_cast<std::uint16_t>(item.id));
        c.className = Upper(item.className);
        c.style = item.style;
        c.kind = KindOf(c.className, item.style);
        if (item.textIsOrdinal) {
            c.iconId = item.textOrdinal;
        } else {
            c.text = item.text;
            if (c.kind == ControlKind::IconStatic) c.iconId = IconIdFromText(item.text);
        }
        c.x = item.x;
        c.y = item.y;
        c.cx = item.cx;
        c.cy = item.cy;
        c.enabled = (item.style & WS_DISABLED) == 0;
        controls.push_back(std::move(c));
    }
    systemMenu = {MenuEntry{0, SC_MOVE, "&Move"}, MenuEntry{0, SC_CLOSE, "&Close"}};
    return true;
}

DialogControl* DialogModel::Find(Hwnd h) {
    if (h <= hwnd || h > hwnd + controls.size()) return nullptr;
    return &controls[h - hwnd - 1];
}

DialogControl* DialogModel::FindId(int id) {
    for (DialogControl& c : controls) {
        if (c.id == id) return &c;
    }
    return nullptr;
}

DialogControl* DialogModel::DefaultButton() {
    for (DialogControl& c : controls) {
        if (c.kind == ControlKind::DefPushButton) return &c;
    }
    return FindId(IDOK);
}

DialogControl* DialogModel::FirstTabStop() {
    for (DialogControl& c : controls) {
        if ((c.style & WS_TABSTOP) != 0 && c.enabled) return &c;
    }
    return nullptr;
}

bool DialogModel::ControlMessage(Hwnd h, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam,
                                 std::intptr_t* out) {
    DialogControl* c = Find(h);
    if (c == nullptr) return false;
    std::intptr_t r = 0;
    bool changed = false;
    switch (msg) {
        case BM_GETCHECK: r = c->kind == ControlKind::CheckBox ? c->check : 0; break;
        case BM_SETCHECK:
            if (c->kind == ControlKind::CheckBox) {
                // A two-state box shows any non-zero state as checked, and reports it so.
                const int state = wParam != 0 ? 1 : 0;
                changed = state != c->check;
                c->check = state;
            }
            break;
        case TBM_GETPOS: r = c->pos; break;
        case TBM_GETRANGEMIN: r = c->rangeMin; break;
        case TBM_GETRANGEMAX: r = c->rangeMax; break;
        case TBM_GETPAGESIZE: r = c->pageSize; break;
        case TBM_SETPOS: {
            // Like the trackbar: the position is always kept inside the range.
            const int pos = Clamp(static_cast<int>(lParam), c->rangeMin, c->rangeMax);
            changed = pos != c->pos;
            c->pos = pos;
            break;
        }
        case TBM_SETRANGE:
        case TBM_SETRANGEMIN:
        case TBM_SETRANGEMAX: {
            if (msg == TBM_SETRANGE) {
                c->rangeMin = static_cast<std::int16_t>(lParam & 0xFFFF);
                c->rangeMax = static_cast<std::int16_t>((lParam >> 16) & 0xFFFF);
            } else if (msg == TBM_SETRANGEMIN) {
                c->rangeMin = static_cast<int>(lParam);
            } else {
                c->rangeMax = static_cast<int>(lParam);
            }
            if (c->rangeMax < c->rangeMin) c->rangeMax = c->rangeMin;
            c->pageSize = std::max(1, (c->rangeMax - c->rangeMin) / 5);
            c->pos = Clamp(c->pos, c->rangeMin, c->rangeMax);
            changed = true;
            break;
        }
        case TBM_SETPAGESIZE:
            r = c->pageSize;
            c->pageSize = std::max(1, static_cast<int>(lParam));
            break;
        case WM_SETTEXT:
            c->text = lParam != 0 ? reinterpret_cast<const char*>(lParam) : "";
            changed = true;
            r = 1;
            break;
        case WM_GETTEXTLENGTH: r = static_cast<std::intptr_t>(c->text.size()); break;
        default: return false;
    }
    if (changed && onChanged) onChanged(*c);
    if (out != nullptr) *out = r;
    return true;
}

std::intptr_t DialogModel::Send(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    const std::intptr_t r = proc != nullptr ? proc(hwnd, msg, wParam, lParam) : 0;
    if (r != 0) return r;
    // The dialog procedure left it to the dialog's default handling.
    if (msg == WM_SYSCOMMAND && (wParam & 0xFFF0u) == SC_CLOSE) {
        Send(WM_CLOSE, 0, 0);
    } else if (msg == WM_CLOSE) {
        DialogControl* cancel = FindId(IDCANCEL);
        Send(WM_COMMAND, MakeWParam(IDCANCEL, BN_CLICKED),
             cancel != nullptr ? static_cast<std::intptr_t>(cancel->hwnd) : 0);
    }
    return 0;
}

bool DialogModel::Click(int id) {
    DialogControl* c = FindId(id);
    if (!CanTakeInput() || c == nullptr || !c->enabled) return false;
    if (c->kind == ControlKind::CheckBox) {
        c->check = c->check != 0 ? 0 : 1;
        if (onChanged) onChanged(*c);
    } else if (c->kind != ControlKind::PushButton && c->kind != ControlKind::DefPushButton) {
        return false;
    }
    Send(WM_COMMAND, MakeWParam(static_cast<std::uint32_t>(id), BN_CLICKED), static_cast<std::intptr_t>(c->hwnd));
    return true;
}

bool DialogModel::PressEnter() {
    DialogControl* c = DefaultButton();
    if (!CanTakeInput()) return false;
    if (c != nullptr && !c->enabled) return false;
    Send(WM_COMMAND, MakeWParam(IDOK, BN_CLICKED), c != nullptr ? static_cast<std::intptr_t>(c->hwnd) : 0);
    return true;
}

bool DialogModel::PressEscape() {
    if (!CanTakeInput()) return false;
    DialogControl* cancel = FindId(IDCANCEL);
    Send(WM_COMMAND, MakeWParam(IDCANCEL, BN_CLICKED),
         cancel != nullptr ? static_cast<std::intptr_t>(cancel->hwnd) : 0);
    return true;
}

bool DialogModel::CloseBox() {
    if (!CanTakeInput()) return false;
    Send(WM_SYSCOMMAND, SC_CLOSE, 0);
    return true;
}

bool DialogModel::ChooseMenuItem(std::uintptr_t id) {
    if (!CanTakeInput()) return false;
    const bool present = std::any_of(systemMenu.begin(), systemMenu.end(),
                                     [id](const MenuEntry& e) { return e.flags != MF_SEPARATOR && e.id == id; });
    if (!present) return false;
    Send(WM_SYSCOMMAND, id, 0);
    return true;
}

int DialogModel::TrackbarTarget(const DialogControl& c, std::uint32_t code, int thumbPos) {
    int pos = c.pos;
    switch (code) {
        case TB_LINEUP: pos -= 1; break;
        case TB_LINEDOWN: pos += 1; break;
        case TB_PAGEUP: pos -= c.pageSize; break;
        case TB_PAGEDOWN: pos += c.pageSize; break;
        case TB_TOP: pos = c.rangeMin; break;
        case TB_BOTTOM: pos = c.rangeMax; break;
        case TB_THUMBTRACK:
        case TB_THUMBPOSITION: pos = thumbPos; break;
        default: break;
    }
    return Clamp(pos, c.rangeMin, c.rangeMax);
}

bool DialogModel::MoveTrackbar(int id, std::uint32_t code, int thumbPos) {
    DialogControl* c = FindId(id);
    if (!CanTakeInput() || c == nullptr || c->kind != ControlKind::Trackbar || !c->enabled) return false;
    const Hwnd h = c->hwnd;
    const int pos = TrackbarTarget(*c, code, thumbPos);
    if (pos != c->pos) {
        c->pos = pos;
        if (onChanged) onChanged(*c);
    }
    const std::uint32_t hi = (code == TB_THUMBTRACK || code == TB_THUMBPOSITION) ? static_cast<std::uint32_t>(pos) : 0u;
    Send(WM_HSCROLL, MakeWParam(code, hi), static_cast<std::intptr_t>(h));
    if (!ended) Send(WM_HSCROLL, MakeWParam(TB_ENDTRACK, 0), static_cast<std::intptr_t>(h));
    return true;
}

}  // namespace plat
