#include "support/LogCapture.h"
#include "support/TempFolder.h"

#include "foundation/lang/Exception.h"
#include "foundation/text/TextEncoding.h"
#include "foundation/win32/AtomicFile.h"
#include "foundation/win32/DataFolder.h"
#include "foundation/win32/IniFile.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

using Tessel::Common::CopyFileAtomically;
using Tessel::Common::EncodeUtf16LE;
using Tessel::Common::IniFile;
using Tessel::Common::ReplaceFileAtomically;
using TestSupport::ReadFileBytes;
using TestSupport::TempFolder;
using TestSupport::WriteFileBytes;

namespace {

constexpr const wchar_t* Missing = L"<missing>";

std::wstring ProfileString(const std::wstring& path, const wchar_t* section, const wchar_t* key) {
    std::vector<wchar_t> buffer(4096);
    GetPrivateProfileStringW(section, key, Missing, buffer.data(), static_cast<DWORD>(buffer.size()), path.c_str());
    return buffer.data();
}

std::wstring OurString(const std::wstring& path, const wchar_t* section, const wchar_t* key) {
    IniFile file(path);
    EXPECT_TRUE(file.Load());
    return file.Document().ReadString(section, key, Missing);
}

struct ProfileCase {
    const char* what;
    std::string bytes;
    const wchar_t* section;
    const wchar_t* key;
    const wchar_t* expected;
    // Set where Wine's profile functions are known to read differently from Windows; the
    // expected value is then what Windows gives (or, for a UTF-8 mark, our own extension).
    const char* wineDiffers = nullptr;
};

} // namespace

// The platform's profile functions are the reference for how an INI text reads.
TEST(IniFile, ReadsTrickyFilesAsTheProfileFunctionsDo) {
    using namespace std::string_literals;
    const std::vector<ProfileCase> cases = {
        {"CR LF lines", "[A]\r\nk=1\r\n", L"A", L"k", L"1"},
        {"LF lines", "[A]\nj=0\nk=1\n", L"A", L"k", L"1"},
        {"CR lines", "[A]\rj=0\rk=1\r", L"A", L"k", L"1"},
        {"line end runs and blank lines", "[A]\r\r\n\r\n\n\nk=1\r\r\n", L"A", L"k", L"1"},
        {"no line end at the end", "[A]\r\nk=1", L"A", L"k", L"1"},
        {"blanks around the name of a section", "  [ A ]\t\r\nk=1\r\n", L"A", L"k", L"1"},
        {"blanks around key and value", "[A]\r\n \t k \t= \t v w \t\r\n", L"A", L"k", L"v w"},
        {"section case", "[Group]\r\nk=1\r\n", L"GROUP", L"k", L"1"},
        {"key case", "[A]\r\nGroupCount=1\r\n", L"a", L"groupcount", L"1"},
        {"first key wins", "[A]\r\nk=1\r\nK=2\r\n", L"A", L"k", L"1"},
        {"first section wins", "[A]\r\nk=1\r\n[a]\r\nk=2\r\n", L"A", L"k", L"1"},
        {"value holds =", "[A]\r\nk=a=b\r\n", L"A", L"k", L"a=b"},
        {"empty value", "[A]\r\nk=\r\n", L"A", L"k", L""},
        {"line without = is no entry", "[A]\r\nk\r\nj=1\r\n", L"A", L"k", Missing},
        {"line without = hides nothing", "[A]\r\nk\r\nj=1\r\n", L"A", L"j", L"1"},
        {"double quotes", "[A]\r\nk=\"x y\"\r\n", L"A", L"k", L"x y"},
        {"single quotes", "[A]\r\nk='x'\r\n", L"A", L"k", L"x"},
        {"blanks inside quotes stay", "[A]\r\nk= \" x \" \r\n", L"A", L"k", L" x "},
        {"only one pair of quotes", "[A]\r\nk=\"\"x\"\"\r\n", L"A", L"k", L"\"x\""},
        {"quotes that do not match", "[A]\r\nk=\"x'\r\n", L"A", L"k", L"\"x'"},
        {"a lone quote", "[A]\r\nk=\"\r\n", L"A", L"k", L"\""},
        {"empty quotes", "[A]\r\nk=\"\"\r\n", L"A", L"k", L""},
        {"unclosed [ is no section", "[A]\r\nk=1\r\n[B\r\nj=2\r\n", L"B", L"j", Missing},
        {"a key of the next section", "[A]\r\n[B]\r\nk=1\r\n", L"A", L"k", Missing},
        {"missing section", "[A]\r\nk=1\r\n", L"B", L"k", Missing},
        {"ANSI text", "[A]\r\nk=caf\xE9\r\n", L"A", L"k", L"caf\u00E9"},
        {"UTF-16LE with its mark", "\xFF\xFE[\0A\0]\0\r\0\n\0k\0=\0-N\r\0\n\0"s, L"A", L"k", L"\u4E2D"},
        {"empty file", "", L"A", L"k", Missing},
        {"section name ends at the first ]", "[A]x]\r\nk=1\r\n", L"A", L"k", L"1", "Wine ends the name at the last ]"},
        {"text before the first section", "k=1\r\n[A]\r\nj=2\r\n", L"", L"k", Missing,
         "Wine files such lines under a section without a name"},
        {"non-ASCII case", "[\xC9t\xE9]\r\nk=1\r\n", L"\u00E9T\u00C9", L"k", L"1",
         "Wine ignores case for ASCII letters only"},
        {"comment line", "[A]\r\n;k=1\r\nk=2\r\n", L"A", L";k", Missing, "Wine reads ; lines as keys"},
        {"UTF-8 with its mark", "\xEF\xBB\xBF[A]\r\nk=caf\xC3\xA9\r\n", L"A", L"k", L"caf\u00E9",
         "Windows reads the mark as ANSI characters and misses the first section; reading UTF-8 is our own "
         "extension"},
    };
    TempFolder folder;
    int number = 0;
    for (const auto& c : cases) {
        const std::wstring path = folder / (L"case" + std::to_wstring(++number) + L".ini");
        WriteFileBytes(path, c.bytes);
        EXPECT_EQ(OurString(path, c.section, c.key), c.expected) << c.what;
        if (c.wineDiffers == nullptr) {
            EXPECT_EQ(ProfileString(path, c.section, c.key), c.expected) << c.what << " (profile functions)";
        }
    }
}

