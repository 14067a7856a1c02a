#pragma once

#include "foundation/version/FileVersion.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

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

// Tells whether files of a folder exist and what size and last-write time they have, for many
// names at once. The folder is listed once, on a thread of its own from construction on, so that
// the caller can read and parse while the system lists; the first question waits for the listing.
// A name the listing did not show is checked on its own, so other spellings (letter case, short
// names) and files made since the listing still count. LimitTo stops the listing after that many
// entries, which bounds its cost in a folder of many more files than there are names to check.
class FolderFiles {
public:
    struct Stamp {
        std::uint64_t size = 0;
        std::uint64_t writeTime = 0;
    };

    explicit FolderFiles(std::wstring folder);
    ~FolderFiles();
    FolderFiles(const FolderFiles&) = delete;
    FolderFiles& operator=(const FolderFiles&) = delete;

    // Lists no more than maxListed entries (all of them until called).
    void LimitTo(std::size_t maxListed);

    // Whether name (a file name in the folder, no folder part) is a file there, not a folder.
    bool Exists(std::wstring_view name) const;
    // The size and last-write time the listing showed for the file name; false when it did not
    // show that name.
    bool ListedStamp(std::wstring_view name, Stamp& stamp) const;

private:
    struct Listed {
        std::size_t nameStart;
        std::size_t nameLength;
        Stamp stamp;
    };

    void List();
    void Wait() const;
    const Listed* Find(std::wstring_view name) const;

    std::wstring mFolder;
    std::atomic<std::size_t> mLimit{SIZE_MAX};
    // Written by the listing only, read after Wait.
    std::wstring mNames;
    std::vector<Listed> mListed;
    // Open addressing over mListed: index + 1, 0 for a free slot.
    std::vector<std::uint32_t> mIndex;
    mutable std::thread mLister;
    mutable std::once_flag mWaited;
};

// Creates the folder and every missing parent; true when the folder exists afterwards.
bool ForceDirectories(const std::wstring& path);

} // namespace Tessel::Common
