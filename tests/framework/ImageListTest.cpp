#include "support/PaintSurface.h"

#include "foundation/lang/Exception.h"
#include "framework/ImageList.h"

#include <gtest/gtest.h>

using TestSupport::PaintSurface;

TEST(TImageList, StretchesEveryPictureToItsSizeAndKeepsTransparency) {
    TImageList list(16, 12);
    TBitmap opaque(4, 4, RGB(255, 0, 0));
    TAlphaImage halfClear;
    halfClear.SetSize(32, 32);
    // Left half opaque green, right half transparent.
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 16; ++x) {
            halfClear.Pixels()[y * 32 + x] = 0xFF00FF00;
        }
    }
    TBitmap empty;
    EXPECT_EQ(list.Add(opaque), 0);
    EXPECT_EQ(list.Add(halfClear), 1);
    EXPECT_EQ(list.Add(empty), 2);
    ASSERT_EQ(list.Count(), 3);
    for (int i = 0; i < list.Count(); ++i) {
        EXPECT_EQ(list[i].Width(), 16);
        EXPECT_EQ(list[i].Height(), 12);
    }

    PaintSurface surface(48, 12, RGB(0, 0, 255));
    list[0].Draw(surface.Dc(), 0, 0);
    list[1].Draw(surface.Dc(), 16, 0);
    list[2].Draw(surface.Dc(), 32, 0);
    EXPECT_EQ(surface.Pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(surface.Pixel(15, 11), 0xFF0000u);
    EXPECT_EQ(surface.Pixel(16, 6), 0x00FF00u);
    EXPECT_EQ(surface.Pixel(31, 6), 0x0000FFu) << "the transparent half shows what is below";
    EXPECT_EQ(surface.Pixel(40, 6), 0x0000FFu) << "an empty picture adds a transparent image";

    EXPECT_THROW(list[3], Exception);
    EXPECT_THROW(list[-1], Exception);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(PremultipliedPixels, ReadsTheOpacityOfAnyPicture) {
    // A picture that draws a half-transparent white: neither a bitmap nor an alpha image.
    class HalfWhite : public TGraphic {
    public:
        int Width() const override { return 2; }
        int Height() const override { return 2; }
        void StretchDraw(HDC dc, const RECT& dest) const override {
            TAlphaImage image;
            image.SetSize(1, 1);
            image.Pixels()[0] = 0x80808080;
            image.StretchDraw(dc, dest);
        }
    };
    const std::vector<std::uint32_t> pixels = PremultipliedPixels(HalfWhite(), 3, 3);
    ASSERT_EQ(pixels.size(), 9u);
    for (const std::uint32_t p : pixels) {
        EXPECT_NEAR(static_cast<int>(p >> 24), 0x80, 2);
        EXPECT_NEAR(static_cast<int>(p & 0xFF), 0x80, 2);
    }
    EXPECT_TRUE(PremultipliedPixels(HalfWhite(), 0, 5).empty());
}
