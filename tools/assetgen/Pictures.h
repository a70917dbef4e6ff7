// Builds every shipped picture (chamber, door frames, title, flash, preview) on one shared palette.
#pragma once
#include <map>
#include <vector>

#include "Formats.h"

struct PictureSet {
    IndexedImage background;                       // 673
    IndexedImage title;                            // 670, key colour at index 1
    IndexedImage flash;                            // 858
    IndexedImage preview;                          // 873
    std::vector<std::vector<IndexedImage>> doors;  // [door][frame]
};

PictureSet BuildPictures();
