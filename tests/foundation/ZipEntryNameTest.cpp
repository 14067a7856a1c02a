#include "foundation/archive/ZipEntryName.h"

#include <gtest/gtest.h>

#include <string>

using namespace Tessel::Common::Archive;

namespace {

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (const wchar_t c : text) {
        out += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    return out;
}

} // namespace

TEST(ZipEntryName, PlainWindowsFileNamesPass) {
    const std::wstring names[] = {
        L"groups.txt",
        L"My Program.lnk",
        L"a..b.lnk",
        L".hidden",
        L"\u00e9t\u00e9.lnk",
        L"\u4e2d\u6587.lnk",
        std::wstring(L"smile ") + wchar_t(0xD83D) + wchar_t(0xDE00) + L".lnk",
        // Near the device names, but none of them.
        L"CONSOLE.txt",
        L"NULL",
        L"com.lnk",
        L"COM10.lnk",
        L"LPT",
        L"xCON",
        L"CON-1.lnk",
        std::wstring(MaxZipEntryNameLength, L'x'),
    };
    for (const std::wstring& name : names) {
        EXPECT_EQ(CheckZipEntryName(name), L"") << Narrow(name);
    }
}

TEST(ZipEntryName, NamesThatLeaveTheFolderOrAreNoFileNameAreRefusedWithTheReason) {
    struct Case {
        std::wstring name;
        const wchar_t* reason;
    };
    const Case cases[] = {
        {L"", L"empty"},
        {L"/etc/passwd", L"absolute"},
        {L"\\Windows\\evil.lnk", L"absolute"},
        {L"\\\\server\\share\\evil.lnk", L"absolute"},
        {L"C:evil.lnk", L"absolute"},
        {L"c:\\evil.lnk", L"absolute"},
        {L"..", L"\"..\""},
        {L"../evil.lnk", L"\"..\""},
        {L"..\\evil.lnk", L"\"..\""},
        {L"a/../../evil.lnk", L"\"..\""},
        {L"a/..", L"\"..\""},
        {L"folder/", L"a folder's"},
        {L"folder\\", L"a folder's"},
        {L"folder/a.lnk", L"lies in a folder"},
        {L"folder\\a.lnk", L"lies in a folder"},
        {L"./a.lnk", L"lies in a folder"},
        {L"a<b", L"the character '<'"},
        {L"a>b", L"the character '>'"},
        {L"ab:c", L"the character ':'"},
        {L"a:b", L"absolute"},
        {L"groups.txt:stream", L"the character ':'"},
        {L"a\"b", L"the character '\"'"},
        {L"a|b", L"the character '|'"},
        {L"a?b", L"the character '?'"},
        {L"a*b", L"the character '*'"},
        {std::wstring(L"a\0b", 3), L"control character U+0000"},
        {L"a\tb", L"control character U+0009"},
        {L"a\x7F", L"control character U+007F"},
        {L"a\x85", L"control character U+0085"},
        {L"CON", L"device CON"},
        {L"con.txt", L"device CON"},
        {L"Nul .lnk", L"device NUL"},
        {L"aux.tar.gz", L"device AUX"},
        {L"PRN", L"device PRN"},
        {L"COM1", L"device COM1"},
        {L"com9.lnk", L"device COM9"},
        {L"LPT0", L"device LPT0"},
        {L"lpt5.txt", L"device LPT5"},
        {L"COM\u00b9", L"device COM\u00b9"},
        {L"lpt\u00b3.lnk", L"device LPT\u00b3"},
        {L"CONIN$", L"device CONIN$"},
        {L"conout$.lnk", L"device CONOUT$"},
        {L"name.", L"ends with a dot or a space"},
        {L"name ", L"ends with a dot or a space"},
        {L".", L"ends with a dot or a space"},
        {L"...", L"ends with a dot or a space"},
        {std::wstring(MaxZipEntryNameLength + 1, L'x'), L"longer than 255"},
        {std::wstring(L"a") + wchar_t(0xD83D), L"not valid UTF-16"},
        {std::wstring(L"a") + wchar_t(0xDE00) + L"b", L"not valid UTF-16"},
        {std::wstring(1, wchar_t(0xD83D)) + L"b", L"not valid UTF-16"},
    };
    for (const Case& c : cases) {
        const std::wstring reason = CheckZipEntryName(c.name);
        EXPECT_NE(reason.find(c.reason), std::wstring::npos) << Narrow(c.name) << ": " << Narrow(reason);
    }
}

TEST(ZipEntryName, KeysMatchNamesThatDifferOnlyInCase) {
    const std::pair<std::wstring, std::wstring> same[] = {
        {L"Groups.TXT", L"gROUPS.txt"},
        {L"\u00e9t\u00e9", L"\u00c9T\u00c9"},
        {L"\u00ff", L"\u0178"},
        {L"\u0101\u0142\u017e", L"\u0100\u0141\u017d"},
        {L"\u03c3\u03c2", L"\u03a3\u03a3"},
        {L"\u044f\u0451", L"\u042f\u0401"},
        {L"\uff41", L"\uff21"},
    };
    for (const auto& [a, b] : same) {
        EXPECT_EQ(ZipEntryNameKey(a), ZipEntryNameKey(b)) << Narrow(a);
    }
    const std::pair<std::wstring, std::wstring> different[] = {
        {L"a.lnk", L"b.lnk"},
        // Division and multiplication signs sit where small and capital letters pair up.
        {L"\u00f7", L"\u00d7"},
        {L"\u00df", L"SS"},
        {L"\u0138", L"\u0137"},
    };
    for (const auto& [a, b] : different) {
        EXPECT_NE(ZipEntryNameKey(a), ZipEntryNameKey(b)) << Narrow(a);
    }
}
