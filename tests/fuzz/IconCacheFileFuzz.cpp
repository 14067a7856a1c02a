// Fuzz target for the icon cache file reader. Each input is read twice: as it is, and with its
// two checksums written anew, so that mutations reach the checks behind them instead of all
// ending at the checksum. Checked on every input:
// - a refused file says why and gives nothing;
// - an accepted file keeps within the bounds, its entries name pictures that are there, and
//   writing its contents again gives back exactly the same bytes (one form for one content).
// AddressSanitizer catches every read outside the input.

#include "support/FuzzChecks.h"

#include "model/IconCacheFile.h"

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace IconCacheFile;

using TestSupport::Check;

namespace {

void PutU32At(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

std::uint32_t Crc(const std::string& bytes, std::size_t from, std::size_t count) {
    return static_cast<std::uint32_t>(
        crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.data() + from), static_cast<uInt>(count)));
}

void ReadAndCheck(const std::string& bytes) {
    const ReadResult read = Decode(bytes);
    if (!read.ok) {
        Check(!read.error.empty());
        Check(read.contents.pictures.empty() && read.contents.entries.empty());
        return;
    }
    Check(read.error.empty());
    Check(read.contents.pictures.size() <= MaxPictures);
    Check(read.contents.entries.size() <= MaxEntries);
    for (const Entry& entry : read.contents.entries) {
        Check(entry.picture == NoPicture || entry.picture < read.contents.pictures.size());
        Check(!entry.fileName.empty());
    }
    Check(Encode(read.contents) == bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly the input's size, so that a read past it is caught.
    std::string bytes(reinterpret_cast<const char*>(data), size);
    ReadAndCheck(bytes);
    if (bytes.size() >= HeaderSize) {
        PutU32At(bytes, 32, Crc(bytes, HeaderSize, bytes.size() - HeaderSize));
        PutU32At(bytes, 36, Crc(bytes, 0, 36));
        ReadAndCheck(bytes);
    }
    return 0;
}
