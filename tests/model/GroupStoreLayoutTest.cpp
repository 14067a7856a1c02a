#include "model/GroupStoreLayout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Tessel::Common::IniDocument;

namespace {

using Numbers = std::vector<std::size_t>;

Numbers Range(std::size_t from, std::size_t to) {
    Numbers numbers;
    for (std::size_t n = from; n < to; ++n)
        numbers.push_back(n);
    return numbers;
}

Numbers Join(Numbers first, const Numbers& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

std::wstring GroupSections(const Numbers& numbers) {
    std::wstring text;
    for (std::size_t n : numbers)
        text += L"[Group-" + std::to_wstring(n) + L"]\r\nX=1\r\n";
    return text;
}

} // namespace

TEST(GroupStoreLayout, GroupsAreTheSectionsBelowTheCountAndABoundedNumberOfDefaultsInTheGaps) {
    const struct {
        const char* what;
        std::wstring sections;
        int count;
        std::size_t maxWithoutSection;
        Numbers expected;
    } cases[] = {
        {"sections with gaps, few defaults", GroupSections({0, 2}), 4, 1000, {0, 1, 2, 3}},
        {"sections at or beyond the count are not groups", GroupSections({0, 5, 3}), 3, 1000, {0, 1, 2}},
        {"no count, no groups", GroupSections({0, 1}), 0, 1000, {}},
        {"negative count", GroupSections({0, 1}), -7, 1000, {}},
        {"a huge count and one huge section number", GroupSections({999999999}), 2000000000, 1000,
         Join(Range(0, 1000), {999999999})},
        {"the defaults go to the first gaps; every section is kept, in order",
         GroupSections({0, 3, 10, 2000000, 2147483646}),
         2147483647,
         4,
         {0, 1, 2, 3, 4, 5, 10, 2000000, 2147483646}},
        {"no defaults at all", GroupSections({7, 4}), 100, 0, {4, 7}},
        {"only numbers as they are written name a section",
         L"[Group-01]\r\n[Group-+1]\r\n[Group-1x]\r\n[Group- 2]\r\n[Group-2147483648]\r\n[Group-99999999999]\r\n"
         L"[Group-0-Link-0]\r\n[Groups-3]\r\n[GROUP-4]\r\n",
         2147483647,
         0,
         {4}},
    };
    for (const auto& c : cases) {
        const GroupStoreLayout layout(IniDocument::Parse(c.sections));
        EXPECT_EQ(layout.Groups(c.count, c.maxWithoutSection), c.expected) << c.what;
    }
}

TEST(GroupStoreLayout, LinksAreTheGroupsShortcutSectionsBelowItsCount) {
    const GroupStoreLayout layout(IniDocument::Parse(L"[Group-0-Link-999999999]\r\n[Group-0-Link-2]\r\n"
                                                     L"[group-0-link-0]\r\n[Group-1-Link-5]\r\n[Group-0-Link-02]\r\n"
                                                     L"[Group-3-Link-]\r\n[Group-3-Link-x]\r\n"));
    EXPECT_EQ(layout.Links(0, 2000000000), (Numbers{0, 2, 999999999}));
    EXPECT_EQ(layout.Links(0, 2), (Numbers{0}));
    EXPECT_EQ(layout.Links(0, 0), Numbers{});
    EXPECT_EQ(layout.Links(0, -1), Numbers{});
    EXPECT_EQ(layout.Links(1, 6), (Numbers{5}));
    EXPECT_EQ(layout.Links(3, 100), Numbers{});
    EXPECT_EQ(layout.Links(4, 100), Numbers{});
}

// Loading reads each group and shortcut through the section the layout found, without naming it
// again: that must be the section a look-up by its name reads, the first of the name in any case.
TEST(GroupStoreLayout, SectionsFoundAreTheOnesReadByName) {
    const IniDocument store = IniDocument::Parse(L"[Group-0-Link-3]\r\nLnk=c\r\n"
                                                 L"[group-0]\r\nX=1\r\n[Group-0]\r\nX=2\r\n"
                                                 L"[GROUP-0-LINK-1]\r\nLnk=a\r\n[Group-0-Link-1]\r\nLnk=b\r\n"
                                                 L"[Group-2]\r\nX=3\r\n[Group-2-Link-0]\r\n");
    const GroupStoreLayout layout(store);
    for (const std::size_t group : {0, 1, 2}) {
        const std::wstring name = L"Group-" + std::to_wstring(group);
        EXPECT_EQ(layout.GroupSection(group), store.FindSectionId(name)) << group;
        EXPECT_EQ(store.ReadInteger(layout.GroupSection(group), L"X", -1), store.ReadInteger(name, L"X", -1)) << group;
        std::vector<std::wstring> read;
        for (const auto& [link, section] : layout.LinkSections(group, 100)) {
            EXPECT_EQ(section, store.FindSectionId(name + L"-Link-" + std::to_wstring(link))) << group << " " << link;
            read.push_back(store.ReadString(section, L"Lnk", L"-"));
        }
        const std::vector<std::vector<std::wstring>> expected = {{L"a", L"c"}, {}, {L"-"}};
        EXPECT_EQ(read, expected[group]) << group;
    }
    EXPECT_EQ(layout.GroupSection(1), IniDocument::NoSection);
    EXPECT_EQ(store.ReadInteger(layout.GroupSection(1), L"X", -1), -1);
    EXPECT_EQ(layout.LinkSections(0, 2).size(), 1u);
}

TEST(GroupStoreLayout, OnlyPlainNamesThatAreNeitherDevicesNorTheStoreNameShortcutFiles) {
    const std::vector<const wchar_t*> accepted = {L"zzz1F.lnk",
                                                  L"a",
                                                  L"Notepad.lnk",
                                                  L"CON1.lnk",
                                                  L"COMA.lnk",
                                                  L"nul_.lnk",
                                                  L"xNUL",
                                                  L"LPT10.lnk",
                                                  L" a.lnk",
                                                  L"a..lnk",
                                                  L"groups.txt2",
                                                  L"my groups.txt",
                                                  L"\u00e9t\u00e9.lnk",
                                                  L"auxiliary.lnk"};
    const std::vector<const wchar_t*> notPlain = {L"",       L".",         L"..",        L"a.lnk.",  L"a.lnk ",
                                                  L"a.",     L"..\\a.lnk", L"sub/a.lnk", L"C:a.lnk", L"a.lnk:stream",
                                                  L"a*.lnk", L"a?.lnk",    L"a\"b",      L"a<b",     L"a>b",
                                                  L"a|b",    L"a\tb"};
    const std::vector<const wchar_t*> devices = {
        L"NUL",           L"nul",       L"Nul.lnk",  L"CON",    L"con.txt.lnk", L"PRN",
        L"AUX.lnk",       L"COM1",      L"com9.lnk", L"COM0",   L"LPT1",        L"lpt9.lnk",
        L"COM\u00b9.lnk", L"LPT\u00b3", L"NUL .lnk", L"CONIN$", L"conout$.lnk"};
    const std::vector<const wchar_t*> storeNames = {L"groups.txt",
                                                    L"GROUPS.TXT",
                                                    L"groups.txt.bak",
                                                    L"groups.txt.tmp",
                                                    L"groups.txt.bak.tmp",
                                                    L"Groups.txt.unreadable",
                                                    L"groups.txt.unreadable12"};
    for (const wchar_t* name : accepted)
        EXPECT_TRUE(IsShortcutFileName(name)) << name;
    for (const auto& refused : {notPlain, devices, storeNames}) {
        for (const wchar_t* name : refused)
            EXPECT_FALSE(IsShortcutFileName(name)) << name;
    }
}
