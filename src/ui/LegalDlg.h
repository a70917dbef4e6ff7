// CLegalDlg: the legal notices in a read-only scrolling edit box; opened from the settings dialog.
#pragma once

#include "framework/Dialog.h"

class CLegalDlg : public CDialog {
public:
    explicit CLegalDlg(CWnd* pParent = nullptr);
    ~CLegalDlg() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

public:
    BOOL OnInitDialog() override;

    DECLARE_MESSAGE_MAP()
};
