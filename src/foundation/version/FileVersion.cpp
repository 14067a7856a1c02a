#include "foundation/version/FileVersion.h"

namespace Tessel::Common {

std::wstring FormatVersion(const FileVersion& v) {
    return std::to_wstring(v.major) + L"." + std::to_wstring(v.minor) + L"." + std::to_wstring(v.release) + L"." +
           std::to_wstring(v.build);
}

} // namespace Tessel::Common
