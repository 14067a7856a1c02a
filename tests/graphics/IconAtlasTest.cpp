#include "support/PaintSurface.h"

#include "graphics/IconAtlas.h"

#include <gtest/gtest.h>

#include <vector>

using TestSupport::PaintSurface;

namespace {

// A size x size icon of one opaque colour whose left half is transparent.
std::vector<std::uint32_t> HalfIcon(int size, std::uint32_t opaque) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size) * size, 0u);
    for (int y = 0; y < size; ++y) {
        for (int x = size / 2; x < size; ++x) {
            pixels[static_cast<std::size_t>(y) * size + x] = 0xFF000000u | opaque;
        }
    }
    return pixels;
}

std::vector<std::uint32_t> Solid(int size, std::uint32_t pixel) {
    return std::vector<std::uint32_t>(static_cast<std::size_t>(size) * size, pixel);
}

} // namespace

TEST(IconAtlas, DrawsEachIconWithItsTransparencyAtItsPlace) {
    IconAtlas atlas(32);
    const IconAtlas::Ref red = atlas.Add(HalfIcon(32, 0xFF0000));
    const IconAtlas::Ref green = atlas.Add(Solid(32, 0xFF00FF00));
    // Half-transparent white, premultiplied.
    const IconAtlas::Ref faint = atlas.Add(Solid(32, 0x80808080));
    ASSERT_TRUE(red && green && faint);

    PaintSurface surface(120, 40, RGB(0, 0, 255));
    red.Draw(surface.Dc(), 2, 4);
    green.Draw(surface.Dc(), 40, 4);
    faint.Draw(surface.Dc(), 80, 4);
    EXPECT_EQ(surface.Pixel(2 + 5, 4 + 5), 0x0000FFu) << "the transparent half shows what is below";
    EXPECT_EQ(surface.Pixel(2 + 20, 4 + 5), 0xFF0000u);
    EXPECT_EQ(surface.Pixel(2 + 31, 4 + 31), 0xFF0000u);
    EXPECT_EQ(surface.Pixel(2 + 32, 4 + 5), 0x0000FFu) << "nothing beyond the icon";
    EXPECT_EQ(surface.Pixel(40 + 1, 4 + 1), 0x00FF00u) << "not a neighbour's pixels";
    EXPECT_EQ(surface.Pixel(80 + 10, 4 + 10), 0x8080FFu);
    EXPECT_EQ(green.Pixels(), Solid(32, 0xFF00FF00));

    IconAtlas::Ref none;
    none.Draw(surface.Dc(), 0, 0);
    EXPECT_TRUE(none.Pixels().empty());
    EXPECT_TRUE(atlas.Add(Solid(31, 0)).Empty()) << "pixels of another size";
}

TEST(IconAtlas, SamePixelsShareOneIconAndFreedPlacesAreReused) {
    IconAtlas atlas(16);
    {
        const IconAtlas::Ref first = atlas.Add(Solid(16, 0xFF112233));
        IconAtlas::Ref copy = first;
        const IconAtlas::Ref again = atlas.Add(Solid(16, 0xFF112233));
        EXPECT_EQ(again, first);
        EXPECT_EQ(atlas.IconCount(), 1);
        const IconAtlas::Ref other = atlas.Add(Solid(16, 0xFF445566));
        EXPECT_EQ(atlas.IconCount(), 2);
        copy = IconAtlas::Ref();
        EXPECT_EQ(atlas.IconCount(), 2) << "still held by two";
    }
    EXPECT_EQ(atlas.IconCount(), 0);

    // Thousands of distinct icons live in a handful of pages, and places freed are taken again.
    std::vector<IconAtlas::Ref> held;
    for (std::uint32_t i = 0; i < 3 * IconAtlas::SlotsPerPage; ++i) {
        held.push_back(atlas.Add(Solid(16, 0xFF000000u | i)));
    }
    EXPECT_EQ(atlas.IconCount(), 3 * IconAtlas::SlotsPerPage);
    EXPECT_EQ(atlas.PageCount(), 3);
    held.erase(held.begin(), held.begin() + 10);
    for (std::uint32_t i = 0; i < 10; ++i) {
        held.push_back(atlas.Add(Solid(16, 0xFF800000u | i)));
    }
    EXPECT_EQ(atlas.PageCount(), 3);
    EXPECT_EQ(held.back().Pixels(), Solid(16, 0xFF800009u)) << "a reused place holds the new pixels";
    EXPECT_EQ(held.front().Pixels(), Solid(16, 0xFF00000Au));
}

TEST(IconAtlas, IconHandleForAnApiDrawsTheSamePicture) {
    IconAtlas atlas(32);
    const IconAtlas::Ref red = atlas.Add(HalfIcon(32, 0xFF0000));
    const Tessel::Common::UniqueIcon icon = red.MakeIconHandle();
    ASSERT_TRUE(icon);
    PaintSurface surface(40, 40, RGB(0, 0, 255));
    ASSERT_TRUE(DrawIconEx(surface.Dc(), 4, 4, icon.Get(), 32, 32, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(surface.Pixel(4 + 3, 4 + 10), 0x0000FFu);
    EXPECT_EQ(surface.Pixel(4 + 20, 4 + 10), 0xFF0000u);
    EXPECT_FALSE(IconAtlas::Ref().MakeIconHandle());
}
