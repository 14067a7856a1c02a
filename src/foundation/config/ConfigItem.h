#pragma once

#include "foundation/config/ConfigItemBase.h"

#include <functional>
#include <string>
#include <utility>

namespace Tessel::Common {

// An item holding a value of type T, turned into text and back by the formatter and parser its
// owner gives it. Until they are given, the item has no text form: ToString gives an empty
// text and FromString fails.
template <typename T> class ConfigItem : public ConfigItemBase {
public:
    using Formatter = std::function<std::wstring(T)>;
    // Writes value only when it succeeds.
    using Parser = std::function<bool(const std::wstring& text, T& value)>;

    ConfigItem(std::wstring section, std::wstring key, std::wstring name, T initialValue)
        : ConfigItemBase(std::move(section), std::move(key), std::move(name)), value(std::move(initialValue)) {}

    std::wstring ToString() override { return formatter ? formatter(value) : std::wstring(); }
    bool FromString(const std::wstring& text) override { return parser ? parser(text, value) : false; }

    Formatter formatter;
    Parser parser;
    // Read and written directly by the item's users.
    T value;
};

} // namespace Tessel::Common
