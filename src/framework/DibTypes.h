// The device-independent bitmap format: headers, colour tables, logical palettes, resource checks.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/WinDefs.h"

#pragma pack(push, 1)
// The 40-byte header of the published DIB format, field for field.
struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
#pragma pack(pop)
static_assert(sizeof(BITMAPINFOHEADER) == 40, "BITMAPINFOHEADER must be 40 bytes");

// One colour-table entry as stored in a DIB: blue, green, red, reserved.
struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};
static_assert(sizeof(RGBQUAD) == 4, "RGBQUAD must be 4 bytes");

// Header plus a full 256-entry colour table. With DIB_PAL_COLORS the table's first 512 bytes are
// read as 256 16-bit indices into the context's palette instead.
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[256];
};

// One palette entry: red, green, blue, flags (PC_*).
struct PALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};
static_assert(sizeof(PALETTEENTRY) == 4, "PALETTEENTRY must be 4 bytes");

// A logical palette record with room for the largest palette (256 entries); palNumEntries says
// how many are used.
struct LOGPALETTE {
    WORD palVersion;
    WORD palNumEntries;
    PALETTEENTRY palPalEntry[256];
};

// What GetObject reports for a bitmap.
struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    void* bmBits;
};

constexpr DWORD BI_RGB = 0;
constexpr UINT DIB_RGB_COLORS = 0;
constexpr UINT DIB_PAL_COLORS = 1;
constexpr BYTE PC_RESERVED = 0x01;
constexpr BYTE PC_EXPLICIT = 0x02;
constexpr BYTE PC_NOCOLLAPSE = 0x04;
constexpr UINT SYSPAL_STATIC = 1;
constexpr UINT SYSPAL_NOSTATIC = 2;
constexpr UINT GDI_ERROR = 0xFFFFFFFFu;
constexpr UINT CLR_INVALID = 0xFFFFFFFFu;

// A palette-relative colour (high byte 2), as given to GetNearestPaletteIndex.
constexpr COLORREF PALETTERGB(int r, int g, int b) { return 0x02000000u | RGB(r, g, b); }

// Where the parts of an 8-bit bitmap resource lie, after ParseDibResource checked them.
struct DibLayout {
    BITMAPINFOHEADER header;   // copied from the resource, unchanged
    std::uint32_t colorCount;  // biClrUsed, or 256 when it is 0
    std::int32_t stride;       // bytes per pixel row, the width rounded up to a multiple of 4
    std::int32_t rows;         // |height|
    std::uint32_t pixelBytes;  // rows x stride: what the resource is known to hold
    const RGBQUAD* colors;     // colorCount entries, inside the resource (may be unaligned)
    const BYTE* pixels;        // pixelBytes bytes, inside the resource
    const void* resource;      // the whole resource (FindDibResource), for ReleaseDibResource
    std::size_t resourceSize;
};

// Checks a bitmap resource (a BMP file without its 14-byte file header) before anything is
// copied from it: a 40-byte header, 8 bits per pixel, BI_RGB, at most 256 colours, a positive
// width, a non-zero height, and enough bytes for the colour table and rows x stride pixels.
// FALSE for anything else; never reads outside [data, data + size).
BOOL ParseDibResource(const void* data, std::size_t size, DibLayout* out);

// Bitmap resource `nID` (low 16 bits) of the executable, checked as above. FALSE when the
// executable has no such bitmap or it fails the checks.
BOOL FindDibResource(UINT nID, DibLayout* out);
// Once the caller holds its own copy of the bitmap found above: the resource's memory may go.
void ReleaseDibResource(const DibLayout& dib);
