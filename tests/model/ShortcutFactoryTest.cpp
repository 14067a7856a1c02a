#include "support/ShellTest.h"
#include "support/TempFolder.h"
#include "support/TestDataObject.h"

#include "model/LinkItemModel.h"
#include "model/ShortcutFactory.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

using ::testing::UnorderedElementsAre;
using TestSupport::DropFilesBlock;
using TestSupport::IdListArrayBlock;
using TestSupport::ListFolder;
using TestSupport::ReadFileBytes;
using TestSupport::ShellIdListFormat;
using TestSupport::TempFolder;
using TestSupport::TestDataObject;
using TestSupport::WriteFileBytes;

namespace {

// An absolute item ID list, freed with the test.
struct IdList {
    PIDLIST_ABSOLUTE list = nullptr;
    ~IdList() { CoTaskMemFree(list); }
};

class ShortcutFactoryTest : public TestSupport::ShellTest {
protected:
    // The shortcut at lnk made from the data object, or "" when none was written.
    std::wstring TargetAfterDrop(TestDataObject& data, std::wstring& outcome) {
        const std::wstring lnk = links / L"zzz1.lnk";
        if (!ShortcutFactory::CreateShortcutFromDataObject(&data, lnk, outcome)) {
            return L"";
        }
        return LinkItemModel::GetTargetPath(lnk);
    }

    static bool SameFile(const std::wstring& a, const std::wstring& b) {
        return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
    }

    TempFolder links;
};

} // namespace

TEST_F(ShortcutFactoryTest, NewNamesNeverTakeTheNameOfAnExistingShortcut) {
    WriteFileBytes(links / L"zzz1.lnk", "first");
    WriteFileBytes(links / L"zzz2.lnk", "second");
    // The system hands out temporary names that are free among ".tmp" files only.
    std::vector<std::wstring> drawn;
    const auto makeTemp = [&](const std::wstring& folder) {
        const std::wstring path = folder + L"\\zzz" + std::to_wstring(drawn.size() + 1) + L".tmp";
        WriteFileBytes(path, "");
        drawn.push_back(path);
        return path;
    };
    std::wstring problem;
    const std::wstring path = ShortcutFactory::NewShortcutPath(links.Path(), problem, makeTemp);
    EXPECT_EQ(path, links / L"zzz3.lnk");
    EXPECT_EQ(problem, L"");
    EXPECT_EQ(ReadFileBytes(links / L"zzz1.lnk"), "first");
    EXPECT_EQ(ReadFileBytes(links / L"zzz2.lnk"), "second");
    EXPECT_THAT(ListFolder(links.Path()), UnorderedElementsAre(L"zzz1.lnk", L"zzz2.lnk", L"zzz3.lnk"))
        << "the new name is taken, and no temporary file remains";
}

TEST_F(ShortcutFactoryTest, NewNamesAreTheSystemsTemporaryNamesWithTheShortcutExtension) {
    std::wstring problem;
    const std::wstring first = ShortcutFactory::NewShortcutPath(links.Path(), problem);
    const std::wstring second = ShortcutFactory::NewShortcutPath(links.Path(), problem);
    EXPECT_EQ(problem, L"");
    const std::wregex name(L"zzz[0-9A-Fa-f]+\\.lnk");
    ASSERT_EQ(first.rfind(links.Path() + L"\\", 0), 0u);
    EXPECT_TRUE(std::regex_match(first.substr(links.Path().size() + 1), name));
    EXPECT_TRUE(std::regex_match(second.substr(links.Path().size() + 1), name));
    EXPECT_NE(first, second);
    const std::vector<std::wstring> files = ListFolder(links.Path());
    EXPECT_EQ(files.size(), 2u);
    EXPECT_TRUE(std::none_of(files.begin(), files.end(), [](const std::wstring& f) { return f.ends_with(L".tmp"); }));
}

TEST_F(ShortcutFactoryTest, AFolderThatIsNotThereGivesNoNameAndSaysWhy) {
    std::wstring problem;
    EXPECT_EQ(ShortcutFactory::NewShortcutPath(links / L"missing", problem), L"");
    EXPECT_NE(problem.find(L"no temporary file name"), std::wstring::npos) << problem;
}

TEST_F(ShortcutFactoryTest, DroppedFilesGiveOneShortcutToTheFirst) {
    TestDataObject data;
    const std::wstring first = MakeFile(L"one.txt");
    data.Offer(CF_HDROP, DropFilesBlock({first, MakeFile(L"two.txt"), MakeFile(L"three.txt")}));
    std::wstring outcome;
    const std::wstring target = TargetAfterDrop(data, outcome);
    EXPECT_TRUE(SameFile(target, first)) << target;
    EXPECT_EQ(outcome, first);
    EXPECT_EQ(ListFolder(links.Path()), std::vector<std::wstring>{L"zzz1.lnk"});
}

TEST_F(ShortcutFactoryTest, ShellItemsAloneGiveAShortcutToTheFirstItemsIdList) {
    const std::wstring file = MakeFile(L"report.txt");
    IdList parent, item;
    ASSERT_TRUE(SUCCEEDED(SHParseDisplayName(folder.Path().c_str(), nullptr, &parent.list, 0, nullptr)));
    ASSERT_TRUE(SUCCEEDED(SHParseDisplayName(file.c_str(), nullptr, &item.list, 0, nullptr)));
    IdList other;
    ASSERT_TRUE(SUCCEEDED(SHParseDisplayName(MakeFile(L"other.txt").c_str(), nullptr, &other.list, 0, nullptr)));
    TestDataObject data;
    data.Offer(ShellIdListFormat(), IdListArrayBlock(parent.list, {ILFindLastID(item.list), ILFindLastID(other.list)}));
    std::wstring outcome;
    EXPECT_TRUE(SameFile(TargetAfterDrop(data, outcome), file)) << outcome;
}

