#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Tessel::Common {

// How well a query matched a shortcut, best first. Words of a name start after a space or a
// sign, at a capital after a small letter ("Studio" in "VisualStudio") or before one after
// capitals ("Http" in "XMLHttp"), at a digit after a letter and at every Chinese character.
// A Chinese character is matched by itself or by one of its pinyin readings ("ji" for 记): the
// whole reading, or its beginning where the query or one of its parts ends ("j", "jis" for 记事).
enum class MatchRank : std::uint8_t {
    NamePrefix,   // the name starts with the query: "vis", "visual s" or "jishiben" for 记事本
    WordPrefix,   // a word starts with it: "studio" in "Visual Studio Code", "shiben" in 记事本
    WordInitials, // it is beginnings of words, in their order: "vsc", "vscode", "jsb" for 记事本
    Substring,    // it is found inside a word: "sual"
    Subsequence,  // its parts are found in their order anywhere: "vlsc"
};

struct ShortcutMatch {
    std::uint32_t index; // the candidate's place in the order they were given
    MatchRank rank;

    bool operator==(const ShortcutMatch&) const = default;
};

// Finds shortcuts by what the user types: the candidates are prepared once, then each query
// ranks them without allocating memory per candidate. Queries compare without case (simple
// case folding of the Basic Multilingual Plane) and take full-width Latin letters, digits and
// signs as their ASCII forms.
class ShortcutMatcher {
public:
    struct Candidate {
        std::wstring_view displayName;
        // The target's file name, or its path, of which only the file name is searched.
        std::wstring_view target;
    };

    // Only the first MaxQueryLength characters of a query count.
    static constexpr std::size_t MaxQueryLength = 255;

    ShortcutMatcher() = default;
    explicit ShortcutMatcher(std::span<const Candidate> candidates);

    std::size_t Size() const { return mTexts.size() / 2; }

    // The candidates that the query matches, best rank first and in the order they were given
    // within a rank; a candidate takes the better rank of its display name and its target's file
    // name. The query's spaces at either end do not count, and a run of spaces inside it is one
    // space, which matches a space of the name or separates parts of the query ("vis code"). An
    // empty query matches every candidate as NamePrefix. The result stays valid until the next
    // call of Match.
    std::span<const ShortcutMatch> Match(std::wstring_view query);

    // Which characters of a candidate's display name the query matched, for emphasis: one flag
    // per UTF-16 code unit of the name, set where the unit took query characters (a Chinese
    // character also when its reading did). Returns the display name's rank, or nothing (and no
    // flag set) when the query does not match it, as when only the target's file name did, or
    // the query is empty. Worked out anew for the one candidate: meant for the shortcuts shown.
    std::optional<MatchRank> MatchedCharacters(std::size_t index, std::wstring_view query,
                                               std::vector<bool>& characters);

private:
    // A display name or a target's file name: its elements, and masks of the characters in it
    // (CharacterMask) that decide quickly whether and how well a query can match it.
    struct Text {
        std::uint32_t begin;
        std::uint32_t length;
        std::uint64_t all;        // every character, and every letter of their readings
        std::uint64_t starts;     // what a piece can start with: characters and first letters of readings
        std::uint64_t wordStarts; // the same at word starts
        std::uint64_t first;      // the same at the first element
    };

    void AddText(std::wstring_view text);
    void PrepareQuery(std::wstring_view query);
    template <std::size_t Words> void RankAll();

    // One element per UTF-16 code unit of every name, folded: the unit in the low 16 bits, the
    // code of its pinyin readings in the next 15 and whether a word starts there in the top bit.
    std::vector<std::uint32_t> mElements;
    // Two texts per candidate, its display name and then its target's file name.
    std::vector<Text> mTexts;

    // The query being ranked, and what ranking it needs.
    std::u16string mQuery;
    std::uint64_t mQueryMask = 0;     // of every character but spaces
    std::vector<std::uint64_t> mBits; // query bit sets of the current width, see the .cpp file
    std::u16string mOtherUnits;       // query units beyond Latin-1, in the order of their bit sets
    std::vector<std::uint8_t> mRanks;
    std::vector<ShortcutMatch> mMatches;
};

} // namespace Tessel::Common
