#include "support/PaintSurface.h"

#include "foundation/image/PngDecoder.h"
#include "graphics/Graphic.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using TestSupport::PaintSurface;

namespace {

HINSTANCE Self() {
    return GetModuleHandleW(nullptr);
}

std::string_view ResourceBytes(const wchar_t* name, const wchar_t* type) {
    const HRSRC found = FindResourceW(Self(), name, type);
    const HGLOBAL loaded = found != nullptr ? LoadResource(Self(), found) : nullptr;
    if (loaded == nullptr) {
        return {};
    }
    return {static_cast<const char*>(LockResource(loaded)), SizeofResource(Self(), found)};
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

// A pixel of a bitmap resource read straight from its bytes (header, colour table, bottom-up
// rows padded to four bytes), as 0x00RRGGBB.
std::uint32_t BitmapResourcePixel(std::string_view resource, int x, int y) {
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(resource.data());
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(resource.data());
    const int colours =
        header->biBitCount <= 8 ? (header->biClrUsed != 0 ? header->biClrUsed : 1 << header->biBitCount) : 0;
    const std::uint8_t* table = bytes + header->biSize;
    const std::uint8_t* bits = table + 4 * colours;
    const int stride = (header->biWidth * header->biBitCount + 31) / 32 * 4;
    const std::uint8_t* row = bits + static_cast<std::size_t>(header->biHeight - 1 - y) * stride;
    const std::uint8_t* bgr = nullptr;
    if (header->biBitCount == 4) {
        const int index = x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0F;
        bgr = table + 4 * index;
    } else {
        bgr = row + 3 * x;
    }
    return (static_cast<std::uint32_t>(bgr[2]) << 16) | (bgr[1] << 8) | bgr[0];
}

// What blending a straight RGBA pixel over a colour gives, as 0x00RRGGBB.
std::uint32_t Blend(const std::uint8_t* rgba, std::uint32_t below) {
    std::uint32_t result = 0;
    for (int shift : {16, 8, 0}) {
        const int source = rgba[shift == 16 ? 0 : shift == 8 ? 1 : 2];
        const int under = (below >> shift) & 0xFF;
        result |= static_cast<std::uint32_t>((source * rgba[3] + under * (255 - rgba[3]) + 127) / 255) << shift;
    }
    return result;
}

// Pixels may differ by rounding: premultiplying and blending each round once.
bool Near(std::uint32_t a, std::uint32_t b, int tolerance = 2) {
    for (int shift : {16, 8, 0}) {
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance) {
            return false;
        }
    }
    return true;
}

} // namespace

TEST(PictureResources, EveryPictureLoadsWithItsSize) {
    struct Picture {
        const wchar_t* name;
        int width;
        int height;
    };
    const Picture pngs[] = {
        {L"PngTopLeft", 15, 15},     {L"PngTop", 1, 4},
        {L"PngTopRight", 15, 15},    {L"PngLeft", 5, 1},
        {L"PngRight", 5, 1},         {L"PngBottomLeft", 15, 15},
        {L"PngBottom", 1, 6},        {L"PngBottomRight", 15, 15},
        {L"PngReflection", 1, 56},   {L"transparent40percent", 16, 16},
        {L"GlyphAdd16", 16, 16},     {L"GlyphAdd32", 32, 32},
        {L"GlyphPinUp16", 16, 16},   {L"GlyphPinUp32", 32, 32},
        {L"GlyphPinDown16", 16, 16}, {L"GlyphPinDown32", 32, 32},
        {L"GlyphLinks16", 16, 16},   {L"GlyphLinks32", 32, 32},
    };
    for (const Picture& picture : pngs) {
        SCOPED_TRACE(Narrow(picture.name));
        TAlphaImage image;
        std::wstring error;
        ASSERT_TRUE(image.LoadFromResource(Self(), picture.name, &error)) << Narrow(error);
        EXPECT_EQ(image.Width(), picture.width);
        EXPECT_EQ(image.Height(), picture.height);
    }
    const Picture bitmaps[] = {
        {L"gradient_green_light", 31, 436},  {L"gradient_purple_light", 21, 547},
        {L"gradient_red_light", 25, 547},    {L"gradient_black_light", 32, 404},
        {L"gradient_blue_light", 48, 634},   {L"gradient_jade_light", 16, 583},
        {L"gradient_orange_light", 19, 580}, {L"Back", 1400, 990},
    };
    for (const Picture& picture : bitmaps) {
        SCOPED_TRACE(Narrow(picture.name));
        const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(ResourceBytes(picture.name, RT_BITMAP).data());
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(header->biBitCount, std::wstring_view(picture.name) == L"Back" ? 4 : 24);
        TBitmap bitmap;
        ASSERT_TRUE(bitmap.LoadFromResource(Self(), picture.name));
        EXPECT_EQ(bitmap.Width(), picture.width);
        EXPECT_EQ(bitmap.Height(), picture.height);
    }
}

