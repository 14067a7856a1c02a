#include "support/LogCapture.h"
#include "support/TempFolder.h"

#include "foundation/lang/Delegate2.h"
#include "foundation/lang/Exception.h"
#include "settings/ConfigItems.h"
#include "settings/UserSettings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using TestSupport::ReadFileBytes;
using TestSupport::TempFolder;
using TestSupport::WriteFileBytes;

namespace {

constexpr int Today = 46000;

// Settings on a data folder of their own, with a fixed work area and day.
struct SettingsFixture {
    TempFolder folder;
    ConfigItems items;

    std::unique_ptr<UserSettings> Make() {
        auto settings = std::make_unique<UserSettings>();
        settings->GetWorkArea = [] { return RECT{0, 30, 1600, 930}; };
        settings->GetToday = [] { return Today; };
        settings->SetDataFolder(folder.Path());
        settings->SetConfigItems(&items.GetItems());
        return settings;
    }
    std::unique_ptr<UserSettings> Loaded() {
        auto settings = Make();
        settings->Load();
        return settings;
    }
    std::wstring File() const { return folder / L"Settings.ini"; }
    std::string Text() const { return ReadFileBytes(File()); }
};

// Notes the events it hears, in order, with the value each shows.
struct Listener {
    std::vector<std::string> heard;
    void OnHeight(IUserSettings* s, void*) {
        heard.push_back("height " + std::to_string(s->GetFloatingButtonVisibleHeight()));
    }
    void OnAutoStart(IUserSettings* s, void*) { heard.push_back(s->GetIsAutoStartEnabled() ? "auto on" : "auto off"); }
    void Subscribe(IUserSettings& settings) {
        using Tessel::CppLang::delegate2;
        settings.FloatingButtonVisibleHeightChanged.Subscribe(
            delegate2<Listener, Listener, IUserSettings*, void*>(this, &Listener::OnHeight));
        settings.AutoStartEnabledChanged.Subscribe(
            delegate2<Listener, Listener, IUserSettings*, void*>(this, &Listener::OnAutoStart));
    }
};

} // namespace

TEST(UserSettings, MissingFileGivesTheDefaultsAndTheFirstSaveWritesEverythingInOrder) {
    SettingsFixture f;
    auto settings = f.Loaded();
    int x, y, cx, cy, bx, by;
    settings->GetMainFormPos(x, y);
    settings->GetMainFormSize(cx, cy);
    settings->GetStartButtonPos(bx, by);
    EXPECT_EQ((std::vector<int>{x, y, cx, cy, bx, by}), (std::vector<int>{100, 30, 1400, 600, 300, 200}));
    EXPECT_FALSE(settings->GetIsDrawingReflectionEnabled());
    EXPECT_EQ(settings->GetFloatingButtonVisibleHeight(), 10);
    EXPECT_TRUE(settings->GetIsAutoStartEnabled());
    EXPECT_EQ(settings->GetFirstRunDate(), -1) << "the first run itself";
    EXPECT_EQ(f.Text(), "[App]\r\nFirstRunDate=46000\r\n") << "the first-run day is stored at once";

    settings->Save();
    EXPECT_EQ(f.Text(), "[App]\r\nFirstRunDate=46000\r\n"
                        "[MainForm]\r\nWindowPos=10000030\r\nWindowSize=140000600\r\n"
                        "IsDrawingReflectionEnabled=0\r\nIsAutoStartEnabled=1\r\nLastBackgroundImageIndex=0\r\n"
                        "[StartButtonForm]\r\nStartButtonPos=30000200\r\nColor=65535\r\nPosX=100\r\nPosY=0\r\n"
                        "Side=1\r\nVisibleHeight=5\r\n"
                        "[EdgeForm]\r\nVisbleHeight=10\r\n"
                        "[Hotkey]\r\nKeys=1568\r\n");
    auto next = f.Loaded();
    EXPECT_EQ(next->GetFirstRunDate(), Today) << "the next start reads the stored day";
}

TEST(UserSettings, StoredValuesReadAsTheyWereMeant) {
    SettingsFixture f;
    WriteFileBytes(f.File(), "[MainForm]\r\nWindowPos=12300450\r\nWindowSize=abc\r\nIsAutoStartEnabled=5\r\n"
                             "IsDrawingReflectionEnabled=1\r\nLastBackgroundImageIndex=12abc\r\n"
                             "[StartButtonForm]\r\nStartButtonPos=-5\r\nPosX= 42\r\nPosY=-7\r\nSide=abc\r\n"
                             "Color=99999999999\r\n[EdgeForm]\r\nVisbleHeight=-3\r\n[App]\r\nFirstRunDate=40179\r\n");
    auto settings = f.Loaded();
    int x, y, cx, cy, bx, by;
    settings->GetMainFormPos(x, y);
    settings->GetMainFormSize(cx, cy);
    settings->GetStartButtonPos(bx, by);
    EXPECT_EQ((std::vector<int>{x, y}), (std::vector<int>{123, 450}));
    EXPECT_EQ((std::vector<int>{cx, cy}), (std::vector<int>{1400, 600})) << "not a number: the default";
    EXPECT_EQ((std::vector<int>{bx, by}), (std::vector<int>{0, -5}));
    EXPECT_TRUE(settings->GetIsAutoStartEnabled());
    EXPECT_TRUE(settings->GetIsDrawingReflectionEnabled());
    EXPECT_EQ(settings->GetFloatingButtonVisibleHeight(), -3);
    EXPECT_EQ(settings->GetFirstRunDate(), 40179);
    EXPECT_EQ(f.items.LastBackgroundImageIndex.value, 12);
    EXPECT_EQ(f.items.FloatingButtonPositionX.value, 42);
    EXPECT_EQ(f.items.FloatingButtonPositionY.value, -7);
    EXPECT_EQ(f.items.FloatingButtonSide.value, 1) << "not a number: the default stays";
    EXPECT_EQ(f.items.FloatingButtonColor.value, 65535) << "beyond int: the default stays";
}

