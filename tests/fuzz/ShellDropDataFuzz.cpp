// Fuzz target for the readers of the shell data a drop brings. Checked on every input, taken as a
// "Shell IDList Array" block, as an ID list and as a CF_HDROP block:
// - a refused block says why and gives no list; an accepted one has items and gives a list that
//   ends where its size says, no longer than the two lists it was made of;
// - a CF_HDROP block that passes the check can be walked name by name, the way the system's reader
//   does, without leaving the block.
// AddressSanitizer catches every read outside the input.

#include "support/FuzzChecks.h"

#include "foundation/shell/ShellDropData.h"

#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

using namespace Tessel::Common::Shell;

using TestSupport::Check;

namespace {

std::uint32_t ReadU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Counts the names as the system's reader does: past each name and its NUL, a NUL ends the list.
std::size_t CountDropFileNames(const std::vector<std::uint8_t>& block) {
    const std::size_t unit = ReadU32(block.data() + 16) != 0 ? 2 : 1;
    const auto isNul = [&](std::size_t at) { return block.at(at) == 0 && (unit == 1 || block.at(at + 1) == 0); };
    std::size_t at = ReadU32(block.data());
    for (std::size_t names = 1;; ++names) {
        while (!isNul(at)) {
            at += unit;
        }
        at += unit;
        if (isNul(at)) {
            return names;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly the input's size on the heap, so that a read past it is caught.
    const std::vector<std::uint8_t> block(data, data + size);

    const IdListArrayItem item = FirstItemOfIdListArray(block);
    if (item.Ok()) {
        Check(item.count >= 1);
        const auto listSize = GetIdListSize(item.idList.data(), item.idList.size());
        Check(listSize && *listSize == item.idList.size());
        Check(item.idList.size() <= 2 * size + 2);
    } else {
        Check(!item.error.empty());
        Check(item.idList.empty());
    }

    if (!block.empty()) {
        const auto listSize = GetIdListSize(block.data(), block.size());
        if (listSize) {
            Check(*listSize >= 2 && *listSize <= size);
            Check(block[*listSize - 2] == 0 && block[*listSize - 1] == 0);
        }
    }

    if (CheckDropFiles(block).empty()) {
        // std::vector::at throws past the end: a sound block never lets the walk leave it.
        try {
            CountDropFileNames(block);
        } catch (...) {
            std::abort();
        }
    }
    return 0;
}