TEST(IniFile, IntegersAgreeWithTheProfileFunctionsForWholeNumbersOnly) {
    TempFolder folder;
    const std::wstring path = folder / L"numbers.ini";
    WriteFileBytes(path, "[N]\r\na=12\r\nb=-7\r\nc= 42 \r\nd=0\r\ne=2147483647\r\nf=007\r\n"
                         "partial=12abc\r\nhex=0x1F\r\nempty=\r\n");
    IniFile file(path);
    ASSERT_TRUE(file.Load());
    for (const wchar_t* key : {L"a", L"b", L"c", L"d", L"e", L"f"}) {
        EXPECT_EQ(file.Document().ReadInteger(L"N", key, -99),
                  static_cast<int>(GetPrivateProfileIntW(L"N", key, -99, path.c_str())))
            << testing::PrintToString(std::wstring(key));
    }
    // The profile function takes the leading digits; the stores take only whole numbers.
    EXPECT_EQ(GetPrivateProfileIntW(L"N", L"partial", -99, path.c_str()), 12u);
    for (const wchar_t* key : {L"partial", L"hex", L"empty", L"absent"}) {
        EXPECT_EQ(file.Document().ReadInteger(L"N", key, -99), -99) << testing::PrintToString(std::wstring(key));
    }
}

