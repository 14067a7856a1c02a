#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The file operations that snapshots, export and import need, behind one interface: the program
// passes the real file system, tests a folder tree in memory (where a kill between two calls is
// simply a test that stops calling). Paths are joined with "\".
class IFileStore {
public:
    struct Entry {
        std::wstring name;
        bool isFolder = false;
        std::uint64_t size = 0;
    };

    virtual ~IFileStore() = default;

    // The files and folders directly in folder; empty when it is missing.
    virtual std::vector<Entry> List(const std::wstring& folder) = 0;
    virtual bool IsFile(const std::wstring& path) = 0;
    virtual bool IsFolder(const std::wstring& path) = 0;
    // The whole file; false when it is missing, unreadable or larger than maxSize.
    virtual bool Read(const std::wstring& path, std::uint64_t maxSize, std::string& bytes) = 0;
    // Creates or replaces the file so that it holds either its old or its new bytes at every moment.
    virtual bool Write(const std::wstring& path, std::string_view bytes) = 0;
    virtual bool Remove(const std::wstring& path) = 0;
    // Creates the folder and its missing parents; true when it exists afterwards.
    virtual bool MakeFolder(const std::wstring& path) = 0;
    // Renames a folder in one step; fails when target exists.
    virtual bool RenameFolder(const std::wstring& from, const std::wstring& to) = 0;
    // Removes a folder with everything in it; true when it is gone.
    virtual bool RemoveTree(const std::wstring& path) = 0;
    // The text of a group store's bytes (the system's code page, or UTF-8/UTF-16 by their mark).
    virtual std::wstring DecodeText(std::string_view bytes) = 0;
};

inline std::wstring JoinStorePath(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty()) {
        return name;
    }
    return folder.back() == L'\\' ? folder + name : folder + L"\\" + name;
}
