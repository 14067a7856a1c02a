#include "foundation/text/ShortcutMatcher.h"
#include "foundation/text/CaseFolding.h"
#include "foundation/text/Pinyin.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace Tessel::Common;

namespace Tessel::Common {
void PrintTo(MatchRank rank, std::ostream* out) {
    static const char* const names[] = {"NamePrefix", "WordPrefix", "WordInitials", "Substring", "Subsequence"};
    *out << names[static_cast<int>(rank)];
}
} // namespace Tessel::Common

namespace {

using Rank = MatchRank;

// The text with every character beyond ASCII as \uXXXX, for messages.
std::string Readable(std::wstring_view text) {
    std::string readable;
    for (const wchar_t c : text) {
        if (c >= 0x20 && c < 0x7F) {
            readable += static_cast<char>(c);
        } else {
            char escape[16];
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
            readable += escape;
        }
    }
    return readable;
}

struct Found {
    std::wstring name;
    MatchRank rank;

    bool operator==(const Found&) const = default;
    friend void PrintTo(const Found& found, std::ostream* out) {
        *out << '"' << Readable(found.name) << "\" ";
        PrintTo(found.rank, out);
    }
};

// The names (and targets) of a panel, and what queries find among them.
class Panel {
public:
    explicit Panel(std::vector<std::wstring> names, std::vector<std::wstring> targets = {})
        : mNames(std::move(names)), mTargets(std::move(targets)) {
        mTargets.resize(mNames.size());
        std::vector<ShortcutMatcher::Candidate> candidates;
        for (std::size_t i = 0; i < mNames.size(); ++i) {
            candidates.push_back({mNames[i], mTargets[i]});
        }
        mMatcher = ShortcutMatcher(candidates);
    }

    std::vector<Found> Find(std::wstring_view query) {
        std::vector<Found> found;
        for (const ShortcutMatch& match : mMatcher.Match(query)) {
            found.push_back({mNames.at(match.index), match.rank});
        }
        return found;
    }

