#include "foundation/image/PngDecoder.h"

#include <zlib.h>

#include <climits>
#include <cstring>

namespace Tessel::Common::Image {

namespace {

constexpr unsigned char Signature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
constexpr std::size_t BytesPerPixel = 4;
// Deflate never expands its output by more than this factor, so compressed data shorter than
// its picture size divided by it cannot be complete; checked before anything is allocated.
constexpr std::uint64_t MaxDeflateRatio = 1032;

struct Header {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

std::uint32_t ReadBigEndian(const unsigned char* p) {
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | p[3];
}

std::wstring Widen(std::string_view text) {
    return std::wstring(text.begin(), text.end());
}

std::wstring ChunkName(const unsigned char* type) {
    std::wstring name;
    for (int i = 0; i < 4; ++i) {
        const unsigned char c = type[i];
        if (c >= 0x20 && c < 0x7F) {
            name.push_back(static_cast<wchar_t>(c));
        } else {
            name += L"\\x";
            name.push_back(L"0123456789ABCDEF"[c >> 4]);
            name.push_back(L"0123456789ABCDEF"[c & 15]);
        }
    }
    return L"'" + name + L"'";
}

bool IsLetter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsType(const unsigned char* type, const char* name) {
    return std::memcmp(type, name, 4) == 0;
}

std::wstring Size(std::uint64_t width, std::uint64_t height) {
    return std::to_wstring(width) + L" x " + std::to_wstring(height);
}

// Checks the header chunk's values; an empty text when they are the kind this decoder reads.
std::wstring CheckHeader(const unsigned char* data, Header& header) {
    header.width = ReadBigEndian(data);
    header.height = ReadBigEndian(data + 4);
    const unsigned bitDepth = data[8];
    const unsigned colourType = data[9];
    const unsigned compression = data[10];
    const unsigned filter = data[11];
    const unsigned interlace = data[12];
    if (header.width == 0 || header.height == 0 || header.width > INT32_MAX || header.height > INT32_MAX) {
        return L"PNG size " + Size(header.width, header.height) + L" is invalid";
    }
    if (header.width > MaxPngSide || header.height > MaxPngSide ||
        static_cast<std::uint64_t>(header.width) * header.height > static_cast<std::uint64_t>(MaxPngPixels)) {
        return L"PNG size " + Size(header.width, header.height) + L" is larger than pictures may be";
    }
    if (colourType != 6) {
        return L"PNG colour type " + std::to_wstring(colourType) +
               L" is not supported: only red, green, blue and alpha (colour type 6) are read";
    }
    if (bitDepth != 8) {
        return L"PNG bit depth " + std::to_wstring(bitDepth) + L" is not supported: only 8 bits per channel are read";
    }
    if (compression != 0) {
        return L"PNG compression method " + std::to_wstring(compression) + L" is unknown";
    }
    if (filter != 0) {
        return L"PNG filter method " + std::to_wstring(filter) + L" is unknown";
    }
    if (interlace == 1) {
        return L"interlaced PNG pictures are not supported";
    }
    if (interlace != 0) {
        return L"PNG interlace method " + std::to_wstring(interlace) + L" is unknown";
    }
    return {};
}

int Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = p > a ? p - a : a - p;
    const int pb = p > b ? p - b : b - p;
    const int pc = p > c ? p - c : c - p;
    if (pa <= pb && pa <= pc) {
        return a;
    }
    return pb <= pc ? b : c;
}

// Reverses the row filters in place. Each row is a filter byte followed by its pixels; the
// previous row is already unfiltered when a row is read.
std::wstring Unfilter(std::vector<std::uint8_t>& data, const Header& header) {
    const std::size_t rowBytes = header.width * BytesPerPixel;
    const std::size_t stride = rowBytes + 1;
    for (std::size_t y = 0; y < header.height; ++y) {
        std::uint8_t* row = data.data() + y * stride + 1;
        const std::uint8_t* previous = y > 0 ? row - stride : nullptr;
        const unsigned type = row[-1];
        for (std::size_t i = 0; i < rowBytes; ++i) {
            const int a = i >= BytesPerPixel ? row[i - BytesPerPixel] : 0;
            const int b = previous != nullptr ? previous[i] : 0;
            const int c = previous != nullptr && i >= BytesPerPixel ? previous[i - BytesPerPixel] : 0;
            int predictor = 0;
            switch (type) {
            case 0:
                break;
            case 1:
                predictor = a;
                break;
            case 2:
                predictor = b;
                break;
            case 3:
                predictor = (a + b) / 2;
                break;
            case 4:
                predictor = Paeth(a, b, c);
                break;
            default:
                return L"PNG row " + std::to_wstring(y) + L" has the unknown filter type " + std::to_wstring(type);
            }
            row[i] = static_cast<std::uint8_t>(row[i] + predictor);
        }
    }
    // Drops the filter bytes: every row moves towards the front, never over a row still unread.
    for (std::size_t y = 0; y < header.height; ++y) {
        std::memmove(data.data() + y * rowBytes, data.data() + y * stride + 1, rowBytes);
    }
    data.resize(rowBytes * header.height);
    return {};
}

// Inflates the joined picture data into exactly the size the header asks for.
std::wstring Inflate(const std::vector<std::uint8_t>& compressed, const Header& header,
                     std::vector<std::uint8_t>& out) {
    const std::uint64_t expected = static_cast<std::uint64_t>(header.height) * (header.width * BytesPerPixel + 1);
    if (compressed.size() > UINT_MAX / 2) {
        return L"PNG picture data of " + std::to_wstring(compressed.size()) + L" bytes is more than pictures may hold";
    }
    if (compressed.size() * MaxDeflateRatio + MaxDeflateRatio < expected) {
        return L"PNG picture data of " + std::to_wstring(compressed.size()) + L" bytes is too short for " +
               Size(header.width, header.height) + L" pixels";
    }
    // One byte more than needed, so that data going on beyond the picture is seen.
    out.assign(static_cast<std::size_t>(expected) + 1, 0);
    z_stream stream = {};
    if (inflateInit(&stream) != Z_OK) {
        return L"PNG picture data cannot be inflated: zlib does not start";
    }
    stream.next_in = const_cast<Bytef*>(compressed.data());
    stream.avail_in = static_cast<uInt>(compressed.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    const int status = inflate(&stream, Z_FINISH);
    const std::wstring zlibMessage = stream.msg != nullptr ? Widen(stream.msg) : L"";
    const std::uint64_t produced = stream.total_out;
    const uInt leftOver = stream.avail_in;
    inflateEnd(&stream);

    if (status == Z_STREAM_END) {
        if (produced < expected) {
            return L"PNG picture data holds " + std::to_wstring(produced) + L" bytes where " +
                   Size(header.width, header.height) + L" pixels need " + std::to_wstring(expected);
        }
        if (produced > expected) {
            return L"PNG picture data holds more than the " + std::to_wstring(expected) + L" bytes that " +
                   Size(header.width, header.height) + L" pixels need";
        }
        if (leftOver != 0) {
            return L"PNG picture data goes on for " + std::to_wstring(leftOver) + L" bytes after its end";
        }
        out.resize(static_cast<std::size_t>(expected));
        return {};
    }
    if (status == Z_DATA_ERROR || status == Z_NEED_DICT) {
        return L"PNG picture data is corrupt" + (zlibMessage.empty() ? L"" : L" (" + zlibMessage + L")");
    }
    if (status == Z_MEM_ERROR) {
        return L"PNG picture data cannot be inflated: out of memory";
    }
    if (produced > expected) {
        return L"PNG picture data holds more than the " + std::to_wstring(expected) + L" bytes that " +
               Size(header.width, header.height) + L" pixels need";
    }
    return L"PNG picture data ends after " + std::to_wstring(produced) + L" of " + std::to_wstring(expected) +
           L" bytes";
}

PngDecodeResult Failure(std::wstring message) {
    PngDecodeResult result;
    result.error = std::move(message);
    return result;
}

} // namespace

PngDecodeResult DecodePng(std::string_view bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    if (size < sizeof(Signature) || std::memcmp(data, Signature, sizeof(Signature)) != 0) {
        return Failure(L"not a PNG file: the signature is missing");
    }

    Header header;
    bool haveHeader = false;
    bool haveEnd = false;
    // 0: no picture data yet, 1: in the run of IDAT chunks, 2: after it.
    int pictureData = 0;
    std::vector<std::uint8_t> compressed;
    std::size_t pos = sizeof(Signature);
    while (!haveEnd) {
        if (size - pos < 12) {
            return Failure(pos == size ? L"PNG file ends without an IEND chunk"
                                       : L"PNG file ends inside a chunk header at byte " + std::to_wstring(pos));
        }
        const std::uint32_t length = ReadBigEndian(data + pos);
        const unsigned char* type = data + pos + 4;
        const unsigned char* body = data + pos + 8;
        if (length > 0x7FFFFFFFu) {
            return Failure(L"PNG chunk " + ChunkName(type) + L" has the invalid length " + std::to_wstring(length));
        }
        if (length > size - pos - 12) {
            return Failure(L"PNG chunk " + ChunkName(type) + L" claims " + std::to_wstring(length) +
                           L" bytes but the file ends after " + std::to_wstring(size - pos - 12));
        }
        if (!IsLetter(type[0]) || !IsLetter(type[1]) || !IsLetter(type[2]) || !IsLetter(type[3])) {
            return Failure(L"PNG chunk type " + ChunkName(type) + L" at byte " + std::to_wstring(pos) + L" is invalid");
        }
        const std::uint32_t storedCrc = ReadBigEndian(body + length);
        const auto crc = static_cast<std::uint32_t>(crc32(crc32(0L, type, 4), body, length));
        if (crc != storedCrc) {
            return Failure(L"PNG chunk " + ChunkName(type) + L" at byte " + std::to_wstring(pos) +
                           L" fails its CRC check");
        }
        pos += 12 + static_cast<std::size_t>(length);

        if (!haveHeader && !IsType(type, "IHDR")) {
            return Failure(L"PNG file starts with chunk " + ChunkName(type) + L" instead of IHDR");
        }
        if (pictureData == 1 && !IsType(type, "IDAT")) {
            pictureData = 2;
        }
        if (IsType(type, "IHDR")) {
            if (haveHeader) {
                return Failure(L"PNG file has more than one IHDR chunk");
            }
            if (length != 13) {
                return Failure(L"PNG IHDR chunk has " + std::to_wstring(length) + L" bytes instead of 13");
            }
            std::wstring error = CheckHeader(body, header);
            if (!error.empty()) {
                return Failure(std::move(error));
            }
            haveHeader = true;
        } else if (IsType(type, "IDAT")) {
            if (pictureData == 2) {
                return Failure(L"PNG IDAT chunks are not consecutive");
            }
            pictureData = 1;
            compressed.insert(compressed.end(), body, body + length);
        } else if (IsType(type, "IEND")) {
            if (length != 0) {
                return Failure(L"PNG IEND chunk is not empty");
            }
            haveEnd = true;
        } else if (IsType(type, "PLTE")) {
            // A suggested palette for displays with few colours; pixels with alpha do not use it.
            if (pictureData != 0) {
                return Failure(L"PNG PLTE chunk comes after the picture data");
            }
        } else if ((type[0] & 0x20) == 0) {
            return Failure(L"PNG chunk " + ChunkName(type) + L" is required for reading but unknown");
        }
        // Other ancillary chunks (text, gamma, time ...) do not change the pixels.
    }
    if (pos != size) {
        return Failure(L"PNG file goes on for " + std::to_wstring(size - pos) + L" bytes after its IEND chunk");
    }
    if (pictureData == 0) {
        return Failure(L"PNG file has no IDAT chunk");
    }

    PngDecodeResult result;
    std::wstring error = Inflate(compressed, header, result.picture.pixels);
    if (error.empty()) {
        error = Unfilter(result.picture.pixels, header);
    }
    if (!error.empty()) {
        return Failure(std::move(error));
    }
    result.picture.width = static_cast<int>(header.width);
    result.picture.height = static_cast<int>(header.height);
    return result;
}

} // namespace Tessel::Common::Image
