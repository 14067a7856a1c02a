#include "support/PaintSurface.h"

#include "framework/Canvas.h"
#include "framework/Graphic.h"

#include <gtest/gtest.h>

#include <vector>

using TestSupport::PaintSurface;

namespace {
constexpr std::uint32_t Black = 0x000000;
constexpr std::uint32_t White = 0xFFFFFF;
constexpr std::uint32_t Red = 0xFF0000;
constexpr std::uint32_t Blue = 0x0000FF;
} // namespace

TEST(TBitmap, DrawsUnscaledOrStretchedToTheWholeDestination) {
    TBitmap picture(2, 2, RGB(255, 0, 0));
    picture.SetPixel(1, 1, RGB(0, 0, 255));
    PaintSurface surface(20, 20);

    picture.Draw(surface.Dc(), 3, 4);
    EXPECT_EQ(surface.Pixel(3, 4), Red);
    EXPECT_EQ(surface.Pixel(4, 5), Blue);
    EXPECT_EQ(surface.Pixel(5, 6), Black) << "unscaled drawing stays within 2 x 2";

    picture.StretchDraw(surface.Dc(), RECT{10, 10, 20, 20});
    EXPECT_EQ(surface.Pixel(10, 10), Red);
    EXPECT_EQ(surface.Pixel(14, 14), Red);
    EXPECT_EQ(surface.Pixel(15, 15), Blue);
    EXPECT_EQ(surface.Pixel(19, 19), Blue);
}

TEST(TBitmap, AssignCopiesAnyBitmapAndKeepsItsSize) {
    // A device-dependent bitmap, as a bitmap resource or file loads.
    Tessel::Common::ScopedWindowDc screen(nullptr);
    Tessel::Common::UniqueBitmap source(CreateCompatibleBitmap(screen.Get(), 7, 5));
    {
        Tessel::Common::UniqueMemoryDc dc(CreateCompatibleDC(screen.Get()));
        Tessel::Common::ScopedSelectObject select(dc.Get(), source.Get());
        const RECT all{0, 0, 7, 5};
        FillRect(dc.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    TBitmap copy;
    ASSERT_TRUE(copy.Assign(source.Get()));
    EXPECT_EQ(copy.Width(), 7);
    EXPECT_EQ(copy.Height(), 5);
    EXPECT_EQ(copy.Pixel(6, 4), White);
    TBitmap empty;
    EXPECT_FALSE(empty.Assign(nullptr));
    EXPECT_FALSE(empty.LoadFromFile(L"C:\\no such folder\\Back.bmp"));
    EXPECT_TRUE(empty.Empty());
}

TEST(TCanvas, ClearBrushTextHasNoBackgroundAndSolidBrushFills) {
    PaintSurface surface(120, 40, RGB(0, 0, 255));
    {
        TCanvas canvas(surface.Dc());
        canvas.SetFontSize(16);
        canvas.SetFontColor(RGB(255, 255, 255));
        canvas.SetBrushStyle(TBrushStyle::bsClear);
        canvas.TextRect(RECT{0, 0, 120, 40}, L"WWWW", tfCenter | tfVerticalCenter | tfSingleLine);
    }
    int white = 0, blue = 0, other = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 120; ++x) {
            const auto p = surface.Pixel(x, y);
            (p == White ? white : p == Blue ? blue : other)++;
        }
    }
    EXPECT_GT(white, 20) << "the text is drawn";
    EXPECT_GT(blue, 120 * 40 / 2) << "around it the background stays";
    EXPECT_EQ(surface.Pixel(0, 0), Blue);

    TCanvas canvas(surface.Dc());
    canvas.SetBrushColor(RGB(255, 0, 0));
    canvas.FillRect(RECT{0, 0, 10, 10});
    EXPECT_EQ(surface.Pixel(9, 9), Red);
    EXPECT_EQ(surface.Pixel(10, 10), Blue);
}

TEST(TCanvas, RoundRectWithClearPenFillsOnlyTheRoundedShape) {
    PaintSurface surface(40, 40);
    {
        TCanvas canvas(surface.Dc());
        canvas.SetPenStyle(TPenStyle::psClear);
        canvas.SetBrushColor(RGB(255, 255, 255));
        canvas.RoundRect(10, 10, 30, 30, 5, 5);
    }
    EXPECT_EQ(surface.Pixel(20, 20), White);
    EXPECT_EQ(surface.Pixel(10, 10), Black) << "the corner is cut";
    EXPECT_EQ(surface.Pixel(30, 20), Black);
}

TEST(TCanvas, PutsBackWhatWasSelectedBefore) {
    PaintSurface surface(10, 10);
    const HGDIOBJ font = GetCurrentObject(surface.Dc(), OBJ_FONT);
    const HGDIOBJ brush = GetCurrentObject(surface.Dc(), OBJ_BRUSH);
    {
        TCanvas canvas(surface.Dc());
        canvas.SetFontSize(20);
        canvas.SetBrushColor(RGB(1, 2, 3));
        canvas.TextRect(RECT{0, 0, 10, 10}, L"x", 0);
        EXPECT_NE(GetCurrentObject(surface.Dc(), OBJ_FONT), font);
    }
    EXPECT_EQ(GetCurrentObject(surface.Dc(), OBJ_FONT), font);
    EXPECT_EQ(GetCurrentObject(surface.Dc(), OBJ_BRUSH), brush);
}

TEST(TAlphaImage, IconKeepsItsTransparencyWhenBlended) {
    // A 32 x 32 red icon whose mask leaves the left half transparent.
    TBitmap color(32, 32, RGB(255, 0, 0));
    std::vector<unsigned char> maskBits(32 * 4, 0);
    for (int y = 0; y < 32; ++y) {
        maskBits[y * 4] = 0xFF;     // columns 0..7 transparent
        maskBits[y * 4 + 1] = 0xFF; // columns 8..15 transparent
    }
    Tessel::Common::UniqueBitmap mask(CreateBitmap(32, 32, 1, 1, maskBits.data()));
    // The icon is made from an unselected copy: the bitmap itself stays selected in its own context.
    ICONINFO info{TRUE, 0, 0, mask.Get(), nullptr};
    Tessel::Common::UniqueBitmap colorCopy(static_cast<HBITMAP>(CopyImage(color.Handle(), IMAGE_BITMAP, 0, 0, 0)));
    info.hbmColor = colorCopy.Get();
    Tessel::Common::UniqueIcon icon(CreateIconIndirect(&info));
    ASSERT_TRUE(icon);

    TAlphaImage image;
    ASSERT_TRUE(image.AssignIcon(icon.Get(), 32, 32));
    PaintSurface surface(40, 40, RGB(0, 0, 255));
    image.Draw(surface.Dc(), 4, 4);
    EXPECT_EQ(surface.Pixel(4 + 3, 4 + 10), Blue) << "transparent half";
    EXPECT_EQ(surface.Pixel(4 + 20, 4 + 10), Red) << "opaque half";
    EXPECT_EQ(surface.Pixel(2, 2), Blue);
    EXPECT_FALSE(TAlphaImage().AssignIcon(nullptr, 32, 32));
}