    // The rank of the one name for the query, or nothing when it does not match.
    static std::optional<MatchRank> RankOf(const std::wstring& name, std::wstring_view query) {
        Panel panel({name});
        const std::vector<Found> found = panel.Find(query);
        if (found.empty()) {
            return std::nullopt;
        }
        return found.front().rank;
    }

private:
    std::vector<std::wstring> mNames;
    std::vector<std::wstring> mTargets;
    ShortcutMatcher mMatcher;
};

TEST(ShortcutMatcher, RanksOneNameByHowTheQueryMatchesIt) {
    struct Case {
        std::wstring name;
        std::wstring query;
        std::optional<MatchRank> rank;
    };
    const std::vector<Case> cases = {
        // Latin
        {L"Visual Studio Code", L"vis", Rank::NamePrefix},
        {L"Visual Studio Code", L"VISUAL STUDIO C", Rank::NamePrefix},
        {L"Visual Studio Code", L"studio", Rank::WordPrefix},
        {L"Visual Studio Code", L"studio code", Rank::WordPrefix},
        {L"Visual Studio Code", L"vsc", Rank::WordInitials},
        {L"Visual Studio Code", L"vscode", Rank::WordInitials},
        {L"Visual Studio Code", L"vis code", Rank::WordInitials},
        {L"Visual Studio Code", L"vc", Rank::WordInitials},
        {L"Visual Studio Code", L"sual", Rank::Substring},
        {L"Visual Studio Code", L"vlsc", Rank::Subsequence},
        {L"Visual Studio Code", L"cv", std::nullopt},
        {L"Visual Studio Code", L"visualx", std::nullopt},
        {L"VisualStudioCode", L"vsc", Rank::WordInitials},
        {L"VSCode", L"vsc", Rank::NamePrefix},
        {L"VSCode", L"code", Rank::WordPrefix},
        {L"XMLHttpRequest", L"http", Rank::WordPrefix},
        {L"iTunes", L"tunes", Rank::WordPrefix},
        {L"notepad++", L"++", Rank::Substring},
        {L"Notepad++", L"pad", Rank::Substring},
        // Case folding beyond ASCII, full-width forms as ASCII
        {L"\u00C9diteur", L"\u00E9d", Rank::NamePrefix},
        {L"\u0394\u0395\u039B\u03A4\u0391", L"\u03B4\u03B5\u03BB", Rank::NamePrefix},
        {L"\u041F\u0440\u043E\u0432\u043E\u0434\u043D\u0438\u043A", L"\u043F\u0420\u041E", Rank::NamePrefix},
        {L"\uFF37\uFF4F\uFF52\uFF44", L"word", Rank::NamePrefix},
        {L"Word", L"\uFF37\uFF2F", Rank::NamePrefix},
        // Digits and signs
        {L"Office 2016", L"2016", Rank::WordPrefix},
        {L"Office 2016", L"o2", Rank::WordInitials},
        {L"Win10 Tools", L"10", Rank::WordPrefix},
        {L"7-Zip", L"7z", Rank::WordInitials},
        {L"7-Zip", L"7-z", Rank::NamePrefix},
        {L"C:\\Tools (x86)", L"(x86", Rank::Substring},
        // Chinese: whole readings, their beginnings, the characters themselves
        {L"\u8BB0\u4E8B\u672C", L"jishiben", Rank::NamePrefix}, // 记事本
        {L"\u8BB0\u4E8B\u672C", L"jishib", Rank::NamePrefix},
        {L"\u8BB0\u4E8B\u672C", L"jis", Rank::NamePrefix},
        {L"\u8BB0\u4E8B\u672C", L"JiShiBen", Rank::NamePrefix},
        {L"\u8BB0\u4E8B\u672C", L"shiben", Rank::WordPrefix},
        {L"\u8BB0\u4E8B\u672C", L"jsb", Rank::WordInitials},
        {L"\u8BB0\u4E8B\u672C", L"jshib", Rank::WordInitials},
        {L"\u8BB0\u4E8B\u672C", L"jb", Rank::WordInitials},
        {L"\u8BB0\u4E8B\u672C", L"\u4E8B\u672C", Rank::WordPrefix},
        {L"\u8BB0\u4E8B\u672C", L"ji\u4E8Bben", Rank::NamePrefix},
        {L"\u8BB0\u4E8B\u672C", L"ishi", std::nullopt}, // a piece starts at a character, not inside a reading
        {L"\u8BB0\u4E8B\u672C", L"jishibenx", std::nullopt},
        {L"\u8BB0\u4E8B\u672C", L"bsj", std::nullopt},
        // Polyphonic characters match every reading: 重庆, 银行, 长城, 绿色 (ü as v and as u)
        {L"\u91CD\u5E86", L"chongqing", Rank::NamePrefix},
        {L"\u91CD\u5E86", L"zhongqing", Rank::NamePrefix},
        {L"\u94F6\u884C", L"yinhang", Rank::NamePrefix},
        {L"\u94F6\u884C", L"yinxing", Rank::NamePrefix},
        {L"\u957F\u57CE", L"zc", Rank::WordInitials},
        {L"\u957F\u57CE", L"cc", Rank::WordInitials},
        {L"\u7EFF\u8272", L"lvse", Rank::NamePrefix},
        {L"\u7EFF\u8272", L"luse", Rank::NamePrefix},
        // Mixed names: pinyin for the Chinese part, Latin as it is
        {L"VS\u4EE3\u7801", L"vsdaima", Rank::NamePrefix},
        {L"VS\u4EE3\u7801", L"vs\u4EE3\u7801", Rank::NamePrefix},
        {L"VS\u4EE3\u7801", L"vsdm", Rank::WordInitials},
        {L"VS\u4EE3\u7801", L"daima", Rank::WordPrefix},
        {L"\u817E\u8BAFQQ", L"txqq", Rank::WordInitials}, // 腾讯QQ
        {L"\u817E\u8BAFQQ", L"qq", Rank::WordPrefix},
        {L"\u817E\u8BAF QQ \u97F3\u4E50", L"qqyinyue", Rank::WordInitials}, // 腾讯 QQ 音乐
        {L"\u817E\u8BAF QQ \u97F3\u4E50", L"qq yinyue", Rank::WordPrefix},
        {L"\u817E\u8BAF QQ \u97F3\u4E50", L"qq yinle", Rank::WordPrefix},
        // Characters beyond the Basic Multilingual Plane: an emoji separates words, an ideograph is one
        {L"\U0001F3AE Games", L"games", Rank::WordPrefix},
        {L"\U0001F3AE Games", L"\U0001F3AE", Rank::NamePrefix},
        {L"\U00020000abc", L"abc", Rank::WordPrefix},
        // A compatibility ideograph reads as the ideograph it stands for: 豈
        {L"\uF900", L"qi", Rank::NamePrefix},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Panel::RankOf(c.name, c.query), c.rank) << Readable(c.name) << " for " << Readable(c.query);
    }
}

