#include "model/IconCacheFile.h"

#include "foundation/text/Utf8.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace IconCacheFile {

namespace {

constexpr char Magic[8] = {'T', 'B', 'I', 'C', 'O', 'N', 'S', 0x1A};
// File size, write time, picture index, two name lengths.
constexpr std::size_t EntryFixedBytes = 8 + 8 + 4 + 2 + 2;

std::uint32_t Crc32(std::string_view bytes) {
    uLong crc = crc32(0L, Z_NULL, 0);
    // zlib takes at most a uInt at a time.
    while (!bytes.empty()) {
        const std::size_t chunk = std::min<std::size_t>(bytes.size(), 1u << 30);
        crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(chunk));
        bytes.remove_prefix(chunk);
    }
    return static_cast<std::uint32_t>(crc);
}

void PutU16(std::string& out, std::uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}

void PutU32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
}

void PutU64(std::string& out, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) {
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
}

std::uint64_t GetLittleEndian(const char* p, int bytes) {
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        v = (v << 8) | static_cast<unsigned char>(p[i]);
    }
    return v;
}

// A forward reader over the body that never passes its end.
class Reader {
public:
    explicit Reader(std::string_view bytes) : mBytes(bytes) {}
    bool Take(std::size_t count, std::string_view& out) {
        if (count > mBytes.size() - mAt) {
            return false;
        }
        out = mBytes.substr(mAt, count);
        mAt += count;
        return true;
    }
    std::size_t Left() const { return mBytes.size() - mAt; }

private:
    std::string_view mBytes;
    std::size_t mAt = 0;
};

ReadResult Refused(std::wstring why) {
    ReadResult result;
    result.error = std::move(why);
    return result;
}

// A name as stored: valid UTF-8 whose UTF-16 form gives the same bytes back.
bool ReadName(std::string_view bytes, std::wstring& name) {
    return Tessel::Common::Utf8ToUtf16(bytes, name) && Tessel::Common::Utf16ToUtf8(name) == bytes;
}

} // namespace

std::size_t PicturePixels(int largeSize, int smallSize) {
    const auto square = [](int size) {
        const auto side = static_cast<std::size_t>(std::clamp(size, 1, MaxIconSize));
        return side * side;
    };
    return square(largeSize) + square(smallSize);
}

std::string Encode(const Contents& contents) {
    const std::size_t picturePixels = PicturePixels(contents.largeSize, contents.smallSize);
    const std::size_t pictureBytes = picturePixels * 4;
    const std::size_t pictureCount =
        std::min({contents.pictures.size(), MaxPictures, MaxPictureBytes / pictureBytes});
    std::string entries;
    std::uint32_t entryCount = 0;
    const std::size_t roomForEntries = MaxFileBytes - HeaderSize - pictureCount * pictureBytes;
    for (const Entry& entry : contents.entries) {
        if (entryCount == MaxEntries) {
            break;
        }
        if (entry.picture != NoPicture && entry.picture >= pictureCount) {
            continue;
        }
        const std::string name = Tessel::Common::Utf16ToUtf8(entry.fileName);
        const std::string displayName = Tessel::Common::Utf16ToUtf8(entry.displayName);
        if (name.empty() || name.size() > MaxNameBytes || displayName.size() > MaxNameBytes) {
            continue;
        }
        if (entries.size() + EntryFixedBytes + name.size() + displayName.size() > roomForEntries) {
            break;
        }
        PutU64(entries, entry.fileSize);
        PutU64(entries, entry.writeTime);
        PutU32(entries, entry.picture);
        PutU16(entries, static_cast<std::uint16_t>(name.size()));
        PutU16(entries, static_cast<std::uint16_t>(displayName.size()));
        entries += name;
        entries += displayName;
        ++entryCount;
    }

    std::string file;
    file.reserve(HeaderSize + pictureCount * pictureBytes + entries.size());
    file.append(Magic, sizeof(Magic));
    PutU32(file, FormatVersion);
    PutU16(file, static_cast<std::uint16_t>(std::clamp(contents.largeSize, 1, MaxIconSize)));
    PutU16(file, static_cast<std::uint16_t>(std::clamp(contents.smallSize, 1, MaxIconSize)));
    PutU32(file, static_cast<std::uint32_t>(pictureCount));
    PutU32(file, entryCount);
    PutU64(file, pictureCount * pictureBytes + entries.size());
    file.append(8, '\0'); // the two checksums, filled in below
    for (std::size_t p = 0; p < pictureCount; ++p) {
        // A picture of another length is cut or filled with clear pixels to the sizes'.
        const Picture& picture = contents.pictures[p];
        for (std::size_t i = 0; i < picturePixels; ++i) {
            PutU32(file, i < picture.size() ? picture[i] : 0);
        }
    }
    file += entries;

    const std::uint32_t bodyCrc = Crc32(std::string_view(file).substr(HeaderSize));
    std::string crc;
    PutU32(crc, bodyCrc);
    file.replace(32, 4, crc);
    crc.clear();
    PutU32(crc, Crc32(std::string_view(file).substr(0, 36)));
    file.replace(36, 4, crc);
    return file;
}

