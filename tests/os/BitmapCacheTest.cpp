#include "os/BitmapCache.h"

#include "foundation/win32/UniqueHandle.h"

#include <gtest/gtest.h>

namespace {

SIZE SurfaceSize(HDC dc) {
    BITMAP info = {};
    GetObjectW(GetCurrentObject(dc, OBJ_BITMAP), sizeof(info), &info);
    return {info.bmWidth, info.bmHeight};
}

} // namespace

TEST(BitmapCache, MakesANewSurfaceOnlyWhenTheSizeGrowsBeyondTheSizeGivenLast) {
    Tessel::Common::ScopedWindowDc screen(nullptr);
    ASSERT_NE(screen.Get(), nullptr);
    BitmapCache cache;
    EXPECT_EQ(cache.GetSize().cx, 0);

    cache.SetSize(800, 600);
    const HDC first = cache.GetDrawingDC(screen.Get());
    ASSERT_NE(first, nullptr);
    const HGDIOBJ firstBitmap = GetCurrentObject(first, OBJ_BITMAP);
    EXPECT_EQ(SurfaceSize(first).cx, 800);
    EXPECT_EQ(SurfaceSize(first).cy, 600);
    EXPECT_EQ(cache.GetDrawingDC(screen.Get()), first) << "unchanged size, same surface";
    // A mark that survives only as long as this surface does.
    SetPixelV(first, 10, 10, RGB(255, 255, 255));

    cache.SetSize(400, 300);
    EXPECT_EQ(cache.GetSize().cx, 400);
    EXPECT_EQ(cache.GetSize().cy, 300);
    const HDC shrunk = cache.GetDrawingDC(screen.Get());
    EXPECT_EQ(shrunk, first);
    EXPECT_EQ(GetCurrentObject(shrunk, OBJ_BITMAP), firstBitmap);
    EXPECT_EQ(SurfaceSize(shrunk).cx, 800) << "the surface keeps the size it was made with";
    EXPECT_EQ(GetPixel(shrunk, 10, 10), RGB(255, 255, 255));

    // Back to a size the old surface could still hold: compared with 400 x 300, it grew.
    cache.SetSize(800, 600);
    const HDC regrown = cache.GetDrawingDC(screen.Get());
    ASSERT_NE(regrown, nullptr);
    EXPECT_EQ(SurfaceSize(regrown).cx, 800);
    EXPECT_NE(GetPixel(regrown, 10, 10), RGB(255, 255, 255)) << "a new surface was made";
}

TEST(BitmapCache, GrowthInOneDirectionIsEnoughAndTheNewSurfaceHasTheNewSize) {
    Tessel::Common::ScopedWindowDc screen(nullptr);
    struct Step {
        int width, height;
        SIZE surface;
    };
    const Step steps[] = {
        {800, 600, {800, 600}}, {400, 300, {800, 600}}, {600, 200, {600, 200}},
        {600, 250, {600, 250}}, {500, 250, {600, 250}}, {500, 250, {600, 250}},
    };
    BitmapCache cache;
    for (const Step& step : steps) {
        cache.SetSize(step.width, step.height);
        const SIZE surface = SurfaceSize(cache.GetDrawingDC(screen.Get()));
        EXPECT_EQ(surface.cx, step.surface.cx) << step.width << " x " << step.height;
        EXPECT_EQ(surface.cy, step.surface.cy) << step.width << " x " << step.height;
    }
}

TEST(BitmapCache, DeletesTheSurfaceItReplacesAndTheLastOneWhenDestroyed) {
    Tessel::Common::ScopedWindowDc screen(nullptr);
    HDC dcs[2] = {};
    HGDIOBJ bitmaps[2] = {};
    {
        BitmapCache cache;
        cache.SetSize(64, 64);
        dcs[0] = cache.GetDrawingDC(screen.Get());
        bitmaps[0] = GetCurrentObject(dcs[0], OBJ_BITMAP);
        cache.SetSize(128, 128);
        dcs[1] = cache.GetDrawingDC(screen.Get());
        bitmaps[1] = GetCurrentObject(dcs[1], OBJ_BITMAP);
        ASSERT_EQ(GetObjectType(dcs[1]), DWORD(OBJ_MEMDC));
        ASSERT_EQ(GetObjectType(bitmaps[1]), DWORD(OBJ_BITMAP));
        if (dcs[1] != dcs[0]) {
            EXPECT_EQ(GetObjectType(dcs[0]), 0u);
        }
        if (bitmaps[1] != bitmaps[0]) {
            EXPECT_EQ(GetObjectType(bitmaps[0]), 0u);
        }
    }
    EXPECT_EQ(GetObjectType(dcs[1]), 0u);
    EXPECT_EQ(GetObjectType(bitmaps[1]), 0u);
}
