#pragma once

#include <string>
#include <string_view>
#include <vector>

// How the bytes of a text resource are encoded.
enum class TextEncoding { Utf16LE, Utf8 };

// Splits encoded text into lines. A leading byte-order mark is skipped; CR LF, a lone CR and a
// lone LF each end a line, and a line end after the last line adds no empty line. In UTF-16LE
// text a final odd byte is ignored, and an unpaired surrogate becomes U+FFFD where wide
// characters are wider than UTF-16 code units.
std::vector<std::wstring> SplitTextLines(std::string_view bytes, TextEncoding encoding);
