#pragma once

#include "foundation/archive/ZipArchive.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace Tessel::Common::Archive {

// An entry that was left out, and why.
struct SkippedZipEntry {
    // Its place in the central directory, from 0.
    std::size_t index = 0;
    // Its name as the archive gives it, bytes that are not valid UTF-8 taken as Latin-1: for logs
    // only, it may hold any character.
    std::wstring name;
    std::wstring reason;
};

// The accepted entries in the archive's order and the skipped ones; or, when the archive as a
// whole cannot be read, neither and why.
struct ZipReadResult {
    std::vector<ZipEntry> entries;
    std::vector<SkippedZipEntry> skipped;
    std::wstring error;

    bool Ok() const { return error.empty(); }
};

// Reads an archive held in memory by its central directory. The archive is refused whole when
// its end record or central directory is damaged or ambiguous (cut off, counts that do not add
// up, a comment that hides another end record), when it spans several disks or needs zip64
// extensions, or when it holds more entries or bytes than limits allow. An entry is skipped when
// its name is refused (see CheckZipEntryName) or repeats an earlier one with case ignored, when
// it is a folder or a link, encrypted, compressed other than stored or deflated, larger or more
// compressed than limits allow, when its local header disagrees with the central directory, its
// data runs past the entries' area or overlaps another entry's, or its data is corrupt or fails
// its CRC check.
//
// Names flagged as UTF-8 must be valid UTF-8; other names are read as UTF-8 when they are valid
// UTF-8, else as code page 437.
//
// Nothing is allocated by what the archive claims: entries are inflated a chunk at a time and
// stop as soon as they pass their declared size, so memory follows what is really inflated and
// never exceeds the limits. Never reads outside archive.
ZipReadResult ReadZip(std::string_view archive, const ZipLimits& limits = {});

} // namespace Tessel::Common::Archive
