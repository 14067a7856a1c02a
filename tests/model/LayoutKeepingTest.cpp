// Snapshots and imports on the real file system.
#include "foundation/archive/ZipWriter.h"
#include "model/LayoutArchive.h"
#include "model/LayoutImport.h"
#include "model/LayoutSnapshots.h"
#include "model/OrvexModel.h"
#include "model/WindowsFileStore.h"

#include "support/LogCapture.h"
#include "support/FixedClock.h"
#include "support/MemoryFileStore.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using TestSupport::TempFolder;

std::string ReadAll(const std::wstring& path) {
    WindowsFileStore files;
    std::string bytes;
    files.Read(path, 1u << 20, bytes);
    return bytes;
}

std::set<std::wstring> Names(const std::wstring& folder) {
    std::set<std::wstring> names;
    for (const auto& entry : WindowsFileStore().List(folder)) {
        names.insert(entry.name);
    }
    return names;
}

TEST(LayoutKeeping, SnapshotsAreWholeFoldersOnDiskAndLeftoversOfAKillGo) {
    TestSupport::LogCapture log;
    TempFolder root;
    WindowsFileStore files;
    TestSupport::FixedClock clock;
    clock.SetDay(8);
    const std::wstring data = root / L"Data";
    ASSERT_TRUE(files.MakeFolder(data));
    ASSERT_TRUE(files.Write(data + L"\\groups.txt", "[Group]\r\nGroupCount=1\r\n[Group-0]\r\nLinkCount=1\r\n"
                                                    "[Group-0-Link-0]\r\nLnk=zzz1.lnk\r\n"));
    ASSERT_TRUE(files.Write(data + L"\\zzz1.lnk", "shortcut"));
    // What a kill in the middle of a snapshot leaves, with a folder inside.
    ASSERT_TRUE(files.MakeFolder(root / L"Snapshots\\2026-12-08.partial\\deeper"));
    ASSERT_TRUE(files.Write(root / L"Snapshots\\2026-12-08.partial\\groups.txt", "half"));

    LayoutSnapshots snapshots(files, clock, root.Path());
    EXPECT_EQ(snapshots.RemoveUnfinished(), 1u);
    EXPECT_FALSE(files.IsFolder(root / L"Snapshots\\2026-12-08.partial"));
    ASSERT_TRUE(snapshots.KeepBeforeChange(true));
    EXPECT_EQ(Names(root / L"Snapshots"), std::set<std::wstring>{L"2026-12-09"});
    EXPECT_EQ(Names(root / L"Snapshots\\2026-12-09"), (std::set<std::wstring>{L"groups.txt", L"zzz1.lnk"}));
    EXPECT_EQ(ReadAll(root / L"Snapshots\\2026-12-09\\zzz1.lnk"), "shortcut");

    ASSERT_TRUE(files.Write(data + L"\\zzz1.lnk", "changed"));
    clock.SetDay(9);
    const auto restored = snapshots.Restore(L"2026-12-09");
    ASSERT_TRUE(restored.ok) << std::string(restored.error.begin(), restored.error.end());
    EXPECT_EQ(ReadAll(data + L"\\zzz1.lnk"), "shortcut");
    EXPECT_EQ(ReadAll(root / L"Snapshots\\2026-12-10\\zzz1.lnk"), "changed");
}

TEST(LayoutKeeping, ImportsWriteFreshShortcutFilesInDataAndNothingElse) {
    TestSupport::LogCapture log;
    TempFolder root;
    const std::wstring data = root / L"Data";
    WindowsFileStore files;
    ASSERT_TRUE(files.MakeFolder(data));
    ASSERT_TRUE(files.Write(data + L"\\zzzA.lnk", "mine"));
    const std::vector<Tessel::Common::Archive::ZipEntry> entries{
        {L"groups.txt", "[Group]\r\nGroupCount=1\r\n[Group-0]\r\nX=8\r\nY=40\r\nLinkCount=2\r\n"
                        "[Group-0-Link-0]\r\nLnk=zzzA.lnk\r\n[Group-0-Link-1]\r\nLnk=zzzB.lnk\r\n"},
        {L"zzzA.lnk", "imported A"},
        {L"zzzB.lnk", "imported B"}};
    const auto zip = Tessel::Common::Archive::WriteZip(entries, {});
    ASSERT_TRUE(zip.Ok());
    const auto import = LayoutArchive::Import(zip.bytes, files);
    ASSERT_TRUE(import.Ok());

    OrvexModel model;
    model.SetDataFolder(data);
    for (int copy = 0; copy < 2; ++copy) {
        const auto outcome = AddImportedGroups(model, import, 0, 100 * copy);
        EXPECT_EQ(outcome.shortcuts, 2u);
    }
    EXPECT_TRUE(model.IsChanged());
    ASSERT_EQ(model.GetGroups().size(), 2u);
    EXPECT_EQ(ReadAll(data + L"\\zzzA.lnk"), "mine") << "a file of the same name is never written over";
    std::set<std::wstring> names;
    for (const auto& group : model.GetGroups()) {
        ASSERT_EQ(group->GetLinks().size(), 2u);
        EXPECT_EQ(ReadAll(data + L"\\" + group->GetLinks()[0]->FileName()), "imported A");
        EXPECT_EQ(ReadAll(data + L"\\" + group->GetLinks()[1]->FileName()), "imported B");
        for (const auto& link : group->GetLinks()) {
            names.insert(link->FileName());
        }
    }
    EXPECT_EQ(names.size(), 4u) << "every copy has files of its own";
    EXPECT_EQ(model.GetGroups()[1]->GetSettings().Y(), 140);
    EXPECT_EQ(Names(root.Path()), std::set<std::wstring>{L"Data"});
    EXPECT_EQ(Names(data).size(), 5u) << "the user's file and the four imported ones, no temporary file";
}

} // namespace
