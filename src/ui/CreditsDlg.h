// CCreditsDlg: the credits text in a sunken, centred static; opened from the settings dialog.
#pragma once

#include "framework/Dialog.h"

class CCreditsDlg : public CDialog {
public:
    CCreditsDlg();
    ~CCreditsDlg() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

public:
    BOOL OnInitDialog() override;

    DECLARE_MESSAGE_MAP()
};
