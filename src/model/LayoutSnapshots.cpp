#include "model/LayoutSnapshots.h"

#include "foundation/logging/Log.h"
#include "foundation/time/IDateTime.h"
#include "model/GroupStoreLayout.h"
#include "model/StoreSummary.h"

#include <algorithm>
#include <cwctype>
#include <map>
#include <set>
#include <unordered_set>

namespace {

constexpr const wchar_t* SettingsFileName = L"Settings.ini";

bool AllDigits(const std::wstring& text, std::size_t from, std::size_t count) {
    if (from + count > text.size()) {
        return false;
    }
    for (std::size_t i = from; i < from + count; ++i) {
        if (text[i] < L'0' || text[i] > L'9') {
            return false;
        }
    }
    return true;
}

std::wstring DayOf(const std::wstring& name) {
    return name.substr(0, 10);
}

} // namespace

LayoutSnapshots::LayoutSnapshots(IFileStore& files, Tessel::Common::IDateTime& clock, std::wstring dataFolder)
    : mFiles(files), mClock(clock), mDataFolder(std::move(dataFolder)) {}

std::wstring LayoutSnapshots::Folder() const {
    return JoinStorePath(mDataFolder, FolderName);
}

std::wstring LayoutSnapshots::LinksFolder() const {
    return JoinStorePath(mDataFolder, L"Data");
}

bool LayoutSnapshots::IsSnapshotName(const std::wstring& name) {
    // yyyy-MM-dd
    if (name.size() < 10 || !AllDigits(name, 0, 4) || name[4] != L'-' || !AllDigits(name, 5, 2) || name[7] != L'-' ||
        !AllDigits(name, 8, 2)) {
        return false;
    }
    std::size_t at = 10;
    if (at < name.size() && name[at] == L'-') {
        if (!AllDigits(name, at + 1, 6)) {
            return false;
        }
        at += 7;
    }
    if (at < name.size() && name[at] == L'_') {
        const std::size_t digits = name.size() - at - 1;
        if (digits == 0 || digits > 4 || !AllDigits(name, at + 1, digits)) {
            return false;
        }
        at = name.size();
    }
    return at == name.size();
}

std::wstring LayoutSnapshots::Today() {
    return mClock.Format(mClock.Now(), L"%Y-%m-%d");
}

std::size_t LayoutSnapshots::RemoveUnfinished() {
    std::size_t removed = 0;
    const std::wstring suffix = UnfinishedSuffix;
    for (const IFileStore::Entry& entry : mFiles.List(Folder())) {
        if (!entry.isFolder || entry.name.size() <= suffix.size() ||
            entry.name.compare(entry.name.size() - suffix.size(), suffix.size(), suffix) != 0) {
            continue;
        }
        const std::wstring path = JoinStorePath(Folder(), entry.name);
        if (mFiles.RemoveTree(path)) {
            ++removed;
            LOG_INF("LayoutSnapshots::RemoveUnfinished", L"Removed a snapshot that was cut short: " << path);
        } else {
            LOG_ERR("LayoutSnapshots::RemoveUnfinished",
                    L"A snapshot that was cut short could not be removed: " << path);
        }
    }
    return removed;
}

