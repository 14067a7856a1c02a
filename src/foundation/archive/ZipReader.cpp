#include "foundation/archive/ZipReader.h"

#include "foundation/archive/ZipEntryName.h"
#include "foundation/archive/ZipFormat.h"
#include "foundation/text/Utf8.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace Tessel::Common::Archive {

using namespace ZipFormat;

namespace {

// Inflated data is taken this many bytes at a time.
constexpr std::size_t InflateChunk = 64 * 1024;

// The upper half of code page 437, the code page of names not flagged as UTF-8.
constexpr char16_t CodePage437[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

// The kind of file that Unix external attributes hold in their upper 16 bits.
constexpr std::uint32_t UnixTypeMask = 0170000;
constexpr std::uint32_t UnixRegular = 0100000;
constexpr std::uint32_t UnixFolder = 0040000;
constexpr std::uint32_t UnixLink = 0120000;

// Systems whose external attributes are MS-DOS attributes: FAT, NTFS and VFAT.
bool HasDosAttributes(unsigned host) {
    return host == 0 || host == 10 || host == 14;
}

// One entry as the central directory gives it, and what was found out about it.
struct Entry {
    std::size_t index = 0;
    std::string_view rawName;
    std::wstring name;
    bool validName = false;
    unsigned host = 0;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint32_t crc = 0;
    std::uint32_t compressedSize = 0;
    std::uint32_t size = 0;
    std::uint16_t diskStart = 0;
    std::uint32_t attributes = 0;
    std::uint32_t localOffset = 0;
    // Where its data starts; from its local header to its data's end it takes [localOffset, dataEnd).
    std::size_t dataStart = 0;
    std::size_t dataEnd = 0;
    // Why it is skipped; empty while it may be accepted.
    std::wstring reason;
};

std::wstring Number(std::uint64_t value) {
    return std::to_wstring(value);
}

ZipReadResult Failure(std::wstring message) {
    ZipReadResult result;
    result.error = std::move(message);
    return result;
}

// The name's bytes as text. Flagged names must be UTF-8; others are UTF-8 when they can be,
// else code page 437. validUtf8 is false for a flagged name that is not UTF-8.
std::wstring DecodeName(std::string_view raw, bool flaggedUtf8, bool& validUtf8) {
    std::wstring name;
    validUtf8 = Utf8ToUtf16(raw, name);
    if (validUtf8 || flaggedUtf8) {
        return name;
    }
    validUtf8 = true;
    name.clear();
    for (const char c : raw) {
        const auto byte = static_cast<unsigned char>(c);
        name.push_back(static_cast<wchar_t>(byte < 0x80 ? byte : CodePage437[byte - 0x80]));
    }
    return name;
}

// The position of the end record: the one place where an end record's signature is followed by
// its 22 bytes and a comment that reaches exactly to the archive's end.
std::wstring FindEnd(const unsigned char* data, std::size_t size, std::size_t& end) {
    if (size < EndSize) {
        return L"not a zip archive: " + Number(size) + L" bytes are too short for an end of central directory record";
    }
    const std::size_t lowest = size - EndSize - std::min(MaxCommentSize, size - EndSize);
    bool sawSignature = false;
    int found = 0;
    for (std::size_t at = size - EndSize + 1; at-- > lowest;) {
        if (Read32(data + at) != EndSignature) {
            continue;
        }
        sawSignature = true;
        if (Read16(data + at + 20) == size - at - EndSize) {
            if (found++ == 0) {
                end = at;
            }
        }
    }
    if (found > 1) {
        return L"the archive has more than one end of central directory record (its comment holds another)";
    }
    if (found == 0) {
        return sawSignature ? L"the end of central directory record's comment does not end where the archive ends"
                            : L"not a zip archive: it has no end of central directory record";
    }
    return {};
}

// Checks the fields of the entry that need no look at its data; sets its reason when it is skipped.
void CheckCentralFields(Entry& entry, const ZipLimits& limits) {
    const std::uint32_t unixType = (entry.attributes >> 16) & UnixTypeMask;
    const bool unix = entry.host == HostUnix && unixType != 0;
    if (HasDosAttributes(entry.host) && (entry.attributes & DosAttributeFolder) != 0) {
        entry.reason = L"it is a folder";
    } else if (unix && unixType != UnixRegular) {
        entry.reason = unixType == UnixFolder ? L"it is a folder"
                       : unixType == UnixLink ? L"it is a symbolic link"
                                              : L"it is not a plain file";
    } else if ((entry.flags & (FlagEncrypted | FlagStrongEncryption | FlagMaskedHeaders)) != 0) {
        entry.reason = L"it is encrypted";
    } else if (entry.compressedSize == Zip64Marker32 || entry.size == Zip64Marker32 ||
               entry.localOffset == Zip64Marker32 || entry.diskStart == Zip64Marker16) {
        entry.reason = L"it needs zip64 extensions, which are not supported";
    } else if (entry.diskStart != 0) {
        entry.reason = L"it starts on disk " + Number(entry.diskStart) + L" of a split archive";
    } else if (entry.method != MethodStored && entry.method != MethodDeflated) {
        entry.reason = L"it uses compression method " + Number(entry.method) +
                       L"; only stored (0) and deflated (8) entries are read";
    } else if (entry.method == MethodStored && entry.compressedSize != entry.size) {
        entry.reason =
            L"it is stored, yet it takes " + Number(entry.compressedSize) + L" bytes for " + Number(entry.size);
    } else if (entry.size > limits.maxEntrySize) {
        entry.reason = L"it declares " + Number(entry.size) + L" bytes, more than the " + Number(limits.maxEntrySize) +
                       L" an entry may hold";
    } else if (ExceedsRatio(limits, entry.size, entry.compressedSize)) {
        entry.reason = L"it declares " + Number(entry.size) + L" bytes for " + Number(entry.compressedSize) +
                       L" compressed bytes, more than " + Number(limits.maxRatio) + L" times as many";
    }
}

// Finds the entry's data behind its local header, which must agree with the central directory,
// within the entries' area (the bytes before the central directory).
void CheckLocalHeader(Entry& entry, const unsigned char* data, std::size_t areaEnd) {
    const std::size_t at = entry.localOffset;
    if (at > areaEnd || areaEnd - at < LocalHeaderSize) {
        entry.reason = L"its local header at byte " + Number(at) + L" lies outside the entries' data";
        return;
    }
    const unsigned char* header = data + at;
    if (Read32(header) != LocalHeaderSignature) {
        entry.reason = L"there is no local header at byte " + Number(at);
        return;
    }
    const std::uint16_t flags = Read16(header + 6);
    const std::uint16_t method = Read16(header + 8);
    const std::uint32_t crc = Read32(header + 14);
    const std::uint32_t compressedSize = Read32(header + 18);
    const std::uint32_t size = Read32(header + 22);
    const std::size_t nameLength = Read16(header + 26);
    const std::size_t extraLength = Read16(header + 28);
    if (nameLength + extraLength > areaEnd - at - LocalHeaderSize) {
        entry.reason = L"its local header at byte " + Number(at) + L" runs past the entries' data";
        return;
    }
    const std::string_view localName(reinterpret_cast<const char*>(header + LocalHeaderSize), nameLength);
    // With a data descriptor the local header may leave the CRC and sizes as zeros.
    const bool descriptor = (entry.flags & FlagDataDescriptor) != 0;
    const auto agrees = [&](std::uint32_t local, std::uint32_t central) {
        return local == central || (descriptor && local == 0);
    };
    std::wstring field;
    if (localName != entry.rawName) {
        field = L"name";
    } else if (method != entry.method) {
        field = L"compression method";
    } else if (((flags ^ entry.flags) & (FlagEncrypted | FlagDataDescriptor)) != 0) {
        field = L"flags";
    } else if (!agrees(crc, entry.crc)) {
        field = L"CRC";
    } else if (!agrees(compressedSize, entry.compressedSize) || !agrees(size, entry.size)) {
        field = L"sizes";
    }
    if (!field.empty()) {
        entry.reason =
            L"its local header at byte " + Number(at) + L" disagrees with the central directory about the " + field;
        return;
    }
    entry.dataStart = at + LocalHeaderSize + nameLength + extraLength;
    if (entry.compressedSize > areaEnd - entry.dataStart) {
        entry.reason = L"its " + Number(entry.compressedSize) + L" bytes of data at byte " + Number(entry.dataStart) +
                       L" run past the entries' data";
        return;
    }
    entry.dataEnd = entry.dataStart + entry.compressedSize;
}

// Skips every entry whose bytes, from its local header to its data's end, overlap another's:
// such entries share their data, the way archives that unpack to far more than their size do.
void SkipOverlapping(std::vector<Entry>& entries) {
    std::vector<Entry*> placed;
    for (Entry& entry : entries) {
        if (entry.reason.empty()) {
            placed.push_back(&entry);
        }
    }
    std::sort(placed.begin(), placed.end(),
              [](const Entry* a, const Entry* b) { return a->localOffset < b->localOffset; });
    std::vector<bool> overlaps(placed.size(), false);
    std::size_t furthestEnd = 0;
    for (std::size_t i = 0; i < placed.size(); ++i) {
        // Overlapping one that starts before it, or the next one, which starts first of those after.
        if (i > 0 && placed[i]->localOffset < furthestEnd) {
            overlaps[i] = true;
        }
        if (i + 1 < placed.size() && placed[i + 1]->localOffset < placed[i]->dataEnd) {
            overlaps[i] = true;
        }
        furthestEnd = std::max(furthestEnd, placed[i]->dataEnd);
    }
    for (std::size_t i = 0; i < placed.size(); ++i) {
        if (overlaps[i]) {
            placed[i]->reason = L"its data overlaps another entry's";
        }
    }
}

// Inflates the entry's deflated data into out, stopping as soon as it passes the declared size.
// The output is kept chunk by chunk and joined at the end, so that every block allocated follows
// what was inflated: at most twice the output in all, none larger than the entry.
std::wstring Inflate(z_stream& stream, std::vector<Bytef>& chunk, std::string_view compressed, std::uint32_t size,
                     std::string& out) {
    if (inflateReset(&stream) != Z_OK) {
        return L"its data cannot be inflated: zlib does not start";
    }
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    stream.avail_in = static_cast<uInt>(compressed.size());
    std::vector<std::string> pieces;
    std::size_t produced = 0;
    for (;;) {
        stream.next_out = chunk.data();
        stream.avail_out = static_cast<uInt>(chunk.size());
        const int status = inflate(&stream, Z_NO_FLUSH);
        const std::size_t length = chunk.size() - stream.avail_out;
        if (length > size - produced) {
            return L"its data inflates to more than the " + Number(size) + L" bytes it declares";
        }
        if (length > 0) {
            pieces.emplace_back(reinterpret_cast<const char*>(chunk.data()), length);
            produced += length;
        }
        if (status == Z_STREAM_END) {
            break;
        }
        if (status == Z_DATA_ERROR || status == Z_NEED_DICT) {
            return L"its deflated data is corrupt" +
                   (stream.msg != nullptr
                        ? L" (" + std::wstring(stream.msg, stream.msg + std::strlen(stream.msg)) + L")"
                        : std::wstring());
        }
        if (status == Z_MEM_ERROR) {
            return L"its data cannot be inflated: out of memory";
        }
        if (status == Z_BUF_ERROR) {
            return L"its deflated data ends after " + Number(produced) + L" of " + Number(size) + L" bytes";
        }
    }
    if (produced != size) {
        return L"its data inflates to " + Number(produced) + L" bytes where it declares " + Number(size);
    }
    if (stream.avail_in != 0) {
        return L"its deflated data is followed by " + Number(stream.avail_in) + L" more bytes";
    }
    out.reserve(produced);
    for (const std::string& piece : pieces) {
        out += piece;
    }
    return {};
}

} // namespace

ZipReadResult ReadZip(std::string_view archive, const ZipLimits& limits) {
    const auto* data = reinterpret_cast<const unsigned char*>(archive.data());
    const std::size_t size = archive.size();
    std::size_t end = 0;
    std::wstring error = FindEnd(data, size, end);
    if (!error.empty()) {
        return Failure(std::move(error));
    }

    const unsigned char* record = data + end;
    const std::uint16_t disk = Read16(record + 4);
    const std::uint16_t centralDisk = Read16(record + 6);
    const std::uint16_t countOnDisk = Read16(record + 8);
    const std::uint16_t count = Read16(record + 10);
    const std::uint32_t centralSize = Read32(record + 12);
    const std::uint32_t centralOffset = Read32(record + 16);
    if (disk == Zip64Marker16 || centralDisk == Zip64Marker16 || countOnDisk == Zip64Marker16 ||
        count == Zip64Marker16 || centralSize == Zip64Marker32 || centralOffset == Zip64Marker32 ||
        (end >= Zip64EndLocatorSize && Read32(data + end - Zip64EndLocatorSize) == Zip64EndLocatorSignature)) {
        return Failure(L"the archive needs zip64 extensions, which are not supported");
    }
    if (disk != 0 || centralDisk != 0 || countOnDisk != count) {
        return Failure(L"the archive is split over several disks, which is not supported");
    }
    if (count > limits.maxEntries) {
        return Failure(L"the archive holds " + Number(count) + L" entries, more than the " + Number(limits.maxEntries) +
                       L" allowed");
    }
    if (centralOffset > end || centralSize > end - centralOffset) {
        return Failure(L"the central directory of " + Number(centralSize) + L" bytes at byte " + Number(centralOffset) +
                       L" lies outside the " + Number(end) + L" bytes before the end record");
    }
    if (centralOffset + centralSize != end) {
        return Failure(L"the central directory ends at byte " + Number(centralOffset + centralSize) +
                       L", not where the end record starts at byte " + Number(end));
    }
    if (static_cast<std::uint64_t>(count) * CentralHeaderSize > centralSize) {
        return Failure(L"the central directory of " + Number(centralSize) + L" bytes is too short for " +
                       Number(count) + L" entries");
    }

    std::vector<Entry> entries(count);
    std::size_t at = centralOffset;
    for (std::size_t i = 0; i < count; ++i) {
        if (end - at < CentralHeaderSize) {
            return Failure(L"the central directory ends inside the record of entry " + Number(i));
        }
        const unsigned char* header = data + at;
        if (Read32(header) != CentralHeaderSignature) {
            return Failure(L"the central directory record of entry " + Number(i) + L" at byte " + Number(at) +
                           L" has no signature");
        }
        const std::size_t nameLength = Read16(header + 28);
        const std::size_t extraLength = Read16(header + 30);
        const std::size_t commentLength = Read16(header + 32);
        if (nameLength + extraLength + commentLength > end - at - CentralHeaderSize) {
            return Failure(L"the central directory record of entry " + Number(i) + L" at byte " + Number(at) +
                           L" runs past the central directory's end");
        }
        Entry& entry = entries[i];
        entry.index = i;
        entry.host = Read16(header + 4) >> 8;
        entry.flags = Read16(header + 8);
        entry.method = Read16(header + 10);
        entry.crc = Read32(header + 16);
        entry.compressedSize = Read32(header + 20);
        entry.size = Read32(header + 24);
        entry.diskStart = Read16(header + 34);
        entry.attributes = Read32(header + 38);
        entry.localOffset = Read32(header + 42);
        entry.rawName = archive.substr(at + CentralHeaderSize, nameLength);
        at += CentralHeaderSize + nameLength + extraLength + commentLength;
    }
    if (at != end) {
        return Failure(L"the central directory goes on for " + Number(end - at) + L" bytes after its " + Number(count) +
                       L" records");
    }

    // Names first: a name that repeats an earlier one is refused whatever became of that one.
    std::unordered_map<std::wstring, std::size_t> names;
    for (Entry& entry : entries) {
        bool validUtf8 = true;
        entry.name = DecodeName(entry.rawName, (entry.flags & FlagUtf8Name) != 0, validUtf8);
        entry.reason = validUtf8 ? CheckZipEntryName(entry.name) : L"the name is flagged as UTF-8 but is not";
        if (entry.reason.empty()) {
            const auto [earlier, added] = names.emplace(ZipEntryNameKey(entry.name), entry.index);
            if (!added) {
                entry.reason = L"the name is that of entry " + Number(earlier->second) + L" when case is ignored";
            }
        }
        if (entry.reason.empty()) {
            CheckCentralFields(entry, limits);
        }
        if (entry.reason.empty()) {
            CheckLocalHeader(entry, data, centralOffset);
        }
    }
    SkipOverlapping(entries);

    std::uint64_t total = 0;
    for (const Entry& entry : entries) {
        if (entry.reason.empty()) {
            total += entry.size;
        }
    }
    if (total > limits.maxTotalSize) {
        return Failure(L"the entries declare " + Number(total) + L" bytes in all, more than the " +
                       Number(limits.maxTotalSize) + L" an archive may hold");
    }

    z_stream stream = {};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
        return Failure(L"the archive cannot be inflated: zlib does not start");
    }
    std::vector<Bytef> chunk(InflateChunk);
    ZipReadResult result;
    for (Entry& entry : entries) {
        std::string bytes;
        if (entry.reason.empty()) {
            const std::string_view stored = archive.substr(entry.dataStart, entry.compressedSize);
            if (entry.method == MethodStored) {
                bytes.assign(stored);
            } else {
                entry.reason = Inflate(stream, chunk, stored, entry.size, bytes);
            }
        }
        if (entry.reason.empty() && Crc32(bytes) != entry.crc) {
            entry.reason = L"its data fails its CRC check";
        }
        if (entry.reason.empty()) {
            result.entries.push_back(ZipEntry{std::move(entry.name), std::move(bytes)});
        } else {
            result.skipped.push_back(SkippedZipEntry{entry.index, std::move(entry.name), std::move(entry.reason)});
        }
    }
    inflateEnd(&stream);
    return result;
}

} // namespace Tessel::Common::Archive
