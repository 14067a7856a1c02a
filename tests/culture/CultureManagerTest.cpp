#include "culture/CultureManager.h"
#include "culture/TextLines.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(CultureManager, TriesTheBaseNameThenTheLanguageThenTheCulture) {
    struct Case {
        CultureLocale locale;
        const wchar_t* culture;
        std::vector<std::wstring> names;
    };
    const Case cases[] = {
        {{L"zh", L"CN"}, L"zh_CN", {L"CultureText", L"CultureText_zh", L"CultureText_zh_CN"}},
        {{L"en", L"US"}, L"en_US", {L"CultureText", L"CultureText_en", L"CultureText_en_US"}},
        {{L"zh", L"TW"}, L"zh_TW", {L"CultureText", L"CultureText_zh", L"CultureText_zh_TW"}},
    };
    for (const Case& c : cases) {
        CultureManager manager(c.locale);
        EXPECT_EQ(manager.GetLanguage(), c.locale.language);
        EXPECT_EQ(manager.GetCountry(), c.locale.country);
        EXPECT_EQ(manager.GetCulture(), c.culture);
        std::vector<std::wstring> names{L"kept"};
        manager.GetResourceNames(L"CultureText", names);
        ASSERT_EQ(names.size(), 4u) << "names are appended";
        EXPECT_EQ(names[0], L"kept");
        EXPECT_EQ(std::vector<std::wstring>(names.begin() + 1, names.end()), c.names);
    }
}

TEST(CultureManager, SplitsLinesAtTheFirstEqualsSignAndKeepsBothSidesVerbatim) {
    CultureManager manager({L"en", L"US"});
    manager.SetTexts({L"a=b=c", L" Spaced = both sides ", L"Empty=", L"no equals sign", L"", L"Key=upper"});
    EXPECT_EQ(manager.GetText(L"a"), L"b=c");
    EXPECT_EQ(manager.GetText(L" Spaced "), L" both sides ");
    EXPECT_EQ(manager.GetText(L"Empty"), L"");
    EXPECT_EQ(manager.GetText(L"Key"), L"upper");
    EXPECT_EQ(manager.GetText(L"key"), L"") << "keys keep their letter case";
    EXPECT_EQ(manager.GetText(L"no equals sign"), L"");
}

TEST(CultureManager, LaterTextsReplaceEarlierOnesKeyByKey) {
    CultureManager manager({L"zh", L"CN"});
    manager.SetTexts({L"Common_Ok=&OK", L"Common_Cancel=&Cancel"});
    manager.SetTexts({L"Common_Ok=确定"});
    EXPECT_EQ(manager.GetText(L"Common_Ok"), L"确定");
    EXPECT_EQ(manager.GetText(std::wstring(L"Common_Cancel")), L"&Cancel");
    manager.SetText(L"Common_Cancel", L"取消");
    EXPECT_EQ(manager.GetText(L"Common_Cancel"), L"取消");
}

TEST(CultureManager, KeyWithoutTextGivesAnEmptyTextEveryTime) {
    CultureManager manager({L"en", L"US"});
    ICultureManager& texts = manager;
    EXPECT_EQ(texts.GetText(L"Nowhere_Key"), L"");
    EXPECT_EQ(texts.GetText(std::wstring(L"Nowhere_Key")), L"");
    EXPECT_EQ(texts.GetText(static_cast<const wchar_t*>(nullptr)), L"");
}

namespace {
std::string Utf16LE(std::u16string_view text, bool byteOrderMark = true) {
    std::string bytes = byteOrderMark ? "\xFF\xFE" : "";
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}
} // namespace

TEST(TextLines, SplitsUtf16TextAtEveryKindOfLineEnd) {
    struct Case {
        std::string bytes;
        std::vector<std::wstring> lines;
    };
    const Case cases[] = {
        {Utf16LE(u"a=1\r\nb=2"), {L"a=1", L"b=2"}},
        {Utf16LE(u"a=1\r\nb=2\r\n"), {L"a=1", L"b=2"}},
        {Utf16LE(u"a\nb\rc\r\n\r\nd"), {L"a", L"b", L"c", L"", L"d"}},
        {Utf16LE(u"no mark", false), {L"no mark"}},
        {Utf16LE(u"\uFEFFtwice"), {L"\uFEFFtwice"}},
        {Utf16LE(u""), {}},
        {"", {}},
        {Utf16LE(u"odd") + "x", {L"odd"}},
        {Utf16LE(u"\u786e\u5b9a=\U0001D11E"), {L"\u786e\u5b9a=\U0001D11E"}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(SplitTextLines(cases[i].bytes, TextEncoding::Utf16LE), cases[i].lines) << "case " << i;
    }
}

TEST(TextLines, ReadsUtf8TextWithOrWithoutItsMark) {
    EXPECT_THAT(SplitTextLines("\xEF\xBB\xBFText=\xE7\xA1\xAE\r\nUrl=x", TextEncoding::Utf8),
                ElementsAre(L"Text=\u786e", L"Url=x"));
    EXPECT_THAT(SplitTextLines("a\nb\n", TextEncoding::Utf8), ElementsAre(L"a", L"b"));
    EXPECT_THAT(SplitTextLines("", TextEncoding::Utf8), IsEmpty());
}
