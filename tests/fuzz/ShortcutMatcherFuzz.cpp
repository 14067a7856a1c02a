// Fuzz target for the shortcut search. The input is UTF-8 text (bytes that are not UTF-8 read as
// Latin-1): its first line is the query, every further line a shortcut, "display name<TAB>target".
// Checked on every input, against a plain recursive matcher written here:
// - the matches are distinct shortcuts, best rank first and in panel order within a rank;
// - an empty query matches every shortcut, in panel order;
// - a shortcut matches if and only if the query, without its spaces, can be consumed in order by
//   pieces of the name (only "if" when the query has spaces: a space may not fall inside a reading);
// - NamePrefix if and only if the query runs from the start of the display name or the target's
//   file name; a query that runs from anywhere is at least Substring, and NamePrefix, WordPrefix
//   or Substring only when it runs from somewhere;
// - the query without its last character ranks every shortcut as well or better;
// - a matcher that answered other queries before answers as a new one;
// - the characters marked for emphasis are found in the rank that ranking gives the display name
//   alone, at least one and at most one per query character when it matches, none when not.

#include "support/FuzzChecks.h"

#include "foundation/text/CaseFolding.h"
#include "foundation/text/Pinyin.h"
#include "foundation/text/ShortcutMatcher.h"
#include "foundation/text/Utf8.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

using Tessel::Common::FoldCase;
using Tessel::Common::MatchRank;
using Tessel::Common::ShortcutMatch;
using Tessel::Common::ShortcutMatcher;
using Tessel::Common::Utf8ToUtf16;
namespace Pinyin = Tessel::Common::Pinyin;

using TestSupport::Check;

