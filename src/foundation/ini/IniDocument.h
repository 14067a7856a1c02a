#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Tessel::Common {

// The whole text of an INI file in memory: parsed in one pass, looked up, changed and written
// back as text. Look-ups read the text the way the system's profile functions do:
// - a line ends at any CR or LF; blanks around section names, keys and values are ignored;
// - "[Name]" starts a section, and the name ends at the first "]";
// - "key=value" is an entry (split at the first "="); a line without "=" is none;
// - lines before the first section, blank lines and lines starting with ";" never match;
// - section and key names match regardless of case; the first section and the first key of a
//   name win;
// - one pair of matching outer quotes (' or ") is removed from a value.
// Writing keeps every line it does not change as it was, comments included.
class IniDocument {
public:
    IniDocument() = default;

    static IniDocument Parse(std::wstring_view text);
    // The same, keeping the given text as the document's own instead of copying it.
    static IniDocument ParseOwned(std::wstring text);

    bool SectionExists(std::wstring_view section) const;
    bool ValueExists(std::wstring_view section, std::wstring_view key) const;

    std::wstring ReadString(std::wstring_view section, std::wstring_view key, std::wstring_view defaultValue) const;
    // The value when it is a whole decimal number that fits 32 bits, else defaultValue.
    int ReadInteger(std::wstring_view section, std::wstring_view key, int defaultValue) const;
    // As ReadInteger, but tells whether there was such a number instead of giving a default.
    bool TryReadInteger(std::wstring_view section, std::wstring_view key, int& value) const;
    // The same rule for a number that fits 64 bits.
    bool TryReadInteger64(std::wstring_view section, std::wstring_view key, std::int64_t& value) const;
    // Read as an integer: any number but 0 is true.
    bool ReadBool(std::wstring_view section, std::wstring_view key, bool defaultValue) const;

    // A section that look-ups read, found once and then read from without naming it again. It
    // stays valid until the document's sections change (a new or erased section, a new document).
    using SectionId = std::size_t;
    static constexpr SectionId NoSection = static_cast<SectionId>(-1);
    SectionId FindSectionId(std::wstring_view section) const;
    std::wstring ReadString(SectionId section, std::wstring_view key, std::wstring_view defaultValue) const;
    int ReadInteger(SectionId section, std::wstring_view key, int defaultValue) const;
    bool TryReadInteger(SectionId section, std::wstring_view key, int& value) const;
    bool ReadBool(SectionId section, std::wstring_view key, bool defaultValue) const;

    // Names of the sections, in file order, each name once (as first spelled).
    std::vector<std::wstring> SectionNames() const;
    // The same names with the section each one reads from, without copying them: the views point
    // into the document and are valid until it changes.
    template <typename Visit> void ForEachSectionName(Visit&& visit) const {
        for (std::size_t i = 0; i < mSections.size(); ++i) {
            if (mSections[i].first) {
                visit(static_cast<SectionId>(i), SectionName(mSections[i]));
            }
        }
    }
    // Names of the keys of a section, in file order, each once.
    std::vector<std::wstring> KeyNames(std::wstring_view section) const;

    // Sets a value: the first entry of that key is rewritten in place; a new key goes after the
    // last entry of its section; a new section goes at the end. Line breaks in a value become
    // blanks, and a value that would not read back as given (blanks at its ends, outer quotes)
    // is written between double quotes.
    void WriteString(std::wstring_view section, std::wstring_view key, std::wstring_view value);
    void WriteInteger(std::wstring_view section, std::wstring_view key, int value);
    void WriteBool(std::wstring_view section, std::wstring_view key, bool value);
    // Removes every section of that name with all its lines.
    void EraseSection(std::wstring_view section);
    // Removes every entry of that key from the section that look-ups read.
    void DeleteKey(std::wstring_view section, std::wstring_view key);

    // The whole text, each line ended by CR LF.
    std::wstring ToText() const;

private:
    enum class LineKind : std::uint8_t { Other, Entry };

    // A piece of mText.
    struct Span {
        std::size_t begin = 0;
        std::size_t length = 0;
    };

    // One line as written, a piece of mText; for an entry, where its key and value lie in it.
    struct Line {
        Span text;
        std::uint32_t keyBegin = 0;
        std::uint32_t keyLength = 0;
        std::uint32_t valueBegin = 0;
        std::uint32_t valueLength = 0;
        LineKind kind = LineKind::Other;
    };

    struct Section {
        Span name;
        // The header line as read, or "[" + name + "]" for a section added here.
        Span header;
        std::vector<Line> lines;
        // Index of the last entry line plus one; 0 when the section has no entries.
        std::size_t entriesEnd = 0;
        std::size_t entryCount = 0;
        // Whether look-ups of this name read this section (the first of its name).
        bool first = false;
        // Whether its keys are in mKeyIndex; a section of a few entries is read entry by entry.
        bool indexed = false;
    };

    // An open-addressed table from folded names to sections, or to the first entry line of a
    // key in a section. Names are folded as they are hashed and compared, never stored.
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t section = 0xFFFFFFFFu;
        std::uint32_t line = 0;
    };
    static constexpr std::uint32_t EmptySlot = 0xFFFFFFFFu;
    static constexpr std::uint32_t RemovedSlot = 0xFFFFFFFEu;
    struct SlotTable {
        std::vector<Slot> slots;
        std::size_t used = 0;
        std::size_t removed = 0;
    };

    std::wstring_view View(Span span) const { return std::wstring_view(mText).substr(span.begin, span.length); }
    std::wstring_view SectionName(const Section& section) const { return View(section.name); }
    std::wstring_view Key(const Line& line) const { return View(line.text).substr(line.keyBegin, line.keyLength); }
    std::wstring_view Value(const Line& line) const {
        return View(line.text).substr(line.valueBegin, line.valueLength);
    }

    const Line* FindEntry(SectionId section, std::wstring_view key) const;
    const Line* FindEntry(std::wstring_view section, std::wstring_view key) const;
    // The first entry line of the key in the section, or NoLine.
    std::size_t FindKeyLine(std::size_t section, std::wstring_view key) const;
    std::size_t FindKeySlot(std::size_t section, std::wstring_view key) const;
    void IndexKey(std::size_t section, std::size_t line);
    void IndexSectionKeys(std::size_t section);
    void UnindexSectionKeys(std::size_t section);
    void AddSection(Span name, Span header);
    void RebuildIndexes();
    Span Append(std::wstring_view piece);
    Line AppendEntry(std::wstring_view key, std::wstring_view value);
    void Discard(Span span);
    void CompactIfWasteful();
    void ReadLines();

    // Every line's text: what was parsed, then what was written since.
    std::wstring mText;
    // How much of mText no line uses any more.
    std::size_t mUnused = 0;
    std::vector<Span> mPreamble;
    std::vector<Section> mSections;
    // Folded section name to the index of its first section.
    SlotTable mSectionIndex;
    // Section index and folded key name to the index of the key's first entry line there; only
    // the first section of each name, and only when it has more than a few entries, has its keys
    // here.
    SlotTable mKeyIndex;
};

// Parses a whole decimal number with an optional sign that fits 32 bits; blanks around it are
// allowed. Anything else ("12abc", "0x1F", "", "99999999999") gives false.
bool ParseInt32(std::wstring_view text, int& value);
// The same for a number that fits 64 bits.
bool ParseInt64(std::wstring_view text, std::int64_t& value);

} // namespace Tessel::Common
