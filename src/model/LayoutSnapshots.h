#pragma once

#include "model/IFileStore.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Tessel::Common {
class IDateTime;
}

// Daily copies of the user's layout beside the Data folder, in "Snapshots\<yyyy-MM-dd>": the
// group store, every shortcut file it names and the settings file, as they were before the
// day's first change. A snapshot folder is written under a temporary name and renamed when whole,
// so it is either complete or absent; what a kill left is removed at the next start. The most
// recent days are kept within a size bound, oldest dropped first.
class LayoutSnapshots {
public:
    static constexpr std::size_t MaxDays = 30;
    static constexpr std::uint64_t MaxTotalBytes = 64ull << 20;
    // Files larger than this are no part of a layout this program wrote; such a store is not kept.
    static constexpr std::uint64_t MaxFileBytes = 64ull << 20;
    static constexpr const wchar_t* FolderName = L"Snapshots";
    static constexpr const wchar_t* UnfinishedSuffix = L".partial";

    struct Info {
        // The folder's name: the day, or the day and time of a further snapshot of that day.
        std::wstring name;
        std::size_t groups = 0;
        std::size_t shortcuts = 0;
        std::uint64_t bytes = 0;
    };

    struct RestoreResult {
        bool ok = false;
        // The snapshot that keeps the state the restore replaced.
        std::wstring keptAs;
        std::wstring error;
    };

    // dataFolder holds "Settings.ini", "Data" and "Snapshots".
    LayoutSnapshots(IFileStore& files, Tessel::Common::IDateTime& clock, std::wstring dataFolder);

    std::wstring Folder() const;
    std::wstring LinksFolder() const;

    // Removes the snapshot folders that a kill left half-written; each is logged. Returns how many.
    std::size_t RemoveUnfinished();

    // To be called before anything in the Data folder changes: keeps the state as today's
    // snapshot unless today has one. A store that could not be read (storeIsSound false) is not
    // kept. False only when a snapshot was due and could not be written.
    bool KeepBeforeChange(bool storeIsSound);

    // The kept snapshots, newest first, with their counts.
    std::vector<Info> List();

    // Replaces the store and the shortcut files by those of the snapshot, after keeping the
    // current state as a snapshot of its own (named by today, or by today and the time when
    // today has one) so that the restore can be undone. Shortcut files that only the replaced
    // store named are removed once that snapshot holds them. Nothing is changed when the
    // snapshot is unreadable or the current state could not be kept.
    RestoreResult Restore(const std::wstring& name);

    // Whether a folder name is one of a kept snapshot: "yyyy-MM-dd", optionally followed by
    // "-HHmmss" and then optionally by "_" and a number.
    static bool IsSnapshotName(const std::wstring& name);

private:
    std::wstring Today();
    // Writes the current state into Snapshots\name; false, with nothing left behind, on failure.
    bool Take(const std::wstring& name);
    // Drops snapshots of days beyond MaxDays and then the oldest while all pass MaxTotalBytes;
    // the snapshot keep is never dropped.
    void Prune(const std::wstring& keep);
    std::vector<std::wstring> SnapshotNames();
    std::uint64_t FolderBytes(const std::wstring& folder);

    IFileStore& mFiles;
    Tessel::Common::IDateTime& mClock;
    std::wstring mDataFolder;
    // The day whose snapshot this run has made sure of.
    std::wstring mKeptDay;
};