std::vector<std::wstring> LayoutSnapshots::SnapshotNames() {
    std::vector<std::wstring> names;
    for (const IFileStore::Entry& entry : mFiles.List(Folder())) {
        if (entry.isFolder && IsSnapshotName(entry.name)) {
            names.push_back(entry.name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::uint64_t LayoutSnapshots::FolderBytes(const std::wstring& folder) {
    std::uint64_t bytes = 0;
    for (const IFileStore::Entry& entry : mFiles.List(folder)) {
        bytes += entry.isFolder ? 0 : entry.size;
    }
    return bytes;
}

bool LayoutSnapshots::KeepBeforeChange(bool storeIsSound) {
    const std::wstring today = Today();
    if (today.empty() || mKeptDay == today) {
        return true;
    }
    if (mFiles.IsFolder(JoinStorePath(Folder(), today))) {
        mKeptDay = today;
        return true;
    }
    if (!storeIsSound) {
        // Keeping it could push a good day out; the store itself is copied aside by the model.
        LOG_ERR("LayoutSnapshots::KeepBeforeChange",
                L"The group store could not be read when it was loaded; it is not kept as a snapshot");
        mKeptDay = today;
        return true;
    }
    if (!mFiles.IsFile(JoinStorePath(LinksFolder(), GroupStoreFileName))) {
        LOG_INF("LayoutSnapshots::KeepBeforeChange", L"No group store yet; no snapshot to keep for " << today);
        mKeptDay = today;
        return true;
    }
    if (!Take(today)) {
        return false;
    }
    mKeptDay = today;
    return true;
}

bool LayoutSnapshots::Take(const std::wstring& name) {
    const std::wstring done = JoinStorePath(Folder(), name);
    const std::wstring partial = done + UnfinishedSuffix;
    if (mFiles.IsFolder(partial) && !mFiles.RemoveTree(partial)) {
        LOG_ERR("LayoutSnapshots::Take", L"A snapshot folder cut short could not be removed: " << partial);
        return false;
    }
    const auto fail = [&](const std::wstring& why) {
        mFiles.RemoveTree(partial);
        LOG_ERR("LayoutSnapshots::Take", L"Snapshot " << name << L" not kept: " << why);
        return false;
    };
    if (!mFiles.MakeFolder(partial)) {
        return fail(L"the folder could not be made: " + partial);
    }
    const std::wstring storePath = JoinStorePath(LinksFolder(), GroupStoreFileName);
    std::string store;
    if (!mFiles.Read(storePath, MaxFileBytes, store)) {
        return fail(L"the group store could not be read: " + storePath);
    }
    if (!mFiles.Write(JoinStorePath(partial, GroupStoreFileName), store)) {
        return fail(L"the group store could not be written");
    }
    const StoreSummary summary = SummarizeStore(Tessel::Common::IniDocument::Parse(mFiles.DecodeText(store)));
    std::size_t kept = 0;
    for (const std::wstring& file : summary.fileNames) {
        std::string bytes;
        if (!mFiles.Read(JoinStorePath(LinksFolder(), file), MaxFileBytes, bytes)) {
            // Loading skips it as well: the snapshot holds what the panel showed.
            LOG_INF("LayoutSnapshots::Take", L"Shortcut file missing or unreadable, not kept: " << file);
            continue;
        }
        if (!mFiles.Write(JoinStorePath(partial, file), bytes)) {
            return fail(L"the shortcut file could not be written: " + file);
        }
        ++kept;
    }
    const std::wstring settingsPath = JoinStorePath(mDataFolder, SettingsFileName);
    std::string settings;
    if (mFiles.IsFile(settingsPath)) {
        if (!mFiles.Read(settingsPath, MaxFileBytes, settings)) {
            return fail(L"the settings file could not be read: " + settingsPath);
        }
        if (!mFiles.Write(JoinStorePath(partial, SettingsFileName), settings)) {
            return fail(L"the settings file could not be written");
        }
    }
    if (!mFiles.RenameFolder(partial, done)) {
        return fail(L"the finished folder could not be renamed to " + done);
    }
    LOG_INF("LayoutSnapshots::Take", L"Snapshot kept: " << done << L" (" << summary.groups.size() << L" groups, "
                                                        << kept << L" shortcut files)");
    Prune(name);
    return true;
}

void LayoutSnapshots::Prune(const std::wstring& keep) {
    std::vector<std::wstring> names = SnapshotNames();
    std::set<std::wstring> days;
    for (const std::wstring& name : names) {
        days.insert(DayOf(name));
    }
    const auto drop = [&](const std::wstring& name, const std::wstring& why) {
        const std::wstring path = JoinStorePath(Folder(), name);
        if (mFiles.RemoveTree(path)) {
            LOG_INF("LayoutSnapshots::Prune", L"Snapshot dropped (" << why << L"): " << path);
            return true;
        }
        LOG_ERR("LayoutSnapshots::Prune", L"Snapshot could not be dropped (" << why << L"): " << path);
        return false;
    };
    while (days.size() > MaxDays) {
        const std::wstring oldest = *days.begin();
        days.erase(days.begin());
        for (auto it = names.begin(); it != names.end();) {
            if (DayOf(*it) == oldest && *it != keep) {
                drop(*it, L"more than " + std::to_wstring(MaxDays) + L" days");
                it = names.erase(it);
            } else {
                ++it;
            }
        }
    }
    std::map<std::wstring, std::uint64_t> sizes;
    std::uint64_t total = 0;
    for (const std::wstring& name : names) {
        sizes[name] = FolderBytes(JoinStorePath(Folder(), name));
        total += sizes[name];
    }
    for (const std::wstring& name : names) {
        if (total <= MaxTotalBytes) {
            break;
        }
        if (name == keep) {
            continue;
        }
        if (drop(name, L"all snapshots together pass " + std::to_wstring(MaxTotalBytes) + L" bytes")) {
            total -= sizes[name];
        }
    }
    if (total > MaxTotalBytes) {
        LOG_ERR("LayoutSnapshots::Prune",
                L"The newest snapshot alone holds " << total << L" bytes, more than " << MaxTotalBytes);
    }
}

std::vector<LayoutSnapshots::Info> LayoutSnapshots::List() {
    std::vector<Info> result;
    std::vector<std::wstring> names = SnapshotNames();
    std::reverse(names.begin(), names.end());
    for (const std::wstring& name : names) {
        const std::wstring folder = JoinStorePath(Folder(), name);
        Info info;
        info.name = name;
        std::unordered_set<std::wstring> present;
        for (const IFileStore::Entry& entry : mFiles.List(folder)) {
            if (!entry.isFolder) {
                info.bytes += entry.size;
                present.insert(FileNameKey(entry.name));
            }
        }
        std::string store;
        if (mFiles.Read(JoinStorePath(folder, GroupStoreFileName), MaxFileBytes, store)) {
            const StoreSummary summary = SummarizeStore(Tessel::Common::IniDocument::Parse(mFiles.DecodeText(store)));
            info.groups = summary.groups.size();
            for (const StoreSummary::Group& group : summary.groups) {
                for (const StoreSummary::Link& link : group.links) {
                    info.shortcuts += present.count(FileNameKey(link.name));
                }
            }
        }
        result.push_back(std::move(info));
    }
    return result;
}

LayoutSnapshots::RestoreResult LayoutSnapshots::Restore(const std::wstring& name) {
    RestoreResult result;
    const std::wstring folder = JoinStorePath(Folder(), name);
    const auto fail = [&](const std::wstring& why) {
        result.error = why;
        LOG_ERR("LayoutSnapshots::Restore", L"Snapshot " << name << L" not restored: " << why);
        return result;
    };
    if (!IsSnapshotName(name) || !mFiles.IsFolder(folder)) {
        return fail(L"there is no such snapshot");
    }
    // Everything is read before anything is changed.
    std::string store;
    if (!mFiles.Read(JoinStorePath(folder, GroupStoreFileName), MaxFileBytes, store)) {
        return fail(L"its group store cannot be read");
    }
    const StoreSummary summary = SummarizeStore(Tessel::Common::IniDocument::Parse(mFiles.DecodeText(store)));
    std::vector<std::pair<std::wstring, std::string>> links;
    for (const std::wstring& file : summary.fileNames) {
        std::string bytes;
        if (mFiles.Read(JoinStorePath(folder, file), MaxFileBytes, bytes)) {
            links.emplace_back(file, std::move(bytes));
        }
    }

    // The state now, so that this restore can be undone; today's name when today has none yet.
    std::string current;
    const std::wstring currentPath = JoinStorePath(LinksFolder(), GroupStoreFileName);
    const bool hasCurrent = mFiles.Read(currentPath, MaxFileBytes, current);
    std::vector<std::wstring> currentFiles;
    if (hasCurrent) {
        currentFiles = SummarizeStore(Tessel::Common::IniDocument::Parse(mFiles.DecodeText(current))).fileNames;
        const std::wstring today = Today();
        std::wstring keepAs = today;
        if (mFiles.IsFolder(JoinStorePath(Folder(), keepAs))) {
            const std::wstring timed = mClock.Format(mClock.Now(), L"%Y-%m-%d-%H%M%S");
            keepAs = timed;
            for (int n = 2; mFiles.IsFolder(JoinStorePath(Folder(), keepAs)) && n < 10000; ++n) {
                keepAs = timed + L"_" + std::to_wstring(n);
            }
        }
        if (!Take(keepAs)) {
            return fail(L"the current layout could not be kept first");
        }
        result.keptAs = keepAs;
        mKeptDay = today;
    }

    std::unordered_set<std::wstring> restored;
    for (const auto& [file, bytes] : links) {
        restored.insert(FileNameKey(file));
        const std::wstring target = JoinStorePath(LinksFolder(), file);
        std::string existing;
        if (mFiles.Read(target, MaxFileBytes, existing) && existing == bytes) {
            continue;
        }
        if (!mFiles.Write(target, bytes)) {
            return fail(L"the shortcut file could not be written: " + target);
        }
    }
    if (!mFiles.Write(currentPath, store)) {
        return fail(L"the group store could not be written: " + currentPath);
    }
    // The files only the replaced store named are in the snapshot just kept.
    for (const std::wstring& file : currentFiles) {
        if (restored.count(FileNameKey(file)) == 0 &&
            mFiles.IsFile(JoinStorePath(JoinStorePath(Folder(), result.keptAs), file))) {
            mFiles.Remove(JoinStorePath(LinksFolder(), file));
        }
    }
    LOG_INF("LayoutSnapshots::Restore", L"Snapshot " << name << L" restored: " << summary.groups.size() << L" groups, "
                                                     << links.size() << L" shortcut files");
    result.ok = true;
    return result;
}
