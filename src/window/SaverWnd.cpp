// CSaverWnd: close rules of the full-screen saver, the password check and the trace lines.
#include "window/SaverWnd.h"

#include <cstdio>

#include "framework/WinApi.h"

namespace {

// The desktop key and flag that say whether the saver asks for a password before it ends.
constexpr const char* kDesktopKey = "Control Panel\\desktop";
constexpr const char* kPasswordFlag = "ScreenSaveUsePassword";

// The password service and its entry: BOOL VerifyScreenSavePwd(HWND), the platform's calling convention.
using VerifyScreenSavePwdProc = BOOL(WINAPI*)(HWND hWnd);

// One trace line: open in append mode, write, close. A file that cannot be opened is skipped.
void AppendTraceLine(const char* lpszLine) {
    const std::string path = AfxTraceFilePath();
    if (path.empty()) return;
    if (FILE* f = std::fopen(path.c_str(), "a+")) {
        std::fprintf(f, "%s", lpszLine);
        std::fclose(f);
    }
}

}  // namespace

BEGIN_MESSAGE_MAP(CSaverWnd, CSceneWnd)
    ON_WM_SYSCOMMAND()
    ON_WM_DESTROY()
    ON_WM_SETCURSOR()
    ON_WM_NCACTIVATE()
    ON_WM_ACTIVATE()
    ON_WM_ACTIVATEAPP()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_MBUTTONDOWN()
    ON_WM_RBUTTONDOWN()
    ON_WM_KEYDOWN()
    ON_WM_SYSKEYDOWN()
END_MESSAGE_MAP()

CSaverWnd::CSaverWnd() : CSceneWnd(TRUE), m_ptFirstMouse(-1, -1), m_bClosing(FALSE), m_nIgnoreMoves(0) {
    m_nTitleHoldTicks = static_cast<int>(kTitleHoldMs / kFramePeriodMs);
}

CSaverWnd::~CSaverWnd() = default;

BOOL CSaverWnd::CreateFullScreen() {
    const int x = AfxGetSystemMetrics(SM_XVIRTUALSCREEN);
    const int y = AfxGetSystemMetrics(SM_YVIRTUALSCREEN);
    const RECT rc{x, y, x + AfxGetSystemMetrics(SM_CXVIRTUALSCREEN), y + AfxGetSystemMetrics(SM_CYVIRTUALSCREEN)};
    return CreateSceneWindow(WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE, rc, nullptr, 0, 0);
}

void CSaverWnd::OnSysCommand(UINT nID, LPARAM /*lParam*/) {
    // Exact values: a second saver must not start, and the close box / Alt+F4 close nothing.
    if (nID == SC_SCREENSAVE || nID == SC_CLOSE) return;
    Default();
}

void CSaverWnd::OnDestroy() {
    AppendTraceLine("OnDestroy\n");
    AfxPostQuitMessage(0);
    Default();
}

BOOL CSaverWnd::OnSetCursor(CWnd* /*pWnd*/, UINT /*nHitTest*/, UINT /*message*/) {
    AfxSetCursorNone();
    return TRUE;
}

BOOL CSaverWnd::OnNcActivate(BOOL /*bActive*/) { return static_cast<BOOL>(Default()); }

void CSaverWnd::OnActivate(UINT /*nState*/, CWnd* /*pWndOther*/, BOOL /*bMinimized*/) { Default(); }

void CSaverWnd::OnActivateApp(BOOL /*bActive*/, DWORD /*dwThreadID*/) { Default(); }

void CSaverWnd::OnMouseMove(UINT /*nFlags*/, CPoint point) {
    if (m_nIgnoreMoves > 0) {
        --m_nIgnoreMoves;
        return;
    }
    if (m_ptFirstMouse.x == -1 && m_ptFirstMouse.y == -1) {
        m_ptFirstMouse = point;
        Default();
        return;
    }
    if ((point.x != m_ptFirstMouse.x || point.y != m_ptFirstMouse.y) && !VerifyAndClose()) return;
    Default();
}

void CSaverWnd::OnLButtonDown(UINT /*nFlags*/, CPoint /*point*/) {
    if (VerifyAndClose()) Default();
}

void CSaverWnd::OnMButtonDown(UINT /*nFlags*/, CPoint /*point*/) {
    if (VerifyAndClose()) Default();
}

void CSaverWnd::OnRButtonDown(UINT /*nFlags*/, CPoint /*point*/) {
    if (VerifyAndClose()) Default();
}

void CSaverWnd::OnKeyDown(UINT /*nChar*/, UINT /*nRepCnt*/, UINT /*nFlags*/) {
    if (VerifyAndClose()) Default();
}

void CSaverWnd::OnSysKeyDown(UINT /*nChar*/, UINT /*nRepCnt*/, UINT /*nFlags*/) {
    if (VerifyAndClose()) Default();
}

BOOL CSaverWnd::VerifyAndClose() {
    if (m_bClosing) return TRUE;
    BOOL bAllowClose = TRUE;
    m_bClosing = TRUE;

    HKEY hKey = 0;
    if (AfxRegOpenKeyEx(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_READ, &hKey) == ERROR_SUCCESS) {
        // Judged on at most 4 bytes: a longer value fails the read and counts as no password.
        BYTE flag[4] = {0, 0, 0, 0};
        DWORD cbFlag = sizeof flag;
        const long lRead = AfxRegQueryValueEx(hKey, kPasswordFlag, nullptr, flag, &cbFlag);
        const DWORD dwFlag = static_cast<DWORD>(flag[0]) | (static_cast<DWORD>(flag[1]) << 8) |
                             (static_cast<DWORD>(flag[2]) << 16) | (static_cast<DWORD>(flag[3]) << 24);
        if (lRead == ERROR_SUCCESS && dwFlag != 0) {
            AfxShowCursor(TRUE);
            if (HMODULE hLib = AfxLoadLibrary("Password.cpl")) {
                AppendTraceLine("8\n");
                auto pfnVerify =
                    reinterpret_cast<VerifyScreenSavePwdProc>(AfxGetProcAddress(hLib, "VerifyScreenSavePwd"));
                AppendTraceLine("9\n");
                if (pfnVerify != nullptr) {
                    const AliveWatch watch(this);
                    const BOOL bVerified = pfnVerify(m_hWnd);
                    if (!watch.Alive()) {
                        // Closed and deleted during the check: release what this call holds, nothing more.
                        AfxFreeLibrary(hLib);
                        AfxShowCursor(FALSE);
                        AfxRegCloseKey(hKey);
                        return FALSE;
                    }
                    if (bVerified == 0) bAllowClose = FALSE;
                    m_nIgnoreMoves = 3;
                }
                AfxFreeLibrary(hLib);
            }
            AfxShowCursor(FALSE);
        }
        AfxRegCloseKey(hKey);
    }

    if (bAllowClose) PostMessage(WM_CLOSE, 0, 0);
    m_bClosing = FALSE;
    return TRUE;
}
