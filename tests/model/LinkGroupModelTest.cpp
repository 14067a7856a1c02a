#include "support/LogCapture.h"

#include "model/LinkGroupModel.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A group whose shortcuts are named by one letter each, counting its change notifications.
struct CountedGroup {
    LinkGroupModel group;
    int linksChanged = 0;

    explicit CountedGroup(const std::wstring& names) {
        for (wchar_t name : names)
            group.AppendLink(std::wstring(1, name), L"C:\\Data\\" + std::wstring(1, name));
        group.OnLinksChanged = [this] { ++linksChanged; };
    }

    std::wstring Order() const {
        std::wstring order;
        for (const auto& link : group.GetLinks())
            order += link->FileName();
        return order;
    }
};

} // namespace

TEST(LinkGroupModel, MoveLinkTakesAnInsertionPositionCountedBeforeTheMove) {
    const struct {
        int from;
        int to;
        const wchar_t* expected;
    } cases[] = {
        {3, 4, L"abcde"}, {3, 3, L"abcde"}, {0, 100, L"bcdea"}, {0, 5, L"bcdea"}, {0, -1, L"bcdea"},
        {4, 0, L"eabcd"}, {1, 3, L"acbde"}, {3, 1, L"adbce"},   {2, 0, L"cabde"}, {4, 5, L"abcde"},
    };
    for (const auto& c : cases) {
        CountedGroup counted(L"abcde");
        counted.group.MoveLink(c.from, c.to);
        EXPECT_EQ(counted.Order(), c.expected) << "MoveLink(" << c.from << ", " << c.to << ")";
        const int expectedChanges = std::wstring(c.expected) == L"abcde" ? 0 : 1;
        EXPECT_EQ(counted.linksChanged, expectedChanges)
            << "raised only when the order changed: MoveLink(" << c.from << ", " << c.to << ")";
    }
}

TEST(LinkGroupModel, InsertLinkPlacesAtTheIndexAndAppendsForIndicesOutOfRange) {
    const struct {
        int index;
        const wchar_t* expected;
    } cases[] = {{0, L"xab"}, {1, L"axb"}, {2, L"abx"}, {3, L"abx"}, {100, L"abx"}, {-1, L"abx"}};
    for (const auto& c : cases) {
        CountedGroup counted(L"ab");
        LinkItemModel* inserted = counted.group.InsertLink(L"x", L"C:\\Data\\x", c.index);
        EXPECT_EQ(counted.Order(), c.expected) << "InsertLink at " << c.index;
        EXPECT_EQ(counted.linksChanged, 1);
        EXPECT_EQ(inserted->Path(), L"C:\\Data\\x");
        EXPECT_TRUE(inserted->IsShowingToolTip());
        EXPECT_TRUE(inserted->DisplayName().empty());
    }
}

TEST(LinkGroupModel, DeleteLinkRemovesOneShortcut) {
    const struct {
        int index;
        const wchar_t* expected;
    } cases[] = {{0, L"bc"}, {1, L"ac"}, {2, L"ab"}};
    for (const auto& c : cases) {
        CountedGroup counted(L"abc");
        counted.group.DeleteLink(c.index);
        EXPECT_EQ(counted.Order(), c.expected);
        EXPECT_EQ(counted.linksChanged, 1);
    }
}

TEST(LinkGroupModel, IndicesThatNameNoShortcutChangeNothingAndAreLogged) {
    TestSupport::LogCapture log;
    CountedGroup counted(L"abc");
    counted.group.MoveLink(3, 0);
    counted.group.MoveLink(-1, 0);
    counted.group.DeleteLink(3);
    counted.group.DeleteLink(-1);
    EXPECT_EQ(counted.Order(), L"abc");
    EXPECT_EQ(counted.linksChanged, 0);
    EXPECT_EQ(log.Lines().size(), 4u) << log.Text();
}

TEST(LinkGroupModel, EverySettingsSetterRaisesOnChangedAfterStoringANewValueOnly) {
    LinkGroupModel group;
    LinkGroupSettings& settings = group.GetSettings();
    EXPECT_EQ(settings.X(), 0);
    EXPECT_EQ(settings.Y(), 0);
    EXPECT_EQ(settings.Column(), 5);
    EXPECT_TRUE(settings.IsLargeIcon());
    EXPECT_FALSE(settings.IsTitleVisible());
    EXPECT_EQ(settings.BackgroundIndex(), 0);

    // Nothing is bound yet: setting is silent.
    settings.SetX(1);

    std::vector<std::wstring> seen;
    settings.OnChanged = [&] {
        seen.push_back(std::to_wstring(settings.X()) + L"," + std::to_wstring(settings.Y()) + L"," +
                       std::to_wstring(settings.Column()) + L"," + std::to_wstring(settings.IsLargeIcon()) + L"," +
                       std::to_wstring(settings.IsTitleVisible()) + L"," + std::to_wstring(settings.BackgroundIndex()));
    };
    const auto setAll = [&] {
        settings.SetX(10);
        settings.SetY(20);
        settings.SetColumn(3);
        settings.SetIsLargeIcon(false);
        settings.SetIsTitleVisible(true);
        settings.SetBackgroundIndex(6);
    };
    setAll();
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"10,0,5,1,0,0", L"10,20,5,1,0,0", L"10,20,3,1,0,0", L"10,20,3,0,0,0",
                                               L"10,20,3,0,1,0", L"10,20,3,0,1,6"}));

    // Setting what a field holds (a layout at the stored place) changes nothing.
    seen.clear();
    setAll();
    EXPECT_TRUE(seen.empty());
}