TEST(IniFile, SavedFileIsAnsiWithCrLfAndTheProfileFunctionsReadItBack) {
    TempFolder folder;
    const std::wstring path = folder / L"out.ini";
    IniFile file(path);
    file.Document().WriteInteger(L"Group", L"GroupCount", 2);
    file.Document().WriteString(L"Text", L"Padded", L"  two blanks  ");
    file.Document().WriteString(L"Text", L"Quoted", L"\"q\"");
    file.Document().WriteString(L"Text", L"Latin", L"caf\u00E9");
    file.Save();

    EXPECT_EQ(ReadFileBytes(path),
              "[Group]\r\nGroupCount=2\r\n[Text]\r\nPadded=\"  two blanks  \"\r\nQuoted=\"\"q\"\"\r\n"
              "Latin=caf\xE9\r\n");
    EXPECT_EQ(GetPrivateProfileIntW(L"Group", L"GroupCount", 0, path.c_str()), 2u);
    EXPECT_EQ(ProfileString(path, L"Text", L"Padded"), L"  two blanks  ");
    EXPECT_EQ(ProfileString(path, L"Text", L"Quoted"), L"\"q\"");
    EXPECT_EQ(ProfileString(path, L"Text", L"Latin"), L"caf\u00E9");
}

TEST(IniFile, TextBeyondTheAnsiCodePageIsSavedAsUtf16SoNothingIsLost) {
    if (GetACP() == CP_UTF8 || GetACP() == 936)
        GTEST_SKIP() << "the ANSI code page holds these characters";
    TempFolder folder;
    const std::wstring path = folder / L"out.ini";
    IniFile file(path);
    file.Document().WriteString(L"Names", L"Group", L"\u65B0\u5EFA\u7EC4");
    file.Save();

    EXPECT_EQ(ReadFileBytes(path), EncodeUtf16LE(L"[Names]\r\nGroup=\u65B0\u5EFA\u7EC4\r\n"));
    EXPECT_EQ(ProfileString(path, L"Names", L"Group"), L"\u65B0\u5EFA\u7EC4");
    IniFile reread(path);
    ASSERT_TRUE(reread.Load());
    EXPECT_EQ(reread.Document().ReadString(L"Names", L"Group", Missing), L"\u65B0\u5EFA\u7EC4");
}

TEST(IniFile, UpdatingAFileKeepsItsCommentsAndOtherSections) {
    TempFolder folder;
    const std::wstring path = folder / L"Settings.ini";
    WriteFileBytes(path, "; made by hand\r\n[Main]\r\nLeft=1\r\n\r\n[Other]\r\nKeep=yes\r\n");
    IniFile file(path);
    ASSERT_TRUE(file.Load());
    file.Document().WriteInteger(L"Main", L"Left", 5);
    file.Save();
    EXPECT_EQ(ReadFileBytes(path), "; made by hand\r\n[Main]\r\nLeft=5\r\n\r\n[Other]\r\nKeep=yes\r\n");
}

TEST(IniFile, MissingFileLoadsEmptyAndUnreadableOnesAreLogged) {
    TempFolder folder;
    IniFile missing(folder / L"none.ini");
    EXPECT_TRUE(missing.Load());
    EXPECT_TRUE(missing.Document().SectionNames().empty());

    TestSupport::LogCapture log;
    CreateDirectoryW((folder / L"folder.ini").c_str(), nullptr);
    IniFile notAFile(folder / L"folder.ini");
    EXPECT_FALSE(notAFile.Load());
    EXPECT_TRUE(notAFile.Document().SectionNames().empty());
    EXPECT_NE(log.Text().find(L"folder.ini"), std::wstring::npos) << log.Text();
}

TEST(IniFile, OversizedFileIsNotReadAndTheLogSaysSo) {
    TempFolder folder;
    const std::wstring path = folder / L"huge.ini";
    {
        const HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(handle, INVALID_HANDLE_VALUE);
        LARGE_INTEGER size{};
        size.QuadPart = static_cast<LONGLONG>(IniFile::MaxFileSize) + 1;
        SetFilePointerEx(handle, size, nullptr, FILE_BEGIN);
        SetEndOfFile(handle);
        CloseHandle(handle);
    }
    TestSupport::LogCapture log;
    IniFile file(path);
    EXPECT_FALSE(file.Load());
    EXPECT_TRUE(file.Document().SectionNames().empty());
    EXPECT_NE(log.Text().find(L"huge.ini"), std::wstring::npos) << log.Text();
}

