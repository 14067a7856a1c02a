#include "foundation/archive/ZipReader.h"
#include "foundation/archive/ZipWriter.h"

#include "support/ZipBytes.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <optional>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

using namespace Tessel::Common::Archive;

using TestSupport::Put16;
using TestSupport::Put32;
using TestSupport::RawDeflate;

// Every allocation of the test program is counted while a test asks for it, so that a test can
// show what reading an archive really allocates.
namespace {

std::atomic<bool> gCounting{false};
std::atomic<std::size_t> gAllocatedBytes{0};
std::atomic<std::size_t> gLargestBlock{0};

void* Allocate(std::size_t size) {
    if (gCounting) {
        gAllocatedBytes += size;
        if (size > gLargestBlock) {
            gLargestBlock = size;
        }
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}

} // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (const wchar_t c : text) {
        out += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    return out;
}

std::uint32_t Crc(const std::string& bytes) {
    return static_cast<std::uint32_t>(
        crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

std::uint32_t Get16(const std::string& bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8);
}

std::uint32_t Get32(const std::string& bytes, std::size_t at) {
    return Get16(bytes, at) | (Get16(bytes, at + 2) << 16);
}

// An entry as a test lays it into an archive, made field by field so that any field can be wrong.
struct Item {
    std::string name; // the name's bytes
    std::string content;
    bool deflate = false;
    std::uint16_t flags = 0;
    std::uint16_t versionMadeBy = 20;
    std::uint32_t externalAttributes = 0;
    std::string extra;
    // The bytes that the archive holds for the content, when not those the writer would make.
    std::optional<std::string> data;
    // No local header before the data; the test points the central record somewhere.
    bool noLocalHeader = false;
};

Item Stored(std::string name, std::string content) {
    Item item;
    item.name = std::move(name);
    item.content = std::move(content);
    return item;
}

Item Deflated(std::string name, std::string content) {
    Item item = Stored(std::move(name), std::move(content));
    item.deflate = true;
    return item;
}

std::string Data(const Item& item) {
    return item.data ? *item.data : item.deflate ? RawDeflate(item.content) : item.content;
}

// The fields that follow the signature of a local header and, after "version made by", of a
// central record: version needed, flags, method, time, date, CRC, sizes, name and extra lengths.
std::string SharedFields(const Item& item) {
    std::string out;
    Put16(out, 20);
    Put16(out, item.flags);
    Put16(out, item.deflate ? 8 : 0);
    Put16(out, 0x6000); // 12:00:00
    Put16(out, 0x5821); // 2024-01-01
    Put32(out, Crc(item.content));
    Put32(out, static_cast<std::uint32_t>(Data(item).size()));
    Put32(out, static_cast<std::uint32_t>(item.content.size()));
    Put16(out, static_cast<std::uint32_t>(item.name.size()));
    Put16(out, static_cast<std::uint32_t>(item.extra.size()));
    return out;
}

std::string LocalHeaderAndData(const Item& item) {
    std::string out;
    Put32(out, 0x04034b50);
    return out + SharedFields(item) + item.name + item.extra + Data(item);
}

// An archive and where its records lie, to break them after it is built.
struct Built {
    std::string bytes;
    std::vector<std::size_t> local;
    std::vector<std::size_t> central;
    std::size_t end = 0;

    void Set16(std::size_t at, std::uint32_t value) {
        bytes[at] = static_cast<char>(value & 0xFF);
        bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
    }
    void Set32(std::size_t at, std::uint32_t value) {
        Set16(at, value & 0xFFFF);
        Set16(at + 2, value >> 16);
    }
    // A field that both headers of entry i hold, by its place in the local header.
    void SetShared16(std::size_t i, std::size_t field, std::uint32_t value) {
        Set16(local[i] + field, value);
        Set16(central[i] + field + 2, value);
    }
    void SetShared32(std::size_t i, std::size_t field, std::uint32_t value) {
        Set32(local[i] + field, value);
        Set32(central[i] + field + 2, value);
    }
};

// Places of fields in the local header (add 2 for the central record) ...
constexpr std::size_t FlagsField = 6;
constexpr std::size_t MethodField = 8;
constexpr std::size_t CrcField = 14;
constexpr std::size_t CompressedSizeField = 18;
constexpr std::size_t SizeField = 22;
// ... in the central record only ...
constexpr std::size_t LocalOffsetField = 42;
// ... and in the end record.
constexpr std::size_t CountOnDiskField = 8;
constexpr std::size_t CountField = 10;
constexpr std::size_t CentralSizeField = 12;
constexpr std::size_t CentralOffsetField = 16;
constexpr std::size_t CommentLengthField = 20;

Built Build(const std::vector<Item>& items, const std::string& comment = "") {
    Built built;
    for (const Item& item : items) {
        built.local.push_back(item.noLocalHeader ? std::string::npos : built.bytes.size());
        if (!item.noLocalHeader) {
            built.bytes += LocalHeaderAndData(item);
        }
    }
    const std::size_t centralOffset = built.bytes.size();
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Item& item = items[i];
        built.central.push_back(built.bytes.size());
        Put32(built.bytes, 0x02014b50);
        Put16(built.bytes, item.versionMadeBy);
        built.bytes += SharedFields(item);
        Put16(built.bytes, 0); // comment length
        Put16(built.bytes, 0); // disk
        Put16(built.bytes, 0); // internal attributes
        Put32(built.bytes, item.externalAttributes);
        Put32(built.bytes, static_cast<std::uint32_t>(item.noLocalHeader ? 0 : built.local[i]));
        built.bytes += item.name + item.extra;
    }
    built.end = built.bytes.size();
    Put32(built.bytes, 0x06054b50);
    Put32(built.bytes, 0);
    Put16(built.bytes, static_cast<std::uint32_t>(items.size()));
    Put16(built.bytes, static_cast<std::uint32_t>(items.size()));
    Put32(built.bytes, static_cast<std::uint32_t>(built.end - centralOffset));
    Put32(built.bytes, static_cast<std::uint32_t>(centralOffset));
    Put16(built.bytes, static_cast<std::uint32_t>(comment.size()));
    built.bytes += comment;
    return built;
}

