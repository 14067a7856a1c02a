#include "support/LogCapture.h"
#include "support/TempFolder.h"

#include "foundation/lang/Exception.h"
#include "foundation/text/TextEncoding.h"
#include "model/OrvexModel.h"
#include "model/RandomBackground.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

using TestSupport::ReadFileBytes;
using TestSupport::TempFolder;
using TestSupport::WriteFileBytes;

namespace {

// The example store of the file format: one group of two shortcuts, then an empty group.
const std::string ExampleStore = "[Group]\r\nGroupCount=2\r\n"
                                 "[Group-0]\r\nX=12\r\nY=40\r\nColumn=5\r\nIsLargeIcon=1\r\nIsTitleVisible=0\r\n"
                                 "BackgroundIndex=3\r\nLinkCount=2\r\n"
                                 "[Group-0-Link-0]\r\nLnk=zzz1F.lnk\r\nIsShowingToolTip=1\r\n"
                                 "[Group-0-Link-1]\r\nLnk=zzz20.lnk\r\nIsShowingToolTip=0\r\n"
                                 "[Group-1]\r\nX=300\r\nY=40\r\nColumn=4\r\nIsLargeIcon=0\r\nIsTitleVisible=1\r\n"
                                 "BackgroundIndex=6\r\nLinkCount=0\r\n";

// A Data folder with a model pointed at it.
class DataFolder : public testing::Test {
protected:
    void SetUp() override { model.SetDataFolder(folder.Path()); }

    void Touch(const std::wstring& name) { WriteFileBytes(folder / name, "shortcut"); }
    void WriteStore(const std::string& text) { WriteFileBytes(folder / L"groups.txt", text); }
    std::string Store() const { return ReadFileBytes(folder / L"groups.txt"); }
    bool StoreExists() const { return GetFileAttributesW((folder / L"groups.txt").c_str()) != INVALID_FILE_ATTRIBUTES; }

    // "x,y c<Column> L|S T|- b<BackgroundIndex>: name name~" per group, ~ marking a hidden tooltip.
    static std::string Describe(const OrvexModel& model) {
        std::string text;
        for (const auto& group : model.GetGroups()) {
            const LinkGroupSettings& s = group->GetSettings();
            if (!text.empty())
                text += " | ";
            text += std::to_string(s.X()) + "," + std::to_string(s.Y()) + " c" + std::to_string(s.Column()) +
                    (s.IsLargeIcon() ? " L" : " S") + (s.IsTitleVisible() ? "T" : "-") + " b" +
                    std::to_string(s.BackgroundIndex()) + ":";
            for (const auto& link : group->GetLinks()) {
                text += " " + std::string(link->FileName().begin(), link->FileName().end()) +
                        (link->IsShowingToolTip() ? "" : "~");
            }
        }
        return text;
    }

    LinkGroupModel* AddGroupWithLinks(int x, const std::vector<std::wstring>& names) {
        LinkGroupModel* group = model.AddGroup(x, 0);
        group->GetSettings().SetBackgroundIndex(x % 7);
        for (const auto& name : names) {
            Touch(name);
            group->AppendLink(name, folder / name);
        }
        return group;
    }

    TempFolder folder;
    OrvexModel model;
};

} // namespace

