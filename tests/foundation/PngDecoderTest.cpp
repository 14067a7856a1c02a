#include "foundation/image/PngDecoder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using Tessel::Common::Image::DecodePng;
using Tessel::Common::Image::PngDecodeResult;

namespace {

// PNG files put together piece by piece, so that every piece can be broken on purpose.
std::string BigEndian(std::uint32_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

std::string Chunk(const std::string& type, const std::string& data) {
    std::string typeAndData = type + data;
    const auto crc =
        crc32(0L, reinterpret_cast<const Bytef*>(typeAndData.data()), static_cast<uInt>(typeAndData.size()));
    return BigEndian(static_cast<std::uint32_t>(data.size())) + typeAndData +
           BigEndian(static_cast<std::uint32_t>(crc));
}

const std::string Signature("\x89PNG\r\n\x1a\n", 8);

std::string Ihdr(std::uint32_t width, std::uint32_t height, int depth = 8, int colourType = 6, int interlace = 0) {
    std::string data = BigEndian(width) + BigEndian(height);
    data += {static_cast<char>(depth), static_cast<char>(colourType), 0, 0, static_cast<char>(interlace)};
    return Chunk("IHDR", data);
}

std::string Deflate(const std::string& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
              static_cast<uLong>(raw.size()), 9);
    out.resize(size);
    return out;
}

const std::string End = Chunk("IEND", "");

// A picture of noise: red and green over the whole range, so that sums wrap past 255; blue
// and alpha over a few values only, so that the Paeth predictor meets its ties.
std::vector<std::uint8_t> TestPixels(int width, int height) {
    std::vector<std::uint8_t> pixels;
    std::uint32_t state = 12345;
    for (int i = 0; i < width * height * 4; ++i) {
        state = state * 1103515245u + 12345u;
        pixels.push_back(static_cast<std::uint8_t>((state >> 16) & (i % 4 < 2 ? 0xFF : 0x03)));
    }
    return pixels;
}

int PaethPredictor(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// The rows of a picture as an encoder filters them, every row with the given filter type.
std::string FilteredRows(const std::vector<std::uint8_t>& pixels, int width, int height, int filter) {
    const int rowBytes = width * 4;
    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(static_cast<char>(filter));
        for (int i = 0; i < rowBytes; ++i) {
            const int value = pixels[y * rowBytes + i];
            const int a = i >= 4 ? pixels[y * rowBytes + i - 4] : 0;
            const int b = y > 0 ? pixels[(y - 1) * rowBytes + i] : 0;
            const int c = i >= 4 && y > 0 ? pixels[(y - 1) * rowBytes + i - 4] : 0;
            const int predictor = filter == 1   ? a
                                  : filter == 2 ? b
                                  : filter == 3 ? (a + b) / 2
                                  : filter == 4 ? PaethPredictor(a, b, c)
                                                : 0;
            raw.push_back(static_cast<char>(value - predictor));
        }
    }
    return raw;
}

// A valid 3 x 2 picture, filtered with None.
std::string Raw3x2() {
    return FilteredRows(TestPixels(3, 2), 3, 2, 0);
}

std::string ValidPng() {
    return Signature + Ihdr(3, 2) + Chunk("IDAT", Deflate(Raw3x2())) + End;
}

} // namespace

TEST(PngDecoder, ReadsEveryFilterTypeBackToThePixels) {
    const int width = 16, height = 9;
    const auto pixels = TestPixels(width, height);
    for (int filter = 0; filter <= 4; ++filter) {
        SCOPED_TRACE("filter type " + std::to_string(filter));
        const std::string file =
            Signature + Ihdr(width, height) + Chunk("IDAT", Deflate(FilteredRows(pixels, width, height, filter))) + End;
        const PngDecodeResult result = DecodePng(file);
        ASSERT_TRUE(result.Ok()) << std::string(result.error.begin(), result.error.end());
        EXPECT_EQ(result.picture.width, width);
        EXPECT_EQ(result.picture.height, height);
        EXPECT_EQ(result.picture.pixels, pixels);
    }
}

