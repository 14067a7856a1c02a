#pragma once

#include "foundation/lang/TesselEvent.h"

#include <string>

// The user's window positions and preferences. Setters only change the values in memory;
// Save writes them and raises both events.
class IUserSettings {
public:
    virtual ~IUserSettings() = default;

    // The visible height of the floating button may have changed.
    Tessel::CppLang::TesselEvent<IUserSettings*, void*> FloatingButtonVisibleHeightChanged;
    // The auto-start choice may have changed; raised after the first.
    Tessel::CppLang::TesselEvent<IUserSettings*, void*> AutoStartEnabledChanged;

    virtual void GetMainFormSize(int& cx, int& cy) = 0;
    virtual void SetMainFormSize(int cx, int cy) = 0;
    virtual void GetMainFormPos(int& x, int& y) = 0;
    virtual void SetMainFormPos(int x, int y) = 0;
    virtual void GetStartButtonPos(int& x, int& y) = 0;
    virtual void SetStartButtonPos(int x, int y) = 0;
    virtual bool GetIsDrawingReflectionEnabled() = 0;
    virtual void SetIsDrawingReflectionEnabled(bool enabled) = 0;
    virtual int GetFloatingButtonVisibleHeight() = 0;
    virtual void SetFloatingButtonVisibleHeight(int height) = 0;
    virtual bool GetIsAutoStartEnabled() = 0;
    virtual void SetIsAutoStartEnabled(bool enabled) = 0;
    virtual void Load() = 0;
    virtual void Save() = 0;
    // The day of the first run; -1 during the first run itself.
    virtual int GetFirstRunDate() = 0;
    virtual std::wstring GetDataFolder() = 0;
    virtual void SetDataFolder(std::wstring folder) = 0;
};
