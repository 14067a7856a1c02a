#include "settings/ConfigItems.h"

#include <sstream>

ConfigItems::ConfigItems()
    : FloatingButtonColor(L"StartButtonForm", L"Color", L"FloatingButtonColor", 65535),
      FloatingButtonPositionX(L"StartButtonForm", L"PosX", L"FloatingButtonPositionX", 100),
      FloatingButtonPositionY(L"StartButtonForm", L"PosY", L"FloatingButtonPositionY", 0),
      FloatingButtonSide(L"StartButtonForm", L"Side", L"FloatingButtonSide", 1),
      FloatingButtonVisibleHeight(L"StartButtonForm", L"VisibleHeight", L"FloatingButtonVisibleHeight", 5),
      LastBackgroundImageIndex(L"MainForm", L"LastBackgroundImageIndex", L"LastBackgroundImageIndex", 0) {
    Register(FloatingButtonColor);
    Register(FloatingButtonPositionX);
    Register(FloatingButtonPositionY);
    Register(FloatingButtonSide);
    Register(FloatingButtonVisibleHeight);
    Register(LastBackgroundImageIndex);
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
