// CGifWriter: palette building, changed-rectangle frames, LZW compression and the GIF layout.
#include "GifWriter.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

void PutU16(std::vector<std::uint8_t>& out, int v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xff));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xff));
}

// Packs variable-width codes least significant bit first, as GIF wants.
class BitPacker {
public:
    void Put(unsigned code, int bits) {
        m_acc |= static_cast<std::uint32_t>(code) << m_nBits;
        m_nBits += bits;
        while (m_nBits >= 8) {
            m_bytes.push_back(static_cast<std::uint8_t>(m_acc & 0xff));
            m_acc >>= 8;
            m_nBits -= 8;
        }
    }
    std::vector<std::uint8_t> Finish() {
        if (m_nBits > 0) m_bytes.push_back(static_cast<std::uint8_t>(m_acc & 0xff));
        m_acc = 0;
        m_nBits = 0;
        return std::move(m_bytes);
    }

private:
    std::uint32_t m_acc = 0;
    int m_nBits = 0;
    std::vector<std::uint8_t> m_bytes;
};

constexpr int kMinCodeSize = 8;
constexpr unsigned kClear = 1u << kMinCodeSize;
constexpr unsigned kEnd = kClear + 1;
constexpr unsigned kMaxCode = 4095;

}  // namespace

CGifWriter::CGifWriter(int width, int height) : m_nWidth(std::max(width, 1)), m_nHeight(std::max(height, 1)) {}

std::uint8_t CGifWriter::IndexOf(std::uint32_t colour) {
    colour &= 0xffffffu;
    auto it = m_lookup.find(colour);
    if (it != m_lookup.end()) return it->second;
    if (m_palette.size() < 256) {
        const auto index = static_cast<std::uint8_t>(m_palette.size());
        m_palette.push_back(colour);
        m_lookup.emplace(colour, index);
        return index;
    }
    // Palette full: the nearest colour, remembered for the next time.
    long best = std::numeric_limits<long>::max();
    std::uint8_t bestIndex = 0;
    for (std::size_t i = 0; i < m_palette.size(); ++i) {
        const long dr = static_cast<long>((colour >> 16) & 0xff) - static_cast<long>((m_palette[i] >> 16) & 0xff);
        const long dg = static_cast<long>((colour >> 8) & 0xff) - static_cast<long>((m_palette[i] >> 8) & 0xff);
        const long db = static_cast<long>(colour & 0xff) - static_cast<long>(m_palette[i] & 0xff);
        const long d = dr * dr + dg * dg + db * db;
        if (d < best) {
            best = d;
            bestIndex = static_cast<std::uint8_t>(i);
        }
    }
    m_lookup.emplace(colour, bestIndex);
    ++m_nApproximated;
    return bestIndex;
}

void CGifWriter::AddFrame(const std::uint32_t* pixels, int pitch, int delayCs) {
    const std::size_t size = static_cast<std::size_t>(m_nWidth) * static_cast<std::size_t>(m_nHeight);
    int left = 0, top = 0, right = m_nWidth, bottom = m_nHeight;
    if (m_previous.size() == size) {
        // The bounding box of what changed.
        left = m_nWidth;
        top = m_nHeight;
        right = 0;
        bottom = 0;
        for (int y = 0; y < m_nHeight; ++y) {
            const std::uint32_t* row = pixels + static_cast<std::ptrdiff_t>(y) * pitch;
            const std::uint32_t* prev = m_previous.data() + static_cast<std::ptrdiff_t>(y) * m_nWidth;
            for (int x = 0; x < m_nWidth; ++x) {
                if (((row[x] ^ prev[x]) & 0xffffffu) == 0) continue;
                left = std::min(left, x);
                right = std::max(right, x + 1);
                top = std::min(top, y);
                bottom = std::max(bottom, y + 1);
            }
        }
        if (left >= right) {
            if (!m_frames.empty()) m_frames.back().delayCs += delayCs;
            return;
        }
    } else {
        m_previous.assign(size, 0);
    }
    Frame f;
    f.x = left;
    f.y = top;
    f.width = right - left;
    f.height = bottom - top;
    f.delayCs = delayCs;
    f.indices.reserve(static_cast<std::size_t>(f.width) * static_cast<std::size_t>(f.height));
    for (int y = top; y < bottom; ++y) {
        const std::uint32_t* row = pixels + static_cast<std::ptrdiff_t>(y) * pitch;
        std::uint32_t* prev = m_previous.data() + static_cast<std::ptrdiff_t>(y) * m_nWidth;
        for (int x = left; x < right; ++x) {
            f.indices.push_back(IndexOf(row[x]));
            prev[x] = row[x] & 0xffffffu;
        }
    }
    m_frames.push_back(std::move(f));
}

