#include "foundation/text/TextEncoding.h"

#include "foundation/text/Utf8.h"

namespace Tessel::Common {

namespace {

bool StartsWith(std::string_view bytes, std::string_view mark) {
    return bytes.substr(0, mark.size()) == mark;
}

constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view Utf16LEMark = "\xFF\xFE";
constexpr std::string_view Utf16BEMark = "\xFE\xFF";

} // namespace

std::wstring DecodeUtf16(std::string_view bytes, bool bigEndian) {
    const auto unitAt = [&](std::size_t i) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    };
    std::wstring text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char32_t unit = unitAt(i);
        if constexpr (sizeof(wchar_t) == 2) {
            text.push_back(static_cast<wchar_t>(unit));
        } else if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size() && unitAt(i + 2) >= 0xDC00 &&
                   unitAt(i + 2) < 0xE000) {
            text.push_back(static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 2) - 0xDC00)));
            i += 2;
        } else if (unit >= 0xD800 && unit < 0xE000) {
            text.push_back(static_cast<wchar_t>(0xFFFD));
        } else {
            text.push_back(static_cast<wchar_t>(unit));
        }
    }
    return text;
}

TextEncoding DetectTextEncoding(std::string_view bytes) {
    if (StartsWith(bytes, Utf16LEMark))
        return TextEncoding::Utf16LE;
    if (StartsWith(bytes, Utf16BEMark))
        return TextEncoding::Utf16BE;
    if (StartsWith(bytes, Utf8Mark))
        return TextEncoding::Utf8;
    return TextEncoding::Ansi;
}

std::wstring DecodeText(std::string_view bytes, const std::function<std::wstring(std::string_view)>& decodeAnsi) {
    switch (DetectTextEncoding(bytes)) {
    case TextEncoding::Utf16LE:
        return DecodeUtf16(bytes.substr(Utf16LEMark.size()), false);
    case TextEncoding::Utf16BE:
        return DecodeUtf16(bytes.substr(Utf16BEMark.size()), true);
    case TextEncoding::Utf8:
        return Utf8ToUtf16(bytes.substr(Utf8Mark.size()));
    case TextEncoding::Ansi:
        break;
    }
    return decodeAnsi(bytes);
}

std::wstring DecodeTextAs(std::string_view bytes, TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Utf16LE:
        return DecodeUtf16(StartsWith(bytes, Utf16LEMark) ? bytes.substr(Utf16LEMark.size()) : bytes, false);
    case TextEncoding::Utf16BE:
        return DecodeUtf16(StartsWith(bytes, Utf16BEMark) ? bytes.substr(Utf16BEMark.size()) : bytes, true);
    case TextEncoding::Utf8:
    case TextEncoding::Ansi:
        break;
    }
    return Utf8ToUtf16(StartsWith(bytes, Utf8Mark) ? bytes.substr(Utf8Mark.size()) : bytes);
}

std::vector<std::wstring_view> SplitLines(std::wstring_view text) {
    std::vector<std::wstring_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text.substr(end, 2) == L"\r\n" ? 2 : 1);
    }
    return lines;
}

std::string EncodeUtf16LE(std::wstring_view text) {
    std::string bytes(Utf16LEMark);
    bytes.reserve(2 + text.size() * 2);
    for (wchar_t c : text) {
        const auto unit = static_cast<unsigned>(c) & 0xFFFFu;
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

} // namespace Tessel::Common
