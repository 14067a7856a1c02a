#include "settings/ConfigItems.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

using Tessel::Common::ConfigItem;
using Tessel::Common::IConfigItem;

TEST(ConfigItems, ListsTheSixItemsInOrderWithTheirPlacesNamesAndDefaults) {
    struct Expected {
        const wchar_t* section;
        const wchar_t* key;
        const wchar_t* name;
        const wchar_t* text;
    };
    const Expected expected[] = {
        {L"StartButtonForm", L"Color", L"FloatingButtonColor", L"65535"},
        {L"StartButtonForm", L"PosX", L"FloatingButtonPositionX", L"100"},
        {L"StartButtonForm", L"PosY", L"FloatingButtonPositionY", L"0"},
        {L"StartButtonForm", L"Side", L"FloatingButtonSide", L"1"},
        {L"StartButtonForm", L"VisibleHeight", L"FloatingButtonVisibleHeight", L"5"},
        {L"MainForm", L"LastBackgroundImageIndex", L"LastBackgroundImageIndex", L"0"},
        {L"Hotkey", L"Keys", L"Hotkey", L"1568"},
    };
    ConfigItems items;
    const auto& list = items.GetItems();
    ASSERT_EQ(list.size(), std::size(expected));
    for (std::size_t i = 0; i < list.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(list[i]->GetSection(), expected[i].section);
        EXPECT_EQ(list[i]->GetKey(), expected[i].key);
        EXPECT_EQ(list[i]->GetName(), expected[i].name);
        EXPECT_EQ(list[i]->ToString(), expected[i].text);
    }
    const IConfigItem* members[] = {&items.FloatingButtonColor,         &items.FloatingButtonPositionX,
                                    &items.FloatingButtonPositionY,     &items.FloatingButtonSide,
                                    &items.FloatingButtonVisibleHeight, &items.LastBackgroundImageIndex,
                                    &items.Hotkey};
    for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i], members[i]) << "the list points at the members themselves";
    }
}

TEST(ConfigItems, FormatIntWritesPlainDecimal) {
    ConfigItems items;
    const std::pair<int, const wchar_t*> cases[] = {
        {65535, L"65535"}, {-3, L"-3"}, {0, L"0"}, {INT_MAX, L"2147483647"}, {INT_MIN, L"-2147483648"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(items.FormatInt(value), text);
    }
}

TEST(ConfigItems, ParseIntReadsLikeAWideInputStream) {
    struct Case {
        const wchar_t* text;
        bool ok;
        int value; // when ok
    };
    const Case cases[] = {
        {L"42", true, 42},
        {L" 42", true, 42},
        {L"\t 7", true, 7},
        {L"-7", true, -7},
        {L"+5", true, 5},
        {L"12abc", true, 12},
        {L"12 34", true, 12},
        {L"3.9", true, 3},
        {L"007", true, 7},
        {L"2147483647", true, INT_MAX},
        {L"-2147483648", true, INT_MIN},
        {L"", false, 0},
        {L"   ", false, 0},
        {L"abc", false, 0},
        {L"-", false, 0},
        {L"- 4", false, 0},
        {L"2147483648", false, 0},
        {L"-2147483649", false, 0},
        {L"99999999999999999999", false, 0},
    };
    ConfigItems items;
    for (const Case& c : cases) {
        int value = 1234;
        EXPECT_EQ(items.ParseInt(c.text, value), c.ok)
            << "text '" << std::string(c.text, c.text + wcslen(c.text)) << "'";
        EXPECT_EQ(value, c.ok ? c.value : 1234) << "text '" << std::string(c.text, c.text + wcslen(c.text)) << "'";
    }
}

TEST(ConfigItems, ItemsTakeTextThroughTheirParserAndKeepTheirValueOnFailure) {
    ConfigItems items;
    IConfigItem& side = *items.GetItems()[3];
    EXPECT_TRUE(side.FromString(L" -12px"));
    EXPECT_EQ(items.FloatingButtonSide.value, -12);
    EXPECT_EQ(side.ToString(), L"-12");
    EXPECT_FALSE(side.FromString(L"left"));
    EXPECT_FALSE(side.FromString(L"4294967296"));
    EXPECT_EQ(items.FloatingButtonSide.value, -12);

    items.LastBackgroundImageIndex.value = 17;
    EXPECT_EQ(items.GetItems()[5]->ToString(), L"17");
}

TEST(ConfigItem, WithoutFormatterOrParserHasNoTextAndKeepsItsValue) {
    ConfigItem<int> item(L"S", L"K", L"Name", 9);
    EXPECT_EQ(item.ToString(), L"");
    EXPECT_FALSE(item.FromString(L"3"));
    EXPECT_EQ(item.value, 9);
}
