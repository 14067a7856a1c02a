#include "settings/UserSettings.h"

#include "foundation/lang/Exception.h"
#include "foundation/logging/Log.h"
#include "foundation/time/DayNumber.h"
#include "foundation/win32/AtomicFile.h"
#include "foundation/win32/DataFolder.h"
#include "foundation/win32/TodayDayNumber.h"
#include "settings/PointCodec.h"

#include <string>
#include <utility>

using Tessel::Common::IniDocument;
using Tessel::Common::IniFile;

namespace {

constexpr wchar_t MainForm[] = L"MainForm";
constexpr wchar_t StartButtonForm[] = L"StartButtonForm";
constexpr wchar_t EdgeForm[] = L"EdgeForm";
constexpr wchar_t App[] = L"App";

// A stored pair: the whole value a decimal number with an optional sign; else the default.
EncodedPair ReadPair(const IniDocument& ini, const wchar_t* section, const wchar_t* key, EncodedPair fallback) {
    std::int64_t value = 0;
    return ini.TryReadInteger64(section, key, value) ? DecodePair(value) : fallback;
}

void WritePair(IniDocument& ini, const wchar_t* section, const wchar_t* key, int first, int second) {
    ini.WriteString(section, key, std::to_wstring(EncodePair(first, second)));
}

} // namespace

UserSettings::UserSettings()
    : GetWorkArea([] {
          RECT area{0, 0, 1024, 768};
          SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
          return area;
      }),
      GetToday([] { return Tessel::Common::TodayDayNumber(); }) {}

std::wstring UserSettings::GetFilePath() const {
    return Tessel::Common::JoinPath(mDataFolder, L"Settings.ini");
}

void UserSettings::GetMainFormSize(int& cx, int& cy) {
    cx = mMainFormCx;
    cy = mMainFormCy;
}

void UserSettings::SetMainFormSize(int cx, int cy) {
    mMainFormCx = cx;
    mMainFormCy = cy;
}

void UserSettings::GetMainFormPos(int& x, int& y) {
    x = mMainFormX;
    y = mMainFormY;
}

void UserSettings::SetMainFormPos(int x, int y) {
    mMainFormX = x;
    mMainFormY = y;
}

void UserSettings::GetStartButtonPos(int& x, int& y) {
    x = mStartButtonX;
    y = mStartButtonY;
}

void UserSettings::SetStartButtonPos(int x, int y) {
    mStartButtonX = x;
    mStartButtonY = y;
}

UserSettings::FileToKeep UserSettings::Examine(const IniFile& file, bool readable) const {
    if (!readable) {
        return FileToKeep::Unreadable;
    }
    if (file.BytesRead() == 0) {
        return FileToKeep::None;
    }
    const IniDocument& ini = file.Document();
    for (const auto& [section, key] :
         {std::pair{MainForm, L"WindowPos"}, std::pair{MainForm, L"WindowSize"},
          std::pair{StartButtonForm, L"StartButtonPos"}, std::pair{MainForm, L"IsDrawingReflectionEnabled"},
          std::pair{EdgeForm, L"VisbleHeight"}, std::pair{MainForm, L"IsAutoStartEnabled"},
          std::pair{App, L"FirstRunDate"}}) {
        if (ini.ValueExists(section, key)) {
            return FileToKeep::None;
        }
    }
    if (mConfigItems != nullptr) {
        for (Tessel::Common::IConfigItem* item : *mConfigItems) {
            if (ini.ValueExists(item->GetSection(), item->GetKey())) {
                return FileToKeep::None;
            }
        }
    }
    return FileToKeep::NothingKnown;
}