TEST(TBitmap, ReadsFourAndTwentyFourBitResourcesPixelForPixel) {
    for (const wchar_t* name : {L"Back", L"gradient_blue_light", L"gradient_red_light"}) {
        SCOPED_TRACE(Narrow(name));
        const std::string_view resource = ResourceBytes(name, RT_BITMAP);
        TBitmap bitmap;
        ASSERT_TRUE(bitmap.LoadFromResource(Self(), name));
        int wrong = 0;
        for (int y = 0; y < bitmap.Height(); ++y) {
            for (int x = 0; x < bitmap.Width(); ++x) {
                if (bitmap.Pixel(x, y) != BitmapResourcePixel(resource, x, y) && ++wrong <= 3) {
                    ADD_FAILURE() << "pixel " << x << ", " << y << ": " << std::hex << bitmap.Pixel(x, y)
                                  << " instead of " << BitmapResourcePixel(resource, x, y);
                }
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(TAlphaImage, PngBlendsOverWhatIsBelowWhenDrawnStretched) {
    // Two pixels: opaque red and half-transparent blue.
    const unsigned char file[] = {0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49,
                                  0x48, 0x44, 0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06,
                                  0x00, 0x00, 0x00, 0xf4, 0x22, 0x7f, 0x8a, 0x00, 0x00, 0x00, 0x11, 0x49, 0x44,
                                  0x41, 0x54, 0x08, 0xd7, 0x63, 0xf8, 0xcf, 0xc0, 0xf0, 0x9f, 0x81, 0xe1, 0x7f,
                                  0x03, 0x00, 0x0f, 0x7a, 0x03, 0x7e, 0x1b, 0xda, 0x3d, 0x85, 0x00, 0x00, 0x00,
                                  0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
    TAlphaImage image;
    ASSERT_TRUE(image.LoadFromPng(std::string_view(reinterpret_cast<const char*>(file), sizeof(file))));
    PaintSurface surface(30, 20, RGB(0, 128, 0));
    image.StretchDraw(surface.Dc(), RECT{5, 5, 25, 15});
    EXPECT_EQ(surface.Pixel(5, 5), 0xFF0000u) << "opaque stays as it is";
    EXPECT_EQ(surface.Pixel(14, 14), 0xFF0000u);
    EXPECT_TRUE(Near(surface.Pixel(15, 5), 0x004080)) << std::hex << surface.Pixel(15, 5);
    EXPECT_TRUE(Near(surface.Pixel(24, 14), 0x004080)) << std::hex << surface.Pixel(24, 14);
    EXPECT_EQ(surface.Pixel(4, 5), 0x008000u) << "nothing outside the destination";
    EXPECT_EQ(surface.Pixel(25, 14), 0x008000u);
    EXPECT_EQ(surface.Pixel(20, 15), 0x008000u);
}

TEST(TAlphaImage, FramePiecesKeepTheirTransparencyPixelForPixel) {
    // Each piece drawn over a light and over a dark colour, stretched the way the frame draws
    // edges (along their one-pixel length), matches blending its decoded pixels by hand.
    for (const wchar_t* name : {L"PngTopLeft", L"PngBottomRight", L"PngTop", L"PngRight", L"PngReflection"}) {
        SCOPED_TRACE(Narrow(name));
        const auto decoded = Tessel::Common::Image::DecodePng(ResourceBytes(name, RT_RCDATA));
        ASSERT_TRUE(decoded.Ok()) << Narrow(decoded.error);
        TAlphaImage image;
        ASSERT_TRUE(image.LoadFromResource(Self(), name));
        const int width = image.Width() == 1 ? 40 : image.Width();
        const int height = image.Height() == 1 ? 40 : image.Height();
        for (const COLORREF below : {RGB(230, 240, 250), RGB(20, 40, 80)}) {
            PaintSurface surface(width + 4, height + 4, below);
            image.StretchDraw(surface.Dc(), RECT{2, 2, 2 + width, 2 + height});
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    const int sx = image.Width() == 1 ? 0 : x;
                    const int sy = image.Height() == 1 ? 0 : y;
                    const std::uint8_t* rgba = &decoded.picture.pixels[(sy * image.Width() + sx) * 4];
                    const std::uint32_t expected = Blend(rgba, PixelOf(below));
                    ASSERT_TRUE(Near(surface.Pixel(2 + x, 2 + y), expected))
                        << x << ", " << y << ": " << std::hex << surface.Pixel(2 + x, 2 + y) << " instead of "
                        << expected;
                }
            }
            EXPECT_EQ(surface.Pixel(0, 0), PixelOf(below));
        }
    }
}

TEST(TAlphaImage, MissingOrBrokenPictureLeavesTheImageEmptyAndSaysWhy) {
    TAlphaImage image;
    ASSERT_TRUE(image.LoadFromResource(Self(), L"PngTop"));
    std::wstring error;
    EXPECT_FALSE(image.LoadFromResource(Self(), L"NoSuchPicture", &error));
    EXPECT_EQ(error, L"no picture resource named NoSuchPicture");
    EXPECT_TRUE(image.Empty());
    ASSERT_TRUE(image.LoadFromResource(Self(), L"PngTop"));
    EXPECT_FALSE(image.LoadFromResource(Self(), L"NotAPicture", &error));
    EXPECT_NE(error.find(L"signature"), std::wstring::npos) << Narrow(error);
    EXPECT_TRUE(image.Empty());
    // Drawing an empty image draws nothing and does not fail.
    PaintSurface surface(4, 4, RGB(1, 2, 3));
    image.StretchDraw(surface.Dc(), RECT{0, 0, 4, 4});
    EXPECT_EQ(surface.Pixel(1, 1), 0x010203u);
}
