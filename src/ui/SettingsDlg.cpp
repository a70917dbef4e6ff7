// CSettingsDlg: data exchange, the named Pain slider, the system-menu items and the two buttons.
#include "ui/SettingsDlg.h"

#include <string>

#include "framework/DataExchange.h"
#include "framework/Menu.h"
#include "framework/ResLoad.h"
#include "framework/SliderCtrl.h"
#include "resource.h"
#include "ui/CreditsDlg.h"
#include "ui/LegalDlg.h"

BEGIN_MESSAGE_MAP(CSettingsDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_QUERYDRAGICON()
    ON_WM_HSCROLL()
    ON_BN_CLICKED(IDC_CREDITS, OnCredits)
    ON_BN_CLICKED(IDC_LEGAL, OnLegal)
END_MESSAGE_MAP()

CSettingsDlg::CSettingsDlg(CWnd* pParent) : CDialog(IDD_SETTINGS, pParent), m_hIcon(AfxLoadIcon(IDR_MAINFRAME)) {}

CSettingsDlg::~CSettingsDlg() = default;

const char* CSettingsDlg::LevelName(int nLevel) {
    switch (nLevel) {
        case 1: return "Tame";
        case 2: return "Tortuous";
        case 3: return "Twisted";
        case 4: return "Terrible";
        default: return "Weird";
    }
}

void CSettingsDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_SOUND, m_nEnableSound);
    DDX_Check(pDX, IDC_SUBLIMINALS, m_nSubliminals);
    DDX_Slider(pDX, IDC_PAIN, m_nPain);
}

BOOL CSettingsDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    // Four levels. Setting the position again after the range makes an out-of-range level show
    // at the nearer end, while m_nPain itself (and so the label) keeps the stored value.
    CSliderCtrl slider(GetDlgItem(IDC_PAIN));
    slider.SetRange(1, 4, TRUE);
    slider.SetPos(m_nPain);
    SetDlgItemText(IDC_PAIN_NAME, LevelName(m_nPain));

    CenterWindow();

    CMenu sysMenu(GetSystemMenu());
    if (sysMenu.m_hMenu != 0) {
        const std::string credits = AfxLoadString(IDS_CREDITS_MENU);
        const std::string legal = AfxLoadString(IDS_LEGAL_MENU);
        sysMenu.AppendMenu(MF_SEPARATOR);
        sysMenu.AppendMenu(MF_STRING, IDM_CREDITS, credits.c_str());
        sysMenu.AppendMenu(MF_STRING, IDM_LEGAL, legal.c_str());
    }
    return TRUE;
}

void CSettingsDlg::OnSysCommand(UINT nID, LPARAM lParam) {
    switch (nID & 0xFFF0) {
        case IDM_CREDITS: {
            CCreditsDlg dlgCredits;
            dlgCredits.DoModal();
            break;
        }
        case IDM_LEGAL: {
            CLegalDlg dlgLegal(nullptr);
            dlgLegal.DoModal();
            break;
        }
        default: CDialog::OnSysCommand(nID, lParam); break;
    }
}

HICON CSettingsDlg::OnQueryDragIcon() { return m_hIcon; }

void CSettingsDlg::OnHScroll(UINT nSBCode, UINT nPos, CWnd* pScrollBar) {
    // The label follows every notification (drag, keys, clicks); the position argument only
    // carries the thumb while tracking, so the control is asked instead.
    if (pScrollBar != nullptr && pScrollBar->GetDlgCtrlID() == IDC_PAIN) {
        const int nLevel = CSliderCtrl(pScrollBar).GetPos();
        SetDlgItemText(IDC_PAIN_NAME, LevelName(nLevel));
        return;
    }
    CDialog::OnHScroll(nSBCode, nPos, pScrollBar);
}

void CSettingsDlg::OnCredits() {
    CCreditsDlg dlgCredits;
    dlgCredits.DoModal();
}

void CSettingsDlg::OnLegal() {
    CLegalDlg dlgLegal(nullptr);
    dlgLegal.DoModal();
}
