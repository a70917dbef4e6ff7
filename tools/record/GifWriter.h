// CGifWriter: animated GIF of 32-bit frames with one 256-colour palette, frame deltas and own LZW.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class CGifWriter {
public:
    // Frames are width x height pixels (0x00RRGGBB); each is shown `delayCs` hundredths of a second.
    CGifWriter(int width, int height);

    // Adds one frame (rows of `pitch` pixels). Only the rectangle that changed since the previous
    // frame is stored; an unchanged frame lengthens the previous one.
    void AddFrame(const std::uint32_t* pixels, int pitch, int delayCs);

    // The whole file: header, global palette, looping extension, frames, trailer.
    std::vector<std::uint8_t> Encode() const;
    bool WriteFile(const std::string& path) const;

    int FrameCount() const { return static_cast<int>(m_frames.size()); }
    // Colours that had to be replaced by their nearest palette entry (more than 256 in all).
    long ApproximatedPixels() const { return m_nApproximated; }

    // GIF's variable-length LZW of `indices` with 8-bit symbols, packed into sub-blocks.
    static std::vector<std::uint8_t> CompressLzw(const std::vector<std::uint8_t>& indices);

private:
    struct Frame {
        int x = 0, y = 0, width = 0, height = 0;
        int delayCs = 0;
        std::vector<std::uint8_t> indices;
    };

    std::uint8_t IndexOf(std::uint32_t colour);

    int m_nWidth;
    int m_nHeight;
    std::vector<std::uint32_t> m_previous;
    std::vector<std::uint32_t> m_palette;
    std::unordered_map<std::uint32_t, std::uint8_t> m_lookup;
    std::vector<Frame> m_frames;
    long m_nApproximated = 0;
};
