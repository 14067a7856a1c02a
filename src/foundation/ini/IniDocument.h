#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
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

    // Names of the sections, in file order, each name once (as first spelled).
    std::vector<std::wstring> SectionNames() const;
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
    enum class LineKind { Other, Entry };

    // One line as written; for an entry, where its key and value lie in the text.
    struct Line {
        std::wstring text;
        LineKind kind = LineKind::Other;
        std::size_t keyBegin = 0;
        std::size_t keyLength = 0;
        std::size_t valueBegin = 0;
        std::size_t valueLength = 0;

        std::wstring_view Key() const { return std::wstring_view(text).substr(keyBegin, keyLength); }
        std::wstring_view Value() const { return std::wstring_view(text).substr(valueBegin, valueLength); }
    };

    struct Section {
        std::wstring name;
        // The header line as read, or "[" + name + "]" for a section added here.
        std::wstring header;
        std::vector<Line> lines;
        // Folded key name to the index of its first entry line.
        std::unordered_map<std::wstring, std::size_t> keyIndex;
        // Index of the last entry line plus one; 0 when the section has no entries.
        std::size_t entriesEnd = 0;

        void AddLine(Line line);
        void RebuildIndex();
    };

    const Section* FindSection(std::wstring_view name) const;
    Section* FindSection(std::wstring_view name);
    const Line* FindEntry(std::wstring_view section, std::wstring_view key) const;
    void AddSection(std::wstring name, std::wstring header);
    void RebuildSectionIndex();

    static Line MakeEntry(std::wstring_view key, std::wstring_view value);

    std::vector<std::wstring> mPreamble;
    std::vector<Section> mSections;
    // Folded section name to the index of its first section.
    std::unordered_map<std::wstring, std::size_t> mSectionIndex;
};

// Parses a whole decimal number with an optional sign that fits 32 bits; blanks around it are
// allowed. Anything else ("12abc", "0x1F", "", "99999999999") gives false.
bool ParseInt32(std::wstring_view text, int& value);
// The same for a number that fits 64 bits.
bool ParseInt64(std::wstring_view text, std::int64_t& value);

} // namespace Tessel::Common
