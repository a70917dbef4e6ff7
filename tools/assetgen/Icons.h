// The program icon: a barred cell door in its stone arch, 32x32 and 16x16, 16 colours.
#pragma once
#include <cstdint>
#include <vector>

#include "Formats.h"

namespace icons {
// One picture of the icon and its AND mask (1 = transparent).
IndexedImage Draw(int size, std::vector<uint8_t>& andMask);
std::vector<uint32_t> Colours();
}  // namespace icons
