// Fake platform for the bitmap fuzzer: one bitmap resource, a small display, no windows.
#include "DibFuzzPlatform.h"

#include <cstdlib>

#include "platform/Resources.h"
#include "platform/Window.h"

namespace {

struct FakeState {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    plat::DisplayCaps caps;
};
FakeState g_fake;

}  // namespace

namespace fuzzdib {

void SetResource(const std::uint8_t* data, std::size_t size) {
    g_fake.data = data;
    g_fake.size = size;
}

void SetDisplayDepth(std::int32_t bitsPerPixel) {
    g_fake.caps = plat::DisplayCaps{};
    g_fake.caps.bitsPerPixel = bitsPerPixel;
    g_fake.caps.width = 64;
    g_fake.caps.height = 48;
    if (bitsPerPixel <= 8) {
        g_fake.caps.rasterCaps = 0x100;
        g_fake.caps.numColors = 20;
        g_fake.caps.sizePalette = 256;
    }
}

}  // namespace fuzzdib

namespace plat {

ResData FindResource(ResType type, std::uint16_t id) {
    if (type.name != nullptr || type.ordinal != kRtBitmap.ordinal || id != 1 || g_fake.data == nullptr)
        return ResData{};
    return ResData{g_fake.data, static_cast<std::uint32_t>(g_fake.size)};
}
void ReleaseResource(ResData) {}

DisplayCaps GetDisplayCaps() { return g_fake.caps; }
Surface* GetDisplaySurface() { return nullptr; }
Surface* GetWindowSurface(Hwnd) { return nullptr; }
void PresentRects(Hwnd, const Rect*, int) {}
void PresentDisplay(const Rect*, int) {}
void* AllocPixelMemory(std::size_t bytes) { return bytes == 0 ? nullptr : std::calloc(1, bytes); }
void FreePixelMemory(void* block, std::size_t) { std::free(block); }

}  // namespace plat
