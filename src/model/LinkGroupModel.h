#pragma once

#include "model/LinkGroupSettings.h"
#include "model/LinkItemModel.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// One group: its shortcuts in display order and its display settings. The group owns its
// shortcuts; destroying one never touches its file on disk.
class LinkGroupModel {
public:
    using LinkList = std::vector<std::unique_ptr<LinkItemModel>>;

    // Raised after the list of shortcuts changed; empty until the group belongs to a root model.
    std::function<void()> OnLinksChanged;

    LinkGroupModel() = default;
    LinkGroupModel(const LinkGroupModel&) = delete;
    LinkGroupModel& operator=(const LinkGroupModel&) = delete;

    const LinkList& GetLinks() const { return mLinks; }
    LinkGroupSettings& GetSettings() { return mSettings; }
    const LinkGroupSettings& GetSettings() const { return mSettings; }

    // Inserts a shortcut so that it stands at index; an index below 0 or beyond the end appends.
    // Returns the new shortcut (owned by the group).
    LinkItemModel* InsertLink(std::wstring fileName, std::wstring path, int index);
    LinkItemModel* AppendLink(std::wstring fileName, std::wstring path);
    // Moves the shortcut at from to the insertion position to, counted in the list before the
    // move (0: before the first, count: after the last; below 0 or beyond: the end). Raises
    // OnLinksChanged only when the order changed. A from that names no shortcut changes nothing.
    void MoveLink(int from, int to);
    // Destroys the shortcut at index (its file stays). An index that names no shortcut changes
    // nothing.
    void DeleteLink(int index);

private:
    void RaiseLinksChanged();

    LinkList mLinks;
    LinkGroupSettings mSettings;
};
