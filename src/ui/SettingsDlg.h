// CSettingsDlg: the settings mode's dialog (sound, Pain level slider, subliminals, credits, legal).
#pragma once

#include "framework/Dialog.h"

class CSettingsDlg : public CDialog {
public:
    explicit CSettingsDlg(CWnd* pParent = nullptr);
    ~CSettingsDlg() override;

    // Set by the caller before DoModal and read back after it, however the dialog ended.
    int m_nEnableSound = 0;
    int m_nSubliminals = 0;
    int m_nPain = 0;
    HICON m_hIcon;

    // The name shown beside the slider for a Pain level ("Weird" outside 1..4).
    static const char* LevelName(int nLevel);

protected:
    void DoDataExchange(CDataExchange* pDX) override;

public:
    BOOL OnInitDialog() override;

protected:
    void OnSysCommand(UINT nID, LPARAM lParam);
    HICON OnQueryDragIcon();
    void OnHScroll(UINT nSBCode, UINT nPos, CWnd* pScrollBar);
    void OnCredits();
    void OnLegal();

    DECLARE_MESSAGE_MAP()
};