TEST_F(ShortcutFactoryTest, AVirtualItemGetsAShortcutToItsIdList) {
    // The control panel: an item with no file behind it.
    IdList panel;
    ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_CONTROLS, &panel.list)));
    IdList parent{ILClone(panel.list)};
    ASSERT_TRUE(ILRemoveLastID(parent.list));
    TestDataObject data;
    data.Offer(ShellIdListFormat(), IdListArrayBlock(parent.list, {ILFindLastID(panel.list)}));
    const std::wstring lnk = links / L"zzz1.lnk";
    std::wstring outcome;
    ASSERT_TRUE(ShortcutFactory::CreateShortcutFromDataObject(&data, lnk, outcome)) << outcome;
    IdList target;
    ASSERT_TRUE(SUCCEEDED(LinkItemModel::GetTargetIdList(lnk, &target.list)));
    EXPECT_TRUE(ILIsEqual(target.list, panel.list));
    EXPECT_EQ(LinkItemModel::GetTargetPath(lnk), L"") << "no file system target";
}

TEST_F(ShortcutFactoryTest, FilesComeBeforeShellItemsAndBrokenFilesFallBackToThem) {
    const std::wstring file = MakeFile(L"file.txt");
    const std::wstring item = MakeFile(L"item.txt");
    IdList itemList, desktop;
    ASSERT_TRUE(SUCCEEDED(SHParseDisplayName(item.c_str(), nullptr, &itemList.list, 0, nullptr)));
    ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop.list)));
    const auto items = IdListArrayBlock(desktop.list, {itemList.list});

    TestDataObject both;
    both.Offer(CF_HDROP, DropFilesBlock({file}));
    both.Offer(ShellIdListFormat(), items);
    std::wstring outcome;
    EXPECT_TRUE(SameFile(TargetAfterDrop(both, outcome), file));

    TestDataObject brokenFiles;
    std::vector<std::uint8_t> unterminated = DropFilesBlock({file});
    unterminated.resize(unterminated.size() - 4);
    brokenFiles.Offer(CF_HDROP, unterminated);
    brokenFiles.Offer(ShellIdListFormat(), items);
    EXPECT_TRUE(SameFile(TargetAfterDrop(brokenFiles, outcome), item)) << outcome;
}

TEST_F(ShortcutFactoryTest, NothingUsableWritesNothingAndSaysWhy) {
    IdList desktop;
    ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop.list)));
    std::vector<std::uint8_t> noItems = IdListArrayBlock(desktop.list, {});
    std::vector<std::uint8_t> outside = IdListArrayBlock(desktop.list, {desktop.list});
    outside[8] = 0xF0; // the first item's offset, far past the end

    const struct {
        const char* name;
        std::vector<std::pair<CLIPFORMAT, std::vector<std::uint8_t>>> offered;
        std::vector<std::wstring> reasons;
    } cases[] = {
        {"text only", {{CF_UNICODETEXT, {'a', 0, 0, 0}}}, {L"no files", L"no shell items"}},
        {"an empty file list", {{CF_HDROP, DropFilesBlock({})}}, {L"no shell items"}},
        {"shell items with no item", {{ShellIdListFormat(), noItems}}, {L"no files", L"holds no items"}},
        {"an item offset outside the block", {{ShellIdListFormat(), outside}}, {L"outside the block"}},
    };
    for (const auto& c : cases) {
        TestDataObject data;
        for (const auto& [format, bytes] : c.offered) {
            data.Offer(format, bytes);
        }
        std::wstring outcome;
        EXPECT_EQ(TargetAfterDrop(data, outcome), L"") << c.name;
        for (const std::wstring& reason : c.reasons) {
            EXPECT_NE(outcome.find(reason), std::wstring::npos)
                << c.name << ": " << std::string(outcome.begin(), outcome.end());
        }
        EXPECT_TRUE(ListFolder(links.Path()).empty()) << c.name;
    }
}

TEST_F(ShortcutFactoryTest, AShortcutTheShellCannotWriteIsReported) {
    TestDataObject data;
    const std::wstring file = MakeFile(L"one.txt");
    data.Offer(CF_HDROP, DropFilesBlock({file}));
    std::wstring outcome;
    EXPECT_FALSE(ShortcutFactory::CreateShortcutFromDataObject(&data, links / L"missing\\zzz1.lnk", outcome));
    EXPECT_NE(outcome.find(L"the shell wrote no shortcut to " + file), std::wstring::npos);
    EXPECT_TRUE(ListFolder(links.Path()).empty());
}

TEST_F(ShortcutFactoryTest, AFileNameLongerThanTheOldPathLimitIsReadWhole) {
    // Longer than 260 characters: read into a buffer of that size, the name would lose its end
    // and the shortcut would point somewhere else.
    const std::wstring longName = L"C:\\" + std::wstring(150, L'a') + L"\\" + std::wstring(150, L'b') + L".txt";
    TestDataObject data;
    data.Offer(CF_HDROP, DropFilesBlock({longName}));
    std::wstring outcome;
    ShortcutFactory::CreateShortcutFromDataObject(&data, links / L"zzz1.lnk", outcome);
    EXPECT_NE(outcome.find(longName), std::wstring::npos) << std::string(outcome.begin(), outcome.end());
}
