#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The two blocks of shell data a drop brings, read from their bytes alone, so that a block made by
// another program can never make the reader look outside it.
//
// An item ID list is a run of items, each starting with its own size in bytes as a 16-bit
// little-endian number (the size field included), ended by a 16-bit zero.
namespace Tessel::Common::Shell {

// The size in bytes of the ID list at list, terminator included, looking at no more than
// available bytes: 0 for no list (null), 2 for the empty list. Nothing when the list does not end
// within those bytes or an item is shorter than its own size field.
std::optional<std::size_t> GetIdListSize(const std::uint8_t* list, std::size_t available);

// The list made of parent's items followed by child's, with one terminator; a null or empty list
// adds no items. Nothing when either list is malformed (see GetIdListSize).
std::optional<std::vector<std::uint8_t>> ConcatIdLists(const std::uint8_t* parent, std::size_t parentAvailable,
                                                       const std::uint8_t* child, std::size_t childAvailable);

// The first item of a "Shell IDList Array" block as one absolute ID list, or why the block was
// refused. The block is a 32-bit item count, then count + 1 32-bit byte offsets from its start:
// the first locates the parent folder's absolute list, the next the first item's list relative to
// it. Refused: a block too short for its header, a count of 0, an offset outside the block, a list
// that does not end inside the block or an item shorter than its size field.
struct IdListArrayItem {
    std::vector<std::uint8_t> idList;
    std::uint32_t count = 0;
    std::wstring error;

    bool Ok() const { return error.empty(); }
};
IdListArrayItem FirstItemOfIdListArray(std::span<const std::uint8_t> block);

// Checks a CF_HDROP block (a DROPFILES header, then file names each ended by a NUL, the whole list
// ended by one more NUL) so that the system's reader can walk it safely: the names must start after
// the 20-byte header inside the block, and two NULs in a row must end the list inside it. Empty
// when it is sound, else why not.
std::wstring CheckDropFiles(std::span<const std::uint8_t> block);

} // namespace Tessel::Common::Shell
