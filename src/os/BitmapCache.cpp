#include "os/BitmapCache.h"

void BitmapCache::SetSize(int width, int height) {
    // Compared with the size given last, not with the surface, which may be larger.
    if (width > mWidth || height > mHeight) {
        mDirty = true;
    }
    mWidth = width;
    mHeight = height;
}

void BitmapCache::Release() {
    mDc.Reset();
    mBitmap.Reset();
    mDirty = true;
}

HDC BitmapCache::GetDrawingDC(HDC reference) {
    if (mDirty) {
        mDc.Reset();
        mBitmap.Reset();
        mDirty = false;
        mDc.Reset(CreateCompatibleDC(reference));
        mBitmap.Reset(CreateCompatibleBitmap(reference, mWidth, mHeight));
        if (mDc && mBitmap) {
            SelectObject(mDc.Get(), mBitmap.Get());
        }
    }
    return mDc.Get();
}
