// CWnd: message dispatch through the static tables, creation, contexts and the window helpers.
#include "framework/Wnd.h"

#include <cstdio>

#include "framework/DC.h"
#include "framework/WinApp.h"
#include "platform/Dialog.h"
#include "platform/Window.h"

IMPLEMENT_DYNAMIC(CWnd, CObject)

CWnd::CWnd() = default;

CWnd::~CWnd() {
    if (m_pbAlive != nullptr) *m_pbAlive = false;
    m_controls.clear();
    // A window that outlives its object would dispatch into freed memory: take it down now.
    if (m_hWnd != 0 && !m_bAttached) {
        HWND hWnd = m_hWnd;
        plat::DestroyWindow(hWnd);
        m_hWnd = 0;
    }
}

// ---- message tables ----------------------------------------------------------------------

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
    static constexpr AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static constexpr AFX_MSGMAP messageMap = {nullptr, &entries[0]};
    return &messageMap;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->nMessage != 0; ++e) {
            if (e->nMessage != message) continue;
            if (message == WM_COMMAND) {
                const UINT code = HIWORD(wParam);
                const UINT id = LOWORD(wParam);
                if (e->nCode != code || id < e->nID || id > e->nLastID) continue;
            }
            *pResult = e->pfn(this, wParam, lParam);
            return TRUE;
        }
    }
    return FALSE;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // Handlers may send messages to this window; keep the outer message for its Default().
    const CurrentMsg saved = m_currentMsg;
    m_currentMsg = CurrentMsg{message, wParam, lParam};
    // A self-deleting window may be gone when the handler returns (WM_CLOSE -> WM_NCDESTROY ->
    // delete this): then nothing here touches the object, and the enclosing dispatch stops too.
    const AliveWatch watch(this);
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
    if (watch.Alive()) m_currentMsg = saved;
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_hWnd == 0) return 0;
    return plat::DefWindowProc(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() { return DefWindowProc(m_currentMsg.message, m_currentMsg.wParam, m_currentMsg.lParam); }

void CWnd::PostNcDestroy() {}

LRESULT CWnd::AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* pWnd = static_cast<CWnd*>(plat::GetWindowUserData(hWnd));
    if (pWnd == nullptr) return plat::DefWindowProc(hWnd, message, wParam, lParam);
    // The first message (WM_CREATE) arrives before CreateWindowEx has returned the handle.
    if (pWnd->m_hWnd == 0) pWnd->m_hWnd = hWnd;
    const LRESULT result = pWnd->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        pWnd->m_hWnd = 0;
        pWnd->m_controls.clear();
        // The main window's end is the application's end.
        CWinApp* app = AfxGetApp();
        if (app != nullptr && app->m_pMainWnd == pWnd) {
            plat::PostQuitMessage(0);
            app->m_pMainWnd = nullptr;
        }
        pWnd->PostNcDestroy();  // may delete the object: nothing touches it afterwards
    }
    return result;
}

// ---- creation and handles ------------------------------------------------------------------

BOOL CWnd::CreateEx(DWORD dwExStyle, const char* lpszClassName, const char* lpszWindowName, DWORD dwStyle,
                    const RECT& rect, CWnd* pParentWnd, UINT /*nID*/, void* /*lpParam*/) {
    if (m_hWnd != 0 || lpszClassName == nullptr) return FALSE;
    const HWND parent = pParentWnd != nullptr ? pParentWnd->m_hWnd : 0;
    const HWND hWnd = plat::CreateWindowEx(dwExStyle, lpszClassName, lpszWindowName ? lpszWindowName : "", dwStyle,
                                           rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                                           static_cast<void*>(this));
    // On failure the window got WM_NCDESTROY and the object may be gone already.
    return hWnd != 0 ? TRUE : FALSE;
}

BOOL CWnd::DestroyWindow() {
    if (m_hWnd == 0) return FALSE;
    return plat::DestroyWindow(m_hWnd) ? TRUE : FALSE;
}

BOOL CWnd::Attach(HWND hWnd) {
    if (hWnd == 0 || m_hWnd != 0) return FALSE;
    m_hWnd = hWnd;
    m_bAttached = TRUE;
    return TRUE;
}

HWND CWnd::Detach() {
    const HWND hWnd = m_hWnd;
    m_hWnd = 0;
    m_bAttached = FALSE;
    return hWnd;
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    if (hWnd == 0) return nullptr;
    return static_cast<CWnd*>(plat::GetWindowUserData(hWnd));
}

CWnd* CWnd::FromHandleControl(CWnd* owner, HWND hWnd) {
    if (hWnd == 0) return nullptr;
    if (CWnd* own = FromHandlePermanent(hWnd)) return own;
    if (owner == nullptr) return nullptr;
    for (const auto& c : owner->m_controls) {
        if (c->m_hWnd == hWnd) return c.get();
    }
    auto wrapper = std::make_unique<CWnd>();
    wrapper->Attach(hWnd);
    owner->m_controls.push_back(std::move(wrapper));
    return owner->m_controls.back().get();
}

