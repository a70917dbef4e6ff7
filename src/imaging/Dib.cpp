// CDib: loading 8-bit bitmap resources into DIB sections and copying them, opaque or masked.
#include "imaging/Dib.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "imaging/DibPalette.h"

CDibPalette* CDib::s_pSharedPalette = nullptr;

CDib::CDib() : m_hBitmap(nullptr), m_pInfo(nullptr), m_pBits(nullptr), m_nStride(0) {}

CDib::~CDib() { Free(); }

void CDib::Free() {
    if (m_hBitmap != nullptr) {
        DeleteObject(m_hBitmap);
        m_hBitmap = nullptr;
        m_pBits = nullptr;
    }
    if (m_pInfo != nullptr) {
        delete m_pInfo;
        m_pInfo = nullptr;
    }
}

BOOL CDib::Load(CDC* pDC, UINT nID, BOOL bMapToPalette, HINSTANCE /*hInstance*/) {
    Free();
    // Resources come from the executable itself, whatever module handle is given. Nothing is
    // copied until the header, the colour table and every pixel row are known to be inside
    // the resource.
    DibLayout dib;
    if (!FindDibResource(nID, &dib)) return FALSE;

    m_pInfo = new (std::nothrow) BITMAPINFO{};
    if (m_pInfo == nullptr) {
        Free();
        return FALSE;
    }
    m_pInfo->bmiHeader = dib.header;
    m_pInfo->bmiHeader.biClrUsed = dib.colorCount;
    m_nStride = (dib.header.biWidth + 3) & ~3;
    // An image size of 0 means "all rows"; one larger than the rows would run past the pixels
    // (and the DIB section), so it is not believed either.
    if (m_pInfo->bmiHeader.biSizeImage == 0 || m_pInfo->bmiHeader.biSizeImage > dib.pixelBytes)
        m_pInfo->bmiHeader.biSizeImage = dib.pixelBytes;
    std::memcpy(m_pInfo->bmiColors, dib.colors, 4 * static_cast<std::size_t>(dib.colorCount));

    // The colour table is in place first: realising may make the shared palette from it.
    if (!Realize(pDC)) return FALSE;

    BITMAPINFO create{};
    create.bmiHeader = m_pInfo->bmiHeader;
    WORD identity[256];
    for (int i = 0; i < 256; ++i) identity[i] = static_cast<WORD>(i);
    std::memcpy(create.bmiColors, identity, sizeof identity);
    void* bits = nullptr;
    m_hBitmap = pDC->CreateDIBSection(&create, DIB_PAL_COLORS, &bits, nullptr, 0);
    m_pBits = static_cast<BYTE*>(bits);
    if (m_hBitmap == nullptr || m_pBits == nullptr) {
        Free();
        return FALSE;
    }
    std::memcpy(m_pBits, dib.pixels, m_pInfo->bmiHeader.biSizeImage);
    ReleaseDibResource(dib);  // the image lives in its own copy now
    if (bMapToPalette) MapToPalette();
    return TRUE;
}

BOOL CDib::Realize(CDC* pDC) {
    if (m_pInfo == nullptr || pDC == nullptr) return FALSE;
    if (s_pSharedPalette == nullptr) {
        auto* pal = new (std::nothrow) CDibPalette(this);
        // A palette that could not be made from this image is no palette at all.
        if (pal != nullptr && pal->GetSafeHandle() == nullptr) {
            delete pal;
            pal = nullptr;
        }
        s_pSharedPalette = pal;
        if (s_pSharedPalette != nullptr) s_pSharedPalette->MakeIdentity();
    }
    if (s_pSharedPalette == nullptr) return FALSE;
    pDC->SelectPalette(s_pSharedPalette, FALSE);
    pDC->RealizePalette();
    return TRUE;
}

