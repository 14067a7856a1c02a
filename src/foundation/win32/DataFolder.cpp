#include "foundation/win32/DataFolder.h"

#include "foundation/win32/UniqueHandle.h"
#include "foundation/win32/WindowsFileVersionInfoReader.h"

#include <shlobj.h>
#include <windows.h>

#include <system_error>
#include <utility>

namespace Tessel::Common {

namespace {

std::wstring SpecialFolder(int csidl) {
    wchar_t buffer[MAX_PATH] = {};
    if (SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE) && buffer[0] != L'\0') {
        return buffer;
    }
    return {};
}

bool IsDelimiter(wchar_t c) {
    return c == L'\\' || c == L'/';
}

} // namespace

std::wstring GetDocumentsFolder() {
    std::wstring folder = SpecialFolder(CSIDL_PERSONAL);
    if (folder.empty()) {
        folder = SpecialFolder(CSIDL_LOCAL_APPDATA);
    }
    if (folder.empty()) {
        wchar_t buffer[MAX_PATH + 1] = {};
        const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
        if (length > 0 && length <= MAX_PATH) {
            folder.assign(buffer, length);
            while (folder.size() > 3 && IsDelimiter(folder.back())) {
                folder.pop_back();
            }
        }
    }
    return folder;
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty()) {
        return name;
    }
    if (IsDelimiter(folder.back())) {
        return folder + name;
    }
    return folder + L"\\" + name;
}

std::wstring MakeDataFolderPath(const std::wstring& documentsFolder, const FileVersion& version) {
    return JoinPath(JoinPath(documentsFolder, L"Tilebay"),
                    std::to_wstring(version.major) + L"." + std::to_wstring(version.minor));
}

std::wstring GetProgramFilePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

FileVersion ReadProgramFileVersion() {
    FileVersion version;
    WindowsFileVersionInfoReader reader;
    reader.ReadVersion(GetProgramFilePath(), version);
    return version;
}

std::wstring GetDataFolderPath() {
    return MakeDataFolderPath(GetDocumentsFolder(), ReadProgramFileVersion());
}

bool PathExists(const std::wstring& path) {
    return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

FolderFiles::FolderFiles(std::wstring folder) : mFolder(std::move(folder)) {
    if (mFolder.empty()) {
        return;
    }
    try {
        mLister = std::thread([this] { List(); });
    } catch (const std::system_error&) {
        // No thread to spare: every name is then checked on its own.
    }
}

FolderFiles::~FolderFiles() {
    mLimit = 0;
    Wait();
}

void FolderFiles::LimitTo(std::size_t maxListed) {
    mLimit = maxListed;
}

namespace {

std::size_t HashName(std::wstring_view name) {
    std::size_t hash = 14695981039346656037ull;
    for (const wchar_t c : name) {
        hash = (hash ^ static_cast<std::size_t>(c)) * 1099511628211ull;
    }
    return hash;
}

std::uint64_t FileTimeValue(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

} // namespace

void FolderFiles::List() {
    WIN32_FIND_DATAW found{};
    const UniqueFindHandle search(FindFirstFileExW(JoinPath(mFolder, L"*").c_str(), FindExInfoBasic, &found,
                                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!search) {
        return;
    }
    std::size_t listed = 0;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            const std::wstring_view name = found.cFileName;
            mListed.push_back(Listed{mNames.size(), name.size(),
                                     Stamp{(static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow,
                                           FileTimeValue(found.ftLastWriteTime)}});
            mNames.append(name);
        }
    } while (++listed < mLimit.load(std::memory_order_relaxed) && FindNextFileW(search.Get(), &found));

    // A table at most half full, so that a look-up probes a slot or two.
    std::size_t slots = 16;
    while (slots < 2 * mListed.size()) {
        slots *= 2;
    }
    mIndex.assign(slots, 0);
    for (std::size_t i = 0; i < mListed.size(); ++i) {
        const std::wstring_view name(mNames.data() + mListed[i].nameStart, mListed[i].nameLength);
        std::size_t slot = HashName(name) & (slots - 1);
        while (mIndex[slot] != 0) {
            slot = (slot + 1) & (slots - 1);
        }
        mIndex[slot] = static_cast<std::uint32_t>(i + 1);
    }
}

void FolderFiles::Wait() const {
    std::call_once(mWaited, [this] {
        if (mLister.joinable()) {
            mLister.join();
        }
    });
}

const FolderFiles::Listed* FolderFiles::Find(std::wstring_view name) const {
    Wait();
    if (mIndex.empty()) {
        return nullptr;
    }
    const std::size_t mask = mIndex.size() - 1;
    for (std::size_t slot = HashName(name) & mask; mIndex[slot] != 0; slot = (slot + 1) & mask) {
        const Listed& listed = mListed[mIndex[slot] - 1];
        if (std::wstring_view(mNames.data() + listed.nameStart, listed.nameLength) == name) {
            return &listed;
        }
    }
    return nullptr;
}

bool FolderFiles::Exists(std::wstring_view name) const {
    return Find(name) != nullptr || FileExists(JoinPath(mFolder, std::wstring(name)));
}

bool FolderFiles::ListedStamp(std::wstring_view name, Stamp& stamp) const {
    const Listed* listed = Find(name);
    if (listed == nullptr) {
        return false;
    }
    stamp = listed->stamp;
    return true;
}

bool DirectoryExists(const std::wstring& path) {
    const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool ForceDirectories(const std::wstring& path) {
    std::wstring folder = path;
    while (folder.size() > 3 && IsDelimiter(folder.back())) {
        folder.pop_back();
    }
    if (folder.empty()) {
        return false;
    }
    if (DirectoryExists(folder)) {
        return true;
    }
    const std::size_t split = folder.find_last_of(L"\\/");
    if (split != std::wstring::npos && split > 0) {
        const std::wstring parent = folder.substr(0, split);
        // "C:" and "\\server\share" are roots: they exist or they don't, nothing to create.
        if (!(parent.size() == 2 && parent[1] == L':') && !DirectoryExists(parent)) {
            ForceDirectories(parent);
        }
    }
    return CreateDirectoryW(folder.c_str(), nullptr) || DirectoryExists(folder);
}

} // namespace Tessel::Common