TEST(PngDecoder, ReadsRowsWithMixedFiltersDataSplitOverChunksAndAncillaryChunks) {
    const int width = 4, height = 5;
    const auto pixels = TestPixels(width, height);
    std::string raw;
    for (int y = 0; y < height; ++y) {
        // Row y filtered with type y, relative to the unfiltered row above it.
        const std::string all = FilteredRows(pixels, width, height, y);
        raw += all.substr(static_cast<std::size_t>(y) * (width * 4 + 1), width * 4 + 1);
    }
    const std::string compressed = Deflate(raw);
    std::string file = Signature + Ihdr(width, height) + Chunk("tEXt", std::string("Comment\0made by a test", 22)) +
                       Chunk("PLTE", std::string(6, '\x10')) + Chunk("IDAT", "");
    for (char byte : compressed) {
        file += Chunk("IDAT", std::string(1, byte));
    }
    file += Chunk("tIME", std::string(7, '\1')) + End;
    const PngDecodeResult result = DecodePng(file);
    ASSERT_TRUE(result.Ok()) << std::string(result.error.begin(), result.error.end());
    EXPECT_EQ(result.picture.pixels, pixels);
}

TEST(PngDecoder, ReadsAFileMadeByAnotherEncoder) {
    // A 2 x 1 picture written by an ordinary image program (a zlib stream with a small window):
    // opaque red, half-transparent blue.
    const unsigned char file[] = {0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49,
                                  0x48, 0x44, 0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06,
                                  0x00, 0x00, 0x00, 0xf4, 0x22, 0x7f, 0x8a, 0x00, 0x00, 0x00, 0x11, 0x49, 0x44,
                                  0x41, 0x54, 0x08, 0xd7, 0x63, 0xf8, 0xcf, 0xc0, 0xf0, 0x9f, 0x81, 0xe1, 0x7f,
                                  0x03, 0x00, 0x0f, 0x7a, 0x03, 0x7e, 0x1b, 0xda, 0x3d, 0x85, 0x00, 0x00, 0x00,
                                  0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
    const PngDecodeResult result = DecodePng(std::string_view(reinterpret_cast<const char*>(file), sizeof(file)));
    ASSERT_TRUE(result.Ok()) << std::string(result.error.begin(), result.error.end());
    EXPECT_EQ(result.picture.width, 2);
    EXPECT_EQ(result.picture.height, 1);
    EXPECT_EQ(result.picture.pixels, (std::vector<std::uint8_t>{255, 0, 0, 255, 0, 0, 255, 128}));
}

TEST(PngDecoder, RefusesMalformedOrUnsupportedFilesAndSaysWhy) {
    const std::string valid = ValidPng();
    const std::string idat = Chunk("IDAT", Deflate(Raw3x2()));
    std::string badCrc = valid;
    badCrc[8 + 8 + 13 + 3] ^= 1; // last byte of the IHDR checksum
    std::string badIdatCrc = valid;
    badIdatCrc[8 + 25 + 8] ^= 0x40; // first byte of the compressed data
    std::string hugeLength = valid;
    hugeLength.replace(8 + 25, 4, BigEndian(0xFFFFFFF0u));
    std::string badFilter = Raw3x2();
    badFilter[13] = 5; // the second row's filter byte
    std::string corruptDeflate = Deflate(Raw3x2());
    corruptDeflate[2] = static_cast<char>(0xFF); // a block type that does not exist

    struct Case {
        const char* name;
        std::string file;
        const wchar_t* message;
    };
    const Case cases[] = {
        {"empty input", "", L"signature"},
        {"bad signature", "\x89PNG\r\n\x1a\r" + valid.substr(8), L"signature"},
        {"bad CRC in the header", badCrc, L"'IHDR' at byte 8 fails its CRC check"},
        {"bad CRC in the picture data", badIdatCrc, L"'IDAT' at byte 33 fails its CRC check"},
        {"truncated in the picture data", valid.substr(0, valid.size() - 20), L"claims"},
        {"truncated before IEND", valid.substr(0, valid.size() - 12), L"without an IEND"},
        {"truncated inside a chunk header", valid.substr(0, valid.size() - 5), L"inside a chunk header"},
        {"absurd chunk length", hugeLength, L"invalid length"},
        {"colour type 2", Signature + Ihdr(3, 2, 8, 2) + idat + End, L"PNG colour type 2 is not supported"},
        {"palette colours", Signature + Ihdr(3, 2, 8, 3) + idat + End, L"PNG colour type 3 is not supported"},
        {"16 bits per channel", Signature + Ihdr(3, 2, 16) + idat + End, L"PNG bit depth 16 is not supported"},
        {"interlaced", Signature + Ihdr(3, 2, 8, 6, 1) + idat + End, L"interlaced PNG pictures are not supported"},
        {"unknown interlace method", Signature + Ihdr(3, 2, 8, 6, 2) + idat + End, L"interlace method 2"},
        {"zero width", Signature + Ihdr(0, 2) + idat + End, L"PNG size 0 x 2 is invalid"},
        {"zero height", Signature + Ihdr(3, 0) + idat + End, L"PNG size 3 x 0 is invalid"},
        {"absurd size", Signature + Ihdr(100000, 100000) + idat + End, L"larger than pictures may be"},
        {"negative size", Signature + Ihdr(0x80000000u, 1) + idat + End, L"is invalid"},
        {"large size with little data", Signature + Ihdr(8192, 2048) + idat + End, L"too short for 8192 x 2048"},
        {"picture data too short", Signature + Ihdr(3, 3) + idat + End, L"holds 26 bytes where 3 x 3 pixels need 39"},
        {"picture data too long", Signature + Ihdr(3, 1) + idat + End, L"holds more than the 13 bytes"},
        {"picture data cut off", Signature + Ihdr(3, 2) + Chunk("IDAT", Deflate(Raw3x2()).substr(0, 10)) + End,
         L"ends after"},
        {"bytes after the compressed data", Signature + Ihdr(3, 2) + Chunk("IDAT", Deflate(Raw3x2()) + "xyz") + End,
         L"goes on for 3 bytes after its end"},
        {"corrupt compressed data", Signature + Ihdr(3, 2) + Chunk("IDAT", corruptDeflate) + End, L"is corrupt"},
        {"unknown filter type", Signature + Ihdr(3, 2) + Chunk("IDAT", Deflate(badFilter)) + End,
         L"row 1 has the unknown filter type 5"},
        {"trailing garbage", valid + "garbage", L"goes on for 7 bytes after its IEND chunk"},
        {"header not first", Signature + idat + Ihdr(3, 2) + End, L"starts with chunk 'IDAT' instead of IHDR"},
        {"two headers", Signature + Ihdr(3, 2) + Ihdr(3, 2) + idat + End, L"more than one IHDR"},
        {"short header", Signature + Chunk("IHDR", std::string(12, '\1')) + idat + End, L"12 bytes instead of 13"},
        {"no picture data", Signature + Ihdr(3, 2) + End, L"no IDAT chunk"},
        {"picture data split by another chunk",
         Signature + Ihdr(3, 2) + Chunk("IDAT", Deflate(Raw3x2()).substr(0, 5)) + Chunk("tEXt", "a") +
             Chunk("IDAT", Deflate(Raw3x2()).substr(5)) + End,
         L"not consecutive"},
        {"unknown critical chunk", Signature + Ihdr(3, 2) + Chunk("ABCD", "x") + idat + End,
         L"'ABCD' is required for reading but unknown"},
        {"chunk type not letters", Signature + Ihdr(3, 2) + Chunk("ab1d", "x") + idat + End, L"'ab1d'"},
        {"palette after picture data", Signature + Ihdr(3, 2) + idat + Chunk("PLTE", "abc") + End, L"PLTE"},
        {"non-empty end chunk", Signature + Ihdr(3, 2) + idat + Chunk("IEND", "x"), L"IEND chunk is not empty"},
    };
    ASSERT_TRUE(DecodePng(valid).Ok());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PngDecodeResult result = DecodePng(c.file);
        EXPECT_FALSE(result.Ok());
        EXPECT_NE(result.error.find(c.message), std::wstring::npos)
            << std::string(result.error.begin(), result.error.end());
        EXPECT_EQ(result.picture.width, 0);
        EXPECT_TRUE(result.picture.pixels.empty());
    }
}
