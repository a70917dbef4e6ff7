// CDC: memory, window and display contexts over software surfaces; raster copies with clipping.
#include "framework/DC.h"

#include <algorithm>
#include <cstring>

#include "framework/GdiBitmap.h"
#include "platform/Window.h"

namespace {

// The standard static colours of a palette display: the first ten sit at the start of the
// system palette, the last ten at its end.
constexpr PALETTEENTRY kStaticLow[10] = {{0, 0, 0, 0},       {128, 0, 0, 0},    {0, 128, 0, 0},   {128, 128, 0, 0},
                                         {0, 0, 128, 0},     {128, 0, 128, 0},  {0, 128, 128, 0}, {192, 192, 192, 0},
                                         {192, 220, 192, 0}, {166, 202, 240, 0}};
constexpr PALETTEENTRY kStaticHigh[10] = {{255, 251, 240, 0}, {160, 160, 164, 0}, {128, 128, 128, 0}, {255, 0, 0, 0},
                                          {0, 255, 0, 0},     {255, 255, 0, 0},   {0, 0, 255, 0},     {255, 0, 255, 0},
                                          {0, 255, 255, 0},   {255, 255, 255, 0}};

bool ToRop(DWORD rop, GdiRop* out) {
    switch (rop) {
        case SRCCOPY: *out = GdiRop::Copy; return true;
        case SRCINVERT: *out = GdiRop::Invert; return true;
        case SRCAND: *out = GdiRop::And; return true;
        case WHITENESS: *out = GdiRop::White; return true;
        case BLACKNESS: *out = GdiRop::Black; return true;
        default: return false;
    }
}

// A copy rectangle in destination coordinates and its source position, all 64-bit so that
// extreme arguments cannot overflow while clipping.
struct Clip {
    std::int64_t x, y, w, h, xs, ys;
};

// Cuts the copy down to the part inside the destination and (when given) the source.
bool ClipCopy(Clip& c, const GdiBitmap& dst, const GdiBitmap* src) {
    std::int64_t off = std::max<std::int64_t>({0, -c.x, src ? -c.xs : 0});
    c.x += off;
    c.xs += off;
    c.w -= off;
    off = std::max<std::int64_t>({0, -c.y, src ? -c.ys : 0});
    c.y += off;
    c.ys += off;
    c.h -= off;
    c.w = std::min<std::int64_t>(c.w, dst.width - c.x);
    c.h = std::min<std::int64_t>(c.h, dst.height - c.y);
    if (src != nullptr) {
        c.w = std::min<std::int64_t>(c.w, src->width - c.xs);
        c.h = std::min<std::int64_t>(c.h, src->height - c.ys);
    }
    return c.w > 0 && c.h > 0;
}

}  // namespace

CDC::CDC() = default;

CDC::~CDC() { DeleteDC(); }

void CDC::Reset() {
    if (m_hBitmap != nullptr) GdiReleaseSelect(m_hBitmap);
    if (m_hPalette != nullptr) GdiReleaseSelect(m_hPalette);
    m_hBitmap = nullptr;
    m_hPalette = nullptr;
    m_pSurface.reset();
    m_drawn.clear();
    m_realized.clear();
    m_kind = Kind::None;
    m_hWnd = 0;
    m_nSysPalUse = SYSPAL_STATIC;
    m_crBk = RGB(255, 255, 255);
    m_crText = RGB(0, 0, 0);
}

BOOL CDC::CreateCompatibleDC(CDC* other) {
    // Every surface is in the display's 32-bit format; `other` only spares asking the platform
    // for the display's capabilities again (memory contexts are made for every copy).
    const bool inherit = other != nullptr && other != this && other->m_kind != Kind::None;
    const plat::DisplayCaps caps = inherit ? other->m_caps : plat::GetDisplayCaps();
    Reset();
    m_kind = Kind::Memory;
    m_caps = caps;
    return TRUE;
}

