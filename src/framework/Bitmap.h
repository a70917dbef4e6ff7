// CBitmap: a software bitmap in the display's format (32-bit) or monochrome (1-bit).
#pragma once

#include "framework/DibTypes.h"
#include "framework/GdiObject.h"

class CDC;
struct GdiBitmap;
using HBITMAP = GdiBitmap*;

// Deletes a bitmap held by handle (a DIB section); a context that has it selected keeps it until
// it lets it go. FALSE for null.
BOOL DeleteObject(HBITMAP hBitmap);

class CBitmap : public CGdiObject {
public:
    static const CRuntimeClass classCBitmap;
    const CRuntimeClass* GetRuntimeClass() const override;

    // A bitmap in the format of `pDC`'s surface (monochrome when a 1-bit bitmap is selected in
    // it, the display's 32-bit format otherwise), pixels black.
    BOOL CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight);
    // nPlanes 1 and nBitcount 1 (monochrome) or 32. lpBits: optional initial rows, top-down; for
    // 1-bit rows are padded to 16 bits (Win32 layout), for 32-bit they are 0x00RRGGBB.
    BOOL CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitcount, const void* lpBits);
    // Bitmap resource `nIDResource` (8-bit, checked like CDib::Load) converted to the display's
    // 32-bit format through the resource's own colour table. FALSE when missing or malformed.
    BOOL LoadBitmap(UINT nIDResource);

    // Width, height, bits per pixel; FALSE when empty.
    BOOL GetBitmap(BITMAP* pBitMap) const;
    int GetWidth() const;
    int GetHeight() const;

    HBITMAP GetBitmapHandle() const;
    operator HBITMAP() const { return GetBitmapHandle(); }
};
