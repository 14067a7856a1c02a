#include "foundation/text/Pinyin.h"

#include <array>
#include <cstdint>

namespace Tessel::Common::Pinyin {

namespace {

#include "foundation/text/PinyinTable.inc"

static_assert(kPinyinMaxSyllable == MaxSyllableLength);

constexpr auto kLengths = [] {
    std::array<std::uint8_t, std::size(kPinyinSyllables)> lengths{};
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        while (lengths[i] < MaxSyllableLength && kPinyinSyllables[i][lengths[i]] != '\0') {
            ++lengths[i];
        }
    }
    return lengths;
}();

} // namespace

namespace Detail {
const std::uint16_t* const ReadingSets = kPinyinReadingSets;
const char (*const SyllableLetters)[MaxSyllableLength + 1] = kPinyinSyllables;
const std::uint8_t* const SyllableLengths = kLengths.data();
} // namespace Detail

std::uint16_t ReadingsCode(char16_t c) {
    for (const PinyinRange& range : kPinyinRanges) {
        if (c >= range.first && c <= range.last) {
            return kPinyinCodes[range.codes + (c - range.first)];
        }
    }
    return 0;
}

std::size_t SyllableCount() {
    return std::size(kPinyinSyllables);
}

} // namespace Tessel::Common::Pinyin
