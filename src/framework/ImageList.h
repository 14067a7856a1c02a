#pragma once

#include "graphics/Graphic.h"

#include <cstdint>
#include <memory>
#include <vector>

// A picture's pixels at width x height, premultiplied 0xAARRGGBB rows from the top (see
// PixelScaling.h). A TAlphaImage gives its own pixels; any other picture is drawn once on black
// and once on white, which shows its opacity whatever kind of picture it is. Empty when the
// size has no pixels; transparent when the picture is empty.
std::vector<std::uint32_t> PremultipliedPixels(const TGraphic& picture, int width, int height);

// A new image holding the pixels (width x height, premultiplied); empty when the system has no
// room for it.
std::unique_ptr<TAlphaImage> MakeAlphaImage(const std::vector<std::uint32_t>& pixels, int width, int height);

// Pictures of one size, as buttons and menus use them: every picture added is copied, stretched
// to the list's size, with its transparency.
class TImageList {
public:
    // Sizes below one pixel count as one.
    TImageList(int width, int height);

    int Width() const { return mWidth; }
    int Height() const { return mHeight; }
    int Count() const { return static_cast<int>(mImages.size()); }

    // Adds a copy of the picture at the list's size and returns its index.
    int Add(const TGraphic& picture);
    // The picture at index; throws Exception for an index outside 0 .. Count() - 1.
    const TGraphic& operator[](int index) const;
    void Clear() { mImages.clear(); }

private:
    int mWidth;
    int mHeight;
    std::vector<std::unique_ptr<TAlphaImage>> mImages;
};
