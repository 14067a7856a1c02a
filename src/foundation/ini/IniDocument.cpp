#include "foundation/ini/IniDocument.h"

#include "foundation/text/TextEncoding.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <utility>

namespace Tessel::Common {

namespace {

// Ctrl-Z counts as a blank: old editors end text files with it.
bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\v' || c == L'\f' || c == 0x1A;
}

std::wstring_view Trim(std::wstring_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

// Case folding for name comparison: ASCII, Latin-1, Greek and Cyrillic capitals.
wchar_t FoldChar(wchar_t c) {
    if ((c >= L'A' && c <= L'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F)) {
        return static_cast<wchar_t>(c + 0x20);
    }
    if (c >= 0x400 && c <= 0x40F) {
        return static_cast<wchar_t>(c + 0x50);
    }
    return c;
}

bool EqualsFolded(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && FoldChar(a[i]) != FoldChar(b[i])) {
            return false;
        }
    }
    return true;
}

// FNV-1a over the folded characters, so that names equal but for case hash alike.
std::uint32_t FoldedHash(std::wstring_view name, std::uint32_t seed = 2166136261u) {
    std::uint32_t hash = seed;
    for (const wchar_t c : name) {
        hash = (hash ^ static_cast<std::uint32_t>(FoldChar(c))) * 16777619u;
    }
    return hash;
}

std::uint32_t KeyHash(std::size_t section, std::wstring_view key) {
    return FoldedHash(key, (2166136261u ^ static_cast<std::uint32_t>(section)) * 16777619u);
}

// Spreads a hash over the table's positions.
std::size_t SlotPosition(std::uint32_t hash, std::size_t mask) {
    hash ^= hash >> 16;
    hash *= 0x85EBCA6Bu;
    hash ^= hash >> 13;
    hash *= 0xC2B2AE35u;
    hash ^= hash >> 16;
    return static_cast<std::size_t>(hash) & mask;
}

constexpr std::size_t NoSlot = static_cast<std::size_t>(-1);
constexpr std::size_t NoLine = static_cast<std::size_t>(-1);
// Sections of at most this many entries are read entry by entry instead of through the index.
constexpr std::size_t LinearKeys = 8;

bool IsQuote(wchar_t c) {
    return c == L'"' || c == L'\'';
}

std::wstring_view StripQuotes(std::wstring_view value) {
    if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// The text to store so that a look-up gives value back unchanged.
std::wstring EncodeValue(std::wstring_view value) {
    std::wstring text(value);
    for (wchar_t& c : text) {
        if (c == L'\r' || c == L'\n')
            c = L' ';
    }
    const bool losesBlanks = !text.empty() && (IsBlank(text.front()) || IsBlank(text.back()));
    const bool losesQuotes = StripQuotes(text).size() != text.size();
    if (losesBlanks || losesQuotes) {
        return L"\"" + text + L"\"";
    }
    return text;
}

} // namespace

bool ParseInt64(std::wstring_view text, std::int64_t& value) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == L'-' || text.front() == L'+')) {
        negative = text.front() == L'-';
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return false;
    }
    // Accumulated toward the negative side, which holds one more value than the positive.
    constexpr std::int64_t Lowest = INT64_MIN;
    std::int64_t result = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            return false;
        }
        const int digit = c - L'0';
        if (result < (Lowest + digit) / 10) {
            return false;
        }
        result = result * 10 - digit;
    }
    if (!negative) {
        if (result == Lowest) {
            return false;
        }
        result = -result;
    }
    value = result;
    return true;
}

bool ParseInt32(std::wstring_view text, int& value) {
    std::int64_t wide = 0;
    if (!ParseInt64(text, wide) || wide < INT32_MIN || wide > INT32_MAX) {
        return false;
    }
    value = static_cast<int>(wide);
    return true;
}

