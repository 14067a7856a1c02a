#include "framework/ImageList.h"

#include "foundation/lang/Exception.h"
#include "framework/PixelScaling.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// A picture much larger than wanted is first drawn at most this many times the wanted size, so
// that shrinking a panel-sized picture to a menu image needs no panel-sized buffers.
constexpr int MaxOversize = 4;

std::vector<std::uint32_t> DrawnPixels(const TGraphic& picture, int width, int height) {
    // On black a pixel shows colour x alpha; on white colour x alpha + (1 - alpha) x 255.
    TBitmap onBlack(width, height, RGB(0, 0, 0));
    TBitmap onWhite(width, height, RGB(255, 255, 255));
    if (onBlack.Pixels() == nullptr || onWhite.Pixels() == nullptr) {
        return {};
    }
    const RECT all{0, 0, width, height};
    picture.StretchDraw(onBlack.Dc(), all);
    picture.StretchDraw(onWhite.Dc(), all);
    GdiFlush();
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::vector<std::uint32_t> pixels(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t black = onBlack.Pixels()[i];
        const std::uint32_t white = onWhite.Pixels()[i];
        int difference = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            difference += static_cast<int>((white >> shift) & 0xFF) - static_cast<int>((black >> shift) & 0xFF);
        }
        const std::uint32_t alpha = static_cast<std::uint32_t>(255 - std::clamp((difference + 1) / 3, 0, 255));
        const auto channel = [&](int shift) { return std::min<std::uint32_t>((black >> shift) & 0xFF, alpha); };
        pixels[i] = (alpha << 24) | (channel(16) << 16) | (channel(8) << 8) | channel(0);
    }
    return pixels;
}

} // namespace

std::vector<std::uint32_t> PremultipliedPixels(const TGraphic& picture, int width, int height) {
    if (width <= 0 || height <= 0) {
        return {};
    }
    if (picture.Empty()) {
        return std::vector<std::uint32_t>(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0u);
    }
    if (const auto* image = dynamic_cast<const TAlphaImage*>(&picture); image != nullptr && image->Pixels()) {
        GdiFlush();
        if (image->Width() == width && image->Height() == height) {
            return std::vector<std::uint32_t>(image->Pixels(),
                                              image->Pixels() + static_cast<std::size_t>(width) * height);
        }
        return ResamplePremultiplied(image->Pixels(), image->Width(), image->Height(), width, height);
    }
    const int drawnWidth = std::min(picture.Width(), width * MaxOversize);
    const int drawnHeight = std::min(picture.Height(), height * MaxOversize);
    const std::vector<std::uint32_t> drawn = DrawnPixels(picture, drawnWidth, drawnHeight);
    if (drawn.empty()) {
        return std::vector<std::uint32_t>(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0u);
    }
    if (drawnWidth == width && drawnHeight == height) {
        return drawn;
    }
    return ResamplePremultiplied(drawn.data(), drawnWidth, drawnHeight, width, height);
}

std::unique_ptr<TAlphaImage> MakeAlphaImage(const std::vector<std::uint32_t>& pixels, int width, int height) {
    auto image = std::make_unique<TAlphaImage>();
    if (width <= 0 || height <= 0 || pixels.size() != static_cast<std::size_t>(width) * height) {
        return image;
    }
    image->SetSize(width, height);
    if (image->Pixels() != nullptr) {
        GdiFlush();
        std::memcpy(image->Pixels(), pixels.data(), pixels.size() * sizeof(std::uint32_t));
    }
    return image;
}

TImageList::TImageList(int width, int height) : mWidth(std::max(width, 1)), mHeight(std::max(height, 1)) {}

int TImageList::Add(const TGraphic& picture) {
    mImages.push_back(MakeAlphaImage(PremultipliedPixels(picture, mWidth, mHeight), mWidth, mHeight));
    return Count() - 1;
}

const TGraphic& TImageList::operator[](int index) const {
    if (index < 0 || index >= Count()) {
        throw Exception(L"Image index " + std::to_wstring(index) + L" is outside the image list of " +
                        std::to_wstring(Count()));
    }
    return *mImages[static_cast<std::size_t>(index)];
}