ReadResult Decode(std::string_view bytes, int largeSize, int smallSize, const WantedName& wanted) {
    const std::size_t picturePixels = PicturePixels(largeSize, smallSize);
    const std::size_t pictureBytes = picturePixels * 4;
    if (bytes.size() < HeaderSize) {
        return Refused(L"shorter than its header (" + std::to_wstring(bytes.size()) + L" bytes)");
    }
    if (bytes.size() > MaxFileBytes) {
        return Refused(L"larger than a cache may be (" + std::to_wstring(bytes.size()) + L" bytes)");
    }
    if (std::memcmp(bytes.data(), Magic, sizeof(Magic)) != 0) {
        return Refused(L"not an icon cache file");
    }
    if (Crc32(bytes.substr(0, 36)) != GetLittleEndian(bytes.data() + 36, 4)) {
        return Refused(L"its header is damaged");
    }
    const auto version = GetLittleEndian(bytes.data() + 8, 4);
    if (version != FormatVersion) {
        return Refused(L"format version " + std::to_wstring(version) + L" is not this program's");
    }
    if (GetLittleEndian(bytes.data() + 12, 2) != static_cast<std::uint64_t>(largeSize) ||
        GetLittleEndian(bytes.data() + 14, 2) != static_cast<std::uint64_t>(smallSize)) {
        return Refused(L"it holds icons of other sizes");
    }
    const std::uint64_t pictureCount = GetLittleEndian(bytes.data() + 16, 4);
    const std::uint64_t entryCount = GetLittleEndian(bytes.data() + 20, 4);
    const std::uint64_t bodyLength = GetLittleEndian(bytes.data() + 24, 8);
    if (pictureCount > MaxPictures || entryCount > MaxEntries) {
        return Refused(L"it counts more pictures or entries than a cache may hold");
    }
    if (bodyLength != bytes.size() - HeaderSize) {
        return Refused(L"it is " + std::to_wstring(bytes.size()) + L" bytes long instead of " +
                       std::to_wstring(HeaderSize + bodyLength) + L" (cut short or grown)");
    }
    const std::string_view body = bytes.substr(HeaderSize);
    if (Crc32(body) != GetLittleEndian(bytes.data() + 32, 4)) {
        return Refused(L"its content does not match its checksum");
    }
    // Every count is checked against the bytes there are before anything is allocated for it.
    if (pictureCount * pictureBytes + entryCount * EntryFixedBytes > body.size()) {
        return Refused(L"its counts do not fit its length");
    }

    ReadResult result;
    Reader reader(body);
    std::string_view chunk;
    result.contents.largeSize = largeSize;
    result.contents.smallSize = smallSize;
    // The entries follow the pictures. They are read first, so that only the pictures of the
    // entries kept are made.
    const std::string_view pictures = body.substr(0, pictureCount * pictureBytes);
    reader.Take(pictures.size(), chunk);
    std::vector<bool> pictureKept(pictureCount, false);
    for (std::uint64_t e = 0; e < entryCount; ++e) {
        if (!reader.Take(EntryFixedBytes, chunk)) {
            return Refused(L"entry " + std::to_wstring(e) + L" is cut short");
        }
        Entry entry;
        entry.fileSize = GetLittleEndian(chunk.data(), 8);
        entry.writeTime = GetLittleEndian(chunk.data() + 8, 8);
        entry.picture = static_cast<std::uint32_t>(GetLittleEndian(chunk.data() + 16, 4));
        const std::size_t nameBytes = GetLittleEndian(chunk.data() + 20, 2);
        const std::size_t displayBytes = GetLittleEndian(chunk.data() + 22, 2);
        if (entry.picture != NoPicture && entry.picture >= pictureCount) {
            return Refused(L"entry " + std::to_wstring(e) + L" names a picture that is not there");
        }
        if (nameBytes == 0 || nameBytes > MaxNameBytes || displayBytes > MaxNameBytes) {
            return Refused(L"entry " + std::to_wstring(e) + L" has a name of a length no entry has");
        }
        std::string_view name;
        std::string_view displayName;
        if (!reader.Take(nameBytes, name) || !reader.Take(displayBytes, displayName)) {
            return Refused(L"entry " + std::to_wstring(e) + L" is cut short");
        }
        if (!ReadName(name, entry.fileName) || !ReadName(displayName, entry.displayName)) {
            return Refused(L"entry " + std::to_wstring(e) + L" has a name that is not UTF-8");
        }
        if (wanted && !wanted(entry.fileName)) {
            continue;
        }
        if (entry.picture != NoPicture) {
            pictureKept[entry.picture] = true;
        }
        result.contents.entries.push_back(std::move(entry));
    }
    result.contents.pictures.resize(pictureCount);
    for (std::size_t p = 0; p < pictureCount; ++p) {
        if (!pictureKept[p]) {
            continue;
        }
        const char* pixels = pictures.data() + p * pictureBytes;
        Picture& picture = result.contents.pictures[p];
        picture.resize(picturePixels);
        for (std::size_t i = 0; i < picturePixels; ++i) {
            picture[i] = static_cast<std::uint32_t>(GetLittleEndian(pixels + 4 * i, 4));
        }
    }
    if (reader.Left() != 0) {
        return Refused(L"bytes follow its last entry");
    }
    result.ok = true;
    return result;
}

} // namespace IconCacheFile
