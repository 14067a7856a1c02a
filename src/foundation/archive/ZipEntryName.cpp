#include "foundation/archive/ZipEntryName.h"

#include <array>

namespace Tessel::Common::Archive {

namespace {

char32_t Unit(wchar_t c) {
    // wchar_t is signed on some hosts; a name's units are never negative in UTF-16.
    return static_cast<char32_t>(c);
}

bool IsSeparator(wchar_t c) {
    return c == L'/' || c == L'\\';
}

bool IsAsciiLetter(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

bool IsHighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

bool IsValidUtf16(std::wstring_view name) {
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char32_t c = Unit(name[i]);
        if (c > 0xFFFF || IsLowSurrogate(c)) {
            return false;
        }
        if (IsHighSurrogate(c)) {
            if (i + 1 == name.size() || !IsLowSurrogate(Unit(name[i + 1]))) {
                return false;
            }
            ++i;
        }
    }
    return true;
}

// C0 and C1 control characters and DEL.
bool IsControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

bool IsReservedCharacter(wchar_t c) {
    return c == L'<' || c == L'>' || c == L':' || c == L'"' || c == L'|' || c == L'?' || c == L'*';
}

std::wstring CodePoint(char32_t c) {
    static constexpr wchar_t Hex[] = L"0123456789ABCDEF";
    std::wstring text = L"U+";
    for (int shift = 12; shift >= 0; shift -= 4) {
        text.push_back(Hex[(c >> shift) & 15]);
    }
    return text;
}

// Windows opens a device, not a file, for these names, whatever extension follows them and
// with spaces before it: "nul", "NUL.txt" and "Nul .lnk" are all the device NUL.
std::wstring DeviceName(std::wstring_view name) {
    std::wstring_view base = name.substr(0, name.find(L'.'));
    while (!base.empty() && base.back() == L' ') {
        base.remove_suffix(1);
    }
    if (base.size() < 3 || base.size() > 7) {
        return {};
    }
    const std::wstring upper = ZipEntryNameKey(base);
    static constexpr std::array<std::wstring_view, 6> Plain = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (const std::wstring_view device : Plain) {
        if (upper == device) {
            return upper;
        }
    }
    // COM and LPT with a digit, superscripts one to three included.
    if (upper.size() == 4 && (upper.starts_with(L"COM") || upper.starts_with(L"LPT"))) {
        const wchar_t digit = upper[3];
        if ((digit >= L'0' && digit <= L'9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3) {
            return upper;
        }
    }
    return {};
}

wchar_t UpperCase(wchar_t c) {
    const char32_t u = Unit(c);
    const auto shifted = [&](int by) { return static_cast<wchar_t>(static_cast<int>(u) + by); };
    if (u >= 'a' && u <= 'z') {
        return shifted(-0x20);
    }
    if (u < 0xE0) {
        return c;
    }
    // Latin-1.
    if (u <= 0xFE) {
        return u == 0xF7 ? c : shifted(-0x20);
    }
    if (u == 0xFF) {
        return static_cast<wchar_t>(0x178);
    }
    // Latin Extended-A: pairs of capital and small letter, except the dotted and dotless i,
    // kra, the n with apostrophe and the long s, which have no pair.
    if ((u >= 0x100 && u <= 0x12F) || (u >= 0x132 && u <= 0x137) || (u >= 0x14A && u <= 0x177)) {
        return static_cast<wchar_t>(u & ~char32_t{1});
    }
    if ((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E)) {
        return (u & 1) != 0 ? c : shifted(-1);
    }
    // Greek and Cyrillic.
    if (u == 0x3C2) {
        return static_cast<wchar_t>(0x3A3);
    }
    if ((u >= 0x3B1 && u <= 0x3C9) || (u >= 0x430 && u <= 0x44F)) {
        return shifted(-0x20);
    }
    if (u >= 0x450 && u <= 0x45F) {
        return shifted(-0x50);
    }
    // Full-width Latin.
    if (u >= 0xFF41 && u <= 0xFF5A) {
        return shifted(-0x20);
    }
    return c;
}

} // namespace

std::wstring ZipEntryNameKey(std::wstring_view name) {
    std::wstring key(name);
    for (wchar_t& c : key) {
        c = UpperCase(c);
    }
    return key;
}

std::wstring CheckZipEntryName(std::wstring_view name) {
    if (name.empty()) {
        return L"the name is empty";
    }
    if (!IsValidUtf16(name)) {
        return L"the name is not valid UTF-16";
    }
    if (IsSeparator(name.front()) || (name.size() >= 2 && IsAsciiLetter(name[0]) && name[1] == L':')) {
        return L"the name is absolute";
    }
    for (std::size_t start = 0; start <= name.size();) {
        std::size_t end = start;
        while (end < name.size() && !IsSeparator(name[end])) {
            ++end;
        }
        if (name.substr(start, end - start) == L"..") {
            return L"the name leads out of the folder with \"..\"";
        }
        start = end + 1;
    }
    if (IsSeparator(name.back())) {
        return L"the name is a folder's";
    }
    for (const wchar_t c : name) {
        if (IsSeparator(c)) {
            return L"the name lies in a folder: only plain file names are taken";
        }
    }
    for (const wchar_t c : name) {
        if (IsControl(Unit(c))) {
            return L"the name holds the control character " + CodePoint(Unit(c));
        }
        if (IsReservedCharacter(c)) {
            return L"the name holds the character '" + std::wstring(1, c) + L"', which file names cannot hold";
        }
    }
    const std::wstring device = DeviceName(name);
    if (!device.empty()) {
        return L"the name stands for the device " + device;
    }
    if (name.back() == L'.' || name.back() == L' ') {
        return L"the name ends with a dot or a space";
    }
    if (name.size() > MaxZipEntryNameLength) {
        return L"the name is longer than " + std::to_wstring(MaxZipEntryNameLength) + L" characters";
    }
    return {};
}

} // namespace Tessel::Common::Archive
