// Test control of the headless dialog host: a script run while each dialog is modal, the state of
// its controls, and user actions that send the same messages as a Win32 dialog.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace headless {

// Tests set this: called once for each modal run, after WM_INITDIALOG, with the dialog and its
// template id (nested runs call it again from inside an action). When it returns and the dialog
// still runs, the host presses Escape; if even that does not end it, the run ends with -1.
using DialogScript = std::function<void(plat::Hwnd dlg, std::uint16_t templateId)>;
void SetDialogScript(DialogScript script);

// Tests call this between cases: forgets the script, the log, the work area and disabled windows.
void ResetDialogs();

// Tests: the work area dialogs are kept inside (default: the display less a 30-pixel task bar).
void SetWorkArea(const plat::Rect& area);

// Every finished modal run, oldest first.
struct DialogRun {
    std::uint16_t templateId = 0;
    plat::Hwnd hwnd = 0;
    plat::Hwnd owner = 0;
    std::intptr_t result = 0;
    bool ownerDisabledWhileRunning = false;
    bool ownerEnabledAfter = false;
};
const std::vector<DialogRun>& DialogLog();

// Tests: the dialogs running now, outermost first.
std::vector<plat::Hwnd> RunningDialogs();

// What a control shows (false when the dialog or control is unknown).
struct ControlState {
    std::string className;  // upper case, as the template names it
    std::string text;
    std::uint32_t style = 0;
    bool enabled = true;
    int check = 0;
    int rangeMin = 0, rangeMax = 0, pos = 0;
    int iconId = 0;
    plat::Rect pixels;  // client coordinates of the dialog
};
bool GetControl(plat::Hwnd dlg, int id, ControlState* out);
// The control ids in template (tab) order.
std::vector<int> ControlIds(plat::Hwnd dlg);

// The system menu as the user would see it: text (empty for a separator), id, separator flag.
struct MenuItem {
    std::string text;
    std::uintptr_t id = 0;
    bool separator = false;
};
std::vector<MenuItem> SystemMenu(plat::Hwnd dlg);

// User actions. Each is refused (false) when the dialog is disabled (a nested dialog is up),
// has ended, or the control is missing or disabled.
bool Click(plat::Hwnd dlg, int id);  // push button, or toggles an auto check box
bool PressEnter(plat::Hwnd dlg);     // the default button
bool PressEscape(plat::Hwnd dlg);    // Cancel
bool PressCloseBox(plat::Hwnd dlg);  // the title bar's close box (SC_CLOSE)
bool ChooseSystemMenuItem(plat::Hwnd dlg, std::uintptr_t id);
// Trackbar keys: +1/-1 as the arrow keys, +page/-page, Home and End.
enum class SliderKey { Left, Right, PageUp, PageDown, Home, End };
bool PressSliderKey(plat::Hwnd dlg, int id, SliderKey key);
// Drags the thumb to `pos` (clamped): thumb-track notifications step by step, then the final one.
bool DragSlider(plat::Hwnd dlg, int id, int pos);

// The headless window back-end routes messages for handles it does not know here: a running
// dialog's controls (BM_*, TBM_*, texts) and the dialog itself. False when not a dialog handle.
bool DialogSendMessage(plat::Hwnd hwnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam,
                       std::intptr_t* result);

}  // namespace headless
