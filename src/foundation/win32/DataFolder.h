#pragma once

#include "foundation/version/FileVersion.h"

#include <cstddef>
#include <string>
#include <unordered_set>

namespace Tessel::Common {

// The user's documents folder. Should the system not know it, the local application data
// folder and then the temporary folder stand in, so the program still has a place for its data.
std::wstring GetDocumentsFolder();

// documents + "\Tilebay\" + major + "." + minor: each minor version starts from a folder of its own.
std::wstring MakeDataFolderPath(const std::wstring& documentsFolder, const FileVersion& version);

// Joins a folder and a name with exactly one "\" between them.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);

// The full path of the running executable.
std::wstring GetProgramFilePath();

// The version of the running executable; all zero when it carries no version resource.
FileVersion ReadProgramFileVersion();

// The per-user data folder of this program version (not created here).
std::wstring GetDataFolderPath();

// True when a file or a folder of that name exists.
bool PathExists(const std::wstring& path);
bool FileExists(const std::wstring& path);
bool DirectoryExists(const std::wstring& path);

// Tells whether files of a folder exist, for many names at once: the folder is listed once (one
// system call per batch of names instead of one per name), and a name the listing did not show
// is checked on its own, so other spellings (letter case, short names) and files made since the
// listing still count. The listing stops after maxListed entries, which bounds its cost in a
// folder of many more files than there are names to check.
class FolderFiles {
public:
    FolderFiles(std::wstring folder, std::size_t maxListed);

    // Whether name (a file name in the folder, no folder part) is a file there, not a folder.
    bool Exists(const std::wstring& name) const;

private:
    std::wstring mFolder;
    std::unordered_set<std::wstring> mListed;
};

// Creates the folder and every missing parent; true when the folder exists afterwards.
bool ForceDirectories(const std::wstring& path);

} // namespace Tessel::Common
