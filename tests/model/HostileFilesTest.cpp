// Group stores and settings files as a bad day leaves them: tiny files with absurd numbers, a
// file another program holds, damaged bytes, names that are devices. Each is loaded and then
// saved over, and what the user had must survive.

#include "support/LogCapture.h"
#include "support/TempFolder.h"

#include "foundation/lang/Exception.h"
#include "foundation/text/TextEncoding.h"
#include "model/OrvexModel.h"
#include "settings/ConfigItems.h"
#include "settings/UserSettings.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

using TestSupport::ReadFileBytes;
using TestSupport::TempFolder;
using TestSupport::WriteFileBytes;

namespace {

enum class Kind { Store, Settings };
// Whether another program holds the file open exclusively while it is loaded: not at all, for
// a moment (let go while loading retries), or until it is loaded (let go before the next save).
enum class Hold { No, ForAMoment, UntilLoaded };

struct HostileCase {
    const char* what;
    Kind kind;
    std::string bytes;
    Hold hold = Hold::No;
    // Store: groups and shortcuts loaded. Settings: the visible height loaded.
    std::size_t groups = 0;
    std::size_t links = 0;
    int visibleHeight = 0;
    // The next save keeps the file as it was beside it ("<file>.unreadable").
    bool keptAside = false;
    std::vector<std::wstring> logged = {};
};

const std::string UserStore =
    "[Group]\r\nGroupCount=1\r\n[Group-0]\r\nX=12\r\nY=40\r\nBackgroundIndex=3\r\nLinkCount=1\r\n"
    "[Group-0-Link-0]\r\nLnk=a.lnk\r\nIsShowingToolTip=0\r\n";
const std::string UserSettingsText = "[MainForm]\r\nWindowPos=12300450\r\nIsAutoStartEnabled=0\r\n"
                                     "[EdgeForm]\r\nVisbleHeight=25\r\n[App]\r\nFirstRunDate=40000\r\n";

std::string Utf16WithoutMark(const std::string& text) {
    return Tessel::Common::EncodeUtf16LE(std::wstring(text.begin(), text.end())).substr(2);
}

// Every one of many groups asks for 2000000000 shortcuts and has one far out.
std::string ManyGroupsWithFarShortcuts(int groups) {
    std::string text = "[Group]\r\nGroupCount=" + std::to_string(groups) + "\r\n";
    for (int g = 0; g < groups; ++g) {
        const std::string section = "Group-" + std::to_string(g);
        text += "[" + section + "]\r\nLinkCount=2000000000\r\n[" + section + "-Link-999999999]\r\nLnk=a.lnk\r\n";
    }
    return text;
}

std::string DeviceAndStoreNames() {
    const char* names[] = {"NUL",        "con.lnk",    "COM1.lnk",       "lpt9", "a.lnk.",
                           "\"a.lnk \"", "groups.txt", "GROUPS.TXT.bak", "a.lnk"};
    std::string text = "[Group]\r\nGroupCount=1\r\n[Group-0]\r\nLinkCount=" + std::to_string(std::size(names)) + "\r\n";
    for (std::size_t k = 0; k < std::size(names); ++k)
        text += "[Group-0-Link-" + std::to_string(k) + "]\r\nLnk=" + names[k] + "\r\n";
    return text;
}

// Holds a file open with no sharing at all, as a backup tool or virus scanner may.
class ExclusiveHold {
public:
    explicit ExclusiveHold(const std::wstring& path)
        : mHandle(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~ExclusiveHold() { Release(); }
    bool Held() const { return mHandle != INVALID_HANDLE_VALUE; }
    void Release() {
        if (Held())
            CloseHandle(mHandle);
        mHandle = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE mHandle;
};

std::vector<HostileCase> Cases() {
    const std::string nul(1, '\0');
    return {
        {.what = "1: GroupCount 2000000000 and one group section numbered 999999999",
         .kind = Kind::Store,
         .bytes = "[Group]\r\nGroupCount=2000000000\r\n[Group-999999999]\r\nX=7\r\n",
         .groups = 1 + OrvexModel::MaxGroupsWithoutSection,
         .logged = {L"GroupCount 2000000000 but only 1001 groups"}},
        {.what = "2: LinkCount 2000000000 and one shortcut section numbered 999999999",
         .kind = Kind::Store,
         .bytes = "[Group]\r\nGroupCount=1\r\n[Group-0]\r\nLinkCount=2000000000\r\n"
                  "[Group-0-Link-999999999]\r\nLnk=a.lnk\r\n",
         .groups = 1,
         .links = 1},
        {.what = "2: the same in each of 200 groups",
         .kind = Kind::Store,
         .bytes = ManyGroupsWithFarShortcuts(200),
         .groups = 200,
         .links = 200},
        {.what = "2: more groups with a section of their own than are loaded",
         .kind = Kind::Store,
         .bytes = ManyGroupsWithFarShortcuts(static_cast<int>(OrvexModel::MaxGroups) + 1),
         .groups = OrvexModel::MaxGroups,
         .links = OrvexModel::MaxGroups,
         .keptAside = true,
         .logged = {L"The store holds 2001 groups; only the first 2000 are loaded"}},
        {.what = "3: store held by another program for a moment",
         .kind = Kind::Store,
         .bytes = UserStore,
         .hold = Hold::ForAMoment,
         .groups = 1,
         .links = 1},
        {.what = "3: store held by another program while it is loaded",
         .kind = Kind::Store,
         .bytes = UserStore,
         .hold = Hold::UntilLoaded,
         .keptAside = true,
         .logged = {L"(error 32)", L"The store could not be read"}},
        {.what = "3: settings held by another program for a moment",
         .kind = Kind::Settings,
         .bytes = UserSettingsText,
         .hold = Hold::ForAMoment,
         .visibleHeight = 25},
        {.what = "3: settings held by another program while they are loaded",
         .kind = Kind::Settings,
         .bytes = UserSettingsText,
         .hold = Hold::UntilLoaded,
         .visibleHeight = 10,
         .keptAside = true,
         .logged = {L"(error 32)", L"The settings file could not be read"}},
        {.what = "4: store whose first byte is NUL",
         .kind = Kind::Store,
         .bytes = nul + UserStore,
         .keptAside = true,
         .logged = {L"The store holds 128 bytes but no groups"}},
        {.what = "4: store in UTF-16 without a byte order mark",
         .kind = Kind::Store,
         .bytes = Utf16WithoutMark(UserStore),
         .keptAside = true,
         .logged = {L"The store holds 254 bytes but no groups"}},
        {.what = "4: store of a section without keys", .kind = Kind::Store, .bytes = "[Group]\r\n", .keptAside = true},
        {.what = "4: an empty store as a save writes it is no damage",
         .kind = Kind::Store,
         .bytes = "[Group]\r\nGroupCount=0\r\n"},
        {.what = "4: settings whose first byte is NUL",
         .kind = Kind::Settings,
         .bytes = nul + "[MainForm]\r\nIsAutoStartEnabled=0\r\nWindowPos=12300450\r\n",
         .visibleHeight = 10,
         .keptAside = true,
         .logged = {L"The settings file holds 55 bytes but none of the settings"}},
        {.what = "4: settings in UTF-16 without a byte order mark",
         .kind = Kind::Settings,
         .bytes = Utf16WithoutMark(UserSettingsText),
         .visibleHeight = 10,
         .keptAside = true,
         .logged = {L"but none of the settings"}},
        {.what = "4: settings with only other programs' keys and the first-run day are no damage",
         .kind = Kind::Settings,
         .bytes = "[Other]\r\nKey=1\r\n[App]\r\nFirstRunDate=40000\r\n",
         .visibleHeight = 10},
        {.what = "5: devices, names ending in a dot or a blank, and the store's own names",
         .kind = Kind::Store,
         .bytes = DeviceAndStoreNames(),
         .groups = 1,
         .links = 1,
         .logged = {L"Lnk is not a shortcut file name: NUL\n", L"not a shortcut file name: con.lnk\n",
                    L"not a shortcut file name: COM1.lnk\n", L"not a shortcut file name: lpt9\n",
                    L"not a shortcut file name: a.lnk.\n", L"not a shortcut file name: a.lnk \n",
                    L"not a shortcut file name: groups.txt\n", L"not a shortcut file name: GROUPS.TXT.bak\n"}},
    };
}

} // namespace

TEST(HostileFiles, LoadStaysBoundedAndWhatTheUserHadSurvivesTheNextSave) {
    for (const HostileCase& c : Cases()) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        const std::wstring file = folder / (c.kind == Kind::Store ? L"groups.txt" : L"Settings.ini");
        WriteFileBytes(file, c.bytes);
        WriteFileBytes(folder / L"a.lnk", "shortcut");
        WriteFileBytes(folder / L"groups.txt.bak.tmp", "half a copy left by a killed run");

        OrvexModel model;
        model.SetDataFolder(folder.Path());
        ConfigItems items;
        UserSettings settings;
        settings.GetWorkArea = [] { return RECT{0, 0, 1600, 900}; };
        settings.GetToday = [] { return 46000; };
        settings.SetDataFolder(folder.Path());
        settings.SetConfigItems(&items.GetItems());

        TestSupport::LogCapture log;
        {
            ExclusiveHold hold(c.hold == Hold::No ? std::wstring() : file);
            ASSERT_EQ(hold.Held(), c.hold != Hold::No);
            std::thread release;
            if (c.hold == Hold::ForAMoment) {
                release = std::thread([&hold] {
                    Sleep(300);
                    hold.Release();
                });
            }
            if (c.kind == Kind::Store) {
                model.Load();
            } else {
                settings.Load();
            }
            if (release.joinable())
                release.join();
        }
        EXPECT_EQ(ReadFileBytes(file), c.bytes) << "loading wrote nothing over the file";

        if (c.kind == Kind::Store) {
            std::size_t links = 0;
            for (const auto& group : model.GetGroups())
                links += group->GetLinks().size();
            EXPECT_EQ(model.GetGroups().size(), c.groups);
            EXPECT_EQ(links, c.links);
            model.SetChanged();
            model.Save();
            // A store the save would write exactly as it is stays, without a backup.
            const bool replaced = ReadFileBytes(file) != c.bytes;
            EXPECT_EQ(ReadFileBytes(folder / L"groups.txt.bak"), replaced ? c.bytes : "")
                << "the first save that changes the store keeps what it replaced";
        } else {
            EXPECT_EQ(settings.GetFloatingButtonVisibleHeight(), c.visibleHeight);
            settings.Save();
        }
        for (const auto& line : c.logged) {
            EXPECT_NE(log.Text().find(line), std::wstring::npos) << "log lacks: " << line << "\n" << log.Text();
        }
        const std::wstring kept = file + L".unreadable";
        if (c.keptAside) {
            EXPECT_EQ(ReadFileBytes(kept), c.bytes) << "the user's bytes are kept whole";
            EXPECT_NE(log.Text().find(L"is kept as " + kept), std::wstring::npos) << log.Text();
        } else {
            EXPECT_EQ(GetFileAttributesW(kept.c_str()), INVALID_FILE_ATTRIBUTES) << "nothing to keep aside";
        }
    }
}

TEST(HostileFiles, AFileThatGaveNothingIsNotReplacedWhileItCannotBeCopiedAside) {
    for (const Kind kind : {Kind::Store, Kind::Settings}) {
        TempFolder folder;
        const std::wstring file = folder / (kind == Kind::Store ? L"groups.txt" : L"Settings.ini");
        const std::string bytes = kind == Kind::Store ? UserStore : UserSettingsText;
        WriteFileBytes(file, bytes);
        OrvexModel model;
        model.SetDataFolder(folder.Path());
        UserSettings settings;
        settings.GetWorkArea = [] { return RECT{0, 0, 1600, 900}; };
        settings.GetToday = [] { return 46000; };
        settings.SetDataFolder(folder.Path());

        ExclusiveHold hold(file);
        ASSERT_TRUE(hold.Held());
        TestSupport::LogCapture log;
        if (kind == Kind::Store) {
            model.Load();
            model.AddNewGroup();
            EXPECT_THROW(model.Save(), Exception);
        } else {
            settings.Load();
            settings.SetFloatingButtonVisibleHeight(40);
            EXPECT_THROW(settings.Save(), Exception);
        }
        EXPECT_NE(log.Text().find(L"could not be copied aside; it is not replaced: " + file), std::wstring::npos)
            << log.Text();
        hold.Release();
        EXPECT_EQ(ReadFileBytes(file), bytes);
        EXPECT_EQ(TestSupport::ListFolder(folder.Path()).size(), 1u) << "no copy, no temporary file";

        // Once it is free, the next save keeps it and then replaces it.
        if (kind == Kind::Store) {
            model.Save();
            EXPECT_EQ(model.GetGroups().size(), 1u);
        } else {
            settings.Save();
            EXPECT_NE(ReadFileBytes(file).find("VisbleHeight=40\r\n"), std::string::npos);
        }
        EXPECT_EQ(ReadFileBytes(file + L".unreadable"), bytes);
    }
}
