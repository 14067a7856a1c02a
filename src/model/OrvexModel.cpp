#include "model/OrvexModel.h"

#include "foundation/lang/Exception.h"
#include "foundation/logging/Log.h"
#include "foundation/win32/AtomicFile.h"
#include "foundation/win32/DataFolder.h"
#include "foundation/win32/FunctionTrace.h"
#include "foundation/win32/IniFile.h"
#include "model/GroupStoreLayout.h"
#include "model/RandomBackground.h"

#include <windows.h>

#include <algorithm>

using Tessel::Common::IniDocument;
using Tessel::Common::IniFile;

namespace {

constexpr const wchar_t* GroupSection = L"Group";

std::wstring GroupSectionName(std::size_t group) {
    return L"Group-" + std::to_wstring(group);
}

std::wstring LinkSectionName(std::size_t group, std::size_t link) {
    return GroupSectionName(group) + L"-Link-" + std::to_wstring(link);
}

} // namespace

OrvexModel::~OrvexModel() = default;

std::wstring OrvexModel::GetStorePath() const {
    return Tessel::Common::JoinPath(mDataFolder, StoreFileName);
}

void OrvexModel::Bind(LinkGroupModel& group) {
    group.GetSettings().OnChanged = [this] { SetChanged(); };
    group.OnLinksChanged = [this] { SetChanged(); };
}

LinkGroupModel* OrvexModel::AppendGroup() {
    mGroups.push_back(std::make_unique<LinkGroupModel>());
    return mGroups.back().get();
}

LinkGroupModel* OrvexModel::AddGroup(int x, int y) {
    LinkGroupModel* group = AppendGroup();
    LinkGroupSettings& settings = group->GetSettings();
    settings.SetX(x);
    settings.SetY(y);
    settings.SetBackgroundIndex(RandomBackgroundIndex());
    Bind(*group);
    return group;
}

void OrvexModel::RemoveGroup(LinkGroupModel* group) {
    const auto found =
        std::find_if(mGroups.begin(), mGroups.end(), [group](const auto& each) { return each.get() == group; });
    if (found == mGroups.end()) {
        return;
    }
    mGroups.erase(found);
    // Marked first, so that a save that fails leaves the removal for the save timer.
    SetChanged();
    Save();
}

void OrvexModel::MoveGroupToEnd(LinkGroupModel* group) {
    if (mGroups.empty() || mGroups.back().get() == group) {
        return;
    }
    const auto found =
        std::find_if(mGroups.begin(), mGroups.end() - 1, [group](const auto& each) { return each.get() == group; });
    if (found == mGroups.end() - 1) {
        return;
    }
    std::rotate(found, found + 1, mGroups.end());
    SetChanged();
    Save();
}

