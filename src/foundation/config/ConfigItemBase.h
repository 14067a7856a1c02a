#pragma once

#include "foundation/config/IConfigItem.h"

#include <string>
#include <utility>

namespace Tessel::Common {

// An item's place in the file and its name; the value and its text form are the subclass's.
class ConfigItemBase : public IConfigItem {
public:
    ConfigItemBase(std::wstring section, std::wstring key, std::wstring name)
        : mSection(std::move(section)), mKey(std::move(key)), mName(std::move(name)) {}

    std::wstring GetSection() override { return mSection; }
    std::wstring GetKey() override { return mKey; }
    std::wstring GetName() override { return mName; }

private:
    std::wstring mSection;
    std::wstring mKey;
    std::wstring mName;
};

} // namespace Tessel::Common
