#include "foundation/shell/ShellDropData.h"

#include <algorithm>

namespace Tessel::Common::Shell {

namespace {

std::uint32_t ReadU16(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8);
}

std::uint32_t ReadU32(const std::uint8_t* p) {
    return ReadU16(p) | (ReadU16(p + 2) << 16);
}

constexpr std::size_t TerminatorSize = 2;
constexpr std::size_t DropFilesHeaderSize = 20;

} // namespace

std::optional<std::size_t> GetIdListSize(const std::uint8_t* list, std::size_t available) {
    if (list == nullptr) {
        return 0;
    }
    std::size_t at = 0;
    for (;;) {
        if (available - at < TerminatorSize) {
            return std::nullopt;
        }
        const std::size_t itemSize = ReadU16(list + at);
        if (itemSize == 0) {
            return at + TerminatorSize;
        }
        // An item holds at least its size field and lies wholly before the list's end.
        if (itemSize < TerminatorSize || itemSize > available - at) {
            return std::nullopt;
        }
        at += itemSize;
    }
}

std::optional<std::vector<std::uint8_t>> ConcatIdLists(const std::uint8_t* parent, std::size_t parentAvailable,
                                                       const std::uint8_t* child, std::size_t childAvailable) {
    const std::optional<std::size_t> parentSize = GetIdListSize(parent, parentAvailable);
    const std::optional<std::size_t> childSize = GetIdListSize(child, childAvailable);
    if (!parentSize || !childSize) {
        return std::nullopt;
    }
    const std::size_t a = *parentSize == 0 ? 0 : *parentSize - TerminatorSize;
    const std::size_t b = *childSize == 0 ? 0 : *childSize - TerminatorSize;
    std::vector<std::uint8_t> joined(a + b + TerminatorSize, 0);
    if (a > 0) {
        std::copy(parent, parent + a, joined.begin());
    }
    if (b > 0) {
        std::copy(child, child + b, joined.begin() + static_cast<std::ptrdiff_t>(a));
    }
    return joined;
}

IdListArrayItem FirstItemOfIdListArray(std::span<const std::uint8_t> block) {
    IdListArrayItem result;
    if (block.size() < 4) {
        result.error = L"the block of " + std::to_wstring(block.size()) + L" bytes is too short for its item count";
        return result;
    }
    result.count = ReadU32(block.data());
    if (result.count == 0) {
        result.error = L"the block holds no items";
        return result;
    }
    // The count and count + 1 offsets, in 64 bits: a count near 2^32 must not wrap around.
    const std::uint64_t header = 4 + 4 * (static_cast<std::uint64_t>(result.count) + 1);
    if (header > block.size()) {
        result.error = L"the block of " + std::to_wstring(block.size()) + L" bytes is too short for " +
                       std::to_wstring(result.count) + L" items";
        return result;
    }
    const std::uint32_t parentOffset = ReadU32(block.data() + 4);
    const std::uint32_t itemOffset = ReadU32(block.data() + 8);
    for (const std::uint32_t offset : {parentOffset, itemOffset}) {
        if (offset >= block.size()) {
            result.error = L"the offset " + std::to_wstring(offset) + L" lies outside the block of " +
                           std::to_wstring(block.size()) + L" bytes";
            return result;
        }
    }
    std::optional<std::vector<std::uint8_t>> joined = ConcatIdLists(
        block.data() + parentOffset, block.size() - parentOffset, block.data() + itemOffset, block.size() - itemOffset);
    if (!joined) {
        result.error = L"an item ID list of the block does not end inside it";
        return result;
    }
    result.idList = std::move(*joined);
    return result;
}

std::wstring CheckDropFiles(std::span<const std::uint8_t> block) {
    if (block.size() < DropFilesHeaderSize) {
        return L"the block of " + std::to_wstring(block.size()) + L" bytes is too short for its header";
    }
    const std::uint32_t namesAt = ReadU32(block.data());
    const bool wide = ReadU32(block.data() + 16) != 0;
    if (namesAt < DropFilesHeaderSize || namesAt > block.size()) {
        return L"the file names at " + std::to_wstring(namesAt) + L" do not start inside the block of " +
               std::to_wstring(block.size()) + L" bytes";
    }
    const std::size_t unit = wide ? 2 : 1;
    bool previousWasEnd = false;
    for (std::size_t at = namesAt; block.size() - at >= unit; at += unit) {
        const bool end = wide ? ReadU16(block.data() + at) == 0 : block[at] == 0;
        // Two NULs in a row end the list. The system's reader looks past the first name's NUL
        // even when that name is empty, so an empty list needs both as well.
        if (end && previousWasEnd) {
            return L"";
        }
        previousWasEnd = end;
    }
    return L"the list of file names does not end inside the block";
}

} // namespace Tessel::Common::Shell
