#pragma once

#include "weblinks/AdItem.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The advertised links without the platform: reading a list, choosing the link of the day and
// building a link's address.
namespace AdLinks {

// Reads the lines of a link list: consecutive groups of three "name=value" lines give Text,
// Tooltip and Url by position (names are not compared; a line without "=" has an empty value).
// A last group of fewer than three lines is incomplete and left out.
AdItems ParseAdItems(const std::vector<std::wstring>& lines);

// Reads a list from each name in turn with load (false when there is no such list); the last name
// that loads decides the whole list. Empty when none loads. The name that decided goes to
// decidedBy when given.
AdItems LoadAdItems(const std::vector<std::wstring>& names,
                    const std::function<bool(const std::wstring& name, std::vector<std::wstring>& lines)>& load,
                    std::wstring* decidedBy = nullptr);

// The link shown on a day: the day number, taken as an unsigned 32-bit number, modulo the
// number of links (which must not be 0). The same day always gives the same link; the next day
// gives the next one, wrapping after the last.
std::size_t LinkOfTheDay(int dayNumber, std::size_t count);

// Replaces every occurrence of placeholder in text by value, matching letters without regard to
// case (ASCII letters; other characters must match exactly).
std::wstring ReplaceIgnoringCase(const std::wstring& text, const std::wstring& placeholder, const std::wstring& value);

// A host name kept as 16-bit codes, each raised by 11 + 2 × its position.
template <std::size_t N> std::wstring UnscrambleHostName(const std::array<std::uint16_t, N>& codes) {
    std::wstring host;
    host.reserve(N);
    for (std::size_t i = 0; i < N; ++i) {
        host.push_back(static_cast<wchar_t>(static_cast<std::uint16_t>(codes[i] - 11 - 2 * i)));
    }
    return host;
}

// The partner site's host name.
std::wstring PartnerHost();

// The page of a link: "http://www." + host + the link's path with "{App}" (any case) replaced by
// the product's name + "&v=" + the program's version text.
std::wstring AdLinkUrl(const AdItem& item, const std::wstring& host, const std::wstring& versionText);

} // namespace AdLinks
