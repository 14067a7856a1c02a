#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace Tessel::Common {

// Replaces the content of the file at path by bytes so that the file holds, at every moment
// and after a crash at any moment, either its whole old content or its whole new content.
// The bytes go to path + ".tmp" in the same folder first, are flushed to disk, and that file
// then takes the place of the old one in a single rename. A rename refused because another
// program holds the file for a moment (an indexer, a virus scanner) is tried again for about a
// second. On failure the old file is untouched, the temporary file is gone, the log says which
// step failed, and error (when given) receives the system's error code.
[[nodiscard]] bool ReplaceFileAtomically(const std::wstring& path, std::string_view bytes, DWORD* error = nullptr);

} // namespace Tessel::Common
