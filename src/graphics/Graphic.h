#pragma once

#include "foundation/win32/UniqueHandle.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Tessel::Common::Image {
struct RgbaPicture;
}

// Something drawable with a size of its own: a bitmap, a decoded PNG picture.
class TGraphic {
public:
    virtual ~TGraphic() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    bool Empty() const { return Width() <= 0 || Height() <= 0; }
    // Draws the whole picture stretched (or shrunk) into dest.
    virtual void StretchDraw(HDC dc, const RECT& dest) const = 0;
    // Draws the picture unscaled with its top-left corner at (x, y).
    void Draw(HDC dc, int x, int y) const { StretchDraw(dc, RECT{x, y, x + Width(), y + Height()}); }
};

// A 32-bit top-down bitmap in memory (a DIB section), opaque. Whatever it is loaded from, it
// keeps its pixels in this one form, so drawing and reading pixels back work the same way.
class TBitmap : public TGraphic {
public:
    // Beyond any screen a picture is drawn on (8K is 7680 x 4320); keeps a hostile file from
    // taking gigabytes.
    static constexpr int MaxFileSide = 16384;
    static constexpr long long MaxFilePixels = 40'000'000;

    TBitmap() = default;
    TBitmap(int width, int height, COLORREF fill = RGB(0, 0, 0));

    int Width() const override { return mWidth; }
    int Height() const override { return mHeight; }
    void StretchDraw(HDC dc, const RECT& dest) const override;

    // Makes an empty bitmap of the given size, filled with one colour.
    void SetSize(int width, int height, COLORREF fill = RGB(0, 0, 0));
    // Takes over the picture of a bitmap file or a bitmap resource; false (and the bitmap left
    // as it was) when it cannot be read. A file is refused, with a log line, before anything is
    // allocated for it when its header does not give a size within MaxFileSide and
    // MaxFilePixels.
    bool LoadFromFile(const std::wstring& path);
    bool LoadFromResource(HINSTANCE module, const wchar_t* name);
    // Takes over a bitmap resource in the form it is stored in, for a picture that is only drawn:
    // a 16-colour picture stays one, an eighth of its 32-bit size, and nothing is converted at
    // load. Pixels() is null for it.
    bool LoadFromResourceAsStored(HINSTANCE module, const wchar_t* name);
    // Takes over a device-independent bitmap in its form (see LoadFromResourceAsStored).
    bool TakeAsStored(Tessel::Common::UniqueBitmap bitmap);
    // Takes over any bitmap, converting it to this bitmap's form.
    bool Assign(HBITMAP source);

    HBITMAP Handle() const { return mBitmap.Get(); }
    // A memory device context that draws on the bitmap; the bitmap stays selected in it, so
    // it cannot be selected into another context.
    HDC Dc() const { return mDc.Get(); }
    // Pixels as 0x00RRGGBB, row after row from the top; null when empty.
    std::uint32_t* Pixels() const { return mPixels; }
    std::uint32_t Pixel(int x, int y) const { return mPixels[y * mWidth + x] & 0x00FFFFFF; }
    void SetPixel(int x, int y, COLORREF color);

private:
    void Adopt(Tessel::Common::UniqueBitmap bitmap, std::uint32_t* pixels, int width, int height);

    Tessel::Common::UniqueBitmap mBitmap;
    // Holds the bitmap selected for as long as it lives, so that drawing needs no new context.
    Tessel::Common::UniqueMemoryDc mDc;
    std::uint32_t* mPixels = nullptr;
    int mWidth = 0;
    int mHeight = 0;
};

// A new 32-bit top-down DIB section of width x height; pixels receives its first row (null when
// the system refused, and then the result is null too).
HBITMAP CreateTopDownDib(int width, int height, std::uint32_t** pixels);

// A bitmap's pixel value (0x00RRGGBB) for a colour.
constexpr std::uint32_t PixelOf(COLORREF color) {
    return (static_cast<std::uint32_t>(GetRValue(color)) << 16) | (static_cast<std::uint32_t>(GetGValue(color)) << 8) |
           GetBValue(color);
}

// An icon drawn at width x height as premultiplied 0xAARRGGBB pixels, row by row from the top: its
// alpha channel when it has one, else its mask. Empty when the icon cannot be drawn. Safe on any
// thread: it makes and ends its own drawing surfaces.
std::vector<std::uint32_t> IconPixels(HICON icon, int width, int height);

// A 32-bit picture with its own transparency (premultiplied alpha), drawn by blending it over
// what is below. Icons are turned into one once, because blending a ready image is much
// cheaper than drawing an icon through its masks every time.
class TAlphaImage : public TGraphic {
public:
    TAlphaImage() = default;

    int Width() const override { return mWidth; }
    int Height() const override { return mHeight; }
    void StretchDraw(HDC dc, const RECT& dest) const override;

    // Makes a transparent image of the given size.
    void SetSize(int width, int height);
    // Takes an icon at the given size: its alpha channel when it has one, else its mask.
    bool AssignIcon(HICON icon, int width, int height);
    // Takes a decoded picture with straight alpha.
    bool Assign(const Tessel::Common::Image::RgbaPicture& picture);
    // Takes the picture of a PNG file held in memory, or of an RCDATA resource holding one. On
    // failure the image is left empty and error, when given, says why.
    bool LoadFromPng(std::string_view bytes, std::wstring* error = nullptr);
    bool LoadFromResource(HINSTANCE module, const wchar_t* name, std::wstring* error = nullptr);

    // Pixels as premultiplied 0xAARRGGBB, row after row from the top; null when empty.
    std::uint32_t* Pixels() const { return mPixels; }

private:
    Tessel::Common::UniqueBitmap mBitmap;
    Tessel::Common::UniqueMemoryDc mDc;
    std::uint32_t* mPixels = nullptr;
    int mWidth = 0;
    int mHeight = 0;
};
