// Pixel memory for the software bitmaps: zero-filled heap blocks.
#include <cstdlib>

#include "platform/Window.h"

namespace plat {

void* AllocPixelMemory(std::size_t bytes) { return bytes == 0 ? nullptr : std::calloc(1, bytes); }

void FreePixelMemory(void* block, std::size_t) { std::free(block); }

}  // namespace plat
