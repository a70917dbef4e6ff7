// String and icon loading over the platform's resource and dialog calls.
#include "framework/ResLoad.h"

#include "platform/Dialog.h"
#include "platform/Resources.h"

std::string AfxLoadString(UINT nID) {
    std::string text;
    if (!plat::LoadString(static_cast<std::uint16_t>(nID), &text)) text.clear();
    return text;
}

HICON AfxLoadIcon(UINT nID) { return plat::LoadIcon(static_cast<std::uint16_t>(nID)); }
