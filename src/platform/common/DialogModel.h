// The OS-free state of a running dialog: its controls from the template, their Win32 control
// semantics (check boxes, trackbar, texts), the system menu and the dialog's default handling.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Dialog.h"

namespace plat {

enum class ControlKind { PushButton, DefPushButton, CheckBox, GroupBox, Static, IconStatic, Edit, Trackbar, Other };

struct DialogControl {
    Hwnd hwnd = 0;
    int id = 0;
    ControlKind kind = ControlKind::Other;
    std::string className;  // as in the template, upper case ("BUTTON", "MSCTLS_TRACKBAR32" ...)
    std::string text;       // UTF-8
    int iconId = 0;         // icon statics: the icon resource named by the text ("#671" or ordinal)
    std::uint32_t style = 0;
    std::int32_t x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    bool enabled = true;
    int check = 0;                     // check boxes: 0 or 1
    int rangeMin = 0, rangeMax = 100;  // trackbar: Win32's initial range
    int pos = 0;
    int pageSize = 20;  // trackbar: a fifth of the range, as Win32 sets it
};

struct MenuEntry {
    std::uint32_t flags = 0;  // MF_STRING 0, MF_SEPARATOR 0x800
    std::uintptr_t id = 0;
    std::string text;
};

// One dialog built from a template. The back-end keeps one per running dialog and drives it.
class DialogModel {
public:
    // Fills the model from dialog template `templateId` of the resources; false when the template
    // is missing or damaged. Handles: the dialog gets `hwnd`, control i gets hwnd + 1 + i.
    bool Build(std::uint16_t templateId, Hwnd hwnd);

    Hwnd hwnd = 0;
    std::uint16_t templateId = 0;
    std::uint32_t style = 0;
    std::string title;
    std::int32_t x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    std::string fontName;
    int fontPoints = 8;
    std::vector<DialogControl> controls;  // template order = tab order
    std::vector<MenuEntry> systemMenu;    // Move and Close, then what AppendMenu added
    Hwnd owner = 0;
    DlgProc proc = nullptr;
    bool enabled = true;
    bool ended = false;
    std::intptr_t result = 0;

    DialogControl* Find(Hwnd h);
    DialogControl* FindId(int id);
    bool Owns(Hwnd h) const { return h == hwnd || (h > hwnd && h <= hwnd + controls.size()); }
    // The button Enter presses: the default push button, else IDOK.
    DialogControl* DefaultButton();
    // The first enabled tab stop (WM_INITDIALOG's wParam; where the focus starts).
    DialogControl* FirstTabStop();

    // BM_GETCHECK/BM_SETCHECK/TBM_* and text messages to control `h`; false when the message is
    // not a control message of this model. Changes are reported through onChanged.
    bool ControlMessage(Hwnd h, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t* result);
    std::function<void(DialogControl&)> onChanged;

    // Sends a message to the dialog procedure; when the procedure leaves it unhandled (FALSE),
    // gives the dialog default handling: the close command becomes WM_CLOSE, WM_CLOSE becomes
    // Cancel.
    std::intptr_t Send(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam);

    // User actions, each producing the messages that a Win32 dialog would. False when the
    // control is missing or disabled, or the dialog is disabled or has ended.
    bool Click(int id);                      // button: toggles an auto check box, then BN_CLICKED
    bool PressEnter();                       // the default button's BN_CLICKED
    bool PressEscape();                      // WM_COMMAND IDCANCEL
    bool CloseBox();                         // WM_SYSCOMMAND SC_CLOSE
    bool ChooseMenuItem(std::uintptr_t id);  // a system-menu item: WM_SYSCOMMAND id
    // Trackbar: a key or drag moved the thumb; sets the clamped position and sends WM_HSCROLL
    // with `code` (and the position for thumb codes), then TB_ENDTRACK.
    bool MoveTrackbar(int id, std::uint32_t code, int thumbPos = 0);
    // Trackbar: the position a key or drag code leads to from the current one.
    static int TrackbarTarget(const DialogControl& c, std::uint32_t code, int thumbPos);

    bool CanTakeInput() const { return enabled && !ended; }
};

// Dialog units to pixels with the base units of the dialog's font (Win32's MulDiv rounding).
std::int32_t DluToPixelsX(std::int32_t dlu, int baseX);
std::int32_t DluToPixelsY(std::int32_t dlu, int baseY);

}  // namespace plat
