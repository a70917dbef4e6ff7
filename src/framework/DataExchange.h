// CDataExchange and the DDX_ helpers: moving dialog fields to and from their controls.
#pragma once

#include "framework/WinDefs.h"

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    // The control `nIDC` of the dialog (0 when the dialog has no such control).
    HWND PrepareCtrl(int nIDC) const;

    BOOL m_bSaveAndValidate;  // TRUE: controls -> fields (OK); FALSE: fields -> controls
    CWnd* m_pDlgWnd;
};

// Check box `nIDC` and an int: into the dialog a value outside 0..2 is first reset to 0 in the
// field itself (so it shows unchecked); out of the dialog the field gets 0, 1 or 2.
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);

// Trackbar `nIDC` and an int: into the dialog the position is set (with redraw; the control
// keeps it within its range); out of the dialog the field gets the position.
void DDX_Slider(CDataExchange* pDX, int nIDC, int& value);
