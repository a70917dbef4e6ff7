// CPalette: logical palettes and the nearest-entry search.
#include "framework/Palette.h"

#include <algorithm>

#include "framework/GdiBitmap.h"

const CRuntimeClass CPalette::classCPalette = {"CPalette", &CGdiObject::classCGdiObject};
const CRuntimeClass* CPalette::GetRuntimeClass() const { return &classCPalette; }

HPALETTE CreatePalette(const LOGPALETTE* lpLogPalette) {
    if (lpLogPalette == nullptr || lpLogPalette->palNumEntries == 0 || lpLogPalette->palNumEntries > 256)
        return nullptr;
    auto* pal = new GdiPalette;
    pal->entries.assign(lpLogPalette->palPalEntry, lpLogPalette->palPalEntry + lpLogPalette->palNumEntries);
    return pal;
}

UINT GetNearestPaletteIndex(HPALETTE hPalette, COLORREF crColor) {
    if (hPalette == nullptr || hPalette->entries.empty()) return CLR_INVALID;
    const int r = GetRValue(crColor), g = GetGValue(crColor), b = GetBValue(crColor);
    UINT best = 0;
    int bestDist = 0x7fffffff;
    for (std::size_t i = 0; i < hPalette->entries.size(); ++i) {
        const PALETTEENTRY& e = hPalette->entries[i];
        const int dr = e.peRed - r, dg = e.peGreen - g, db = e.peBlue - b;
        const int dist = dr * dr + dg * dg + db * db;
        if (dist < bestDist) {  // strictly less: ties keep the lowest index
            bestDist = dist;
            best = static_cast<UINT>(i);
            if (dist == 0) break;
        }
    }
    return best;
}

HPALETTE CPalette::GetPaletteHandle() const { return static_cast<GdiPalette*>(m_hObject); }

BOOL CPalette::CreatePalette(const LOGPALETTE* lpLogPalette) {
    if (m_hObject != nullptr) return FALSE;
    return Attach(::CreatePalette(lpLogPalette));
}

BOOL CPalette::ResizePalette(UINT nNumEntries) {
    GdiPalette* pal = GetPaletteHandle();
    if (pal == nullptr || nNumEntries == 0 || nNumEntries > 256) return FALSE;
    pal->entries.resize(nNumEntries, PALETTEENTRY{0, 0, 0, 0});
    return TRUE;
}

UINT CPalette::SetPaletteEntries(UINT nStartIndex, UINT nNumEntries, const PALETTEENTRY* lpPaletteColors) {
    GdiPalette* pal = GetPaletteHandle();
    if (pal == nullptr || lpPaletteColors == nullptr || nStartIndex >= pal->entries.size()) return 0;
    const UINT n = std::min<UINT>(nNumEntries, static_cast<UINT>(pal->entries.size()) - nStartIndex);
    for (UINT i = 0; i < n; ++i) pal->entries[nStartIndex + i] = lpPaletteColors[i];
    return n;
}

UINT CPalette::GetPaletteEntries(UINT nStartIndex, UINT nNumEntries, PALETTEENTRY* lpPaletteColors) const {
    const GdiPalette* pal = GetPaletteHandle();
    if (pal == nullptr) return 0;
    if (lpPaletteColors == nullptr) return static_cast<UINT>(pal->entries.size());
    if (nStartIndex >= pal->entries.size()) return 0;
    const UINT n = std::min<UINT>(nNumEntries, static_cast<UINT>(pal->entries.size()) - nStartIndex);
    for (UINT i = 0; i < n; ++i) lpPaletteColors[i] = pal->entries[nStartIndex + i];
    return n;
}

UINT CPalette::GetNearestPaletteIndex(COLORREF crColor) const {
    return ::GetNearestPaletteIndex(GetPaletteHandle(), crColor);
}

int CPalette::GetEntryCount() const {
    const GdiPalette* pal = GetPaletteHandle();
    return pal ? static_cast<int>(pal->entries.size()) : 0;
}

BOOL DeleteObject(HPALETTE hPalette) {
    if (hPalette == nullptr || hPalette->owner != nullptr) return FALSE;  // owned ones go with their owner
    GdiDeleteHandle(hPalette);
    return TRUE;
}
