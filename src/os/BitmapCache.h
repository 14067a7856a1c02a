#pragma once

#include "foundation/win32/UniqueHandle.h"

#include <windows.h>

// An off-screen drawing surface: a memory device context with a bitmap selected into it. The
// surface is made by the first GetDrawingDC and made anew only after the size grew beyond the
// size given before; a smaller size keeps the surface.
class BitmapCache {
public:
    BitmapCache() = default;
    BitmapCache(const BitmapCache&) = delete;
    BitmapCache& operator=(const BitmapCache&) = delete;

    void SetSize(int width, int height);
    SIZE GetSize() const { return {mWidth, mHeight}; }
    // The surface must be made anew before it is drawn on: nothing rendered on it is valid.
    bool IsDirty() const { return mDirty; }
    // The memory device context, made compatible with reference when the surface is (re)made.
    HDC GetDrawingDC(HDC reference);
    // Lets go of the surface; the next GetDrawingDC makes it anew (dirty).
    void Release();

private:
    bool mDirty = true;
    // Declared before the context, so the context goes first: it holds the bitmap selected.
    Tessel::Common::UniqueBitmap mBitmap;
    Tessel::Common::UniqueMemoryDc mDc;
    int mWidth = 0;
    int mHeight = 0;
};
