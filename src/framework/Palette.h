// CPalette: a logical palette (up to 256 entries) and the nearest-colour search.
#pragma once

#include "framework/DibTypes.h"
#include "framework/GdiObject.h"

struct GdiPalette;
using HPALETTE = GdiPalette*;

// Win32-style handle functions for code that holds a palette without a CPalette.
HPALETTE CreatePalette(const LOGPALETTE* lpLogPalette);
// Squared RGB distance, ties to the lowest index; the colour's high byte is ignored.
// CLR_INVALID for an empty or null palette.
UINT GetNearestPaletteIndex(HPALETTE hPalette, COLORREF crColor);
BOOL DeleteObject(HPALETTE hPalette);

class CPalette : public CGdiObject {
public:
    static const CRuntimeClass classCPalette;
    const CRuntimeClass* GetRuntimeClass() const override;

    // 1 to 256 entries; FALSE otherwise or when a palette is held already.
    BOOL CreatePalette(const LOGPALETTE* lpLogPalette);
    // Entries beyond the old count are black with flags 0.
    BOOL ResizePalette(UINT nNumEntries);
    // Copies within the palette's entries; returns how many were copied (0 on error).
    UINT SetPaletteEntries(UINT nStartIndex, UINT nNumEntries, const PALETTEENTRY* lpPaletteColors);
    // lpPaletteColors null: returns the entry count.
    UINT GetPaletteEntries(UINT nStartIndex, UINT nNumEntries, PALETTEENTRY* lpPaletteColors) const;
    UINT GetNearestPaletteIndex(COLORREF crColor) const;
    int GetEntryCount() const;

    HPALETTE GetPaletteHandle() const;
    operator HPALETTE() const { return GetPaletteHandle(); }
};
