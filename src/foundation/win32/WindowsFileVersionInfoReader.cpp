#include "foundation/win32/WindowsFileVersionInfoReader.h"

#include <windows.h>

#include <vector>

namespace Tessel::Common {

bool WindowsFileVersionInfoReader::ReadVersion(const wchar_t* path, FileVersion& version) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0) {
        return false;
    }
    std::vector<unsigned char> buffer(size);
    if (!GetFileVersionInfoW(path, 0, size, buffer.data())) {
        return false;
    }
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    if (!VerQueryValueW(buffer.data(), L"\\", reinterpret_cast<void**>(&info), &infoSize) || info == nullptr ||
        infoSize < sizeof(VS_FIXEDFILEINFO)) {
        return false;
    }
    version.major = HIWORD(info->dwFileVersionMS);
    version.minor = LOWORD(info->dwFileVersionMS);
    version.release = HIWORD(info->dwFileVersionLS);
    version.build = LOWORD(info->dwFileVersionLS);
    return true;
}

} // namespace Tessel::Common