TEST(UserSettings, NegativePositionsSurviveASaveAndALoad) {
    SettingsFixture f;
    auto settings = f.Loaded();
    settings->SetMainFormPos(200, -610);
    settings->SetMainFormSize(1400, 600);
    settings->SetStartButtonPos(-1280, 500);
    settings->Save();
    EXPECT_NE(f.Text().find("WindowPos=19999390\r\n"), std::string::npos);
    auto next = f.Loaded();
    int x, y, bx, by;
    next->GetMainFormPos(x, y);
    next->GetStartButtonPos(bx, by);
    EXPECT_EQ((std::vector<int>{x, y, bx, by}), (std::vector<int>{200, -610, -1280, 500}));
}

TEST(UserSettings, EverySaveRaisesBothEventsInOrderAndLoadRaisesNone) {
    SettingsFixture f;
    auto settings = f.Make();
    Listener listener;
    listener.Subscribe(*settings);
    listener.Subscribe(*settings); // a second subscription of the same handler is not added
    settings->Load();
    settings->Save();
    settings->SetFloatingButtonVisibleHeight(25);
    settings->SetIsAutoStartEnabled(false);
    settings->Save();
    EXPECT_EQ(listener.heard, (std::vector<std::string>{"height 10", "auto on", "height 25", "auto off"}));
}

TEST(UserSettings, SaveBeforeLoadDoesNothing) {
    SettingsFixture f;
    auto settings = f.Make();
    Listener listener;
    listener.Subscribe(*settings);
    settings->Save();
    EXPECT_TRUE(listener.heard.empty());
    EXPECT_EQ(GetFileAttributesW(f.File().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(UserSettings, FailedSaveRaisesTheWriteErrorKeepsTheOldFileAndRaisesNoEvent) {
    SettingsFixture f;
    auto settings = f.Loaded();
    settings->Save();
    const std::string before = f.Text();
    Listener listener;
    listener.Subscribe(*settings);
    settings->SetFloatingButtonVisibleHeight(40);
    // The new text cannot be written beside the file: a folder stands where it would go.
    CreateDirectoryW((f.File() + L".tmp").c_str(), nullptr);
    try {
        settings->Save();
        ADD_FAILURE() << "no error";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), L"Unable to write to " + f.File());
    }
    EXPECT_EQ(f.Text(), before);
    EXPECT_TRUE(listener.heard.empty());
    RemoveDirectoryW((f.File() + L".tmp").c_str());
    settings->Save();
    EXPECT_NE(f.Text().find("VisbleHeight=40"), std::string::npos);
}

TEST(UserSettings, WhatItDoesNotKnowIsKeptAndOtherProgramsChangesToOtherKeysStay) {
    SettingsFixture f;
    WriteFileBytes(f.File(), "; kept comment\r\n[Other]\r\nKey=Value\r\n[MainForm]\r\nUnknown=1\r\n"
                             "[App]\r\nFirstRunDate=40000\r\n");
    auto settings = f.Loaded();
    std::string meanwhile = f.Text() + "[Later]\r\nAdded=2\r\n";
    WriteFileBytes(f.File(), meanwhile);
    settings->Save();
    const std::string text = f.Text();
    for (const char* kept : {"; kept comment\r\n", "[Other]\r\nKey=Value\r\n", "Unknown=1\r\n",
                             "[Later]\r\nAdded=2\r\n", "FirstRunDate=40000\r\n"}) {
        EXPECT_NE(text.find(kept), std::string::npos) << kept;
    }
}

TEST(UserSettings, UnwritableFolderAtTheFirstRunStillStartsAndTheDayIsStoredLater) {
    SettingsFixture f;
    CreateDirectoryW((f.File() + L".tmp").c_str(), nullptr);
    TestSupport::LogCapture log;
    auto settings = f.Make();
    EXPECT_NO_THROW(settings->Load());
    EXPECT_EQ(settings->GetFirstRunDate(), -1);
    EXPECT_NE(log.Text().find(L", ERR, UserSettings::Load() # Unable to write to " + f.File() + L"\n"),
              std::wstring::npos)
        << "the log says what happened";
    RemoveDirectoryW((f.File() + L".tmp").c_str());
    settings->Save();
    EXPECT_EQ(f.Loaded()->GetFirstRunDate(), Today);
}

TEST(UserSettings, ASaveThatChangesNothingLeavesTheFileUntouchedAndStillRaisesTheEvents) {
    SettingsFixture f;
    f.Loaded()->Save();
    const std::string before = f.Text();
    const auto lastWrite = [&] {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        GetFileAttributesExW(f.File().c_str(), GetFileExInfoStandard, &data);
        return (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
               data.ftLastWriteTime.dwLowDateTime;
    };
    const unsigned long long written = lastWrite();
    Sleep(50);

    auto settings = f.Loaded();
    Listener listener;
    listener.Subscribe(*settings);
    int x = 0, y = 0;
    settings->GetMainFormPos(x, y);
    settings->SetMainFormPos(x, y);
    settings->Save();
    EXPECT_EQ(f.Text(), before);
    EXPECT_EQ(lastWrite(), written) << "not written again";
    EXPECT_EQ(listener.heard, (std::vector<std::string>{"height 10", "auto on"}));

    settings->SetMainFormPos(x + 1, y);
    settings->Save();
    EXPECT_NE(lastWrite(), written);
}
