#include "support/ShellTest.h"
#include "support/TempFolder.h"

#include "support/LogCapture.h"

#include "foundation/win32/DataFolder.h"
#include "graphics/Graphic.h"
#include "model/LinkItemModel.h"
#include "model/ShortcutIcons.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

using TestSupport::TempFolder;

namespace {

// The size and last-write time a listing of the folder shows for the file, as a start reads them.
LinkItemModel::FileStamp ListedStamp(const std::wstring& folder, const std::wstring& name) {
    const Tessel::Common::FolderFiles files(folder);
    Tessel::Common::FolderFiles::Stamp listed;
    EXPECT_TRUE(files.ListedStamp(name, listed)) << "the listing shows the file";
    return {listed.size, listed.writeTime};
}

// A window that only receives the worker's results.
class ResultWindow {
public:
    ResultWindow()
        : mHandle(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
    ~ResultWindow() { DestroyWindow(mHandle); }
    ResultWindow(const ResultWindow&) = delete;
    ResultWindow& operator=(const ResultWindow&) = delete;
    HWND Handle() const { return mHandle; }

private:
    HWND mHandle;
};

// Takes what arrived as the panel does when the worker's message comes.
void TakeArrived(ShortcutIcons& icons, HWND window, std::vector<ShortcutIcons::Result>& results) {
    MSG message{};
    while (PeekMessageW(&message, window, ShortcutIcons::ResultsMessage, ShortcutIcons::ResultsMessage, PM_REMOVE)) {
        for (ShortcutIcons::Result& result : icons.TakeResults()) {
            results.push_back(std::move(result));
        }
    }
}

class ShortcutIconsTest : public TestSupport::ShellTest {
protected:
    static std::wstring Windows(const std::wstring& name) {
        wchar_t windows[MAX_PATH] = {};
        GetWindowsDirectoryW(windows, MAX_PATH);
        return std::wstring(windows) + L"\\" + name;
    }

    // Runs the look-ups of items and takes their results as the panel does, until all are in.
    std::vector<ShortcutIcons::Result> LookUpAll(ShortcutIcons& icons, const std::vector<LinkItemModel*>& items) {
        ResultWindow window;
        icons.Request(window.Handle(), items);
        std::vector<ShortcutIcons::Result> results;
        const DWORD until = GetTickCount() + 30000;
        while (!icons.Finished() && GetTickCount() < until) {
            TakeArrived(icons, window.Handle(), results);
            Sleep(5);
        }
        EXPECT_TRUE(icons.Finished()) << "every look arrived in time";
        return results;
    }
};

} // namespace

// The worker thread finds the same icons and names as the item's own look-up on the UI thread,
// each result tells which shortcut file it is for, and shortcuts to one program share pictures.
TEST_F(ShortcutIconsTest, TheWorkerFindsWhatTheItemItselfFinds) {
    const std::vector<std::pair<std::wstring, std::wstring>> shortcuts = {
        {L"zzz1.lnk", Windows(L"notepad.exe")},
        {L"zzz2.lnk", Windows(L"regedit.exe")},
        {L"zzz3.lnk", Windows(L"notepad.exe")},
        {L"zzz4.lnk", Windows(L"system32")},
    };
    std::vector<std::unique_ptr<LinkItemModel>> items;
    std::vector<LinkItemModel*> asked;
    for (const auto& [name, target] : shortcuts) {
        items.push_back(std::make_unique<LinkItemModel>(name, MakeShortcut(name, target)));
        asked.push_back(items.back().get());
    }
    ShortcutIcons icons;
    const std::vector<ShortcutIcons::Result> results = LookUpAll(icons, asked);
    ASSERT_EQ(results.size(), items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "shortcut " << i);
        LinkItemModel& item = *items[i];
        EXPECT_EQ(results[i].fileName, item.FileName());
        ASSERT_TRUE(results[i].large && results[i].small);
        EXPECT_EQ(results[i].large.Pixels(), IconPixels(item.GetLargeIcon(), 32, 32));
        EXPECT_EQ(results[i].small.Pixels(), IconPixels(item.GetSmallIcon(), 16, 16));
        EXPECT_EQ(results[i].displayName, item.DisplayName());
        EXPECT_FALSE(results[i].displayName.empty());
        EXPECT_NE(results[i].stamp.size, 0u);
    }
    EXPECT_EQ(results[0].large, results[2].large) << "the same program's icon is kept once";
    EXPECT_FALSE(results[0].large == results[1].large);
    EXPECT_FALSE(icons.LargeAtlas().IconCount() > 3);
}

