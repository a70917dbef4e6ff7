// Seam: modal dialogs built from the executable's dialog templates, and their controls.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Types.h"

namespace plat {

using DlgProc = std::intptr_t (*)(Hwnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam);
using HMenu = std::uintptr_t;
using HIcon = std::uintptr_t;

// CDialog::DoModal: build dialog `templateId` from the resources, store `user` as its user data,
// send WM_INITDIALOG (lParam = user), disable `owner` while it runs, run its loop until
// EndDialog; returns EndDialog's result (-1 when the template is missing). Escape and the close
// box send WM_COMMAND IDCANCEL; Enter the default button's WM_COMMAND.
std::intptr_t DialogBoxParam(std::uint16_t templateId, Hwnd owner, DlgProc proc, void* user);

// CDialog::EndDialog: end the modal loop of `dlg` with `result` after the current message.
bool EndDialog(Hwnd dlg, std::intptr_t result);

// CWnd::GetDlgItem / GetDlgCtrlID: a control of a dialog by id, and back.
Hwnd GetDlgItem(Hwnd dlg, int id);
int GetDlgCtrlID(Hwnd control);

// CWnd::SetWindowText / GetWindowText (UTF-8) of a dialog, control or window.
bool SetWindowText(Hwnd hwnd, const char* text);
std::string GetWindowText(Hwnd hwnd);

// CDialog centring: window rectangle in screen pixels, move, the work area, owner of a window.
bool GetWindowRect(Hwnd hwnd, Rect* out);
bool MoveWindowTo(Hwnd hwnd, std::int32_t x, std::int32_t y);
Rect GetWorkArea();
Hwnd GetOwner(Hwnd hwnd);

// The dialog hosts, while a modal dialog runs: disable its owner and enable it again.
bool EnableWindow(Hwnd hwnd, bool enable);
bool IsWindowEnabled(Hwnd hwnd);

// CSettingsDlg::OnInitDialog: the dialog's system menu and items appended to it (MF_SEPARATOR
// or MF_STRING). Choosing an item sends WM_SYSCOMMAND with its id.
HMenu GetSystemMenu(Hwnd hwnd);
bool AppendMenu(HMenu menu, std::uint32_t flags, std::uintptr_t id, const char* text);

// CSettingsDlg constructor: icon resource `id` (group icon) as a handle; 0 when absent.
HIcon LoadIcon(std::uint16_t id);

}  // namespace plat