namespace {

constexpr std::uint32_t Empty = 0xFFFFFFFFu;
constexpr std::uint32_t Removed = 0xFFFFFFFEu;

// The position of the slot of that hash that matches, or NoSlot.
template <typename Table, typename Matches>
std::size_t FindSlot(const Table& table, std::uint32_t hash, Matches&& matches) {
    if (table.slots.empty()) {
        return NoSlot;
    }
    const std::size_t mask = table.slots.size() - 1;
    for (std::size_t at = SlotPosition(hash, mask);; at = (at + 1) & mask) {
        const auto& slot = table.slots[at];
        if (slot.section == Empty) {
            return NoSlot;
        }
        if (slot.section != Removed && slot.hash == hash && matches(slot)) {
            return at;
        }
    }
}

// Puts a slot in the first free place of its run; the table is at most half full, so there is
// always one.
template <typename Table, typename Slot> void PlaceSlot(Table& table, const Slot& slot) {
    const std::size_t mask = table.slots.size() - 1;
    std::size_t at = SlotPosition(slot.hash, mask);
    while (table.slots[at].section != Empty && table.slots[at].section != Removed)
        at = (at + 1) & mask;
    if (table.slots[at].section == Removed) {
        --table.removed;
    }
    table.slots[at] = slot;
    ++table.used;
}

// Makes room for that many slots in use: the table never gets more than half full, removed slots
// counted (a table full by one more slot doubles).
template <typename Table> void Reserve(Table& table, std::size_t wanted) {
    if ((wanted + table.removed) * 2 <= table.slots.size()) {
        return;
    }
    std::size_t size = 16;
    while (size < wanted * 2)
        size *= 2;
    auto old = std::move(table.slots);
    table.slots.assign(size, {});
    table.used = 0;
    table.removed = 0;
    for (const auto& slot : old) {
        if (slot.section != Empty && slot.section != Removed) {
            PlaceSlot(table, slot);
        }
    }
}

template <typename Table> void Clear(Table& table) {
    table.slots.clear();
    table.used = 0;
    table.removed = 0;
}

} // namespace

IniDocument IniDocument::Parse(std::wstring_view text) {
    return ParseOwned(std::wstring(text));
}

IniDocument IniDocument::ParseOwned(std::wstring text) {
    IniDocument document;
    document.mText = std::move(text);
    document.ReadLines();
    return document;
}

void IniDocument::ReadLines() {
    const std::wstring_view text = mText;
    // Room for as many sections as there are brackets, so that neither grows while reading.
    const auto brackets = static_cast<std::size_t>(std::count(text.begin(), text.end(), L'['));
    mSections.reserve(brackets);
    Reserve(mSectionIndex, brackets);
    // The lines of the current section, given to it in one piece when the section ends.
    std::vector<Line> pending;
    const auto endSection = [&] {
        if (mSections.empty()) {
            return;
        }
        Section& section = mSections.back();
        section.lines.assign(pending.begin(), pending.end());
        pending.clear();
        IndexSectionKeys(mSections.size() - 1);
    };
    std::size_t begin = 0;
    while (begin < text.size()) {
        // A line ends at CR LF, a lone CR or a lone LF.
        std::size_t end = begin;
        while (end < text.size() && text[end] != L'\r' && text[end] != L'\n')
            ++end;
        const Span span{begin, end - begin};
        const std::wstring_view raw = text.substr(begin, end - begin);
        begin = end;
        if (begin < text.size()) {
            begin += text[begin] == L'\r' && begin + 1 < text.size() && text[begin + 1] == L'\n' ? 2 : 1;
        }

        const std::wstring_view trimmed = Trim(raw);
        if (!trimmed.empty() && trimmed.front() == L'[') {
            const std::size_t close = trimmed.find(L']');
            if (close != std::wstring_view::npos) {
                endSection();
                const std::wstring_view name = Trim(trimmed.substr(1, close - 1));
                AddSection(Span{static_cast<std::size_t>(name.data() - text.data()), name.size()}, span);
                continue;
            }
        }
        if (mSections.empty()) {
            mPreamble.push_back(span);
            continue;
        }
        Line line;
        line.text = span;
        const std::size_t equals = raw.find(L'=');
        if (!trimmed.empty() && trimmed.front() != L';' && equals != std::wstring_view::npos) {
            const std::wstring_view key = Trim(raw.substr(0, equals));
            const std::wstring_view value = Trim(raw.substr(equals + 1));
            line.kind = LineKind::Entry;
            line.keyBegin = static_cast<std::uint32_t>(key.data() - raw.data());
            line.keyLength = static_cast<std::uint32_t>(key.size());
            line.valueBegin = static_cast<std::uint32_t>(value.data() - raw.data());
            line.valueLength = static_cast<std::uint32_t>(value.size());
        }
        pending.push_back(line);
    }
    endSection();
}