namespace {

constexpr std::size_t MaxShortcuts = 40;
constexpr std::size_t MaxNameLength = 200;
constexpr std::size_t MaxQueryLength = 100; // below the matcher's own limit

bool IsSpace(wchar_t c) {
    return c == L' ' || (c >= 0x09 && c <= 0x0D) || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

char16_t Folded(wchar_t c) {
    if (IsSpace(c)) {
        return u' ';
    }
    if (c >= 0xFF01 && c <= 0xFF5E) {
        c -= 0xFEE0;
    }
    return FoldCase(static_cast<char16_t>(c));
}

// One element of a name: its folded unit and the readings of the unit as it was.
struct Element {
    char16_t unit;
    std::vector<std::string_view> readings;
};

std::vector<Element> Elements(std::wstring_view name) {
    std::vector<Element> elements;
    for (const wchar_t c : name) {
        Element element{Folded(c), {}};
        for (const std::uint16_t syllable : Pinyin::Readings(Pinyin::ReadingsCode(static_cast<char16_t>(c)))) {
            element.readings.push_back(Pinyin::Syllable(syllable));
        }
        elements.push_back(std::move(element));
    }
    return elements;
}

// The query as the matcher takes it: folded, spaces at the ends dropped, runs of them one space.
std::u16string PreparedQuery(std::wstring_view query) {
    std::u16string prepared;
    bool space = false;
    for (const wchar_t c : query) {
        const char16_t folded = Folded(c);
        if (folded == u' ') {
            space = !prepared.empty();
            continue;
        }
        if (space) {
            prepared.push_back(u' ');
            space = false;
        }
        prepared.push_back(folded);
    }
    return prepared;
}

// Every way element e takes query characters from position i on: the positions it leaves the
// query at, and whether it stopped inside a reading (which ends a piece).
template <typename Visit> void Steps(const Element& e, std::u16string_view q, std::size_t i, Visit&& visit) {
    if (i < q.size() && q[i] == e.unit) {
        visit(i + 1, false);
    }
    for (const std::string_view reading : e.readings) {
        for (std::size_t k = 1; k <= reading.size() && i + k <= q.size(); ++k) {
            if (q[i + k - 1] != static_cast<char16_t>(reading[k - 1])) {
                break;
            }
            visit(i + k, k < reading.size());
        }
    }
}

// The query consumed by pieces that start at any element, in order.
class Pieces {
public:
    Pieces(const std::vector<Element>& elements, std::u16string_view q)
        : mElements(elements), mQuery(q), mMemo((elements.size() + 1) * (q.size() + 1), -1) {}

    bool From(std::size_t i, std::size_t j) {
        if (i == mQuery.size()) {
            return true;
        }
        if (j == mElements.size()) {
            return false;
        }
        signed char& memo = mMemo[j * (mQuery.size() + 1) + i];
        if (memo < 0) {
            bool found = From(i, j + 1);
            Steps(mElements[j], mQuery, i, [&](std::size_t next, bool) { found = found || From(next, j + 1); });
            memo = found ? 1 : 0;
        }
        return memo == 1;
    }

private:
    const std::vector<Element>& mElements;
    std::u16string_view mQuery;
    std::vector<signed char> mMemo;
};

// The whole query consumed by one piece: from the name's start, or from any element.
class Run {
public:
    Run(const std::vector<Element>& elements, std::u16string_view q)
        : mElements(elements), mQuery(q), mMemo((elements.size() + 1) * (q.size() + 1), -1) {}

    bool FromStart() { return From(0, 0); }
    bool FromSomewhere() {
        for (std::size_t j = 0; j < mElements.size(); ++j) {
            if (From(0, j)) {
                return true;
            }
        }
        return false;
    }

private:
    bool From(std::size_t i, std::size_t j) {
        if (i == mQuery.size()) {
            return true;
        }
        if (j == mElements.size()) {
            return false;
        }
        signed char& memo = mMemo[j * (mQuery.size() + 1) + i];
        if (memo < 0) {
            bool found = false;
            Steps(mElements[j], mQuery, i, [&](std::size_t next, bool inside) {
                found = found || (inside ? next == mQuery.size() : From(next, j + 1));
            });
            memo = found ? 1 : 0;
        }
        return memo == 1;
    }

    const std::vector<Element>& mElements;
    std::u16string_view mQuery;
    std::vector<signed char> mMemo;
};

std::wstring_view FileName(std::wstring_view target) {
    const auto slash = target.find_last_of(L"\\/");
    return slash == std::wstring_view::npos ? target : target.substr(slash + 1);
}

// Rank of each shortcut (5 for none), checking the order of the matches.
std::vector<int> Ranks(std::span<const ShortcutMatch> matches, std::size_t count) {
    std::vector<int> ranks(count, 5);
    for (std::size_t k = 0; k < matches.size(); ++k) {
        Check(matches[k].index < count && ranks[matches[k].index] == 5);
        ranks[matches[k].index] = static_cast<int>(matches[k].rank);
        if (k > 0) {
            Check(matches[k - 1].rank < matches[k].rank ||
                  (matches[k - 1].rank == matches[k].rank && matches[k - 1].index < matches[k].index));
        }
    }
    return ranks;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text = Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size));
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    while (start <= text.size() && lines.size() <= MaxShortcuts) {
        const std::size_t end = std::min(text.find(L'\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    const std::wstring query = lines[0].substr(0, MaxQueryLength);
    std::vector<std::wstring> names, targets;
    for (std::size_t k = 1; k < lines.size(); ++k) {
        const std::size_t tab = lines[k].find(L'\t');
        names.push_back(lines[k].substr(0, std::min(tab, MaxNameLength)));
        targets.push_back(tab == std::wstring::npos ? std::wstring() : lines[k].substr(tab + 1, MaxNameLength));
    }
    std::vector<ShortcutMatcher::Candidate> candidates;
    for (std::size_t k = 0; k < names.size(); ++k) {
        candidates.push_back({names[k], targets[k]});
    }
    const std::size_t count = candidates.size();

    ShortcutMatcher matcher(candidates);
    const std::vector<int> all = Ranks(matcher.Match(L""), count);
    Check(all == std::vector<int>(count, 0));
    const std::vector<int> shorter = Ranks(matcher.Match(query.substr(0, query.empty() ? 0 : query.size() - 1)), count);
    const std::vector<int> ranks = Ranks(matcher.Match(query), count);
    ShortcutMatcher fresh(candidates);
    Check(Ranks(fresh.Match(query), count) == ranks);
    std::vector<ShortcutMatcher::Candidate> displayNames;
    for (const std::wstring& name : names) {
        displayNames.push_back({name, L""});
    }
    ShortcutMatcher displayOnly(displayNames);
    const std::vector<int> displayRanks = Ranks(displayOnly.Match(query), count);

    const std::u16string q = PreparedQuery(query);
    std::u16string spaceless;
    for (const char16_t c : q) {
        if (c != u' ') {
            spaceless.push_back(c);
        }
    }
    for (std::size_t k = 0; k < count; ++k) {
        Check(shorter[k] <= ranks[k] && ranks[k] <= displayRanks[k]);
        std::vector<bool> marked;
        const std::optional<MatchRank> emphasis = matcher.MatchedCharacters(k, query, marked);
        const auto marks = static_cast<std::size_t>(std::count(marked.begin(), marked.end(), true));
        Check(marked.size() == names[k].size());
        Check(emphasis ? marks >= 1 && marks <= q.size() : marks == 0);
        Check(emphasis != MatchRank::NamePrefix || marked[0]);
        if (q.empty()) {
            Check(ranks[k] == 0 && !emphasis);
            continue;
        }
        Check((emphasis ? static_cast<int>(*emphasis) : 5) == displayRanks[k]);
        const std::vector<Element> texts[2] = {Elements(names[k]), Elements(FileName(targets[k]))};
        bool pieces = false, prefix = false, somewhere = false;
        for (const std::vector<Element>& elements : texts) {
            pieces = pieces || Pieces(elements, spaceless).From(0, 0);
            Run run(elements, q);
            prefix = prefix || run.FromStart();
            somewhere = somewhere || run.FromSomewhere();
        }
        const bool matched = ranks[k] != 5;
        Check(!matched || pieces);
        Check(matched || !pieces || spaceless.size() != q.size());
        Check(prefix == (ranks[k] == static_cast<int>(MatchRank::NamePrefix)));
        Check(!somewhere || ranks[k] <= static_cast<int>(MatchRank::Substring));
        const bool onePiece = ranks[k] == static_cast<int>(MatchRank::NamePrefix) ||
                              ranks[k] == static_cast<int>(MatchRank::WordPrefix) ||
                              ranks[k] == static_cast<int>(MatchRank::Substring);
        Check(!onePiece || somewhere);
    }
    return 0;
}
