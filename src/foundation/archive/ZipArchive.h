#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Zip archives of plain files held in memory: what the layout export writes and the import reads.
// Only what every zip reader knows is used (stored or deflated entries, no zip64, no encryption),
// and only flat names that are valid Windows file names are written or accepted.
namespace Tessel::Common::Archive {

// A file of an archive: its name (UTF-16, stored as UTF-8) and its bytes.
struct ZipEntry {
    std::wstring name;
    std::string bytes;

    bool operator==(const ZipEntry&) const = default;
};

// How much an archive may hold. The reader refuses what lies beyond them, and the writer writes
// nothing that a reader with the same limits would refuse. The defaults are far above what a
// layout (a group store and its shortcut files) needs and far below what could hurt the program.
struct ZipLimits {
    std::size_t maxEntries = 20000;
    // Uncompressed bytes of one entry and of all accepted entries together.
    std::uint64_t maxEntrySize = 16u << 20;
    std::uint64_t maxTotalSize = 256u << 20;
    // Uncompressed bytes per compressed byte of one entry. Entries up to ratioExemptSize
    // uncompressed bytes are not held to it: small files of repeated bytes are harmless.
    std::uint64_t maxRatio = 200;
    std::uint64_t ratioExemptSize = 64u << 10;
};

} // namespace Tessel::Common::Archive
