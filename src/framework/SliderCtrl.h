// CSliderCtrl: the trackbar messages of a slider control, addressed by the control's window.
#pragma once

#include "framework/WinDefs.h"

class CWnd;

class CSliderCtrl {
public:
    explicit CSliderCtrl(HWND hWnd) : m_hWnd(hWnd) {}
    explicit CSliderCtrl(const CWnd* pCtrl);

    void SetRange(int nMin, int nMax, BOOL bRedraw = FALSE);
    void SetPos(int nPos);
    int GetPos() const;

    HWND m_hWnd;
};