TEST(ShortcutMatcher, ListsMatchesBestRankFirstAndInPanelOrderWithinARank) {
    Panel panel({L"Barcode Scanner", L"Code Runner", L"Visual Studio Code", L"\u4EE3\u7801\u7F16\u8F91\u5668",
                 L"Codec Pack", L"VS Code Insiders", L"Calculator", L"Co Design", L"\u8BB0\u4E8B\u672C"});
    // 代码编辑器 reads daima bianjiqi; 记事本 has no "code" in any reading.
    EXPECT_EQ(panel.Find(L"code"), (std::vector<Found>{
                                       {L"Code Runner", Rank::NamePrefix},
                                       {L"Codec Pack", Rank::NamePrefix},
                                       {L"Visual Studio Code", Rank::WordPrefix},
                                       {L"VS Code Insiders", Rank::WordPrefix},
                                       {L"Co Design", Rank::WordInitials},
                                       {L"Barcode Scanner", Rank::Substring},
                                   }));
    EXPECT_EQ(panel.Find(L"dm"), (std::vector<Found>{
                                     {L"\u4EE3\u7801\u7F16\u8F91\u5668", Rank::WordInitials},
                                 }));
    EXPECT_EQ(panel.Find(L"c"), (std::vector<Found>{
                                    {L"Code Runner", Rank::NamePrefix},
                                    {L"Codec Pack", Rank::NamePrefix},
                                    {L"Calculator", Rank::NamePrefix},
                                    {L"Co Design", Rank::NamePrefix},
                                    {L"Visual Studio Code", Rank::WordPrefix},
                                    {L"VS Code Insiders", Rank::WordPrefix},
                                    {L"Barcode Scanner", Rank::Substring},
                                }));
}

TEST(ShortcutMatcher, EmptyQueryListsEveryShortcutInPanelOrder) {
    Panel panel({L"Zeta", L"", L"\u8BB0\u4E8B\u672C", L"alpha"});
    const std::vector<Found> all = {
        {L"Zeta", Rank::NamePrefix},
        {L"", Rank::NamePrefix},
        {L"\u8BB0\u4E8B\u672C", Rank::NamePrefix},
        {L"alpha", Rank::NamePrefix},
    };
    for (const std::wstring_view query : {L"", L"   ", L"\u3000\t"}) {
        EXPECT_EQ(panel.Find(query), all) << Readable(query);
    }
    EXPECT_TRUE(Panel({}).Find(L"a").empty());
}

TEST(ShortcutMatcher, TakesTheBetterOfTheDisplayNameAndTheTargetsFileName) {
    Panel panel({L"Editor", L"My Notes", L"Paint", L"Notepad"},
                {L"C:\\Program Files\\Notepad++\\notepad++.exe", L"D:/notes/notepad.exe", L"mspaint.exe", L""});
    EXPECT_EQ(panel.Find(L"notepad"), (std::vector<Found>{
                                          {L"Editor", Rank::NamePrefix},
                                          {L"My Notes", Rank::NamePrefix},
                                          {L"Notepad", Rank::NamePrefix},
                                      }));
    EXPECT_EQ(panel.Find(L"paint"), (std::vector<Found>{
                                        {L"Paint", Rank::NamePrefix},
                                    }));
    // Only the target's file name is searched, not the folders on its path.
    EXPECT_TRUE(panel.Find(L"program").empty());
    EXPECT_EQ(panel.Find(L"exe"), (std::vector<Found>{
                                      {L"Editor", Rank::WordPrefix},
                                      {L"My Notes", Rank::WordPrefix},
                                      {L"Paint", Rank::WordPrefix},
                                  }));
}

