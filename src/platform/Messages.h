// Seam: the Win32 numbers of the messages, styles, commands and control codes that cross the seam.
#pragma once

#include <cstdint>

// The framework takes these names into the global namespace (framework/WinDefs.h); the other
// back-ends name them with `using namespace plat::codes`. The Windows back-end takes the same
// names from <windows.h>, whose macros they would clash with, and never includes this header.
namespace plat::codes {

// Window messages.
constexpr std::uint32_t WM_CREATE = 0x0001;
constexpr std::uint32_t WM_DESTROY = 0x0002;
constexpr std::uint32_t WM_ACTIVATE = 0x0006;
constexpr std::uint32_t WM_SETTEXT = 0x000C;
constexpr std::uint32_t WM_GETTEXTLENGTH = 0x000E;
constexpr std::uint32_t WM_PAINT = 0x000F;
constexpr std::uint32_t WM_CLOSE = 0x0010;
constexpr std::uint32_t WM_QUIT = 0x0012;
constexpr std::uint32_t WM_ACTIVATEAPP = 0x001C;
constexpr std::uint32_t WM_SETCURSOR = 0x0020;
constexpr std::uint32_t WM_QUERYDRAGICON = 0x0037;
constexpr std::uint32_t WM_NCDESTROY = 0x0082;
constexpr std::uint32_t WM_NCACTIVATE = 0x0086;
constexpr std::uint32_t WM_KEYDOWN = 0x0100;
constexpr std::uint32_t WM_KEYUP = 0x0101;
constexpr std::uint32_t WM_SYSKEYDOWN = 0x0104;
constexpr std::uint32_t WM_SYSKEYUP = 0x0105;
constexpr std::uint32_t WM_INITDIALOG = 0x0110;
constexpr std::uint32_t WM_COMMAND = 0x0111;
constexpr std::uint32_t WM_SYSCOMMAND = 0x0112;
constexpr std::uint32_t WM_TIMER = 0x0113;
constexpr std::uint32_t WM_HSCROLL = 0x0114;
constexpr std::uint32_t WM_MOUSEMOVE = 0x0200;
constexpr std::uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr std::uint32_t WM_LBUTTONUP = 0x0202;
constexpr std::uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr std::uint32_t WM_RBUTTONUP = 0x0205;
constexpr std::uint32_t WM_MBUTTONDOWN = 0x0207;
constexpr std::uint32_t WM_MBUTTONUP = 0x0208;
constexpr std::uint32_t WM_MOUSEWHEEL = 0x020A;
constexpr std::uint32_t WM_USER = 0x0400;

// Keys the default handling looks at (wParam of WM_KEYDOWN / WM_SYSKEYDOWN), and the hit-test
// code of the client area (LOWORD of WM_SETCURSOR's lParam).
constexpr std::uint32_t VK_MENU = 0x12, VK_F4 = 0x73, VK_F10 = 0x79;
constexpr int HTCLIENT = 1;

// System commands (WM_SYSCOMMAND's wParam; the low four bits belong to the system).
constexpr std::uint32_t SC_MOVE = 0xF010;
constexpr std::uint32_t SC_CLOSE = 0xF060;
constexpr std::uint32_t SC_SCREENSAVE = 0xF140;

// Window and class styles.
constexpr std::uint32_t WS_POPUP = 0x80000000u;
constexpr std::uint32_t WS_CHILD = 0x40000000u;
constexpr std::uint32_t WS_VISIBLE = 0x10000000u;
constexpr std::uint32_t WS_DISABLED = 0x08000000u;
constexpr std::uint32_t WS_VSCROLL = 0x00200000u;
constexpr std::uint32_t WS_SYSMENU = 0x00080000u;
constexpr std::uint32_t WS_TABSTOP = 0x00010000u;
constexpr std::uint32_t WS_EX_TOPMOST = 0x00000008u;
constexpr std::uint32_t CS_VREDRAW = 0x0001u;
constexpr std::uint32_t CS_HREDRAW = 0x0002u;

// Message box and dialog results.
constexpr std::uint32_t MB_OK = 0x0000;
constexpr std::uint32_t MB_ICONEXCLAMATION = 0x0030;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// Queue and menu flags.
constexpr std::uint32_t PM_NOREMOVE = 0x0000;
constexpr std::uint32_t PM_REMOVE = 0x0001;
constexpr std::uint32_t MF_STRING = 0x0000;
constexpr std::uint32_t MF_SEPARATOR = 0x0800;

// Buttons: the click notification (HIWORD of WM_COMMAND's wParam) and the check messages.
constexpr std::uint32_t BN_CLICKED = 0;
constexpr std::uint32_t BM_GETCHECK = 0x00F0;
constexpr std::uint32_t BM_SETCHECK = 0x00F1;

// Trackbars: their messages and notification codes (LOWORD of WM_HSCROLL's wParam).
constexpr std::uint32_t TBM_GETPOS = WM_USER;
constexpr std::uint32_t TBM_GETRANGEMIN = WM_USER + 1;
constexpr std::uint32_t TBM_GETRANGEMAX = WM_USER + 2;
constexpr std::uint32_t TBM_SETPOS = WM_USER + 5;
constexpr std::uint32_t TBM_SETRANGE = WM_USER + 6;
constexpr std::uint32_t TBM_SETRANGEMIN = WM_USER + 7;
constexpr std::uint32_t TBM_SETRANGEMAX = WM_USER + 8;
constexpr std::uint32_t TBM_SETPAGESIZE = WM_USER + 21;
constexpr std::uint32_t TBM_GETPAGESIZE = WM_USER + 22;
constexpr std::uint32_t TB_LINEUP = 0, TB_LINEDOWN = 1, TB_PAGEUP = 2, TB_PAGEDOWN = 3, TB_THUMBPOSITION = 4;
constexpr std::uint32_t TB_THUMBTRACK = 5, TB_TOP = 6, TB_BOTTOM = 7, TB_ENDTRACK = 8;

// DisplayCaps::rasterCaps of a palette display.
constexpr std::int32_t RC_PALETTE = 0x0100;

}  // namespace plat::codes
