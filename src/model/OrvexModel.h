#pragma once

#include "model/LinkGroupModel.h"

#include <memory>
#include <string>
#include <vector>

// The root of the shortcut model: the ordered groups of the panel (the last one is drawn on
// top) and the changed flag that the panel's save timer reads. Changes only set the flag;
// removing a group and bringing a group to the end save at once.
//
// The group store "groups.txt" in the Data folder keeps the groups between runs:
//   [Group]           GroupCount
//   [Group-g]         X, Y, Column, IsLargeIcon, IsTitleVisible, BackgroundIndex, LinkCount
//   [Group-g-Link-k]  Lnk (the shortcut file's name in the Data folder), IsShowingToolTip
class OrvexModel {
public:
    using GroupList = std::vector<std::unique_ptr<LinkGroupModel>>;

    static constexpr const wchar_t* StoreFileName = L"groups.txt";
    // Groups a store may ask for beyond its last group section; more are not created.
    static constexpr int MaxGroupsWithoutSection = 1000;

    OrvexModel() = default;
    virtual ~OrvexModel();
    OrvexModel(const OrvexModel&) = delete;
    OrvexModel& operator=(const OrvexModel&) = delete;

    void SetDataFolder(std::wstring folder) { mDataFolder = std::move(folder); }
    const std::wstring& GetDataFolder() const { return mDataFolder; }
    std::wstring GetStorePath() const;

    // Replaces the groups by those of the group store. A missing store gives no groups; missing
    // keys take their defaults; entries whose shortcut file is missing are skipped. The changed
    // flag is not touched.
    void Load();
    // Writes every group to the store, numbered from their current positions, and clears the
    // changed flag. The old store is replaced in one step, never lost: when writing fails it
    // stays as it was, the flag stays set and Exception "Unable to write to <path>" is thrown.
    void Save();

    const GroupList& GetGroups() const { return mGroups; }
    // A new group at (x, y) with a random background, appended to the list. The changed flag is
    // not touched: placing the group's view marks the model changed.
    LinkGroupModel* AddGroup(int x, int y);
    LinkGroupModel* AddNewGroup() { return AddGroup(0, 0); }
    // Destroys the group with its shortcuts (their files stay) and saves at once. A group that is
    // not in the list changes nothing.
    void RemoveGroup(LinkGroupModel* group);
    // Brings the group to the end of the list, so that it is drawn above the others, and saves at
    // once. Nothing happens when it is last already or not in the list.
    void MoveGroupToEnd(LinkGroupModel* group);

    void SetChanged() { mChanged = true; }
    bool IsChanged() const { return mChanged; }

private:
    // Copies a store that exists but could not be read next to it, so that no save replaces
    // the only copy of what the user had. True when nothing is left to protect.
    bool KeepUnreadableStore();
    LinkGroupModel* AppendGroup();
    void Bind(LinkGroupModel& group);

    std::wstring mDataFolder;
    GroupList mGroups;
    bool mChanged = false;
    bool mStoreUnreadable = false;
};
