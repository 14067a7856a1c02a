#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

// The Mandarin readings of the CJK ideographs of the Basic Multilingual Plane, toneless and in
// lowercase ASCII ("xing"), for matching typed pinyin against Chinese names. A character may
// have several readings (行: hang, heng, xing). U with diaeresis is written v, and a reading with
// it is also given with u (绿: lu, lv). The table is tools/make_pinyin_table.py's output.
namespace Tessel::Common::Pinyin {

// Letters of the longest syllable ("zhuang").
inline constexpr std::size_t MaxSyllableLength = 6;

namespace Detail {
extern const std::uint16_t* const ReadingSets;
extern const char (*const SyllableLetters)[MaxSyllableLength + 1];
extern const std::uint8_t* const SyllableLengths;
} // namespace Detail

// The readings of a character as a code below 0x8000: 0 when it has none, and the same code for
// characters with the same readings.
std::uint16_t ReadingsCode(char16_t c);

// The syllable indices of the readings of a code (none for 0).
inline std::span<const std::uint16_t> Readings(std::uint16_t code) {
    if (code == 0) {
        return {};
    }
    const std::uint16_t* set = Detail::ReadingSets + (code - 1);
    return {set + 1, set[0]};
}

// The letters of a syllable, 1 to MaxSyllableLength of them.
inline std::string_view Syllable(std::uint16_t index) {
    return {Detail::SyllableLetters[index], Detail::SyllableLengths[index]};
}

std::size_t SyllableCount();

} // namespace Tessel::Common::Pinyin
