#pragma once

#include "foundation/win32/UniqueHandle.h"

#include <windows.h>

#include <objidl.h>
#include <wrl/client.h>

#include <string>
#include <variant>

class LinkGroupView;

// The names of the kinds of drag, as the log and the views' tests call them.
inline constexpr const char* DragTypeLinkGroup = "IElementView/LinkGroupView/LinkGroup";
inline constexpr const char* DragTypeLinkItem = "IElementView/LinkGroupView/LinkItem";
inline constexpr const char* DragTypeShellItem = "Common/LinkItem";

// A group moved by its top edge: where it was and where the press was when the drag began.
struct GroupMoveDrag {
    LinkGroupView* group = nullptr;
    RECT startBounds{0, 0, 0, 0};
    POINT startPoint{0, 0};
};

// A group resized by its lower right corner.
struct GroupResizeDrag {
    LinkGroupView* group = nullptr;
    RECT startBounds{0, 0, 0, 0};
    POINT startPoint{0, 0};
};

// A shortcut dragged out of its group; its icon follows the pointer, centred on position.
struct LinkMoveDrag {
    LinkGroupView* group = nullptr;
    int index = -1;
    std::wstring path;
    // Made for the drag image only; it goes with the drag.
    Tessel::Common::UniqueIcon icon;
    POINT position{0, 0};
    SIZE imageSize{0, 0};
};

// Something dragged over the panel from the shell. The data object is held until the drag ends.
struct ShellDrag {
    Microsoft::WRL::ComPtr<IDataObject> data;
};

// The drag under way over the panel, shared by its views and its shell drop target: one kind of
// drag at a time, each holding what it needs. A handler that starts or ends drags takes an
// EndScope, which ends whatever drag is left when it returns or throws.
class DragDropManager {
public:
    using State = std::variant<std::monostate, GroupMoveDrag, GroupResizeDrag, LinkMoveDrag, ShellDrag>;

    DragDropManager() = default;
    DragDropManager(const DragDropManager&) = delete;
    DragDropManager& operator=(const DragDropManager&) = delete;

    bool IsDragging() const { return !std::holds_alternative<std::monostate>(mState); }
    // Replaces the drag under way, if any.
    template <typename Drag> Drag& Begin(Drag drag) { return mState.template emplace<Drag>(std::move(drag)); }
    // The drag under way when it is of that kind; null otherwise.
    template <typename Drag> Drag* Get() { return std::get_if<Drag>(&mState); }
    template <typename Drag> const Drag* Get() const { return std::get_if<Drag>(&mState); }
    // The group dragged by its edge or corner; null for any other drag.
    LinkGroupView* DraggedGroup() const;
    // A shortcut is dragged, from a group or from the shell: groups show where it would go.
    bool IsDraggingShortcut() const;
    // The name of the kind of drag; empty without one.
    std::string GetDragType() const;
    // Ends the drag: no state is left, and a data object from the shell is let go.
    void ResetDrag() { mState.emplace<std::monostate>(); }
    // Ends the drag when it involves group, which is about to go.
    void Forget(const LinkGroupView* group);

    // Ends the drag when it goes out of scope, however the scope is left.
    class EndScope {
    public:
        explicit EndScope(DragDropManager& manager) : mManager(manager) {}
        ~EndScope() { mManager.ResetDrag(); }
        EndScope(const EndScope&) = delete;
        EndScope& operator=(const EndScope&) = delete;

    private:
        DragDropManager& mManager;
    };

private:
    State mState;
};
