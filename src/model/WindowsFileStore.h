#pragma once

#include "model/IFileStore.h"

// The file operations of IFileStore on the real file system. Writes replace a file atomically.
class WindowsFileStore : public IFileStore {
public:
    std::vector<Entry> List(const std::wstring& folder) override;
    bool IsFile(const std::wstring& path) override;
    bool IsFolder(const std::wstring& path) override;
    bool Read(const std::wstring& path, std::uint64_t maxSize, std::string& bytes) override;
    bool Write(const std::wstring& path, std::string_view bytes) override;
    bool Remove(const std::wstring& path) override;
    bool MakeFolder(const std::wstring& path) override;
    bool RenameFolder(const std::wstring& from, const std::wstring& to) override;
    bool RemoveTree(const std::wstring& path) override;
    std::wstring DecodeText(std::string_view bytes) override;
};