BOOL CDC::CreateDC(const char* driver, const char* /*device*/, const char* /*output*/, const void* /*initData*/) {
    if (driver == nullptr) return FALSE;
    const char* want = "DISPLAY";
    for (std::size_t i = 0;; ++i) {
        const char a = driver[i] >= 'a' && driver[i] <= 'z' ? static_cast<char>(driver[i] - 32) : driver[i];
        if (a != want[i]) return FALSE;
        if (a == '\0') break;
    }
    Reset();
    m_kind = Kind::Display;
    m_caps = plat::GetDisplayCaps();
    if (plat::Surface* s = plat::GetDisplaySurface())
        m_pSurface = GdiBitmap::Wrap(s->pixels, s->width, s->height, s->pitch);
    return TRUE;
}

BOOL CDC::AttachWindow(HWND hwnd) {
    Reset();
    plat::Surface* s = plat::GetWindowSurface(hwnd);
    if (s == nullptr) return FALSE;
    m_kind = Kind::Window;
    m_hWnd = hwnd;
    m_caps = plat::GetDisplayCaps();
    m_pSurface = GdiBitmap::Wrap(s->pixels, s->width, s->height, s->pitch);
    return TRUE;
}

void CDC::ReleaseWindow() {
    Present();
    Reset();
}

BOOL CDC::DeleteDC() {
    const bool had = m_kind != Kind::None;
    Present();
    Reset();
    return had ? TRUE : FALSE;
}

void CDC::Present() {
    if (m_kind == Kind::Window && !m_drawn.empty())
        plat::PresentRects(m_hWnd, m_drawn.data(), static_cast<int>(m_drawn.size()));
    m_drawn.clear();
}

void CDC::Drawn(int x, int y, int w, int h) {
    const plat::Rect r{x, y, x + w, y + h};
    if (m_kind == Kind::Display) {
        plat::PresentDisplay(&r, 1);
    } else if (m_kind == Kind::Window) {
        const bool repeat = !m_drawn.empty() && m_drawn.back().left == r.left && m_drawn.back().top == r.top &&
                            m_drawn.back().right == r.right && m_drawn.back().bottom == r.bottom;
        if (!repeat) m_drawn.push_back(r);
    }
}

GdiBitmap* CDC::Target() const {
    if (m_kind == Kind::Memory) return m_hBitmap;
    return m_pSurface.get();
}

const GdiBitmap* CDC::GetTargetBitmap() const { return Target(); }

int CDC::GetDeviceCaps(int index) const {
    switch (index) {
        case BITSPIXEL: return m_caps.bitsPerPixel;
        case HORZRES: return m_caps.width;
        case VERTRES: return m_caps.height;
        case RASTERCAPS: return m_caps.rasterCaps;
        case NUMCOLORS: return m_caps.numColors;
        case SIZEPALETTE: return m_caps.sizePalette;
        default: return 0;
    }
}

HBITMAP CDC::SelectBitmap(HBITMAP bitmap) {
    if (m_kind != Kind::Memory) return nullptr;  // bitmaps go into memory contexts only
    HBITMAP old = m_hBitmap;
    if (bitmap == old) return old;
    GdiAddSelect(bitmap);
    m_hBitmap = bitmap;
    // An old bitmap whose owner deleted it goes away now: do not hand back its handle.
    const bool gone = old != nullptr && old->orphaned && old->selectCount == 1;
    GdiReleaseSelect(old);
    return gone ? nullptr : old;
}

CBitmap* CDC::SelectObject(CBitmap* bitmap) {
    if (m_kind != Kind::Memory) return nullptr;
    CBitmap* oldObj = m_hBitmap != nullptr ? static_cast<CBitmap*>(m_hBitmap->owner) : nullptr;
    SelectBitmap(bitmap != nullptr ? bitmap->GetBitmapHandle() : nullptr);
    return oldObj;
}

CPalette* CDC::SelectPalette(CPalette* palette, BOOL /*forceBackground*/) {
    if (m_kind == Kind::None) return nullptr;
    HPALETTE old = m_hPalette;
    CPalette* oldObj = old != nullptr ? static_cast<CPalette*>(old->owner) : nullptr;
    HPALETTE next = palette != nullptr ? palette->GetPaletteHandle() : nullptr;
    if (next == old) return oldObj;
    GdiAddSelect(next);
    m_hPalette = next;
    GdiReleaseSelect(old);
    return oldObj;
}

