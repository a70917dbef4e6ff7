// CDib: an 8-bit bitmap resource as a DIB section whose colours come from the shared palette.
#pragma once

#include "framework/Bitmap.h"
#include "framework/DC.h"
#include "framework/DibTypes.h"
#include "framework/Object.h"

class CDibPalette;

class CDib : public CObject {
public:
    CDib();
    ~CDib() override;
    CDib(const CDib&) = delete;
    CDib& operator=(const CDib&) = delete;

    // Loads bitmap resource `nID` (low 16 bits) into a DIB section made in `pDC`, whose colours
    // are the shared palette's; with bMapToPalette the pixels are remapped to its nearest
    // entries. The resource is checked first; FALSE leaves this empty (see Realize).
    BOOL Load(CDC* pDC, UINT nID, BOOL bMapToPalette, HINSTANCE hInstance);
    void Free();

    void Draw(CDC* pDC, int x, int y, BOOL bRealize);
    void DrawRect(CDC* pDC, int x, int y, RECT rcSource, BOOL bRealize);
    // Transparent copy: mask bit 1 keeps the destination, 0 takes the image. Leaves the
    // destination's background colour white and its text colour black.
    void DrawMasked(CDC* pDC, int x, int y, CBitmap* pMask, BOOL bRealize);

    // Selects (creating it from this image when none exists) the shared palette into `pDC`.
    BOOL Realize(CDC* pDC);
    // Replaces every pixel by the shared palette's entry nearest to its own colour.
    BOOL MapToPalette();
    // Entries 0 .. colour count - 1 from the colour table, flags 0.
    BOOL FillPaletteEntries(PALETTEENTRY* pEntries);

    static void ReleaseSharedPalette();

    int GetWidth() const { return m_pInfo ? m_pInfo->bmiHeader.biWidth : 0; }
    int GetHeight() const { return m_pInfo ? m_pInfo->bmiHeader.biHeight : 0; }

    HBITMAP m_hBitmap;
    BITMAPINFO* m_pInfo;  // header and 256-entry colour table, owned
    BYTE* m_pBits;
    int m_nStride;

    static CDibPalette* s_pSharedPalette;
};
