#include "model/GroupStoreLayout.h"

#include <algorithm>
#include <climits>
#include <string>

namespace {

wchar_t FoldAscii(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 0x20) : c;
}

bool TakePrefix(std::wstring_view& text, std::wstring_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (FoldAscii(text[i]) != prefix[i]) {
            return false;
        }
    }
    text.remove_prefix(prefix.size());
    return true;
}

// Reads a number as "%i" writes a non-negative int (no sign, no leading zero) at the front of
// text and moves past it. A section is looked up by the name "%i" gives, so no other spelling
// can ever be read.
bool TakeIndex(std::wstring_view& text, std::size_t& index) {
    std::size_t digits = 0;
    unsigned long long value = 0;
    while (digits < text.size() && text[digits] >= L'0' && text[digits] <= L'9') {
        value = value * 10 + static_cast<unsigned>(text[digits] - L'0');
        if (value > static_cast<unsigned long long>(INT_MAX)) {
            return false;
        }
        ++digits;
    }
    if (digits == 0 || (digits > 1 && text[0] == L'0')) {
        return false;
    }
    index = static_cast<std::size_t>(value);
    text.remove_prefix(digits);
    return true;
}

using Tessel::Common::IniDocument;

template <typename Item> void SortUnique(std::vector<Item>& items) {
    const auto order = [](const Item& a, const Item& b) {
        return a.group != b.group ? a.group < b.group : a.link < b.link;
    };
    const auto same = [](const Item& a, const Item& b) { return a.group == b.group && a.link == b.link; };
    std::stable_sort(items.begin(), items.end(), order);
    items.erase(std::unique(items.begin(), items.end(), same), items.end());
}

std::size_t CountOf(int count) {
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

bool EqualsFolded(std::wstring_view text, std::wstring_view lower) {
    if (text.size() != lower.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (FoldAscii(text[i]) != lower[i]) {
            return false;
        }
    }
    return true;
}

// The names the system opens as devices whatever extension follows them.
bool IsDeviceName(std::wstring_view name) {
    std::wstring_view base = name.substr(0, std::min(name.find(L'.'), name.size()));
    while (!base.empty() && base.back() == L' ')
        base.remove_suffix(1);
    for (const wchar_t* device : {L"con", L"prn", L"aux", L"nul", L"conin$", L"conout$"}) {
        if (EqualsFolded(base, device)) {
            return true;
        }
    }
    if (base.size() != 4 || !(EqualsFolded(base.substr(0, 3), L"com") || EqualsFolded(base.substr(0, 3), L"lpt"))) {
        return false;
    }
    const wchar_t digit = base[3];
    // Superscript one, two and three count as digits here.
    return (digit >= L'0' && digit <= L'9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

bool IsStoreFile(std::wstring_view name) {
    const std::wstring_view store = GroupStoreFileName;
    std::wstring_view rest = name;
    return TakePrefix(rest, store) && (rest.empty() || rest.front() == L'.');
}

} // namespace

GroupStoreLayout::GroupStoreLayout(const IniDocument& store) {
    store.ForEachSectionName([this](IniDocument::SectionId id, std::wstring_view name) {
        std::wstring_view rest = name;
        std::size_t group = 0;
        std::size_t link = 0;
        if (!TakePrefix(rest, L"group-") || !TakeIndex(rest, group)) {
            return;
        }
        if (rest.empty()) {
            mGroups.push_back({group, 0, id});
        } else if (TakePrefix(rest, L"-link-") && TakeIndex(rest, link) && rest.empty()) {
            mLinks.push_back({group, link, id});
        }
    });
    SortUnique(mGroups);
    SortUnique(mLinks);
}

std::vector<std::size_t> GroupStoreLayout::Groups(int groupCount, std::size_t maxWithoutSection) const {
    const std::size_t count = CountOf(groupCount);
    std::vector<std::size_t> groups;
    std::size_t next = 0;
    std::size_t budget = maxWithoutSection;
    const auto fillUpTo = [&](std::size_t end) {
        const std::size_t fill = std::min(end - next, budget);
        for (std::size_t g = next; g < next + fill; ++g)
            groups.push_back(g);
        budget -= fill;
    };
    for (const Numbered& section : mGroups) {
        if (section.group >= count) {
            break;
        }
        fillUpTo(section.group);
        groups.push_back(section.group);
        next = section.group + 1;
    }
    if (next < count) {
        fillUpTo(count);
    }
    return groups;
}

IniDocument::SectionId GroupStoreLayout::GroupSection(std::size_t group) const {
    const auto found = std::lower_bound(mGroups.begin(), mGroups.end(), group,
                                        [](const Numbered& each, std::size_t number) { return each.group < number; });
    return found != mGroups.end() && found->group == group ? found->section : IniDocument::NoSection;
}

std::vector<GroupStoreLayout::LinkSection> GroupStoreLayout::LinkSections(std::size_t group, int linkCount) const {
    const std::size_t count = CountOf(linkCount);
    std::vector<LinkSection> links;
    auto at = std::lower_bound(mLinks.begin(), mLinks.end(), group,
                               [](const Numbered& each, std::size_t number) { return each.group < number; });
    for (; at != mLinks.end() && at->group == group && at->link < count; ++at)
        links.push_back({at->link, at->section});
    return links;
}

std::vector<std::size_t> GroupStoreLayout::Links(std::size_t group, int linkCount) const {
    std::vector<std::size_t> links;
    for (const LinkSection& each : LinkSections(group, linkCount))
        links.push_back(each.link);
    return links;
}

std::size_t GroupStoreLayout::LinkSectionCount() const {
    return mLinks.size();
}

bool IsShortcutFileName(std::wstring_view name) {
    if (name.empty() || name.back() == L'.' || name.back() == L' ') {
        return false;
    }
    for (const wchar_t c : name) {
        if (c < 0x20 || std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos) {
            return false;
        }
    }
    return !IsDeviceName(name) && !IsStoreFile(name);
}
