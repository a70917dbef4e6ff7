// The one 256-colour table shared by every picture: built from the pictures, then used to index them.
#pragma once
#include <cstdint>
#include <vector>

#include "Canvas.h"
#include "Formats.h"

class Palette {
public:
    // Reserved colours take the first indices in order; the rest are fitted to the samples.
    static Palette Build(const std::vector<uint32_t>& samples, const std::vector<uint32_t>& reserved, int total);

    const std::vector<uint32_t>& Colours() const { return m_colours; }
    // Nearest entry by squared RGB distance, lowest index on ties; excluded index never chosen.
    uint8_t Nearest(uint32_t rgb, int excluded = -1) const;
    // Indexes a canvas. The ordered dither uses picture coordinates shifted by (ox, oy), so a crop
    // indexed with its offset gives exactly the pixels of the whole picture.
    IndexedImage Quantize(const Canvas& c, int ox, int oy, bool dither, int excluded = -1) const;

private:
    std::vector<uint32_t> m_colours;
    mutable std::vector<int16_t> m_cache[2];  // per colour: nearest index (all / without excluded)
};
