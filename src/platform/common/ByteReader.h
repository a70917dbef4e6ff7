// Bounds-checked little-endian reads over a resource blob; every read fails instead of overrunning.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace plat {

// Appends the UTF-8 form of `units` little-endian UTF-16 code units at `p`; unpaired surrogates
// become U+FFFD.
inline void AppendUtf16AsUtf8(const unsigned char* p, std::size_t units, std::string* out) {
    for (std::size_t i = 0; i < units; ++i) {
        std::uint32_t c = static_cast<std::uint32_t>(p[2 * i] | (p[2 * i + 1] << 8));
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units) {
            const std::uint32_t lo = static_cast<std::uint32_t>(p[2 * i + 2] | (p[2 * i + 3] << 8));
            if (lo >= 0xDC00 && lo <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (lo - 0xDC00);
                ++i;
            } else {
                c = 0xFFFD;
            }
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out->push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out->push_back(static_cast<char>(0xC0 | (c >> 6)));
            out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out->push_back(static_cast<char>(0xE0 | (c >> 12)));
            out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out->push_back(static_cast<char>(0xF0 | (c >> 18)));
            out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
}

// A cursor over [data, data + size). A failed read leaves the position unchanged.
class ByteReader {
public:
    ByteReader(const void* data, std::size_t size)
        : m_pData(static_cast<const unsigned char*>(data)), m_nSize(data ? size : 0) {}

    std::size_t Pos() const { return m_nPos; }
    std::size_t Left() const { return m_nSize - m_nPos; }
    const unsigned char* Here() const { return m_pData + m_nPos; }

    bool Skip(std::size_t n) {
        if (n > Left()) return false;
        m_nPos += n;
        return true;
    }
    // Moves to the next multiple of 4 counted from the start of the data; the end counts as aligned.
    bool Align4() {
        const std::size_t pad = (4 - (m_nPos & 3)) & 3;
        if (pad > Left()) {
            m_nPos = m_nSize;
            return true;
        }
        m_nPos += pad;
        return true;
    }
    bool U8(std::uint8_t* v) {
        if (Left() < 1) return false;
        *v = m_pData[m_nPos++];
        return true;
    }
    bool U16(std::uint16_t* v) {
        if (Left() < 2) return false;
        *v = static_cast<std::uint16_t>(m_pData[m_nPos] | (m_pData[m_nPos + 1] << 8));
        m_nPos += 2;
        return true;
    }
    bool I16(std::int16_t* v) {
        std::uint16_t u = 0;
        if (!U16(&u)) return false;
        *v = static_cast<std::int16_t>(u);
        return true;
    }
    bool U32(std::uint32_t* v) {
        if (Left() < 4) return false;
        *v = static_cast<std::uint32_t>(m_pData[m_nPos]) | (static_cast<std::uint32_t>(m_pData[m_nPos + 1]) << 8) |
             (static_cast<std::uint32_t>(m_pData[m_nPos + 2]) << 16) |
             (static_cast<std::uint32_t>(m_pData[m_nPos + 3]) << 24);
        m_nPos += 4;
        return true;
    }
    bool I32(std::int32_t* v) {
        std::uint32_t u = 0;
        if (!U32(&u)) return false;
        *v = static_cast<std::int32_t>(u);
        return true;
    }
    // A NUL-terminated UTF-16 string, as UTF-8; false when no terminator lies inside the data.
    bool Utf16Z(std::string* out) {
        const std::size_t start = m_nPos;
        std::size_t units = 0;
        for (;;) {
            if (Left() - units * 2 < 2) return false;
            const std::size_t at = start + units * 2;
            if (m_pData[at] == 0 && m_pData[at + 1] == 0) break;
            ++units;
        }
        out->clear();
        AppendUtf16AsUtf8(m_pData + start, units, out);
        m_nPos = start + units * 2 + 2;
        return true;
    }
    // The "string or ordinal" field of resource headers and dialog templates: 0xFFFF then an
    // ordinal, or a NUL-terminated UTF-16 string (a lone 0 is the empty string).
    bool SzOrOrd(bool* isOrdinal, std::uint16_t* ordinal, std::string* text) {
        const std::size_t start = m_nPos;
        std::uint16_t first = 0;
        if (!U16(&first)) return false;
        if (first == 0xFFFF) {
            if (!U16(ordinal)) {
                m_nPos = start;
                return false;
            }
            *isOrdinal = true;
            text->clear();
            return true;
        }
        m_nPos = start;
        *isOrdinal = false;
        *ordinal = 0;
        return Utf16Z(text);
    }

private:
    const unsigned char* m_pData;
    std::size_t m_nSize;
    std::size_t m_nPos = 0;
};

}  // namespace plat
