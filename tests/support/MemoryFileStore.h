#pragma once

#include "model/IFileStore.h"

#include <cstddef>
#include <map>
#include <set>
#include <string>

namespace TestSupport {

// A folder tree in memory for the file operations of snapshots, export and import. Names
// compare exactly; failWritesAfter makes every write after that many fail, as a full disk does.
class MemoryFileStore : public IFileStore {
public:
    std::map<std::wstring, std::string> files;
    std::set<std::wstring> folders;
    long failWritesAfter = -1;
    long writes = 0;

    std::vector<Entry> List(const std::wstring& folder) override {
        std::vector<Entry> entries;
        const std::wstring prefix = folder + L"\\";
        for (const auto& [path, bytes] : files) {
            if (Child(path, prefix)) {
                entries.push_back({path.substr(prefix.size()), false, bytes.size()});
            }
        }
        for (const std::wstring& path : folders) {
            if (Child(path, prefix)) {
                entries.push_back({path.substr(prefix.size()), true, 0});
            }
        }
        return entries;
    }
    bool IsFile(const std::wstring& path) override { return files.count(path) != 0; }
    bool IsFolder(const std::wstring& path) override { return folders.count(path) != 0; }
    bool Read(const std::wstring& path, std::uint64_t maxSize, std::string& bytes) override {
        const auto it = files.find(path);
        if (it == files.end() || it->second.size() > maxSize) {
            return false;
        }
        bytes = it->second;
        return true;
    }
    bool Write(const std::wstring& path, std::string_view bytes) override {
        if (failWritesAfter >= 0 && writes >= failWritesAfter) {
            return false;
        }
        const std::size_t slash = path.rfind(L'\\');
        if (slash != std::wstring::npos && !IsFolder(path.substr(0, slash))) {
            return false;
        }
        ++writes;
        files[path] = std::string(bytes);
        return true;
    }
    bool Remove(const std::wstring& path) override { return files.erase(path) != 0; }
    bool MakeFolder(const std::wstring& path) override {
        std::size_t at = 0;
        while ((at = path.find(L'\\', at + 1)) != std::wstring::npos) {
            folders.insert(path.substr(0, at));
        }
        folders.insert(path);
        return true;
    }
    bool RenameFolder(const std::wstring& from, const std::wstring& to) override {
        if (!IsFolder(from) || IsFolder(to) || IsFile(to)) {
            return false;
        }
        std::map<std::wstring, std::string> moved;
        for (auto it = files.begin(); it != files.end();) {
            if (Below(it->first, from)) {
                moved[to + it->first.substr(from.size())] = std::move(it->second);
                it = files.erase(it);
            } else {
                ++it;
            }
        }
        files.insert(moved.begin(), moved.end());
        std::set<std::wstring> keep;
        for (const std::wstring& folder : folders) {
            keep.insert(folder == from || Below(folder, from) ? to + folder.substr(from.size()) : folder);
        }
        folders = keep;
        return true;
    }
    bool RemoveTree(const std::wstring& path) override {
        std::erase_if(files, [&](const auto& file) { return Below(file.first, path); });
        std::erase_if(folders, [&](const std::wstring& folder) { return folder == path || Below(folder, path); });
        return true;
    }
    std::wstring DecodeText(std::string_view bytes) override { return std::wstring(bytes.begin(), bytes.end()); }

    // Bytes of every file below folder.
    std::size_t BytesBelow(const std::wstring& folder) const {
        std::size_t total = 0;
        for (const auto& [path, bytes] : files) {
            total += Below(path, folder) ? bytes.size() : 0;
        }
        return total;
    }

private:
    static bool Below(const std::wstring& path, const std::wstring& folder) {
        return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
               path[folder.size()] == L'\\';
    }
    static bool Child(const std::wstring& path, const std::wstring& prefix) {
        return path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0 &&
               path.find(L'\\', prefix.size()) == std::wstring::npos;
    }
};

} // namespace TestSupport
