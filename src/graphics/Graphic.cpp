#include "graphics/Graphic.h"

#include "foundation/image/PngDecoder.h"
#include "foundation/logging/Log.h"

#include <algorithm>

using Tessel::Common::ScopedSelectObject;
using Tessel::Common::UniqueBitmap;
using Tessel::Common::UniqueMemoryDc;

namespace {

// The size a bitmap file's header declares: "BM", then an OS/2 core header (16-bit sizes) or a
// Windows info header (32-bit sizes, a negative height for top-down rows). False when the file
// cannot be read or has no such header.
bool ReadBitmapFileSize(const std::wstring& path, long long& width, long long& height) {
    const Tessel::Common::UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    unsigned char header[26] = {};
    DWORD read = 0;
    if (!file || !ReadFile(file.Get(), header, sizeof(header), &read, nullptr) || read < 22 || header[0] != 'B' ||
        header[1] != 'M') {
        return false;
    }
    const auto u16 = [&](int at) { return static_cast<std::uint32_t>(header[at] | header[at + 1] << 8); };
    const auto u32 = [&](int at) { return u16(at) | u16(at + 2) << 16; };
    const std::uint32_t infoSize = u32(14);
    if (infoSize == 12) {
        width = u16(18);
        height = u16(20);
        return true;
    }
    if (infoSize < 40 || read < 26) {
        return false;
    }
    width = static_cast<std::int32_t>(u32(18));
    height = static_cast<std::int32_t>(u32(22));
    height = height < 0 ? -height : height;
    return true;
}

std::wstring ResourceName(const wchar_t* name) {
    return IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<std::uintptr_t>(name)) : name;
}

} // namespace

TBitmap::TBitmap(int width, int height, COLORREF fill) {
    SetSize(width, height, fill);
}

void TBitmap::Adopt(UniqueBitmap bitmap, std::uint32_t* pixels, int width, int height) {
    mDc.Reset();
    mBitmap = std::move(bitmap);
    mPixels = mBitmap ? pixels : nullptr;
    mWidth = mBitmap ? width : 0;
    mHeight = mBitmap ? height : 0;
    if (mBitmap) {
        mDc.Reset(CreateCompatibleDC(nullptr));
        SelectObject(mDc.Get(), mBitmap.Get());
    }
}

void TBitmap::SetSize(int width, int height, COLORREF fill) {
    Adopt(UniqueBitmap(), nullptr, 0, 0);
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
    Adopt(std::move(bitmap), pixels, width, height);
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
    Adopt(std::move(bitmap), pixels, width, height);
    return true;
}