TEST(ShortcutMatcher, MatchesLongNamesAndQueriesAcrossEveryWidthOfItsBitSets) {
    // Lengths at both sides of where a query's bit sets grow by a word, and the longest query.
    std::wstring name;
    for (int i = 0; name.size() < 600; ++i) {
        name += (i % 3 == 2) ? L"\u8BB0" : (i % 3 == 1 ? L"Word " : L"x");
    }
    for (const std::size_t length : {1u, 11u, 12u, 24u, 25u, 50u, 51u, 200u, 254u}) {
        SCOPED_TRACE(length);
        const std::wstring prefix = name.substr(0, length);
        EXPECT_EQ(Panel::RankOf(name, prefix), Rank::NamePrefix);
        const std::wstring inside = name.substr(name.size() - length);
        EXPECT_LE(Panel::RankOf(name, inside).value_or(Rank::Subsequence), Rank::Substring);
        // Longer than the name it has every character of.
        EXPECT_EQ(Panel::RankOf(prefix, prefix + L"x"), std::nullopt);
    }
    // A Chinese name read in full: each character takes two letters.
    std::wstring chinese, pinyin;
    for (int i = 0; i < 100; ++i) {
        chinese += L"\u8BB0";
        pinyin += L"ji";
    }
    EXPECT_EQ(Panel::RankOf(chinese, pinyin), Rank::NamePrefix);
    EXPECT_EQ(Panel::RankOf(chinese, pinyin + L"j"), std::nullopt);
    // Only the first MaxQueryLength characters of a query count.
    const std::wstring as(400, L'a');
    EXPECT_EQ(Panel::RankOf(std::wstring(ShortcutMatcher::MaxQueryLength, L'a'), as), Rank::NamePrefix);
    EXPECT_EQ(Panel::RankOf(std::wstring(ShortcutMatcher::MaxQueryLength - 1, L'a'), as), std::nullopt);
}

TEST(ShortcutMatcher, GivesTheSameAnswerToAQueryWhateverItWasAskedBefore) {
    std::vector<std::wstring> names;
    for (const wchar_t* name : {L"Visual Studio Code", L"\u8BB0\u4E8B\u672C", L"VS\u4EE3\u7801", L"Sublime Text",
                                L"\u94F6\u884C\u52A9\u624B", L"Video Studio"}) {
        names.push_back(name);
    }
    Panel typing(names);
    // Typed one key at a time, with widths growing and shrinking, against a fresh matcher each.
    const std::wstring typed = L"vs studio code and more letters than the narrow bit sets hold";
    for (std::size_t n = 0; n <= typed.size(); ++n) {
        const std::wstring query = typed.substr(0, n);
        EXPECT_EQ(typing.Find(query), Panel(names).Find(query)) << Readable(query);
    }
    for (const std::wstring& query :
         std::vector<std::wstring>{L"yinhang", L"vs", L"", L"jsb", std::wstring(100, L'v'), L"s"}) {
        EXPECT_EQ(typing.Find(query), Panel(names).Find(query)) << Readable(query);
    }
}

TEST(ShortcutMatcher, MarksTheCharactersOfTheDisplayNameThatTheQueryMatched) {
    struct Case {
        std::wstring name;
        std::wstring query;
        std::optional<MatchRank> rank;
        std::string marks; // '^' under each unit that took query characters
    };
    const std::vector<Case> cases = {
        {L"Visual Studio Code", L"vis", Rank::NamePrefix, "^^^               "},
        {L"Visual Studio Code", L"studio", Rank::WordPrefix, "       ^^^^^^     "},
        {L"Visual Studio Code", L"vsc", Rank::WordInitials, "^      ^      ^   "},
        {L"Visual Studio Code", L"vis code", Rank::WordInitials, "^^^           ^^^^"},
        {L"Visual Studio Code", L"studio code", Rank::WordPrefix, "       ^^^^^^^^^^^"},
        {L"Visual Studio Code", L"vlsc", Rank::Subsequence, "^    ^ ^      ^   "},
        {L"Barcode", L"code", Rank::Substring, "   ^^^^"},
        {L"\u8BB0\u4E8B\u672C", L"jishiben", Rank::NamePrefix, "^^^"},
        {L"\u8BB0\u4E8B\u672C", L"shib", Rank::WordPrefix, " ^^"},
        {L"\u8BB0\u4E8B\u672C", L"jb", Rank::WordInitials, "^ ^"},
        {L"VS\u4EE3\u7801", L"vsdm", Rank::WordInitials, "^^^^"},
        {L"\u6211\u7684\u8BB0\u4E8B\u672C", L"\u8BB0\u4E8Bben", Rank::WordPrefix, "  ^^^"},
        {L"Visual Studio Code", L"xyz", std::nullopt, "                  "},
        {L"Visual Studio Code", L"", std::nullopt, "                  "},
    };
    for (const Case& c : cases) {
        ShortcutMatcher::Candidate candidate{c.name, L""};
        ShortcutMatcher matcher(std::span(&candidate, 1));
        std::vector<bool> marked;
        EXPECT_EQ(matcher.MatchedCharacters(0, c.query, marked), c.rank)
            << Readable(c.name) << " for " << Readable(c.query);
        std::string marks;
        for (const bool m : marked) {
            marks += m ? '^' : ' ';
        }
        EXPECT_EQ(marks, c.marks) << Readable(c.name) << " for " << Readable(c.query);
    }
    // When only the target's file name matches, nothing of the display name is marked.
    const ShortcutMatcher::Candidate editor{L"Editor", L"C:\\Tools\\notepad.exe"};
    ShortcutMatcher matcher(std::span(&editor, 1));
    std::vector<bool> marked;
    EXPECT_EQ(matcher.MatchedCharacters(0, L"notepad", marked), std::nullopt);
    EXPECT_EQ(marked, std::vector<bool>(6, false));
    EXPECT_EQ(matcher.Match(L"notepad").size(), 1u);
}

