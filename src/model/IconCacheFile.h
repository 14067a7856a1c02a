#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The icon cache file: what the shell gave for each shortcut file at its last look-up (the icon
// in both sizes and the display name), so that the next start can paint them at once. Each
// entry is keyed by the shortcut file's name, size and last-write time; a shortcut file that
// changed no longer matches and is looked up again.
//
// Layout (little-endian):
//   header, 40 bytes: "TBICONS" 0x1A, format version (u32), large and small icon size (u16
//     each), picture count (u32), entry count (u32), body length (u64), CRC-32 of the body,
//     CRC-32 of the header's first 36 bytes
//   body: the pictures, each the large then the small icon as premultiplied 0xAARRGGBB
//     pixels row by row from the top; then the entries, each: file size (u64), last-write time
//     (u64), picture index (u32, NoPicture when the shell had no icon), the UTF-8 byte lengths
//     of the file name and the display name (u16 each), then both names.
// Shortcuts to the same program share one picture. A file is read whole or not at all: any
// damage (a wrong checksum, a length that does not add up, a count above the limits) refuses it.
namespace IconCacheFile {

inline constexpr std::uint32_t FormatVersion = 1;
// The icon sizes of a screen at 96 DPI; a screen of another density keeps icons of its own sizes
// in a file of its own.
inline constexpr int LargeSize = 32;
inline constexpr int SmallSize = 16;
// No icon the program draws is larger.
inline constexpr int MaxIconSize = 256;
inline constexpr std::size_t LargePixelCount = LargeSize * LargeSize;
inline constexpr std::size_t SmallPixelCount = SmallSize * SmallSize;
inline constexpr std::size_t PicturePixelCount = LargePixelCount + SmallPixelCount;
inline constexpr std::size_t HeaderSize = 40;

// The bounds of a cache file: about 20 MiB of pictures, 64 Ki entries and 64 MiB in all. A cache
// is written within them (what does not fit is looked up again next time) and a file beyond them
// is refused.
inline constexpr std::size_t MaxPictures = 4096;
inline constexpr std::size_t MaxEntries = 65536;
inline constexpr std::size_t MaxNameBytes = 1024;
inline constexpr std::size_t MaxFileBytes = 64u << 20;
// The pictures of large icon sizes stop at this many bytes, before MaxPictures, leaving room for
// the entries.
inline constexpr std::size_t MaxPictureBytes = 48u << 20;

inline constexpr std::uint32_t NoPicture = 0xFFFFFFFFu;

// The large icon's pixels followed by the small icon's.
using Picture = std::vector<std::uint32_t>;

struct Entry {
    // The shortcut file's name in the Data folder, its size in bytes and its last-write time.
    std::wstring fileName;
    std::uint64_t fileSize = 0;
    std::uint64_t writeTime = 0;
    // Index into the pictures, or NoPicture.
    std::uint32_t picture = NoPicture;
    std::wstring displayName;

    bool operator==(const Entry&) const = default;
};

struct Contents {
    // The icon sizes of every picture.
    int largeSize = LargeSize;
    int smallSize = SmallSize;
    std::vector<Picture> pictures;
    std::vector<Entry> entries;
};

// The number of pixels of one picture of those sizes.
std::size_t PicturePixels(int largeSize, int smallSize);

// The file's bytes for contents. What lies beyond the bounds is left out: pictures past
// MaxPictures or MaxPictureBytes (and the entries that use them), entries past MaxEntries or MaxFileBytes, entries
// whose picture index names no picture, and entries whose names are empty or longer than
// MaxNameBytes in UTF-8.
std::string Encode(const Contents& contents);

struct ReadResult {
    bool ok = false;
    // Why the bytes were refused; empty when ok.
    std::wstring error;
    Contents contents;
};

// Whether the entry of a shortcut file name is of use (empty: every entry is).
using WantedName = std::function<bool(std::wstring_view fileName)>;

// The contents of a cache file's bytes, or why they cannot be used; a file of other icon sizes
// cannot. Never reads outside bytes; time and memory follow the number of bytes. Only the entries
// that wanted keeps are given, and only their pictures are made: the others stay empty, in their
// places, so that the entries' picture indices hold. The whole file is checked either way.
ReadResult Decode(std::string_view bytes, int largeSize = LargeSize, int smallSize = SmallSize,
                  const WantedName& wanted = {});

} // namespace IconCacheFile
