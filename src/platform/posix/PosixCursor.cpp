// Cursor resource 129 (the blank cursor) as an SDL cursor; cursor hiding and its display count.
#include "platform/posix/PosixCursor.h"

#include <SDL2/SDL.h>

#include <cstring>

#include "platform/Resources.h"
#include "platform/Window.h"
#include "platform/posix/PosixWindowState.h"

namespace plat::posix {

namespace {

std::uint32_t Rd16(const std::uint8_t* p) { return static_cast<std::uint32_t>(p[0] | (p[1] << 8)); }
std::uint32_t Rd32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void ApplyVisibility() {
    State& s = St();
    const bool visible = s.cursorCount >= 0 && !s.cursorNone;
    if (visible && s.currentCursor) SDL_SetCursor(s.currentCursor);
    SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

}  // namespace

bool CursorMasks(std::uint16_t resId, std::vector<std::uint8_t>* data, std::vector<std::uint8_t>* mask, int* width,
                 int* height, int* hotX, int* hotY) {
    // Group: NEWHEADER (reserved, type 2, count) then 14-byte entries whose last u16 is the image id.
    ResData group = FindResource(kRtGroupCursor, resId);
    const auto* g = static_cast<const std::uint8_t*>(group.data);
    if (!g || group.size < 6 + 14 || Rd16(g + 2) != 2 || Rd16(g + 4) < 1) return false;
    const std::uint16_t imageId = static_cast<std::uint16_t>(Rd16(g + 6 + 12));
    // Image: hot spot (2 x u16), BITMAPINFOHEADER with doubled height, 2 colours, XOR rows, AND rows.
    ResData image = FindResource(kRtCursor, imageId);
    const auto* c = static_cast<const std::uint8_t*>(image.data);
    if (!c || image.size < 4 + 40) return false;
    const std::uint8_t* bih = c + 4;
    const std::uint32_t hdr = Rd32(bih);
    const auto w = static_cast<std::int32_t>(Rd32(bih + 4));
    const auto h2 = static_cast<std::int32_t>(Rd32(bih + 8));
    const std::uint32_t bits = Rd16(bih + 14);
    if (hdr < 40 || bits != 1 || w <= 0 || w > 256 || h2 <= 0 || h2 > 512 || (h2 % 2) != 0) return false;
    const std::int32_t h = h2 / 2;
    std::uint32_t colours = Rd32(bih + 32);
    if (colours == 0) colours = 2;
    if (colours > 2) return false;
    const std::size_t stride = static_cast<std::size_t>((w + 31) / 32) * 4;
    const std::size_t xorOff = 4 + static_cast<std::size_t>(hdr) + colours * 4;
    const std::size_t andOff = xorOff + stride * static_cast<std::size_t>(h);
    if (andOff + stride * static_cast<std::size_t>(h) > image.size) return false;
    // SDL wants widths in whole bytes, rows top-down, MSB first.
    const int sw = (w + 7) / 8 * 8;
    const std::size_t rowBytes = static_cast<std::size_t>(sw / 8);
    data->assign(rowBytes * static_cast<std::size_t>(h), 0);
    mask->assign(rowBytes * static_cast<std::size_t>(h), 0);
    for (std::int32_t y = 0; y < h; ++y) {
        const std::uint8_t* xr = c + xorOff + stride * static_cast<std::size_t>(h - 1 - y);
        const std::uint8_t* ar = c + andOff + stride * static_cast<std::size_t>(h - 1 - y);
        for (std::int32_t x = 0; x < w; ++x) {
            const bool andBit = (ar[x / 8] >> (7 - x % 8)) & 1;
            const bool xorBit = (xr[x / 8] >> (7 - x % 8)) & 1;
            // Win32 AND=1 XOR=0 transparent, AND=1 XOR=1 inverted, AND=0: black (XOR 0) or white (XOR 1).
            // SDL mask=0 data=0 transparent, mask=0 data=1 inverted, mask=1: black (data 1) or white.
            const bool sdlMask = !andBit;
            const bool sdlData = andBit ? xorBit : !xorBit;
            const std::size_t at = static_cast<std::size_t>(y) * rowBytes + static_cast<std::size_t>(x / 8);
            const std::uint8_t bit = static_cast<std::uint8_t>(0x80u >> (x % 8));
            if (sdlMask) (*mask)[at] |= bit;
            if (sdlData) (*data)[at] |= bit;
        }
    }
    *width = sw;
    *height = h;
    *hotX = static_cast<int>(Rd16(c));
    *hotY = static_cast<int>(Rd16(c + 2));
    if (*hotX >= w) *hotX = 0;
    if (*hotY >= h) *hotY = 0;
    return true;
}

void SetClassCursor(std::uint16_t resId) {
    State& s = St();
    auto it = s.cursors.find(resId);
    if (it == s.cursors.end()) {
        SDL_Cursor* cur = nullptr;
        std::vector<std::uint8_t> data, mask;
        int w = 0, h = 0, hx = 0, hy = 0;
        if (resId && CursorMasks(resId, &data, &mask, &w, &h, &hx, &hy))
            cur = SDL_CreateCursor(data.data(), mask.data(), w, h, hx, hy);
        if (!cur) cur = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
        it = s.cursors.emplace(resId, cur).first;
    }
    s.currentCursor = it->second;
    s.cursorNone = false;
    ApplyVisibility();
}

}  // namespace plat::posix

namespace plat {

void SetCursorNone() {
    posix::St().cursorNone = true;
    if (posix::St().videoUp) posix::ApplyVisibility();
}

int ShowCursor(bool show) {
    posix::State& s = posix::St();
    s.cursorCount += show ? 1 : -1;
    if (s.videoUp) posix::ApplyVisibility();
    return s.cursorCount;
}

}  // namespace plat