void OrvexModel::Load() {
    TRACE_FUNCTION("OrvexModel::Load");
    mGroups.clear();
    mStoreToKeep = StoreToKeep::None;
    mPreviousStoreKept = false;
    mLoadProblem.clear();
    mListing.reset();
    if (mDataFolder.empty()) {
        LOG_ERR("OrvexModel::Load", L"No Data folder set; no groups loaded");
        return;
    }
    // The Data folder is listed while the store is read and parsed; a name is then looked up in
    // that listing rather than asked about one by one.
    auto files = std::make_unique<Tessel::Common::FolderFiles>(mDataFolder);
    // A save or copy cut short by a crash leaves its temporary file; the store and its copies are
    // whole either way.
    Tessel::Common::RemoveLeftoverTemporaryFiles(GetStorePath(), {L".bak", L".unreadable"});
    IniFile file(GetStorePath());
    const bool readable = file.Load();
    const IniDocument& store = file.Document();
    const GroupStoreLayout layout(store);
    // More than a few files besides the shortcuts make the listing not worth its time.
    files->LimitTo(2 * layout.LinkSectionCount() + 64);

    const int groupCount = store.ReadInteger(GroupSection, L"GroupCount", 0);
    std::vector<std::size_t> groups = layout.Groups(groupCount, MaxGroupsWithoutSection);
    if (groupCount > 0 && groups.size() < static_cast<std::size_t>(groupCount)) {
        LOG_ERR("OrvexModel::Load", L"GroupCount " << groupCount << L" but only " << groups.size()
                                                   << L" groups are created: groups without a section of their own "
                                                   << L"are limited to " << MaxGroupsWithoutSection);
    }
    const std::size_t groupsInStore = groups.size();
    if (groups.size() > MaxGroups) {
        groups.resize(MaxGroups);
    }

    // The shortcuts join their groups while the folder is still being listed; those whose file
    // the listing then does not find leave them again.
    struct Placed {
        LinkGroupModel* group;
        int index;
        std::size_t g;
        std::size_t k;
    };
    std::vector<Placed> placed;
    placed.reserve(layout.LinkSectionCount());
    for (const std::size_t g : groups) {
        // The sections as the layout found them: no section name is made or looked up again.
        const IniDocument::SectionId section = layout.GroupSection(g);
        LinkGroupModel* group = AppendGroup();
        LinkGroupSettings& settings = group->GetSettings();
        settings.SetX(store.ReadInteger(section, L"X", 0));
        settings.SetY(store.ReadInteger(section, L"Y", 0));
        settings.SetColumn(store.ReadInteger(section, L"Column", 0));
        settings.SetIsLargeIcon(store.ReadBool(section, L"IsLargeIcon", true));
        settings.SetIsTitleVisible(store.ReadBool(section, L"IsTitleVisible", false));
        int background = 0;
        settings.SetBackgroundIndex(
            store.TryReadInteger(section, L"BackgroundIndex", background) ? background : RandomBackgroundIndex());

        for (const auto& [k, linkSection] : layout.LinkSections(g, store.ReadInteger(section, L"LinkCount", 0))) {
            std::wstring name = store.ReadString(linkSection, L"Lnk", L"");
            if (!IsShortcutFileName(name)) {
                if (!name.empty()) {
                    LOG_ERR("OrvexModel::Load",
                            L"[" << LinkSectionName(g, k) << L"] Lnk is not a shortcut file name: " << name);
                }
                continue;
            }
            placed.push_back(Placed{group, static_cast<int>(group->GetLinks().size()), g, k});
            std::wstring path = Tessel::Common::JoinPath(mDataFolder, name);
            group->AppendLink(std::move(name), std::move(path))
                ->SetIsShowingToolTip(store.ReadBool(linkSection, L"IsShowingToolTip", true));
        }
    }
    std::vector<const Placed*> missing;
    for (const Placed& link : placed) {
        const std::wstring& name = link.group->GetLinks()[static_cast<std::size_t>(link.index)]->FileName();
        if (!files->Exists(name)) {
            LOG_INF("OrvexModel::Load",
                    L"[" << LinkSectionName(link.g, link.k) << L"] shortcut file missing, skipped: " << name);
            missing.push_back(&link);
        }
    }
    // Last first, so that the places of those still to go stay as they were.
    for (auto gone = missing.rbegin(); gone != missing.rend(); ++gone) {
        (*gone)->group->DeleteLink((*gone)->index);
    }
    for (const auto& group : mGroups) {
        Bind(*group);
    }
    mListing = std::move(files);

    // What a save would replace without anything to show for it is kept as a copy first. A store
    // that says it has no groups and holds no group section is simply empty.
    const bool saysEmpty =
        store.ValueExists(GroupSection, L"GroupCount") && groupCount <= 0 && !layout.HasGroupSections();
    if (!readable) {
        mStoreToKeep = StoreToKeep::Unreadable;
        mLoadProblem = L"Unable to read " + GetStorePath();
        LOG_ERR("OrvexModel::Load", L"The store could not be read; no groups loaded. It is copied aside before "
                                    L"any save replaces it: "
                                        << GetStorePath());
    } else if (groupsInStore > MaxGroups) {
        mStoreToKeep = StoreToKeep::TooManyGroups;
        mLoadProblem =
            L"Only the first " + std::to_wstring(MaxGroups) + L" groups could be read from " + GetStorePath();
        LOG_ERR("OrvexModel::Load", L"The store holds " << groupsInStore << L" groups; only the first " << MaxGroups
                                                        << L" are loaded. It is copied aside before any save "
                                                           L"replaces it: "
                                                        << GetStorePath());
    } else if (mGroups.empty() && file.BytesRead() > 0 && !saysEmpty) {
        mStoreToKeep = StoreToKeep::NoGroups;
        mLoadProblem = L"No groups could be read from " + GetStorePath();
        LOG_ERR("OrvexModel::Load", L"The store holds " << file.BytesRead()
                                                        << L" bytes but no groups. It is copied aside before any save "
                                                           L"replaces it: "
                                                        << GetStorePath());
    }
    LOG_INF("OrvexModel::Load", L"Groups : " << mGroups.size());
}

