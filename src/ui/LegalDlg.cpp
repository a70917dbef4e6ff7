// CLegalDlg: joins the two legal strings into the edit box and centres itself on its owner.
#include "ui/LegalDlg.h"

#include <string>

#include "framework/ResLoad.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CLegalDlg, CDialog)
END_MESSAGE_MAP()

CLegalDlg::CLegalDlg(CWnd* pParent) : CDialog(IDD_LEGAL, pParent) {}

CLegalDlg::~CLegalDlg() = default;

void CLegalDlg::DoDataExchange(CDataExchange* pDX) { CDialog::DoDataExchange(pDX); }

BOOL CLegalDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // The text is kept in two string-table entries; the paragraph break between the halves is
    // part of the strings, so nothing is inserted when they are joined.
    std::string text = AfxLoadString(IDS_LEGAL_TEXT1);
    text += AfxLoadString(IDS_LEGAL_TEXT2);
    SetDlgItemText(IDC_LEGAL_TEXT, text.c_str());
    CenterWindow();
    return TRUE;
}
