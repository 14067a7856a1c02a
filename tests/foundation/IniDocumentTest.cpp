#include "foundation/ini/IniDocument.h"
#include "foundation/text/TextEncoding.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cwchar>

#include <string>
#include <vector>

using Tessel::Common::DecodeText;
using Tessel::Common::EncodeUtf16LE;
using Tessel::Common::IniDocument;
using Tessel::Common::ParseInt64;

namespace {

constexpr const wchar_t* Missing = L"<missing>";

struct LookupCase {
    const char* what;
    const wchar_t* text;
    const wchar_t* section;
    const wchar_t* key;
    const wchar_t* expected;
};

} // namespace

// The profile functions of the platform check the same rules on real files (IniFileTest).
TEST(IniDocument, ReadsStringsAsTheProfileFunctionsDo) {
    const std::vector<LookupCase> cases = {
        {"CR LF lines", L"[A]\r\nk=1\r\n", L"A", L"k", L"1"},
        {"LF lines", L"[A]\nj=0\nk=1\n", L"A", L"k", L"1"},
        {"CR lines", L"[A]\rj=0\rk=1\r", L"A", L"k", L"1"},
        {"line end runs and blank lines", L"[A]\r\r\n\r\n\n\nk=1\r\r\n", L"A", L"k", L"1"},
        {"no line end at the end", L"[A]\r\nk=1", L"A", L"k", L"1"},
        {"blanks around everything", L"  [ A ]\t\r\n \t k \t= \t v w \t\r\n", L"A", L"k", L"v w"},
        {"blanks around the requested names", L"[A]\r\nk=1\r\n", L" A ", L"\tk ", L"1"},
        {"section case", L"[Group]\r\nk=1\r\n", L"GROUP", L"k", L"1"},
        {"key case", L"[A]\r\nGroupCount=1\r\n", L"a", L"groupcount", L"1"},
        {"non-ASCII case", L"[\u00C9t\u00E9]\r\n\u0418\u043C\u044F=1\r\n", L"\u00E9T\u00C9", L"\u0438\u041C\u042F",
         L"1"},
        {"first key wins", L"[A]\r\nk=1\r\nK=2\r\n", L"A", L"k", L"1"},
        {"first section wins", L"[A]\r\nk=1\r\n[a]\r\nk=2\r\n", L"A", L"k", L"1"},
        {"a later section of the same name is not read", L"[A]\r\nk=1\r\n[a]\r\nj=2\r\n", L"A", L"j", Missing},
        {"value holds =", L"[A]\r\nk=a=b\r\n", L"A", L"k", L"a=b"},
        {"empty value", L"[A]\r\nk=\r\n", L"A", L"k", L""},
        {"line without =", L"[A]\r\nk\r\nj=1\r\n", L"A", L"k", Missing},
        {"double quotes", L"[A]\r\nk=\"x y\"\r\n", L"A", L"k", L"x y"},
        {"single quotes", L"[A]\r\nk='x'\r\n", L"A", L"k", L"x"},
        {"blanks inside quotes stay", L"[A]\r\nk= \" x \" \r\n", L"A", L"k", L" x "},
        {"only one pair of quotes", L"[A]\r\nk=\"\"x\"\"\r\n", L"A", L"k", L"\"x\""},
        {"quotes that do not match", L"[A]\r\nk=\"x'\r\n", L"A", L"k", L"\"x'"},
        {"a lone quote", L"[A]\r\nk=\"\r\n", L"A", L"k", L"\""},
        {"empty quotes", L"[A]\r\nk=\"\"\r\n", L"A", L"k", L""},
        {"section name ends at the first ]", L"[A]x]\r\nk=1\r\n", L"A", L"k", L"1"},
        {"unclosed [ is no section", L"[A]\r\nk=1\r\n[B\r\nk=2\r\n", L"A", L"k", L"1"},
        {"text before the first section", L"k=1\r\n[A]\r\nj=2\r\n", L"", L"k", Missing},
        {"comment line", L"[A]\r\n;k=1\r\nk=2\r\n", L"A", L";k", Missing},
        {"comment line does not hide a key", L"[A]\r\n;k=1\r\nk=2\r\n", L"A", L"k", L"2"},
        {"a key of the next section", L"[A]\r\n[B]\r\nk=1\r\n", L"A", L"k", Missing},
        {"missing section", L"[A]\r\nk=1\r\n", L"B", L"k", Missing},
        {"empty text", L"", L"A", L"k", Missing},
    };
    for (const auto& c : cases) {
        const IniDocument document = IniDocument::Parse(c.text);
        EXPECT_EQ(document.ReadString(c.section, c.key, Missing), c.expected) << c.what;
        EXPECT_EQ(document.ValueExists(c.section, c.key), std::wstring(c.expected) != Missing) << c.what;
        // A section found once reads the same as naming it at every look-up.
        EXPECT_EQ(document.ReadString(document.FindSectionId(c.section), c.key, Missing), c.expected) << c.what;
    }
}

