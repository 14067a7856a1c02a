#include "model/IconCacheFile.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <string>

using namespace IconCacheFile;

namespace {

Picture Filled(std::uint32_t large, std::uint32_t small) {
    Picture picture(PicturePixelCount);
    for (std::size_t i = 0; i < PicturePixelCount; ++i) {
        picture[i] = i < LargePixelCount ? large : small;
    }
    return picture;
}

// Two shortcuts to one program share a picture; a third had no icon.
Contents Sample() {
    Contents contents;
    contents.pictures = {Filled(0xFF102030, 0x80402010), Filled(0xFFFFFFFF, 0)};
    contents.entries = {
        {L"zzz1A.lnk", 1234, 0x01D9'0000'1234'5678ull, 0, L"notepad"},
        {L"zzz1B.lnk", 1234, 0x01D9'0000'1234'5679ull, 0, L"notepad"},
        {L"Caf\u00e9 \u65b0\u5efa.lnk", 99, 7, NoPicture, L""},
        {L"zzz2.lnk", 800, 8, 1, L"Release 1.2"},
    };
    return contents;
}

void PutU32At(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

std::uint32_t Crc(std::string_view bytes) {
    return static_cast<std::uint32_t>(
        crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

// Writes both checksums anew, so that a change reaches the checks behind them.
std::string Resealed(std::string bytes) {
    PutU32At(bytes, 32, Crc(std::string_view(bytes).substr(HeaderSize)));
    PutU32At(bytes, 36, Crc(std::string_view(bytes).substr(0, 36)));
    return bytes;
}

// Where the first entry starts in the sample's file.
constexpr std::size_t FirstEntry = HeaderSize + 2 * PicturePixelCount * 4;

} // namespace

// A screen of another density keeps icons of its sizes: they are read back at those sizes only,
// and the largest sizes stop the pictures where their bytes would crowd out the entries.
TEST(IconCacheFile, IconsOfOtherSizesAreReadAtThoseSizesOnly) {
    Contents contents = Sample();
    contents.largeSize = 48;
    contents.smallSize = 24;
    const std::size_t pixels = PicturePixels(48, 24);
    ASSERT_EQ(pixels, 48u * 48 + 24 * 24);
    for (Picture& picture : contents.pictures) {
        picture.assign(pixels, 0xFF336699);
    }
    const std::string bytes = Encode(contents);
    EXPECT_EQ(bytes.size(), HeaderSize + 2 * pixels * 4 + 4 * 24 + 9 + 7 + 9 + 7 + 16 + 0 + 8 + 11);
    const ReadResult read = Decode(bytes, 48, 24);
    ASSERT_TRUE(read.ok) << std::string(read.error.begin(), read.error.end());
    EXPECT_EQ(read.contents.pictures, contents.pictures);
    EXPECT_EQ(read.contents.entries, contents.entries);
    const ReadResult asDesign = Decode(bytes);
    EXPECT_FALSE(asDesign.ok);
    EXPECT_EQ(asDesign.error, L"it holds icons of other sizes");
    EXPECT_FALSE(Decode(Encode(Sample()), 48, 24).ok);

    Contents huge;
    huge.largeSize = huge.smallSize = MaxIconSize;
    huge.pictures.assign(300, Picture(PicturePixels(MaxIconSize, MaxIconSize), 1));
    const std::string hugeBytes = Encode(huge);
    EXPECT_LE(hugeBytes.size(), MaxFileBytes);
    const ReadResult hugeRead = Decode(hugeBytes, MaxIconSize, MaxIconSize);
    ASSERT_TRUE(hugeRead.ok);
    EXPECT_EQ(hugeRead.contents.pictures.size(), MaxPictureBytes / (PicturePixels(MaxIconSize, MaxIconSize) * 4));
}

TEST(IconCacheFile, WhatIsWrittenIsReadBackWithSharedPictures) {
    const Contents contents = Sample();
    const std::string bytes = Encode(contents);
    EXPECT_EQ(bytes.size(), HeaderSize + 2 * PicturePixelCount * 4 + 4 * 24 + 9 + 7 + 9 + 7 + 16 + 0 + 8 + 11);
    const ReadResult read = Decode(bytes);
    ASSERT_TRUE(read.ok) << std::string(read.error.begin(), read.error.end());
    EXPECT_TRUE(read.error.empty());
    EXPECT_EQ(read.contents.pictures, contents.pictures);
    EXPECT_EQ(read.contents.entries, contents.entries);
    EXPECT_EQ(Encode(read.contents), bytes) << "one form for one content";

    const ReadResult empty = Decode(Encode(Contents{}));
    ASSERT_TRUE(empty.ok);
    EXPECT_TRUE(empty.contents.entries.empty());
}

// A start reads only the entries of shortcuts in the store and makes only their pictures; the
// rest of the file is still checked whole.
TEST(IconCacheFile, OnlyTheWantedEntriesAndTheirPicturesAreRead) {
    const Contents contents = Sample();
    const std::string bytes = Encode(contents);
    const ReadResult read =
        Decode(bytes, LargeSize, SmallSize, [](std::wstring_view name) { return name == L"zzz2.lnk"; });
    ASSERT_TRUE(read.ok);
    ASSERT_EQ(read.contents.entries.size(), 1u);
    EXPECT_EQ(read.contents.entries[0], contents.entries[3]);
    ASSERT_EQ(read.contents.pictures.size(), 2u) << "pictures keep their places";
    EXPECT_TRUE(read.contents.pictures[0].empty()) << "a picture only others use is not made";
    EXPECT_EQ(read.contents.pictures[1], contents.pictures[1]);

    const ReadResult none = Decode(bytes, LargeSize, SmallSize, [](std::wstring_view) { return false; });
    ASSERT_TRUE(none.ok);
    EXPECT_TRUE(none.contents.entries.empty());
    EXPECT_TRUE(none.contents.pictures[0].empty() && none.contents.pictures[1].empty());

    std::string flippedPixel = bytes;
    flippedPixel[HeaderSize + 100] ^= 0x01;
    EXPECT_FALSE(Decode(flippedPixel, LargeSize, SmallSize, [](std::wstring_view) { return false; }).ok)
        << "damage in a picture nobody wants still refuses the file";
}

TEST(IconCacheFile, DamagedFilesAreRefusedWhole) {
    const std::string good = Encode(Sample());
    std::string flippedPixel = good;
    flippedPixel[HeaderSize + 100] ^= 0x01;
    std::string flippedHeader = good;
    flippedHeader[17] ^= 0x01;
    std::string otherVersion = good;
    PutU32At(otherVersion, 8, 2);
    std::string tooManyPictures = good;
    PutU32At(tooManyPictures, 16, static_cast<std::uint32_t>(MaxPictures + 1));
    std::string countsBeyondLength = good;
    PutU32At(countsBeyondLength, 20, 60000);
    std::string missingPicture = good;
    PutU32At(missingPicture, FirstEntry + 16, 2);
    std::string emptyName = good;
    emptyName[FirstEntry + 20] = 0;
    std::string notUtf8 = good;
    notUtf8[FirstEntry + 24] = static_cast<char>(0xC3); // "z" becomes a lone lead byte
    std::string longerBody = good + "x";
    PutU32At(longerBody, 24, static_cast<std::uint32_t>(longerBody.size() - HeaderSize));
    std::string shorterCount = good;
    PutU32At(shorterCount, 20, 3);
    std::string randomBytes(5000, '\0');
    for (std::size_t i = 0; i < randomBytes.size(); ++i) {
        randomBytes[i] = static_cast<char>((i * 2654435761u) >> 13);
    }

    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"cut inside the header", good.substr(0, 39)},
        {"cut inside a picture", good.substr(0, HeaderSize + 3000)},
        {"cut inside the last entry", good.substr(0, good.size() - 1)},
        {"a byte more", good + "x"},
        {"random bytes", randomBytes},
        {"larger than any cache", good + std::string(MaxFileBytes, '\0')},
        {"another kind of file", "[Group]\r\nGroupCount=1\r\n" + std::string(40, ' ')},
        {"a pixel changed", flippedPixel},
        {"a header byte changed", flippedHeader},
        {"another format version", Resealed(otherVersion)},
        {"more pictures than allowed", Resealed(tooManyPictures)},
        {"counts beyond the length", Resealed(countsBeyondLength)},
        {"a picture that is not there", Resealed(missingPicture)},
        {"an empty file name", Resealed(emptyName)},
        {"a name that is not UTF-8", Resealed(notUtf8)},
        {"a body longer than its entries", Resealed(longerBody)},
        {"fewer entries counted than written", Resealed(shorterCount)},
    };
    for (const auto& c : cases) {
        const ReadResult read = Decode(c.bytes);
        EXPECT_FALSE(read.ok) << c.what;
        EXPECT_FALSE(read.error.empty()) << c.what;
        EXPECT_TRUE(read.contents.entries.empty() && read.contents.pictures.empty()) << c.what;
    }
}

TEST(IconCacheFile, WritingKeepsWithinTheBounds) {
    Contents contents;
    contents.pictures.assign(MaxPictures + 2, Filled(1, 2));
    contents.entries = {
        {L"first.lnk", 1, 1, 0, L"kept"},
        {L"beyond.lnk", 1, 1, static_cast<std::uint32_t>(MaxPictures), L"its picture is past the bound"},
        {L"nowhere.lnk", 1, 1, static_cast<std::uint32_t>(MaxPictures + 5), L"no such picture"},
        {L"", 1, 1, NoPicture, L"no file name"},
        {std::wstring(MaxNameBytes + 1, L'a'), 1, 1, NoPicture, L"file name too long"},
        {L"last.lnk", 1, 1, NoPicture, L"kept"},
    };
    const ReadResult read = Decode(Encode(contents));
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(read.contents.pictures.size(), MaxPictures);
    ASSERT_EQ(read.contents.entries.size(), 2u);
    EXPECT_EQ(read.contents.entries[0].fileName, L"first.lnk");
    EXPECT_EQ(read.contents.entries[1].fileName, L"last.lnk");

    Contents many;
    for (std::size_t i = 0; i < MaxEntries + 3; ++i) {
        many.entries.push_back({L"z" + std::to_wstring(i) + L".lnk", i, i, NoPicture, L""});
    }
    const ReadResult manyRead = Decode(Encode(many));
    ASSERT_TRUE(manyRead.ok);
    EXPECT_EQ(manyRead.contents.entries.size(), MaxEntries);
}