CPalette* CDC::GetSelectedPalette() const {
    return m_hPalette != nullptr ? static_cast<CPalette*>(m_hPalette->owner) : nullptr;
}

UINT CDC::RealizePalette() {
    // Only a palette display has a system palette to map the entries into.
    if (m_hPalette == nullptr || !(m_caps.rasterCaps & RC_PALETTE)) return 0;
    m_realized = m_hPalette->entries;
    return static_cast<UINT>(m_realized.size());
}

UINT CDC::SetSystemPaletteUse(UINT usage) {
    if (!(m_caps.rasterCaps & RC_PALETTE) || (usage != SYSPAL_STATIC && usage != SYSPAL_NOSTATIC)) return 0;
    const UINT old = m_nSysPalUse;
    m_nSysPalUse = usage;
    return old;
}

UINT CDC::GetSystemPaletteEntries(UINT start, UINT count, PALETTEENTRY* entries) const {
    if (!(m_caps.rasterCaps & RC_PALETTE) || entries == nullptr) return 0;
    const int size = std::clamp(m_caps.sizePalette, 0, 256);
    // Static colours at both ends (only black and white without them), the realised palette's
    // colours in between, in order.
    int half = m_nSysPalUse == SYSPAL_NOSTATIC ? 1 : std::clamp(m_caps.numColors, 0, 20) / 2;
    half = std::min(half, size / 2);
    std::vector<PALETTEENTRY> sys(static_cast<std::size_t>(size), PALETTEENTRY{0, 0, 0, 0});
    for (int i = 0; i < half; ++i) {
        sys[i] = kStaticLow[i];
        sys[size - half + i] = kStaticHigh[10 - half + i];
    }
    for (int i = 0; i < size - 2 * half && i < static_cast<int>(m_realized.size()); ++i) {
        sys[half + i] = m_realized[i];
        sys[half + i].peFlags = 0;
    }
    UINT n = 0;
    for (UINT i = start; i < static_cast<UINT>(size) && n < count; ++i, ++n) entries[n] = sys[i];
    return n;
}

COLORREF CDC::SetBkColor(COLORREF color) {
    const COLORREF old = m_crBk;
    m_crBk = color & 0xffffffu;
    return old;
}

COLORREF CDC::SetTextColor(COLORREF color) {
    const COLORREF old = m_crText;
    m_crText = color & 0xffffffu;
    return old;
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, DWORD rop) {
    GdiRop op;
    if (!ToRop(rop, &op)) return FALSE;
    GdiBitmap* dst = Target();
    if (dst == nullptr) return FALSE;
    const bool needSource = op != GdiRop::White && op != GdiRop::Black;
    const GdiBitmap* s = nullptr;
    if (needSource) {
        if (src == nullptr || (s = src->Target()) == nullptr) return FALSE;
    }
    Clip c{x, y, width, height, xSrc, ySrc};
    if (!ClipCopy(c, *dst, s)) return TRUE;  // nothing of it lies on both surfaces

    GdiBltColors colors;
    colors.dstBk = ColorRefToPixel(m_crBk);
    colors.dstText = ColorRefToPixel(m_crText);
    if (src != nullptr) {
        colors.srcBk = ColorRefToPixel(src->m_crBk);
        // On a 16-bit display two colours are equal when their 5-6-5 forms are.
        if (src->m_caps.bitsPerPixel == 16) colors.compareMask = 0xf8fcf8u;
    }
    const auto xi = static_cast<std::int32_t>(c.x), yi = static_cast<std::int32_t>(c.y);
    const auto wi = static_cast<std::int32_t>(c.w), hi = static_cast<std::int32_t>(c.h);
    if (!GdiBlt(*dst, xi, yi, wi, hi, s, static_cast<std::int32_t>(c.xs), static_cast<std::int32_t>(c.ys), op, colors))
        return FALSE;
    Drawn(xi, yi, wi, hi);
    return TRUE;
}

