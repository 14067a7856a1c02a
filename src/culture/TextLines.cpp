#include "culture/TextLines.h"

#include "foundation/common/Utf8.h"

namespace {

std::wstring DecodeUtf16LE(std::string_view bytes) {
    std::wstring text;
    text.reserve(bytes.size() / 2);
    const auto unitAt = [&](std::size_t i) {
        return static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                     (static_cast<unsigned char>(bytes[i + 1]) << 8));
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t unit = unitAt(i);
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

} // namespace

std::vector<std::wstring> SplitTextLines(std::string_view bytes, TextEncoding encoding) {
    std::wstring text;
    if (encoding == TextEncoding::Utf16LE) {
        if (bytes.starts_with("\xFF\xFE")) {
            bytes.remove_prefix(2);
        }
        text = DecodeUtf16LE(bytes);
    } else {
        if (bytes.starts_with("\xEF\xBB\xBF")) {
            bytes.remove_prefix(3);
        }
        text = Tessel::Common::Utf8ToUtf16(bytes);
    }

    std::vector<std::wstring> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, L"\r\n") == 0 ? 2 : 1);
    }
    return lines;
}
