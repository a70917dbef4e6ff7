// CSaverWnd: the full-screen, topmost scene window that ends the saver on user input.
#pragma once

#include "framework/Wnd.h"
#include "window/SceneWnd.h"

class CSaverWnd : public CSceneWnd {
public:
    // How long the title stays before the scene starts (input still ends the saver at once).
    static constexpr UINT kTitleHoldMs = 1500;

    CSaverWnd();
    ~CSaverWnd() override;

    // Creates the window over every monitor (the virtual screen): topmost popup, visible, no
    // parent, empty title.
    BOOL CreateFullScreen();

protected:
    // Every close request goes through here: asks the password service first when the desktop
    // settings require a saver password, then posts WM_CLOSE unless the service refused.
    // FALSE when the window object was deleted meanwhile (the service's dialog runs a message
    // loop, in which the window may be closed from elsewhere): the caller must not touch it.
    BOOL VerifyAndClose();

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnDestroy();
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    BOOL OnNcActivate(BOOL bActive);
    void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
    void OnActivateApp(BOOL bActive, DWORD dwThreadID);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnMButtonDown(UINT nFlags, CPoint point);
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);

    // Where the pointer stood at the first mouse move ((-1, -1): not seen yet).
    CPoint m_ptFirstMouse;
    // TRUE while VerifyAndClose runs (the password dialog runs its own message loop).
    BOOL m_bClosing;
    // Mouse moves still to swallow after a password dialog.
    int m_nIgnoreMoves;

    DECLARE_MESSAGE_MAP()
};