BOOL CDib::MapToPalette() {
    if (s_pSharedPalette == nullptr || m_pInfo == nullptr || m_pBits == nullptr) return FALSE;
    // Values at or beyond the colour count are not part of a valid image; they become 0.
    BYTE table[256] = {};
    const DWORD n = m_pInfo->bmiHeader.biClrUsed > 256 ? 256 : m_pInfo->bmiHeader.biClrUsed;
    for (DWORD i = 0; i < n; ++i) {
        const RGBQUAD& q = m_pInfo->bmiColors[i];
        table[i] =
            static_cast<BYTE>(s_pSharedPalette->GetNearestPaletteIndex(PALETTERGB(q.rgbRed, q.rgbGreen, q.rgbBlue)));
    }
    const DWORD size = m_pInfo->bmiHeader.biSizeImage;
    for (DWORD i = 0; i < size; ++i) m_pBits[i] = table[m_pBits[i]];
    return TRUE;
}

void CDib::Draw(CDC* pDC, int x, int y, BOOL bRealize) {
    if (m_pInfo == nullptr) return;
    const LONG h = m_pInfo->bmiHeader.biHeight;
    DrawRect(pDC, x, y, RECT{0, 0, m_pInfo->bmiHeader.biWidth, h < 0 ? -h : h}, bRealize);
}

void CDib::DrawRect(CDC* pDC, int x, int y, RECT rcSource, BOOL bRealize) {
    if (m_hBitmap == nullptr || pDC == nullptr) return;
    CDC mem;
    mem.CreateCompatibleDC(pDC);
    if (bRealize) Realize(pDC);
    const HBITMAP old = mem.SelectBitmap(m_hBitmap);
    pDC->BitBlt(x, y, rcSource.right - rcSource.left, rcSource.bottom - rcSource.top, &mem, rcSource.left, rcSource.top,
                SRCCOPY);
    mem.SelectBitmap(old);
    mem.DeleteDC();
}

void CDib::DrawMasked(CDC* pDC, int x, int y, CBitmap* pMask, BOOL bRealize) {
    if (m_hBitmap == nullptr || pMask == nullptr || pDC == nullptr) return;
    // White for mask bit 1 (keep) and black for bit 0 (take the image).
    pDC->SetBkColor(RGB(255, 255, 255));
    pDC->SetTextColor(RGB(0, 0, 0));
    CDC image;
    CDC mask;
    image.CreateCompatibleDC(pDC);
    mask.CreateCompatibleDC(pDC);
    if (bRealize) Realize(pDC);
    const HBITMAP oldImage = image.SelectBitmap(m_hBitmap);
    CBitmap* oldMask = mask.SelectObject(pMask);
    const int w = m_pInfo->bmiHeader.biWidth;
    const int h = m_pInfo->bmiHeader.biHeight < 0 ? -m_pInfo->bmiHeader.biHeight : m_pInfo->bmiHeader.biHeight;
    // One pass with the pixels of: image SRCINVERT, mask SRCAND, image SRCINVERT.
    pDC->MaskedBlt(x, y, w, h, &image, &mask, 0, 0);
    image.SelectBitmap(oldImage);
    mask.SelectObject(oldMask);
    image.DeleteDC();
    mask.DeleteDC();
}

BOOL CDib::FillPaletteEntries(PALETTEENTRY* pEntries) {
    if (m_pInfo == nullptr || pEntries == nullptr) return FALSE;
    const DWORD n = m_pInfo->bmiHeader.biClrUsed > 256 ? 256 : m_pInfo->bmiHeader.biClrUsed;
    if (n == 0) return FALSE;
    for (DWORD i = 0; i < n; ++i) {
        const RGBQUAD& q = m_pInfo->bmiColors[i];
        pEntries[i] = PALETTEENTRY{q.rgbRed, q.rgbGreen, q.rgbBlue, 0};
    }
    return TRUE;
}

void CDib::ReleaseSharedPalette() {
    if (s_pSharedPalette == nullptr) return;
    delete s_pSharedPalette;
    s_pSharedPalette = nullptr;
}
