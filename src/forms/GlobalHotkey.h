#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

// The key combination that brings the panel down from anywhere, as the hotkey control and the
// settings file hold it: the virtual key in the low byte and HOTKEYF_ flags (Shift 1, Ctrl 2,
// Alt 4) in the next; 0 is no hotkey.
namespace HotkeyKeys {

// Ctrl+Alt+Space.
inline constexpr int Default = ((HOTKEYF_CONTROL | HOTKEYF_ALT) << 8) | VK_SPACE;

inline int VirtualKey(int keys) {
    return keys & 0xFF;
}
inline int Flags(int keys) {
    return (keys >> 8) & 0xFF;
}
// The MOD_ flags RegisterHotKey takes.
UINT Modifiers(int keys);
// "Ctrl+Alt+Space", "Shift+F12"; "none" for 0.
std::wstring Describe(int keys);

} // namespace HotkeyKeys

// A hotkey registered for a window: WM_HOTKEY reaches the window while it is held. Another
// program holding the same combination makes Set fail; the combination is then not ours.
class GlobalHotkey {
public:
    static constexpr int Id = 1;

    GlobalHotkey() = default;
    ~GlobalHotkey() { Clear(); }
    GlobalHotkey(const GlobalHotkey&) = delete;
    GlobalHotkey& operator=(const GlobalHotkey&) = delete;

    // Registers keys for window in place of the hotkey held before; true when the system gave
    // it (or keys is 0, no hotkey). A combination without a key, or with no modifier but Shift,
    // is refused: it would take the key from every program.
    bool Set(HWND window, int keys);
    void Clear();

    // The combination asked for last, and whether the system gave it.
    int Keys() const { return mKeys; }
    bool Held() const { return mHeld; }
    // True when a hotkey was asked for and the system refused it.
    bool Refused() const { return mKeys != 0 && !mHeld; }

    // Whether another program holds keys now: tried on window and let go again at once.
    static bool TakenElsewhere(HWND window, int keys);

private:
    HWND mWindow = nullptr;
    int mKeys = 0;
    bool mHeld = false;
};