TEST_F(DataFolder, AddNewGroupGivesADefaultGroupAndLeavesTheFlagAlone) {
    SeedRandomBackground(1);
    std::set<int> backgrounds;
    for (int i = 0; i < 200; ++i) {
        LinkGroupModel* group = model.AddNewGroup();
        const LinkGroupSettings& settings = group->GetSettings();
        EXPECT_EQ(settings.X(), 0);
        EXPECT_EQ(settings.Y(), 0);
        EXPECT_EQ(settings.Column(), 5);
        EXPECT_TRUE(settings.IsLargeIcon());
        EXPECT_FALSE(settings.IsTitleVisible());
        EXPECT_TRUE(group->GetLinks().empty());
        backgrounds.insert(settings.BackgroundIndex());
    }
    EXPECT_EQ(backgrounds, (std::set<int>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_FALSE(model.IsChanged());
    EXPECT_EQ(model.GetGroups().back()->GetSettings().X(), 0);

    model.SetChanged();
    model.AddGroup(5, 6);
    EXPECT_TRUE(model.IsChanged());
    EXPECT_FALSE(StoreExists());
}

TEST_F(DataFolder, ChangesToAGroupOfTheModelMarkItChanged) {
    LinkGroupModel* group = model.AddNewGroup();
    EXPECT_FALSE(model.IsChanged());
    group->GetSettings().SetX(40);
    EXPECT_TRUE(model.IsChanged());
    model.Save();
    EXPECT_FALSE(model.IsChanged());
    group->InsertLink(L"a.lnk", folder / L"a.lnk", 0);
    EXPECT_TRUE(model.IsChanged());
    group->InsertLink(L"b.lnk", folder / L"b.lnk", 1);
    model.Save();
    group->MoveLink(0, 0);
    group->GetSettings().SetX(40);
    EXPECT_FALSE(model.IsChanged()) << "a shortcut dropped where it stood, a group left where it was";
    group->MoveLink(0, 2);
    EXPECT_TRUE(model.IsChanged());
}

TEST(RandomBackground, SevenValuesEquallyLikelyAndASeedRepeatsTheSequence) {
    SeedRandomBackground(42);
    std::vector<int> first;
    int counts[7] = {};
    for (int i = 0; i < 7000; ++i) {
        const int index = RandomBackgroundIndex();
        ASSERT_GE(index, 0);
        ASSERT_LE(index, 6);
        ++counts[index];
        if (i < 20)
            first.push_back(index);
    }
    for (int count : counts) {
        EXPECT_GT(count, 850);
        EXPECT_LT(count, 1150);
    }
    SeedRandomBackground(42);
    for (int expected : first)
        EXPECT_EQ(RandomBackgroundIndex(), expected);
}

TEST_F(DataFolder, RemoveGroupSavesAtOnceAndKeepsTheShortcutFiles) {
    const struct {
        const char* what;
        int remove; // -1: a group of another model
        const char* expected;
    } cases[] = {
        {"first", 0, "1,0 c5 L- b1: b.lnk | 2,0 c5 L- b2: c.lnk"},
        {"middle", 1, "0,0 c5 L- b0: a.lnk | 2,0 c5 L- b2: c.lnk"},
        {"last", 2, "0,0 c5 L- b0: a.lnk | 1,0 c5 L- b1: b.lnk"},
    };
    for (const auto& c : cases) {
        TempFolder data;
        OrvexModel built;
        built.SetDataFolder(data.Path());
        const wchar_t* names[] = {L"a.lnk", L"b.lnk", L"c.lnk"};
        for (int g = 0; g < 3; ++g) {
            LinkGroupModel* group = built.AddGroup(g, 0);
            group->GetSettings().SetBackgroundIndex(g);
            WriteFileBytes(data / names[g], "shortcut");
            group->AppendLink(names[g], data / names[g]);
        }
        built.Save();
        built.RemoveGroup(built.GetGroups()[c.remove].get());
        EXPECT_FALSE(built.IsChanged());

        OrvexModel reloaded;
        reloaded.SetDataFolder(data.Path());
        reloaded.Load();
        EXPECT_EQ(Describe(reloaded), c.expected) << c.what;
        EXPECT_EQ(TestSupport::ListFolder(data.Path()).size(), 4u) << "three shortcut files and the store";
    }
}

TEST_F(DataFolder, RemoveGroupWritesTheStoreEvenWithNothingPending) {
    LinkGroupModel* group = model.AddNewGroup();
    model.AddGroup(7, 8);
    ASSERT_FALSE(model.IsChanged());
    model.RemoveGroup(group);
    EXPECT_NE(Store().find("GroupCount=1\r\n[Group-0]\r\nX=7\r\nY=8\r\n"), std::string::npos) << Store();
}

TEST_F(DataFolder, RemovingOrMovingAGroupThatIsNotInTheListDoesNothing) {
    model.AddNewGroup();
    model.AddNewGroup();
    LinkGroupModel stranger;
    model.RemoveGroup(&stranger);
    model.RemoveGroup(nullptr);
    model.MoveGroupToEnd(&stranger);
    model.MoveGroupToEnd(nullptr);
    EXPECT_EQ(model.GetGroups().size(), 2u);
    EXPECT_FALSE(StoreExists());
    EXPECT_FALSE(model.IsChanged());

    OrvexModel empty;
    empty.SetDataFolder(folder.Path());
    empty.MoveGroupToEnd(nullptr);
    EXPECT_FALSE(StoreExists());
}

TEST_F(DataFolder, MoveGroupToEndReordersAndSavesAtOnceUnlessTheGroupIsLast) {
    const struct {
        int move;
        const char* expectedOrder;
        bool saves;
    } cases[] = {{0, "1 2 0", true}, {1, "0 2 1", true}, {2, "0 1 2", false}};
    for (const auto& c : cases) {
        TempFolder data;
        OrvexModel built;
        built.SetDataFolder(data.Path());
        for (int g = 0; g < 3; ++g)
            built.AddGroup(g, 0);
        built.MoveGroupToEnd(built.GetGroups()[c.move].get());

        std::string order;
        for (const auto& group : built.GetGroups())
            order += (order.empty() ? "" : " ") + std::to_string(group->GetSettings().X());
        EXPECT_EQ(order, c.expectedOrder);
        const std::string store = ReadFileBytes(data / L"groups.txt");
        EXPECT_EQ(!store.empty(), c.saves) << "moving group " << c.move;
        if (c.saves) {
            EXPECT_NE(store.find("[Group-2]\r\nX=" + std::to_string(c.move) + "\r\n"), std::string::npos) << store;
        }
        EXPECT_FALSE(built.IsChanged());
    }
}

TEST_F(DataFolder, SaveWritesTheStoreFormatByteForByte) {
    LinkGroupModel* first = model.AddGroup(12, 40);
    first->GetSettings().SetBackgroundIndex(3);
    first->AppendLink(L"zzz1F.lnk", folder / L"zzz1F.lnk");
    first->AppendLink(L"zzz20.lnk", folder / L"zzz20.lnk")->SetIsShowingToolTip(false);
    LinkGroupModel* second = model.AddGroup(300, 40);
    second->GetSettings().SetColumn(4);
    second->GetSettings().SetIsLargeIcon(false);
    second->GetSettings().SetIsTitleVisible(true);
    second->GetSettings().SetBackgroundIndex(6);
    ASSERT_TRUE(model.IsChanged());

    model.Save();
    EXPECT_EQ(Store(), ExampleStore);
    EXPECT_FALSE(model.IsChanged());
    EXPECT_EQ(TestSupport::ListFolder(folder.Path()), std::vector<std::wstring>{L"groups.txt"});
}

TEST_F(DataFolder, TheExampleStoreLoadsAsDescribedWithoutMarkingTheModelChanged) {
    Touch(L"zzz1F.lnk");
    Touch(L"zzz20.lnk");
    WriteStore(ExampleStore);
    model.Load();
    EXPECT_EQ(Describe(model), "12,40 c5 L- b3: zzz1F.lnk zzz20.lnk~ | 300,40 c4 ST b6:");
    EXPECT_EQ(model.GetGroups()[0]->GetLinks()[1]->Path(), folder / L"zzz20.lnk");
    EXPECT_FALSE(model.IsChanged());

    model.GetGroups()[1]->GetSettings().SetY(50);
    EXPECT_TRUE(model.IsChanged()) << "loaded groups are bound to the model";
}

TEST_F(DataFolder, LoadReadsDefaultsForWhatIsMissingOrNotANumber) {
    for (const wchar_t* name : {L"a.lnk", L"b.lnk", L"c.lnk"})
        Touch(name);
    const struct {
        const char* what;
        std::string store;
        const char* expected; // b? stands for a background drawn at random
    } cases[] = {
        {"no keys in the group section", "[Group]\r\nGroupCount=1\r\n[Group-0]\r\nBackgroundIndex=2\r\n",
         "0,0 c0 L- b2:"},
        {"values that are not whole numbers",
         "[Group]\r\nGroupCount=1\r\n[Group-0]\r\nX=12abc\r\nY=0x1F\r\nColumn=\r\nIsLargeIcon=yes\r\n"
         "IsTitleVisible=on\r\nBackgroundIndex=4\r\nLinkCount=1x\r\n[Group-0-Link-0]\r\nLnk=a.lnk\r\n",
         "0,0 c0 L- b4:"},
        {"booleans are numbers and any but 0 is true",
         "[Group]\r\nGroupCount=1\r\n[Group-0]\r\nIsLargeIcon=2\r\nIsTitleVisible=-1\r\nBackgroundIndex=0\r\n"
         "LinkCount=2\r\n[Group-0-Link-0]\r\nLnk=a.lnk\r\nIsShowingToolTip=0\r\n[Group-0-Link-1]\r\nLnk=b.lnk\r\n",
         "0,0 c0 LT b0: a.lnk~ b.lnk"},
        {"negative numbers",
         "[Group]\r\nGroupCount=1\r\n[Group-0]\r\nX=-20\r\nY=-1\r\nColumn=-3\r\nBackgroundIndex=1\r\n",
         "-20,-1 c-3 L- b1:"},
        {"names in any case, blanks and blank lines",
         "\r\n[ group ]\r\n groupcount = 1 \r\n\r\n[GROUP-0]\r\nx=5\r\nLINKCOUNT=1\r\nbackgroundindex=5\r\n"
         "[group-0-link-0]\r\n lnk = c.lnk \r\n",
         "5,0 c0 L- b5: c.lnk"},
        {"a missing group section gives a default group",
         "[Group]\r\nGroupCount=2\r\n[Group-0]\r\nBackgroundIndex=1\r\n", "0,0 c0 L- b1: | 0,0 c0 L- b?:"},
        {"GroupCount 0", "[Group]\r\nGroupCount=0\r\n[Group-0]\r\nX=1\r\n", ""},
        {"negative GroupCount", "[Group]\r\nGroupCount=-3\r\n[Group-0]\r\nX=1\r\n", ""},
        {"GroupCount that is not a number", "[Group]\r\nGroupCount=2x\r\n[Group-0]\r\nX=1\r\n", ""},
        {"no Group section", "[Group-0]\r\nX=1\r\n", ""},
        {"empty file", "", ""},
        {"Lnk that is empty, absent or not a file name",
         "[Group]\r\nGroupCount=1\r\n[Group-0]\r\nBackgroundIndex=0\r\nLinkCount=5\r\n[Group-0-Link-0]\r\nLnk=\r\n"
         "[Group-0-Link-1]\r\nIsShowingToolTip=1\r\n[Group-0-Link-2]\r\nLnk=..\\a.lnk\r\n"
         "[Group-0-Link-3]\r\nLnk=C:a.lnk\r\n[Group-0-Link-4]\r\nLnk=b.lnk\r\n",
         "0,0 c0 L- b0: b.lnk"},
        {"a folder is not a shortcut file",
         "[Group]\r\nGroupCount=1\r\n[Group-0]\r\nBackgroundIndex=0\r\nLinkCount=1\r\n[Group-0-Link-0]\r\nLnk=sub\r\n",
         "0,0 c0 L- b0:"},
        {"UTF-16 store", "", "3,0 c0 L- b2: a.lnk"},
        {"UTF-8 store with its mark",
         "\xEF\xBB\xBF[Group]\r\nGroupCount=1\r\n[Group-0]\r\nX=3\r\nBackgroundIndex=2\r\nLinkCount=1\r\n"
         "[Group-0-Link-0]\r\nLnk=a.lnk\r\n",
         "3,0 c0 L- b2: a.lnk"},
    };
    CreateDirectoryW((folder / L"sub").c_str(), nullptr);
    for (const auto& c : cases) {
        if (std::string(c.what) == "UTF-16 store") {
            WriteStore(
                Tessel::Common::EncodeUtf16LE(L"[Group]\r\nGroupCount=1\r\n[Group-0]\r\nX=3\r\nBackgroundIndex=2\r\n"
                                              L"LinkCount=1\r\n[Group-0-Link-0]\r\nLnk=a.lnk\r\n"));
        } else {
            WriteStore(c.store);
        }
        SeedRandomBackground(9);
        const std::string random = std::to_string(RandomBackgroundIndex());
        SeedRandomBackground(9);
        model.Load();
        std::string expected = c.expected;
        if (const auto at = expected.find("b?"); at != std::string::npos)
            expected.replace(at + 1, 1, random);
        EXPECT_EQ(Describe(model), expected) << c.what;
        EXPECT_FALSE(model.IsChanged()) << c.what;
    }
}

TEST_F(DataFolder, NoStoreGivesAnEmptyModelAndLoadReplacesWhatWasThere) {
    model.AddNewGroup();
    model.Load();
    EXPECT_TRUE(model.GetGroups().empty());
    EXPECT_FALSE(model.IsChanged());
}

TEST_F(DataFolder, AMissingBackgroundIsDrawnAtRandomOnEveryLoad) {
    WriteStore("[Group]\r\nGroupCount=1\r\n[Group-0]\r\nX=1\r\n");
    std::set<int> seen;
    for (int i = 0; i < 100; ++i) {
        model.Load();
        seen.insert(model.GetGroups()[0]->GetSettings().BackgroundIndex());
    }
    EXPECT_EQ(seen, (std::set<int>{0, 1, 2, 3, 4, 5, 6}));
}

TEST_F(DataFolder, AStaleShortcutEntryIsSkippedOnLoadAndDroppedByTheNextSave) {
    Touch(L"zzz1.lnk");
    Touch(L"zzz3.lnk");
    WriteStore("[Group]\r\nGroupCount=1\r\n[Group-0]\r\nX=0\r\nY=0\r\nColumn=5\r\nIsLargeIcon=1\r\nIsTitleVisible=0\r\n"
               "BackgroundIndex=2\r\nLinkCount=3\r\n"
               "[Group-0-Link-0]\r\nLnk=zzz1.lnk\r\nIsShowingToolTip=1\r\n"
               "[Group-0-Link-1]\r\nLnk=zzz2.lnk\r\nIsShowingToolTip=1\r\n"
               "[Group-0-Link-2]\r\nLnk=zzz3.lnk\r\nIsShowingToolTip=0\r\n");
    model.Load();
    EXPECT_EQ(Describe(model), "0,0 c5 L- b2: zzz1.lnk zzz3.lnk~");
    EXPECT_FALSE(model.IsChanged());
    model.Save();
    EXPECT_EQ(Store(), "[Group]\r\nGroupCount=1\r\n[Group-0]\r\nX=0\r\nY=0\r\nColumn=5\r\nIsLargeIcon=1\r\n"
                       "IsTitleVisible=0\r\nBackgroundIndex=2\r\nLinkCount=2\r\n"
                       "[Group-0-Link-0]\r\nLnk=zzz1.lnk\r\nIsShowingToolTip=1\r\n"
                       "[Group-0-Link-1]\r\nLnk=zzz3.lnk\r\nIsShowingToolTip=0\r\n");
}

TEST_F(DataFolder, ShortcutFilesAreFoundInAnySpellingAmongManyFilesAndFoldersNamedLikeOneAreNot) {
    // More files than the load lists at once, so some names are found only when asked about alone.
    for (int i = 0; i < 150; ++i)
        Touch(L"other" + std::to_wstring(i) + L".txt");
    Touch(L"zzzA.lnk");
    Touch(L"ZZZB.LNK");
    Touch(L"zzzD.lnk");
    ASSERT_TRUE(CreateDirectoryW((folder / L"zzzC.lnk").c_str(), nullptr));
    std::string store = "[Group]\r\nGroupCount=1\r\n[Group-0]\r\nBackgroundIndex=1\r\nLinkCount=5\r\n";
    int k = 0;
    for (const char* name : {"zzzA.lnk", "zzzb.lnk", "zzzC.lnk", "zzzD.lnk", "zzzE.lnk"})
        store += "[Group-0-Link-" + std::to_string(k++) + "]\r\nLnk=" + name + "\r\n";
    WriteStore(store);
    model.Load();
    EXPECT_EQ(Describe(model), "0,0 c0 L- b1: zzzA.lnk zzzb.lnk zzzD.lnk");
}

TEST_F(DataFolder, SaveRenumbersFromTheCurrentPositionsAndDropsOldSections) {
    AddGroupWithLinks(0, {L"a.lnk", L"b.lnk", L"c.lnk"});
    AddGroupWithLinks(1, {L"d.lnk"});
    AddGroupWithLinks(2, {L"e.lnk", L"f.lnk"});
    model.Save();
    model.GetGroups()[0]->DeleteLink(1);
    model.GetGroups()[2]->MoveLink(1, 0);
    model.RemoveGroup(model.GetGroups()[1].get());

    const std::string store = Store();
    EXPECT_EQ(store, "[Group]\r\nGroupCount=2\r\n"
                     "[Group-0]\r\nX=0\r\nY=0\r\nColumn=5\r\nIsLargeIcon=1\r\nIsTitleVisible=0\r\nBackgroundIndex=0\r\n"
                     "LinkCount=2\r\n"
                     "[Group-0-Link-0]\r\nLnk=a.lnk\r\nIsShowingToolTip=1\r\n"
                     "[Group-0-Link-1]\r\nLnk=c.lnk\r\nIsShowingToolTip=1\r\n"
                     "[Group-1]\r\nX=2\r\nY=0\r\nColumn=5\r\nIsLargeIcon=1\r\nIsTitleVisible=0\r\nBackgroundIndex=2\r\n"
                     "LinkCount=2\r\n"
                     "[Group-1-Link-0]\r\nLnk=f.lnk\r\nIsShowingToolTip=1\r\n"
                     "[Group-1-Link-1]\r\nLnk=e.lnk\r\nIsShowingToolTip=1\r\n");
}

TEST_F(DataFolder, SavedStoreLoadsIntoAFreshModelAndSavesAgainByteForByte) {
    AddGroupWithLinks(10, {L"zzz1.lnk", L"zzz2.lnk"});
    LinkGroupModel* second = AddGroupWithLinks(-20, {});
    second->GetSettings().SetColumn(0);
    second->GetSettings().SetIsLargeIcon(false);
    second->GetSettings().SetIsTitleVisible(true);
    AddGroupWithLinks(300, {L"zzz3.lnk", L"zzz4.lnk", L"zzz5.lnk"})->GetLinks()[1]->SetIsShowingToolTip(false);
    model.Save();
    const std::string first = Store();

    OrvexModel fresh;
    fresh.SetDataFolder(folder.Path());
    fresh.Load();
    EXPECT_EQ(Describe(fresh), Describe(model));
    DeleteFileW((folder / L"groups.txt").c_str());
    fresh.Save();
    EXPECT_EQ(Store(), first);
}

TEST_F(DataFolder, FailedSaveKeepsTheOldStoreWholeAndTheFlagSet) {
    AddGroupWithLinks(1, {L"a.lnk"});
    model.Save();
    const std::string old = Store();
    model.AddNewGroup()->GetSettings().SetX(5);
    ASSERT_TRUE(model.IsChanged());

    const auto expectWriteError = [&](const char* what) {
        try {
            model.Save();
            ADD_FAILURE() << what << ": no error";
        } catch (const Exception& error) {
            EXPECT_EQ(error.Message(), L"Unable to write to " + (folder / L"groups.txt")) << what;
        }
        EXPECT_EQ(Store(), old) << what;
        EXPECT_TRUE(model.IsChanged()) << what;
    };

    // The temporary file cannot be made where a folder of its name stands.
    CreateDirectoryW((folder / L"groups.txt.tmp").c_str(), nullptr);
    expectWriteError("temporary file blocked");
    RemoveDirectoryW((folder / L"groups.txt.tmp").c_str());

    // Another program holds the store for longer than the retries wait.
    const HANDLE held = CreateFileW((folder / L"groups.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    expectWriteError("store held open");
    CloseHandle(held);
    EXPECT_EQ(TestSupport::ListFolder(folder.Path()).size(), 2u) << "no temporary file left behind";

    // Once writing works again, the next save stores everything.
    model.Save();
    EXPECT_FALSE(model.IsChanged());
    EXPECT_NE(Store().find("GroupCount=2"), std::string::npos);
}

TEST_F(DataFolder, AStoreThatCannotBeReadIsNeverTheOnlyCopyASaveReplaces) {
    WriteStore(ExampleStore);
    const std::wstring store = folder / L"groups.txt";
    const std::wstring kept = folder / L"groups.txt.unreadable";
    // Held exclusively by another program at start and at the first save, then let go.
    HANDLE held = CreateFileW(store.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    model.Load();
    EXPECT_TRUE(model.GetGroups().empty());
    model.AddNewGroup()->GetSettings().SetX(8);
    EXPECT_THROW(model.Save(), Exception);
    EXPECT_TRUE(model.IsChanged());
    CloseHandle(held);
    EXPECT_EQ(Store(), ExampleStore) << "the store the user had is untouched";

    model.Save();
    EXPECT_EQ(ReadFileBytes(kept), ExampleStore) << "a copy of it is kept beside the new store";
    EXPECT_NE(Store().find("GroupCount=1"), std::string::npos);
    model.AddNewGroup()->GetSettings().SetX(16);
    model.Save();
    EXPECT_EQ(TestSupport::ListFolder(folder.Path()).size(), 3u) << "one copy, made once, and the backup";
    EXPECT_EQ(ReadFileBytes(folder / L"groups.txt.bak"), ExampleStore) << "the backup is the store before this run";
}

TEST_F(DataFolder, SaveIntoAFolderThatIsGoneFailsWithTheFlagSet) {
    model.SetDataFolder(folder / L"gone");
    model.AddNewGroup()->GetSettings().SetX(1);
    EXPECT_THROW(model.Save(), Exception);
    EXPECT_TRUE(model.IsChanged());
}

TEST_F(DataFolder, RemoveGroupWhoseSaveFailsLeavesTheRemovalForTheNextSave) {
    AddGroupWithLinks(1, {});
    AddGroupWithLinks(2, {});
    model.Save();
    CreateDirectoryW((folder / L"groups.txt.tmp").c_str(), nullptr);
    EXPECT_THROW(model.RemoveGroup(model.GetGroups()[0].get()), Exception);
    EXPECT_EQ(model.GetGroups().size(), 1u);
    EXPECT_TRUE(model.IsChanged()) << "the save timer must try again";
    RemoveDirectoryW((folder / L"groups.txt.tmp").c_str());
    model.Save();
    EXPECT_NE(Store().find("GroupCount=1"), std::string::npos);
}

TEST_F(DataFolder, HostileCountsLoadInBoundedTimeAndTheLogSaysSo) {
    Touch(L"a.lnk");
    Touch(L"b.lnk");
    WriteStore("[Group]\r\nGroupCount=2000000000\r\n[Group-0]\r\nBackgroundIndex=0\r\nLinkCount=2000000000\r\n"
               "[Group-0-Link-0]\r\nLnk=a.lnk\r\n[Group-0-Link-1]\r\nLnk=b.lnk\r\n");
    TestSupport::LogCapture log;
    model.Load();
    ASSERT_EQ(model.GetGroups().size(), 1u + OrvexModel::MaxGroupsWithoutSection) << "one group with a section";
    EXPECT_EQ(model.GetGroups()[0]->GetLinks().size(), 2u);
    EXPECT_TRUE(model.GetGroups()[1000]->GetLinks().empty());
    EXPECT_NE(log.Text().find(L"GroupCount 2000000000"), std::wstring::npos) << log.Text();
}

TEST_F(DataFolder, GroupsWithSectionsBeyondTheLimitAreAllLoadedInTheirOrder) {
    std::string store = "[Group]\r\nGroupCount=2000000000\r\n";
    for (int g = 100; g < 1200; g += 100)
        store += "[Group-" + std::to_string(g) + "]\r\nX=" + std::to_string(g) + "\r\n";
    store += "[Group-1199]\r\nX=1199\r\n";
    WriteStore(store);
    model.Load();
    // The numbers without a section of their own give default groups up to the limit: all of
    // 0 to 999 but the nine with a section, then nine of 1001 to 1099.
    ASSERT_EQ(model.GetGroups().size(), 12u + OrvexModel::MaxGroupsWithoutSection);
    std::vector<int> withSection;
    for (const auto& group : model.GetGroups()) {
        if (group->GetSettings().X() != 0)
            withSection.push_back(group->GetSettings().X());
    }
    EXPECT_EQ(withSection, (std::vector<int>{100, 200, 300, 400, 500, 600, 700, 800, 900, 1000, 1100, 1199}));
    EXPECT_EQ(model.GetGroups()[100]->GetSettings().X(), 100) << "before the limit, every group keeps its number";
    EXPECT_EQ(model.GetGroups().back()->GetSettings().X(), 1199);
}

TEST_F(DataFolder, ALeftoverTemporaryFileFromAKilledSaveChangesNothing) {
    Touch(L"a.lnk");
    WriteStore(ExampleStore);
    WriteFileBytes(folder / L"groups.txt.tmp", "[Group]\r\nGroupCount=7\r\n[Gro");
    model.Load();
    EXPECT_EQ(model.GetGroups().size(), 2u);
    model.Save();
    std::vector<std::wstring> names = TestSupport::ListFolder(folder.Path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"a.lnk", L"groups.txt", L"groups.txt.bak"}));
}

namespace {

std::uint64_t LastWriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

} // namespace

TEST_F(DataFolder, ARunThatChangesNothingLeavesTheStoreAndItsBackupAsTheyWere) {
    AddGroupWithLinks(12, {L"a.lnk", L"b.lnk"});
    model.Save();
    const std::string stored = Store();
    WriteFileBytes(folder / L"groups.txt.bak", "the state before the last run that changed something");
    const std::uint64_t storeTime = LastWriteTime(folder / L"groups.txt");
    Sleep(50);

    // A new run: loaded, laid out at the stored places (setters given what they hold), marked
    // changed by a command that changed nothing, and saved.
    OrvexModel run;
    run.SetDataFolder(folder.Path());
    run.Load();
    LinkGroupSettings& settings = run.GetGroups()[0]->GetSettings();
    settings.SetX(settings.X());
    settings.SetY(settings.Y());
    EXPECT_FALSE(run.IsChanged());
    run.SetChanged();
    run.Save();
    EXPECT_FALSE(run.IsChanged());
    EXPECT_EQ(Store(), stored);
    EXPECT_EQ(LastWriteTime(folder / L"groups.txt"), storeTime) << "not written again";
    EXPECT_EQ(ReadFileBytes(folder / L"groups.txt.bak"), "the state before the last run that changed something");

    // The first change of a run keeps the store as the run found it.
    settings.SetX(40);
    run.Save();
    EXPECT_EQ(ReadFileBytes(folder / L"groups.txt.bak"), stored);
    settings.SetX(80);
    run.Save();
    EXPECT_EQ(ReadFileBytes(folder / L"groups.txt.bak"), stored) << "one generation: the store before this run";
}

TEST_F(DataFolder, TheStoreIsNotReplacedBeforeItsBackupOfThisRunIsKept) {
    AddGroupWithLinks(12, {L"a.lnk"});
    model.Save();
    const std::string stored = Store();
    OrvexModel run;
    run.SetDataFolder(folder.Path());
    run.Load();
    // Where a folder stands the backup cannot be written (as on a full disk).
    CreateDirectoryW((folder / L"groups.txt.bak").c_str(), nullptr);
    TestSupport::LogCapture log;
    run.GetGroups()[0]->GetSettings().SetX(40);
    EXPECT_THROW(run.Save(), Exception);
    EXPECT_TRUE(run.IsChanged());
    EXPECT_EQ(Store(), stored);
    EXPECT_NE(log.Text().find(L"could not be kept as"), std::wstring::npos) << log.Text();

    RemoveDirectoryW((folder / L"groups.txt.bak").c_str());
    run.Save();
    EXPECT_FALSE(run.IsChanged());
    EXPECT_EQ(ReadFileBytes(folder / L"groups.txt.bak"), stored);
    EXPECT_NE(Store().find("X=40"), std::string::npos);
}
