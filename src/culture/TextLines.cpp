#include "culture/TextLines.h"

#include "foundation/common/TextEncoding.h"
#include "foundation/common/Utf8.h"

std::vector<std::wstring> SplitTextLines(std::string_view bytes, TextEncoding encoding) {
    std::wstring text;
    if (encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE) {
        const bool bigEndian = encoding == TextEncoding::Utf16BE;
        if (bytes.starts_with(bigEndian ? "\xFE\xFF" : "\xFF\xFE")) {
            bytes.remove_prefix(2);
        }
        text = Tessel::Common::DecodeUtf16(bytes, bigEndian);
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
