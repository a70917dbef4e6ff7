// Dialog data exchange: check boxes and the trackbar, in both directions.
#include "framework/DataExchange.h"

#include "framework/SliderCtrl.h"
#include "framework/Wnd.h"
#include "platform/Dialog.h"
#include "platform/Window.h"

HWND CDataExchange::PrepareCtrl(int nIDC) const {
    if (m_pDlgWnd == nullptr || m_pDlgWnd->GetSafeHwnd() == 0) return 0;
    return plat::GetDlgItem(m_pDlgWnd->GetSafeHwnd(), nIDC);
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
    HWND hCtrl = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        if (hCtrl != 0) value = static_cast<int>(plat::SendMessage(hCtrl, BM_GETCHECK, 0, 0));
        return;
    }
    // A check box has only the states 0, 1 and 2; anything else is taken as unchecked and the
    // field itself is corrected, so that it is stored as 0 however the dialog ends.
    if (value < 0 || value > 2) value = 0;
    if (hCtrl != 0) plat::SendMessage(hCtrl, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_Slider(CDataExchange* pDX, int nIDC, int& value) {
    CSliderCtrl slider(pDX->PrepareCtrl(nIDC));
    if (slider.m_hWnd == 0) return;
    if (pDX->m_bSaveAndValidate) {
        value = slider.GetPos();
    } else {
        slider.SetPos(value);
    }
}
