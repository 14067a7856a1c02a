#pragma once

#include "foundation/win32/UniqueHandle.h"
#include "graphics/Graphic.h"

#include <windows.h>

#include <cstdint>

namespace TestSupport {

// A 32-bit bitmap in a memory device context to paint on and read pixels back from.
class PaintSurface {
public:
    PaintSurface(int width, int height, COLORREF fill = RGB(0, 0, 0)) : mBitmap(width, height, fill) {}

    HDC Dc() const { return mBitmap.Dc(); }
    int Width() const { return mBitmap.Width(); }
    int Height() const { return mBitmap.Height(); }
    // The pixel as 0x00RRGGBB.
    std::uint32_t Pixel(int x, int y) const {
        GdiFlush();
        return mBitmap.Pixel(x, y);
    }
    const TBitmap& Bitmap() const { return mBitmap; }

private:
    TBitmap mBitmap;
};

} // namespace TestSupport
