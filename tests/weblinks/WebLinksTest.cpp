#include "weblinks/AdLinks.h"
#include "weblinks/AutoStartValue.h"
#include "weblinks/UpdateCheck.h"
#include "weblinks/WebAddresses.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <set>
#include <string>
#include <vector>

using ::testing::ElementsAre;

namespace {

std::vector<std::wstring> Numbered(std::size_t count) {
    std::vector<std::wstring> lines;
    for (std::size_t i = 0; i < count; ++i) {
        lines.push_back(L"Line=" + std::to_wstring(i));
    }
    return lines;
}

// The host of an http address: what lies between "//" and the next "/".
std::wstring HostOf(const std::wstring& url) {
    const std::size_t start = url.find(L"//");
    if (start == std::wstring::npos) {
        return {};
    }
    const std::size_t end = url.find(L'/', start + 2);
    return url.substr(start + 2, end == std::wstring::npos ? std::wstring::npos : end - start - 2);
}

bool EndsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

TEST(AdLinkList, GroupsOfThreeLinesGiveTextTooltipAndUrlByPosition) {
    const AdItems items =
        AdLinks::ParseAdItems({L"Text=Photo tools", L"Tooltip=Edit photos", L"Url=/{App}/More.php?id=image",
                               L"Caption=a=b", L"Hint", L"Address="});
    EXPECT_THAT(items, ElementsAre(AdItem{L"Photo tools", L"Edit photos", L"/{App}/More.php?id=image"},
                                   AdItem{L"a=b", L"", L""}))
        << "names are not compared, values start after the first '=', a line without '=' has no value";
}

TEST(AdLinkList, AnIncompleteLastGroupIsLeftOut) {
    const std::map<std::size_t, std::size_t> linksForLines{{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 1},
                                                           {5, 1}, {6, 2}, {7, 2}, {8, 2}, {9, 3}};
    for (const auto& [lines, links] : linksForLines) {
        const AdItems items = AdLinks::ParseAdItems(Numbered(lines));
        ASSERT_EQ(items.size(), links) << lines << " lines";
        if (links > 0) {
            EXPECT_EQ(items.back().Url, std::to_wstring(links * 3 - 1)) << lines << " lines";
        }
    }
}

TEST(AdLinkList, TheLastNameThatLoadsDecidesTheWholeList) {
    const std::map<std::wstring, std::vector<std::wstring>> resources{
        {L"LinkAd", Numbered(6)}, {L"LinkAd_xx_YY", Numbered(3)}, {L"LinkAd_zz", {}}};
    const auto load = [&](const std::wstring& name, std::vector<std::wstring>& lines) {
        const auto found = resources.find(name);
        if (found == resources.end()) {
            return false;
        }
        lines = found->second;
        return true;
    };
    struct Case {
        std::vector<std::wstring> names;
        std::size_t links;
        std::wstring decidedBy;
    } cases[] = {
        {{L"LinkAd", L"LinkAd_en", L"LinkAd_en_US"}, 2, L"LinkAd"},
        {{L"LinkAd", L"LinkAd_xx", L"LinkAd_xx_YY"}, 1, L"LinkAd_xx_YY"},
        {{L"LinkAd", L"LinkAd_zz", L"LinkAd_zz_ZZ"}, 0, L"LinkAd_zz"},
        {{L"Other", L"Other_en"}, 0, L""},
    };
    for (const Case& c : cases) {
        std::wstring decidedBy;
        EXPECT_EQ(AdLinks::LoadAdItems(c.names, load, &decidedBy).size(), c.links);
        EXPECT_EQ(decidedBy, c.decidedBy);
    }
}

TEST(AdLinkList, ThePlaceholderMatchesInAnyLetterCase) {
    const std::wstring expected = L"/Tilebay/More.php?id=tune";
    for (const wchar_t* url : {L"/{App}/More.php?id=tune", L"/{APP}/More.php?id=tune", L"/{aPp}/More.php?id=tune"}) {
        EXPECT_EQ(AdLinks::ReplaceIgnoringCase(url, L"{APP}", L"Tilebay"), expected);
    }
    EXPECT_EQ(AdLinks::ReplaceIgnoringCase(L"{app}{App}/{Ap}/{App", L"{APP}", L"T"), L"TT/{Ap}/{App");
    EXPECT_EQ(AdLinks::ReplaceIgnoringCase(L"", L"{APP}", L"T"), L"");
}

TEST(AdLinkList, ALinkOpensItsPageOnThePartnerSiteWithTheVersion) {
    const AdItem apps{L"Apps", L"Apps", L"/{App}/More.php?id=apps"};
    EXPECT_EQ(AdLinks::AdLinkUrl(apps, L"links.example", L"1.2.0.35"),
              L"http://www.links.example/Tilebay/More.php?id=apps&v=1.2.0.35");
}

TEST(AdLinkList, TheLinkOfTheDayIsStableForADateAndMovesOnByOneADay) {
    // 1 January 2010 is day 40179, and 40179 = 14 * 2869 + 13: the last of 14 links.
    EXPECT_EQ(AdLinks::LinkOfTheDay(40179, 14), 13u);
    EXPECT_EQ(AdLinks::LinkOfTheDay(40179, 14), 13u);
    EXPECT_EQ(AdLinks::LinkOfTheDay(40180, 14), 0u) << "wraps after the last";
    for (std::size_t count : {1u, 14u, 18u}) {
        for (int day = 45000; day < 45040; ++day) {
            EXPECT_EQ(AdLinks::LinkOfTheDay(day + 1, count), (AdLinks::LinkOfTheDay(day, count) + 1) % count);
        }
    }
    // A day before 1899 is still a link of the list.
    EXPECT_LT(AdLinks::LinkOfTheDay(-1, 18), 18u);
}

TEST(WebAddresses, EveryPageTheProgramOpensLiesUnderTheReservedExampleDomain) {
    const std::wstring host = AdLinks::PartnerHost();
    EXPECT_EQ(host, L"links.example");
    EXPECT_EQ(host.size(), WebAddresses::PartnerHostCodes.size());
    const std::vector<std::wstring> urls = {
        AdLinks::AdLinkUrl(AdItem{L"", L"", L"/{App}/More.php?id=apps"}, host, L"1.0.0.17"),
        UpdatePageUrl(L"1.0.0.17"),
        WebAddresses::MakerSite,
        WebAddresses::ProductPage,
    };
    for (const std::wstring& url : urls) {
        EXPECT_TRUE(EndsWith(HostOf(url), L".example")) << std::string(url.begin(), url.end());
    }
}

TEST(WebAddresses, ThePartnerHostIsNotKeptAsPlainText) {
    const std::wstring host = AdLinks::PartnerHost();
    for (std::size_t i = 0; i < host.size(); ++i) {
        EXPECT_NE(WebAddresses::PartnerHostCodes[i], static_cast<std::uint16_t>(host[i])) << i;
    }
}

TEST(UpdateCheck, TheUpdatePageNamesTheVersion) {
    EXPECT_EQ(UpdatePageUrl(L"1.2.0.35"), L"http://www.tilebay.example/Tilebay/CheckUpdate.php?v=1.2.0.35");
}

namespace {

struct UpdateRun {
    std::vector<int> tries;   // minutes whose tick made the try
    std::vector<int> prompts; // minutes at which the prompt showed
};

// Runs two hours of minute ticks. The panel is in view during [inViewFrom, inViewTo]; the clock
// moves on to the next day at minute nextDayAt.
UpdateRun RunTwoHours(int startDay, int firstRunDay, int inViewFrom, int inViewTo, int nextDayAt) {
    int minute = 0;
    UpdateCheck check([&] { return minute >= nextDayAt ? startDay + 1 : startDay; }, [&] { return firstRunDay; });
    UpdateRun run;
    for (minute = 1; minute <= 120; ++minute) {
        const bool outOfView = minute < inViewFrom || minute > inViewTo;
        if (check.MinuteTick(outOfView)) {
            run.tries.push_back(minute);
            if (check.IsPromptDay()) {
                run.prompts.push_back(minute);
            }
        }
    }
    return run;
}

} // namespace

TEST(UpdateCheck, PromptsOnceARunOnDay29Of30AtTheFirstMinuteOutOfViewFromTheEleventh) {
    const int today = 45000;
    const int never = 1000;
    struct Case {
        const char* what;
        int today;
        int firstRunDay;
        int inViewFrom, inViewTo, nextDayAt;
        std::vector<int> tries, prompts;
    } cases[] = {
        {"first run 28 days ago", today, today - 28, 0, 0, never, {11}, {}},
        {"first run 29 days ago", today, today - 29, 0, 0, never, {11}, {11}},
        {"first run 30 days ago", today, today - 30, 0, 0, never, {11}, {}},
        {"first run 59 days ago", today, today - 59, 0, 0, never, {11}, {11}},
        {"first run 29 days in the future", today, today + 29, 0, 0, never, {11}, {11}},
        {"first run 28 days in the future", today, today + 28, 0, 0, never, {11}, {}},
        // On the first run the settings report -1: the distance is today + 1.
        {"first run now, today + 1 = 29 mod 30", 40198, -1, 0, 0, never, {11}, {11}},
        {"first run now, today + 1 = 10 mod 30", 40179, -1, 0, 0, never, {11}, {}},
        {"panel in view at minute 11", today, today - 29, 11, 14, never, {15}, {15}},
        {"panel in view for the first hour", today, today - 29, 1, 60, never, {61}, {61}},
        {"panel in view over midnight", today, today - 28, 5, 40, 30, {41}, {41}},
        {"never out of view", today, today - 29, 1, 120, never, {}, {}},
        {"a first-run day far off", today, INT_MIN, 0, 0, never, {11}, {}},
        {"a first-run day far ahead", today, INT_MAX, 0, 0, never, {11}, {}},
    };
    for (const Case& c : cases) {
        const UpdateRun run = RunTwoHours(c.today, c.firstRunDay, c.inViewFrom, c.inViewTo, c.nextDayAt);
        EXPECT_EQ(run.tries, c.tries) << c.what;
        EXPECT_EQ(run.prompts, c.prompts) << c.what;
    }
}

TEST(UpdateCheck, DaysOfThePromptAreTheTwentyNinthOfEveryThirty) {
    std::set<int> promptDays;
    for (int d = -100; d <= 100; ++d) {
        if (UpdateCheck::IsPromptDay(45000 + d, 45000)) {
            promptDays.insert(d);
        }
    }
    EXPECT_EQ(promptDays, (std::set<int>{-89, -59, -29, 29, 59, 89}));
}

TEST(AutoStartValue, IsNamedAfterTheProgramFileAndHoldsItsQuotedPath) {
    struct Case {
        const wchar_t* path;
        const wchar_t* name;
    } cases[] = {
        {L"C:\\Program Files\\Tilebay\\Tilebay.exe", L"Tilebay"},
        {L"Z:\\work\\build\\Tilebay.EXE", L"Tilebay"},
        {L"C:\\my.tools\\Tile.bay.exe", L"Tile.bay"},
        {L"C:\\tools\\Tilebay", L"Tilebay"},
        {L"\\\\server\\share\\Tilebay.exe", L"Tilebay"},
        {L"C:Tilebay.exe", L"Tilebay"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AutoStartValue::NameFor(c.path), c.name);
        EXPECT_EQ(AutoStartValue::DataFor(c.path), std::wstring(L"\"") + c.path + L"\"");
    }
}
