#pragma once

#include <cstdint>
#include <string>

namespace Tessel::Common {

// The four numbers of a file's fixed version information.
struct FileVersion {
    std::int32_t major = 0;
    std::int32_t minor = 0;
    std::int32_t release = 0;
    std::int32_t build = 0;

    friend bool operator==(const FileVersion&, const FileVersion&) = default;
};

// "major.minor.release.build", decimal, no leading zeros: 1.0.0.17.
std::wstring FormatVersion(const FileVersion& version);

} // namespace Tessel::Common
