#include "foundation/time/IDateTime.h"

#include <ctime>
#include <cwchar>

namespace Tessel::Common {

std::int64_t DateTime::Now() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

std::wstring DateTime::Format(std::int64_t time, const std::wstring& pattern) {
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &t) != 0) {
        return {};
    }
#else
    if (localtime_r(&t, &local) == nullptr) {
        return {};
    }
#endif
    wchar_t buffer[64] = {};
    const std::size_t length = std::wcsftime(buffer, 63, pattern.c_str(), &local);
    return std::wstring(buffer, length);
}

} // namespace Tessel::Common
