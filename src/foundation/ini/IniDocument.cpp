#include "foundation/ini/IniDocument.h"

#include "foundation/text/TextEncoding.h"

#include <cstdint>
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

std::wstring Fold(std::wstring_view name) {
    std::wstring folded(name);
    for (wchar_t& c : folded)
        c = FoldChar(c);
    return folded;
}

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

void IniDocument::Section::AddLine(Line line) {
    if (line.kind == LineKind::Entry) {
        keyIndex.try_emplace(Fold(line.Key()), lines.size());
        entriesEnd = lines.size() + 1;
    }
    lines.push_back(std::move(line));
}

void IniDocument::Section::RebuildIndex() {
    keyIndex.clear();
    entriesEnd = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind == LineKind::Entry) {
            keyIndex.try_emplace(Fold(lines[i].Key()), i);
            entriesEnd = i + 1;
        }
    }
}

IniDocument IniDocument::Parse(std::wstring_view text) {
    IniDocument document;
    for (const std::wstring_view raw : SplitLines(text)) {
        const std::wstring_view trimmed = Trim(raw);
        if (!trimmed.empty() && trimmed.front() == L'[') {
            const std::size_t close = trimmed.find(L']');
            if (close != std::wstring_view::npos) {
                document.AddSection(std::wstring(Trim(trimmed.substr(1, close - 1))), std::wstring(raw));
                continue;
            }
        }
        if (document.mSections.empty()) {
            document.mPreamble.emplace_back(raw);
            continue;
        }
        Line line;
        line.text = raw;
        const std::size_t equals = raw.find(L'=');
        if (!trimmed.empty() && trimmed.front() != L';' && equals != std::wstring_view::npos) {
            const std::wstring_view key = Trim(raw.substr(0, equals));
            const std::wstring_view value = Trim(raw.substr(equals + 1));
            line.kind = LineKind::Entry;
            line.keyBegin = static_cast<std::size_t>(key.data() - raw.data());
            line.keyLength = key.size();
            line.valueBegin = static_cast<std::size_t>(value.data() - raw.data());
            line.valueLength = value.size();
        }
        document.mSections.back().AddLine(std::move(line));
    }
    return document;
}

void IniDocument::AddSection(std::wstring name, std::wstring header) {
    mSectionIndex.try_emplace(Fold(name), mSections.size());
    Section section;
    section.name = std::move(name);
    section.header = std::move(header);
    mSections.push_back(std::move(section));
}

void IniDocument::RebuildSectionIndex() {
    mSectionIndex.clear();
    for (std::size_t i = 0; i < mSections.size(); ++i) {
        mSectionIndex.try_emplace(Fold(mSections[i].name), i);
    }
}

const IniDocument::Section* IniDocument::FindSection(std::wstring_view name) const {
    const auto found = mSectionIndex.find(Fold(Trim(name)));
    return found == mSectionIndex.end() ? nullptr : &mSections[found->second];
}

IniDocument::Section* IniDocument::FindSection(std::wstring_view name) {
    return const_cast<Section*>(std::as_const(*this).FindSection(name));
}

const IniDocument::Line* IniDocument::FindEntry(std::wstring_view section, std::wstring_view key) const {
    const Section* found = FindSection(section);
    if (found == nullptr) {
        return nullptr;
    }
    const auto entry = found->keyIndex.find(Fold(Trim(key)));
    return entry == found->keyIndex.end() ? nullptr : &found->lines[entry->second];
}

bool IniDocument::SectionExists(std::wstring_view section) const {
    return FindSection(section) != nullptr;
}

bool IniDocument::ValueExists(std::wstring_view section, std::wstring_view key) const {
    return FindEntry(section, key) != nullptr;
}

std::wstring IniDocument::ReadString(std::wstring_view section, std::wstring_view key,
                                     std::wstring_view defaultValue) const {
    const Line* entry = FindEntry(section, key);
    return std::wstring(entry == nullptr ? defaultValue : StripQuotes(entry->Value()));
}

bool IniDocument::TryReadInteger(std::wstring_view section, std::wstring_view key, int& value) const {
    const Line* entry = FindEntry(section, key);
    return entry != nullptr && ParseInt32(StripQuotes(entry->Value()), value);
}

