#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace Tessel::Common {

// How the bytes of a text file are to be read, known by their byte order mark.
enum class TextEncoding { Ansi, Utf8, Utf16LE, Utf16BE };

TextEncoding DetectTextEncoding(std::string_view bytes);

// The text of a file's bytes, without the byte order mark. Bytes without a mark are the
// system's ANSI code page, which only the platform knows: decodeAnsi turns them into text.
// An odd last byte of UTF-16 is dropped; bytes that are not UTF-8 in a UTF-8 file are kept as
// Latin-1 characters.
std::wstring DecodeText(std::string_view bytes, const std::function<std::wstring(std::string_view)>& decodeAnsi);

// The text of bytes known to be in encoding, without its byte order mark when there is one. ANSI
// bytes are read as UTF-8 here: only the platform knows the ANSI code page.
std::wstring DecodeTextAs(std::string_view bytes, TextEncoding encoding);

// The lines of a text: CR LF, a lone CR and a lone LF each end a line, and a line end after the
// last line adds no empty line. The views point into text.
std::vector<std::wstring_view> SplitLines(std::wstring_view text);

// UTF-16 bytes (no byte order mark) as text. An odd last byte is dropped; where wide characters
// are wider than UTF-16 code units, surrogate pairs are joined and an unpaired one becomes U+FFFD.
std::wstring DecodeUtf16(std::string_view bytes, bool bigEndian);

// UTF-16LE bytes of the text, with the byte order mark in front.
std::string EncodeUtf16LE(std::wstring_view text);

} // namespace Tessel::Common
