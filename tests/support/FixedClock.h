#pragma once

#include "foundation/time/IDateTime.h"

#include <cstdint>
#include <ctime>
#include <cwchar>
#include <string>

namespace TestSupport {

// A clock the test sets; formats in UTC so that results do not depend on the machine's zone.
class FixedClock : public Tessel::Common::IDateTime {
public:
    std::int64_t now = 0;

    std::int64_t Now() override { return now; }
    std::wstring Format(std::int64_t time, const std::wstring& pattern) override {
        const std::time_t t = static_cast<std::time_t>(time);
        std::tm utc{};
#ifdef _WIN32
        gmtime_s(&utc, &t);
#else
        gmtime_r(&t, &utc);
#endif
        wchar_t buffer[64] = {};
        return std::wstring(buffer, std::wcsftime(buffer, 63, pattern.c_str(), &utc));
    }
    // Noon of the day that many days after 2026-12-01.
    void SetDay(int day) {
        now = 1796126400 + static_cast<std::int64_t>(day) * 86400;
    }
};

} // namespace TestSupport