BOOL CDC::ScaleBlt(const RECT& rcDest, CDC* src, int xOrigin, int yOrigin, int nScale) {
    GdiBitmap* dst = Target();
    const GdiBitmap* s = src != nullptr ? src->Target() : nullptr;
    if (dst == nullptr || s == nullptr || nScale < 1) return FALSE;
    // Clipped to the destination and to what the source covers once enlarged (64-bit: no overflow).
    const auto span = [nScale](int origin, std::int32_t size) {
        return origin + static_cast<long long>(size) * nScale;
    };
    const long long l = std::max<long long>({rcDest.left, 0, xOrigin});
    const long long t = std::max<long long>({rcDest.top, 0, yOrigin});
    const long long r = std::min<long long>({rcDest.right, dst->width, span(xOrigin, s->width)});
    const long long b = std::min<long long>({rcDest.bottom, dst->height, span(yOrigin, s->height)});
    if (l >= r || t >= b) return TRUE;
    const auto xi = static_cast<std::int32_t>(l), yi = static_cast<std::int32_t>(t);
    const auto wi = static_cast<std::int32_t>(r - l), hi = static_cast<std::int32_t>(b - t);
    if (!GdiScaleBlt(*dst, xi, yi, wi, hi, *s, xOrigin, yOrigin, nScale)) return FALSE;
    Drawn(xi, yi, wi, hi);
    return TRUE;
}

BOOL CDC::MaskedBlt(int x, int y, int width, int height, CDC* image, CDC* mask, int xSrc, int ySrc) {
    GdiBitmap* dst = Target();
    const GdiBitmap* img = image != nullptr ? image->Target() : nullptr;
    const GdiBitmap* msk = mask != nullptr ? mask->Target() : nullptr;
    if (dst == nullptr || img == nullptr || msk == nullptr) return FALSE;
    // One pass gives the same pixels as the three copies only where each of them covers the
    // same rectangle; otherwise make the three copies.
    Clip ci{x, y, width, height, xSrc, ySrc};
    Clip cm = ci;
    const bool anyI = ClipCopy(ci, *dst, img);
    const bool anyM = ClipCopy(cm, *dst, msk);
    const bool same = anyI == anyM && (!anyI || (ci.x == cm.x && ci.y == cm.y && ci.w == cm.w && ci.h == cm.h));
    GdiBltColors colors;
    colors.dstBk = ColorRefToPixel(m_crBk);
    colors.dstText = ColorRefToPixel(m_crText);
    if (same) {
        if (!anyI) return TRUE;
        const auto xi = static_cast<std::int32_t>(ci.x), yi = static_cast<std::int32_t>(ci.y);
        const auto wi = static_cast<std::int32_t>(ci.w), hi = static_cast<std::int32_t>(ci.h);
        if (GdiMaskedBlt(*dst, xi, yi, wi, hi, *img, *msk, static_cast<std::int32_t>(ci.xs),
                         static_cast<std::int32_t>(ci.ys), colors)) {
            Drawn(xi, yi, wi, hi);
            return TRUE;
        }
    }
    const BOOL a = BitBlt(x, y, width, height, image, xSrc, ySrc, SRCINVERT);
    const BOOL b = BitBlt(x, y, width, height, mask, xSrc, ySrc, SRCAND);
    const BOOL d = BitBlt(x, y, width, height, image, xSrc, ySrc, SRCINVERT);
    return a && b && d;
}

