#pragma once

#include "foundation/geometry/DisplayScale.h"
#include "foundation/win32/UniqueHandle.h"
#include "os/BitmapCache.h"
#include "views/ElementViewBase.h"

#include <functional>
#include <string>
#include <vector>

class TGraphic;
struct LinkMoveDrag;

// The root of the panel's views: fills the client area, paints the background, the groups and
// the hint of an empty panel, keeps the stacking order of the groups and routes every mouse,
// drag, drop and context-menu event to the group under the point.
class OrvexView : public ElementViewBase {
public:
    // How far above the middle the hint of an empty panel stands (design units).
    static constexpr int HintRise = 60;
    // Up to this many stale rectangles are rendered one by one; more in one clipped pass.
    static constexpr unsigned MaxSeparateParts = 16;

    // The panel picture; owned by the window, which sets it before the first paint.
    void SetBackground(const TGraphic* background);
    void SetHintText(const std::wstring& text);
    // The display density the panel is shown at; the design's until set.
    void SetScale(Tessel::Common::DisplayScale scale);
    Tessel::Common::DisplayScale Scale() const { return mScale; }
    const std::wstring& GetHintText() const { return mHintText; }

    // Told of every part of the picture a group marks stale (tests count repaints with it).
    std::function<void(const RECT& rect)> OnPictureInvalidated;

    // The group views in painting order (the last is on top); owned by the window.
    void AddChild(IElementView* child);
    const std::vector<IElementView*>& GetChildren() const { return mChildren; }
    IElementView* GetHoverChild() const { return mHoverChild; }

    // Gives every group its preferred size at its stored place and lays it out.
    void UpdateLayout();
    void PaintWhenNoGroupFound(HDC dc);
    // Moves the topmost group under the point to the top of the stack and returns it; null
    // (and no change) when no group is there.
    IElementView* BringToFront(int x, int y);
    // Takes a group out of the stack (without destroying it).
    void RemoveChild(IElementView* child);

    void LayoutContent() override;
    void SetBounds(const RECT& bounds) override;
    // The topmost group under the point, or the root itself.
    IElementView* HitTest(int x, int y) override;
    void Click(const ViewMouseArgs* args) override;
    void MouseMove(const ViewMouseArgs* args) override;
    void BeginDrag(const ViewDragArgs* args) override;
    bool DragTo(const ViewDragArgs* args) override;
    void EndDrag(const ViewDragArgs* args) override;
    void DropLink(std::wstring path, POINT position) override;
    // What a context menu at the point is about: the shortcut or group under it, else the panel.
    ContextTarget ContextTargetAt(POINT position) override;
    // The panel's picture (background, groups, hint) is kept rendered; a paint copies it and
    // renders anew only what was marked stale. Every change to what a part of the panel shows
    // must pass through here or through a child's invalidation.
    void PaintOnDc(HDC dc, const RECT* update) override;
    // Marks a rectangle of the picture stale and asks the window (if any) to repaint it.
    void Invalidate(HWND window, const RECT& rect);
    // Marks the whole picture stale, e.g. after the groups were laid out again.
    void InvalidateAll();
    // Whether the picture is kept for the next paints (the default). Without it, a paint draws
    // straight onto the window what the picture would show, and the picture's memory is let go
    // (the start's first paint is drawn so, sooner than a picture of the panel's size could be
    // made). Keeping it again makes the picture anew at the next paint or MakePicture.
    void SetKeepsPicture(bool keeps);
    bool KeepsPicture() const { return mKeepsPicture; }
    // Makes the kept picture now, compatible with reference, so that the next paint only copies.
    void MakePicture(HDC reference);

private:
    IElementView* ChildAt(POINT position);
    // Makes child the hovered element: the old one hears that it was left, the new one that it
    // was entered. False when child is hovered already.
    bool ChangeHoverChild(IElementView* child, const std::function<void(IElementView*)>& leave,
                          const std::function<void(IElementView*)>& enter);
    static RECT DragImageRect(const LinkMoveDrag& drag);
    void MarkStale(const RECT& rect);
    // Renders the stale part of the picture into its surface.
    void RefreshPicture(HDC surface);
    // Draws the background, the groups and the hint of an empty panel, clipped to the area.
    void Compose(HDC dc, const RECT& area);
    void PaintDragImage(HDC dc);

    const TGraphic* mBackground = nullptr;
    Tessel::Common::DisplayScale mScale;
    std::vector<IElementView*> mChildren;
    BitmapCache mPicture;
    bool mAllStale = true;
    bool mKeepsPicture = true;
    Tessel::Common::UniqueRegion mStale;
    IElementView* mHoverChild = nullptr;
    std::wstring mHintText;
};
