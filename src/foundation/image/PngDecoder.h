#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Tessel::Common::Image {

// A decoded picture: straight (not premultiplied) red, green, blue and alpha, one byte each,
// row after row from the top.
struct RgbaPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

// The outcome of decoding: the picture, or an empty picture and what was wrong with the input.
struct PngDecodeResult {
    RgbaPicture picture;
    std::wstring error;

    bool Ok() const { return error.empty(); }
};

// The largest picture the decoder accepts, whatever its header says.
constexpr std::int64_t MaxPngSide = 8192;
constexpr std::int64_t MaxPngPixels = 16 * 1024 * 1024;

// Decodes a PNG file held in memory. Only the kind of PNG the program ships is read: 8 bits
// per channel, red, green, blue and alpha, not interlaced; anything else is refused with a
// message that says what and why. Every chunk's length and checksum, the header's values and
// the exact size of the compressed picture data are checked. The work and memory it takes are
// bounded by the size of the input, never by what the input claims.
PngDecodeResult DecodePng(std::string_view bytes);

} // namespace Tessel::Common::Image
