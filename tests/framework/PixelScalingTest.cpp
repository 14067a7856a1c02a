#include "framework/PixelScaling.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {
constexpr std::uint32_t OpaqueWhite = 0xFFFFFFFF;
constexpr std::uint32_t OpaqueRed = 0xFFFF0000;
constexpr std::uint32_t Clear = 0;
} // namespace

TEST(ResamplePremultiplied, AveragesTheAreaEachTargetPixelCovers) {
    struct Case {
        std::vector<std::uint32_t> source;
        int sourceWidth, sourceHeight, width, height;
        std::vector<std::uint32_t> expected;
    };
    const Case cases[] = {
        // The same size gives the same pixels.
        {{OpaqueRed, Clear, 0x80404040, OpaqueWhite}, 2, 2, 2, 2, {OpaqueRed, Clear, 0x80404040, OpaqueWhite}},
        // A quarter covered shrinks to a quarter opacity, in premultiplied colour.
        {{OpaqueWhite, Clear, Clear, Clear}, 2, 2, 1, 1, {0x40404040}},
        // Three into two: the middle source pixel is shared half and half.
        {{OpaqueWhite, Clear, Clear}, 3, 1, 2, 1, {0xAAAAAAAA, Clear}},
        {{Clear, OpaqueWhite, Clear}, 3, 1, 2, 1, {0x55555555, 0x55555555}},
        // Enlarging repeats the pixels.
        {{OpaqueRed, OpaqueWhite},
         2,
         1,
         4,
         2,
         {OpaqueRed, OpaqueRed, OpaqueWhite, OpaqueWhite, OpaqueRed, OpaqueRed, OpaqueWhite, OpaqueWhite}},
        {{0x80800000}, 1, 1, 3, 1, {0x80800000, 0x80800000, 0x80800000}},
    };
    for (const Case& c : cases) {
        EXPECT_THAT(ResamplePremultiplied(c.source.data(), c.sourceWidth, c.sourceHeight, c.width, c.height),
                    ElementsAreArray(c.expected));
    }
}

TEST(ResamplePremultiplied, AThinLineSurvivesShrinking) {
    // One opaque column in eight, shrunk to a quarter: a faint line, not nothing.
    std::vector<std::uint32_t> source(8 * 8, Clear);
    for (int y = 0; y < 8; ++y) {
        source[static_cast<std::size_t>(y) * 8 + 5] = OpaqueWhite;
    }
    EXPECT_THAT(ResamplePremultiplied(source.data(), 8, 8, 2, 2), ElementsAre(Clear, 0x40404040, Clear, 0x40404040));
}

TEST(ResamplePremultiplied, EmptySourceOrTargetIsHandled) {
    const std::uint32_t one = OpaqueRed;
    EXPECT_THAT(ResamplePremultiplied(nullptr, 0, 0, 2, 1), ElementsAre(Clear, Clear));
    EXPECT_THAT(ResamplePremultiplied(&one, 1, 0, 1, 1), ElementsAre(Clear));
    EXPECT_TRUE(ResamplePremultiplied(&one, 1, 1, 0, 5).empty());
    EXPECT_TRUE(ResamplePremultiplied(&one, 1, 1, -3, 5).empty());
    // A picture far larger than its target.
    std::vector<std::uint32_t> wide(5000, OpaqueRed);
    EXPECT_THAT(ResamplePremultiplied(wide.data(), 5000, 1, 3, 1), ElementsAre(OpaqueRed, OpaqueRed, OpaqueRed));
}

TEST(FadePremultiplied, TurnsColourToGreyAndScalesTheOpacity) {
    std::vector<std::uint32_t> pixels{OpaqueWhite, OpaqueRed, Clear};
    FadePremultiplied(pixels, 128);
    const std::uint32_t redGrey = 0x26; // 0.299 x 255 x 128 / 255, rounded
    EXPECT_THAT(pixels, ElementsAre(0x80808080, 0x80000000 | redGrey << 16 | redGrey << 8 | redGrey, Clear));
}

TEST(RoundedRectPixels, FillsTheInsideEdgesTheBorderAndSoftensTheCorners) {
    const int w = 20, h = 12;
    const auto pixels = RoundedRectPixels(w, h, 4.0, 0x80FFFFFF, 0xFF000000);
    ASSERT_EQ(pixels.size(), static_cast<std::size_t>(w * h));
    const auto at = [&](int x, int y) { return pixels[static_cast<std::size_t>(y * w + x)]; };
    EXPECT_EQ(at(10, 6), 0x80808080u) << "half-transparent white, premultiplied";
    EXPECT_EQ(at(10, 0), 0xFF000000u) << "the border along the top edge";
    EXPECT_EQ(at(0, 6), 0xFF000000u) << "and the left edge";
    EXPECT_EQ(at(0, 0), Clear) << "outside the rounded corner";
    EXPECT_EQ(at(w - 1, h - 1), Clear);
    int partial = 0;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            const std::uint32_t alpha = at(x, y) >> 24;
            partial += alpha > 0 && alpha < 0x80;
        }
    }
    EXPECT_GT(partial, 1) << "the corner's edge is antialiased";
    EXPECT_TRUE(RoundedRectPixels(0, 5, 4.0, OpaqueWhite, OpaqueWhite).empty());
}
