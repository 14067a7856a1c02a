#pragma once

#include <windows.h>

#include <functional>
#include <vector>

namespace TestSupport {

// Chooses from a menu by keys: open shows a menu for owner (and returns once it closed); the keys
// are typed into it one per tick, from a thread timer that the menu's own message loop runs. A
// menu still open after five seconds is closed, and false is returned.
inline bool ChooseFromMenu(HWND owner, std::vector<UINT> keys, const std::function<void()>& open) {
    static HWND sOwner = nullptr;
    static std::vector<UINT> sKeys;
    static bool sTimedOut = false;
    sOwner = owner;
    sKeys = std::move(keys);
    sTimedOut = false;
    const UINT_PTR typing = SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR timer, DWORD) {
        if (sKeys.empty()) {
            KillTimer(nullptr, timer);
            return;
        }
        const UINT key = sKeys.front();
        sKeys.erase(sKeys.begin());
        PostMessageW(sOwner, WM_KEYDOWN, key, 0);
        PostMessageW(sOwner, WM_KEYUP, key, 0xC0000000);
    });
    const UINT_PTR watchdog = SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR timer, DWORD) {
        KillTimer(nullptr, timer);
        sTimedOut = true;
        EndMenu();
    });
    open();
    KillTimer(nullptr, typing);
    KillTimer(nullptr, watchdog);
    return !sTimedOut;
}

} // namespace TestSupport
