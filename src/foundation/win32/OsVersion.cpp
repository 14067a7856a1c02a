#include "foundation/win32/OsVersion.h"

#include <lmcons.h>
#include <windows.h>

namespace Tessel::Common {

namespace {

OsVersion ReadOsVersion() {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    OsVersion version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (GetVersionExW(&info)) {
#pragma GCC diagnostic pop
        version.platformId = info.dwPlatformId;
        version.major = info.dwMajorVersion;
        version.minor = info.dwMinorVersion;
        version.build = info.dwBuildNumber;
        info.szCSDVersion[ARRAYSIZE(info.szCSDVersion) - 1] = L'\0';
        version.servicePack = info.szCSDVersion;
    }
    return version;
}

} // namespace

const OsVersion& GetOsVersion() {
    static const OsVersion version = ReadOsVersion();
    return version;
}

std::wstring CurrentUserName() {
    wchar_t name[UNLEN + 1] = {};
    DWORD size = ARRAYSIZE(name);
    return GetUserNameW(name, &size) ? std::wstring(name) : std::wstring();
}

} // namespace Tessel::Common
