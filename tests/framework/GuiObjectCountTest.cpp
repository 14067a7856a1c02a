#include "framework/GuiObjectCount.h"

#include "foundation/win32/UniqueHandle.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

using Tessel::Common::UniqueBitmap;
using Tessel::Common::UniqueIcon;

namespace {

struct WindowDeleter {
    void operator()(HWND window) const { DestroyWindow(window); }
};
struct MenuDeleter {
    void operator()(HMENU menu) const { DestroyMenu(menu); }
};

} // namespace

// Objects made and ended here show in the counts one for one, and only in their own kind.
TEST(CountGuiObjects, FollowsTheObjectsTheProcessMakesAndEnds) {
    // The system keeps helper windows (an input method window) while a thread has windows: one
    // window stays for the whole test so that they do too.
    std::unique_ptr<HWND__, WindowDeleter> first(
        CreateWindowExW(0, L"STATIC", L"first", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
    const GuiObjectCounts start = CountGuiObjects();
    EXPECT_GT(start.gdi, 0u) << "a process that draws holds stock objects at least";

    {
        std::vector<UniqueBitmap> bitmaps;
        for (int i = 0; i < 40; ++i) {
            bitmaps.emplace_back(CreateBitmap(8, 8, 1, 32, nullptr));
            ASSERT_TRUE(bitmaps.back());
        }
        const GuiObjectCounts withBitmaps = CountGuiObjects();
        EXPECT_EQ(withBitmaps.gdi, start.gdi + 40);
        EXPECT_EQ(withBitmaps.user, start.user);
    }
    EXPECT_EQ(CountGuiObjects().gdi, start.gdi) << "ended bitmaps are no longer counted";

    {
        std::unique_ptr<HWND__, WindowDeleter> parent(
            CreateWindowExW(0, L"STATIC", L"count", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
        ASSERT_TRUE(parent);
        HWND child =
            CreateWindowExW(0, L"STATIC", L"child", WS_CHILD, 0, 0, 5, 5, parent.get(), nullptr, nullptr, nullptr);
        ASSERT_NE(child, nullptr);
        std::unique_ptr<HMENU__, MenuDeleter> menu(CreatePopupMenu());
        std::unique_ptr<HMENU__, MenuDeleter> bar(CreateMenu());
        ASSERT_TRUE(menu && bar);
        EXPECT_EQ(CountGuiObjects().user, start.user + 4) << "two windows and two menus";

        const BYTE and_[32 * 4] = {};
        const BYTE xor_[32 * 4] = {};
        std::vector<UniqueIcon> icons;
        for (int i = 0; i < 3; ++i) {
            icons.emplace_back(CreateIcon(nullptr, 32, 32, 1, 1, and_, xor_));
            ASSERT_TRUE(icons.back());
        }
        EXPECT_EQ(CountGuiObjects().user, start.user + 7) << "and three icons";
    }
    EXPECT_EQ(CountGuiObjects().user, start.user) << "ended windows, menus and icons are no longer counted";
}
