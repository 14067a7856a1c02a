#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace Tessel::Common::Archive {

// File names longer than this many UTF-16 units cannot be made on Windows.
inline constexpr std::size_t MaxZipEntryNameLength = 255;

// Empty when name may be an entry's name, else why not. An entry's name is a plain Windows file
// name that lands in the folder the archive is unpacked to and nowhere else: not empty, not
// absolute, no ".." and no folders at all, no characters that Windows file names cannot hold
// (control characters, < > : " / \ | ? *), no device name (CON, NUL, COM1 ... with or without an
// extension), no dot or space at its end, at most MaxZipEntryNameLength UTF-16 units, and valid
// UTF-16.
std::wstring CheckZipEntryName(std::wstring_view name);

// The name with its letters upper-cased (Latin, Greek and Cyrillic), so that two names that a
// Windows file system takes for the same file have the same key.
std::wstring ZipEntryNameKey(std::wstring_view name);

} // namespace Tessel::Common::Archive
