// A memory context with its own 32-bit bitmap, for the imaging tests to draw into.
#pragma once

#include "framework/Bitmap.h"
#include "framework/DC.h"

namespace test {

// A memory context with a new 32-bit bitmap of this size filled with `fill`.
struct Canvas {
    CBitmap bmp;
    CDC dc;
    CBitmap* old = nullptr;
    Canvas(int w, int h, COLORREF fill) {
        dc.CreateCompatibleDC(nullptr);
        bmp.CreateCompatibleBitmap(&dc, w, h);
        old = dc.SelectObject(&bmp);
        dc.FillSolidRect(0, 0, w, h, fill);
    }
    ~Canvas() { dc.SelectObject(old); }
};

}  // namespace test
