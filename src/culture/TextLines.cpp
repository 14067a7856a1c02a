#include "culture/TextLines.h"

std::vector<std::wstring> SplitTextLines(std::string_view bytes, TextEncoding encoding) {
    const std::wstring text = Tessel::Common::DecodeTextAs(bytes, encoding);
    std::vector<std::wstring> lines;
    for (std::wstring_view line : Tessel::Common::SplitLines(text)) {
        lines.emplace_back(line);
    }
    return lines;
}
