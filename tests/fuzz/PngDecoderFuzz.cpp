// Fuzz target for the PNG decoder. Checked on every input:
// - a decoded picture has the size its pixels fill, within the decoder's limits;
// - a refused input says why and yields no pixels.
// AddressSanitizer and the fuzzer's memory limit catch reads out of bounds and allocations
// that the input's claims would blow up. Each input is decoded as it is and once more with
// its chunk checksums put right, so that mutations reach past the checksum test into the
// header, inflating and filtering.

#include "support/FuzzChecks.h"

#include "foundation/image/PngDecoder.h"

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace Tessel::Common::Image;

using TestSupport::Check;

namespace {

std::uint32_t ReadBigEndian(const std::string& bytes, std::size_t pos) {
    const auto byte = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[pos + i]));
    };
    return (byte(0) << 24) | (byte(1) << 16) | (byte(2) << 8) | byte(3);
}

// The input with the checksum of every whole chunk recomputed.
std::string WithRightChecksums(std::string bytes) {
    std::size_t pos = 8;
    while (pos <= bytes.size() && bytes.size() - pos >= 12) {
        const std::uint32_t length = ReadBigEndian(bytes, pos);
        if (length > bytes.size() - pos - 12) {
            break;
        }
        const auto* typeAndData = reinterpret_cast<const Bytef*>(bytes.data() + pos + 4);
        const auto crc = static_cast<std::uint32_t>(crc32(0L, typeAndData, length + 4));
        for (int i = 0; i < 4; ++i) {
            bytes[pos + 8 + length + i] = static_cast<char>(crc >> (24 - 8 * i));
        }
        pos += 12 + length;
    }
    return bytes;
}

void Decode(std::string_view bytes) {
    const PngDecodeResult result = DecodePng(bytes);
    if (result.Ok()) {
        const RgbaPicture& picture = result.picture;
        Check(picture.width > 0 && picture.height > 0);
        Check(picture.width <= MaxPngSide && picture.height <= MaxPngSide);
        Check(static_cast<std::int64_t>(picture.width) * picture.height <= MaxPngPixels);
        Check(picture.pixels.size() == static_cast<std::size_t>(picture.width) * picture.height * 4);
    } else {
        Check(!result.error.empty());
        Check(result.picture.pixels.empty() && result.picture.width == 0 && result.picture.height == 0);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    Decode(bytes);
    Decode(WithRightChecksums(bytes));
    return 0;
}
