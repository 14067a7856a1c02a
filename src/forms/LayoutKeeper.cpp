#include "forms/LayoutKeeper.h"

#include "forms/ImportPlacement.h"
#include "foundation/logging/Log.h"
#include "foundation/win32/AtomicFile.h"
#include "model/OrvexModel.h"

#include <cwchar>

namespace {

// An archive larger than this holds no layout the import would take.
constexpr std::uint64_t MaxArchiveBytes = 300ull << 20;

} // namespace

void LayoutKeeper::SetDataFolder(const std::wstring& dataFolder) {
    mSnapshots = std::make_unique<LayoutSnapshots>(mFiles, mClock, dataFolder);
    mSnapshots->RemoveUnfinished();
}

void LayoutKeeper::KeepBeforeChange(bool storeIsSound) {
    if (mSnapshots) {
        mSnapshots->KeepBeforeChange(storeIsSound);
    }
}

std::vector<LayoutSnapshots::Info> LayoutKeeper::Snapshots() {
    return mSnapshots ? mSnapshots->List() : std::vector<LayoutSnapshots::Info>{};
}

LayoutSnapshots::RestoreResult LayoutKeeper::Restore(const std::wstring& name) {
    if (!mSnapshots) {
        return {false, L"", L"no data folder"};
    }
    return mSnapshots->Restore(name);
}

std::wstring LayoutKeeper::Export(const std::wstring& zipPath) {
    if (!mSnapshots) {
        return L"no data folder";
    }
    Tessel::Common::Archive::ZipTime time;
    const std::wstring now = mClock.Format(mClock.Now(), L"%Y %m %d %H %M %S");
    std::swscanf(now.c_str(), L"%d %d %d %d %d %d", &time.year, &time.month, &time.day, &time.hour, &time.minute,
                 &time.second);
    LayoutArchive::ExportResult exported = LayoutArchive::Export(mFiles, mSnapshots->LinksFolder(), time);
    if (!exported.Ok()) {
        LOG_ERR("LayoutKeeper::Export", exported.error);
        return exported.error;
    }
    DWORD error = 0;
    if (!Tessel::Common::ReplaceFileAtomically(zipPath, exported.zip, &error)) {
        const std::wstring why = L"Unable to write to " + zipPath + L" (error " + std::to_wstring(error) + L")";
        LOG_ERR("LayoutKeeper::Export", why);
        return why;
    }
    LOG_INF("LayoutKeeper::Export", L"Exported " << exported.groups << L" groups, " << exported.shortcuts
                                                 << L" shortcut files to " << zipPath << L" (" << exported.zip.size()
                                                 << L" bytes)");
    return {};
}

LayoutArchive::ImportResult LayoutKeeper::Read(const std::wstring& zipPath) {
    LayoutArchive::ImportResult result;
    std::string zip;
    if (!mFiles.Read(zipPath, MaxArchiveBytes, zip)) {
        result.error = L"Unable to read " + zipPath + L" (missing, unreadable or larger than " +
                       std::to_wstring(MaxArchiveBytes >> 20) + L" MiB)";
    } else {
        result = LayoutArchive::Import(zip, mFiles);
    }
    for (const std::wstring& line : result.skipped) {
        LOG_ERR("LayoutKeeper::Read", zipPath << L": " << line);
    }
    if (!result.Ok()) {
        LOG_ERR("LayoutKeeper::Read", zipPath << L": " << result.error);
    } else {
        LOG_INF("LayoutKeeper::Read",
                zipPath << L": " << result.groups.size() << L" groups, " << result.ShortcutCount() << L" shortcuts");
    }
    return result;
}

std::vector<GroupGeometry::Rect> LayoutKeeper::GroupBounds(const OrvexModel& model) {
    std::vector<GroupGeometry::Rect> bounds;
    for (const auto& group : model.GetGroups()) {
        const LinkGroupSettings& s = group->GetSettings();
        StoreSummary::Group g;
        g.x = s.X();
        g.y = s.Y();
        g.column = s.Column();
        g.isLargeIcon = s.IsLargeIcon();
        g.isTitleVisible = s.IsTitleVisible();
        bounds.push_back(ImportPlacement::BoundsOf(g, group->GetLinks().size()));
    }
    return bounds;
}

LayoutImportOutcome LayoutKeeper::AddTo(OrvexModel& model, const LayoutArchive::ImportResult& import,
                                        GroupGeometry::Rect area, bool storeIsSound) {
    const std::vector<GroupGeometry::Rect> existing = GroupBounds(model);
    std::vector<GroupGeometry::Rect> imported;
    for (const LayoutArchive::ImportedGroup& group : import.groups) {
        imported.push_back(ImportPlacement::BoundsOf(group.settings, group.links.size()));
    }
    const GroupGeometry::Point offset = ImportPlacement::Offset(existing, imported, area);
    KeepBeforeChange(storeIsSound);
    LOG_INF("LayoutKeeper::AddTo", L"Imported groups moved by (" << offset.x << L", " << offset.y << L")");
    return AddImportedGroups(model, import, offset.x, offset.y);
}

std::wstring LayoutKeeper::DisplayName(const std::wstring& name) {
    std::wstring shown = name.substr(0, 10);
    std::size_t at = 10;
    if (name.size() >= 17 && name[10] == L'-') {
        shown += L" " + name.substr(11, 2) + L":" + name.substr(13, 2) + L":" + name.substr(15, 2);
        at = 17;
    }
    if (at < name.size() && name[at] == L'_') {
        shown += L" (" + name.substr(at + 1) + L")";
    }
    return shown;
}