void IniDocument::AddSection(Span name, Span header) {
    const std::size_t index = mSections.size();
    Section section;
    section.name = name;
    section.header = header;
    mSections.push_back(std::move(section));
    const std::wstring_view folded = View(name);
    const std::uint32_t hash = FoldedHash(folded);
    const bool taken = FindSlot(mSectionIndex, hash, [&](const Slot& slot) {
                           return EqualsFolded(SectionName(mSections[slot.section]), folded);
                       }) != NoSlot;
    if (!taken) {
        Reserve(mSectionIndex, mSectionIndex.used + 1);
        PlaceSlot(mSectionIndex, Slot{hash, static_cast<std::uint32_t>(index), 0});
    }
    mSections.back().first = !taken;
}

std::size_t IniDocument::FindKeySlot(std::size_t section, std::wstring_view key) const {
    const std::vector<Line>& lines = mSections[section].lines;
    return FindSlot(mKeyIndex, KeyHash(section, key), [&](const Slot& slot) {
        return slot.section == section && EqualsFolded(Key(lines[slot.line]), key);
    });
}

std::size_t IniDocument::FindKeyLine(std::size_t section, std::wstring_view key) const {
    const Section& target = mSections[section];
    if (target.indexed) {
        const std::size_t at = FindKeySlot(section, key);
        return at == NoSlot ? NoLine : mKeyIndex.slots[at].line;
    }
    for (std::size_t i = 0; i < target.entriesEnd; ++i) {
        const Line& line = target.lines[i];
        if (line.kind == LineKind::Entry && EqualsFolded(Key(line), key)) {
            return i;
        }
    }
    return NoLine;
}

void IniDocument::IndexKey(std::size_t section, std::size_t line) {
    const std::wstring_view key = Key(mSections[section].lines[line]);
    if (FindKeySlot(section, key) != NoSlot) {
        return;
    }
    Reserve(mKeyIndex, mKeyIndex.used + 1);
    PlaceSlot(mKeyIndex,
              Slot{KeyHash(section, key), static_cast<std::uint32_t>(section), static_cast<std::uint32_t>(line)});
}

void IniDocument::IndexSectionKeys(std::size_t section) {
    Section& target = mSections[section];
    target.entriesEnd = 0;
    target.entryCount = 0;
    for (std::size_t i = 0; i < target.lines.size(); ++i) {
        if (target.lines[i].kind == LineKind::Entry) {
            ++target.entryCount;
            target.entriesEnd = i + 1;
        }
    }
    target.indexed = target.first && target.entryCount > LinearKeys;
    if (!target.indexed) {
        return;
    }
    for (std::size_t i = 0; i < target.entriesEnd; ++i) {
        if (target.lines[i].kind == LineKind::Entry) {
            IndexKey(section, i);
        }
    }
}

void IniDocument::UnindexSectionKeys(std::size_t section) {
    Section& target = mSections[section];
    if (!target.indexed) {
        return;
    }
    for (const Line& line : target.lines) {
        if (line.kind != LineKind::Entry) {
            continue;
        }
        const std::size_t at = FindKeySlot(section, Key(line));
        if (at != NoSlot) {
            mKeyIndex.slots[at].section = Removed;
            --mKeyIndex.used;
            ++mKeyIndex.removed;
        }
    }
    target.indexed = false;
}

void IniDocument::RebuildIndexes() {
    Clear(mSectionIndex);
    Clear(mKeyIndex);
    std::vector<Section> sections = std::move(mSections);
    mSections.clear();
    mSections.reserve(sections.size());
    for (Section& section : sections) {
        AddSection(section.name, section.header);
        mSections.back().lines = std::move(section.lines);
        IndexSectionKeys(mSections.size() - 1);
    }
}

IniDocument::SectionId IniDocument::FindSectionId(std::wstring_view name) const {
    const std::wstring_view folded = Trim(name);
    const std::size_t at = FindSlot(mSectionIndex, FoldedHash(folded), [&](const Slot& slot) {
        return EqualsFolded(SectionName(mSections[slot.section]), folded);
    });
    return at == NoSlot ? NoSection : static_cast<SectionId>(mSectionIndex.slots[at].section);
}

