// CCreditsDlg: fills the credits static from the string table and centres itself on its owner.
#include "ui/CreditsDlg.h"

#include <string>

#include "framework/ResLoad.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CCreditsDlg, CDialog)
END_MESSAGE_MAP()

CCreditsDlg::CCreditsDlg() : CDialog(IDD_CREDITS, nullptr) {}

CCreditsDlg::~CCreditsDlg() = default;

void CCreditsDlg::DoDataExchange(CDataExchange* pDX) { CDialog::DoDataExchange(pDX); }

BOOL CCreditsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    const std::string text = AfxLoadString(IDS_CREDITS_TEXT);
    SetDlgItemText(IDC_CREDITS_TEXT, text.c_str());
    CenterWindow();
    return TRUE;
}
