// CWnd: a window over the platform seam, with static message tables and default handling.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/Object.h"
#include "framework/WinDefs.h"

class CDC;
class CWnd;

// One entry of a message table. `nMessage` 0 ends the table. For WM_COMMAND entries, nCode is the
// notification code and nID..nLastID the control ids. `pfn` unpacks the parameters and calls the
// handler on the object; its result is the message's result.
struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;
    UINT nID;
    UINT nLastID;
    LRESULT (*pfn)(CWnd* self, WPARAM wParam, LPARAM lParam);
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

struct CREATESTRUCT {
    void* lpCreateParams;
    DWORD dwExStyle;
    DWORD style;
    int x, y, cx, cy;
    HWND hwndParent;
};
using LPCREATESTRUCT = CREATESTRUCT*;

struct PAINTSTRUCT {
    CDC* pDC;
    RECT rcPaint;
};

struct CPoint : POINT {
    CPoint() = default;
    CPoint(int x_, int y_) {
        x = x_;
        y = y_;
    }
};

// clang-format off
#define DECLARE_MESSAGE_MAP()                             \
protected:                                                \
    static const AFX_MSGMAP* GetThisMessageMap();         \
    const AFX_MSGMAP* GetMessageMap() const override;

// The table is a constant array inside the class's own member function, so handlers may be
// protected; each entry's thunk unpacks WPARAM/LPARAM as Win32 does.
#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                           \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }    \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                    \
        using ThisClass [[maybe_unused]] = theClass;                                     \
        using TheBaseClass = baseClass;                                                  \
        static constexpr AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                               \
        {0, 0, 0, 0, nullptr}};                                                          \
        static constexpr AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap,      \
                                                  &_messageEntries[0]};                  \
        return &messageMap;                                                              \
    }

#define MG_THUNK(body) [](CWnd* w, WPARAM wParam, LPARAM lParam) -> LRESULT { \
        auto* self = static_cast<ThisClass*>(w); (void)self; (void)wParam; (void)lParam; body }

#define ON_WM_CREATE() {WM_CREATE, 0, 0, 0, MG_THUNK(return self->OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam));)},
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, 0, MG_THUNK(self->OnDestroy(); return 0;)},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, 0, MG_THUNK(self->OnPaint(); return 0;)},
#define ON_WM_TIMER() {WM_TIMER, 0, 0, 0, MG_THUNK(self->OnTimer(static_cast<UINT_PTR>(wParam)); return 0;)},
#define ON_WM_SYSCOMMAND() {WM_SYSCOMMAND, 0, 0, 0, MG_THUNK(self->OnSysCommand(static_cast<UINT>(wParam), lParam); return 0;)},
#define ON_WM_SETCURSOR() {WM_SETCURSOR, 0, 0, 0, MG_THUNK(return self->OnSetCursor(CWnd::FromHandlePermanent(static_cast<HWND>(wParam)), LOWORD(static_cast<std::uintptr_t>(lParam)), HIWORD(static_cast<std::uintptr_t>(lParam)));)},
#define ON_WM_NCACTIVATE() {WM_NCACTIVATE, 0, 0, 0, MG_THUNK(return self->OnNcActivate(static_cast<BOOL>(wParam));)},
#define ON_WM_ACTIVATE() {WM_ACTIVATE, 0, 0, 0, MG_THUNK(self->OnActivate(LOWORD(wParam), CWnd::FromHandlePermanent(static_cast<HWND>(lParam)), HIWORD(wParam)); return 0;)},
#define ON_WM_ACTIVATEAPP() {WM_ACTIVATEAPP, 0, 0, 0, MG_THUNK(self->OnActivateApp(static_cast<BOOL>(wParam), static_cast<DWORD>(lParam)); return 0;)},
#define ON_WM_MOUSEMOVE() {WM_MOUSEMOVE, 0, 0, 0, MG_THUNK(self->OnMouseMove(static_cast<UINT>(wParam), CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))); return 0;)},
#define ON_WM_LBUTTONDOWN() {WM_LBUTTONDOWN, 0, 0, 0, MG_THUNK(self->OnLButtonDown(static_cast<UINT>(wParam), CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))); return 0;)},
#define ON_WM_MBUTTONDOWN() {WM_MBUTTONDOWN, 0, 0, 0, MG_THUNK(self->OnMButtonDown(static_cast<UINT>(wParam), CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))); return 0;)},
#define ON_WM_RBUTTONDOWN() {WM_RBUTTONDOWN, 0, 0, 0, MG_THUNK(self->OnRButtonDown(static_cast<UINT>(wParam), CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))); return 0;)},
#define ON_WM_KEYDOWN() {WM_KEYDOWN, 0, 0, 0, MG_THUNK(self->OnKeyDown(static_cast<UINT>(wParam), LOWORD(static_cast<std::uintptr_t>(lParam)), HIWORD(static_cast<std::uintptr_t>(lParam))); return 0;)},
#define ON_WM_SYSKEYDOWN() {WM_SYSKEYDOWN, 0, 0, 0, MG_THUNK(self->OnSysKeyDown(static_cast<UINT>(wParam), LOWORD(static_cast<std::uintptr_t>(lParam)), HIWORD(static_cast<std::uintptr_t>(lParam))); return 0;)},
#define ON_WM_QUERYDRAGICON() {WM_QUERYDRAGICON, 0, 0, 0, MG_THUNK(return static_cast<LRESULT>(self->OnQueryDragIcon());)},
#define ON_WM_HSCROLL() {WM_HSCROLL, 0, 0, 0, MG_THUNK(self->OnHScroll(LOWORD(wParam), HIWORD(wParam), CWnd::FromHandleControl(w, static_cast<HWND>(lParam))); return 0;)},
// WM_COMMAND: notification code in HIWORD(wParam), control id in LOWORD(wParam).
#define ON_COMMAND(id, memberFxn) {WM_COMMAND, 0, static_cast<UINT>(id), static_cast<UINT>(id), MG_THUNK(self->memberFxn(); return 0;)},
#define ON_BN_CLICKED(id, memberFxn) {WM_COMMAND, BN_CLICKED, static_cast<UINT>(id), static_cast<UINT>(id), MG_THUNK(self->memberFxn(); return 0;)},
// clang-format on

