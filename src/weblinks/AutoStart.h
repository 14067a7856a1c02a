#pragma once

#include <windows.h>

#include <string>

// The key below HKEY_CURRENT_USER whose values name the programs the system starts at logon.
inline constexpr const wchar_t* RunKeyPath = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// What bringing the auto-start value in line did.
enum class AutoStartChange {
    Unchanged, // the value already was as asked for
    Written,   // the value was missing or named another path, and holds the program's path now
    Deleted,   // the value was there and is gone now
    Failed,    // the key or the value could not be written or deleted
};

// Writes the program's auto-start value (see AutoStartValue) when enabled, unless the value
// already holds the same path in any letter case; deletes it when not enabled. Writing creates
// the key when it is missing; deleting never creates it. The key is root\keyPath, by default the
// user's Run key.
AutoStartChange UpdateAutoStartValue(bool enabled, const std::wstring& programPath, HKEY root = HKEY_CURRENT_USER,
                                     const std::wstring& keyPath = RunKeyPath);

const wchar_t* Describe(AutoStartChange change);