// What the cache file holds is given back only to a shortcut file that has not changed since.
TEST_F(ShortcutIconsTest, TheCacheServesUnchangedShortcutFilesOnly) {
    const std::wstring cachePath = folder / L"IconCache.bin";
    // The items hold icons of the first ShortcutIcons, which therefore outlives them.
    ShortcutIcons writer;
    LinkItemModel item(L"zzz1.lnk", MakeShortcut(L"zzz1.lnk", Windows(L"notepad.exe")));
    LinkItemModel other(L"zzz2.lnk", MakeShortcut(L"zzz2.lnk", Windows(L"regedit.exe")));
    writer.LoadCache(cachePath);
    for (ShortcutIcons::Result& r : LookUpAll(writer, {&item, &other})) {
        (r.fileName == item.FileName() ? item : other).SetLook(r.large, r.small, r.displayName, r.stamp);
    }
    ASSERT_TRUE(writer.SaveCacheIfChanged({&item, &other}));
    const LinkItemModel::FileStamp stamp = ListedStamp(folder.Path(), L"zzz1.lnk");
    EXPECT_EQ(stamp, item.LookStamp());

    ShortcutIcons icons;
    icons.LoadCache(cachePath);
    LinkItemModel again(L"zzz1.lnk", item.Path());
    ASSERT_TRUE(icons.ApplyCached(again, stamp));
    EXPECT_EQ(again.DisplayName(), item.DisplayName());
    EXPECT_EQ(again.LargeIconRef().Pixels(), item.LargeIconRef().Pixels());
    EXPECT_EQ(again.SmallIconRef().Pixels(), item.SmallIconRef().Pixels());

    const struct {
        const char* what;
        std::wstring fileName;
        LinkItemModel::FileStamp stamp;
    } misses[] = {
        {"written since", L"zzz1.lnk", {stamp.size, stamp.writeTime + 1}},
        {"another size", L"zzz1.lnk", {stamp.size + 1, stamp.writeTime}},
        {"never looked up", L"zzz9.lnk", stamp},
    };
    for (const auto& miss : misses) {
        LinkItemModel changed(miss.fileName, item.Path());
        EXPECT_FALSE(icons.ApplyCached(changed, miss.stamp)) << miss.what;
        EXPECT_FALSE(changed.HasLook()) << miss.what;
    }
}

