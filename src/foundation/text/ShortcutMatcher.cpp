#include "foundation/text/ShortcutMatcher.h"

#include "foundation/text/CaseFolding.h"
#include "foundation/text/Pinyin.h"

#include <algorithm>
#include <array>

// How a query is matched. A name is a row of elements, one per UTF-16 code unit. A query is
// consumed by pieces, each a run of consecutive elements starting at an element: a Latin element
// takes one query character equal to it; a Chinese character takes itself, or one of its
// readings whole, or the beginning of a reading when that ends the piece. The rank says where
// the pieces start: one piece at the name's start (NamePrefix), at a word start (WordPrefix),
// anywhere (Substring); several pieces, in order, each at a word start (WordInitials) or
// anywhere (Subsequence). A space of the query may also fall between two pieces.
//
// All five ways are followed at once, bit-parallel over the query: a bit set holds five lanes
// of m + 1 bits for a query of m characters, one lane per rank, and bit i of a lane says "the
// first i query characters are consumed, in this rank's way, up to here". Taking an element is
// then one AND with the set of positions whose query character equals it and a shift by one.
// Bit m of a lane is a whole match. Besides the running set, a second set (lanes WordInitials
// and Subsequence only) keeps the positions where a piece ended, from which a new piece may
// start at any later element.

