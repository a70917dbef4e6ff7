// Icon and cursor resources: the best image of a group, its pixels, a cursor's hot spot and masks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/Resources.h"

namespace plat {

// The lookup to search: plat::FindResource of the back-end, or a ResFile's (tests, fuzzing).
using ResFinder = std::function<ResData(ResType type, std::uint16_t id)>;

// One image of an icon group (RT_ICON data: BITMAPINFOHEADER, colour table, colour rows, AND rows).
struct IconImage {
    std::uint16_t imageId = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;  // the picture's height (the header holds twice this)
    std::uint16_t bitCount = 0;
    ResData bytes;
};

// One image of a cursor group. The masks are top-down rows of 1 bit per pixel, most significant bit
// first, (width + 7) / 8 bytes per row: AND 1 = transparent; XOR is the colour bit of a 1-bit
// cursor (for deeper cursors, 1 where the colour is not black).
struct CursorImage {
    std::uint16_t imageId = 0;
    std::uint16_t hotX = 0;
    std::uint16_t hotY = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t bitCount = 0;
    ResData bytes;  // the RT_CURSOR data after the hot spot, from BITMAPINFOHEADER on
    std::vector<std::uint8_t> andMask;
    std::vector<std::uint8_t> xorMask;
};

// The window class and the dialog hosts call this for icon group `groupId`: the image whose width is
// `wantSize` with the most colours, else the smallest larger one, else the largest. False when the
// group, the image or its header is missing or damaged.
bool FindIconImage(const ResFinder& find, std::uint16_t groupId, int wantSize, IconImage* out);

// The window class calls this for cursor group `groupId` (its first image): hot spot and masks.
bool FindCursorImage(const ResFinder& find, std::uint16_t groupId, CursorImage* out);

// Pixels of an icon or cursor image (BITMAPINFOHEADER with doubled height, colour table, colour
// rows, AND rows; 1, 4, 8, 24 or 32 bits, uncompressed) as top-down 0xAARRGGBB, AND-masked pixels
// transparent. The dialog hosts call this to show an icon. False when damaged.
bool DecodeIconBitmap(const void* data, std::size_t size, std::int32_t* width, std::int32_t* height,
                      std::vector<std::uint32_t>* argb);

}  // namespace plat
