// Software bitmaps and the raster kernels behind CDC::BitBlt and CDC::MaskedBlt.
#include "framework/GdiBitmap.h"

#include "platform/Window.h"

#include <algorithm>
#include <cstring>

namespace {

// Largest bitmap made here: 2^28 pixels (a 16384 x 16384 screen).
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 28;

bool SizeOk(std::int32_t width, std::int32_t height) {
    return width > 0 && height > 0 && static_cast<std::int64_t>(width) * height <= kMaxPixels;
}

inline int MonoBit(const std::uint8_t* row, std::int32_t x) { return (row[x >> 3] >> (7 - (x & 7))) & 1; }

inline void SetMonoBit(std::uint8_t* row, std::int32_t x, int bit) {
    const std::uint8_t m = static_cast<std::uint8_t>(0x80u >> (x & 7));
    if (bit) {
        row[x >> 3] |= m;
    } else {
        row[x >> 3] &= static_cast<std::uint8_t>(~m);
    }
}

inline std::uint32_t Apply(GdiRop rop, std::uint32_t d, std::uint32_t s) {
    switch (rop) {
        case GdiRop::Copy: return s;
        case GdiRop::Invert: return d ^ s;
        case GdiRop::And: return d & s;
        case GdiRop::White: return 0xffffffu;
        case GdiRop::Black: return 0;
    }
    return d;
}

// Source row j of the copy as 32-bit colours (Rgb32 direct, Index8 through its table, Mono1
// through the destination's colours), into `tmp` when a conversion is needed.
const std::uint32_t* SourceRow32(const GdiBitmap& src, std::int32_t xs, std::int32_t ys, std::int32_t w,
                                 const GdiBltColors& c, std::vector<std::uint32_t>& tmp, bool mustCopy) {
    switch (src.format) {
        case GdiBitmap::Format::Rgb32:
            if (!mustCopy) return src.Row32(ys) + xs;
            tmp.assign(src.Row32(ys) + xs, src.Row32(ys) + xs + w);
            return tmp.data();
        case GdiBitmap::Format::Index8: {
            const std::uint8_t* s = src.Row8(ys) + xs;
            for (std::int32_t i = 0; i < w; ++i) tmp[i] = src.colors[s[i]];
            return tmp.data();
        }
        case GdiBitmap::Format::Mono1: {
            const std::uint8_t* s = src.Row8(ys);
            for (std::int32_t i = 0; i < w; ++i) tmp[i] = MonoBit(s, xs + i) ? c.dstBk : c.dstText;
            return tmp.data();
        }
    }
    return tmp.data();
}

}  // namespace

void GdiDeleteHandle(GdiHandle* handle) {
    if (handle == nullptr) return;
    if (handle->selectCount > 0) {
        handle->orphaned = true;
    } else {
        delete handle;
    }
}

void GdiAddSelect(GdiHandle* handle) {
    if (handle != nullptr) ++handle->selectCount;
}

void GdiReleaseSelect(GdiHandle* handle) {
    if (handle == nullptr) return;
    if (--handle->selectCount <= 0 && handle->orphaned) delete handle;
}

void GdiPixelFree::operator()(std::uint32_t* p) const { plat::FreePixelMemory(p, bytes); }

GdiBitmap* GdiBitmap::NewRgb32(std::int32_t width, std::int32_t height) {
    if (!SizeOk(width, height)) return nullptr;
    auto* b = new GdiBitmap;
    b->format = Format::Rgb32;
    b->width = width;
    b->height = height;
    const std::size_t bytes =
        static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * sizeof(std::uint32_t);
    auto* pixels = static_cast<std::uint32_t*>(plat::AllocPixelMemory(bytes));
    if (pixels == nullptr) {
        delete b;
        return nullptr;
    }
    b->store32 = std::unique_ptr<std::uint32_t[], GdiPixelFree>(pixels, GdiPixelFree{bytes});
    b->pixels32 = pixels;
    b->pitch32 = width;
    b->sparse = true;  // the platform's pixel memory comes zero-filled
    return b;
}