std::vector<std::uint8_t> CGifWriter::CompressLzw(const std::vector<std::uint8_t>& indices) {
    BitPacker bits;
    std::unordered_map<std::uint32_t, std::uint16_t> dict;
    unsigned nextCode = kEnd + 1;
    int codeSize = kMinCodeSize + 1;
    bits.Put(kClear, codeSize);
    if (!indices.empty()) {
        unsigned prefix = indices[0];
        for (std::size_t i = 1; i < indices.size(); ++i) {
            const std::uint8_t c = indices[i];
            const std::uint32_t key = (prefix << 8) | c;
            auto it = dict.find(key);
            if (it != dict.end()) {
                prefix = it->second;
                continue;
            }
            bits.Put(prefix, codeSize);
            if (nextCode <= kMaxCode) {
                dict.emplace(key, static_cast<std::uint16_t>(nextCode));
                // The decoder widens its codes one code later than the encoder adds them.
                if (nextCode == (1u << codeSize) && codeSize < 12) ++codeSize;
                ++nextCode;
            }
            if (nextCode > kMaxCode) {
                bits.Put(kClear, codeSize);
                dict.clear();
                nextCode = kEnd + 1;
                codeSize = kMinCodeSize + 1;
            }
            prefix = c;
        }
        bits.Put(prefix, codeSize);
    }
    bits.Put(kEnd, codeSize);
    const std::vector<std::uint8_t> packed = bits.Finish();

    std::vector<std::uint8_t> out;
    out.push_back(kMinCodeSize);
    for (std::size_t pos = 0; pos < packed.size(); pos += 255) {
        const std::size_t n = std::min<std::size_t>(255, packed.size() - pos);
        out.push_back(static_cast<std::uint8_t>(n));
        out.insert(out.end(), packed.begin() + static_cast<std::ptrdiff_t>(pos),
                   packed.begin() + static_cast<std::ptrdiff_t>(pos + n));
    }
    out.push_back(0);
    return out;
}

std::vector<std::uint8_t> CGifWriter::Encode() const {
    std::vector<std::uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    PutU16(out, m_nWidth);
    PutU16(out, m_nHeight);
    out.push_back(0xF7);  // global table of 256 entries, 8 bits per primary
    out.push_back(0);     // background colour index
    out.push_back(0);     // no aspect ratio
    for (int i = 0; i < 256; ++i) {
        const std::uint32_t c = i < static_cast<int>(m_palette.size()) ? m_palette[static_cast<std::size_t>(i)] : 0;
        out.push_back(static_cast<std::uint8_t>((c >> 16) & 0xff));
        out.push_back(static_cast<std::uint8_t>((c >> 8) & 0xff));
        out.push_back(static_cast<std::uint8_t>(c & 0xff));
    }
    // Loop for ever.
    const std::uint8_t loop[] = {0x21, 0xFF, 0x0B, 'N', 'E',  'T',  'S', 'C', 'A', 'P',
                                 'E',  '2',  '.',  '0', 0x03, 0x01, 0,   0,   0};
    out.insert(out.end(), std::begin(loop), std::end(loop));
    for (const Frame& f : m_frames) {
        // Graphic control: keep the previous frame under this one (disposal 1), the delay.
        out.insert(out.end(), {0x21, 0xF9, 0x04, 0x04});
        PutU16(out, std::min(f.delayCs, 0xffff));
        out.push_back(0);
        out.push_back(0);
        out.push_back(0x2C);
        PutU16(out, f.x);
        PutU16(out, f.y);
        PutU16(out, f.width);
        PutU16(out, f.height);
        out.push_back(0);  // no local table, not interlaced
        const std::vector<std::uint8_t> data = CompressLzw(f.indices);
        out.insert(out.end(), data.begin(), data.end());
    }
    out.push_back(0x3B);
    return out;
}

bool CGifWriter::WriteFile(const std::string& path) const {
    const std::vector<std::uint8_t> bytes = Encode();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}
