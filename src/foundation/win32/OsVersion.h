#pragma once

#include <cstdint>
#include <string>

namespace Tessel::Common {

// The running system's version, read once on first use and kept for the whole run.
struct OsVersion {
    std::uint32_t platformId = 0;
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
    std::wstring servicePack;
};

const OsVersion& GetOsVersion();

// The logon name of the user running the program; empty when the system does not tell.
std::wstring CurrentUserName();

} // namespace Tessel::Common
