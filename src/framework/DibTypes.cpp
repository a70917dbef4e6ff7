// Checks of 8-bit bitmap resources before anything is copied out of them.
#include "framework/DibTypes.h"

#include <cstring>

#include "platform/Resources.h"

BOOL ParseDibResource(const void* data, std::size_t size, DibLayout* out) {
    if (data == nullptr || out == nullptr || size < sizeof(BITMAPINFOHEADER)) return FALSE;
    BITMAPINFOHEADER h;
    std::memcpy(&h, data, sizeof h);
    if (h.biSize != sizeof(BITMAPINFOHEADER) || h.biBitCount != 8 || h.biCompression != BI_RGB) return FALSE;
    if (h.biClrUsed > 256 || h.biWidth <= 0 || h.biHeight == 0) return FALSE;

    const std::uint64_t colorCount = h.biClrUsed == 0 ? 256 : h.biClrUsed;
    const std::uint64_t stride = (static_cast<std::uint64_t>(h.biWidth) + 3) & ~std::uint64_t{3};
    const std::uint64_t rows =
        h.biHeight < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(static_cast<std::int64_t>(h.biHeight))
                       : static_cast<std::uint64_t>(h.biHeight);
    const std::uint64_t pixelBytes = rows * stride;  // < 2^31 * 2^31: no overflow in 64 bits
    const std::uint64_t colorOffset = sizeof(BITMAPINFOHEADER);
    const std::uint64_t pixelOffset = colorOffset + 4 * colorCount;
    // Everything the image needs must be inside the resource; the image-size field is not used
    // for this, as it may claim more (or fewer) bytes than are present.
    if (pixelBytes > 0x7fffffffu || pixelOffset + pixelBytes > size) return FALSE;

    const auto* base = static_cast<const BYTE*>(data);
    out->header = h;
    out->colorCount = static_cast<std::uint32_t>(colorCount);
    out->stride = static_cast<std::int32_t>(stride);
    out->rows = static_cast<std::int32_t>(rows);
    out->pixelBytes = static_cast<std::uint32_t>(pixelBytes);
    out->colors = reinterpret_cast<const RGBQUAD*>(base + colorOffset);
    out->pixels = base + pixelOffset;
    return TRUE;
}

BOOL FindDibResource(UINT nID, DibLayout* out) {
    const plat::ResData res = plat::FindResource(plat::kRtBitmap, static_cast<std::uint16_t>(nID & 0xffff));
    if (res.data == nullptr) return FALSE;
    out->resource = res.data;
    out->resourceSize = res.size;
    return ParseDibResource(res.data, res.size, out);
}

void ReleaseDibResource(const DibLayout& dib) {
    plat::ReleaseResource(plat::ResData{dib.resource, static_cast<std::uint32_t>(dib.resourceSize)});
}