void CDC::FillSolidRect(const RECT& rect, COLORREF color) {
    FillSolidRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, color);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color) {
    GdiBitmap* dst = Target();
    if (dst == nullptr) return;
    Clip c{x, y, cx, cy, 0, 0};
    if (!ClipCopy(c, *dst, nullptr)) return;
    const auto xi = static_cast<std::int32_t>(c.x), yi = static_cast<std::int32_t>(c.y);
    const auto wi = static_cast<std::int32_t>(c.w), hi = static_cast<std::int32_t>(c.h);
    const std::uint32_t px = ColorRefToPixel(color & 0xffffffu);
    switch (dst->format) {
        case GdiBitmap::Format::Rgb32: {
            std::int32_t x0 = xi, y0 = yi, x1 = xi + wi, y1 = yi + hi;
            if (dst->sparse && px == 0) {
                // Black is there already, but where something was drawn.
                x0 = std::max(x0, dst->touchedLeft), y0 = std::max(y0, dst->touchedTop);
                x1 = std::min(x1, dst->touchedRight), y1 = std::min(y1, dst->touchedBottom);
            }
            if (x1 <= x0 || y1 <= y0) break;
            dst->Touch(x0, y0, x1 - x0, y1 - y0);
            for (std::int32_t j = y0; j < y1; ++j) std::fill_n(dst->Row32(j) + x0, x1 - x0, px);
            break;
        }
        case GdiBitmap::Format::Mono1: {
            // The nearer of black and white.
            const int sum = GetRValue(color) + GetGValue(color) + GetBValue(color);
            GdiBlt(*dst, xi, yi, wi, hi, nullptr, 0, 0, sum >= 384 ? GdiRop::White : GdiRop::Black, GdiBltColors{});
            break;
        }
        case GdiBitmap::Format::Index8: {
            int best = 0;
            std::int64_t bestDist = INT64_MAX;
            for (int i = 0; i < 256; ++i) {
                const std::int64_t dr = static_cast<std::int64_t>((dst->colors[i] >> 16) & 0xff) - ((px >> 16) & 0xff);
                const std::int64_t dg = static_cast<std::int64_t>((dst->colors[i] >> 8) & 0xff) - ((px >> 8) & 0xff);
                const std::int64_t db = static_cast<std::int64_t>(dst->colors[i] & 0xff) - (px & 0xff);
                const std::int64_t dist = dr * dr + dg * dg + db * db;
                if (dist < bestDist) {
                    bestDist = dist;
                    best = i;
                }
            }
            for (std::int32_t j = 0; j < hi; ++j)
                std::memset(dst->Row8(yi + j) + xi, best, static_cast<std::size_t>(wi));
            break;
        }
    }
    Drawn(xi, yi, wi, hi);
}

COLORREF CDC::GetPixel(int x, int y) const {
    const GdiBitmap* t = Target();
    if (t == nullptr || x < 0 || y < 0 || x >= t->width || y >= t->height) return CLR_INVALID;
    return PixelToColorRef(GdiGetPixel(*t, x, y));
}

HBITMAP CDC::CreateDIBSection(const BITMAPINFO* pbmi, UINT usage, void** ppvBits, void* /*hSection*/,
                              DWORD /*offset*/) {
    if (ppvBits != nullptr) *ppvBits = nullptr;
    if (pbmi == nullptr || ppvBits == nullptr || (usage != DIB_RGB_COLORS && usage != DIB_PAL_COLORS)) return nullptr;
    const BITMAPINFOHEADER& h = pbmi->bmiHeader;
    if (h.biSize != sizeof(BITMAPINFOHEADER) || h.biBitCount != 8 || h.biCompression != BI_RGB || h.biWidth <= 0 ||
        h.biHeight == 0 || h.biHeight == INT32_MIN || h.biClrUsed > 256)
        return nullptr;
    GdiBitmap* bmp = GdiBitmap::NewIndex8(h.biWidth, h.biHeight < 0 ? -h.biHeight : h.biHeight, h.biHeight < 0);
    if (bmp == nullptr) return nullptr;
    const UINT n = h.biClrUsed == 0 ? 256 : h.biClrUsed;
    if (usage == DIB_PAL_COLORS) {
        // The colour table holds 16-bit indices into the selected palette.
        WORD index[256];
        std::memcpy(index, pbmi->bmiColors, sizeof index);
        const std::size_t palSize = m_hPalette != nullptr ? m_hPalette->entries.size() : 0;
        for (UINT i = 0; i < n; ++i) {
            if (index[i] < palSize) {
                const PALETTEENTRY& e = m_hPalette->entries[index[i]];
                bmp->colors[i] = (static_cast<std::uint32_t>(e.peRed) << 16) |
                                 (static_cast<std::uint32_t>(e.peGreen) << 8) | e.peBlue;
            }
        }
    } else {
        for (UINT i = 0; i < n; ++i) {
            const RGBQUAD& q = pbmi->bmiColors[i];
            bmp->colors[i] = (static_cast<std::uint32_t>(q.rgbRed) << 16) |
                             (static_cast<std::uint32_t>(q.rgbGreen) << 8) | q.rgbBlue;
        }
    }
    *ppvBits = bmp->bytes;
    return bmp;
}
