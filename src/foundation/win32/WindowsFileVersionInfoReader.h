#pragma once

#include "foundation/version/IFileVersionInfoReader.h"

namespace Tessel::Common {

// Reads the fixed file version from a file's version resource.
class WindowsFileVersionInfoReader : public IFileVersionInfoReader {
public:
    using IFileVersionInfoReader::ReadVersion;
    bool ReadVersion(const wchar_t* path, FileVersion& version) override;
};

} // namespace Tessel::Common
