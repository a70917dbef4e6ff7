// libFuzzer target: any bytes as an 8-bit bitmap resource, loaded, masked and drawn into a small
// destination at positions that hang over every edge.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "DibFuzzPlatform.h"
#include "framework/DC.h"
#include "imaging/Dib.h"
#include "imaging/DibPalette.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy, so a read one past the end is caught.
    std::vector<std::uint8_t> copy(data, data + size);
    fuzzdib::SetResource(copy.data(), copy.size());
    const std::uint8_t last = size > 0 ? data[size - 1] : 0;
    fuzzdib::SetDisplayDepth((last & 3) == 3 ? 8 : (last & 1) ? 16 : 32);

    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap target;
    target.CreateCompatibleBitmap(&dc, 40, 30);
    CBitmap* old = dc.SelectObject(&target);

    CDib dib;
    if (dib.Load(&dc, 1, (last & 4) == 0, nullptr)) {
        // The mask as the scene window makes it.
        CBitmap ddb, mask;
        if (ddb.LoadBitmap(1) && mask.CreateBitmap(ddb.GetWidth(), ddb.GetHeight(), 1, 1, nullptr)) {
            CDC dcMask, dcCopy;
            dcMask.CreateCompatibleDC(&dc);
            dcCopy.CreateCompatibleDC(&dc);
            CBitmap* oldMask = dcMask.SelectObject(&mask);
            CBitmap* oldCopy = dcCopy.SelectObject(&ddb);
            dcCopy.SetBkColor(RGB(255, 0, 255));
            dcMask.BitBlt(0, 0, ddb.GetWidth(), ddb.GetHeight(), &dcCopy, 0, 0, SRCCOPY);
            dcMask.SelectObject(oldMask);
            dcCopy.SelectObject(oldCopy);
        }
        const int w = dib.GetWidth(), h = dib.GetHeight() < 0 ? -dib.GetHeight() : dib.GetHeight();
        const int spots[][2] = {{0, 0}, {-w + 1, -h + 1}, {39, 29}, {-3, 20}, {35, -4}};
        for (const auto& p : spots) {
            dib.Draw(&dc, p[0], p[1], TRUE);
            dib.DrawMasked(&dc, p[0], p[1], &mask, TRUE);
        }
        dib.DrawRect(&dc, 2, 2, RECT{-5, -5, w + 5, h + 5}, TRUE);
    }
    dc.SelectObject(old);
    CDib::ReleaseSharedPalette();
    return 0;
}
