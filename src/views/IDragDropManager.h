#pragma once

#include <windows.h>

#include <string>

// What kind of thing is being dragged over the panel.
inline constexpr const char* DragTypeLinkGroup = "IElementView/LinkGroupView/LinkGroup";
inline constexpr const char* DragTypeLinkItem = "IElementView/LinkGroupView/LinkItem";
inline constexpr const char* DragTypeShellItem = "Common/LinkItem";

// The state of the drag under way, shared by the panel's views and its shell drop target.
class IDragDropManager {
public:
    virtual ~IDragDropManager() = default;
    // A drag is under way while there is a source.
    virtual bool IsDragging() = 0;
    virtual void* GetDragSource() = 0;
    virtual std::string GetDragType() = 0;
    virtual void SetDragSource(void* source) = 0;
    virtual void SetDragType(std::string type) = 0;
    // Ends the drag: no source, no type.
    virtual void ResetDrag() = 0;
    // Centre of the drag image.
    virtual POINT GetDragPosition() = 0;
    virtual void SetDragPosition(int x, int y) = 0;
    // Size of the drag image as (cx, cy).
    virtual POINT GetDragImageSize() = 0;
    virtual void SetDragImageSize(int cx, int cy) = 0;
};