void GdiBitmap::Touch(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) const {
    if (!sparse || w <= 0 || h <= 0) return;
    if (touchedRight <= touchedLeft || touchedBottom <= touchedTop) {
        touchedLeft = x, touchedTop = y, touchedRight = x + w, touchedBottom = y + h;
        return;
    }
    touchedLeft = std::min(touchedLeft, x);
    touchedTop = std::min(touchedTop, y);
    touchedRight = std::max(touchedRight, x + w);
    touchedBottom = std::max(touchedBottom, y + h);
}

GdiBitmap* GdiBitmap::NewMono(std::int32_t width, std::int32_t height) {
    if (!SizeOk(width, height)) return nullptr;
    auto* b = new GdiBitmap;
    b->format = Format::Mono1;
    b->width = width;
    b->height = height;
    b->stride = (width + 7) / 8;
    b->store8.assign(static_cast<std::size_t>(b->stride) * height, 0);
    b->bytes = b->store8.data();
    return b;
}

GdiBitmap* GdiBitmap::NewIndex8(std::int32_t width, std::int32_t height, bool topDown) {
    if (!SizeOk(width, height)) return nullptr;
    auto* b = new GdiBitmap;
    b->format = Format::Index8;
    b->width = width;
    b->height = height;
    b->stride = (width + 3) & ~3;
    b->topDown = topDown;
    b->store8.assign(static_cast<std::size_t>(b->stride) * height, 0);
    b->bytes = b->store8.data();
    return b;
}

std::unique_ptr<GdiBitmap> GdiBitmap::Wrap(std::uint32_t* pixels, std::int32_t width, std::int32_t height,
                                           std::int32_t pitch) {
    if (pixels == nullptr || width <= 0 || height <= 0 || pitch < width) return nullptr;
    auto b = std::make_unique<GdiBitmap>();
    b->format = Format::Rgb32;
    b->width = width;
    b->height = height;
    b->pixels32 = pixels;
    b->pitch32 = pitch;
    return b;
}

