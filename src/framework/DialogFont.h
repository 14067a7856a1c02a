#pragma once

#include "foundation/win32/UniqueHandle.h"

#include <windows.h>

#include <string>

// The font of dialogs (the system's message font) and the scale from a dialog's design to the
// screen. Designs are drawn in pixels for Tahoma 8 points at 96 dots per inch; like dialog units,
// the scale is the ratio of the average character width and of the line height of the system's
// font to those of the design font, so that texts keep the room the design gave them whatever
// font and size the system uses (with Tahoma 8 at 96 dpi it is 1).
class TDialogFont {
public:
    // The system's message font at the system's density, or at the density given (a window on
    // a monitor of another density).
    explicit TDialogFont(int dpi = 0);

    // Null when the system could not make it: controls then keep their own.
    HFONT Handle() const { return mFont.Get(); }
    std::wstring FaceName() const { return mLogFont.lfFaceName; }

    // Design pixels to screen pixels, across and down.
    int X(int design) const;
    int Y(int design) const;

    // A font of the same face whose characters are the given design pixels high.
    Tessel::Common::UniqueFont MakeFont(int designCharacterHeight) const;

    // Average character width and line height of a font, as the system measures them for dialog
    // units.
    static SIZE BaseUnits(HFONT font);

private:
    LOGFONTW mLogFont{};
    Tessel::Common::UniqueFont mFont;
    SIZE mUnits{1, 1};
    SIZE mDesignUnits{1, 1};
};