// The archive with the entry that a case is about after a good one.
const std::string GoodContent = "[Group0]\nName=Tools\n";

Built WithGood(Item item) {
    return Build({Stored("good.txt", GoodContent), std::move(item)});
}

std::string Zeros(std::size_t count) {
    return std::string(count, '\0');
}

// Bytes that deflate cannot shrink.
std::string Noise(std::size_t count, std::uint32_t seed = 1) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        out.push_back(static_cast<char>(seed >> 16));
    }
    return out;
}

std::vector<std::wstring> Names(const std::vector<ZipEntry>& entries) {
    std::vector<std::wstring> names;
    for (const ZipEntry& entry : entries) {
        names.push_back(entry.name);
    }
    return names;
}

// The compression method of every entry, walking the local headers of an archive without data
// descriptors.
std::vector<std::uint32_t> Methods(const std::string& zip) {
    std::vector<std::uint32_t> methods;
    for (std::size_t at = 0; Get32(zip, at) == 0x04034b50;) {
        methods.push_back(Get16(zip, at + MethodField));
        at += 30 + Get16(zip, at + 26) + Get16(zip, at + 28) + Get32(zip, at + CompressedSizeField);
    }
    return methods;
}

const ZipTime SomeTime{2024, 2, 29, 12, 34, 56};

std::vector<ZipEntry> LayoutEntries() {
    std::string groups;
    for (int i = 0; i < 200; ++i) {
        groups += "[Group" + std::to_string(i) + "]\nName=Group " + std::to_string(i) + "\nLinkCount=3\n";
    }
    return {
        {L"groups.txt", groups},
        {L"Editor.lnk", Noise(1500)},
        {L"empty.lnk", ""},
        {L"\u00e9t\u00e9 \u4e2d\u6587.lnk", std::string("L\0\0\0", 4) + Zeros(300)},
        {std::wstring(L"smile ") + wchar_t(0xD83D) + wchar_t(0xDE00) + L".lnk", "x"},
    };
}

} // namespace

TEST(ZipArchive, WrittenEntriesReadBackTheSame) {
    const std::vector<ZipEntry> entries = LayoutEntries();
    const ZipWriteResult written = WriteZip(entries, SomeTime);
    ASSERT_TRUE(written.Ok()) << Narrow(written.error);
    const ZipReadResult read = ReadZip(written.bytes);
    ASSERT_TRUE(read.Ok()) << Narrow(read.error);
    EXPECT_TRUE(read.skipped.empty());
    EXPECT_EQ(read.entries, entries);

    // Deflated where it saves bytes, stored where it does not (noise, nothing, one byte).
    EXPECT_EQ(Methods(written.bytes), (std::vector<std::uint32_t>{8, 0, 0, 8, 0}));
    EXPECT_LT(written.bytes.size(), entries[0].bytes.size());
    // The same entries and time give the same bytes.
    EXPECT_EQ(WriteZip(entries, SomeTime).bytes, written.bytes);
}