BOOL GdiBlt(const GdiBitmap& dst, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, const GdiBitmap* src,
            std::int32_t xs, std::int32_t ys, GdiRop rop, const GdiBltColors& c) {
    if (w <= 0 || h <= 0) return TRUE;
    const bool noSource = rop == GdiRop::White || rop == GdiRop::Black;
    if (!noSource && src == nullptr) return FALSE;
    // Within one bitmap, walk the rows away from the overlap and copy each source row first.
    const bool same = src == &dst;
    const bool upward = same && y > ys;
    std::vector<std::uint32_t> tmp(static_cast<std::size_t>(w));
    if (dst.format == GdiBitmap::Format::Rgb32) dst.Touch(x, y, w, h);
    // A copy reaching beyond what a new bitmap's writers touched: what lies outside is black.
    const bool beyondTouched =
        rop == GdiRop::Copy && src != nullptr && src->sparse && !same && src->format == GdiBitmap::Format::Rgb32 &&
        (xs < src->touchedLeft || ys < src->touchedTop || xs + w > src->touchedRight || ys + h > src->touchedBottom);

    for (std::int32_t n = 0; n < h; ++n) {
        const std::int32_t j = upward ? h - 1 - n : n;
        switch (dst.format) {
            case GdiBitmap::Format::Rgb32: {
                std::uint32_t* d = dst.Row32(y + j) + x;
                if (noSource) {
                    std::fill(d, d + w, rop == GdiRop::White ? 0xffffffu : 0u);
                    break;
                }
                if (beyondTouched) {
                    // Only the source's touched columns of this row are read; the rest is black.
                    const std::int32_t sy = ys + j;
                    std::int32_t a = 0, b = 0;
                    if (sy >= src->touchedTop && sy < src->touchedBottom) {
                        a = std::clamp(src->touchedLeft - xs, 0, w);
                        b = std::clamp(src->touchedRight - xs, a, w);
                    }
                    std::fill(d, d + a, 0u);
                    if (b > a) std::memcpy(d + a, src->Row32(sy) + xs + a, static_cast<std::size_t>(b - a) * 4);
                    std::fill(d + b, d + w, 0u);
                    break;
                }
                if (rop == GdiRop::Copy && src->format == GdiBitmap::Format::Index8) {
                    // The DIB -> display copy: straight through the colour table.
                    const std::uint8_t* s8 = src->Row8(ys + j) + xs;
                    for (std::int32_t i = 0; i < w; ++i) d[i] = src->colors[s8[i]];
                    break;
                }
                const std::uint32_t* s = SourceRow32(*src, xs, ys + j, w, c, tmp, same);
                if (rop == GdiRop::Copy) {
                    std::memcpy(d, s, static_cast<std::size_t>(w) * 4);
                } else if (rop == GdiRop::Invert) {
                    for (std::int32_t i = 0; i < w; ++i) d[i] ^= s[i];
                } else {
                    for (std::int32_t i = 0; i < w; ++i) d[i] &= s[i];
                }
                break;
            }
            case GdiBitmap::Format::Mono1: {
                std::uint8_t* d = dst.Row8(y + j);
                if (noSource) {
                    for (std::int32_t i = 0; i < w; ++i) SetMonoBit(d, x + i, rop == GdiRop::White);
                    break;
                }
                if (src->format == GdiBitmap::Format::Mono1) {
                    // Same bitmap: take the source bits before any is overwritten.
                    std::vector<std::uint8_t> bits(static_cast<std::size_t>(w));
                    const std::uint8_t* s = src->Row8(ys + j);
                    for (std::int32_t i = 0; i < w; ++i) bits[i] = static_cast<std::uint8_t>(MonoBit(s, xs + i));
                    for (std::int32_t i = 0; i < w; ++i)
                        SetMonoBit(
                            d, x + i,
                            static_cast<int>(Apply(rop, static_cast<std::uint32_t>(MonoBit(d, x + i)), bits[i])));
                    break;
                }
                // Colour -> mono: 1 where the colour equals the source context's background.
                const std::uint32_t* s = SourceRow32(*src, xs, ys + j, w, c, tmp, false);
                const std::uint32_t key = c.srcBk & c.compareMask;
                for (std::int32_t i = 0; i < w; ++i) {
                    const std::uint32_t bit = (s[i] & c.compareMask) == key ? 1u : 0u;
                    SetMonoBit(d, x + i,
                               static_cast<int>(Apply(rop, static_cast<std::uint32_t>(MonoBit(d, x + i)), bit)));
                }
                break;
            }
            case GdiBitmap::Format::Index8: {
                std::uint8_t* d = dst.Row8(y + j) + x;
                if (noSource) {
                    std::memset(d, rop == GdiRop::White ? 0xff : 0, static_cast<std::size_t>(w));
                    break;
                }
                if (src->format != GdiBitmap::Format::Index8) return FALSE;  // no colour matching here
                const std::uint8_t* s = src->Row8(ys + j) + xs;
                std::vector<std::uint8_t> row(s, s + w);
                for (std::int32_t i = 0; i < w; ++i) d[i] = static_cast<std::uint8_t>(Apply(rop, d[i], row[i]));
                break;
            }
        }
    }
    return TRUE;
}