bool OrvexModel::KeepStoreToReplace() {
    const std::wstring path = GetStorePath();
    std::wstring copy;
    if (mStoreToKeep != StoreToKeep::None) {
        if (!Tessel::Common::KeepCopyBeside(path, L".unreadable", copy)) {
            LOG_ERR("OrvexModel::KeepStoreToReplace",
                    L"The store that was not wholly loaded could not be copied aside; it is not replaced: " << path);
            return false;
        }
        if (!copy.empty()) {
            LOG_INF("OrvexModel::KeepStoreToReplace", L"The store that was not wholly loaded is kept as " << copy);
        }
        mStoreToKeep = StoreToKeep::None;
    }
    if (!mPreviousStoreKept) {
        // One generation: the store as this run found it, so that a user can go back one run. The
        // store is not replaced before that copy exists.
        const std::wstring backup = path + L".bak";
        if (Tessel::Common::FileExists(path)) {
            DWORD error = ERROR_SUCCESS;
            if (!Tessel::Common::CopyFileAtomically(path, backup, true, &error)) {
                LOG_ERR("OrvexModel::KeepStoreToReplace",
                        L"The store as it was before this run's first change could not be kept as "
                            << backup << L" (error " << error << L"); the store is not replaced until it can be");
                return false;
            }
            LOG_INF("OrvexModel::KeepStoreToReplace",
                    L"The store as it was before this run's first change is kept as " << backup);
        }
        mPreviousStoreKept = true;
    }
    return true;
}

void OrvexModel::Save() {
    TRACE_FUNCTION("OrvexModel::Save");
    if (mDataFolder.empty()) {
        LOG_ERR("OrvexModel::Save", L"No Data folder set; nothing saved");
        return;
    }
    IniFile file(GetStorePath());
    IniDocument& store = file.Document();
    store.WriteInteger(GroupSection, L"GroupCount", static_cast<int>(mGroups.size()));
    for (std::size_t g = 0; g < mGroups.size(); ++g) {
        const LinkGroupModel& group = *mGroups[g];
        const LinkGroupSettings& settings = group.GetSettings();
        const std::wstring section = GroupSectionName(g);
        store.WriteInteger(section, L"X", settings.X());
        store.WriteInteger(section, L"Y", settings.Y());
        store.WriteInteger(section, L"Column", settings.Column());
        store.WriteBool(section, L"IsLargeIcon", settings.IsLargeIcon());
        store.WriteBool(section, L"IsTitleVisible", settings.IsTitleVisible());
        store.WriteInteger(section, L"BackgroundIndex", settings.BackgroundIndex());
        store.WriteInteger(section, L"LinkCount", static_cast<int>(group.GetLinks().size()));
        for (std::size_t k = 0; k < group.GetLinks().size(); ++k) {
            const LinkItemModel& link = *group.GetLinks()[k];
            const std::wstring linkSection = LinkSectionName(g, k);
            store.WriteString(linkSection, L"Lnk", link.FileName());
            store.WriteBool(linkSection, L"IsShowingToolTip", link.IsShowingToolTip());
        }
    }
    if (file.IsSavedAsIs()) {
        // The file holds this already: it and its backup stay as they are.
        mChanged = false;
        return;
    }
    if (BeforeStoreChange) {
        BeforeStoreChange();
    }
    if (!KeepStoreToReplace()) {
        throw Exception(L"Unable to write to " + GetStorePath());
    }
    file.Save();
    mChanged = false;
}