TEST(IniDocument, IntegersAreWholeDecimal32BitNumbersElseTheDefault) {
    const struct {
        const wchar_t* value;
        bool valid;
        int expected;
    } cases[] = {
        {L"12", true, 12},
        {L"-7", true, -7},
        {L"+5", true, 5},
        {L"  42  ", true, 42},
        {L"007", true, 7},
        {L"\"3\"", true, 3},
        {L"2147483647", true, 2147483647},
        {L"-2147483648", true, -2147483647 - 1},
        {L"2147483648", false, 0},
        {L"-2147483649", false, 0},
        {L"99999999999999999999", false, 0},
        {L"12abc", false, 0},
        {L"0x1F", false, 0},
        {L"$1F", false, 0},
        {L"1 2", false, 0},
        {L"1.5", false, 0},
        {L"-", false, 0},
        {L"+", false, 0},
        {L"", false, 0},
    };
    for (const auto& c : cases) {
        const IniDocument document = IniDocument::Parse(std::wstring(L"[A]\r\nk=") + c.value + L"\r\n");
        EXPECT_EQ(document.ReadInteger(L"A", L"k", -99), c.valid ? c.expected : -99)
            << testing::PrintToString(std::wstring(c.value));
    }
}

TEST(IniDocument, SixtyFourBitIntegersFollowTheSameRuleUpToTheirLimits) {
    const struct {
        const wchar_t* text;
        bool ok;
        std::int64_t value;
    } cases[] = {
        {L"9223372036854775807", true, INT64_MAX},
        {L"-9223372036854775808", true, INT64_MIN},
        {L"9223372036854775808", false, 0},
        {L"-9223372036854775809", false, 0},
        {L" -2147483649 ", true, -2147483649LL},
        {L"12abc", false, 0},
        {L"", false, 0},
        {L"+", false, 0},
    };
    for (const auto& c : cases) {
        std::int64_t value = 0;
        EXPECT_EQ(ParseInt64(c.text, value), c.ok) << std::string(c.text, c.text + wcslen(c.text));
        if (c.ok) {
            EXPECT_EQ(value, c.value);
        }
    }
    const IniDocument document = IniDocument::Parse(L"[A]\r\nBig=9999999999\r\nQuoted=\"-7\"\r\n");
    std::int64_t value = 0;
    EXPECT_TRUE(document.TryReadInteger64(L"A", L"Big", value));
    EXPECT_EQ(value, 9999999999LL);
    EXPECT_TRUE(document.TryReadInteger64(L"a", L"quoted", value));
    EXPECT_EQ(value, -7);
    EXPECT_FALSE(document.TryReadInteger64(L"A", L"Missing", value));
}

TEST(IniDocument, BooleansAreIntegersAndAnyNonZeroIsTrue) {
    const IniDocument document = IniDocument::Parse(L"[A]\r\nzero=0\r\none=1\r\ntwo=2\r\nminus=-1\r\nword=yes\r\n");
    EXPECT_FALSE(document.ReadBool(L"A", L"zero", true));
    EXPECT_TRUE(document.ReadBool(L"A", L"one", false));
    EXPECT_TRUE(document.ReadBool(L"A", L"two", false));
    EXPECT_TRUE(document.ReadBool(L"A", L"minus", false));
    EXPECT_TRUE(document.ReadBool(L"A", L"word", true));
    EXPECT_FALSE(document.ReadBool(L"A", L"word", false));
    EXPECT_TRUE(document.ReadBool(L"A", L"absent", true));
}