namespace Tessel::Common {

namespace {

constexpr int Lanes = 5;
constexpr int NoMatch = Lanes;
constexpr int LaneNamePrefix = static_cast<int>(MatchRank::NamePrefix);
constexpr int LaneWordPrefix = static_cast<int>(MatchRank::WordPrefix);
constexpr int LaneWordInitials = static_cast<int>(MatchRank::WordInitials);
constexpr int LaneSubstring = static_cast<int>(MatchRank::Substring);
constexpr int LaneSubsequence = static_cast<int>(MatchRank::Subsequence);

constexpr std::uint32_t UnitMask = 0xFFFF;
constexpr int CodeShift = 16;
constexpr std::uint32_t CodeMask = 0x7FFF;
constexpr std::uint32_t WordStartBit = 0x80000000u;

constexpr bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
constexpr bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

constexpr bool IsSpace(char16_t c) {
    return c == u' ' || (c >= 0x09 && c <= 0x0D) || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

// The form a unit is compared in: spaces as ' ', full-width ASCII forms as ASCII, case folded.
char16_t Fold(char16_t c) {
    if (c < 0x80) {
        if (c >= u'A' && c <= u'Z') {
            return static_cast<char16_t>(c + 0x20);
        }
        return c >= 0x09 && c <= 0x0D ? u' ' : c;
    }
    if (IsSpace(c)) {
        return u' ';
    }
    if (c >= 0xFF01 && c <= 0xFF5E) {
        return FoldCase(static_cast<char16_t>(c - 0xFEE0));
    }
    return FoldCase(c);
}

// UTF-16 code units of a wide text; where wide characters are wider than UTF-16 code units, one
// beyond U+FFFF becomes its surrogate pair.
template <typename Visit> void ForEachUnit(std::wstring_view text, Visit&& visit) {
    for (const wchar_t w : text) {
        const auto c = static_cast<std::uint32_t>(w);
        if (c > 0xFFFF && c <= 0x10FFFF) {
            visit(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            visit(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            visit(static_cast<char16_t>(c & 0xFFFF));
        }
    }
}

enum class Kind : std::uint8_t { Separator, Lower, Upper, Digit, Ideograph };

constexpr bool IsIdeograph(char16_t c) {
    // CJK Unified Ideographs, Extension A, Compatibility Ideographs, and the high surrogates of
    // the supplementary ideographic planes.
    return (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xD840 && c <= 0xD8BF);
}

bool IsLatin1Letter(char16_t c) {
    return c == 0xAA || c == 0xB5 || c == 0xBA || (c >= 0xC0 && c != 0xD7 && c != 0xF7);
}

// Signs, symbols, private use and the other surrogates (emoji) separate words like spaces.
bool IsSign(char16_t c) {
    return (c >= 0x2000 && c <= 0x2BFF) || (c >= 0x3000 && c <= 0x303F) || (c >= 0xD800 && c <= 0xDBFF) ||
           (c >= 0xE000 && c <= 0xF8FF) || (c >= 0xFE10 && c <= 0xFE6F) || (c >= 0xFF00 && c <= 0xFF65) || c >= 0xFFF0;
}

Kind KindOf(char16_t original, char16_t folded) {
    if (IsIdeograph(original)) {
        return Kind::Ideograph;
    }
    if (folded < 0x100) {
        if (folded >= u'0' && folded <= u'9') {
            return Kind::Digit;
        }
        const bool letter = folded < 0x80 ? (folded >= u'a' && folded <= u'z') : IsLatin1Letter(folded);
        if (!letter) {
            return Kind::Separator;
        }
    } else if (IsSign(folded)) {
        return Kind::Separator;
    }
    return folded != original && FoldCase(original) != original ? Kind::Upper : Kind::Lower;
}

constexpr bool IsLetter(Kind kind) {
    return kind == Kind::Lower || kind == Kind::Upper;
}

// A bit for each of a-z and 0-9, the other units share the remaining 28 bits.
constexpr std::uint64_t ExactMasks = (std::uint64_t{1} << 36) - 1;
std::uint64_t CharacterMask(char16_t folded) {
    if (folded >= u'a' && folded <= u'z') {
        return std::uint64_t{1} << (folded - u'a');
    }
    if (folded >= u'0' && folded <= u'9') {
        return std::uint64_t{1} << (26 + folded - u'0');
    }
    return std::uint64_t{1} << (36 + folded % 28);
}

// Bit sets of Words 64-bit words, bit 0 the lowest of word 0.
template <std::size_t Words> struct Bits {
    std::array<std::uint64_t, Words> w{};

    static Bits Load(const std::uint64_t* words) {
        Bits bits;
        for (std::size_t i = 0; i < Words; ++i) {
            bits.w[i] = words[i];
        }
        return bits;
    }
    friend Bits operator&(Bits a, const Bits& b) {
        for (std::size_t i = 0; i < Words; ++i) {
            a.w[i] &= b.w[i];
        }
        return a;
    }
    friend Bits operator|(Bits a, const Bits& b) {
        for (std::size_t i = 0; i < Words; ++i) {
            a.w[i] |= b.w[i];
        }
        return a;
    }
    Bits& operator|=(const Bits& b) { return *this = *this | b; }
    // Every bit one place up.
    Bits Next() const {
        Bits out;
        for (std::size_t i = Words - 1; i > 0; --i) {
            out.w[i] = (w[i] << 1) | (w[i - 1] >> 63);
        }
        out.w[0] = w[0] << 1;
        return out;
    }
    bool Any() const {
        std::uint64_t any = 0;
        for (std::size_t i = 0; i < Words; ++i) {
            any |= w[i];
        }
        return any != 0;
    }
    bool Test(std::size_t bit) const { return (w[bit / 64] >> (bit % 64)) & 1; }
    void Set(std::size_t bit) { w[bit / 64] |= std::uint64_t{1} << (bit % 64); }
};

// What ranking one query needs at one width.
template <std::size_t Words> struct QueryBits {
    std::size_t length = 0; // m
    char16_t lead = 0;      // the first character
    const std::uint64_t* latin1 = nullptr;
    const std::uint64_t* others = nullptr;
    std::u16string_view otherUnits;
    Bits<Words> none;
    Bits<Words> accept;       // bit m of every lane
    Bits<Words> seedFirst;    // bit 0 of the NamePrefix lane
    Bits<Words> seedWord;     // bit 0 of the lanes of pieces at word starts and anywhere
    Bits<Words> seedInside;   // bit 0 of the lanes of pieces anywhere
    Bits<Words> pieceLanes;   // the lanes of several pieces
    Bits<Words> anywhereLane; // the Subsequence lane
    Bits<Words> space;        // the positions of spaces, when the query has any
    bool hasSpace = false;

    // The positions of the query whose character is the unit, in every lane.
    Bits<Words> Equal(char16_t unit) const {
        if (unit < 0x100) {
            return Bits<Words>::Load(latin1 + unit * Words);
        }
        if (otherUnits.empty()) {
            return none;
        }
        const std::size_t at = otherUnits.find(unit);
        return at == std::u16string_view::npos ? none : Bits<Words>::Load(others + at * Words);
    }

    // The best rank whose lane has a whole match, or NoMatch.
    int BestLane(const Bits<Words>& accepted) const {
        for (int lane = 0; lane < Lanes; ++lane) {
            if (accepted.Test(lane * (length + 1) + length)) {
                return lane;
            }
        }
        return NoMatch;
    }
};

template <std::size_t Words>
int BestRank(const std::uint32_t* elements, std::uint32_t length, const QueryBits<Words>& q, int bound) {
    // Kept at hand rather than read through q on every element.
    const Bits<Words> seedWord = q.seedWord;
    const Bits<Words> seedInside = q.seedInside;
    const Bits<Words> accept = q.accept;
    const Bits<Words> pieceLanes = q.pieceLanes;
    const Bits<Words> anywhereLane = q.anywhereLane;
    const bool hasSpace = q.hasSpace;

    // No lane has a bit before the first element that a piece can start at: the query's first
    // character itself, or a Chinese character when that is a letter (one of its readings may
    // start with it).
    std::uint32_t j = 0;
    const char16_t lead = q.lead;
    const bool leadIsLetter = lead >= u'a' && lead <= u'z';
    while (j < length && (elements[j] & UnitMask) != lead &&
           !(leadIsLetter && (elements[j] & ~(UnitMask | WordStartBit)) != 0)) {
        ++j;
    }

    Bits<Words> running, ended, accepted;
    bool anyEnded = false;
    for (; j < length; ++j) {
        const std::uint32_t e = elements[j];
        const bool wordStart = (e & WordStartBit) != 0;
        Bits<Words> in = running | (wordStart ? seedWord : seedInside);
        if (j == 0) {
            in |= q.seedFirst;
        }
        if (anyEnded) {
            in |= wordStart ? ended : ended & anywhereLane;
        }
        Bits<Words> out = (in & q.Equal(static_cast<char16_t>(e & UnitMask))).Next();
        // Where a piece ends inside a reading: as the end of the query or before another piece.
        Bits<Words> partial;
        if (const auto code = static_cast<std::uint16_t>((e >> CodeShift) & CodeMask)) {
            for (const std::uint16_t syllable : Pinyin::Readings(code)) {
                const std::string_view letters = Pinyin::Syllable(syllable);
                Bits<Words> x = in;
                for (std::size_t t = 0; t < letters.size(); ++t) {
                    x = (x & q.Equal(static_cast<char16_t>(letters[t]))).Next();
                    if (!x.Any()) {
                        break;
                    }
                    if (t + 1 < letters.size()) {
                        partial |= x;
                    } else {
                        out |= x;
                    }
                }
            }
        }
        const Bits<Words> reached = out | partial;
        ended |= reached & pieceLanes;
        if (hasSpace) {
            ended |= (ended & q.space).Next();
        }
        anyEnded = anyEnded || ended.Any();
        running = out;
        if (const Bits<Words> whole = reached & accept; whole.Any()) {
            accepted |= whole;
            const int rank = q.BestLane(accepted);
            if (rank <= bound) {
                return rank;
            }
        }
    }
    return q.BestLane(accepted);
}

// Finds one way a query matches a text, in a given rank's way, for emphasis. Where the ranking
// follows every way at once, this works back from the end of the text and the query: whether the
// rest of the query can still be consumed from each element on, as one piece (Run) or as pieces
// (Pieces, between pieces or inside one), then walks forward along a way that can.
class MatchPath {
public:
    MatchPath(const std::uint32_t* elements, std::uint32_t length, std::u16string_view query)
        : mElements(elements), mLength(length), mQuery(query), mWidth(query.size() + 1) {}

    // Marks the elements that take query characters when the query matches in the rank's way.
    bool Find(MatchRank rank, std::vector<bool>& marks) {
        switch (rank) {
        case MatchRank::NamePrefix:
            return RunFrom(0, marks);
        case MatchRank::WordPrefix:
        case MatchRank::Substring:
            for (std::uint32_t j = 0; j < mLength; ++j) {
                if ((rank == MatchRank::Substring || WordStart(j)) && RunFrom(j, marks)) {
                    return true;
                }
            }
            return false;
        case MatchRank::WordInitials:
        case MatchRank::Subsequence:
            return PiecesFrom(rank == MatchRank::WordInitials, marks);
        }
        return false;
    }

private:
    struct Step {
        std::size_t next;   // the query position after the step
        bool insideReading; // it stopped inside a reading, which ends a piece
    };

    bool WordStart(std::uint32_t j) const { return (mElements[j] & WordStartBit) != 0; }

    // The ways element j takes query characters from position i on, longest first.
    std::vector<Step> Steps(std::uint32_t j, std::size_t i) const {
        std::vector<Step> steps;
        if (i >= mQuery.size()) {
            return steps;
        }
        const std::uint32_t e = mElements[j];
        for (const std::uint16_t syllable : Pinyin::Readings(static_cast<std::uint16_t>((e >> CodeShift) & CodeMask))) {
            const std::string_view letters = Pinyin::Syllable(syllable);
            for (std::size_t k = 1; k <= letters.size() && i + k <= mQuery.size(); ++k) {
                if (mQuery[i + k - 1] != static_cast<char16_t>(letters[k - 1])) {
                    break;
                }
                steps.push_back({i + k, k < letters.size()});
            }
        }
        if (mQuery[i] == static_cast<char16_t>(e & UnitMask)) {
            steps.push_back({i + 1, false});
        }
        std::stable_sort(steps.begin(), steps.end(), [](const Step& a, const Step& b) { return a.next > b.next; });
        return steps;
    }

    // Whether the step from element j leaves a query that one run from element j + 1 consumes.
    bool RunGoesOn(const Step& step, std::uint32_t j) const {
        return step.insideReading ? step.next == mQuery.size() : mRun[(j + 1) * mWidth + step.next] != 0;
    }

    bool RunFrom(std::uint32_t start, std::vector<bool>& marks) {
        if (mRun.empty()) {
            // mRun[j * width + i]: the query from i on is one run from element j on.
            mRun.assign((mLength + 1) * mWidth, 0);
            for (std::uint32_t j = mLength + 1; j-- > 0;) {
                mRun[j * mWidth + mQuery.size()] = 1;
                for (std::size_t i = 0; j < mLength && i < mQuery.size(); ++i) {
                    for (const Step& step : Steps(j, i)) {
                        if (RunGoesOn(step, j)) {
                            mRun[j * mWidth + i] = 1;
                            break;
                        }
                    }
                }
            }
        }
        if (start >= mLength || mRun[start * mWidth] == 0) {
            return false;
        }
        for (std::size_t i = 0, j = start; i < mQuery.size(); ++j) {
            for (const Step& step : Steps(static_cast<std::uint32_t>(j), i)) {
                if (RunGoesOn(step, static_cast<std::uint32_t>(j))) {
                    marks[j] = true;
                    i = step.next;
                    break;
                }
            }
        }
        return true;
    }

    bool PiecesFrom(bool atWordStarts, std::vector<bool>& marks) {
        // can[(j * width + i) * 2 + inside]: the query from i on is consumed by pieces from element
        // j on, inside a piece (which goes on at j) or between pieces (the next starts at j or later).
        std::vector<std::uint8_t> can((mLength + 1) * mWidth * 2, 0);
        const auto at = [&](std::size_t j, std::size_t i, bool inside) -> std::uint8_t& {
            return can[(j * mWidth + i) * 2 + (inside ? 1 : 0)];
        };
        const auto after = [&](const Step& step, std::uint32_t j) {
            if (step.next == mQuery.size()) {
                return true;
            }
            return step.insideReading ? at(j + 1, step.next, false) != 0
                                      : (at(j + 1, step.next, true) != 0 || at(j + 1, step.next, false) != 0);
        };
        for (std::uint32_t j = mLength + 1; j-- > 0;) {
            at(j, mQuery.size(), false) = at(j, mQuery.size(), true) = 1;
            if (j == mLength) {
                continue;
            }
            for (std::size_t i = mQuery.size(); i-- > 0;) {
                bool inside = false;
                for (const Step& step : Steps(j, i)) {
                    inside = inside || after(step, j);
                }
                at(j, i, true) = inside;
                // Between pieces: a space of the query may be passed over, the element may be passed
                // over, or a piece starts here.
                at(j, i, false) = (mQuery[i] == u' ' && at(j, i + 1, false)) || at(j + 1, i, false) ||
                                  ((!atWordStarts || WordStart(j)) && inside);
            }
        }
        if (mLength == 0 || !at(0, 0, false)) {
            return false;
        }
        bool insidePiece = false;
        for (std::size_t i = 0, j = 0; i < mQuery.size();) {
            if (!insidePiece && mQuery[i] == u' ' && at(j, i + 1, false)) {
                ++i;
                continue;
            }
            if (!insidePiece &&
                (!(atWordStarts ? WordStart(static_cast<std::uint32_t>(j)) : true) || !at(j, i, true))) {
                ++j;
                continue;
            }
            for (const Step& step : Steps(static_cast<std::uint32_t>(j), i)) {
                if (after(step, static_cast<std::uint32_t>(j))) {
                    marks[j] = true;
                    i = step.next;
                    insidePiece = !step.insideReading && i < mQuery.size() && at(j + 1, i, true) != 0;
                    break;
                }
            }
            ++j;
        }
        return true;
    }

    const std::uint32_t* mElements;
    std::uint32_t mLength;
    std::u16string_view mQuery;
    std::size_t mWidth;
    std::vector<std::uint8_t> mRun;
};

} // namespace

ShortcutMatcher::ShortcutMatcher(std::span<const Candidate> candidates) {
    mTexts.reserve(candidates.size() * 2);
    for (const Candidate& candidate : candidates) {
        AddText(candidate.displayName);
        std::wstring_view target = candidate.target;
        if (const auto slash = target.find_last_of(L"\\/"); slash != std::wstring_view::npos) {
            target.remove_prefix(slash + 1);
        }
        AddText(target);
    }
    mRanks.resize(candidates.size());
}

void ShortcutMatcher::AddText(std::wstring_view text) {
    Text added{static_cast<std::uint32_t>(mElements.size()), 0, 0, 0, 0, 0};
    std::u16string units;
    ForEachUnit(text, [&](char16_t c) { units.push_back(c); });
    Kind previous = Kind::Separator;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t c = units[i];
        const char16_t folded = Fold(c);
        std::uint32_t element = folded;
        const std::uint64_t mask = folded == u' ' ? 0 : CharacterMask(folded);
        added.all |= mask;
        added.starts |= mask;
        if (IsLowSurrogate(c) && i > 0 && IsHighSurrogate(units[i - 1])) {
            // The second half of a character: no word starts here, and the next unit follows the
            // character's kind.
            mElements.push_back(element);
            continue;
        }
        const Kind kind = KindOf(c, folded);
        bool wordStart = false;
        switch (kind) {
        case Kind::Separator:
            break;
        case Kind::Ideograph:
            wordStart = true;
            break;
        case Kind::Digit:
            wordStart = previous != Kind::Digit;
            break;
        case Kind::Lower:
            wordStart = !IsLetter(previous);
            break;
        case Kind::Upper:
            // "XMLHttp": a capital before a small letter starts a word after capitals too.
            wordStart = !IsLetter(previous) || previous == Kind::Lower ||
                        (i + 1 < units.size() && KindOf(units[i + 1], Fold(units[i + 1])) == Kind::Lower);
            break;
        }
        std::uint64_t starts = mask;
        if (const std::uint16_t code = Pinyin::ReadingsCode(c)) {
            element |= static_cast<std::uint32_t>(code) << CodeShift;
            for (const std::uint16_t syllable : Pinyin::Readings(code)) {
                const std::string_view letters = Pinyin::Syllable(syllable);
                starts |= CharacterMask(static_cast<char16_t>(letters.front()));
                for (const char letter : letters) {
                    added.all |= CharacterMask(static_cast<char16_t>(letter));
                }
            }
        }
        added.starts |= starts;
        if (wordStart) {
            element |= WordStartBit;
            added.wordStarts |= starts;
        }
        if (i == 0) {
            added.first = starts;
        }
        mElements.push_back(element);
        previous = kind;
    }
    added.length = static_cast<std::uint32_t>(mElements.size() - added.begin);
    mTexts.push_back(added);
}

void ShortcutMatcher::PrepareQuery(std::wstring_view query) {
    mQuery.clear();
    mQueryMask = 0;
    bool spaceBefore = false;
    ForEachUnit(query, [&](char16_t c) {
        const char16_t folded = Fold(c);
        if (folded == u' ') {
            spaceBefore = !mQuery.empty();
            return;
        }
        if (mQuery.size() + (spaceBefore ? 2 : 1) > MaxQueryLength) {
            spaceBefore = false;
            return;
        }
        if (spaceBefore) {
            mQuery.push_back(u' ');
            spaceBefore = false;
        }
        mQuery.push_back(folded);
        mQueryMask |= CharacterMask(folded);
    });
}

template <std::size_t Words> void ShortcutMatcher::RankAll() {
    const std::size_t m = mQuery.size();
    const std::size_t width = m + 1;
    mOtherUnits.clear();
    for (const char16_t c : mQuery) {
        if (c >= 0x100 && mOtherUnits.find(c) == std::u16string::npos) {
            mOtherUnits.push_back(c);
        }
    }
    mBits.assign((0x100 + mOtherUnits.size()) * Words, 0);
    for (std::size_t i = 0; i < m; ++i) {
        const char16_t c = mQuery[i];
        const std::size_t slot = c < 0x100 ? c : 0x100 + mOtherUnits.find(c);
        for (int lane = 0; lane < Lanes; ++lane) {
            const std::size_t bit = lane * width + i;
            mBits[slot * Words + bit / 64] |= std::uint64_t{1} << (bit % 64);
        }
    }

    QueryBits<Words> q;
    q.length = m;
    q.lead = mQuery.front();
    q.latin1 = mBits.data();
    q.others = mBits.data() + 0x100 * Words;
    q.otherUnits = mOtherUnits;
    for (int lane = 0; lane < Lanes; ++lane) {
        q.accept.Set(lane * width + m);
    }
    q.seedFirst.Set(LaneNamePrefix * width);
    for (const int lane : {LaneWordPrefix, LaneWordInitials, LaneSubstring, LaneSubsequence}) {
        q.seedWord.Set(lane * width);
    }
    for (const int lane : {LaneSubstring, LaneSubsequence}) {
        q.seedInside.Set(lane * width);
    }
    for (std::size_t i = 0; i < width; ++i) {
        q.pieceLanes.Set(LaneWordInitials * width + i);
        q.pieceLanes.Set(LaneSubsequence * width + i);
        q.anywhereLane.Set(LaneSubsequence * width + i);
    }
    q.hasSpace = mQuery.find(u' ') != std::u16string::npos;
    q.space = q.Equal(u' ');

    // The best rank a text can have, known from its masks: none unless it holds every character
    // of the query and a piece can start with the first; NamePrefix only when its first element
    // can start with it, WordPrefix or WordInitials only when a word can. For one character of
    // a-z or 0-9, whose mask bit is its own, that is its rank.
    const std::uint64_t lead = CharacterMask(mQuery.front());
    const bool ranksFromMasks = m == 1 && (lead & ExactMasks) != 0;
    const auto bound = [&](const Text& text) {
        if ((mQueryMask & ~text.all) != 0 || (lead & text.starts) == 0) {
            return NoMatch;
        }
        return (lead & text.first) != 0 ? LaneNamePrefix
                                        : ((lead & text.wordStarts) != 0 ? LaneWordPrefix : LaneSubstring);
    };
    const auto rank = [&](const Text& text, int best) {
        return ranksFromMasks ? best
                              : Tessel::Common::BestRank<Words>(mElements.data() + text.begin, text.length, q, best);
    };

    const std::size_t count = Size();
    std::array<std::size_t, Lanes> perRank{};
    for (std::size_t c = 0; c < count; ++c) {
        const Text* texts[2] = {&mTexts[2 * c], &mTexts[2 * c + 1]};
        int bounds[2] = {bound(*texts[0]), bound(*texts[1])};
        if (bounds[1] < bounds[0]) {
            std::swap(texts[0], texts[1]);
            std::swap(bounds[0], bounds[1]);
        }
        int best = NoMatch;
        for (int t = 0; t < 2 && bounds[t] < best; ++t) {
            best = std::min(best, rank(*texts[t], bounds[t]));
        }
        mRanks[c] = static_cast<std::uint8_t>(best);
        if (best != NoMatch) {
            ++perRank[best];
        }
    }

    std::array<std::size_t, Lanes> next{};
    for (int lane = 1; lane < Lanes; ++lane) {
        next[lane] = next[lane - 1] + perRank[lane - 1];
    }
    mMatches.resize(next[Lanes - 1] + perRank[Lanes - 1]);
    for (std::size_t c = 0; c < count; ++c) {
        if (mRanks[c] != NoMatch) {
            mMatches[next[mRanks[c]]++] = {static_cast<std::uint32_t>(c), static_cast<MatchRank>(mRanks[c])};
        }
    }
}

std::span<const ShortcutMatch> ShortcutMatcher::Match(std::wstring_view query) {
    PrepareQuery(query);
    if (mQuery.empty()) {
        mMatches.resize(Size());
        for (std::size_t c = 0; c < Size(); ++c) {
            mMatches[c] = {static_cast<std::uint32_t>(c), MatchRank::NamePrefix};
        }
        return mMatches;
    }
    const std::size_t bits = Lanes * (mQuery.size() + 1);
    if (bits <= 64) {
        RankAll<1>();
    } else if (bits <= 128) {
        RankAll<2>();
    } else if (bits <= 256) {
        RankAll<4>();
    } else {
        static_assert(Lanes * (MaxQueryLength + 1) <= 20 * 64);
        RankAll<20>();
    }
    return mMatches;
}

} // namespace Tessel::Common

namespace Tessel::Common {

std::optional<MatchRank> ShortcutMatcher::MatchedCharacters(std::size_t index, std::wstring_view query,
                                                            std::vector<bool>& characters) {
    const Text& text = mTexts.at(2 * index);
    characters.assign(text.length, false);
    PrepareQuery(query);
    if (mQuery.empty()) {
        return std::nullopt;
    }
    MatchPath path(mElements.data() + text.begin, text.length, mQuery);
    for (int lane = 0; lane < Lanes; ++lane) {
        if (path.Find(static_cast<MatchRank>(lane), characters)) {
            return static_cast<MatchRank>(lane);
        }
    }
    return std::nullopt;
}

} // namespace Tessel::Common
