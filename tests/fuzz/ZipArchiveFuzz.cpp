// Fuzz target for the zip archive reader. Each input is read with the default limits and with
// tight ones, as it is and once more with its headers made to agree (every local header given the
// fields of its central record, and the CRC of stored data put right), so that mutations reach
// past those checks into the data. Checked on every read:
// - a refused archive says why and gives no entries; a skipped entry says why;
// - accepted entries have names that CheckZipEntryName passes, no two the same with case ignored,
//   and keep within the limits;
// - writing the accepted entries again and reading that back gives the same entries.
// AddressSanitizer catches every read outside the input, and the fuzzer's memory limit any
// allocation that follows what the archive claims instead of what it holds.

#include "support/FuzzChecks.h"

#include "foundation/archive/ZipEntryName.h"
#include "foundation/archive/ZipReader.h"
#include "foundation/archive/ZipWriter.h"

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>

using namespace Tessel::Common::Archive;

using TestSupport::Check;

namespace {

std::uint32_t Get16(const std::string& bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8);
}

std::uint32_t Get32(const std::string& bytes, std::size_t at) {
    return Get16(bytes, at) | (Get16(bytes, at + 2) << 16);
}

void Set32(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// The input with each local header given its central record's fields (version needed through
// name length, and the name when it has the same length), and stored data its CRC. Follows the
// central directory from the last end record signature; stops at the first thing out of place.
std::string WithAgreeingHeaders(std::string bytes) {
    const std::size_t size = bytes.size();
    if (size < 22) {
        return bytes;
    }
    std::size_t end = size - 22 + 1;
    while (end-- > 0 && Get32(bytes, end) != 0x06054b50) {
    }
    if (end == std::string::npos) {
        return bytes;
    }
    const std::size_t count = Get16(bytes, end + 10);
    std::size_t at = Get32(bytes, end + 16);
    for (std::size_t i = 0; i < count && at <= end && end - at >= 46 && Get32(bytes, at) == 0x02014b50; ++i) {
        const std::size_t nameLength = Get16(bytes, at + 28);
        const std::size_t next = at + 46 + nameLength + Get16(bytes, at + 30) + Get16(bytes, at + 32);
        const std::size_t local = Get32(bytes, at + 42);
        if (next > end || local >= at || at - local < 30 || Get32(bytes, local) != 0x04034b50) {
            break;
        }
        std::memcpy(&bytes[local + 4], &bytes[at + 6], 24);
        const std::size_t localNameLength = Get16(bytes, local + 26);
        if (localNameLength == nameLength && local + 30 + nameLength <= at) {
            std::memcpy(&bytes[local + 30], &bytes[at + 46], nameLength);
        }
        const std::size_t data = local + 30 + localNameLength + Get16(bytes, local + 28);
        const std::uint32_t compressedSize = Get32(bytes, at + 20);
        if (Get16(bytes, at + 10) == 0 && data <= at && compressedSize <= at - data) {
            const auto crc = static_cast<std::uint32_t>(
                crc32(0L, reinterpret_cast<const Bytef*>(bytes.data() + data), static_cast<uInt>(compressedSize)));
            Set32(bytes, at + 16, crc);
            Set32(bytes, local + 14, crc);
        }
        at = next;
    }
    return bytes;
}

void ReadAndCheck(const std::string& bytes, const ZipLimits& limits) {
    const ZipReadResult read = ReadZip(bytes, limits);
    if (!read.Ok()) {
        Check(read.entries.empty() && read.skipped.empty());
        return;
    }
    Check(read.entries.size() + read.skipped.size() <= limits.maxEntries);
    std::set<std::wstring> keys;
    std::uint64_t total = 0;
    for (const ZipEntry& entry : read.entries) {
        Check(CheckZipEntryName(entry.name).empty());
        Check(keys.insert(ZipEntryNameKey(entry.name)).second);
        Check(entry.bytes.size() <= limits.maxEntrySize);
        total += entry.bytes.size();
    }
    Check(total <= limits.maxTotalSize);
    std::set<std::size_t> skipped;
    for (const SkippedZipEntry& entry : read.skipped) {
        Check(!entry.reason.empty());
        Check(entry.index < read.entries.size() + read.skipped.size());
        Check(skipped.insert(entry.index).second);
    }

    const ZipWriteResult written = WriteZip(read.entries, ZipTime{2024, 2, 29, 12, 34, 56}, limits);
    Check(written.Ok());
    const ZipReadResult again = ReadZip(written.bytes, limits);
    Check(again.Ok() && again.skipped.empty());
    Check(again.entries == read.entries);
}

ZipLimits TightLimits() {
    ZipLimits limits;
    limits.maxEntries = 8;
    limits.maxEntrySize = 4096;
    limits.maxTotalSize = 8192;
    limits.maxRatio = 8;
    limits.ratioExemptSize = 256;
    return limits;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly the input's size on the heap, so that a read past it is caught.
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string agreeing = WithAgreeingHeaders(bytes);
    for (const ZipLimits& limits : {ZipLimits{}, TightLimits()}) {
        ReadAndCheck(bytes, limits);
        if (agreeing != bytes) {
            ReadAndCheck(agreeing, limits);
        }
    }
    return 0;
}