TEST(IniDocument, WritingANewDocumentGivesSectionAndKeyLinesWithCrLf) {
    IniDocument document;
    document.WriteInteger(L"Group", L"GroupCount", 1);
    document.WriteInteger(L"Group-0", L"X", -12);
    document.WriteBool(L"Group-0", L"IsLargeIcon", true);
    document.WriteString(L"Group-0-Link-0", L"Lnk", L"zzz1F.lnk");
    EXPECT_EQ(
        document.ToText(),
        L"[Group]\r\nGroupCount=1\r\n[Group-0]\r\nX=-12\r\nIsLargeIcon=1\r\n[Group-0-Link-0]\r\nLnk=zzz1F.lnk\r\n");
}

TEST(IniDocument, UpdatingKeepsEveryOtherLineAsItWas) {
    const std::wstring text = L"; settings of the panel\r\n"
                              L"[Main]\r\n"
                              L"  Left = 10 \r\n"
                              L"; the top edge\r\n"
                              L"Top=20\r\n"
                              L"\r\n"
                              L"; colours follow\r\n"
                              L"[Colours]\r\n"
                              L"Back=1\r\n";
    IniDocument document = IniDocument::Parse(text);
    EXPECT_EQ(document.ToText(), text);

    document.WriteInteger(L"MAIN", L"top", 25);
    document.WriteInteger(L"Main", L"Width", 300);
    document.WriteString(L"Fonts", L"Name", L"Tahoma");
    EXPECT_EQ(document.ToText(), L"; settings of the panel\r\n"
                                 L"[Main]\r\n"
                                 L"  Left = 10 \r\n"
                                 L"; the top edge\r\n"
                                 L"Top=25\r\n"
                                 L"Width=300\r\n"
                                 L"\r\n"
                                 L"; colours follow\r\n"
                                 L"[Colours]\r\n"
                                 L"Back=1\r\n"
                                 L"[Fonts]\r\n"
                                 L"Name=Tahoma\r\n");
    EXPECT_EQ(document.ReadInteger(L"Main", L"Top", 0), 25);
    EXPECT_EQ(document.ReadInteger(L"Main", L"Width", 0), 300);
}

TEST(IniDocument, WrittenValuesReadBackAsGiven) {
    const std::vector<std::wstring> values = {
        L"",   L"plain", L"  blanks at both ends ", L"\"quoted\"",      L"'single'",
        L"\"", L"a=b",   L"; not a comment",        L"[not a section]", L"\u65B0\u5EFA\u7EC4",
    };
    IniDocument document;
    for (std::size_t i = 0; i < values.size(); ++i) {
        document.WriteString(L"Values", L"v" + std::to_wstring(i), values[i]);
    }
    const IniDocument reread = IniDocument::Parse(document.ToText());
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(reread.ReadString(L"Values", L"v" + std::to_wstring(i), Missing), values[i]);
    }
}

TEST(IniDocument, LineBreaksInAValueCannotStartNewLines) {
    IniDocument document;
    document.WriteString(L"A", L"k", L"one\r\n[Evil]\r\nx=1");
    const IniDocument reread = IniDocument::Parse(document.ToText());
    EXPECT_FALSE(reread.SectionExists(L"Evil"));
    EXPECT_EQ(reread.ReadString(L"A", L"k", Missing), L"one  [Evil]  x=1");
}

TEST(IniDocument, EraseSectionAndDeleteKeyRemoveEveryCopy) {
    IniDocument document = IniDocument::Parse(L"[A]\r\nk=1\r\nj=2\r\nk=3\r\n[B]\r\nk=4\r\n[a]\r\nk=5\r\n");
    document.DeleteKey(L"A", L"K");
    EXPECT_FALSE(document.ValueExists(L"A", L"k"));
    EXPECT_EQ(document.ReadInteger(L"A", L"j", 0), 2);

    document.EraseSection(L"a");
    EXPECT_FALSE(document.SectionExists(L"A"));
    EXPECT_EQ(document.ReadInteger(L"B", L"k", 0), 4);
    EXPECT_EQ(document.ToText(), L"[B]\r\nk=4\r\n");

    document.WriteInteger(L"A", L"k", 6);
    EXPECT_EQ(document.ReadInteger(L"A", L"k", 0), 6);
}

