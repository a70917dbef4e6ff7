// CDC: a device context drawing into a software surface (memory bitmap, window or display).
#pragma once

#include <cstdint>

#include "framework/Object.h"
#include "framework/WinDefs.h"

class CBitmap;
class CPalette;
class CGdiObject;
class CWnd;
struct GdiBitmap;
struct GdiPalette;

// Handles of the software GDI objects (owned by CBitmap / CPalette / CDib).
using HBITMAP = GdiBitmap*;
using HPALETTE = GdiPalette*;
class CDC;
using HDC = CDC*;

class CDC : public CObject {
public:
    CDC();
    ~CDC() override;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // Memory context compatible with `other` (nullptr: with the display).
    BOOL CreateCompatibleDC(CDC* other);
    // A context on the whole display (CreateDCA("DISPLAY", ...)); drawing shows on the screen.
    BOOL CreateDC(const char* driver, const char* device, const char* output, const void* initData);
    // Window client-area context (used by CWnd::GetDC / BeginPaint): draws into the window's
    // backing store and presents exactly the rectangles drawn, at the latest in ReleaseWindow().
    BOOL AttachWindow(HWND hwnd);
    void ReleaseWindow();
    BOOL DeleteDC();

    HDC GetSafeHdc() { return this; }
    int GetDeviceCaps(int index) const;

    // Selection returns the previously selected object (nullptr if none).
    CBitmap* SelectObject(CBitmap* bitmap);
    HBITMAP SelectBitmap(HBITMAP bitmap);  // handle form, for CDib's DIB section
    CPalette* SelectPalette(CPalette* palette, BOOL forceBackground);
    UINT RealizePalette();
    CPalette* GetSelectedPalette() const { return m_pPalette; }

    COLORREF SetBkColor(COLORREF color);
    COLORREF SetTextColor(COLORREF color);
    COLORREF GetBkColor() const { return m_crBk; }
    COLORREF GetTextColor() const { return m_crText; }

    // SRCCOPY, SRCINVERT, SRCAND, WHITENESS, BLACKNESS; clipped to source and destination.
    BOOL BitBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, DWORD rop);
    void FillSolidRect(const RECT& rect, COLORREF color);

    // The surface this context draws into right now (window, display or selected bitmap).
    // Null when nothing drawable is selected.
    const GdiBitmap* GetTargetBitmap() const;

protected:
    enum class Kind { None, Memory, Window, Display };
    Kind m_kind = Kind::None;
    HWND m_hWnd = 0;
    HBITMAP m_hBitmap = nullptr;  // selected bitmap (memory contexts)
    CBitmap* m_pBitmapObj = nullptr;
    CPalette* m_pPalette = nullptr;
    COLORREF m_crBk = RGB(255, 255, 255);
    COLORREF m_crText = RGB(0, 0, 0);
    GdiBitmap* m_pTarget = nullptr;  // window/display surface wrapper, owned here
};
