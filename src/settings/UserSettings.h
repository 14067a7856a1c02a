#pragma once

#include "foundation/config/IConfigItem.h"
#include "foundation/win32/IniFile.h"
#include "settings/IUserSettings.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

// The settings in "Settings.ini" of the data folder, together with the configuration items,
// which it reads and writes on their behalf. The file is written whole and replaced in one step,
// so a failed or interrupted save leaves the old file as it was; sections and keys it does not
// know are kept. A file that is there but gives nothing (it cannot be read, or holds none of the
// settings) is copied to "Settings.ini.unreadable" (or ".unreadable1", ...) before a save
// replaces it, and is not replaced while that copy cannot be made.
class UserSettings : public IUserSettings {
public:
    UserSettings();

    void GetMainFormSize(int& cx, int& cy) override;
    void SetMainFormSize(int cx, int cy) override;
    void GetMainFormPos(int& x, int& y) override;
    void SetMainFormPos(int x, int y) override;
    void GetStartButtonPos(int& x, int& y) override;
    void SetStartButtonPos(int x, int y) override;
    bool GetIsDrawingReflectionEnabled() override { return mIsDrawingReflectionEnabled; }
    void SetIsDrawingReflectionEnabled(bool enabled) override { mIsDrawingReflectionEnabled = enabled; }
    int GetFloatingButtonVisibleHeight() override { return mVisibleHeight; }
    void SetFloatingButtonVisibleHeight(int height) override { mVisibleHeight = height; }
    bool GetIsAutoStartEnabled() override { return mIsAutoStartEnabled; }
    void SetIsAutoStartEnabled(bool enabled) override { mIsAutoStartEnabled = enabled; }
    // Reads the file (a missing one gives the defaults; one held by another program is tried
    // again for about a second) and, on the first run, stores today as the first-run date unless
    // the file is there but gave nothing. Raises no event. Temporary files that a save cut short
    // by a crash left beside the file are removed.
    void Load() override;
    // Writes every value and item (a file that holds them all as they are is not written again);
    // throws Exception "Unable to write to <file>" when the file cannot be written, and then
    // raises no event. Does nothing before Load.
    void Save() override;
    int GetFirstRunDate() override { return mFirstRunDate; }
    std::wstring GetDataFolder() override { return mDataFolder; }
    void SetDataFolder(std::wstring folder) override { mDataFolder = std::move(folder); }

    // The items stored after the fixed keys; the list is not owned.
    void SetConfigItems(const std::vector<Tessel::Common::IConfigItem*>* items) { mConfigItems = items; }

    std::wstring GetFilePath() const;

    // Where the defaults come from: the primary screen's work area and today's day number.
    // Replaceable for tests.
    std::function<RECT()> GetWorkArea;
    std::function<int()> GetToday;

private:
    enum class FileToKeep { None, Unreadable, NothingKnown };

    // Whether a file just loaded gave nothing this program could use although it is there.
    FileToKeep Examine(const Tessel::Common::IniFile& file, bool readable) const;

    std::wstring mDataFolder;
    int mMainFormCx = 0;
    int mMainFormCy = 0;
    int mMainFormX = 0;
    int mMainFormY = 0;
    int mStartButtonX = 0;
    int mStartButtonY = 0;
    bool mIsDrawingReflectionEnabled = false;
    int mVisibleHeight = 10;
    bool mIsAutoStartEnabled = true;
    int mFirstRunDate = -1;
    // The first-run day the file must hold (today on the first run).
    int mFirstRunDayToStore = -1;
    std::unique_ptr<Tessel::Common::IniFile> mIniFile;
    // Set while the file on disk gave nothing; a copy of it is kept before it is replaced.
    FileToKeep mFileToKeep = FileToKeep::None;
    bool mCopyKept = false;
    const std::vector<Tessel::Common::IConfigItem*>* mConfigItems = nullptr;
};