TEST(ZipArchive, WriterStoresNamesAsFlaggedUtf8AndTheTimeInDosForm) {
    const ZipWriteResult written = WriteZip(std::vector<ZipEntry>{{L"\u00e9.lnk", "x"}}, SomeTime);
    ASSERT_TRUE(written.Ok());
    const std::string& zip = written.bytes;
    EXPECT_EQ(Get16(zip, FlagsField), 0x800u);
    EXPECT_EQ(zip.substr(30, 6), "\xc3\xa9.lnk");
    // 12:34:56 and 2024-02-29.
    EXPECT_EQ(Get16(zip, 10), (12u << 11) | (34u << 5) | 28u);
    EXPECT_EQ(Get16(zip, 12), ((2024u - 1980u) << 9) | (2u << 5) | 29u);
}

TEST(ZipArchive, TimesComeFromSecondsAndOutOfRangeTimesAreClamped) {
    struct Case {
        std::int64_t seconds;
        ZipTime time;
        std::uint32_t dosDate;
        std::uint32_t dosTime;
    };
    const Case cases[] = {
        {0, {1970, 1, 1, 0, 0, 0}, (0u << 9) | (1u << 5) | 1u, 0},
        {315532800, {1980, 1, 1, 0, 0, 0}, (0u << 9) | (1u << 5) | 1u, 0},
        {951829323, {2000, 2, 29, 13, 2, 3}, (20u << 9) | (2u << 5) | 29u, (13u << 11) | (2u << 5) | 1u},
        {1709210096, {2024, 2, 29, 12, 34, 56}, (44u << 9) | (2u << 5) | 29u, (12u << 11) | (34u << 5) | 28u},
        {4354819199, {2107, 12, 31, 23, 59, 59}, (127u << 9) | (12u << 5) | 31u, (23u << 11) | (59u << 5) | 29u},
        {4354819200, {2108, 1, 1, 0, 0, 0}, (127u << 9) | (12u << 5) | 31u, (23u << 11) | (59u << 5) | 29u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        const ZipTime time = ZipTimeFromSeconds(c.seconds);
        EXPECT_EQ(std::vector<int>({time.year, time.month, time.day, time.hour, time.minute, time.second}),
                  std::vector<int>({c.time.year, c.time.month, c.time.day, c.time.hour, c.time.minute, c.time.second}));
        const std::string zip = WriteZip(std::vector<ZipEntry>{{L"a", "b"}}, time).bytes;
        EXPECT_EQ(Get16(zip, 12), c.dosDate);
        EXPECT_EQ(Get16(zip, 10), c.dosTime);
    }
}

TEST(ZipArchive, WriterRefusesWhatAReaderWouldSkipOrRefuse) {
    ZipLimits small;
    small.maxEntries = 2;
    small.maxEntrySize = 10;
    small.maxTotalSize = 15;
    struct Case {
        const char* label;
        std::vector<ZipEntry> entries;
        const wchar_t* error;
    };
    const Case cases[] = {
        {"name in a folder", {{L"dir/a.lnk", "x"}}, L"'dir/a.lnk' cannot be written: the name lies in a folder"},
        {"device name", {{L"con.lnk", "x"}}, L"device CON"},
        {"same name but for case", {{L"a.lnk", "x"}, {L"A.LNK", "y"}}, L"'a.lnk' and 'A.LNK' have the same name"},
        {"too many entries", {{L"a", ""}, {L"b", ""}, {L"c", ""}}, L"3 entries are more than the 2"},
        {"entry too large", {{L"a", std::string(11, 'a')}}, L"'a' of 11 bytes is larger than the 10"},
        {"too many bytes in all", {{L"a", std::string(8, 'a')}, {L"b", std::string(8, 'b')}}, L"more than the 15"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const ZipWriteResult written = WriteZip(c.entries, SomeTime, small);
        EXPECT_TRUE(written.bytes.empty());
        EXPECT_NE(written.error.find(c.error), std::wstring::npos) << Narrow(written.error);
    }
}

TEST(ZipArchive, WriterStoresEntriesThatWouldInflateBeyondTheRatio) {
    // 64 KiB of zeros may be deflated (small entries are not held to the ratio), 1 MiB may not:
    // the archive is still read back whole with the same limits.
    const std::vector<ZipEntry> entries = {{L"small.lnk", Zeros(64 << 10)}, {L"large.lnk", Zeros(1 << 20)}};
    const ZipWriteResult written = WriteZip(entries, SomeTime);
    ASSERT_TRUE(written.Ok());
    EXPECT_EQ(Methods(written.bytes), (std::vector<std::uint32_t>{8, 0}));
    const ZipReadResult read = ReadZip(written.bytes);
    EXPECT_TRUE(read.Ok() && read.skipped.empty());
    EXPECT_EQ(read.entries, entries);
}

TEST(ZipArchive, ReadsArchivesOfOtherWritersAsTheFormatAllows) {
    // Names without the UTF-8 flag: UTF-8 when they are valid UTF-8, else code page 437.
    Item utf8Unflagged = Stored("\xc3\xa9t\xc3\xa9.txt", "a");
    Item codePage437 = Stored("\x82t\x82 \x9b.txt", "b");
    // CRC and sizes only in a data descriptor after the data.
    Item descriptor = Deflated("descriptor.txt", GoodContent + GoodContent);
    descriptor.flags = 0x0008;
    // A regular file from a Unix system, with an extra field.
    Item unixFile = Stored("unix.txt", "d");
    unixFile.versionMadeBy = (3 << 8) | 30;
    unixFile.externalAttributes = 0100644u << 16;
    unixFile.extra = std::string("UT\x05\x00\x01\x00\x00\x00\x00", 9);
    Built built = Build({utf8Unflagged, codePage437, descriptor, unixFile}, "an archive comment");
    for (const std::size_t field : {CrcField, CompressedSizeField, SizeField}) {
        built.Set32(built.local[2] + field, 0);
    }
    const ZipReadResult read = ReadZip(built.bytes);
    ASSERT_TRUE(read.Ok()) << Narrow(read.error);
    EXPECT_TRUE(read.skipped.empty()) << Narrow(read.skipped.at(0).reason);
    EXPECT_EQ(Names(read.entries), (std::vector<std::wstring>{L"\u00e9t\u00e9.txt", L"\u00e9t\u00e9 \u00a2.txt",
                                                              L"descriptor.txt", L"unix.txt"}));
    EXPECT_EQ(read.entries.at(2).bytes, GoodContent + GoodContent);

    const ZipReadResult empty = ReadZip(Build({}).bytes);
    EXPECT_TRUE(empty.Ok() && empty.entries.empty() && empty.skipped.empty());
}

TEST(ZipArchive, HostileEntriesAreSkippedWithTheReasonAndTheRestIsRead) {
    struct Case {
        const char* label;
        Built zip;
        // The reasons of entries 1, 2, ... in order; entry 0 is read.
        std::vector<std::wstring> reasons;
    };
    std::vector<Case> cases;
    const auto add = [&](const char* label, Built zip, std::vector<std::wstring> reasons) {
        cases.push_back({label, std::move(zip), std::move(reasons)});
    };
    add("absolute name", WithGood(Stored("/etc/passwd", "x")), {L"absolute"});
    add("drive letter", WithGood(Stored("C:\\evil.lnk", "x")), {L"absolute"});
    add("leading backslash", WithGood(Stored("\\evil.lnk", "x")), {L"absolute"});
    add("\"..\" name", WithGood(Stored("../evil.lnk", "x")), {L"\"..\""});
    add("name in a folder", WithGood(Stored("dir/a.lnk", "x")), {L"lies in a folder"});
    add("folder entry", WithGood(Stored("dir/", "")), {L"a folder's"});
    add("device name", WithGood(Stored("NUL.lnk", "x")), {L"device NUL"});
    add("name ending with a dot", WithGood(Stored("evil.lnk.", "x")), {L"ends with a dot"});
    add("reserved character", WithGood(Stored("a?b.lnk", "x")), {L"the character '?'"});
    add("control character", WithGood(Stored(std::string("a\0b", 3), "x")), {L"control character U+0000"});
    add("same name but for case", WithGood(Stored("GOOD.TXT", "x")), {L"that of entry 0 when case is ignored"});
    Item badUtf8 = Stored("\xc3\x28.lnk", "x");
    badUtf8.flags = 0x0800;
    add("flagged name not UTF-8", WithGood(badUtf8), {L"flagged as UTF-8 but is not"});

    Item folder = Stored("folder", "");
    folder.externalAttributes = 0x10;
    add("folder attribute", WithGood(folder), {L"it is a folder"});
    Item link = Stored("link.lnk", "/etc/passwd");
    link.versionMadeBy = (3 << 8) | 30;
    link.externalAttributes = 0120777u << 16;
    add("symbolic link", WithGood(link), {L"symbolic link"});
    Item encrypted = Stored("secret.lnk", "x");
    encrypted.flags = 0x0001;
    add("encrypted", WithGood(encrypted), {L"it is encrypted"});

    Built bzip2 = WithGood(Stored("b.lnk", "x"));
    bzip2.SetShared16(1, MethodField, 12);
    add("unsupported method", bzip2, {L"compression method 12"});
    Built zip64 = WithGood(Stored("big.lnk", "x"));
    zip64.SetShared32(1, CompressedSizeField, 0xFFFFFFFF);
    zip64.SetShared32(1, SizeField, 0xFFFFFFFF);
    add("zip64 sizes", zip64, {L"zip64"});
    Built storedSizes = WithGood(Stored("s.lnk", "xyz"));
    storedSizes.SetShared32(1, SizeField, 2);
    add("stored with two sizes", storedSizes, {L"stored, yet it takes 3 bytes for 2"});

    Built gigabyte = WithGood(Deflated("huge.lnk", Zeros(1000)));
    gigabyte.SetShared32(1, SizeField, 1u << 30);
    add("1 GB declared", gigabyte, {L"declares 1073741824 bytes, more than the 16777216"});
    Item bomb = Deflated("bomb.lnk", Zeros(10 << 20));
    bomb.data = RawDeflate(bomb.content);
    add("1000:1 bomb", WithGood(bomb), {L"more than 200 times as many"});
    Built lyingBomb = WithGood(bomb);
    lyingBomb.SetShared32(1, SizeField, 1000);
    add("bomb that declares little", lyingBomb, {L"inflates to more than the 1000 bytes it declares"});

    Built storedCrc = WithGood(Stored("a.lnk", "content"));
    storedCrc.SetShared32(1, CrcField, Crc("content") ^ 1);
    add("stored entry with a wrong CRC", storedCrc, {L"fails its CRC check"});
    Built deflatedCrc = WithGood(Deflated("a.lnk", GoodContent));
    deflatedCrc.SetShared32(1, CrcField, 0);
    add("deflated entry with a wrong CRC", deflatedCrc, {L"fails its CRC check"});

    // Deflated data that is broken, cut off or followed by more bytes, with sizes that agree.
    const auto withData = [](std::string data) {
        Item item = Deflated("a.lnk", GoodContent);
        item.data = std::move(data);
        return WithGood(item);
    };
    const std::string deflated = RawDeflate(GoodContent);
    std::string corrupt = deflated;
    corrupt[0] = static_cast<char>(0xFF); // a block type that does not exist
    add("corrupt deflated data", withData(corrupt), {L"deflated data is corrupt"});
    add("deflated data cut off", withData(deflated.substr(0, deflated.size() - 3)), {L"deflated data ends after"});
    add("bytes after the deflated data", withData(deflated + "xyz"), {L"followed by 3 more bytes"});
    Built shortStream = WithGood(Deflated("a.lnk", GoodContent));
    shortStream.SetShared32(1, SizeField, static_cast<std::uint32_t>(GoodContent.size() + 1));
    add("inflates to less than declared", shortStream, {L"inflates to 20 bytes where it declares 21"});

    Built localName = WithGood(Stored("evil.lnk", "x"));
    localName.bytes.replace(localName.local[1] + 30, 8, "EVIL.LNK");
    add("local header with another name", localName, {L"disagrees with the central directory about the name"});
    Built localSize = WithGood(Stored("a.lnk", "x"));
    localSize.Set32(localSize.local[1] + SizeField, 5);
    add("local header with other sizes", localSize, {L"about the sizes"});
    Built localMethod = WithGood(Stored("a.lnk", "x"));
    localMethod.Set16(localMethod.local[1] + MethodField, 8);
    add("local header with another method", localMethod, {L"about the compression method"});
    Built localCrc = WithGood(Stored("a.lnk", "x"));
    localCrc.Set32(localCrc.local[1] + CrcField, 0);
    add("local header with another CRC", localCrc, {L"about the CRC"});
    Built localFlags = WithGood(Stored("a.lnk", "x"));
    localFlags.Set16(localFlags.local[1] + FlagsField, 1);
    add("local header that says encrypted", localFlags, {L"about the flags"});

    Built nowhere = WithGood(Stored("a.lnk", "x"));
    nowhere.Set32(nowhere.central[1] + LocalOffsetField, static_cast<std::uint32_t>(nowhere.central[0]));
    add("local header in the central directory", nowhere, {L"lies outside the entries' data"});
    Built noHeader = WithGood(Stored("a.lnk", "x"));
    noHeader.Set32(noHeader.central[1] + LocalOffsetField, 3);
    add("no local header at the offset", noHeader, {L"no local header at byte 3"});
    Built truncated = WithGood(Stored("a.lnk", "x"));
    truncated.SetShared32(1, CompressedSizeField, 100);
    truncated.SetShared32(1, SizeField, 100);
    add("data running into the central directory", truncated, {L"run past the entries' data"});

    // A local header inside another entry's data: both entries share bytes.
    const Item inner = Stored("inner.lnk", "inner");
    Item outer = Stored("outer.lnk", LocalHeaderAndData(inner));
    Item innerCentral = inner;
    innerCentral.noLocalHeader = true;
    Built overlapping = Build({Stored("good.txt", GoodContent), outer, innerCentral});
    overlapping.Set32(overlapping.central[2] + LocalOffsetField,
                      static_cast<std::uint32_t>(overlapping.local[1] + 30 + outer.name.size()));
    add("overlapping entries", overlapping, {L"overlaps another entry's", L"overlaps another entry's"});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const ZipReadResult read = ReadZip(c.zip.bytes);
        ASSERT_TRUE(read.Ok()) << Narrow(read.error);
        ASSERT_EQ(read.entries.size(), 1u);
        EXPECT_EQ(read.entries[0], (ZipEntry{L"good.txt", GoodContent}));
        ASSERT_EQ(read.skipped.size(), c.reasons.size());
        for (std::size_t i = 0; i < c.reasons.size(); ++i) {
            EXPECT_EQ(read.skipped[i].index, i + 1);
            EXPECT_NE(read.skipped[i].reason.find(c.reasons[i]), std::wstring::npos) << Narrow(read.skipped[i].reason);
        }
    }
}

TEST(ZipArchive, DamagedOrAmbiguousArchivesAreRefusedWholeWithTheReason) {
    const Built base = Build({Stored("good.txt", GoodContent), Deflated("b.lnk", GoodContent)});
    const std::size_t end = base.end;
    const auto patched = [&](std::size_t at, std::uint32_t value, int bytes) {
        Built copy = base;
        bytes == 2 ? copy.Set16(at, value) : copy.Set32(at, value);
        return copy.bytes;
    };
    std::string endRecordOnly;
    Put32(endRecordOnly, 0x06054b50);
    endRecordOnly += Zeros(18);
    // The central directory without the last 11 bytes of its second record.
    const std::size_t cutAt = base.central[1] + 40;
    const std::string cutDirectory = base.bytes.substr(0, cutAt) + base.bytes.substr(end);
    Built cutButConsistent;
    cutButConsistent.bytes = cutDirectory;
    cutButConsistent.Set32(cutAt + CentralSizeField, static_cast<std::uint32_t>(cutAt - base.central[0]));
    std::string locator;
    Put32(locator, 0x07064b50);
    locator += Zeros(16);
    std::string withLocator = base.bytes;
    withLocator.insert(end, locator);

    struct Case {
        const char* label;
        std::string zip;
        const wchar_t* error;
    };
    const Case cases[] = {
        {"nothing", "", L"not a zip archive: 0 bytes are too short"},
        {"no end record", Noise(200), L"not a zip archive: it has no end of central directory record"},
        {"central directory cut off", cutDirectory, L"lies outside the"},
        {"central directory cut off, its size made to fit", cutButConsistent.bytes,
         L"ends inside the record of entry 1"},
        {"counts of this disk and of all disagree", patched(end + CountField, 3, 2), L"split over several disks"},
        {"count too high on both fields",
         [&] {
             Built copy = base;
             copy.Set16(end + CountField, 3);
             copy.Set16(end + CountOnDiskField, 3);
             return copy.bytes;
         }(),
         L"too short for 3 entries"},
        {"count too low",
         [&] {
             Built copy = base;
             copy.Set16(end + CountField, 1);
             copy.Set16(end + CountOnDiskField, 1);
             return copy.bytes;
         }(),
         L"bytes after its 1 records"},
        {"another disk", patched(end + 4, 1, 2), L"split over several disks"},
        {"central directory on another disk", patched(end + 6, 1, 2), L"split over several disks"},
        {"zip64 count", patched(end + CountField, 0xFFFF, 2), L"zip64"},
        {"zip64 offset", patched(end + CentralOffsetField, 0xFFFFFFFF, 4), L"zip64"},
        {"zip64 locator", withLocator, L"zip64"},
        {"comment longer than the archive", patched(end + CommentLengthField, 5, 2), L"comment does not end"},
        {"bytes after the end record", base.bytes + "junk", L"comment does not end"},
        {"comment hiding another end record", Build({Stored("good.txt", GoodContent)}, endRecordOnly).bytes,
         L"more than one end of central directory record"},
        {"bytes before the archive", "MZ" + Noise(100) + base.bytes, L"not where the end record starts"},
        {"central directory beyond the archive", patched(end + CentralOffsetField, 0x7FFFFFFF, 4), L"lies outside the"},
        {"central record without its signature", patched(base.central[1], 0, 4), L"entry 1 at byte"},
        {"central record name running past", patched(base.central[1] + 28, 1000, 2),
         L"runs past the central directory's end"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const ZipReadResult read = ReadZip(c.zip);
        EXPECT_FALSE(read.Ok());
        EXPECT_TRUE(read.entries.empty() && read.skipped.empty());
        EXPECT_NE(read.error.find(c.error), std::wstring::npos) << Narrow(read.error);
    }
}

TEST(ZipArchive, EntryCountIsBoundedBeforeAnyEntryIsRead) {
    std::vector<Item> items;
    for (int i = 0; i < 100000; ++i) {
        items.push_back(Stored("e" + std::to_string(i), ""));
    }
    // 100,000 records: the 16-bit count wraps to 34,464, still more than allowed.
    Built many = Build(items);
    ZipReadResult read = ReadZip(many.bytes);
    EXPECT_NE(read.error.find(L"holds 34464 entries, more than the 20000 allowed"), std::wstring::npos)
        << Narrow(read.error);
    // A count that does not fit in 16 bits needs zip64.
    many.Set16(many.end + CountField, 0xFFFF);
    many.Set16(many.end + CountOnDiskField, 0xFFFF);
    EXPECT_NE(ReadZip(many.bytes).error.find(L"zip64"), std::wstring::npos);

    items.resize(20001);
    read = ReadZip(Build(items).bytes);
    EXPECT_NE(read.error.find(L"holds 20001 entries"), std::wstring::npos) << Narrow(read.error);
    items.resize(20000);
    read = ReadZip(Build(items).bytes);
    ASSERT_TRUE(read.Ok()) << Narrow(read.error);
    EXPECT_EQ(read.entries.size(), 20000u);
}

TEST(ZipArchive, LimitsTheCallerSetsAreKeptExactly) {
    ZipLimits limits;
    limits.maxEntries = 3;
    limits.maxEntrySize = 100;
    limits.maxTotalSize = 200;
    limits.maxRatio = 10;
    limits.ratioExemptSize = 20;
    // Zeros that deflate to the same few bytes: exactly 10 times as many, and one byte more.
    const std::size_t compressed = RawDeflate(Zeros(60)).size();
    const Item atRatio = Deflated("at.lnk", Zeros(10 * compressed));
    const Item pastRatio = Deflated("past.lnk", Zeros(10 * compressed + 1));
    ASSERT_EQ(Data(atRatio).size(), compressed);
    ASSERT_EQ(Data(pastRatio).size(), compressed);

    // The entry over the size limit is skipped and does not count towards the total.
    ZipReadResult read =
        ReadZip(Build({Stored("a", std::string(100, 'a')), Stored("b", std::string(101, 'b')), atRatio}).bytes, limits);
    ASSERT_TRUE(read.Ok()) << Narrow(read.error);
    EXPECT_EQ(Names(read.entries), (std::vector<std::wstring>{L"a", L"at.lnk"}));
    ASSERT_EQ(read.skipped.size(), 1u);
    EXPECT_NE(read.skipped[0].reason.find(L"declares 101 bytes, more than the 100"), std::wstring::npos);

    read = ReadZip(Build({pastRatio}).bytes, limits);
    ASSERT_EQ(read.skipped.size(), 1u);
    EXPECT_NE(read.skipped[0].reason.find(L"more than 10 times as many"), std::wstring::npos);
    read = ReadZip(Build({Stored("a", ""), Stored("b", ""), Stored("c", ""), Stored("d", "")}).bytes, limits);
    EXPECT_NE(read.error.find(L"holds 4 entries, more than the 3"), std::wstring::npos) << Narrow(read.error);
    read =
        ReadZip(Build({Stored("a", std::string(100, 'a')), Stored("b", std::string(100, 'b')), Stored("c", "c")}).bytes,
                limits);
    EXPECT_NE(read.error.find(L"declare 201 bytes in all, more than the 200"), std::wstring::npos)
        << Narrow(read.error);
}

TEST(ZipArchive, BombsAreRefusedWithoutAllocatingWhatTheyClaim) {
    const auto measured = [](const std::string& zip, const ZipLimits& limits, std::size_t& allocated) {
        gAllocatedBytes = 0;
        gLargestBlock = 0;
        gCounting = true;
        ZipReadResult read = ReadZip(zip, limits);
        gCounting = false;
        allocated = gAllocatedBytes;
        return read;
    };
    const ZipLimits defaults;
    std::size_t allocated = 0;

    // 10 MiB of zeros in 10 KiB: refused by its ratio before it is inflated.
    const std::string bombData = RawDeflate(Zeros(10 << 20));
    Item bomb = Deflated("bomb.lnk", Zeros(10 << 20));
    bomb.data = bombData;
    ZipReadResult read = measured(Build({bomb}).bytes, defaults, allocated);
    EXPECT_EQ(read.skipped.size(), 1u);
    EXPECT_LT(allocated, 256u << 10);

    // The same data declaring 1000 bytes: inflating stops at the first chunk.
    Built lying = Build({bomb});
    lying.SetShared32(0, SizeField, 1000);
    read = measured(lying.bytes, defaults, allocated);
    ASSERT_EQ(read.skipped.size(), 1u);
    EXPECT_NE(read.skipped[0].reason.find(L"more than the 1000 bytes"), std::wstring::npos);
    EXPECT_LT(allocated, 256u << 10);

    // 1 GiB declared by a few bytes.
    Built gigabyte = Build({Deflated("huge.lnk", "x")});
    gigabyte.SetShared32(0, SizeField, 1u << 30);
    read = measured(gigabyte.bytes, defaults, allocated);
    EXPECT_EQ(read.skipped.size(), 1u);
    EXPECT_LT(allocated, 256u << 10);

    // 5,000 entries of 64 KiB of zeros each, small enough to be spared the ratio, 320 MiB in all:
    // refused before any is inflated.
    const std::string zeros = Zeros(64 << 10);
    std::vector<Item> many;
    for (int i = 0; i < 5000; ++i) {
        many.push_back(Deflated("e" + std::to_string(i), ""));
        many.back().data = i == 0 ? RawDeflate(zeros) : *many.front().data;
    }
    Built manyBuilt = Build(many);
    const std::uint32_t zerosCrc = Crc(zeros);
    for (std::size_t i = 0; i < many.size(); ++i) {
        manyBuilt.SetShared32(i, CrcField, zerosCrc);
        manyBuilt.SetShared32(i, SizeField, static_cast<std::uint32_t>(zeros.size()));
    }
    read = measured(manyBuilt.bytes, defaults, allocated);
    EXPECT_NE(read.error.find(L"more than the 268435456"), std::wstring::npos) << Narrow(read.error);
    EXPECT_LT(allocated, 16u << 20);

    // Allowed to inflate, the 10 MiB are read with no block larger than the entry, and about
    // twice its size allocated in all.
    ZipLimits generous;
    generous.maxRatio = 2000;
    read = measured(Build({bomb}).bytes, generous, allocated);
    ASSERT_EQ(read.entries.size(), 1u);
    EXPECT_EQ(read.entries[0].bytes, Zeros(10 << 20));
    EXPECT_LE(gLargestBlock, (10u << 20) + 1);
    EXPECT_LT(allocated, 3u * (10 << 20));
}

TEST(ZipArchive, WrittenArchivesPassTheSystemsUnzipTest) {
#ifdef _WIN32
    GTEST_SKIP() << "checked in the host build";
#else
    if (!std::filesystem::exists("/usr/bin/unzip")) {
        GTEST_SKIP() << "unzip is not installed";
    }
    const std::vector<ZipEntry> entries = LayoutEntries();
    const ZipWriteResult written = WriteZip(entries, SomeTime);
    ASSERT_TRUE(written.Ok());
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("tb-zip-test-" + std::to_string(getpid()) + ".zip");
    {
        std::ofstream out(path, std::ios::binary);
        out.write(written.bytes.data(), static_cast<std::streamsize>(written.bytes.size()));
    }
    EXPECT_EQ(std::system(("unzip -tq '" + path.string() + "' >/dev/null").c_str()), 0);
    // One deflated and one stored entry, unpacked to standard output.
    for (const std::size_t i : {0u, 1u}) {
        const std::string command = "unzip -p '" + path.string() + "' " + Narrow(entries[i].name);
        FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string unpacked;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0;) {
            unpacked.append(buffer, n);
        }
        EXPECT_EQ(pclose(pipe), 0);
        EXPECT_EQ(unpacked, entries[i].bytes) << Narrow(entries[i].name);
    }
    std::filesystem::remove(path);
#endif
}
