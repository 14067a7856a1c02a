#include "model/LayoutSnapshots.h"

#include "support/LogCapture.h"
#include "support/FixedClock.h"
#include "support/MemoryFileStore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::wstring Root = L"C:\\Docs\\Tilebay\\1.0";
const std::wstring Data = Root + L"\\Data";
const std::wstring Snaps = Root + L"\\Snapshots";

// A store of one group per entry of links, each naming its shortcut files.
std::string StoreText(const std::vector<std::vector<std::string>>& groups) {
    std::string text = "[Group]\r\nGroupCount=" + std::to_string(groups.size()) + "\r\n";
    for (std::size_t g = 0; g < groups.size(); ++g) {
        text += "[Group-" + std::to_string(g) + "]\r\nX=" + std::to_string(10 * g) +
                "\r\nY=40\r\nLinkCount=" + std::to_string(groups[g].size()) + "\r\n";
        for (std::size_t k = 0; k < groups[g].size(); ++k) {
            text += "[Group-" + std::to_string(g) + "-Link-" + std::to_string(k) + "]\r\nLnk=" + groups[g][k] + "\r\n";
        }
    }
    return text;
}

std::wstring W(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

class LayoutSnapshotsTest : public ::testing::Test {
protected:
    TestSupport::LogCapture log;
    TestSupport::MemoryFileStore files;
    TestSupport::FixedClock clock;

    LayoutSnapshotsTest() {
        files.MakeFolder(Data);
        clock.SetDay(0);
    }

    // Puts a layout in the Data folder: the store, each shortcut file holding "target of <name>"
    // plus tag, and the settings file holding tag.
    void SetLayout(const std::vector<std::vector<std::string>>& groups, const std::string& tag) {
        files.Write(Data + L"\\groups.txt", StoreText(groups));
        for (const auto& group : groups) {
            for (const std::string& name : group) {
                files.Write(Data + L"\\" + W(name), "target of " + name + tag);
            }
        }
        files.Write(Root + L"\\Settings.ini", "[Settings]\r\nTag=" + tag + "\r\n");
    }

    std::vector<std::wstring> Names(LayoutSnapshots& snapshots) {
        std::vector<std::wstring> names;
        for (const auto& info : snapshots.List()) {
            names.push_back(info.name);
        }
        return names;
    }
};

TEST_F(LayoutSnapshotsTest, EachDaysFirstChangeKeepsTheStateBeforeIt) {
    LayoutSnapshots snapshots(files, clock, Root);
    const std::vector<std::vector<std::vector<std::string>>> layouts = {
        {{"zzz1.lnk"}}, {{"zzz1.lnk", "zzz2.lnk"}}, {{"zzz2.lnk"}, {"zzz3.lnk"}}};
    for (int day = 0; day < 3; ++day) {
        clock.SetDay(day);
        SetLayout(layouts[static_cast<std::size_t>(day)], std::to_string(day));
        ASSERT_TRUE(snapshots.KeepBeforeChange(true));
        // The change itself, and a later one the same day that keeps nothing new.
        files.Write(Data + L"\\groups.txt", "changed");
        clock.now += 3600;
        ASSERT_TRUE(snapshots.KeepBeforeChange(true));
    }
    EXPECT_EQ(Names(snapshots), (std::vector<std::wstring>{L"2026-12-03", L"2026-12-02", L"2026-12-01"}));
    for (int day = 0; day < 3; ++day) {
        const auto& layout = layouts[static_cast<std::size_t>(day)];
        const std::wstring folder = Snaps + L"\\2026-12-0" + std::to_wstring(day + 1);
        EXPECT_EQ(files.files[folder + L"\\groups.txt"], StoreText(layout));
        EXPECT_EQ(files.files[folder + L"\\Settings.ini"], "[Settings]\r\nTag=" + std::to_string(day) + "\r\n");
        std::size_t lnkFiles = 0;
        for (const auto& group : layout) {
            for (const std::string& name : group) {
                EXPECT_EQ(files.files[folder + L"\\" + W(name)], "target of " + name + std::to_string(day));
                ++lnkFiles;
            }
        }
        EXPECT_EQ(files.List(folder).size(), lnkFiles + 2) << "only the store, its shortcuts and the settings";
    }
    const auto infos = snapshots.List();
    EXPECT_EQ(infos[0].groups, 2u);
    EXPECT_EQ(infos[0].shortcuts, 2u);
    EXPECT_EQ(infos[1].groups, 1u);
    EXPECT_EQ(infos[1].shortcuts, 2u);
}

TEST_F(LayoutSnapshotsTest, TheThirtyFirstDayDropsTheOldest) {
    LayoutSnapshots snapshots(files, clock, Root);
    SetLayout({{"zzz1.lnk"}}, "x");
    for (int day = 0; day < 31; ++day) {
        clock.SetDay(day);
        ASSERT_TRUE(snapshots.KeepBeforeChange(true));
    }
    const auto names = Names(snapshots);
    ASSERT_EQ(names.size(), 30u);
    EXPECT_EQ(names.front(), L"2026-12-31");
    EXPECT_EQ(names.back(), L"2026-12-02");
    EXPECT_FALSE(files.IsFolder(Snaps + L"\\2026-12-01"));
    EXPECT_EQ(files.BytesBelow(Snaps + L"\\2026-12-01"), 0u);
    EXPECT_NE(log.Text().find(L"Snapshot dropped (more than 30 days)"), std::wstring::npos);
}

TEST_F(LayoutSnapshotsTest, TheSizeBoundDropsTheOldestFirst) {
    LayoutSnapshots snapshots(files, clock, Root);
    SetLayout({{"zzz1.lnk"}}, "x");
    // 20 MiB each: the fourth passes 64 MiB, so the first goes; the rest stay.
    files.files[Data + L"\\zzz1.lnk"] = std::string(20u << 20, 'L');
    for (int day = 0; day < 4; ++day) {
        clock.SetDay(day);
        ASSERT_TRUE(snapshots.KeepBeforeChange(true));
    }
    EXPECT_EQ(Names(snapshots), (std::vector<std::wstring>{L"2026-12-04", L"2026-12-03", L"2026-12-02"}));
    EXPECT_LE(files.BytesBelow(Snaps), LayoutSnapshots::MaxTotalBytes);
    EXPECT_NE(log.Text().find(L"Snapshot dropped (all snapshots together pass"), std::wstring::npos);

    // A snapshot that alone passes the bound is still kept, and says so.
    SetLayout({{"zzz1.lnk", "zzz2.lnk"}}, "x");
    files.files[Data + L"\\zzz1.lnk"] = std::string(33u << 20, 'L');
    files.files[Data + L"\\zzz2.lnk"] = std::string(33u << 20, 'L');
    clock.SetDay(4);
    ASSERT_TRUE(snapshots.KeepBeforeChange(true));
    EXPECT_EQ(Names(snapshots), (std::vector<std::wstring>{L"2026-12-05"}));
    EXPECT_NE(log.Text().find(L"The newest snapshot alone holds"), std::wstring::npos);
}

TEST_F(LayoutSnapshotsTest, ASnapshotCutByAKillIsRemovedAtTheNextStart) {
    SetLayout({{"zzz1.lnk", "zzz2.lnk"}}, "x");
    {
        LayoutSnapshots snapshots(files, clock, Root);
        // The kill: the third write (the second shortcut file) never happens.
        files.failWritesAfter = files.writes + 2;
        EXPECT_FALSE(snapshots.KeepBeforeChange(true));
    }
    // What the failed run removed itself; a kill leaves it, so put it back as a kill leaves it.
    EXPECT_FALSE(files.IsFolder(Snaps + L"\\2026-12-01.partial"));
    files.failWritesAfter = -1;
    files.MakeFolder(Snaps + L"\\2026-12-01.partial");
    files.Write(Snaps + L"\\2026-12-01.partial\\groups.txt", "half");

    LayoutSnapshots next(files, clock, Root);
    EXPECT_TRUE(next.List().empty()) << "a half-written snapshot is never offered";
    EXPECT_EQ(next.RemoveUnfinished(), 1u);
    EXPECT_FALSE(files.IsFolder(Snaps + L"\\2026-12-01.partial"));
    EXPECT_EQ(files.BytesBelow(Snaps), 0u);
    EXPECT_NE(log.Text().find(L"Removed a snapshot that was cut short"), std::wstring::npos);
    // The day's snapshot is then taken whole.
    ASSERT_TRUE(next.KeepBeforeChange(true));
    EXPECT_EQ(next.List().at(0).shortcuts, 2u);
}

TEST_F(LayoutSnapshotsTest, AnUnreadableStoreIsNeverKeptOverAGoodDay) {
    LayoutSnapshots snapshots(files, clock, Root);
    SetLayout({{"zzz1.lnk"}}, "good");
    ASSERT_TRUE(snapshots.KeepBeforeChange(true));
    clock.SetDay(1);
    files.Write(Data + L"\\groups.txt", std::string("\x01\x02garbage", 9));
    EXPECT_TRUE(snapshots.KeepBeforeChange(false));
    EXPECT_EQ(Names(snapshots), (std::vector<std::wstring>{L"2026-12-01"}));
    EXPECT_NE(log.Text().find(L"it is not kept as a snapshot"), std::wstring::npos);
}

TEST_F(LayoutSnapshotsTest, RestoreReplacesTheLayoutAndCanItselfBeUndone) {
    LayoutSnapshots snapshots(files, clock, Root);
    SetLayout({{"zzz1.lnk", "zzz2.lnk"}}, "old");
    ASSERT_TRUE(snapshots.KeepBeforeChange(true));
    // The next day: a change that drops zzz2, adds zzz3 and rewrites zzz1.
    clock.SetDay(1);
    ASSERT_TRUE(snapshots.KeepBeforeChange(true));
    files.Remove(Data + L"\\zzz2.lnk");
    SetLayout({{"zzz1.lnk"}, {"zzz3.lnk"}}, "new");
    const std::string changedStore = files.files[Data + L"\\groups.txt"];

    const auto restored = snapshots.Restore(L"2026-12-01");
    ASSERT_TRUE(restored.ok) << restored.error;
    // Today has its snapshot already, so the state before the restore gets the time as well.
    EXPECT_EQ(restored.keptAs, L"2026-12-02-120000");
    EXPECT_EQ(files.files[Data + L"\\groups.txt"], StoreText({{"zzz1.lnk", "zzz2.lnk"}}));
    EXPECT_EQ(files.files[Data + L"\\zzz1.lnk"], "target of zzz1.lnkold");
    EXPECT_EQ(files.files[Data + L"\\zzz2.lnk"], "target of zzz2.lnkold");
    EXPECT_FALSE(files.IsFile(Data + L"\\zzz3.lnk")) << "only the replaced store named it";

    const auto undone = snapshots.Restore(restored.keptAs);
    ASSERT_TRUE(undone.ok) << undone.error;
    EXPECT_EQ(undone.keptAs, L"2026-12-02-120000_2");
    EXPECT_EQ(files.files[Data + L"\\groups.txt"], changedStore);
    EXPECT_EQ(files.files[Data + L"\\zzz1.lnk"], "target of zzz1.lnknew");
    EXPECT_EQ(files.files[Data + L"\\zzz3.lnk"], "target of zzz3.lnknew");
    EXPECT_FALSE(files.IsFile(Data + L"\\zzz2.lnk"));
}

TEST_F(LayoutSnapshotsTest, ARestoreThatCannotKeepTheCurrentStateChangesNothing) {
    LayoutSnapshots snapshots(files, clock, Root);
    SetLayout({{"zzz1.lnk"}}, "old");
    ASSERT_TRUE(snapshots.KeepBeforeChange(true));
    clock.SetDay(1);
    SetLayout({{"zzz9.lnk"}}, "new");
    const auto before = files.files;
    files.failWritesAfter = files.writes;
    const auto result = snapshots.Restore(L"2026-12-01");
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());
    EXPECT_EQ(files.files, before);
    EXPECT_FALSE(snapshots.Restore(L"2026-11-30").ok) << "a day that has no snapshot";
    EXPECT_FALSE(snapshots.Restore(L"..\\Data").ok);
}

TEST(LayoutSnapshotNames, OnlyDaysAndTimesAreSnapshots) {
    const struct {
        const wchar_t* name;
        bool snapshot;
    } cases[] = {
        {L"2026-12-09", true},
        {L"2026-12-09-235959", true},
        {L"2026-12-09-235959_2", true},
        {L"2026-12-09_3", true},
        {L"2026-12-09.partial", false},
        {L"2026-12-9", false},
        {L"2026-12-09-2359", false},
        {L"2026-12-09_", false},
        {L"..", false},
        {L"2026-12-09\\..", false},
        {L"", false},
        {L"abcd-ef-gh", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LayoutSnapshots::IsSnapshotName(c.name), c.snapshot) << c.name;
    }
}

} // namespace
