// Software GDI objects behind the handles: bitmaps (32-bit, 1-bit, 8-bit DIB sections), palettes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/DibTypes.h"
#include "framework/WinDefs.h"

class CGdiObject;

// Common part of every GDI object. A selected object stays alive until the last context lets it
// go, even when its owner deleted it meanwhile, so a context never draws into freed memory.
struct GdiHandle {
    virtual ~GdiHandle() = default;
    CGdiObject* owner = nullptr;  // the CBitmap / CPalette holding this handle, if any
    int selectCount = 0;          // contexts that have it selected
    bool orphaned = false;        // deleted by its owner while selected: free on last release
};

// Deletes the object now, or when the last context releases it.
void GdiDeleteHandle(GdiHandle* handle);
// Called by a context when it selects / releases an object.
void GdiAddSelect(GdiHandle* handle);
void GdiReleaseSelect(GdiHandle* handle);

// One software bitmap.
// Gives a bitmap's pixel block back to the platform.
struct GdiPixelFree {
    std::size_t bytes = 0;
    void operator()(std::uint32_t* p) const;
};

struct GdiBitmap : GdiHandle {
    enum class Format { Rgb32, Mono1, Index8 };
    Format format = Format::Rgb32;
    std::int32_t width = 0;
    std::int32_t height = 0;

    // Rgb32: 0x00RRGGBB pixels, rows top-down, pitch in pixels.
    std::uint32_t* pixels32 = nullptr;
    std::int32_t pitch32 = 0;

    // Mono1 (MSB = leftmost pixel, rows top-down) and Index8 (DIB rows, bottom-up unless
    // topDown): row stride in bytes.
    std::uint8_t* bytes = nullptr;
    std::int32_t stride = 0;
    bool topDown = true;
    std::uint32_t colors[256] = {};  // Index8: colour table as 0x00RRGGBB

    // Owned 32-bit pixels (none for window / display surfaces), from the platform's pixel memory.
    std::unique_ptr<std::uint32_t[], GdiPixelFree> store32;
    // Owned 32-bit pixels start zero (black), and every writer marks what it wrote: outside the
    // touched rectangle a pixel is known to be 0 without reading it, so copies from there and
    // black fills there leave the memory (the pages of a screen-sized bitmap) untouched.
    bool sparse = false;
    mutable std::int32_t touchedLeft = 0, touchedTop = 0, touchedRight = 0, touchedBottom = 0;
    // Every writer of Rgb32 pixels, before it writes the rectangle (clipped already).
    void Touch(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) const;
    std::vector<std::uint8_t> store8;

    // Address of row y (0 = top as seen) for Mono1 / Index8.
    std::uint8_t* Row8(std::int32_t y) const {
        return bytes + static_cast<std::ptrdiff_t>(topDown ? y : height - 1 - y) * stride;
    }
    std::uint32_t* Row32(std::int32_t y) const { return pixels32 + static_cast<std::ptrdiff_t>(y) * pitch32; }

    // New bitmaps; nullptr for sizes that are not positive or too large to hold.
    static GdiBitmap* NewRgb32(std::int32_t width, std::int32_t height);
    static GdiBitmap* NewMono(std::int32_t width, std::int32_t height);
    static GdiBitmap* NewIndex8(std::int32_t width, std::int32_t height, bool topDown);
    // A surface that belongs to a window or to the display (not owned).
    static std::unique_ptr<GdiBitmap> Wrap(std::uint32_t* pixels, std::int32_t width, std::int32_t height,
                                           std::int32_t pitch);
};

// One logical palette.
struct GdiPalette : GdiHandle {
    std::vector<PALETTEENTRY> entries;
};

// Colour forms: COLORREF is 0x00BBGGRR, surface pixels are 0x00RRGGBB.
constexpr std::uint32_t ColorRefToPixel(COLORREF c) {
    return ((c & 0xffu) << 16) | (c & 0xff00u) | ((c >> 16) & 0xffu);
}
constexpr COLORREF PixelToColorRef(std::uint32_t p) {
    return ((p & 0xffu) << 16) | (p & 0xff00u) | ((p >> 16) & 0xffu);
}

// Raster operation on one copy; every rectangle given to the kernels below is already clipped.
enum class GdiRop { Copy, Invert, And, White, Black };

// Colours that a copy needs from the two contexts.
struct GdiBltColors {
    std::uint32_t srcBk = 0xffffff;         // source context background (colour -> mono: equal gives 1)
    std::uint32_t dstBk = 0xffffff;         // destination background (mono -> colour: 1)
    std::uint32_t dstText = 0;              // destination text colour (mono -> colour: 0)
    std::uint32_t compareMask = 0xffffffu;  // bits that take part in the colour -> mono test
};

// dst(x..x+w, y..y+h) op= src(xs.., ys..). FALSE for format pairs that cannot be copied.
BOOL GdiBlt(const GdiBitmap& dst, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, const GdiBitmap* src,
            std::int32_t xs, std::int32_t ys, GdiRop rop, const GdiBltColors& colors);

// The result of image SRCINVERT, mask SRCAND, image SRCINVERT in one pass:
// d = ((d ^ s) & m) ^ s, with m the destination's background colour for mask bit 1 and its text
// colour for bit 0. Image and mask both start at (xs, ys) and cover the whole rectangle.
BOOL GdiMaskedBlt(const GdiBitmap& dst, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                  const GdiBitmap& image, const GdiBitmap& mask, std::int32_t xs, std::int32_t ys,
                  const GdiBltColors& colors);

// Whole-factor nearest-neighbour enlargement between 32-bit bitmaps: dst(x..x+w, y..y+h) gets
// src((dx - xOrigin) / scale, (dy - yOrigin) / scale); the caller has clipped the rectangle so that
// every such source pixel exists. FALSE for other formats.
BOOL GdiScaleBlt(const GdiBitmap& dst, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                 const GdiBitmap& src, std::int32_t xOrigin, std::int32_t yOrigin, std::int32_t scale);

// The 32-bit pixel of (x, y) as 0x00RRGGBB (Mono1: white/black, Index8: through the table).
std::uint32_t GdiGetPixel(const GdiBitmap& bmp, std::int32_t x, std::int32_t y);
