// CMenu: a menu handle (the dialog's system menu) and the items appended to it.
#pragma once

#include "framework/WinDefs.h"

class CMenu {
public:
    explicit CMenu(HMENU hMenu) : m_hMenu(hMenu) {}

    // MF_SEPARATOR (no id, no text) or MF_STRING with the command id and its text.
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, const char* lpszNewItem = nullptr);

    HMENU m_hMenu;
};
