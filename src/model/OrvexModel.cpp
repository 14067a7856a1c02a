#include "model/OrvexModel.h"

#include "foundation/common/DataFolder.h"
#include "foundation/common/Exception.h"
#include "foundation/common/IniFile.h"
#include "foundation/logging/FunctionTrace.h"
#include "foundation/logging/Log.h"
#include "model/RandomBackground.h"

#include <windows.h>

#include <algorithm>
#include <string_view>
#include <unordered_map>

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

// Reads a number written as "%i" of a non-negative value, at the front of text; moves past it.
bool TakeIndex(std::wstring_view& text, std::size_t& index) {
    std::size_t digits = 0;
    while (digits < text.size() && text[digits] >= L'0' && text[digits] <= L'9')
        ++digits;
    if (digits == 0 || digits > 9 || (digits > 1 && text[0] == L'0')) {
        return false;
    }
    index = std::stoul(std::wstring(text.substr(0, digits)));
    text.remove_prefix(digits);
    return true;
}

bool TakePrefix(std::wstring_view& text, std::wstring_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const wchar_t c = text[i];
        if ((c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 0x20) : c) != prefix[i]) {
            return false;
        }
    }
    text.remove_prefix(prefix.size());
    return true;
}

// Which group and shortcut sections a store holds: the count of groups up to the last group
// section, and per group the count of shortcuts up to its last shortcut section. Entries
// beyond those read only defaults, so loading stops there.
struct StoreExtent {
    std::size_t groupsWithSection = 0;
    std::unordered_map<std::size_t, std::size_t> linksWithSection;

    explicit StoreExtent(const IniDocument& store) {
        for (const auto& name : store.SectionNames()) {
            std::wstring_view rest = name;
            std::size_t group = 0;
            std::size_t link = 0;
            if (!TakePrefix(rest, L"group-") || !TakeIndex(rest, group)) {
                continue;
            }
            if (rest.empty()) {
                groupsWithSection = std::max(groupsWithSection, group + 1);
            } else if (TakePrefix(rest, L"-link-") && TakeIndex(rest, link) && rest.empty()) {
                std::size_t& count = linksWithSection[group];
                count = std::max(count, link + 1);
            }
        }
    }

    std::size_t LinksWithSection(std::size_t group) const {
        const auto found = linksWithSection.find(group);
        return found == linksWithSection.end() ? 0 : found->second;
    }
};

// A stored name must be a plain file name inside the Data folder.
bool IsPlainFileName(const std::wstring& name) {
    return !name.empty() && name.find_first_of(L"\\/:") == std::wstring::npos && name != L"." && name != L"..";
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
    if (mDataFolder.empty()) {
        LOG_ERR("OrvexModel::Load", L"No Data folder set; no groups loaded");
        return;
    }
    IniFile file(GetStorePath());
    mStoreUnreadable = !file.Load();
    if (mStoreUnreadable) {
        KeepUnreadableStore();
    }
    const IniDocument& store = file.Document();
    const StoreExtent extent(store);

    const int groupCount = store.ReadInteger(GroupSection, L"GroupCount", 0);
    std::size_t groupsToLoad = groupCount > 0 ? static_cast<std::size_t>(groupCount) : 0;
    const std::size_t limit = std::max<std::size_t>(extent.groupsWithSection, MaxGroupsWithoutSection);
    if (groupsToLoad > limit) {
        LOG_ERR("OrvexModel::Load", L"GroupCount " << groupCount << L" but the last group section is number "
                                                   << extent.groupsWithSection << L"; only " << limit
                                                   << L" groups are created");
        groupsToLoad = limit;
    }

    for (std::size_t g = 0; g < groupsToLoad; ++g) {
        const std::wstring section = GroupSectionName(g);
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

        const int linkCount = store.ReadInteger(section, L"LinkCount", 0);
        const std::size_t linksToLoad =
            std::min(linkCount > 0 ? static_cast<std::size_t>(linkCount) : 0, extent.LinksWithSection(g));
        for (std::size_t k = 0; k < linksToLoad; ++k) {
            const std::wstring linkSection = LinkSectionName(g, k);
            const std::wstring name = store.ReadString(linkSection, L"Lnk", L"");
            if (!IsPlainFileName(name)) {
                if (!name.empty()) {
                    LOG_ERR("OrvexModel::Load", L"[" << linkSection << L"] Lnk is not a file name: " << name);
                }
                continue;
            }
            std::wstring path = Tessel::Common::JoinPath(mDataFolder, name);
            if (!Tessel::Common::FileExists(path)) {
                LOG_INF("OrvexModel::Load", L"[" << linkSection << L"] shortcut file missing, skipped: " << name);
                continue;
            }
            LinkItemModel* link = group->AppendLink(name, std::move(path));
            link->SetIsShowingToolTip(store.ReadBool(linkSection, L"IsShowingToolTip", true));
        }
        Bind(*group);
    }
    LOG_INF("OrvexModel::Load", L"Groups : " << mGroups.size());
}

bool OrvexModel::KeepUnreadableStore() {
    const std::wstring path = GetStorePath();
    if (!Tessel::Common::FileExists(path)) {
        mStoreUnreadable = false;
        return true;
    }
    for (int n = 0; n < 100; ++n) {
        const std::wstring copy = path + L".unreadable" + (n == 0 ? std::wstring() : std::to_wstring(n));
        if (CopyFileW(path.c_str(), copy.c_str(), TRUE)) {
            LOG_INF("OrvexModel::KeepUnreadableStore", L"The store could not be read; kept a copy as " << copy);
            mStoreUnreadable = false;
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    LOG_ERR("OrvexModel::KeepUnreadableStore",
            L"The store could not be read nor copied aside; it is not replaced: " << path);
    return false;
}

void OrvexModel::Save() {
    TRACE_FUNCTION("OrvexModel::Save");
    if (mDataFolder.empty()) {
        LOG_ERR("OrvexModel::Save", L"No Data folder set; nothing saved");
        return;
    }
    if (mStoreUnreadable && !KeepUnreadableStore()) {
        throw Exception(L"Unable to write to " + GetStorePath());
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
    file.Save();
    mChanged = false;
}
