#include "settings/ConfigItems.h"

#include <sstream>

namespace {

// Ctrl+Alt+Space: Space (0x20) with Ctrl (2) and Alt (4).
constexpr int DefaultHotkey = ((2 | 4) << 8) | 0x20;

} // namespace

ConfigItems::ConfigItems()
    : FloatingButtonColor(L"StartButtonForm", L"Color", L"FloatingButtonColor", 65535),
      FloatingButtonPositionX(L"StartButtonForm", L"PosX", L"FloatingButtonPositionX", 100),
      FloatingButtonPositionY(L"StartButtonForm", L"PosY", L"FloatingButtonPositionY", 0),
      FloatingButtonSide(L"StartButtonForm", L"Side", L"FloatingButtonSide", 1),
      FloatingButtonVisibleHeight(L"StartButtonForm", L"VisibleHeight", L"FloatingButtonVisibleHeight", 5),
      LastBackgroundImageIndex(L"MainForm", L"LastBackgroundImageIndex", L"LastBackgroundImageIndex", 0),
      Hotkey(L"Hotkey", L"Keys", L"Hotkey", DefaultHotkey) {
    Register(FloatingButtonColor);
    Register(FloatingButtonPositionX);
    Register(FloatingButtonPositionY);
    Register(FloatingButtonSide);
    Register(FloatingButtonVisibleHeight);
    Register(LastBackgroundImageIndex);
    Register(Hotkey);
}

void ConfigItems::Register(Tessel::Common::ConfigItem<int>& item) {
    item.formatter = [this](int value) { return FormatInt(value); };
    item.parser = [this](const std::wstring& text, int& value) { return ParseInt(text, value); };
    mItems.push_back(&item);
}

std::wstring ConfigItems::FormatInt(int value) {
    std::wostringstream out;
    out << value;
    return out.str();
}

bool ConfigItems::ParseInt(const std::wstring& text, int& value) {
    std::wistringstream in(text);
    int read = 0;
    in >> read;
    if (in.fail()) {
        return false;
    }
    value = read;
    return true;
}
