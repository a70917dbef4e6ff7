// CDibPalette: the shared palette made from an image, and its identity set-up on palette displays.
#include "imaging/DibPalette.h"

#include <memory>

#include "framework/DC.h"
#include "imaging/Dib.h"

CDibPalette::CDibPalette(CDib* pDib) { CreateFromDib(pDib); }

CDibPalette::~CDibPalette() = default;

BOOL CDibPalette::CreateFromDib(CDib* pDib) {
    if (pDib == nullptr || pDib->m_pInfo == nullptr) return FALSE;
    const DWORD n = pDib->m_pInfo->bmiHeader.biClrUsed;
    if (n == 0 || n > 256) return FALSE;
    auto record = std::make_unique<LOGPALETTE>();
    record->palVersion = 0x300;
    record->palNumEntries = static_cast<WORD>(n);
    pDib->FillPaletteEntries(record->palPalEntry);
    return CreatePalette(record.get());
}

BOOL CDibPalette::MakeIdentity() {
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    if (!(dc.GetDeviceCaps(RASTERCAPS) & RC_PALETTE)) return FALSE;
    const int statics = dc.GetDeviceCaps(NUMCOLORS);
    if (statics < 0 || statics > 256) return FALSE;
    const int size = dc.GetDeviceCaps(SIZEPALETTE);
    if (size <= 0 || size > 256) return FALSE;  // the work array holds 256 entries

    dc.SetSystemPaletteUse(SYSPAL_NOSTATIC);
    dc.SetSystemPaletteUse(SYSPAL_STATIC);
    CPalette* old = dc.SelectPalette(this, FALSE);
    dc.RealizePalette();
    dc.SelectPalette(old, FALSE);

    PALETTEENTRY work[256] = {};
    dc.GetSystemPaletteEntries(0, static_cast<UINT>(size), work);
    // Static colours at both ends keep flags 0; everything between must not collapse.
    const int half = statics / 2;
    for (int i = 0; i < size; ++i) work[i].peFlags = (i < half || i >= size - half) ? 0 : PC_NOCOLLAPSE;
    ResizePalette(static_cast<UINT>(size));
    SetPaletteEntries(0, static_cast<UINT>(size), work);
    return TRUE;
}
