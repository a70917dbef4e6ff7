// CDC: a device context drawing into a software surface (memory bitmap, window or display).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/Bitmap.h"
#include "framework/DibTypes.h"
#include "framework/Object.h"
#include "framework/Palette.h"
#include "framework/WinDefs.h"
#include "platform/Types.h"

class CGdiObject;
class CWnd;
class CDC;

class CDC : public CObject {
public:
    CDC();
    ~CDC() override;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // Memory context compatible with `other` (nullptr: with the display). Nothing is selected
    // in it at first: drawing does nothing until a bitmap is selected.
    BOOL CreateCompatibleDC(CDC* other);
    // A context on the whole display (CreateDCA("DISPLAY", ...)); drawing shows on the screen
    // at once. FALSE for another driver name; without a display surface drawing does nothing.
    BOOL CreateDC(const char* driver, const char* device, const char* output, const void* initData);
    // Window client-area context (used by CWnd::GetDC / BeginPaint): draws into the window's
    // backing store and presents exactly the rectangles drawn, at the latest in ReleaseWindow().
    BOOL AttachWindow(HWND hwnd);
    void ReleaseWindow();
    // Lets go of every selection (presenting what a window context drew) and empties the context.
    BOOL DeleteDC();

    // BITSPIXEL, HORZRES, VERTRES, RASTERCAPS, NUMCOLORS, SIZEPALETTE of the display.
    int GetDeviceCaps(int index) const;

    // Selection returns the previously selected bitmap object (nullptr if none, or if it was
    // selected by handle); selecting nullptr empties the selection.
    CBitmap* SelectObject(CBitmap* bitmap);
    HBITMAP SelectBitmap(HBITMAP bitmap);  // handle form, for DIB sections
    CPalette* SelectPalette(CPalette* palette, BOOL forceBackground);
    // Makes the selected palette the one the system palette reflects; returns the entries mapped
    // (0 on displays without a palette).
    UINT RealizePalette();
    CPalette* GetSelectedPalette() const;

    COLORREF SetBkColor(COLORREF color);
    COLORREF SetTextColor(COLORREF color);
    COLORREF GetBkColor() const { return m_crBk; }
    COLORREF GetTextColor() const { return m_crText; }

    // SRCCOPY, SRCINVERT, SRCAND, WHITENESS, BLACKNESS; clipped to source and destination.
    // Colour -> mono gives 1 where the source pixel equals the source context's background
    // colour; mono -> colour gives the destination's background colour for 1, text colour for 0.
    BOOL BitBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, DWORD rop);
    // One pass with the pixels of BitBlt(image, SRCINVERT); BitBlt(mask, SRCAND);
    // BitBlt(image, SRCINVERT) over the same rectangle and source position.
    BOOL MaskedBlt(int x, int y, int width, int height, CDC* image, CDC* mask, int xSrc, int ySrc);
    // Nearest-neighbour enlargement by a whole factor (32-bit surfaces): every pixel (x, y) of
    // `rcDest` becomes the source's pixel ((x - xOrigin) / nScale, (y - yOrigin) / nScale), rounded
    // down; pixels whose source lies outside the source surface are left as they are.
    BOOL ScaleBlt(const RECT& rcDest, CDC* src, int xOrigin, int yOrigin, int nScale);
    void FillSolidRect(const RECT& rect, COLORREF color);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
    COLORREF GetPixel(int x, int y) const;  // CLR_INVALID outside the surface

    // 8-bit DIB section; with DIB_PAL_COLORS its colour table holds 16-bit indices into the
    // palette selected in this context (entries beyond the palette are black). *ppvBits gets the
    // pixel rows (zeroed). nullptr on bad headers.
    HBITMAP CreateDIBSection(const BITMAPINFO* pbmi, UINT usage, void** ppvBits, void* hSection, DWORD offset);

    // Palette-display support of the shared palette's identity set-up.
    UINT SetSystemPaletteUse(UINT usage);
    UINT GetSystemPaletteEntries(UINT start, UINT count, PALETTEENTRY* entries) const;

    // The surface this context draws into right now (window, display or selected bitmap).
    // Null when nothing drawable is selected.
    const GdiBitmap* GetTargetBitmap() const;

protected:
    enum class Kind { None, Memory, Window, Display };
    void Reset();
    GdiBitmap* Target() const;
    void Drawn(int x, int y, int w, int h);
    void Present();

    Kind m_kind = Kind::None;
    HWND m_hWnd = 0;
    plat::DisplayCaps m_caps;
    HBITMAP m_hBitmap = nullptr;           // selected bitmap (memory contexts)
    HPALETTE m_hPalette = nullptr;         // selected palette
    std::vector<PALETTEENTRY> m_realized;  // the palette last realised here (palette displays)
    UINT m_nSysPalUse = SYSPAL_STATIC;
    COLORREF m_crBk = RGB(255, 255, 255);
    COLORREF m_crText = RGB(0, 0, 0);
    std::unique_ptr<GdiBitmap> m_pSurface;  // window / display surface wrapper
    std::vector<plat::Rect> m_drawn;        // window rectangles drawn since the last present
};
