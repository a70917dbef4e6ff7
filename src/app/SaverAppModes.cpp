// CSaverApp's four mode actions: settings dialog, preview window, full-screen window, password.
#include "app/SaverApp.h"

#include "framework/WinApi.h"
#include "ui/SettingsDlg.h"
#include "window/SaverWnd.h"
#include "window/SceneWnd.h"

// Settings mode: the dialog runs modally, its values are stored, and the process ends.
// "/c:HWND" names the owner; a handle that is not a live window leaves the dialog unowned.
BOOL CSaverApp::DoSettingsMode() {
    m_bConfigure = 1;
    const HWND hOwner = OwnerFromSettingsSwitch(m_argc > 1 && m_argv != nullptr ? m_argv[1] : nullptr);
    CWnd owner;
    const BOOL bOwned = hOwner != 0 && AfxIsWindow(hOwner) && owner.Attach(hOwner);
    RunSettingsDialog(bOwned ? &owner : nullptr);
    if (bOwned) owner.Detach();
    return FALSE;
}

void CSaverApp::RunSettingsDialog(CWnd* pOwner) {
    CSettingsDlg dlg(pOwner);
    dlg.m_nEnableSound = m_nEnableSound;
    dlg.m_nSubliminals = m_nSubliminals;
    dlg.m_nPain = m_nPain;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    // However the dialog ended: after Cancel the fields hold what went in (but for the check
    // boxes' correction of impossible states), so the store keeps its values.
    m_nEnableSound = dlg.m_nEnableSound;
    m_nSubliminals = dlg.m_nSubliminals;
    m_nPain = dlg.m_nPain;
    BOOL bSaved = WriteProfileInt("Settings", "Enable sound", m_nEnableSound);
    bSaved = WriteProfileInt("Settings", "Pain", m_nPain) && bSaved;
    bSaved = WriteProfileInt("Settings", "Subliminals", m_nSubliminals) && bSaved;
    // The dialog object ends with this function; no main window may point at it afterwards.
    m_pMainWnd = nullptr;
    // A change that was not kept must not look as if it had been.
    if (!bSaved) {
        const std::string reason = AfxRegLastWriteError();
        const std::string text =
            "The settings could not be saved" + (reason.empty() ? std::string(".") : ":\n\n" + reason);
        AfxMessageBox(text.c_str(), m_pszAppName != nullptr ? m_pszAppName : "", MB_OK | MB_ICONEXCLAMATION);
    }
}

// Preview mode: a scene window inside the window named by argument 2.
BOOL CSaverApp::DoPreviewMode() {
    m_bPreview = 1;
    const HWND hParent = GetArgumentWindow();
    // A missing, zero or stale handle has no client area to fill: end quietly instead of
    // running a loop without a window.
    CWnd parent;
    if (hParent == 0 || !parent.Attach(hParent)) return FALSE;
    RECT rcClient{};
    parent.GetClientRect(&rcClient);
    if (rcClient.right <= rcClient.left || rcClient.bottom <= rcClient.top) {
        parent.Detach();
        return FALSE;
    }
    CSceneWnd* pWnd = new CSceneWnd(TRUE);
    // On failure the window's last message has already deleted the object.
    const BOOL bCreated = pWnd->CreateSceneWindow(0, WS_CHILD | WS_VISIBLE, rcClient, &parent, 0, 0);
    parent.Detach();
    if (!bCreated) return FALSE;
    m_pMainWnd = pWnd;
    return TRUE;
}

// Full-screen mode: the flag comes before the window, whose creation handler reads it.
BOOL CSaverApp::DoFullScreenMode() {
    m_bFullScreen = 1;
    CSaverWnd* pWnd = new CSaverWnd;
    // A refused creation (an 8-bit display, a missing picture) has deleted the object already
    // and leaves no window to run.
    if (!pWnd->CreateFullScreen()) return FALSE;
    m_pMainWnd = pWnd;
    return TRUE;
}

// Password mode: the platform's password change, owned by the window named by argument 2.
BOOL CSaverApp::DoPasswordMode() {
    using PwdChangePasswordProc =
        DWORD(WINAPI*)(const char* lpszProvider, HWND hWndOwner, DWORD dwReserved1, DWORD dwReserved2);
    const HWND hOwner = GetArgumentWindow();
    HMODULE hMpr = AfxLoadLibrary("MPR.DLL");
    if (hMpr == nullptr) return FALSE;
    auto pfnChange = reinterpret_cast<PwdChangePasswordProc>(AfxGetProcAddress(hMpr, "PwdChangePasswordA"));
    if (pfnChange != nullptr) pfnChange("SCRSAVE", hOwner, 0, 0);
    AfxFreeLibrary(hMpr);
    return FALSE;
}
