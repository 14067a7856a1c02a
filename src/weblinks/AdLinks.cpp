#include "weblinks/AdLinks.h"

#include "weblinks/WebAddresses.h"

#include <cstdint>

namespace AdLinks {

namespace {

std::wstring ValueOf(const std::wstring& line) {
    const std::size_t equals = line.find(L'=');
    return equals == std::wstring::npos ? std::wstring() : line.substr(equals + 1);
}

wchar_t FoldCase(wchar_t c) {
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool MatchesAt(const std::wstring& text, std::size_t at, const std::wstring& placeholder) {
    for (std::size_t i = 0; i < placeholder.size(); ++i) {
        if (FoldCase(text[at + i]) != FoldCase(placeholder[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

AdItems ParseAdItems(const std::vector<std::wstring>& lines) {
    AdItems items;
    for (std::size_t i = 0; i + 3 <= lines.size(); i += 3) {
        items.push_back(AdItem{ValueOf(lines[i]), ValueOf(lines[i + 1]), ValueOf(lines[i + 2])});
    }
    return items;
}

AdItems LoadAdItems(const std::vector<std::wstring>& names,
                    const std::function<bool(const std::wstring& name, std::vector<std::wstring>& lines)>& load,
                    std::wstring* decidedBy) {
    AdItems items;
    for (const std::wstring& name : names) {
        std::vector<std::wstring> lines;
        if (load(name, lines)) {
            items = ParseAdItems(lines);
            if (decidedBy != nullptr) {
                *decidedBy = name;
            }
        }
    }
    return items;
}

std::size_t LinkOfTheDay(int dayNumber, std::size_t count) {
    return static_cast<std::uint32_t>(dayNumber) % count;
}

std::wstring ReplaceIgnoringCase(const std::wstring& text, const std::wstring& placeholder, const std::wstring& value) {
    if (placeholder.empty()) {
        return text;
    }
    std::wstring result;
    std::size_t i = 0;
    while (i < text.size()) {
        if (i + placeholder.size() <= text.size() && MatchesAt(text, i, placeholder)) {
            result += value;
            i += placeholder.size();
        } else {
            result.push_back(text[i]);
            ++i;
        }
    }
    return result;
}

std::wstring PartnerHost() {
    return UnscrambleHostName(WebAddresses::PartnerHostCodes);
}

std::wstring AdLinkUrl(const AdItem& item, const std::wstring& host, const std::wstring& versionText) {
    return L"http://www." + host + ReplaceIgnoringCase(item.Url, L"{APP}", L"Tilebay") + L"&v=" + versionText;
}

} // namespace AdLinks
