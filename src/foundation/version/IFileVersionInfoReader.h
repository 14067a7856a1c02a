#pragma once

#include "foundation/version/FileVersion.h"

#include <string>

namespace Tessel::Common {

class IFileVersionInfoReader {
public:
    virtual ~IFileVersionInfoReader() = default;
    virtual bool ReadVersion(const std::wstring& path, FileVersion& version) {
        return ReadVersion(path.c_str(), version);
    }
    // True when the record was filled; otherwise it is left as it was.
    virtual bool ReadVersion(const wchar_t* path, FileVersion& version) = 0;
};

} // namespace Tessel::Common