TEST(Pinyin, GivesEveryReadingWithoutTonesAndUWithDiaeresisTwice) {
    const auto readings = [](char16_t c) {
        std::vector<std::string> letters;
        for (const std::uint16_t syllable : Pinyin::Readings(Pinyin::ReadingsCode(c))) {
            letters.emplace_back(Pinyin::Syllable(syllable));
        }
        return letters;
    };
    EXPECT_THAT(readings(u'\u8BB0'), testing::ElementsAre("ji"));                   // 记
    EXPECT_THAT(readings(u'\u884C'), testing::ElementsAre("hang", "heng", "xing")); // 行
    EXPECT_THAT(readings(u'\u7EFF'), testing::ElementsAre("lu", "lv"));             // 绿
    EXPECT_THAT(readings(u'\u7565'), testing::ElementsAre("lue", "lve"));           // 略
    EXPECT_THAT(readings(u'\u3400'), testing::ElementsAre("qiu"));                  // Extension A
    EXPECT_EQ(Pinyin::ReadingsCode(u'\uF900'), Pinyin::ReadingsCode(u'\u8C48'));    // 豈, compatibility
    EXPECT_EQ(Pinyin::ReadingsCode(u'\u8BB0'), Pinyin::ReadingsCode(u'\u673A'));    // 记 and 机: ji
    for (const char16_t none : {u'a', u'\u3042', u'\uAC00', u'\u4DC0', char16_t{0xD840}, u'\uFFFF'}) {
        EXPECT_EQ(Pinyin::ReadingsCode(none), 0) << static_cast<unsigned>(none);
    }
    // The syllables are sorted and in lowercase ASCII; there are some 400 of them.
    EXPECT_GT(Pinyin::SyllableCount(), 400u);
    for (std::uint16_t i = 0; i < Pinyin::SyllableCount(); ++i) {
        const std::string_view letters = Pinyin::Syllable(i);
        ASSERT_TRUE(letters.size() >= 1 && letters.size() <= Pinyin::MaxSyllableLength) << i;
        EXPECT_EQ(letters.find_first_not_of("abcdefghijklmnopqrstuvwxyz"), std::string_view::npos) << letters;
        if (i > 0) {
            EXPECT_LT(Pinyin::Syllable(i - 1), letters);
        }
    }
}

TEST(CaseFolding, FoldsTheBasicMultilingualPlaneSimply) {
    const std::vector<std::pair<char16_t, char16_t>> cases = {
        {u'A', u'a'},
        {u'z', u'z'},
        {u'@', u'@'},
        {u'\u00C9', u'\u00E9'}, // É
        {u'\u00D7', u'\u00D7'},
        {u'\u00DF', u'\u00DF'},
        {u'\u1E9E', u'\u00DF'},
        {u'\u0100', u'\u0101'}, // ẞ, Ā
        {u'\u0101', u'\u0101'},
        {u'\u0178', u'\u00FF'},
        {u'\u03A3', u'\u03C3'},
        {u'\u03C2', u'\u03C3'}, // Ÿ, Σ, ς
        {u'\u0401', u'\u0451'},
        {u'\u216B', u'\u217B'},
        {u'\uFF21', u'\uFF41'},
        {u'\u8BB0', u'\u8BB0'}, // Ё, Ⅻ, Ａ
        {char16_t{0xD801}, char16_t{0xD801}},
        {u'\uFFFF', u'\uFFFF'},
    };
    for (const auto& [c, folded] : cases) {
        EXPECT_EQ(static_cast<unsigned>(FoldCase(c)), static_cast<unsigned>(folded)) << static_cast<unsigned>(c);
    }
}

} // namespace
