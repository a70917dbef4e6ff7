// CDialog: modal runs through the platform's dialog host, OK/Cancel, data exchange, default handling.
#include "framework/Dialog.h"

#include "framework/DataExchange.h"
#include "framework/WinApp.h"
#include "platform/Dialog.h"

CDialog* CDialog::s_pModalChain = nullptr;

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() = default;

HWND CDialog::ChooseOwner() const {
    if (m_pParentWnd != nullptr) return m_pParentWnd->GetSafeHwnd();
    // Like the framework: a dialog without a parent belongs to the main window, unless it is
    // the main window itself (the settings dialog in the settings mode).
    CWnd* pMain = AfxGetMainWnd();
    if (pMain != nullptr && pMain != this) return pMain->GetSafeHwnd();
    return 0;
}

LRESULT CDialog::DoModal() {
    HWND hOwner = ChooseOwner();
    m_pPrevModal = s_pModalChain;
    s_pModalChain = this;
    LRESULT result = plat::DialogBoxParam(static_cast<WORD>(m_nIDTemplate), hOwner, &CDialog::DialogProc, this);
    s_pModalChain = m_pPrevModal;
    m_pPrevModal = nullptr;
    // The dialog and its controls are gone: forget their handles.
    for (auto& ctrl : m_controls) ctrl->m_hWnd = 0;
    m_controls.clear();
    m_hWnd = 0;
    return result;
}

void CDialog::EndDialog(int nResult) {
    if (m_hWnd != 0) plat::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

LRESULT CDialog::DefWindowProc(UINT, WPARAM, LPARAM) {
    m_bPassToHost = TRUE;
    return 0;
}

CDialog* CDialog::FromRunning(HWND hWnd) {
    for (CDialog* p = s_pModalChain; p != nullptr; p = p->m_pPrevModal) {
        if (p->m_hWnd == hWnd) return p;
    }
    return nullptr;
}

LRESULT CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* pDlg = reinterpret_cast<CDialog*>(lParam);
        if (pDlg == nullptr || pDlg != s_pModalChain) return FALSE;
        pDlg->m_hWnd = hWnd;
        return pDlg->OnInitDialog();
    }
    CDialog* pDlg = FromRunning(hWnd);
    if (pDlg == nullptr) return FALSE;  // before WM_INITDIALOG: the host's defaults apply
    // Nested runs (a handler opening another dialog) may re-enter for this same dialog.
    BOOL bOuter = pDlg->m_bPassToHost;
    pDlg->m_bPassToHost = FALSE;
    LRESULT result = pDlg->WindowProc(message, wParam, lParam);
    BOOL bPass = pDlg->m_bPassToHost;
    pDlg->m_bPassToHost = bOuter;
    if (bPass) return FALSE;
    // As for a Win32 dialog procedure: TRUE for "handled", except the messages whose result is
    // the value itself.
    if (message == WM_QUERYDRAGICON) return result;
    return TRUE;
}
