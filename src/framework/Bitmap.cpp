// CBitmap: display-format and monochrome software bitmaps, and bitmap resources loaded as such.
#include "framework/Bitmap.h"

#include <cstring>

#include "framework/DC.h"
#include "framework/GdiBitmap.h"

const CRuntimeClass CBitmap::classCBitmap = {"CBitmap", &CGdiObject::classCGdiObject};
const CRuntimeClass* CBitmap::GetRuntimeClass() const { return &classCBitmap; }

HBITMAP CBitmap::GetBitmapHandle() const { return static_cast<GdiBitmap*>(m_hObject); }

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight) {
    if (m_hObject != nullptr) return FALSE;
    const GdiBitmap* target = pDC != nullptr ? pDC->GetTargetBitmap() : nullptr;
    const bool mono = target != nullptr && target->format == GdiBitmap::Format::Mono1;
    GdiBitmap* bmp = mono ? GdiBitmap::NewMono(nWidth, nHeight) : GdiBitmap::NewRgb32(nWidth, nHeight);
    return Attach(bmp);
}

BOOL CBitmap::CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitcount, const void* lpBits) {
    if (m_hObject != nullptr || nPlanes != 1) return FALSE;
    GdiBitmap* bmp = nullptr;
    if (nBitcount == 1) {
        bmp = GdiBitmap::NewMono(nWidth, nHeight);
        if (bmp != nullptr && lpBits != nullptr) {
            // Win32 monochrome rows are padded to 16 bits.
            const std::size_t srcStride = ((static_cast<std::size_t>(nWidth) + 15) / 16) * 2;
            const std::size_t rowBytes = (static_cast<std::size_t>(nWidth) + 7) / 8;
            const auto* src = static_cast<const std::uint8_t*>(lpBits);
            for (int y = 0; y < nHeight; ++y) std::memcpy(bmp->Row8(y), src + y * srcStride, rowBytes);
        }
    } else if (nBitcount == 32) {
        bmp = GdiBitmap::NewRgb32(nWidth, nHeight);
        if (bmp != nullptr && lpBits != nullptr) {
            bmp->Touch(0, 0, nWidth, nHeight);
            const auto* src = static_cast<const std::uint32_t*>(lpBits);
            for (int y = 0; y < nHeight; ++y) {
                std::uint32_t* row = bmp->Row32(y);
                for (int x = 0; x < nWidth; ++x) row[x] = src[static_cast<std::size_t>(y) * nWidth + x] & 0xffffffu;
            }
        }
    }
    return Attach(bmp);
}

BOOL CBitmap::LoadBitmap(UINT nIDResource) {
    if (m_hObject != nullptr) return FALSE;
    DibLayout dib;
    if (!FindDibResource(nIDResource, &dib)) return FALSE;
    GdiBitmap* bmp = GdiBitmap::NewRgb32(dib.header.biWidth, dib.rows);
    if (bmp == nullptr) return FALSE;
    // Values at or beyond the colour count have no colour of their own: black.
    std::uint32_t table[256] = {};
    for (std::uint32_t i = 0; i < dib.colorCount; ++i) {
        const RGBQUAD& q = dib.colors[i];
        table[i] =
            (static_cast<std::uint32_t>(q.rgbRed) << 16) | (static_cast<std::uint32_t>(q.rgbGreen) << 8) | q.rgbBlue;
    }
    const bool bottomUp = dib.header.biHeight > 0;
    bmp->Touch(0, 0, bmp->width, dib.rows);
    for (int y = 0; y < dib.rows; ++y) {
        const BYTE* src = dib.pixels + static_cast<std::size_t>(bottomUp ? dib.rows - 1 - y : y) * dib.stride;
        std::uint32_t* dst = bmp->Row32(y);
        for (int x = 0; x < bmp->width; ++x) dst[x] = table[src[x]];
    }
    ReleaseDibResource(dib);
    return Attach(bmp);
}

BOOL CBitmap::GetBitmap(BITMAP* pBitMap) const {
    const GdiBitmap* bmp = GetBitmapHandle();
    if (bmp == nullptr || pBitMap == nullptr) return FALSE;
    pBitMap->bmType = 0;
    pBitMap->bmWidth = bmp->width;
    pBitMap->bmHeight = bmp->height;
    pBitMap->bmPlanes = 1;
    switch (bmp->format) {
        case GdiBitmap::Format::Rgb32:
            pBitMap->bmBitsPixel = 32;
            pBitMap->bmWidthBytes = bmp->width * 4;
            pBitMap->bmBits = nullptr;
            break;
        case GdiBitmap::Format::Mono1:
            pBitMap->bmBitsPixel = 1;
            pBitMap->bmWidthBytes = ((bmp->width + 15) / 16) * 2;
            pBitMap->bmBits = nullptr;
            break;
        case GdiBitmap::Format::Index8:
            pBitMap->bmBitsPixel = 8;
            pBitMap->bmWidthBytes = bmp->stride;
            pBitMap->bmBits = bmp->bytes;
            break;
    }
    return TRUE;
}

int CBitmap::GetWidth() const { return GetBitmapHandle() ? GetBitmapHandle()->width : 0; }
int CBitmap::GetHeight() const { return GetBitmapHandle() ? GetBitmapHandle()->height : 0; }

BOOL DeleteObject(HBITMAP hBitmap) {
    if (hBitmap == nullptr || hBitmap->owner != nullptr) return FALSE;  // owned ones go with their owner
    GdiDeleteHandle(hBitmap);
    return TRUE;
}
