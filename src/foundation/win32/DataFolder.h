#pragma once

#include "foundation/version/FileVersion.h"

#include <string>

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

// Creates the folder and every missing parent; true when the folder exists afterwards.
bool ForceDirectories(const std::wstring& path);

} // namespace Tessel::Common
