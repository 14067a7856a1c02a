#include "settings/PointCodec.h"

#include <algorithm>
#include <limits>

namespace {
constexpr std::int64_t Scale = 100000;
constexpr std::int64_t Half = Scale / 2;
} // namespace

std::int64_t EncodePair(int first, int second) {
    return static_cast<std::int64_t>(first) * Scale + second;
}

EncodedPair DecodePair(std::int64_t value) {
    // first = floor((value + Half) / Scale), taken as a floored division with a remainder in
    // 0 … Scale - 1 that is then moved into -Half … Half - 1, so no step can overflow.
    std::int64_t first = value / Scale;
    std::int64_t second = value % Scale;
    if (second < 0) {
        second += Scale;
        --first;
    }
    if (second >= Half) {
        second -= Scale;
        ++first;
    }
    constexpr std::int64_t lowest = std::numeric_limits<int>::min();
    constexpr std::int64_t highest = std::numeric_limits<int>::max();
    return {static_cast<int>(std::clamp(first, lowest, highest)), static_cast<int>(second)};
}