// ---- queue, timers, geometry ------------------------------------------------------------------

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return plat::PostMessage(m_hWnd, message, wParam, lParam) ? TRUE : FALSE;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return plat::SendMessage(m_hWnd, message, wParam, lParam);
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, void* /*lpfnTimer*/) {
    if (m_hWnd == 0) return 0;
    return plat::SetTimer(m_hWnd, nIDEvent, nElapse);
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) { return plat::KillTimer(m_hWnd, nIDEvent) ? TRUE : FALSE; }

void CWnd::GetClientRect(RECT* lpRect) const {
    if (lpRect == nullptr) return;
    if (!plat::GetClientRect(m_hWnd, lpRect)) *lpRect = RECT{};
}

void CWnd::GetWindowRect(RECT* lpRect) const {
    if (lpRect == nullptr) return;
    if (!plat::GetWindowRect(m_hWnd, lpRect)) *lpRect = RECT{};
}

void CWnd::Invalidate() { plat::InvalidateRect(m_hWnd, nullptr); }

BOOL PeekMessage(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
    plat::Msg m;
    if (!plat::PeekMessage(&m, hWnd, wMsgFilterMin, wMsgFilterMax, wRemoveMsg)) return FALSE;
    if (lpMsg != nullptr) *lpMsg = MSG{m.hwnd, m.message, m.wParam, m.lParam};
    return TRUE;
}

// ---- contexts -------------------------------------------------------------------------------

CDC* CWnd::GetDC() {
    auto* pDC = new CDC;
    if (!pDC->AttachWindow(m_hWnd)) {
        delete pDC;
        return nullptr;
    }
    return pDC;
}

int CWnd::ReleaseDC(CDC* pDC) {
    if (pDC == nullptr) return 0;
    pDC->ReleaseWindow();
    delete pDC;
    return 1;
}

CDC* CWnd::BeginPaint(PAINTSTRUCT* lpPaint) {
    if (lpPaint == nullptr) return nullptr;
    lpPaint->rcPaint = plat::BeginPaint(m_hWnd);
    lpPaint->pDC = GetDC();
    return lpPaint->pDC;
}

void CWnd::EndPaint(PAINTSTRUCT* lpPaint) {
    if (lpPaint == nullptr) return;
    ReleaseDC(lpPaint->pDC);
    lpPaint->pDC = nullptr;
}

// ---- dialog helpers ---------------------------------------------------------------------------

CWnd* CWnd::GetDlgItem(int nID) { return FromHandleControl(this, plat::GetDlgItem(m_hWnd, nID)); }

int CWnd::GetDlgCtrlID() const { return plat::GetDlgCtrlID(m_hWnd); }

void CWnd::SetDlgItemText(int nID, const char* text) {
    const HWND item = plat::GetDlgItem(m_hWnd, nID);
    if (item != 0) plat::SetWindowText(item, text != nullptr ? text : "");
}

void CWnd::CenterWindow(CWnd* pAlternateOwner) {
    RECT self{};
    if (!plat::GetWindowRect(m_hWnd, &self)) return;
    RECT area = plat::GetWorkArea();
    HWND owner = pAlternateOwner != nullptr ? pAlternateOwner->m_hWnd : plat::GetOwner(m_hWnd);
    RECT ownerRect{};
    const RECT centreOn = (owner != 0 && plat::GetWindowRect(owner, &ownerRect)) ? ownerRect : area;
    const int w = self.right - self.left;
    const int h = self.bottom - self.top;
    int x = centreOn.left + ((centreOn.right - centreOn.left) - w) / 2;
    int y = centreOn.top + ((centreOn.bottom - centreOn.top) - h) / 2;
    // Keep the whole window on the work area where it fits.
    if (area.right > area.left && area.bottom > area.top) {
        if (x + w > area.right) x = area.right - w;
        if (y + h > area.bottom) y = area.bottom - h;
        if (x < area.left) x = area.left;
        if (y < area.top) y = area.top;
    }
    plat::MoveWindowTo(m_hWnd, x, y);
}

HMENU CWnd::GetSystemMenu() const { return plat::GetSystemMenu(m_hWnd); }

int CWnd::MessageBox(const char* text, const char* caption, UINT type) {
    return plat::MessageBox(m_hWnd, text != nullptr ? text : "", caption != nullptr ? caption : "", type);
}

// ---- default handlers ---------------------------------------------------------------------------

int CWnd::OnCreate(LPCREATESTRUCT) { return static_cast<int>(Default()); }
void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
void CWnd::OnHScroll(UINT, UINT, CWnd*) { Default(); }

// ---- window classes ---------------------------------------------------------------------------

std::string AfxRegisterWndClass(UINT nClassStyle, WORD cursorResourceId) {
    // The name encodes the parameters, so equal requests share one registration per process.
    char name[48];
    std::snprintf(name, sizeof name, "Afx:%x:%x", nClassStyle, static_cast<unsigned>(cursorResourceId));
    if (!plat::IsClassRegistered(name)) plat::RegisterClass(name, nClassStyle, cursorResourceId, &CWnd::AfxWndProc);
    return name;
}
