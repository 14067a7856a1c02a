#pragma once

#include <windows.h>

#include <array>
#include <string>

// The system's colour dialog.
class TColorDialog {
public:
    // The colour the dialog starts with, and the one chosen.
    COLORREF Color = RGB(0, 0, 0);
    // Opens with the part that mixes any colour shown.
    bool FullOpen = true;

    // Shows the dialog owned by owner; true when the user chose a colour (Color holds it).
    bool Execute(HWND owner);

private:
    // The user's own colours, kept while the object lives.
    std::array<COLORREF, 16> mCustomColors = [] {
        std::array<COLORREF, 16> colors{};
        colors.fill(RGB(255, 255, 255));
        return colors;
    }();
};

// Puts text on the clipboard (replacing what is there); false when the clipboard could not be
// had. The clipboard is tried for about a second while another program holds it.
bool SetClipboardText(HWND owner, const std::wstring& text);
// The text on the clipboard; empty when there is none.
std::wstring GetClipboardText(HWND owner);
