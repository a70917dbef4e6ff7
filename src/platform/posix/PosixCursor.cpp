// Cursor resource 129 (the blank cursor) as an SDL cursor; cursor hiding and its display count.
#include "platform/posix/PosixCursor.h"

#include <SDL2/SDL.h>

#include <cstring>

#include "platform/Resources.h"
#include "platform/common/IconResources.h"
#include "platform/Window.h"
#include "platform/posix/PosixWindowState.h"

namespace plat::posix {

namespace {

void ApplyVisibility() {
    State& s = St();
    const bool visible = s.cursorCount >= 0 && !s.cursorNone;
    if (visible && s.currentCursor) SDL_SetCursor(s.currentCursor);
    SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

}  // namespace

bool CursorMasks(std::uint16_t resId, std::vector<std::uint8_t>* data, std::vector<std::uint8_t>* mask, int* width,
                 int* height, int* hotX, int* hotY) {
    CursorImage img;
    if (!FindCursorImage(&FindResource, resId, &img) || img.width <= 0 || img.height <= 0) return false;
    const std::size_t rowBytes = static_cast<std::size_t>((img.width + 7) / 8);
    const std::size_t need = rowBytes * static_cast<std::size_t>(img.height);
    if (img.andMask.size() < need || img.xorMask.size() < need) return false;
    data->assign(need, 0);
    mask->assign(need, 0);
    for (std::size_t i = 0; i < need; ++i) {
        // Win32 AND=1 XOR=0 transparent, AND=1 XOR=1 inverted, AND=0: black (XOR 0) or white (XOR 1).
        // SDL mask=0 data=0 transparent, mask=0 data=1 inverted, mask=1: black (data 1) or white.
        const std::uint8_t a = img.andMask[i], x = img.xorMask[i];
        (*mask)[i] = static_cast<std::uint8_t>(~a);
        (*data)[i] = static_cast<std::uint8_t>((a & x) | (~a & ~x));
        if (img.width % 8 != 0 && i % rowBytes == rowBytes - 1) {
            // Bits past the cursor's width, where SDL's rows are padded to whole bytes: transparent.
            const auto keep = static_cast<std::uint8_t>(0xFFu << (8 - img.width % 8));
            (*mask)[i] &= keep;
            (*data)[i] &= keep;
        }
    }
    *width = static_cast<int>(rowBytes * 8);
    *height = img.height;
    *hotX = img.hotX < img.width ? img.hotX : 0;
    *hotY = img.hotY < img.height ? img.hotY : 0;
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
    if (s.videoUp) {
        posix::ApplyVisibility();
        // The cursor is raised for a dialog of another module (the password check): the
        // full-screen window lets go of the keyboard and pointer until it is lowered again.
        posix::SetScreenGrab(s.cursorCount <= 0);
    }
    return s.cursorCount;
}

}  // namespace plat