bool TBitmap::LoadFromFile(const std::wstring& path) {
    long long width = 0;
    long long height = 0;
    if (!ReadBitmapFileSize(path, width, height)) {
        LOG_ERR("TBitmap::LoadFromFile", L"Not a bitmap file: " << path);
        return false;
    }
    if (width <= 0 || height <= 0 || width > MaxFileSide || height > MaxFileSide || width * height > MaxFilePixels) {
        LOG_ERR("TBitmap::LoadFromFile", L"Picture of " << width << L" x " << height << L" pixels refused, beyond "
                                                        << MaxFileSide << L" pixels a side or " << MaxFilePixels
                                                        << L" in all: " << path);
        return false;
    }
    UniqueBitmap loaded(static_cast<HBITMAP>(
        LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
    return loaded && Assign(loaded.Get());
}

bool TBitmap::LoadFromResource(HINSTANCE module, const wchar_t* name) {
    UniqueBitmap loaded(static_cast<HBITMAP>(LoadImageW(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    return loaded && Assign(loaded.Get());
}

bool TBitmap::LoadFromResourceAsStored(HINSTANCE module, const wchar_t* name) {
    return TakeAsStored(
        UniqueBitmap(static_cast<HBITMAP>(LoadImageW(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))));
}

bool TBitmap::TakeAsStored(UniqueBitmap bitmap) {
    BITMAP description = {};
    if (!bitmap || GetObjectW(bitmap.Get(), sizeof(description), &description) == 0 || description.bmWidth <= 0 ||
        description.bmHeight == 0) {
        return false;
    }
    const int height = description.bmHeight < 0 ? -description.bmHeight : description.bmHeight;
    Adopt(std::move(bitmap), nullptr, description.bmWidth, height);
    return true;
}

void TBitmap::StretchDraw(HDC dc, const RECT& dest) const {
    if (!mDc) {
        return;
    }
    const int width = dest.right - dest.left;
    const int height = dest.bottom - dest.top;
    if (width == mWidth && height == mHeight) {
        BitBlt(dc, dest.left, dest.top, width, height, mDc.Get(), 0, 0, SRCCOPY);
        return;
    }
    const int previousMode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, dest.left, dest.top, width, height, mDc.Get(), 0, 0, mWidth, mHeight, SRCCOPY);
    SetStretchBltMode(dc, previousMode);
}

void TAlphaImage::SetSize(int width, int height) {
    mDc.Reset();
    mBitmap.Reset();
    mPixels = nullptr;
    mWidth = mHeight = 0;
    if (width <= 0 || height <= 0) {
        return;
    }
    std::uint32_t* pixels = nullptr;
    UniqueBitmap bitmap(CreateTopDownDib(width, height, &pixels));
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!bitmap || !dc) {
        return;
    }
    std::fill(pixels, pixels + static_cast<std::size_t>(width) * height, 0u);
    // Kept selected for the image's whole life, so drawing it costs one blend.
    SelectObject(dc.Get(), bitmap.Get());
    mBitmap = std::move(bitmap);
    mDc = std::move(dc);
    mPixels = pixels;
    mWidth = width;
    mHeight = height;
}

std::vector<std::uint32_t> IconPixels(HICON icon, int width, int height) {
    if (icon == nullptr || width <= 0 || height <= 0) {
        return {};
    }
    // The icon drawn once on black and once on white: where the two agree the icon is opaque,
    // and their difference gives the transparency of every pixel, whatever kind the icon is.
    TBitmap onBlack(width, height, RGB(0, 0, 0));
    TBitmap onWhite(width, height, RGB(255, 255, 255));
    for (TBitmap* canvas : {&onBlack, &onWhite}) {
        if (canvas->Pixels() == nullptr || !DrawIconEx(canvas->Dc(), 0, 0, icon, width, height, 0, nullptr, DI_NORMAL)) {
            return {};
        }
    }
    GdiFlush();
    const std::size_t count = static_cast<std::size_t>(width) * height;
    std::vector<std::uint32_t> pixels(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t black = onBlack.Pixels()[i];
        const std::uint32_t white = onWhite.Pixels()[i];
        // On black a pixel shows colour x alpha; on white colour x alpha + (1 - alpha) x 255.
        const int diff = static_cast<int>((white >> 8) & 0xFF) - static_cast<int>((black >> 8) & 0xFF);
        const std::uint32_t alpha = static_cast<std::uint32_t>(255 - std::clamp(diff, 0, 255));
        const auto channel = [&](int shift) { return std::min<std::uint32_t>((black >> shift) & 0xFF, alpha); };
        pixels[i] = (alpha << 24) | (channel(16) << 16) | (channel(8) << 8) | channel(0);
    }
    return pixels;
}

bool TAlphaImage::AssignIcon(HICON icon, int width, int height) {
    const std::vector<std::uint32_t> pixels = IconPixels(icon, width, height);
    if (pixels.empty()) {
        SetSize(0, 0);
        return false;
    }
    SetSize(width, height);
    if (mPixels == nullptr) {
        return false;
    }
    std::copy(pixels.begin(), pixels.end(), mPixels);
    return true;
}

bool TAlphaImage::Assign(const Tessel::Common::Image::RgbaPicture& picture) {
    const std::size_t count = static_cast<std::size_t>(picture.width) * picture.height;
    if (picture.width <= 0 || picture.height <= 0 || picture.pixels.size() != count * 4) {
        SetSize(0, 0);
        return false;
    }
    SetSize(picture.width, picture.height);
    if (mPixels == nullptr) {
        return false;
    }
    // Blending expects every channel already multiplied by the pixel's alpha.
    const std::uint8_t* rgba = picture.pixels.data();
    for (std::size_t i = 0; i < count; ++i, rgba += 4) {
        const std::uint32_t alpha = rgba[3];
        const auto scaled = [alpha](std::uint32_t channel) { return (channel * alpha + 127) / 255; };
        mPixels[i] = (alpha << 24) | (scaled(rgba[0]) << 16) | (scaled(rgba[1]) << 8) | scaled(rgba[2]);
    }
    return true;
}

bool TAlphaImage::LoadFromPng(std::string_view bytes, std::wstring* error) {
    const auto result = Tessel::Common::Image::DecodePng(bytes);
    if (!result.Ok()) {
        SetSize(0, 0);
        if (error != nullptr) {
            *error = result.error;
        }
        return false;
    }
    if (!Assign(result.picture)) {
        if (error != nullptr) {
            *error = L"no memory for a picture of " + std::to_wstring(result.picture.width) + L" x " +
                     std::to_wstring(result.picture.height) + L" pixels";
        }
        return false;
    }
    return true;
}

bool TAlphaImage::LoadFromResource(HINSTANCE module, const wchar_t* name, std::wstring* error) {
    // Resources stay mapped for as long as their module is loaded; nothing here needs releasing.
    const HRSRC found = FindResourceW(module, name, RT_RCDATA);
    const HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr) {
        SetSize(0, 0);
        if (error != nullptr) {
            *error = L"no picture resource named " + ResourceName(name);
        }
        return false;
    }
    return LoadFromPng(std::string_view(static_cast<const char*>(data), SizeofResource(module, found)), error);
}

void TAlphaImage::StretchDraw(HDC dc, const RECT& dest) const {
    if (!mDc) {
        return;
    }
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    GdiAlphaBlend(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, mDc.Get(), 0, 0, mWidth,
                  mHeight, blend);
}

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
