// Fuzz target for the PNG decoder. Checked on every input:
// - a decoded picture has the size its pixels fill, within the decoder's limits;
// - a refused input says why and yields no pixels.
// AddressSanitizer and the fuzzer's memory limit catch reads out of bounds and allocations
// that the input's claims would blow up.

#include "foundation/image/PngDecoder.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace Tessel::Common::Image;

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const PngDecodeResult result = DecodePng(std::string_view(reinterpret_cast<const char*>(data), size));
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
    return 0;
}
