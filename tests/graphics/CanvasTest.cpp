#include "support/LogCapture.h"
#include "support/PaintSurface.h"
#include "support/TempFolder.h"

#include "graphics/Canvas.h"
#include "graphics/Graphic.h"

#include <gtest/gtest.h>

#include <string>
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

namespace {

void PutLittleEndian(std::string& bytes, std::size_t at, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
    }
}

// A 24-bit bitmap file with a Windows info header (or, for core, an OS/2 core header); the rows
// are there only when withPixels is set, each pixel red.
std::string BitmapFile(std::int32_t width, std::int32_t height, bool withPixels, bool core = false) {
    const std::uint32_t infoSize = core ? 12 : 40;
    const std::size_t rowSize = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    const std::size_t rows = static_cast<std::size_t>(height < 0 ? -height : height);
    std::string bytes(14 + infoSize, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    PutLittleEndian(bytes, 10, 14 + infoSize, 4);
    PutLittleEndian(bytes, 14, infoSize, 4);
    if (core) {
        PutLittleEndian(bytes, 18, static_cast<std::uint32_t>(width), 2);
        PutLittleEndian(bytes, 20, static_cast<std::uint32_t>(height), 2);
        PutLittleEndian(bytes, 22, 1, 2);
        PutLittleEndian(bytes, 24, 24, 2);
    } else {
        PutLittleEndian(bytes, 18, static_cast<std::uint32_t>(width), 4);
        PutLittleEndian(bytes, 22, static_cast<std::uint32_t>(height), 4);
        PutLittleEndian(bytes, 26, 1, 2);
        PutLittleEndian(bytes, 28, 24, 2);
    }
    if (withPixels) {
        std::string row(rowSize, '\0');
        for (int x = 0; x < width; ++x) {
            row[x * 3 + 2] = static_cast<char>(0xFF);
        }
        for (std::size_t y = 0; y < rows; ++y) {
            bytes += row;
        }
    }
    PutLittleEndian(bytes, 2, static_cast<std::uint32_t>(bytes.size()), 4);
    return bytes;
}

} // namespace

TEST(TBitmap, LoadsBitmapFilesWithinTheSizeBoundAndRefusesOthersBeforeReadingThem) {
    struct Case {
        const char* what;
        std::string bytes;
        int width; // 0: refused
        int height;
        const wchar_t* logged;
        // Wine's loader gives black rows for top-down files; there only the size is checked.
        bool checkPixels = true;
    };
    const Case cases[] = {
        {"small, bottom-up", BitmapFile(3, 2, true), 3, 2, nullptr},
        {"small, top-down", BitmapFile(3, -2, true), 3, 2, nullptr, false},
        {"core header", BitmapFile(2, 2, true, true), 2, 2, nullptr},
        {"widest allowed", BitmapFile(TBitmap::MaxFileSide, 1, true), TBitmap::MaxFileSide, 1, nullptr},
        {"too wide", BitmapFile(TBitmap::MaxFileSide + 1, 1, true), 0, 0, L"16385 x 1 pixels refused"},
        {"30000 x 30000", BitmapFile(30000, 30000, false), 0, 0, L"30000 x 30000 pixels refused"},
        {"too tall, top-down", BitmapFile(1, -30000, false), 0, 0, L"1 x 30000 pixels refused"},
        {"too many pixels", BitmapFile(8000, 6000, false), 0, 0, L"8000 x 6000 pixels refused"},
        {"core header at most", BitmapFile(65535, 65535, false, true), 0, 0, L"65535 x 65535 pixels refused"},
        {"no pixels", BitmapFile(0, 5, false), 0, 0, L"0 x 5 pixels refused"},
        {"not a bitmap", std::string("GIF89a not a bitmap at all, not at all"), 0, 0, L"Not a bitmap file"},
        {"cut short", BitmapFile(3, 2, true).substr(0, 20), 0, 0, L"Not a bitmap file"},
    };
    TestSupport::TempFolder folder;
    const std::wstring path = folder / L"Back.bmp";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestSupport::WriteFileBytes(path, c.bytes);
        TestSupport::LogCapture log;
        TBitmap picture(1, 1, RGB(0, 255, 0));
        const bool loaded = picture.LoadFromFile(path);
        EXPECT_EQ(loaded, c.width > 0);
        if (loaded) {
            EXPECT_EQ(picture.Width(), c.width);
            EXPECT_EQ(picture.Height(), c.height);
            if (c.checkPixels) {
                EXPECT_EQ(picture.Pixel(c.width - 1, c.height - 1), Red);
            }
        } else {
            EXPECT_EQ(picture.Width(), 1) << "a refused file leaves the bitmap as it was";
            EXPECT_EQ(picture.Pixel(0, 0), 0x00FF00u);
            EXPECT_NE(log.Text().find(c.logged), std::wstring::npos) << log.Text();
        }
    }
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
