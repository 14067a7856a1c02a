#pragma once

#include <string>

// The name of the per-user guard: "Tilebay" followed directly by the logon name.
std::wstring MakeInstanceMutexName(const std::wstring& userName);

// True when another process of the same user already runs the program, or when the guard
// cannot be made. The first call creates the guard and keeps it for the rest of the process.
bool IsAnotherInstanceRunning();
