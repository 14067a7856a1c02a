#include "forms/GlobalHotkey.h"

#include <cwctype>

namespace HotkeyKeys {

UINT Modifiers(int keys) {
    const int flags = Flags(keys);
    UINT modifiers = MOD_NOREPEAT;
    if (flags & HOTKEYF_SHIFT) {
        modifiers |= MOD_SHIFT;
    }
    if (flags & HOTKEYF_CONTROL) {
        modifiers |= MOD_CONTROL;
    }
    if (flags & HOTKEYF_ALT) {
        modifiers |= MOD_ALT;
    }
    return modifiers;
}

std::wstring Describe(int keys) {
    if (keys == 0) {
        return L"none";
    }
    std::wstring text;
    const int flags = Flags(keys);
    if (flags & HOTKEYF_CONTROL) {
        text += L"Ctrl+";
    }
    if (flags & HOTKEYF_ALT) {
        text += L"Alt+";
    }
    if (flags & HOTKEYF_SHIFT) {
        text += L"Shift+";
    }
    const int key = VirtualKey(keys);
    wchar_t name[64] = {};
    UINT scan = MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
    // Keys of the extended set (arrows, Insert, Delete...) name themselves only with that bit.
    if ((flags & HOTKEYF_EXT) || key == VK_INSERT || key == VK_DELETE || key == VK_HOME || key == VK_END ||
        key == VK_PRIOR || key == VK_NEXT || (key >= VK_LEFT && key <= VK_DOWN)) {
        scan |= 0x100;
    }
    if (scan != 0 && GetKeyNameTextW(static_cast<LONG>(scan << 16), name, 64) > 0) {
        // Key names start with a capital, as the keyboard prints them ("Space", "K").
        name[0] = static_cast<wchar_t>(std::towupper(name[0]));
        text += name;
    } else {
        text += L"#" + std::to_wstring(key);
    }
    return text;
}

} // namespace HotkeyKeys

namespace {

bool Usable(int keys) {
    const int flags = HotkeyKeys::Flags(keys);
    return HotkeyKeys::VirtualKey(keys) != 0 && (flags & (HOTKEYF_CONTROL | HOTKEYF_ALT)) != 0;
}

} // namespace

bool GlobalHotkey::Set(HWND window, int keys) {
    Clear();
    mWindow = window;
    mKeys = keys;
    if (keys == 0) {
        return true;
    }
    mHeld = Usable(keys) && window != nullptr &&
            RegisterHotKey(window, Id, HotkeyKeys::Modifiers(keys), static_cast<UINT>(HotkeyKeys::VirtualKey(keys)));
    return mHeld;
}

void GlobalHotkey::Clear() {
    if (mHeld && mWindow != nullptr && IsWindow(mWindow)) {
        UnregisterHotKey(mWindow, Id);
    }
    mHeld = false;
    mKeys = 0;
}

bool GlobalHotkey::TakenElsewhere(HWND window, int keys) {
    if (keys == 0 || !Usable(keys)) {
        return false;
    }
    constexpr int ProbeId = 2;
    if (!RegisterHotKey(window, ProbeId, HotkeyKeys::Modifiers(keys), static_cast<UINT>(HotkeyKeys::VirtualKey(keys)))) {
        return true;
    }
    UnregisterHotKey(window, ProbeId);
    return false;
}