bool IniDocument::TryReadInteger64(std::wstring_view section, std::wstring_view key, std::int64_t& value) const {
    const Line* entry = FindEntry(section, key);
    return entry != nullptr && ParseInt64(StripQuotes(entry->Value()), value);
}

int IniDocument::ReadInteger(std::wstring_view section, std::wstring_view key, int defaultValue) const {
    int value = 0;
    return TryReadInteger(section, key, value) ? value : defaultValue;
}

bool IniDocument::ReadBool(std::wstring_view section, std::wstring_view key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

std::vector<std::wstring> IniDocument::SectionNames() const {
    std::vector<std::wstring> names;
    for (std::size_t i = 0; i < mSections.size(); ++i) {
        if (mSectionIndex.at(Fold(mSections[i].name)) == i) {
            names.push_back(mSections[i].name);
        }
    }
    return names;
}

std::vector<std::wstring> IniDocument::KeyNames(std::wstring_view section) const {
    std::vector<std::wstring> names;
    const Section* found = FindSection(section);
    if (found == nullptr) {
        return names;
    }
    for (std::size_t i = 0; i < found->lines.size(); ++i) {
        const Line& line = found->lines[i];
        if (line.kind == LineKind::Entry && found->keyIndex.at(Fold(line.Key())) == i) {
            names.emplace_back(line.Key());
        }
    }
    return names;
}

IniDocument::Line IniDocument::MakeEntry(std::wstring_view key, std::wstring_view value) {
    Line line;
    line.kind = LineKind::Entry;
    line.text.reserve(key.size() + 1 + value.size());
    line.text.append(key).append(1, L'=').append(value);
    line.keyLength = key.size();
    line.valueBegin = key.size() + 1;
    line.valueLength = value.size();
    return line;
}

void IniDocument::WriteString(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
    const std::wstring_view sectionName = Trim(section);
    const std::wstring_view keyName = Trim(key);
    Section* target = FindSection(sectionName);
    if (target == nullptr) {
        AddSection(std::wstring(sectionName), L"[" + std::wstring(sectionName) + L"]");
        target = &mSections.back();
    }
    const std::wstring stored = EncodeValue(value);
    std::wstring folded = Fold(keyName);
    const auto existing = target->keyIndex.find(folded);
    if (existing != target->keyIndex.end()) {
        Line& line = target->lines[existing->second];
        line = MakeEntry(std::wstring(line.Key()), stored);
        return;
    }
    const std::size_t at = target->entriesEnd;
    target->lines.insert(target->lines.begin() + static_cast<std::ptrdiff_t>(at), MakeEntry(keyName, stored));
    target->keyIndex.emplace(std::move(folded), at);
    target->entriesEnd = at + 1;
}

void IniDocument::WriteInteger(std::wstring_view section, std::wstring_view key, int value) {
    WriteString(section, key, std::to_wstring(value));
}

void IniDocument::WriteBool(std::wstring_view section, std::wstring_view key, bool value) {
    WriteString(section, key, value ? L"1" : L"0");
}

void IniDocument::EraseSection(std::wstring_view section) {
    const std::wstring folded = Fold(Trim(section));
    std::erase_if(mSections, [&](const Section& each) { return Fold(each.name) == folded; });
    RebuildSectionIndex();
}

void IniDocument::DeleteKey(std::wstring_view section, std::wstring_view key) {
    Section* target = FindSection(section);
    if (target == nullptr) {
        return;
    }
    const std::wstring folded = Fold(Trim(key));
    std::erase_if(target->lines,
                  [&](const Line& line) { return line.kind == LineKind::Entry && Fold(line.Key()) == folded; });
    target->RebuildIndex();
}

std::wstring IniDocument::ToText() const {
    std::wstring text;
    const auto append = [&text](const std::wstring& line) { text.append(line).append(L"\r\n"); };
    for (const auto& line : mPreamble)
        append(line);
    for (const auto& section : mSections) {
        append(section.header);
        for (const auto& line : section.lines)
            append(line.text);
    }
    return text;
}

} // namespace Tessel::Common