class CWnd : public CObject {
    DECLARE_DYNAMIC(CWnd)

public:
    CWnd();
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = 0;
    HWND GetSafeHwnd() const { return m_hWnd; }

    // Creation: the platform sends WM_CREATE during the call. FALSE when the window was not made.
    BOOL CreateEx(DWORD dwExStyle, const char* lpszClassName, const char* lpszWindowName, DWORD dwStyle,
                  const RECT& rect, CWnd* pParentWnd, UINT nID, void* lpParam = nullptr);
    BOOL DestroyWindow();
    // Wrap a window that this object did not create (a foreign parent), and let it go again.
    BOOL Attach(HWND hWnd);
    HWND Detach();
    // The CWnd object of one of our windows, or nullptr.
    static CWnd* FromHandlePermanent(HWND hWnd);
    // A control of `owner` as a CWnd kept by the owner (scroll bar / slider argument of WM_HSCROLL).
    static CWnd* FromHandleControl(CWnd* owner, HWND hWnd);

    // Message handling: the window procedure hands every message to WindowProc, which looks it up
    // in the message tables (derived first, then each base) and otherwise calls DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Default handling of the message being handled now, with its own parameters.
    LRESULT Default();
    // Called after the last message (WM_NCDESTROY), when m_hWnd is already 0.
    virtual void PostNcDestroy();

    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, void* lpfnTimer);
    BOOL KillTimer(UINT_PTR nIDEvent);
    void GetClientRect(RECT* lpRect) const;
    void GetWindowRect(RECT* lpRect) const;
    void Invalidate();

    CDC* GetDC();
    int ReleaseDC(CDC* pDC);
    CDC* BeginPaint(PAINTSTRUCT* lpPaint);
    void EndPaint(PAINTSTRUCT* lpPaint);

    // Dialog-related helpers (controls are kept as CWnd objects owned by this window).
    CWnd* GetDlgItem(int nID);
    int GetDlgCtrlID() const;
    void SetDlgItemText(int nID, const char* text);
    void CenterWindow(CWnd* pAlternateOwner = nullptr);
    HMENU GetSystemMenu() const;
    int MessageBox(const char* text, const char* caption, UINT type);

    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

    // The default handlers a derived handler hands on to (each calls Default()).
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnHScroll(UINT nSBCode, UINT nPos, CWnd* pScrollBar);

    // The platform's window procedure for every framework window.
    static LRESULT AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // Watches this object across a call that may run a message loop (a handler, a modal dialog of
    // another module): Alive() is false afterwards when the object was deleted meanwhile, and
    // then nothing may touch it. Watches nest; a deletion ends every enclosing one too.
    class AliveWatch {
    public:
        explicit AliveWatch(CWnd* pWnd) : m_pWnd(pWnd), m_pOuter(pWnd->m_pbAlive) { pWnd->m_pbAlive = &m_bAlive; }
        ~AliveWatch() {
            if (m_bAlive) {
                m_pWnd->m_pbAlive = m_pOuter;
            } else if (m_pOuter != nullptr) {
                *m_pOuter = false;
            }
        }
        AliveWatch(const AliveWatch&) = delete;
        AliveWatch& operator=(const AliveWatch&) = delete;
        bool Alive() const { return m_bAlive; }

    private:
        CWnd* m_pWnd;
        bool* m_pOuter;
        bool m_bAlive = true;
    };

    // Returns TRUE and the result when a table entry handled the message.
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    struct CurrentMsg {
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    };
    CurrentMsg m_currentMsg;                        // the message being handled (for Default())
    bool* m_pbAlive = nullptr;                      // innermost AliveWatch's flag, cleared when the object is deleted
    std::vector<std::unique_ptr<CWnd>> m_controls;  // control wrappers handed out by GetDlgItem
    BOOL m_bAttached = FALSE;
};

// One queued message, and PeekMessageA over the platform's queue (the scene window's tick drops
// one pending WM_TIMER with it).
struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
BOOL PeekMessage(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);

// Registers (once per process) a window class with the framework's window procedure and returns
// its generated name; later calls with the same parameters reuse the registration.
std::string AfxRegisterWndClass(UINT nClassStyle, WORD cursorResourceId);