// On a screen at 150 percent the shell is asked for icons of 48 and 24 pixels, and they are kept
// in a cache file of their own that a screen at 100 percent does not take.
TEST_F(ShortcutIconsTest, IconsOfAScreensSizesAreLookedUpAndCachedAtThoseSizes) {
    LinkItemModel item(L"zzz1.lnk", MakeShortcut(L"zzz1.lnk", Windows(L"notepad.exe")));
    ShortcutIcons icons;
    icons.SetIconSizes(48, 24);
    EXPECT_EQ(icons.CacheFileName(), L"IconCache-48.bin");
    const std::wstring cachePath = folder / icons.CacheFileName();
    icons.LoadCache(cachePath);
    std::vector<ShortcutIcons::Result> results = LookUpAll(icons, {&item});
    ASSERT_EQ(results.size(), 1u);
    const std::vector<std::uint32_t> large = results[0].large.Pixels();
    ASSERT_EQ(large.size(), 48u * 48);
    EXPECT_EQ(results[0].small.Pixels().size(), 24u * 24);
    EXPECT_TRUE(std::any_of(large.begin(), large.end(), [](std::uint32_t p) { return (p >> 24) != 0; }))
        << "the icon has visible pixels";
    item.SetLook(results[0].large, results[0].small, results[0].displayName, results[0].stamp);
    ASSERT_TRUE(icons.SaveCacheIfChanged({&item}));

    const LinkItemModel::FileStamp stamp = ListedStamp(folder.Path(), L"zzz1.lnk");
    ShortcutIcons again;
    again.SetIconSizes(48, 24);
    again.LoadCache(cachePath);
    LinkItemModel cached(L"zzz1.lnk", item.Path());
    ASSERT_TRUE(again.ApplyCached(cached, stamp));
    EXPECT_EQ(cached.LargeIconRef().Pixels(), large);

    ShortcutIcons design;
    design.LoadCache(cachePath);
    LinkItemModel other(L"zzz1.lnk", item.Path());
    EXPECT_FALSE(design.ApplyCached(other, stamp)) << "icons of other sizes are not taken";
    EXPECT_EQ(design.CacheFileName(), L"IconCache.bin");
}

// A look-up that never returns (a shortcut on a share that does not answer) holds up neither the
// shortcuts after it nor the end: it is let go, and stopping takes no longer than StopWait.
TEST_F(ShortcutIconsTest, ALookUpThatHangsHoldsUpNeitherTheOthersNorTheEnd) {
    struct Gate {
        HANDLE open = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        ~Gate() { CloseHandle(open); }
    };
    // Shared with the look-up that hangs, which may outlive the test's frame.
    auto gate = std::make_shared<Gate>();
    LinkItemModel hanging(L"zzzhang.lnk", folder / L"zzzhang.lnk");
    LinkItemModel first(L"zzz1.lnk", folder / L"zzz1.lnk");
    LinkItemModel second(L"zzz2.lnk", folder / L"zzz2.lnk");
    TestSupport::LogCapture log;
    std::vector<ShortcutIcons::Result> results;
    ResultWindow window;
    {
        ShortcutIcons icons;
        icons.HangingAfter = std::chrono::milliseconds(200);
        icons.LookKey = [](const std::wstring&) { return std::wstring(); };
        icons.LookUp = [gate](const std::wstring& path, int, int) {
            if (path.find(L"zzzhang") != std::wstring::npos) {
                WaitForSingleObject(gate->open, INFINITE);
            }
            LinkItemModel::Look look;
            look.displayName = path.substr(path.rfind(L'\\') + 1);
            return look;
        };
        icons.Request(window.Handle(), {&hanging, &first, &second});
        const DWORD until = GetTickCount() + 10000;
        while (results.size() < 2 && GetTickCount() < until) {
            icons.CheckProgress();
            TakeArrived(icons, window.Handle(), results);
            Sleep(20);
        }
        ASSERT_EQ(results.size(), 2u) << log.Text();
        EXPECT_EQ(results[0].displayName, L"zzz1.lnk");
        EXPECT_EQ(results[1].displayName, L"zzz2.lnk");
        EXPECT_TRUE(icons.Finished()) << "the hanging look-up is not waited for";
        EXPECT_FALSE(icons.CheckProgress());
        EXPECT_NE(log.Text().find(L"Looking up the icon of zzzhang.lnk has taken more than 200 ms"), std::wstring::npos)
            << log.Text();

        const DWORD start = GetTickCount();
        icons.Stop();
        EXPECT_LT(GetTickCount() - start, 2000u) << "stopping does not wait for the hanging look-up";
        icons.Request(window.Handle(), {&first});
        EXPECT_TRUE(icons.Finished()) << "nothing is asked for after Stop";
    }
    // The look-up returns after its owner is gone: it touches nothing but what it shares, and
    // posts nothing.
    SetEvent(gate->open);
    Sleep(200);
    MSG message{};
    EXPECT_FALSE(PeekMessageW(&message, window.Handle(), 0, 0, PM_REMOVE));
}
