#include "foundation/text/CaseFolding.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace Tessel::Common {

namespace {

#include "foundation/text/CaseFoldingTable.inc"

} // namespace

char16_t FoldCase(char16_t c) {
    if (c < 0x80) {
        return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 0x20) : c;
    }
    // The last run that starts at c or before it.
    const auto after = std::upper_bound(std::begin(kCaseFoldingRuns), std::end(kCaseFoldingRuns), c,
                                        [](char16_t unit, const CaseFoldingRun& run) { return unit < run.first; });
    if (after == std::begin(kCaseFoldingRuns)) {
        return c;
    }
    const CaseFoldingRun& run = *std::prev(after);
    if (c > run.last || (c - run.first) % run.step != 0) {
        return c;
    }
    return static_cast<char16_t>(c + run.delta);
}

} // namespace Tessel::Common
