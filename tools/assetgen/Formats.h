// Byte-exact writers for the shipped file formats: 8-bit BMP, 4-bit ICO, 1-bit CUR, PCM WAVE.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

// An indexed picture, rows top-down, with its colour table (0x00RRGGBB).
struct IndexedImage {
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;
    std::vector<uint32_t> colours;  // up to 256 (BMP) or 16 (icon) entries
};

// Encoders return the whole file; WriteFile stores bytes and reports failure.
std::vector<uint8_t> EncodeBmp8(const IndexedImage& img, bool zeroImageSize);
// Icon file of several 16-colour pictures (4 bits per pixel) with their AND masks (1 = transparent).
std::vector<uint8_t> EncodeIco4(const std::vector<IndexedImage>& images,
                                const std::vector<std::vector<uint8_t>>& andMasks);
// A wholly transparent 32x32 cursor: AND mask all ones, XOR mask all zeros, hot spot (0, 0).
std::vector<uint8_t> EncodeBlankCursor();
std::vector<uint8_t> EncodeWav16(const std::vector<int16_t>& samples, uint32_t rate);
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
