#include "framework/GuiObjectCount.h"

#include <windows.h>

#include <cstdint>

namespace {

// GDI handles carry their table index in the low 16 bits; a handle of only those bits is
// accepted where the system does not count for us.
unsigned CountGdiObjects() {
    unsigned count = 0;
    for (std::uintptr_t index = 1; index <= 0xFFFF; ++index) {
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) {
            ++count;
        }
    }
    return count;
}

BOOL CALLBACK CountWindow(HWND window, LPARAM counter) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) {
        ++*reinterpret_cast<unsigned*>(counter);
        EnumChildWindows(window, CountWindow, counter);
    }
    return TRUE;
}

// Windows are found by enumeration (top-level and message-only windows, then their children);
// menus and icons by probing the USER handle values, which are even numbers from 0x20 on.
unsigned CountUserObjects() {
    unsigned count = 0;
    EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&count));
    HWND messageOnly = nullptr;
    while ((messageOnly = FindWindowExW(HWND_MESSAGE, messageOnly, nullptr, nullptr)) != nullptr) {
        CountWindow(messageOnly, reinterpret_cast<LPARAM>(&count));
    }
    for (std::uintptr_t value = 0x20; value <= 0xFFFE; value += 2) {
        const auto handle = reinterpret_cast<HANDLE>(value);
        if (IsMenu(static_cast<HMENU>(handle))) {
            ++count;
            continue;
        }
        ICONINFO info{};
        if (GetIconInfo(static_cast<HICON>(handle), &info)) {
            ++count;
            if (info.hbmColor != nullptr) {
                DeleteObject(info.hbmColor);
            }
            if (info.hbmMask != nullptr) {
                DeleteObject(info.hbmMask);
            }
        }
    }
    return count;
}

} // namespace

GuiObjectCounts CountGuiObjects() {
    const HANDLE process = GetCurrentProcess();
    GuiObjectCounts counts{GetGuiResources(process, GR_GDIOBJECTS), GetGuiResources(process, GR_USEROBJECTS)};
    if (counts.gdi == 0) {
        counts.gdi = CountGdiObjects();
    }
    if (counts.user == 0) {
        counts.user = CountUserObjects();
    }
    return counts;
}
