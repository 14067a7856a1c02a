#include "foundation/archive/ZipWriter.h"

#include "foundation/archive/ZipEntryName.h"
#include "foundation/archive/ZipFormat.h"
#include "foundation/text/Utf8.h"

#include <zlib.h>

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace Tessel::Common::Archive {

using namespace ZipFormat;

namespace {

// Entries and offsets without zip64 extensions: 16-bit counts, 32-bit sizes and offsets, and
// 0xFFFF and 0xFFFFFFFF taken as markers.
constexpr std::size_t MaxEntriesWithoutZip64 = 0xFFFE;
constexpr std::uint64_t MaxOffsetWithoutZip64 = 0xFFFFFFFE;

std::uint32_t DosDate(const ZipTime& time) {
    return static_cast<std::uint32_t>(((time.year - 1980) << 9) | (time.month << 5) | time.day);
}

std::uint32_t DosTime(const ZipTime& time) {
    return static_cast<std::uint32_t>((time.hour << 11) | (time.minute << 5) | (time.second / 2));
}

ZipTime ClampToDosRange(const ZipTime& time) {
    if (time.year < 1980) {
        return ZipTime{};
    }
    if (time.year > 2107) {
        return ZipTime{2107, 12, 31, 23, 59, 58};
    }
    return ZipTime{time.year,
                   std::clamp(time.month, 1, 12),
                   std::clamp(time.day, 1, 31),
                   std::clamp(time.hour, 0, 23),
                   std::clamp(time.minute, 0, 59),
                   std::clamp(time.second, 0, 59)};
}

// The raw deflate stream of bytes when it is shorter than they are, else nothing (a stream is
// never empty).
std::string Deflate(std::string_view bytes) {
    if (bytes.empty()) {
        return {};
    }
    z_stream stream = {};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        return {};
    }
    // Room for one byte less than the input: a stream that does not fit is no gain.
    std::string out(bytes.size() - 1, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int status = deflate(&stream, Z_FINISH);
    const std::size_t produced = out.size() - stream.avail_out;
    deflateEnd(&stream);
    if (status != Z_STREAM_END) {
        return {};
    }
    out.resize(produced);
    return out;
}

std::wstring Quoted(const std::wstring& name) {
    return L"'" + name + L"'";
}

ZipWriteResult Failure(std::wstring message) {
    ZipWriteResult result;
    result.error = std::move(message);
    return result;
}

} // namespace

ZipTime ZipTimeFromSeconds(std::int64_t seconds) {
    // Days since 1970 to a date of the proleptic Gregorian calendar, by 400-year eras starting in
    // March so that the leap day ends a year. Times outside the archive's years are clamped later;
    // clamping the seconds first keeps every number small.
    seconds = std::clamp<std::int64_t>(seconds, 0, std::int64_t{1} << 40);
    const std::int64_t days = seconds / 86400;
    const std::int64_t secondOfDay = seconds % 86400;
    const std::int64_t z = days + 719468;
    const std::int64_t era = z / 146097;
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    const std::int64_t month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    ZipTime time;
    time.year = static_cast<int>(year);
    time.month = static_cast<int>(month);
    time.day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    time.hour = static_cast<int>(secondOfDay / 3600);
    time.minute = static_cast<int>(secondOfDay / 60 % 60);
    time.second = static_cast<int>(secondOfDay % 60);
    return time;
}

ZipWriteResult WriteZip(std::span<const ZipEntry> entries, const ZipTime& time, const ZipLimits& limits) {
    const std::size_t maxEntries = std::min(limits.maxEntries, MaxEntriesWithoutZip64);
    if (entries.size() > maxEntries) {
        return Failure(std::to_wstring(entries.size()) + L" entries are more than the " + std::to_wstring(maxEntries) +
                       L" an archive may hold");
    }
    const std::uint64_t maxEntrySize = std::min(limits.maxEntrySize, MaxOffsetWithoutZip64);
    std::unordered_map<std::wstring, const ZipEntry*> names;
    std::uint64_t total = 0;
    for (const ZipEntry& entry : entries) {
        const std::wstring problem = CheckZipEntryName(entry.name);
        if (!problem.empty()) {
            return Failure(L"the entry " + Quoted(entry.name) + L" cannot be written: " + problem);
        }
        const auto [earlier, added] = names.emplace(ZipEntryNameKey(entry.name), &entry);
        if (!added) {
            return Failure(L"the entries " + Quoted(earlier->second->name) + L" and " + Quoted(entry.name) +
                           L" have the same name when case is ignored");
        }
        if (entry.bytes.size() > maxEntrySize) {
            return Failure(L"the entry " + Quoted(entry.name) + L" of " + std::to_wstring(entry.bytes.size()) +
                           L" bytes is larger than the " + std::to_wstring(maxEntrySize) + L" an entry may hold");
        }
        total += entry.bytes.size();
        if (total > limits.maxTotalSize) {
            return Failure(L"the entries hold more than the " + std::to_wstring(limits.maxTotalSize) +
                           L" bytes an archive may hold");
        }
    }

    const ZipTime dosTime = ClampToDosRange(time);
    const std::uint32_t date = DosDate(dosTime);
    const std::uint32_t clock = DosTime(dosTime);
    std::string out;
    std::string central;
    for (const ZipEntry& entry : entries) {
        const std::string name = Utf16ToUtf8(entry.name);
        const std::string compressed = Deflate(entry.bytes);
        const bool deflated = !compressed.empty() && !ExceedsRatio(limits, entry.bytes.size(), compressed.size());
        const std::string_view data = deflated ? std::string_view(compressed) : std::string_view(entry.bytes);
        const std::uint16_t method = deflated ? MethodDeflated : MethodStored;
        const std::uint16_t versionNeeded = deflated ? VersionNeededDeflated : VersionNeededStored;
        const std::uint32_t crc = Crc32(entry.bytes);
        const std::uint64_t offset = out.size();
        if (offset + LocalHeaderSize + name.size() + data.size() > MaxOffsetWithoutZip64) {
            return Failure(L"the archive would be larger than an archive without zip64 extensions can be");
        }

        // The fields that the local header and the central directory record share.
        std::string common;
        Put16(common, versionNeeded);
        Put16(common, FlagUtf8Name);
        Put16(common, method);
        Put16(common, clock);
        Put16(common, date);
        Put32(common, crc);
        Put32(common, static_cast<std::uint32_t>(data.size()));
        Put32(common, static_cast<std::uint32_t>(entry.bytes.size()));
        Put16(common, static_cast<std::uint32_t>(name.size()));
        Put16(common, 0); // extra field length

        Put32(out, LocalHeaderSignature);
        out += common;
        out += name;
        out += data;

        Put32(central, CentralHeaderSignature);
        Put16(central, VersionMadeBy);
        central += common;
        Put16(central, 0); // comment length
        Put16(central, 0); // disk number
        Put16(central, 0); // internal attributes
        Put32(central, DosAttributeArchive);
        Put32(central, static_cast<std::uint32_t>(offset));
        central += name;
    }
    if (out.size() + central.size() > MaxOffsetWithoutZip64) {
        return Failure(L"the archive would be larger than an archive without zip64 extensions can be");
    }
    const auto centralOffset = static_cast<std::uint32_t>(out.size());
    out += central;
    Put32(out, EndSignature);
    Put16(out, 0); // this disk
    Put16(out, 0); // the disk where the central directory starts
    Put16(out, static_cast<std::uint32_t>(entries.size()));
    Put16(out, static_cast<std::uint32_t>(entries.size()));
    Put32(out, static_cast<std::uint32_t>(central.size()));
    Put32(out, centralOffset);
    Put16(out, 0); // comment length

    ZipWriteResult result;
    result.bytes = std::move(out);
    return result;
}

} // namespace Tessel::Common::Archive
