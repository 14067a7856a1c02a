#pragma once

#include <string>

namespace Tessel::Common {

// One typed value of the settings file: where it is stored and how it turns into text and back.
class IConfigItem {
public:
    virtual ~IConfigItem() = default;
    virtual std::wstring ToString() = 0;
    // Takes the value from text; false (and the value unchanged) when the text does not hold one.
    virtual bool FromString(const std::wstring& text) = 0;
    virtual std::wstring GetSection() = 0;
    virtual std::wstring GetKey() = 0;
    // A descriptive name; not used for storage.
    virtual std::wstring GetName() = 0;
};

} // namespace Tessel::Common
