#pragma once

#include "foundation/win32/UniqueHandle.h"

#include <windows.h>

#include <initializer_list>
#include <string>
#include <string_view>

namespace Tessel::Common {

// Replaces the content of the file at path by bytes so that the file holds, at every moment
// and after a crash at any moment, either its whole old content or its whole new content.
// The bytes go to path + ".tmp" in the same folder first, are flushed to disk, and that file
// then takes the place of the old one in a single rename. A rename refused because another
// program holds the file for a moment (an indexer, a virus scanner) is tried again for about a
// second. A read-only file is not replaced (ERROR_ACCESS_DENIED). On failure the old file is
// untouched, the temporary file is gone, the log says which step failed, and error (when given)
// receives the system's error code.
[[nodiscard]] bool ReplaceFileAtomically(const std::wstring& path, std::string_view bytes, DWORD* error = nullptr);

// True when the file at path holds exactly bytes: a save of the same bytes would change nothing.
// False when it differs, is missing or cannot be read.
bool FileHoldsBytes(const std::wstring& path, std::string_view bytes);

// Opens a file for reading while letting others read, write and rename it. A file another
// program holds exclusively for a moment (a backup or sync tool, a virus scanner) is tried again
// for about a second. On failure error receives the system's error code.
UniqueFileHandle OpenFileForReading(const std::wstring& path, DWORD& error);

// Copies the file at source to target in the same way: the bytes go to target + ".tmp" first,
// are flushed, and only then take target's name, so a kill at any moment leaves target either
// as it was or a whole copy. With replace false an existing target is never written over (the
// call then fails with ERROR_ALREADY_EXISTS). The source is opened so that others may go on
// reading, writing and renaming it; a source held exclusively for a moment is tried again.
[[nodiscard]] bool CopyFileAtomically(const std::wstring& source, const std::wstring& target, bool replace,
                                      DWORD* error = nullptr);

// Keeps a copy of the file at path beside it, as path + suffix, or path + suffix + 1, 2, ...
// when that name is taken; an earlier copy is never written over. True when the copy was made
// (copy then holds its path) and when there is no file at path (copy then is empty).
[[nodiscard]] bool KeepCopyBeside(const std::wstring& path, const std::wstring& suffix, std::wstring& copy);

// Removes what interrupted writes left beside the file at path: path + ".tmp" and, for each
// suffix, path + suffix + ".tmp" and path + suffix + <number> + ".tmp" (the temporary files of
// ReplaceFileAtomically, CopyFileAtomically and KeepCopyBeside). The files they were to become
// are whole either way, so nothing is lost. Folders and other names are left alone. Each removal
// is logged; returns how many files were removed.
int RemoveLeftoverTemporaryFiles(const std::wstring& path, std::initializer_list<std::wstring_view> suffixes);

} // namespace Tessel::Common
