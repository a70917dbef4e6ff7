// CDialog: a modal dialog built from a dialog template resource, dispatched through message tables.
#pragma once

#include "framework/Wnd.h"

class CDataExchange;

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Runs the dialog until EndDialog; returns EndDialog's result (-1 when it could not be shown).
    virtual LRESULT DoModal();
    void EndDialog(int nResult);
    // Runs DoDataExchange: TRUE reads the controls into the fields, FALSE shows the fields.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // Unhandled messages go back to the dialog host, which gives them the platform's dialog
    // default handling (the close command becomes Cancel, and so on).
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    virtual void DoDataExchange(CDataExchange* pDX);

public:
    // WM_INITDIALOG: shows the fields in the controls; TRUE lets the host focus the first tab stop.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    DECLARE_MESSAGE_MAP()

private:
    // The procedure handed to the platform's dialog host for every dialog.
    static LRESULT DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    static CDialog* FromRunning(HWND hWnd);
    // The owner a modal run gets: the given parent, else the main window when that is another one.
    HWND ChooseOwner() const;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    BOOL m_bPassToHost = FALSE;  // set by DefWindowProc while a message is being handled
    CDialog* m_pPrevModal = nullptr;
    // Dialogs running modally, innermost first: how the dialog procedure finds its object.
    static CDialog* s_pModalChain;
};
