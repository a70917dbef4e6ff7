// CSliderCtrl: range and position of a trackbar through its window messages.
#include "framework/SliderCtrl.h"

#include "framework/Wnd.h"
#include "platform/Window.h"

CSliderCtrl::CSliderCtrl(const CWnd* pCtrl) : m_hWnd(pCtrl != nullptr ? pCtrl->GetSafeHwnd() : 0) {}

void CSliderCtrl::SetRange(int nMin, int nMax, BOOL bRedraw) {
    plat::SendMessage(m_hWnd, TBM_SETRANGE, static_cast<WPARAM>(bRedraw), MAKELPARAM(nMin, nMax));
}

void CSliderCtrl::SetPos(int nPos) { plat::SendMessage(m_hWnd, TBM_SETPOS, TRUE, static_cast<LPARAM>(nPos)); }

int CSliderCtrl::GetPos() const { return static_cast<int>(plat::SendMessage(m_hWnd, TBM_GETPOS, 0, 0)); }