TEST(AtomicFile, ReplacesTheWholeFileAndLeavesNoTemporaryFile) {
    TempFolder folder;
    const std::wstring path = folder / L"groups.txt";
    WriteFileBytes(path, "old content that is longer than the new one");
    ASSERT_TRUE(ReplaceFileAtomically(path, "new"));
    EXPECT_EQ(ReadFileBytes(path), "new");
    EXPECT_EQ(TestSupport::ListFolder(folder.Path()), std::vector<std::wstring>{L"groups.txt"});

    // A temporary file left by a run that was killed is simply written over.
    WriteFileBytes(path + L".tmp", "half a file");
    ASSERT_TRUE(ReplaceFileAtomically(path, "newer"));
    EXPECT_EQ(ReadFileBytes(path), "newer");
    EXPECT_EQ(TestSupport::ListFolder(folder.Path()), std::vector<std::wstring>{L"groups.txt"});
}

TEST(AtomicFile, FailureLeavesTheOldFileWholeAndReportsTheError) {
    TempFolder folder;
    const std::wstring path = folder / L"groups.txt";
    WriteFileBytes(path, "old");
    TestSupport::LogCapture log;

    // Nothing can be created where a folder of the temporary file's name stands.
    CreateDirectoryW((path + L".tmp").c_str(), nullptr);
    DWORD error = 0;
    EXPECT_FALSE(ReplaceFileAtomically(path, "new", &error));
    EXPECT_NE(error, 0u);
    EXPECT_EQ(ReadFileBytes(path), "old");
    EXPECT_TRUE(Tessel::Common::DirectoryExists(path + L".tmp")) << "not ours to remove";
    EXPECT_NE(log.Text().find(L"groups.txt"), std::wstring::npos);

    // A folder that is gone.
    EXPECT_FALSE(ReplaceFileAtomically(folder / L"gone\\groups.txt", "new", &error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    // A file the user made read-only.
    const std::wstring readOnly = folder / L"Settings.ini";
    WriteFileBytes(readOnly, "kept");
    ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(ReplaceFileAtomically(readOnly, "new", &error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ReadFileBytes(readOnly), "kept");
    EXPECT_NE(log.Text().find(L"read-only file failed for " + readOnly), std::wstring::npos) << log.Text();
    EXPECT_EQ(GetFileAttributesW((readOnly + L".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(AtomicFile, FileHeldByAnotherProgramForAMomentIsReplacedOnceItIsFree) {
    TempFolder folder;
    const std::wstring path = folder / L"groups.txt";
    WriteFileBytes(path, "old");
    HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::thread release([held] {
        Sleep(300);
        CloseHandle(held);
    });
    const bool replaced = ReplaceFileAtomically(path, "new");
    release.join();
    EXPECT_TRUE(replaced);
    EXPECT_EQ(ReadFileBytes(path), "new");
}

TEST(AtomicFile, FileHeldThroughoutIsNotReplacedAndStaysWhole) {
    TempFolder folder;
    const std::wstring path = folder / L"groups.txt";
    WriteFileBytes(path, "old");
    HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const bool replaced = ReplaceFileAtomically(path, "new");
    CloseHandle(held);
    EXPECT_FALSE(replaced);
    EXPECT_EQ(ReadFileBytes(path), "old");
    EXPECT_EQ(TestSupport::ListFolder(folder.Path()), std::vector<std::wstring>{L"groups.txt"});
}

TEST(AtomicFile, CopyGivesTheTargetTheWholeCopyOrLeavesItAsItWas) {
    TempFolder folder;
    const std::wstring source = folder / L"groups.txt";
    const std::wstring target = folder / L"groups.txt.bak";
    WriteFileBytes(source, std::string(200000, 'x') + "end");
    WriteFileBytes(target, "older backup");
    WriteFileBytes(target + L".tmp", "half a copy left by a killed run");
    TestSupport::LogCapture log;

    DWORD error = 0;
    EXPECT_FALSE(CopyFileAtomically(source, target, false, &error)) << "an existing target is kept unless replaced";
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(ReadFileBytes(target), "older backup");

    CreateDirectoryW((folder / L"x.bak.tmp").c_str(), nullptr);
    WriteFileBytes(folder / L"x.bak", "older backup");
    EXPECT_FALSE(CopyFileAtomically(source, folder / L"x.bak", true, &error)) << "no place for the temporary file";
    EXPECT_EQ(ReadFileBytes(folder / L"x.bak"), "older backup");

    EXPECT_FALSE(CopyFileAtomically(folder / L"none.txt", target, true, &error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ReadFileBytes(target), "older backup");

    ASSERT_TRUE(CopyFileAtomically(source, target, true));
    EXPECT_EQ(ReadFileBytes(target), ReadFileBytes(source));
    EXPECT_EQ(GetFileAttributesW((target + L".tmp").c_str()), INVALID_FILE_ATTRIBUTES) << "no temporary file left";
}

TEST(AtomicFile, KeptCopiesNeverWriteOverAnEarlierOne) {
    TempFolder folder;
    const std::wstring path = folder / L"Settings.ini";
    std::wstring copy = L"unchanged";
    EXPECT_TRUE(Tessel::Common::KeepCopyBeside(path, L".unreadable", copy)) << "nothing there to keep";
    EXPECT_EQ(copy, L"");

    std::vector<std::wstring> copies;
    for (const char* bytes : {"first", "second", "third"}) {
        WriteFileBytes(path, bytes);
        ASSERT_TRUE(Tessel::Common::KeepCopyBeside(path, L".unreadable", copy));
        copies.push_back(copy);
    }
    EXPECT_EQ(copies,
              (std::vector<std::wstring>{path + L".unreadable", path + L".unreadable1", path + L".unreadable2"}));
    EXPECT_EQ(ReadFileBytes(copies[0]), "first");
    EXPECT_EQ(ReadFileBytes(copies[2]), "third");

    // A file held exclusively by another program cannot be copied, and says so.
    const HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(Tessel::Common::KeepCopyBeside(path, L".unreadable", copy));
    CloseHandle(held);
    EXPECT_EQ(TestSupport::ListFolder(folder.Path()).size(), 4u) << "no temporary file left";
}

TEST(AtomicFile, LeftoversOfWritesCutShortAreRemovedAndNothingElse) {
    TempFolder folder;
    const std::wstring path = folder / L"groups.txt";
    WriteFileBytes(path, "store");
    const std::vector<std::wstring> leftovers = {L"groups.txt.tmp", L"GROUPS.TXT.BAK.TMP", L"groups.txt.unreadable.tmp",
                                                 L"groups.txt.unreadable12.tmp", L"groups.txt.bak2.tmp"};
    const std::vector<std::wstring> others = {
        L"groups.txt",         L"groups.txt.bak",        L"groups.txt.old.tmp",
        L"groups.txt.tmp.txt", L"groups.txt.unreadable", L"groups.txt.unreadablex.tmp",
        L"xgroups.txt.tmp"};
    for (const auto& name : leftovers)
        WriteFileBytes(folder / name, "half a file");
    for (const auto& name : others)
        WriteFileBytes(folder / name, "not ours to remove");
    CreateDirectoryW((folder / L"groups.txt.unreadable1.tmp").c_str(), nullptr);
    TestSupport::LogCapture log;

    EXPECT_EQ(Tessel::Common::RemoveLeftoverTemporaryFiles(path, {L".bak", L".unreadable"}), 5);
    std::vector<std::wstring> expected = others;
    expected.push_back(L"groups.txt.unreadable1.tmp");
    std::sort(expected.begin(), expected.end());
    std::vector<std::wstring> left = TestSupport::ListFolder(folder.Path());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, expected);
    EXPECT_NE(log.Text().find(L"groups.txt.unreadable12.tmp, left by a write that was cut short"), std::wstring::npos)
        << log.Text();
    EXPECT_EQ(Tessel::Common::RemoveLeftoverTemporaryFiles(folder / L"none.ini", {}), 0);
}

TEST(IniFile, SaveThatFailsThrowsTheWriteErrorWithThePath) {
    TempFolder folder;
    IniFile file(folder / L"gone\\Settings.ini");
    file.Document().WriteInteger(L"A", L"k", 1);
    try {
        file.Save();
        FAIL() << "no error";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), L"Unable to write to " + (folder / L"gone\\Settings.ini"));
    }
}
