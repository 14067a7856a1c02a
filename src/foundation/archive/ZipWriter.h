#pragma once

#include "foundation/archive/ZipArchive.h"

#include <cstdint>
#include <span>
#include <string>

namespace Tessel::Common::Archive {

// A local date and time as an archive keeps it: to two seconds, from 1980 to 2107. Values out
// of that range are written as its nearest end.
struct ZipTime {
    int year = 1980;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The date and time seconds after 1970-01-01 00:00:00. The caller adds its time zone's offset
// to UTC seconds for the local time that archive readers show.
ZipTime ZipTimeFromSeconds(std::int64_t seconds);

// The archive, or no bytes and why it cannot be written.
struct ZipWriteResult {
    std::string bytes;
    std::wstring error;

    bool Ok() const { return error.empty(); }
};

// The archive of the entries in their order, all with the given time. Each entry is deflated, or
// stored when deflating does not make it smaller or would pass limits.maxRatio. Names are stored
// as UTF-8 and flagged so. The result is the same bytes for the same entries and time.
// Refused, with the reason: a name that CheckZipEntryName refuses, two names with the same
// ZipEntryNameKey, and more entries or bytes than limits allow or than an archive without zip64
// extensions can hold.
ZipWriteResult WriteZip(std::span<const ZipEntry> entries, const ZipTime& time, const ZipLimits& limits = {});

} // namespace Tessel::Common::Archive