TEST(IniDocument, ListsSectionAndKeyNamesOnceInFileOrder) {
    const IniDocument document =
        IniDocument::Parse(L"x=0\r\n[B]\r\nk=1\r\n;c=1\r\nj=2\r\nK=3\r\n[A]\r\n[b]\r\nz=1\r\n");
    EXPECT_EQ(document.SectionNames(), (std::vector<std::wstring>{L"B", L"A"}));
    EXPECT_EQ(document.KeyNames(L"b"), (std::vector<std::wstring>{L"k", L"j"}));
    EXPECT_TRUE(document.KeyNames(L"C").empty());

    std::vector<std::wstring> visited;
    document.ForEachSectionName([&](IniDocument::SectionId id, std::wstring_view name) {
        EXPECT_EQ(id, document.FindSectionId(name));
        visited.emplace_back(name);
    });
    EXPECT_EQ(visited, document.SectionNames());
}

// Thousands of sections and keys, each name also spelled again in other case further on: every
// look-up finds the first of its name, and writing then changes only the line it should. Every
// other section has many keys, the others a few.
TEST(IniDocument, LargeDocumentsReadTheFirstOfEveryNameAndWriteInPlace) {
    constexpr int Sections = 3000;
    const auto keysOf = [](int section) { return section % 2 == 0 ? 7 : 30; };
    std::wstring text = L"; store\r\n";
    for (int s = 0; s < Sections; ++s) {
        text += L"[Group-" + std::to_wstring(s) + L"]\r\n";
        for (int k = 0; k < keysOf(s); ++k)
            text += L"Key" + std::to_wstring(k) + L"=" + std::to_wstring(s * 10 + k) + L"\r\n";
        text += L"KEY0=shadowed\r\n";
    }
    for (int s = 0; s < Sections; s += 7)
        text += L"[GROUP-" + std::to_wstring(s) + L"]\r\nKey0=shadowed\r\nExtra=1\r\n";
    IniDocument document = IniDocument::Parse(text);
    EXPECT_EQ(document.ToText(), text);
    EXPECT_EQ(document.SectionNames().size(), static_cast<std::size_t>(Sections));
    for (int s = 0; s < Sections; ++s) {
        const std::wstring section = L"group-" + std::to_wstring(s);
        const IniDocument::SectionId id = document.FindSectionId(section);
        ASSERT_NE(id, IniDocument::NoSection) << s;
        for (int k = 0; k < keysOf(s); ++k) {
            const std::wstring key = L"kEY" + std::to_wstring(k);
            ASSERT_EQ(document.ReadInteger(id, key, -1), s * 10 + k) << s << L" " << key;
        }
        ASSERT_FALSE(document.ValueExists(section, L"Extra")) << s;
        ASSERT_FALSE(document.ValueExists(section, L"Key" + std::to_wstring(keysOf(s)))) << s;
        ASSERT_EQ(document.KeyNames(section).size(), static_cast<std::size_t>(keysOf(s))) << s;
    }
    EXPECT_EQ(document.FindSectionId(L"Group-" + std::to_wstring(Sections)), IniDocument::NoSection);

    document.WriteInteger(L"Group-1234", L"key3", -5);
    document.WriteInteger(L"Group-1234", L"New", 9);
    const std::wstring before = L"[Group-1234]\r\nKey0=12340\r\nKey1=12341\r\nKey2=12342\r\n";
    const std::wstring after = L"Key3=-5\r\nKey4=12344\r\nKey5=12345\r\nKey6=12346\r\nKEY0=shadowed\r\nNew=9\r\n"
                               L"[Group-1235]\r\n";
    EXPECT_NE(document.ToText().find(before + after), std::wstring::npos);
    document.WriteInteger(L"Group-1235", L"key29", -5);
    document.WriteInteger(L"Group-1235", L"New", 9);
    EXPECT_NE(document.ToText().find(L"Key28=12378\r\nKey29=-5\r\nKEY0=shadowed\r\nNew=9\r\n[Group-1236]\r\n"),
              std::wstring::npos);
    EXPECT_EQ(document.ReadInteger(L"GROUP-1234", L"new", 0), 9);
    EXPECT_EQ(document.ReadInteger(L"Group-1233", L"Key3", 0), 12333);
}

