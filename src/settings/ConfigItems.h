#pragma once

#include "foundation/config/ConfigItem.h"
#include "foundation/config/IConfigItem.h"

#include <string>
#include <vector>

// The program's typed items of the settings file, with their defaults. The settings object
// reads and writes every item of GetItems in list order, so declaring an item here is all it
// takes to have it stored. The items' formatter and parser are bound to this object, so it can be
// neither copied nor moved.
class ConfigItems {
public:
    ConfigItems();
    ConfigItems(const ConfigItems&) = delete;
    ConfigItems& operator=(const ConfigItems&) = delete;

    // The items in declaration order; the list owns nothing.
    const std::vector<Tessel::Common::IConfigItem*>& GetItems() const { return mItems; }

    // The decimal text of value: a minus sign when negative, no grouping, no leading zeros.
    std::wstring FormatInt(int value);
    // Reads one int as a wide input stream does: leading white space skipped, an optional sign,
    // decimal digits up to the first character that cannot continue the number. Fails on empty
    // text, no digits or a number beyond int, leaving value unchanged.
    bool ParseInt(const std::wstring& text, int& value);

    Tessel::Common::ConfigItem<int> FloatingButtonColor;
    Tessel::Common::ConfigItem<int> FloatingButtonPositionX;
    Tessel::Common::ConfigItem<int> FloatingButtonPositionY;
    Tessel::Common::ConfigItem<int> FloatingButtonSide;
    Tessel::Common::ConfigItem<int> FloatingButtonVisibleHeight;
    // Advanced by the main panel's background rotation.
    Tessel::Common::ConfigItem<int> LastBackgroundImageIndex;
    // The keys that bring the panel down with the filter box, in a section of its own: the
    // virtual key in the low byte, HOTKEYF_ flags (Shift 1, Ctrl 2, Alt 4) in the next; 0 for none.
    // Ctrl+Alt+Space (1568) when the file has none.
    Tessel::Common::ConfigItem<int> Hotkey;

private:
    void Register(Tessel::Common::ConfigItem<int>& item);

    std::vector<Tessel::Common::IConfigItem*> mItems;
};