const IniDocument::Line* IniDocument::FindEntry(SectionId section, std::wstring_view key) const {
    if (section >= mSections.size()) {
        return nullptr;
    }
    const std::size_t at = FindKeyLine(section, Trim(key));
    return at == NoLine ? nullptr : &mSections[section].lines[at];
}

const IniDocument::Line* IniDocument::FindEntry(std::wstring_view section, std::wstring_view key) const {
    return FindEntry(FindSectionId(section), key);
}

bool IniDocument::SectionExists(std::wstring_view section) const {
    return FindSectionId(section) != NoSection;
}

bool IniDocument::ValueExists(std::wstring_view section, std::wstring_view key) const {
    return FindEntry(section, key) != nullptr;
}

std::wstring IniDocument::ReadString(std::wstring_view section, std::wstring_view key,
                                     std::wstring_view defaultValue) const {
    return ReadString(FindSectionId(section), key, defaultValue);
}

std::wstring IniDocument::ReadString(SectionId section, std::wstring_view key, std::wstring_view defaultValue) const {
    const Line* entry = FindEntry(section, key);
    return std::wstring(entry == nullptr ? defaultValue : StripQuotes(Value(*entry)));
}

bool IniDocument::TryReadInteger(std::wstring_view section, std::wstring_view key, int& value) const {
    return TryReadInteger(FindSectionId(section), key, value);
}

bool IniDocument::TryReadInteger(SectionId section, std::wstring_view key, int& value) const {
    const Line* entry = FindEntry(section, key);
    return entry != nullptr && ParseInt32(StripQuotes(Value(*entry)), value);
}

bool IniDocument::TryReadInteger64(std::wstring_view section, std::wstring_view key, std::int64_t& value) const {
    const Line* entry = FindEntry(section, key);
    return entry != nullptr && ParseInt64(StripQuotes(Value(*entry)), value);
}

int IniDocument::ReadInteger(std::wstring_view section, std::wstring_view key, int defaultValue) const {
    return ReadInteger(FindSectionId(section), key, defaultValue);
}

int IniDocument::ReadInteger(SectionId section, std::wstring_view key, int defaultValue) const {
    int value = 0;
    return TryReadInteger(section, key, value) ? value : defaultValue;
}

bool IniDocument::ReadBool(std::wstring_view section, std::wstring_view key, bool defaultValue) const {
    return ReadBool(FindSectionId(section), key, defaultValue);
}

bool IniDocument::ReadBool(SectionId section, std::wstring_view key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

std::vector<std::wstring> IniDocument::SectionNames() const {
    std::vector<std::wstring> names;
    ForEachSectionName([&names](SectionId, std::wstring_view name) { names.emplace_back(name); });
    return names;
}

std::vector<std::wstring> IniDocument::KeyNames(std::wstring_view section) const {
    std::vector<std::wstring> names;
    const SectionId found = FindSectionId(section);
    if (found == NoSection) {
        return names;
    }
    const std::vector<Line>& lines = mSections[found].lines;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind == LineKind::Entry && FindKeyLine(found, Key(lines[i])) == i) {
            names.emplace_back(Key(lines[i]));
        }
    }
    return names;
}

IniDocument::Span IniDocument::Append(std::wstring_view piece) {
    const Span span{mText.size(), piece.size()};
    mText.append(piece);
    return span;
}

void IniDocument::Discard(Span span) {
    mUnused += span.length;
}

IniDocument::Line IniDocument::AppendEntry(std::wstring_view key, std::wstring_view value) {
    std::wstring text;
    text.reserve(key.size() + 1 + value.size());
    text.append(key).append(1, L'=').append(value);
    Line line;
    line.kind = LineKind::Entry;
    line.text = Append(text);
    line.keyLength = static_cast<std::uint32_t>(key.size());
    line.valueBegin = static_cast<std::uint32_t>(key.size() + 1);
    line.valueLength = static_cast<std::uint32_t>(value.size());
    return line;
}

// Text that lines no longer use is dropped once it is most of the buffer.
void IniDocument::CompactIfWasteful() {
    if (mUnused < 4096 || mUnused * 2 < mText.size()) {
        return;
    }
    std::wstring text;
    text.reserve(mText.size() - mUnused);
    const auto move = [&](Span& span) {
        const std::size_t begin = text.size();
        text.append(View(span));
        span.begin = begin;
    };
    for (Span& line : mPreamble)
        move(line);
    for (Section& section : mSections) {
        const std::size_t nameOffset = section.name.begin - section.header.begin;
        move(section.header);
        section.name.begin = section.header.begin + nameOffset;
        for (Line& line : section.lines)
            move(line.text);
    }
    mText = std::move(text);
    mUnused = 0;
}

