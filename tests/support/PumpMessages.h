#pragma once

#include "framework/Application.h"

#include <windows.h>

namespace TestSupport {

// Runs the application's message loop until done() or the time is up; false when the time ran
// out. Every message goes through the application, as in the program's own loop.
template <typename Done> bool PumpUntil(TApplication& application, Done done, DWORD milliseconds = 3000) {
    const DWORD start = GetTickCount();
    MSG message;
    while (!done()) {
        if (GetTickCount() - start > milliseconds) {
            return false;
        }
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            application.ProcessMessage(message);
        }
        Sleep(10);
    }
    return true;
}

// Runs the application's message loop for a while.
inline void Pump(TApplication& application, DWORD milliseconds) {
    PumpUntil(
        application, [] { return false; }, milliseconds);
}

} // namespace TestSupport
