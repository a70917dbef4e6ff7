// CMenu: appending items through the platform's menu calls.
#include "framework/Menu.h"

#include "platform/Dialog.h"

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, const char* lpszNewItem) {
    if (m_hMenu == 0) return FALSE;
    return plat::AppendMenu(m_hMenu, nFlags, nIDNewItem, lpszNewItem) ? TRUE : FALSE;
}