namespace {

bool Overlaps(const std::wstring& buffer, std::wstring_view piece) {
    const std::less_equal<const wchar_t*> notAfter;
    return !piece.empty() && notAfter(buffer.data(), piece.data()) &&
           notAfter(piece.data(), buffer.data() + buffer.size());
}

} // namespace

void IniDocument::WriteString(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
    // A name or value read from this document is copied first: writing may move the text.
    if (Overlaps(mText, section) || Overlaps(mText, key) || Overlaps(mText, value)) {
        WriteString(std::wstring(section), std::wstring(key), std::wstring(value));
        return;
    }
    const std::wstring_view sectionName = Trim(section);
    const std::wstring_view keyName = Trim(key);
    SectionId target = FindSectionId(sectionName);
    if (target == NoSection) {
        std::wstring header;
        header.reserve(sectionName.size() + 2);
        header.append(1, L'[').append(sectionName).append(1, L']');
        const Span headerSpan = Append(header);
        AddSection(Span{headerSpan.begin + 1, sectionName.size()}, headerSpan);
        target = mSections.size() - 1;
    }
    const std::wstring stored = EncodeValue(value);
    Section& into = mSections[target];
    const std::size_t existing = FindKeyLine(target, keyName);
    if (existing != NoLine) {
        Line& line = into.lines[existing];
        const std::wstring keyAsWritten(Key(line));
        Discard(line.text);
        line = AppendEntry(keyAsWritten, stored);
        CompactIfWasteful();
        return;
    }
    // After the last entry only other lines follow: the entry lines keep their places.
    const std::size_t at = into.entriesEnd;
    into.lines.insert(into.lines.begin() + static_cast<std::ptrdiff_t>(at), AppendEntry(keyName, stored));
    into.entriesEnd = at + 1;
    ++into.entryCount;
    if (into.indexed) {
        IndexKey(target, at);
    } else if (into.entryCount > LinearKeys) {
        IndexSectionKeys(target);
    }
}

void IniDocument::WriteInteger(std::wstring_view section, std::wstring_view key, int value) {
    WriteString(section, key, std::to_wstring(value));
}

void IniDocument::WriteBool(std::wstring_view section, std::wstring_view key, bool value) {
    WriteString(section, key, value ? L"1" : L"0");
}

void IniDocument::EraseSection(std::wstring_view section) {
    const std::wstring name(Trim(section));
    std::erase_if(mSections, [&](const Section& each) {
        if (!EqualsFolded(SectionName(each), name)) {
            return false;
        }
        Discard(each.header);
        for (const Line& line : each.lines)
            Discard(line.text);
        return true;
    });
    RebuildIndexes();
    CompactIfWasteful();
}

void IniDocument::DeleteKey(std::wstring_view section, std::wstring_view key) {
    const SectionId target = FindSectionId(section);
    if (target == NoSection) {
        return;
    }
    const std::wstring name(Trim(key));
    std::vector<Line>& lines = mSections[target].lines;
    // The section's keys leave the index and come back at their new places.
    UnindexSectionKeys(target);
    std::erase_if(lines, [&](const Line& line) {
        if (line.kind != LineKind::Entry || !EqualsFolded(Key(line), name)) {
            return false;
        }
        Discard(line.text);
        return true;
    });
    IndexSectionKeys(target);
    CompactIfWasteful();
}

std::wstring IniDocument::ToText() const {
    std::size_t size = 0;
    for (const Span& line : mPreamble)
        size += line.length + 2;
    for (const Section& section : mSections) {
        size += section.header.length + 2;
        for (const Line& line : section.lines)
            size += line.text.length + 2;
    }
    std::wstring text;
    text.reserve(size);
    const auto append = [&](Span line) { text.append(View(line)).append(L"\r\n"); };
    for (const Span& line : mPreamble)
        append(line);
    for (const Section& section : mSections) {
        append(section.header);
        for (const Line& line : section.lines)
            append(line.text);
    }
    return text;
}

} // namespace Tessel::Common