BOOL GdiMaskedBlt(const GdiBitmap& dst, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                  const GdiBitmap& image, const GdiBitmap& mask, std::int32_t xs, std::int32_t ys,
                  const GdiBltColors& c) {
    if (dst.format != GdiBitmap::Format::Rgb32 || mask.format != GdiBitmap::Format::Mono1 ||
        image.format == GdiBitmap::Format::Mono1 || &dst == &image)
        return FALSE;
    if (w <= 0 || h <= 0) return TRUE;
    // White background and black text (what DrawMasked sets) make the formula a plain choice:
    // bit 1 keeps the destination, bit 0 takes the image.
    const bool select = c.dstBk == 0xffffffu && c.dstText == 0;
    std::vector<std::uint32_t> tmp(static_cast<std::size_t>(w));
    dst.Touch(x, y, w, h);
    for (std::int32_t j = 0; j < h; ++j) {
        std::uint32_t* d = dst.Row32(y + j) + x;
        const std::uint8_t* m = mask.Row8(ys + j);
        const bool indexed = image.format == GdiBitmap::Format::Index8;
        const std::uint8_t* s8 = indexed ? image.Row8(ys + j) + xs : nullptr;
        const std::uint32_t* s32 = indexed ? nullptr : image.Row32(ys + j) + xs;
        if (!select) {
            for (std::int32_t i = 0; i < w; ++i) {
                const std::uint32_t s = indexed ? image.colors[s8[i]] : s32[i];
                const std::uint32_t mk = MonoBit(m, xs + i) ? c.dstBk : c.dstText;
                d[i] = ((d[i] ^ s) & mk) ^ s;
            }
            continue;
        }
        // Whole runs of mask bits at a time: all 0 copies, all 1 skips.
        std::int32_t i = 0;
        while (i < w) {
            const std::int32_t bx = xs + i;
            const int shift = bx & 7;
            const std::int32_t n = std::min<std::int32_t>(8 - shift, w - i);
            const std::uint8_t topN = static_cast<std::uint8_t>(0xff00u >> n);
            const std::uint8_t bits = static_cast<std::uint8_t>(static_cast<std::uint8_t>(m[bx >> 3] << shift) & topN);
            if (bits == 0) {
                if (indexed) {
                    for (std::int32_t k = 0; k < n; ++k) d[i + k] = image.colors[s8[i + k]];
                } else {
                    std::memcpy(d + i, s32 + i, static_cast<std::size_t>(n) * 4);
                }
            } else if (bits != topN) {
                for (std::int32_t k = 0; k < n; ++k) {
                    if (!((bits << k) & 0x80)) d[i + k] = indexed ? image.colors[s8[i + k]] : s32[i + k];
                }
            }
            i += n;
        }
    }
    return TRUE;
}

std::uint32_t GdiGetPixel(const GdiBitmap& bmp, std::int32_t x, std::int32_t y) {
    switch (bmp.format) {
        case GdiBitmap::Format::Rgb32: return bmp.Row32(y)[x];
        case GdiBitmap::Format::Mono1: return MonoBit(bmp.Row8(y), x) ? 0xffffffu : 0u;
        case GdiBitmap::Format::Index8: return bmp.colors[bmp.Row8(y)[x]];
    }
    return 0;
}

BOOL GdiScaleBlt(const GdiBitmap& dst, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                 const GdiBitmap& src, std::int32_t xOrigin, std::int32_t yOrigin, std::int32_t scale) {
    if (dst.format != GdiBitmap::Format::Rgb32 || src.format != GdiBitmap::Format::Rgb32 || scale < 1) return FALSE;
    if (w <= 0 || h <= 0) return TRUE;
    // Offsets from the origin are not negative after clipping, so plain division rounds down.
    const std::int32_t sx0 = (x - xOrigin) / scale;
    const std::int32_t phase0 = (x - xOrigin) % scale;
    const std::uint32_t* previous = nullptr;
    std::int32_t previousRow = -1;
    for (std::int32_t j = 0; j < h; ++j) {
        std::uint32_t* d = dst.Row32(y + j) + x;
        const std::int32_t sy = (y + j - yOrigin) / scale;
        if (sy == previousRow && previous != nullptr) {
            // The rows of one source row are alike: widen it once, then copy.
            std::memcpy(d, previous, static_cast<std::size_t>(w) * 4);
            continue;
        }
        const std::uint32_t* s = src.Row32(sy) + sx0;
        std::int32_t i = 0;
        std::int32_t run = scale - phase0;
        while (i < w) {
            const std::int32_t n = std::min(run, w - i);
            std::fill(d + i, d + i + n, *s++);
            i += n;
            run = scale;
        }
        previous = d;
        previousRow = sy;
    }
    return TRUE;
}
