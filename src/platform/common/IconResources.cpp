// Icon and cursor resources: the best image of a group, its pixels, a cursor's hot spot and masks.
#include "platform/common/IconResources.h"

#include "platform/common/ByteReader.h"

namespace plat {

namespace {

// Icons and cursors of this era are at most 256 pixels a side; larger is damage.
constexpr std::int32_t kMaxSide = 256;

struct GroupEntry {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t bitCount = 0;
    std::uint16_t id = 0;
};

// NEWHEADER (reserved, type, count) and its 14-byte entries: for icons width, height (bytes, 0 =
// 256), colour count, reserved, planes, bit count; for cursors width, doubled height (words),
// planes, bit count; both then the size in bytes and the image id.
bool ReadGroup(ResData group, std::uint16_t wantType, std::vector<GroupEntry>* entries) {
    if (group.data == nullptr) return false;
    ByteReader r(group.data, group.size);
    std::uint16_t reserved = 0, type = 0, count = 0;
    if (!r.U16(&reserved) || !r.U16(&type) || !r.U16(&count) || type != wantType || count == 0) return false;
    for (std::uint16_t i = 0; i < count; ++i) {
        GroupEntry e;
        std::uint32_t bytes = 0;
        std::uint16_t planes = 0;
        if (wantType == 1) {
            std::uint8_t w = 0, h = 0, colours = 0, res = 0;
            if (!r.U8(&w) || !r.U8(&h) || !r.U8(&colours) || !r.U8(&res)) return false;
            e.width = w ? w : 256;
            e.height = h ? h : 256;
        } else {
            std::uint16_t w = 0, h = 0;
            if (!r.U16(&w) || !r.U16(&h)) return false;
            e.width = w;
            e.height = h / 2;
        }
        if (!r.U16(&planes) || !r.U16(&e.bitCount) || !r.U32(&bytes) || !r.U16(&e.id)) return false;
        entries->push_back(e);
    }
    return true;
}

struct DibLayout {
    std::int32_t width = 0, height = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t colours = 0;
    std::size_t colourTable = 0, xorBits = 0, andBits = 0;
    std::size_t xorStride = 0, andStride = 0;
};

// Checks a BITMAPINFOHEADER with doubled height and that every row it implies lies inside `size`.
bool ReadDib(const void* data, std::size_t size, DibLayout* d) {
    ByteReader r(data, size);
    std::uint32_t headerSize = 0, compression = 0, sizeImage = 0, clrUsed = 0;
    std::int32_t w = 0, h2 = 0, xppm = 0, yppm = 0;
    std::uint16_t planes = 0;
    if (!r.U32(&headerSize) || headerSize < 40 || headerSize > size) return false;
    if (!r.I32(&w) || !r.I32(&h2) || !r.U16(&planes) || !r.U16(&d->bitCount) || !r.U32(&compression) ||
        !r.U32(&sizeImage) || !r.I32(&xppm) || !r.I32(&yppm) || !r.U32(&clrUsed))
        return false;
    if (w <= 0 || w > kMaxSide || h2 <= 0 || h2 > 2 * kMaxSide || (h2 & 1) || compression != 0) return false;
    const std::uint16_t bits = d->bitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;
    d->width = w;
    d->height = h2 / 2;
    const std::uint32_t maxColours = bits <= 8 ? (1u << bits) : 0;
    d->colours = (clrUsed != 0 && clrUsed < maxColours) ? clrUsed : maxColours;
    d->xorStride = ((static_cast<std::size_t>(w) * bits + 31) / 32) * 4;
    d->andStride = ((static_cast<std::size_t>(w) + 31) / 32) * 4;
    d->colourTable = headerSize;
    d->xorBits = d->colourTable + 4 * static_cast<std::size_t>(d->colours);
    d->andBits = d->xorBits + d->xorStride * static_cast<std::size_t>(d->height);
    return d->andBits + d->andStride * static_cast<std::size_t>(d->height) <= size;
}

bool Bit(const unsigned char* row, std::int32_t x) { return (row[x / 8] >> (7 - x % 8)) & 1; }

// Colour index or 0x00RRGGBB of pixel x in a colour row.
std::uint32_t Pixel(const unsigned char* base, const DibLayout& d, const unsigned char* row, std::int32_t x) {
    std::uint32_t index = 0;
    switch (d.bitCount) {
        case 1: index = Bit(row, x); break;
        case 4: index = (row[x / 2] >> ((x & 1) ? 0 : 4)) & 0x0F; break;
        case 8: index = row[x]; break;
        case 24: return row[3 * x] | (row[3 * x + 1] << 8) | (static_cast<std::uint32_t>(row[3 * x + 2]) << 16);
        default: return row[4 * x] | (row[4 * x + 1] << 8) | (static_cast<std::uint32_t>(row[4 * x + 2]) << 16);
    }
    if (index >= d.colours) return 0;
    const unsigned char* c = base + d.colourTable + 4 * index;
    return c[0] | (c[1] << 8) | (static_cast<std::uint32_t>(c[2]) << 16);
}

}  // namespace

bool FindIconImage(const ResFinder& find, std::uint16_t groupId, int wantSize, IconImage* out) {
    if (!find || out == nullptr) return false;
    std::vector<GroupEntry> entries;
    if (!ReadGroup(find(kRtGroupIcon, groupId), 1, &entries)) return false;
    const GroupEntry* best = nullptr;
    auto better = [&](const GroupEntry& e) {
        if (best == nullptr) return true;
        const bool eExact = e.width == wantSize, bExact = best->width == wantSize;
        if (eExact != bExact) return eExact;
        if (eExact) return e.bitCount > best->bitCount;
        const bool eLarger = e.width > wantSize, bLarger = best->width > wantSize;
        if (eLarger != bLarger) return eLarger;
        return eLarger ? e.width < best->width : e.width > best->width;
    };
    for (const GroupEntry& e : entries) {
        if (better(e)) best = &e;
    }
    const ResData image = find(kRtIcon, best->id);
    DibLayout d;
    if (image.data == nullptr || !ReadDib(image.data, image.size, &d)) return false;
    out->imageId = best->id;
    out->width = d.width;
    out->height = d.height;
    out->bitCount = d.bitCount;
    out->bytes = image;
    return true;
}

bool FindCursorImage(const ResFinder& find, std::uint16_t groupId, CursorImage* out) {
    if (!find || out == nullptr) return false;
    std::vector<GroupEntry> entries;
    if (!ReadGroup(find(kRtGroupCursor, groupId), 2, &entries)) return false;
    const ResData image = find(kRtCursor, entries.front().id);
    if (image.data == nullptr || image.size < 4) return false;
    ByteReader r(image.data, image.size);
    CursorImage c;
    if (!r.U16(&c.hotX) || !r.U16(&c.hotY)) return false;
    const unsigned char* dib = r.Here();
    DibLayout d;
    if (!ReadDib(dib, r.Left(), &d)) return false;
    c.imageId = entries.front().id;
    c.width = d.width;
    c.height = d.height;
    c.bitCount = d.bitCount;
    c.bytes = ResData{dib, static_cast<std::uint32_t>(r.Left())};
    const std::size_t stride = (static_cast<std::size_t>(d.width) + 7) / 8;
    c.andMask.assign(stride * d.height, 0);
    c.xorMask.assign(stride * d.height, 0);
    for (std::int32_t y = 0; y < d.height; ++y) {
        // DIB rows run bottom-up.
        const unsigned char* andRow = dib + d.andBits + d.andStride * (d.height - 1 - y);
        const unsigned char* xorRow = dib + d.xorBits + d.xorStride * (d.height - 1 - y);
        for (std::int32_t x = 0; x < d.width; ++x) {
            const std::uint8_t bit = static_cast<std::uint8_t>(0x80 >> (x % 8));
            if (Bit(andRow, x)) c.andMask[y * stride + x / 8] |= bit;
            const bool on = d.bitCount == 1 ? Bit(xorRow, x) : Pixel(dib, d, xorRow, x) != 0;
            if (on) c.xorMask[y * stride + x / 8] |= bit;
        }
    }
    *out = std::move(c);
    return true;
}

bool DecodeIconBitmap(const void* data, std::size_t size, std::int32_t* width, std::int32_t* height,
                      std::vector<std::uint32_t>* argb) {
    if (data == nullptr || width == nullptr || height == nullptr || argb == nullptr) return false;
    DibLayout d;
    if (!ReadDib(data, size, &d)) return false;
    const auto* base = static_cast<const unsigned char*>(data);
    argb->assign(static_cast<std::size_t>(d.width) * d.height, 0);
    for (std::int32_t y = 0; y < d.height; ++y) {
        const unsigned char* andRow = base + d.andBits + d.andStride * (d.height - 1 - y);
        const unsigned char* xorRow = base + d.xorBits + d.xorStride * (d.height - 1 - y);
        for (std::int32_t x = 0; x < d.width; ++x) {
            std::uint32_t px = Pixel(base, d, xorRow, x);
            if (d.bitCount == 32) {
                // A 32-bit image carries its own alpha; all-zero alpha means the AND mask decides.
                px |= static_cast<std::uint32_t>(xorRow[4 * x + 3]) << 24;
                if ((px >> 24) == 0 && !Bit(andRow, x)) px |= 0xFF000000u;
            } else if (!Bit(andRow, x)) {
                px |= 0xFF000000u;
            } else {
                px = 0;
            }
            (*argb)[static_cast<std::size_t>(y) * d.width + x] = px;
        }
    }
    *width = d.width;
    *height = d.height;
    return true;
}

}  // namespace plat
