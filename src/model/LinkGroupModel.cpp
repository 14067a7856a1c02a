#include "model/LinkGroupModel.h"

#include "foundation/logging/Log.h"

#include <utility>

namespace {

// Positions at or beyond the end, and negative ones (compared as unsigned), mean the end.
std::size_t ClampToEnd(int position, std::size_t count) {
    const auto unsignedPosition = static_cast<std::size_t>(static_cast<unsigned int>(position));
    return unsignedPosition > count ? count : unsignedPosition;
}

bool NamesALink(int index, std::size_t count) {
    return index >= 0 && static_cast<std::size_t>(index) < count;
}

} // namespace

void LinkGroupModel::RaiseLinksChanged() {
    if (OnLinksChanged) {
        OnLinksChanged();
    }
}

LinkItemModel* LinkGroupModel::InsertLink(std::wstring fileName, std::wstring path, int index) {
    auto link = std::make_unique<LinkItemModel>(std::move(fileName), std::move(path));
    LinkItemModel* inserted = link.get();
    const std::size_t at = ClampToEnd(index, mLinks.size());
    mLinks.insert(mLinks.begin() + static_cast<std::ptrdiff_t>(at), std::move(link));
    RaiseLinksChanged();
    return inserted;
}

LinkItemModel* LinkGroupModel::AppendLink(std::wstring fileName, std::wstring path) {
    return InsertLink(std::move(fileName), std::move(path), static_cast<int>(mLinks.size()));
}

void LinkGroupModel::MoveLink(int from, int to) {
    if (!NamesALink(from, mLinks.size())) {
        LOG_ERR("LinkGroupModel::MoveLink", L"No shortcut at " << from << L" of " << mLinks.size());
        return;
    }
    const auto source = static_cast<std::size_t>(from);
    std::size_t target = ClampToEnd(to, mLinks.size());
    if (target == source || target == source + 1) {
        // Dropped where it stands: the order is the same.
        return;
    }
    if (source < target) {
        --target;
    }
    auto link = std::move(mLinks[source]);
    mLinks.erase(mLinks.begin() + static_cast<std::ptrdiff_t>(source));
    mLinks.insert(mLinks.begin() + static_cast<std::ptrdiff_t>(target), std::move(link));
    RaiseLinksChanged();
}

void LinkGroupModel::DeleteLink(int index) {
    if (!NamesALink(index, mLinks.size())) {
        LOG_ERR("LinkGroupModel::DeleteLink", L"No shortcut at " << index << L" of " << mLinks.size());
        return;
    }
    mLinks.erase(mLinks.begin() + index);
    RaiseLinksChanged();
}
