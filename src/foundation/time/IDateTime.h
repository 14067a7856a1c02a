#pragma once

#include <cstdint>
#include <string>

namespace Tessel::Common {

class IDateTime {
public:
    virtual ~IDateTime() = default;
    // Seconds since 1970-01-01 UTC.
    virtual std::int64_t Now() = 0;
    // The time as local time, formatted with the C library's wcsftime patterns.
    virtual std::wstring Format(std::int64_t time, const std::wstring& pattern) = 0;
};

class DateTime : public IDateTime {
public:
    std::int64_t Now() override;
    std::wstring Format(std::int64_t time, const std::wstring& pattern) override;
};

} // namespace Tessel::Common
