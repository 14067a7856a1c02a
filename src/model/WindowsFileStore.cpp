#include "model/WindowsFileStore.h"

#include "foundation/logging/Log.h"
#include "foundation/win32/AtomicFile.h"
#include "foundation/win32/DataFolder.h"
#include "foundation/win32/IniFile.h"
#include "foundation/win32/UniqueHandle.h"

#include <windows.h>

#include <algorithm>

using namespace Tessel::Common;

std::vector<IFileStore::Entry> WindowsFileStore::List(const std::wstring& folder) {
    std::vector<Entry> entries;
    WIN32_FIND_DATAW found{};
    const UniqueFindHandle search(FindFirstFileW(JoinPath(folder, L"*").c_str(), &found));
    if (!search) {
        return entries;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entries.push_back(
            {name, isFolder,
             isFolder ? 0 : (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow});
    } while (FindNextFileW(search.Get(), &found));
    return entries;
}

bool WindowsFileStore::IsFile(const std::wstring& path) {
    return FileExists(path);
}

bool WindowsFileStore::IsFolder(const std::wstring& path) {
    return DirectoryExists(path);
}

bool WindowsFileStore::Read(const std::wstring& path, std::uint64_t maxSize, std::string& bytes) {
    DWORD error = 0;
    const UniqueFileHandle file = OpenFileForReading(path, error);
    if (!file) {
        return false;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 || static_cast<std::uint64_t>(size.QuadPart) > maxSize) {
        return false;
    }
    bytes.assign(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        if (!ReadFile(file.Get(), bytes.data() + done, want, &read, nullptr) || read == 0) {
            bytes.clear();
            return false;
        }
        done += read;
    }
    return true;
}

bool WindowsFileStore::Write(const std::wstring& path, std::string_view bytes) {
    return ReplaceFileAtomically(path, bytes);
}

bool WindowsFileStore::Remove(const std::wstring& path) {
    return DeleteFileW(path.c_str()) != FALSE;
}

bool WindowsFileStore::MakeFolder(const std::wstring& path) {
    return ForceDirectories(path);
}

bool WindowsFileStore::RenameFolder(const std::wstring& from, const std::wstring& to) {
    return MoveFileExW(from.c_str(), to.c_str(), 0) != FALSE;
}

bool WindowsFileStore::RemoveTree(const std::wstring& path) {
    for (const Entry& entry : List(path)) {
        const std::wstring child = JoinPath(path, entry.name);
        if (entry.isFolder) {
            // A link to a folder elsewhere goes, never what it points at.
            if ((GetFileAttributesW(child.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
                RemoveDirectoryW(child.c_str());
                continue;
            }
            RemoveTree(child);
        } else {
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(child.c_str());
        }
    }
    RemoveDirectoryW(path.c_str());
    return !PathExists(path);
}

std::wstring WindowsFileStore::DecodeText(std::string_view bytes) {
    return IniFile::Decode(bytes);
}
