#pragma once

#include "foundation/time/IDateTime.h"
#include "model/LayoutArchive.h"
#include "model/LayoutImport.h"
#include "model/LayoutSnapshots.h"
#include "model/WindowsFileStore.h"
#include "views/GroupGeometry.h"

#include <memory>
#include <string>
#include <vector>

class OrvexModel;

// The layout's snapshots, export and import on the real file system, for the panel and for the
// command line alike.
class LayoutKeeper {
public:
    // dataFolder holds "Settings.ini", "Data" and "Snapshots". Removes snapshots a kill cut short.
    void SetDataFolder(const std::wstring& dataFolder);

    // Keeps today's snapshot before the first change of the day; see LayoutSnapshots.
    void KeepBeforeChange(bool storeIsSound);
    std::vector<LayoutSnapshots::Info> Snapshots();
    LayoutSnapshots::RestoreResult Restore(const std::wstring& name);

    // Writes the layout in the Data folder as it is on disk to a zip file; the reason on failure,
    // else empty.
    std::wstring Export(const std::wstring& zipPath);
    // Reads a zip file's groups; every entry left out is logged.
    LayoutArchive::ImportResult Read(const std::wstring& zipPath);
    // Adds the groups read to the model, placed in area (design units) where they cover none of
    // its groups when possible; the state before is kept as today's snapshot first.
    // Where the model's groups stand, in stored units, as placing new groups beside them needs.
    static std::vector<GroupGeometry::Rect> GroupBounds(const OrvexModel& model);
    LayoutImportOutcome AddTo(OrvexModel& model, const LayoutArchive::ImportResult& import, GroupGeometry::Rect area,
                              bool storeIsSound);

    // "2026-12-09" or "2026-12-09 14:03:05" for a snapshot's folder name.
    static std::wstring DisplayName(const std::wstring& snapshotName);

private:
    WindowsFileStore mFiles;
    Tessel::Common::DateTime mClock;
    std::unique_ptr<LayoutSnapshots> mSnapshots;
};
