#include "views/DragDropManager.h"

LinkGroupView* DragDropManager::DraggedGroup() const {
    if (const auto* move = Get<GroupMoveDrag>()) {
        return move->group;
    }
    if (const auto* resize = Get<GroupResizeDrag>()) {
        return resize->group;
    }
    return nullptr;
}

bool DragDropManager::IsDraggingShortcut() const {
    return Get<LinkMoveDrag>() != nullptr || Get<ShellDrag>() != nullptr;
}

std::string DragDropManager::GetDragType() const {
    if (DraggedGroup() != nullptr) {
        return DragTypeLinkGroup;
    }
    if (Get<LinkMoveDrag>() != nullptr) {
        return DragTypeLinkItem;
    }
    if (Get<ShellDrag>() != nullptr) {
        return DragTypeShellItem;
    }
    return {};
}

void DragDropManager::Forget(const LinkGroupView* group) {
    const auto* link = Get<LinkMoveDrag>();
    if (DraggedGroup() == group || (link != nullptr && link->group == group)) {
        ResetDrag();
    }
}
