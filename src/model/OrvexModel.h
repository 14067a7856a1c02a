#pragma once

#include "foundation/win32/DataFolder.h"
#include "model/GroupStoreLayout.h"
#include "model/LinkGroupModel.h"

#include <functional>
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

    static constexpr const wchar_t* StoreFileName = GroupStoreFileName;
    // Groups a store may ask for without a section of their own, whatever numbers its sections
    // have; more are not created. Groups with a section are all loaded.
    static constexpr int MaxGroupsWithoutSection = 1000;
    // Groups loaded at most, with or without a section: far more than a panel can show, few
    // enough that the panel comes up at once. A store with more is loaded up to this many and
    // copied aside before any save replaces it.
    static constexpr std::size_t MaxGroups = 2000;

    OrvexModel() = default;
    virtual ~OrvexModel();
    OrvexModel(const OrvexModel&) = delete;
    OrvexModel& operator=(const OrvexModel&) = delete;

    void SetDataFolder(std::wstring folder) { mDataFolder = std::move(folder); }
    const std::wstring& GetDataFolder() const { return mDataFolder; }
    std::wstring GetStorePath() const;

    // Replaces the groups by those of the group store. A missing store gives no groups; missing
    // keys take their defaults; entries whose shortcut file is missing or whose name is not a
    // shortcut file name are skipped. Time and memory follow the size of the store, never a
    // count written in it. The changed flag is not touched. Temporary files that a save or copy
    // cut short by a crash left beside the store are removed.
    void Load();
    // What the user must hear of the last Load: empty when the store was read, else a message
    // naming a store that could not be read, gave no groups or held more than MaxGroups (it
    // stays as it is until a save, which first keeps a copy of it).
    const std::wstring& LoadProblem() const { return mLoadProblem; }
    // The listing of the Data folder the last Load checked the shortcut files against, with their
    // sizes and last-write times, handed over once (null after that or before a Load), so that
    // the icons of a start need no listing of their own.
    std::unique_ptr<Tessel::Common::FolderFiles> TakeFolderListing() { return std::move(mListing); }
    // Writes every group to the store, numbered from their current positions, and clears the
    // changed flag. A store that holds exactly that already is not written again. The old store
    // is replaced in one step, never lost: when writing fails it stays as it was, the flag stays
    // set and Exception "Unable to write to <path>" is thrown. The first save of a run that
    // changes the file first keeps the store it replaces as "groups.txt.bak", and the store is not
    // replaced while that copy cannot be made; a run that changes nothing leaves the backup as it
    // was. A store that could not be read or loaded no groups is first copied to
    // "groups.txt.unreadable" (or ".unreadable1", ...), and is not replaced while that copy
    // cannot be made.
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

    // Called by a save about to replace the store by different content, so that the layout on
    // disk can be kept first.
    std::function<void()> BeforeStoreChange;

    void SetChanged() { mChanged = true; }
    bool IsChanged() const { return mChanged; }

private:
    enum class StoreToKeep { None, Unreadable, NoGroups, TooManyGroups };

    // Keeps copies of the store a save is about to replace: a store that gave nothing is copied
    // aside for good, and the first save that changes the store keeps it as the backup. False
    // when the store must not be replaced because a copy could not be made.
    bool KeepStoreToReplace();
    LinkGroupModel* AppendGroup();
    void Bind(LinkGroupModel& group);

    std::wstring mDataFolder;
    std::wstring mLoadProblem;
    std::unique_ptr<Tessel::Common::FolderFiles> mListing;
    GroupList mGroups;
    bool mChanged = false;
    StoreToKeep mStoreToKeep = StoreToKeep::None;
    bool mPreviousStoreKept = false;
};
