#include "model/LayoutArchive.h"

#include "foundation/archive/ZipEntryName.h"
#include "foundation/archive/ZipReader.h"
#include "foundation/ini/IniDocument.h"
#include "foundation/logging/Log.h"
#include "model/GroupStoreLayout.h"

#include <unordered_map>

namespace LayoutArchive {

using namespace Tessel::Common::Archive;

namespace {

constexpr std::uint64_t MaxStoreBytes = 32u << 20;

} // namespace

ZipLimits ImportLimits() {
    ZipLimits limits;
    limits.maxEntries = 2 * 20000 + 1;
    limits.maxEntrySize = MaxStoreBytes;
    limits.maxTotalSize = 256u << 20;
    limits.maxRatio = 200;
    return limits;
}

std::size_t ImportResult::ShortcutCount() const {
    std::size_t count = 0;
    for (const ImportedGroup& group : groups) {
        count += group.links.size();
    }
    return count;
}

ExportResult Export(IFileStore& files, const std::wstring& linksFolder, const ZipTime& time) {
    ExportResult result;
    std::string store;
    if (!files.Read(JoinStorePath(linksFolder, GroupStoreFileName), MaxStoreBytes, store)) {
        result.error = L"There are no groups to export: " + JoinStorePath(linksFolder, GroupStoreFileName) +
                       L" is missing or cannot be read";
        return result;
    }
    const StoreSummary summary = SummarizeStore(Tessel::Common::IniDocument::Parse(files.DecodeText(store)));
    std::vector<ZipEntry> entries;
    entries.push_back({StoreEntryName, store});
    for (const std::wstring& name : summary.fileNames) {
        std::string bytes;
        if (!CheckZipEntryName(name).empty()) {
            LOG_ERR("LayoutArchive::Export", L"Shortcut file name cannot be archived, left out: " << name);
            continue;
        }
        if (!files.Read(JoinStorePath(linksFolder, name), 1u << 20, bytes)) {
            LOG_INF("LayoutArchive::Export", L"Shortcut file missing or unreadable, left out: " << name);
            continue;
        }
        entries.push_back({name, std::move(bytes)});
    }
    ZipWriteResult written = WriteZip(entries, time, ImportLimits());
    if (!written.Ok()) {
        result.error = L"The archive could not be made: " + written.error;
        return result;
    }
    result.zip = std::move(written.bytes);
    result.groups = summary.groups.size();
    result.shortcuts = entries.size() - 1;
    return result;
}

ImportResult Import(std::string_view zip, IFileStore& decoder) {
    ImportResult result;
    ZipReadResult read = ReadZip(zip, ImportLimits());
    if (!read.Ok()) {
        result.error = L"The file is not an archive that can be read: " + read.error;
        return result;
    }
    for (const SkippedZipEntry& skipped : read.skipped) {
        result.skipped.push_back(L"Entry " + std::to_wstring(skipped.index) + L" \"" + skipped.name + L"\" skipped: " +
                                 skipped.reason);
    }
    std::unordered_map<std::wstring, ZipEntry*> byKey;
    const ZipEntry* store = nullptr;
    for (ZipEntry& entry : read.entries) {
        if (ZipEntryNameKey(entry.name) == ZipEntryNameKey(StoreEntryName)) {
            store = &entry;
        } else {
            byKey[ZipEntryNameKey(entry.name)] = &entry;
        }
    }
    if (store == nullptr) {
        result.error = L"The archive holds no groups.txt";
        return result;
    }
    const StoreSummary summary = SummarizeStore(Tessel::Common::IniDocument::Parse(decoder.DecodeText(store->bytes)));
    if (summary.badNames > 0) {
        result.skipped.push_back(std::to_wstring(summary.badNames) +
                                 L" entries of groups.txt name no shortcut file and were skipped");
    }
    std::unordered_map<std::wstring, bool> used;
    for (const StoreSummary::Group& group : summary.groups) {
        ImportedGroup imported;
        imported.settings = group;
        for (const StoreSummary::Link& link : group.links) {
            const auto found = byKey.find(ZipEntryNameKey(link.name));
            if (found == byKey.end()) {
                result.skipped.push_back(L"Shortcut " + link.name +
                                         L" is named by groups.txt but not in the "
                                         L"archive (or was refused); skipped");
                continue;
            }
            used[found->first] = true;
            imported.links.push_back({link.name, found->second->bytes, link.showToolTip});
        }
        result.groups.push_back(std::move(imported));
    }
    for (const auto& [key, entry] : byKey) {
        if (!used.count(key)) {
            result.skipped.push_back(L"Entry \"" + entry->name + L"\" is named by no group; skipped");
        }
    }
    return result;
}

} // namespace LayoutArchive