void UserSettings::Load() {
    if (!mDataFolder.empty()) {
        // A save or copy cut short by a crash leaves its temporary file; the file is whole either way.
        Tessel::Common::RemoveLeftoverTemporaryFiles(GetFilePath(), {L".unreadable"});
    }
    mIniFile = std::make_unique<IniFile>(GetFilePath());
    const bool readable = mIniFile->Load();
    mFileToKeep = Examine(*mIniFile, readable);
    mCopyKept = false;
    if (mFileToKeep == FileToKeep::Unreadable) {
        LOG_ERR("UserSettings::Load", L"The settings file could not be read; the defaults are used, and the file "
                                      L"is copied aside before any save replaces it: "
                                          << GetFilePath());
    } else if (mFileToKeep == FileToKeep::NothingKnown) {
        LOG_ERR("UserSettings::Load", L"The settings file holds " << mIniFile->BytesRead()
                                                                  << L" bytes but none of the settings; the defaults "
                                                                     L"are used, and the file is copied aside before "
                                                                     L"any save replaces it: "
                                                                  << GetFilePath());
    }
    IniDocument& ini = mIniFile->Document();

    const RECT area = GetWorkArea();
    const EncodedPair pos = ReadPair(ini, MainForm, L"WindowPos", {area.left + 100, area.top});
    const EncodedPair size =
        ReadPair(ini, MainForm, L"WindowSize", {(area.right - area.left) - 200, (area.bottom - area.top) - 300});
    const EncodedPair button = ReadPair(ini, StartButtonForm, L"StartButtonPos", {300, 200});
    mMainFormX = pos.first;
    mMainFormY = pos.second;
    mMainFormCx = size.first;
    mMainFormCy = size.second;
    mStartButtonX = button.first;
    mStartButtonY = button.second;
    mIsDrawingReflectionEnabled = ini.ReadBool(MainForm, L"IsDrawingReflectionEnabled", false);
    mVisibleHeight = ini.ReadInteger(EdgeForm, L"VisbleHeight", 10);
    mIsAutoStartEnabled = ini.ReadBool(MainForm, L"IsAutoStartEnabled", true);

    mFirstRunDate = ini.ReadInteger(App, L"FirstRunDate", -1);
    mFirstRunDayToStore = mFirstRunDate;
    if (mFirstRunDate == -1) {
        mFirstRunDayToStore = GetToday();
        // A file that gave nothing is not replaced here: the next save keeps a copy of it first
        // and stores the day then.
        if (mFileToKeep == FileToKeep::None) {
            ini.WriteInteger(App, L"FirstRunDate", mFirstRunDayToStore);
            // A folder that cannot be written must not keep the program from starting: the date
            // is stored by the next save that works.
            try {
                mIniFile->Save();
            } catch (const Exception& error) {
                LOG_ERR("UserSettings::Load", error.Message());
            }
        }
    }

    if (mConfigItems != nullptr) {
        for (Tessel::Common::IConfigItem* item : *mConfigItems) {
            item->FromString(ini.ReadString(item->GetSection(), item->GetKey(), L""));
        }
    }
}

void UserSettings::Save() {
    if (!mIniFile) {
        return;
    }
    // Starts from the file as it is now, so that what another program wrote to other keys meanwhile
    // stays; if it cannot be read or holds none of the settings, from what was read at start.
    IniFile current(mIniFile->GetPath());
    const bool readable = current.Load();
    const FileToKeep now = Examine(current, readable);
    if (now == FileToKeep::None) {
        mIniFile->Document() = current.Document();
    } else {
        mFileToKeep = now;
    }
    if (mFileToKeep != FileToKeep::None && !mCopyKept) {
        std::wstring copy;
        if (!Tessel::Common::KeepCopyBeside(GetFilePath(), L".unreadable", copy)) {
            LOG_ERR("UserSettings::Save", L"The settings file that gave nothing could not be copied aside; it is "
                                          L"not replaced: "
                                              << GetFilePath());
            throw Exception(L"Unable to write to " + GetFilePath());
        }
        if (!copy.empty()) {
            LOG_INF("UserSettings::Save", L"The settings file that gave nothing is kept as " << copy);
        }
        mCopyKept = true;
    }
    IniDocument& ini = mIniFile->Document();
    int stored = 0;
    if (!ini.TryReadInteger(App, L"FirstRunDate", stored)) {
        ini.WriteInteger(App, L"FirstRunDate", mFirstRunDayToStore);
    }
    WritePair(ini, MainForm, L"WindowPos", mMainFormX, mMainFormY);
    WritePair(ini, MainForm, L"WindowSize", mMainFormCx, mMainFormCy);
    WritePair(ini, StartButtonForm, L"StartButtonPos", mStartButtonX, mStartButtonY);
    ini.WriteBool(MainForm, L"IsDrawingReflectionEnabled", mIsDrawingReflectionEnabled);
    ini.WriteInteger(EdgeForm, L"VisbleHeight", mVisibleHeight);
    ini.WriteBool(MainForm, L"IsAutoStartEnabled", mIsAutoStartEnabled);
    if (mConfigItems != nullptr) {
        for (Tessel::Common::IConfigItem* item : *mConfigItems) {
            ini.WriteString(item->GetSection(), item->GetKey(), item->ToString());
        }
    }
    // A file that holds all of this already is not written again.
    if (!mIniFile->IsSavedAsIs()) {
        mIniFile->Save();
    }
    mFileToKeep = FileToKeep::None;
    mCopyKept = false;

    FloatingButtonVisibleHeightChanged.Raise(this, nullptr);
    AutoStartEnabledChanged.Raise(this, nullptr);
}