// Values rewritten many times, keys deleted and sections erased in between: the text written is
// always the lines as they now are, and names and values taken from the document itself can be
// written back into it.
TEST(IniDocument, RepeatedChangesKeepTheTextAndTheLookUpsRight) {
    IniDocument document = IniDocument::Parse(L"; head\r\n[A]\r\nk=0\r\n;note\r\nj=x\r\nK=dup\r\n\r\n[B]\r\nb=1\r\n");
    for (int i = 1; i <= 20000; ++i) {
        document.WriteInteger(L"A", L"k", i);
        if (i % 1000 == 0) {
            document.WriteInteger(L"C", L"n" + std::to_wstring(i), i);
            document.EraseSection(L"c");
        }
    }
    EXPECT_EQ(document.ToText(), L"; head\r\n[A]\r\nk=20000\r\n;note\r\nj=x\r\nK=dup\r\n\r\n[B]\r\nb=1\r\n");

    document.DeleteKey(L"a", L"K");
    EXPECT_FALSE(document.ValueExists(L"A", L"k"));
    EXPECT_EQ(document.ReadString(L"A", L"j", Missing), L"x");
    document.WriteString(L"A", L"j", L"y");
    document.WriteString(L"A", L"k", L"again");
    EXPECT_EQ(document.ToText(), L"; head\r\n[A]\r\n;note\r\nj=y\r\nk=again\r\n\r\n[B]\r\nb=1\r\n");

    // A section that grows past a few keys, has them rewritten and one deleted and added again.
    for (int i = 0; i < 40; ++i)
        document.WriteInteger(L"B", L"n" + std::to_wstring(i % 20), i);
    document.DeleteKey(L"B", L"N5");
    EXPECT_FALSE(document.ValueExists(L"B", L"n5"));
    document.WriteInteger(L"b", L"n5", 99);
    std::vector<std::wstring> keys = {L"b"};
    for (int i = 0; i < 20; ++i) {
        if (i != 5)
            keys.push_back(L"n" + std::to_wstring(i));
        EXPECT_EQ(document.ReadInteger(L"B", L"N" + std::to_wstring(i), -1), i == 5 ? 99 : 20 + i) << i;
    }
    keys.push_back(L"n5");
    EXPECT_EQ(document.KeyNames(L"B"), keys);
    EXPECT_EQ(document.ReadInteger(L"B", L"b", -1), 1);

    // Writing may move the text the name points into while it writes.
    std::wstring_view last;
    document.ForEachSectionName([&](IniDocument::SectionId, std::wstring_view name) { last = name; });
    document.WriteString(last, last, std::wstring(4096, L'v'));
    document.ForEachSectionName([&](IniDocument::SectionId, std::wstring_view name) { last = name; });
    document.WriteString(L"New", last, last);
    EXPECT_EQ(document.ReadString(L"B", L"B", Missing), std::wstring(4096, L'v'));
    EXPECT_EQ(document.ReadString(L"New", L"B", Missing), L"B");
    EXPECT_EQ(IniDocument::Parse(document.ToText()).ToText(), document.ToText());
}

TEST(TextEncoding, ByteOrderMarksChooseTheEncodingAndTheRestIsAnsi) {
    const auto latin1 = [](std::string_view bytes) {
        std::wstring text;
        for (char c : bytes)
            text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
        return text;
    };
    EXPECT_EQ(DecodeText("[A]\r\nk=caf\xE9", latin1), L"[A]\r\nk=caf\u00E9");
    EXPECT_EQ(DecodeText("\xEF\xBB\xBF[A]\r\nk=caf\xC3\xA9", latin1), L"[A]\r\nk=caf\u00E9");
    EXPECT_EQ(DecodeText(std::string("\xFF\xFE[\0A\0]\0-\x4E", 10), latin1), L"[A]\u4E2D");
    EXPECT_EQ(DecodeText(std::string("\xFE\xFF\0[\0A\0]\x4E-", 10), latin1), L"[A]\u4E2D");
    EXPECT_EQ(DecodeText(std::string("\xFF\xFE[\0A", 5), latin1), L"[");
    EXPECT_EQ(DecodeText("", latin1), L"");
    EXPECT_EQ(EncodeUtf16LE(L"[A]\u4E2D"), std::string("\xFF\xFE[\0A\0]\0-\x4E", 10));
}
