#include "framework/Graphic.h"

using Tessel::Common::ScopedSelectObject;
using Tessel::Common::UniqueBitmap;
using Tessel::Common::UniqueMemoryDc;

namespace {

HBITMAP CreateTopDownDib(int width, int height, std::uint32_t** pixels) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    *pixels = bitmap ? static_cast<std::uint32_t*>(bits) : nullptr;
    return bitmap;
}

} // namespace

TBitmap::TBitmap(int width, int height, COLORREF fill) {
    SetSize(width, height, fill);
}

void TBitmap::SetSize(int width, int height, COLORREF fill) {
    mBitmap.Reset();
    mPixels = nullptr;
    mWidth = mHeight = 0;
    if (width <= 0 || height <= 0) {
        return;
    }
    std::uint32_t* pixels = nullptr;
    UniqueBitmap bitmap(CreateTopDownDib(width, height, &pixels));
    if (!bitmap) {
        return;
    }
    const std::uint32_t value = PixelOf(fill);
    for (long long i = 0, n = static_cast<long long>(width) * height; i < n; ++i) {
        pixels[i] = value;
    }
    mBitmap = std::move(bitmap);
    mPixels = pixels;
    mWidth = width;
    mHeight = height;
}

void TBitmap::SetPixel(int x, int y, COLORREF color) {
    if (mPixels != nullptr && x >= 0 && y >= 0 && x < mWidth && y < mHeight) {
        GdiFlush();
        mPixels[y * mWidth + x] = PixelOf(color);
    }
}

bool TBitmap::Assign(HBITMAP source) {
    BITMAP description = {};
    if (source == nullptr || GetObjectW(source, sizeof(description), &description) == 0 || description.bmWidth <= 0 ||
        description.bmHeight == 0) {
        return false;
    }
    const int width = description.bmWidth;
    const int height = description.bmHeight < 0 ? -description.bmHeight : description.bmHeight;
    std::uint32_t* pixels = nullptr;
    UniqueBitmap bitmap(CreateTopDownDib(width, height, &pixels));
    UniqueMemoryDc target(CreateCompatibleDC(nullptr));
    UniqueMemoryDc from(CreateCompatibleDC(nullptr));
    if (!bitmap || !target || !from) {
        return false;
    }
    {
        ScopedSelectObject selectTarget(target.Get(), bitmap.Get());
        ScopedSelectObject selectSource(from.Get(), source);
        BitBlt(target.Get(), 0, 0, width, height, from.Get(), 0, 0, SRCCOPY);
    }
    GdiFlush();
    mBitmap = std::move(bitmap);
    mPixels = pixels;
    mWidth = width;
    mHeight = height;
    return true;
}

bool TBitmap::LoadFromFile(const std::wstring& path) {
    UniqueBitmap loaded(static_cast<HBITMAP>(
        LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
    return loaded && Assign(loaded.Get());
}

bool TBitmap::LoadFromResource(HINSTANCE module, const wchar_t* name) {
    UniqueBitmap loaded(static_cast<HBITMAP>(LoadImageW(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    return loaded && Assign(loaded.Get());
}

void TBitmap::StretchDraw(HDC dc, const RECT& dest) const {
    if (!mBitmap) {
        return;
    }
    UniqueMemoryDc source(CreateCompatibleDC(dc));
    ScopedSelectObject select(source.Get(), mBitmap.Get());
    const int width = dest.right - dest.left;
    const int height = dest.bottom - dest.top;
    if (width == mWidth && height == mHeight) {
        BitBlt(dc, dest.left, dest.top, width, height, source.Get(), 0, 0, SRCCOPY);
        return;
    }
    const int previousMode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, dest.left, dest.top, width, height, source.Get(), 0, 0, mWidth, mHeight, SRCCOPY);
    SetStretchBltMode(dc, previousMode);
}
