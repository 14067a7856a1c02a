#pragma once

#include "foundation/text/TextEncoding.h"

#include <string>
#include <string_view>
#include <vector>

using Tessel::Common::TextEncoding;

// Splits encoded text into lines. A leading byte-order mark is skipped; CR LF, a lone CR and a
// lone LF each end a line, and a line end after the last line adds no empty line. In UTF-16LE
// text a final odd byte is ignored, and an unpaired surrogate becomes U+FFFD where wide
// characters are wider than UTF-16 code units.
// Encodings other than UTF-16LE and UTF-16BE are read as UTF-8.
std::vector<std::wstring> SplitTextLines(std::string_view bytes, TextEncoding encoding);
