#include "culture/UserLocale.h"

#include <windows.h>

namespace {
std::wstring ReadLocaleText(LCTYPE item) {
    wchar_t buffer[255] = {};
    const int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, item, buffer, ARRAYSIZE(buffer));
    // The length counts the terminating null; nothing is read on failure (0).
    return length > 0 ? std::wstring(buffer, static_cast<std::size_t>(length - 1)) : std::wstring();
}
} // namespace

CultureLocale ReadUserLocale() {
    return {ReadLocaleText(LOCALE_SISO639LANGNAME), ReadLocaleText(LOCALE_SISO3166CTRYNAME)};
}
