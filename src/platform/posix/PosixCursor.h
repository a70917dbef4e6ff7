// The class cursor built from a cursor resource, SetCursor(none) and the cursor display count.
#pragma once

#include <cstdint>
#include <vector>

namespace plat::posix {

// DefWindowProc(WM_SETCURSOR): show the cursor made from cursor resource `resId` (0: the arrow).
void SetClassCursor(std::uint16_t resId);

// SetClassCursor: the SDL masks (data, mask, MSB first) of a cursor group's first image, from
// its AND/XOR masks as the shared resource reader decodes them; false when missing or damaged.
bool CursorMasks(std::uint16_t resId, std::vector<std::uint8_t>* data, std::vector<std::uint8_t>* mask, int* width,
                 int* height, int* hotX, int* hotY);

}  // namespace plat::posix
