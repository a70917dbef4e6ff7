// Windows back-end of the dialog seam: DialogBoxParamA on the executable's own templates.
#include "platform/Dialog.h"

#include <vector>

#include "platform/win32/Win32State.h"

namespace plat {

using win32::Win32;

namespace {

HWND H(Hwnd hwnd) { return reinterpret_cast<HWND>(hwnd); }

// The one DLGPROC of every dialog run through the seam: hands each message to the framework's
// dialog procedure, whose result follows the Win32 DLGPROC rules.
INT_PTR CALLBACK SeamDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    win32::WindowRecord* rec = win32::RecordFor(hwnd, true);
    if (rec == nullptr || rec->dlgProc == nullptr) return FALSE;
    const DlgProc proc = rec->dlgProc;
    const INT_PTR result = proc(reinterpret_cast<Hwnd>(hwnd), msg, wParam, lParam);
    if (msg == WM_NCDESTROY) Win32().windows.erase(hwnd);
    return result;
}

// The trackbar of the settings dialog is a common control: its class must exist first.
void EnsureCommonControls() {
    auto& st = Win32();
    if (st.commonControlsReady) return;
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof(icc);
    icc.dwICC = ICC_BAR_CLASSES;
    if (::InitCommonControlsEx(&icc) == FALSE) ::InitCommonControls();
    st.commonControlsReady = true;
}

}  // namespace

// CDialog::DoModal: DialogBoxParamA with template `templateId` of the executable.
std::intptr_t DialogBoxParam(std::uint16_t templateId, Hwnd owner, DlgProc proc, void* user) {
    if (proc == nullptr) return -1;
    EnsureCommonControls();
    auto& st = Win32();
    const auto saved = st.pending;  // a dialog opened from a dialog's handler nests
    st.pending = {};
    st.pending.active = true;
    st.pending.record.user = user;
    st.pending.record.dlgProc = proc;
    const INT_PTR result = ::DialogBoxParamA(win32::Instance(), MAKEINTRESOURCEA(templateId), H(owner), &SeamDlgProc,
                                             reinterpret_cast<LPARAM>(user));
    st.pending = saved;
    return result;
}

// CDialog::EndDialog: EndDialog.
bool EndDialog(Hwnd dlg, std::intptr_t result) { return ::EndDialog(H(dlg), result) != 0; }

// CWnd::GetDlgItem: GetDlgItem.
Hwnd GetDlgItem(Hwnd dlg, int id) { return reinterpret_cast<Hwnd>(::GetDlgItem(H(dlg), id)); }

// CWnd::GetDlgCtrlID: GetDlgCtrlID.
int GetDlgCtrlID(Hwnd control) { return ::GetDlgCtrlID(H(control)); }

// CWnd::SetWindowText: SetWindowTextA with the text in the system code page.
bool SetWindowText(Hwnd hwnd, const char* text) {
    const std::string ansi = win32::ToAnsi(text);
    return ::SetWindowTextA(H(hwnd), ansi.c_str()) != 0;
}

// CWnd::GetWindowText: GetWindowTextA, back to UTF-8.
std::string GetWindowText(Hwnd hwnd) {
    const int length = ::GetWindowTextLengthA(H(hwnd));
    if (length <= 0) return {};
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
    const int got = ::GetWindowTextA(H(hwnd), buffer.data(), length + 1);
    return win32::FromAnsi(buffer.data(), got);
}

// CWnd::CenterWindow: GetWindowRect.
bool GetWindowRect(Hwnd hwnd, Rect* out) {
    RECT rc{};
    if (out == nullptr || ::GetWindowRect(H(hwnd), &rc) == 0) return false;
    *out = Rect{rc.left, rc.top, rc.right, rc.bottom};
    return true;
}

// CWnd::CenterWindow: SetWindowPos without size, z-order or activation change.
bool MoveWindowTo(Hwnd hwnd, std::int32_t x, std::int32_t y) {
    return ::SetWindowPos(H(hwnd), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != 0;
}

// CWnd::CenterWindow: the work area (screen less the task bar).
Rect GetWorkArea() {
    RECT rc{};
    if (::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rc, 0) == 0) {
        rc = RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    }
    return Rect{rc.left, rc.top, rc.right, rc.bottom};
}

// CWnd::CenterWindow: the owner window.
Hwnd GetOwner(Hwnd hwnd) { return reinterpret_cast<Hwnd>(::GetWindow(H(hwnd), GW_OWNER)); }

// CWnd::EnableWindow: EnableWindow (true when the window was disabled before, as on Win32).
bool EnableWindow(Hwnd hwnd, bool enable) { return ::EnableWindow(H(hwnd), enable ? TRUE : FALSE) != 0; }

// CWnd::IsWindowEnabled: IsWindowEnabled.
bool IsWindowEnabled(Hwnd hwnd) { return ::IsWindowEnabled(H(hwnd)) != 0; }

// CSettingsDlg::OnInitDialog: GetSystemMenu(hwnd, FALSE).
HMenu GetSystemMenu(Hwnd hwnd) { return reinterpret_cast<HMenu>(::GetSystemMenu(H(hwnd), FALSE)); }

// CSettingsDlg::OnInitDialog: AppendMenuA.
bool AppendMenu(HMenu menu, std::uint32_t flags, std::uintptr_t id, const char* text) {
    const std::string ansi = win32::ToAnsi(text);
    const char* item = (flags & MF_SEPARATOR) != 0 ? nullptr : ansi.c_str();
    return ::AppendMenuA(reinterpret_cast<HMENU>(menu), flags, id, item) != 0;
}

// CSettingsDlg constructor: LoadIconA from the executable.
HIcon LoadIcon(std::uint16_t id) {
    return reinterpret_cast<HIcon>(::LoadIconA(win32::Instance(), MAKEINTRESOURCEA(id)));
}

}  // namespace plat
