#pragma once

#include <windows.h>

#include <functional>
#include <string>

class DragDropManager;
class LinkGroupView;

// What a context menu asked for at a point is about: a shortcut of a group (link is its index),
// a group (link -1), or the panel itself (no group). Views only report it: the window shows the
// menu and runs its command once their calls have returned, so a command may remove the view
// it is about.
struct ContextTarget {
    LinkGroupView* group = nullptr;
    int link = -1;
};

// Arguments of the mouse events of a view. Positions are client coordinates of the panel.
struct ViewMouseArgs {
    HWND window;
    POINT position;
};

// Arguments of the drag events of a view.
struct ViewDragArgs {
    POINT position;
    HWND window;
};

// A window-less element of the panel: it lays itself out, paints, hit-tests and takes the
// mouse and drag events that the panel routes to it. Rectangles are panel client coordinates
// with exclusive right and bottom edges.
class IElementView {
public:
    virtual ~IElementView() = default;

    // Asks the window to repaint the view (its paint bounds); the flag is always false.
    std::function<void(IElementView* view, bool flag)> OnInvalidate;
    // Takes a rectangle whose look changed (the window may be null); set by the view that keeps
    // the panel's picture, which marks it stale and asks the window to repaint it. Without it the
    // view asks the window directly.
    std::function<void(HWND window, const RECT& rect)> OnInvalidateRect;

    virtual void LayoutContent() = 0;
    virtual RECT GetBounds() = 0;
    virtual RECT GetPaintBounds() = 0;
    virtual bool GetClipRegion(HRGN region) = 0;
    virtual RECT GetPreferredBounds() = 0;
    virtual void SetBounds(const RECT& bounds) = 0;
    virtual void Paint(HDC dc, const RECT* update) = 0;
    virtual void BeginDrag(const ViewDragArgs* args) = 0;
    virtual bool DragTo(const ViewDragArgs* args) = 0;
    virtual void EndDrag(const ViewDragArgs* args) = 0;
    virtual void Click(const ViewMouseArgs* args) = 0;
    virtual void MouseMove(const ViewMouseArgs* args) = 0;
    virtual void MouseEnter(const ViewMouseArgs* args) = 0;
    virtual void MouseLeave(const ViewMouseArgs* args) = 0;
    virtual void DragOver(const ViewDragArgs* args) = 0;
    virtual void DragEnter(const ViewDragArgs* args) = 0;
    virtual void DragLeave(const ViewDragArgs* args) = 0;
    // The view under the point, or null; not owned by the caller.
    virtual IElementView* HitTest(int x, int y) = 0;
    virtual void SetDragDropManager(DragDropManager* manager) = 0;
    virtual std::string GetTypeName() = 0;
    virtual void DropLink(std::wstring path, POINT position) = 0;
    virtual ContextTarget ContextTargetAt(POINT position) = 0;
};
