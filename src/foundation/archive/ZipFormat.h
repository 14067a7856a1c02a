#pragma once

#include "foundation/archive/ZipArchive.h"

#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The records of a zip file shared by its reader and writer. All numbers are little-endian.
//
//   local header, 30 bytes, then the name and an extra field, then the entry's data;
//   ... one for each entry ...
//   central directory: one 46-byte record for each entry, each followed by its name, extra
//     field and comment;
//   end record, 22 bytes, then the archive's comment.
namespace Tessel::Common::Archive::ZipFormat {

inline constexpr std::uint32_t LocalHeaderSignature = 0x04034b50;
inline constexpr std::uint32_t CentralHeaderSignature = 0x02014b50;
inline constexpr std::uint32_t EndSignature = 0x06054b50;
inline constexpr std::uint32_t Zip64EndLocatorSignature = 0x07064b50;

inline constexpr std::size_t LocalHeaderSize = 30;
inline constexpr std::size_t CentralHeaderSize = 46;
inline constexpr std::size_t EndSize = 22;
inline constexpr std::size_t Zip64EndLocatorSize = 20;
inline constexpr std::size_t MaxCommentSize = 0xFFFF;

// Bits of the general purpose flags.
inline constexpr std::uint16_t FlagEncrypted = 1u << 0;
inline constexpr std::uint16_t FlagDataDescriptor = 1u << 3;
inline constexpr std::uint16_t FlagStrongEncryption = 1u << 6;
inline constexpr std::uint16_t FlagUtf8Name = 1u << 11;
inline constexpr std::uint16_t FlagMaskedHeaders = 1u << 13;

inline constexpr std::uint16_t MethodStored = 0;
inline constexpr std::uint16_t MethodDeflated = 8;

// Version 2.0 (deflate) written by an MS-DOS compatible (FAT and NTFS) system.
inline constexpr std::uint16_t VersionMadeBy = 20;
inline constexpr std::uint16_t VersionNeededStored = 10;
inline constexpr std::uint16_t VersionNeededDeflated = 20;
// The upper byte of "version made by" that says the external attributes hold a Unix mode.
inline constexpr unsigned HostUnix = 3;

inline constexpr std::uint32_t DosAttributeFolder = 0x10;
inline constexpr std::uint32_t DosAttributeArchive = 0x20;

// A 16-bit or 32-bit field that holds this says the value is in a zip64 record.
inline constexpr std::uint16_t Zip64Marker16 = 0xFFFF;
inline constexpr std::uint32_t Zip64Marker32 = 0xFFFFFFFF;

inline std::uint16_t Read16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t Read32(const unsigned char* p) {
    return static_cast<std::uint32_t>(Read16(p)) | (static_cast<std::uint32_t>(Read16(p + 2)) << 16);
}

inline void Put16(std::string& out, std::uint32_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

inline void Put32(std::string& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

inline std::uint32_t Crc32(std::string_view bytes) {
    uLong crc = crc32(0L, Z_NULL, 0);
    const auto* p = reinterpret_cast<const Bytef*>(bytes.data());
    // zlib takes at most 4 GiB - 1 bytes at a time.
    for (std::size_t left = bytes.size(); left > 0;) {
        const auto part = static_cast<uInt>(std::min<std::size_t>(left, 1u << 30));
        crc = crc32(crc, p, part);
        p += part;
        left -= part;
    }
    return static_cast<std::uint32_t>(crc);
}

// Whether an entry of size bytes that takes compressed bytes in the archive inflates more than
// the limits allow. The reader refuses such an entry, so the writer stores it instead.
inline bool ExceedsRatio(const ZipLimits& limits, std::uint64_t size, std::uint64_t compressed) {
    if (size <= limits.ratioExemptSize || size == 0) {
        return false;
    }
    // size > compressed * maxRatio, without overflow.
    return limits.maxRatio == 0 || (size - 1) / limits.maxRatio >= compressed;
}

} // namespace Tessel::Common::Archive::ZipFormat
