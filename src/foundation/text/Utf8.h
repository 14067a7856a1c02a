#pragma once

#include <string>
#include <string_view>

namespace Tessel::Common {

// Appends one code point (at most U+10FFFF) as UTF-8.
void AppendUtf8(char32_t codePoint, std::string& out);

// UTF-16 (wchar_t holding UTF-16 code units) to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::wstring_view text);

// UTF-8 to UTF-16. Bytes that are not valid UTF-8 are taken as Latin-1 characters, one each,
// so no input is lost or rejected. Returns false when such bytes were met.
bool Utf8ToUtf16(std::string_view bytes, std::wstring& text);
std::wstring Utf8ToUtf16(std::string_view bytes);

} // namespace Tessel::Common
