// Fuzz target for the culture texts and the advertised-link lists, which are read from text
// resources line by line. Every input is read in each encoding. Checked on every input:
// - no line holds a line end, and the lines joined again give the text with every line end
//   made one LF and a last line end dropped;
// - every "key=text" line sets its key, the last line of a key deciding its text;
// - a link list has one link per whole group of three lines, each taking the value of its line,
//   and a link's address keeps no "{App}" placeholder.

#include "support/FuzzChecks.h"

#include "culture/CultureManager.h"
#include "culture/TextLines.h"
#include "weblinks/AdLinks.h"

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

using Tessel::Common::DecodeTextAs;
using Tessel::Common::TextEncoding;

using TestSupport::Check;

namespace {

std::wstring ValueOf(const std::wstring& line) {
    const auto equals = line.find(L'=');
    return equals == std::wstring::npos ? std::wstring() : line.substr(equals + 1);
}

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    return text;
}

void CheckLines(const std::wstring& text, const std::vector<std::wstring>& lines) {
    std::wstring normal;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r') {
            normal.push_back(L'\n');
            if (i + 1 < text.size() && text[i + 1] == L'\n')
                ++i;
        } else {
            normal.push_back(text[i]);
        }
    }
    if (!normal.empty() && normal.back() == L'\n')
        normal.pop_back();
    std::wstring joined;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        Check(lines[i].find_first_of(L"\r\n") == std::wstring::npos);
        if (i > 0)
            joined.push_back(L'\n');
        joined += lines[i];
    }
    // An empty text gives no line, and so does a text of one line end; both join to nothing.
    Check(joined == normal);
}

void CheckCultureTexts(const std::vector<std::wstring>& lines) {
    CultureManager manager(CultureLocale{L"en", L"US"});
    manager.SetTexts(lines);
    std::map<std::wstring, std::wstring> expected;
    for (const std::wstring& line : lines) {
        const auto equals = line.find(L'=');
        if (equals != std::wstring::npos)
            expected[line.substr(0, equals)] = line.substr(equals + 1);
    }
    for (const auto& [key, text] : expected)
        Check(manager.GetText(key) == text);
}

void CheckLinkList(const std::vector<std::wstring>& lines) {
    const AdItems items = AdLinks::ParseAdItems(lines);
    Check(items.size() == lines.size() / 3);
    for (std::size_t i = 0; i < items.size(); ++i) {
        Check(items[i].Text == ValueOf(lines[3 * i]));
        Check(items[i].Tooltip == ValueOf(lines[3 * i + 1]));
        Check(items[i].Url == ValueOf(lines[3 * i + 2]));
        const std::wstring url = AdLinks::AdLinkUrl(items[i], L"example.com", L"1.0.0.17");
        Check(Upper(url).find(L"{APP}") == std::wstring::npos);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const TextEncoding encoding :
         {TextEncoding::Utf16LE, TextEncoding::Utf16BE, TextEncoding::Utf8, TextEncoding::Ansi}) {
        const std::vector<std::wstring> lines = SplitTextLines(bytes, encoding);
        CheckLines(DecodeTextAs(bytes, encoding), lines);
        CheckCultureTexts(lines);
        CheckLinkList(lines);
    }
    return 0;
}
