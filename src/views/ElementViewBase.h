#pragma once

#include "views/IElementView.h"

// What every view shares: its bounds, the drag state, and nothing to do for most events.
class ElementViewBase : public virtual IElementView {
public:
    RECT GetBounds() override { return mBounds; }
    RECT GetPaintBounds() override { return mBounds; }
    bool GetClipRegion(HRGN /*region*/) override { return false; }
    RECT GetPreferredBounds() override { return mBounds; }
    void SetBounds(const RECT& bounds) override { mBounds = bounds; }
    // The point is inside when left <= x < right and top <= y < bottom.
    IElementView* HitTest(int x, int y) override;
    void Click(const ViewMouseArgs*) override {}
    void MouseMove(const ViewMouseArgs*) override {}
    void MouseEnter(const ViewMouseArgs*) override {}
    void MouseLeave(const ViewMouseArgs*) override {}
    void DragOver(const ViewDragArgs*) override {}
    void DragEnter(const ViewDragArgs*) override {}
    void DragLeave(const ViewDragArgs*) override {}
    void LayoutContent() override {}
    void SetDragDropManager(DragDropManager* manager) override { mDragDropManager = manager; }
    ContextTarget ContextTargetAt(POINT) override { return {}; }
    std::string GetTypeName() override { return "ElementViewBase"; }
    void Paint(HDC dc, const RECT* update) override { PaintOnDc(dc, update); }
    // The painter proper.
    virtual void PaintOnDc(HDC /*dc*/, const RECT* /*update*/) {}

protected:
    // Marks a rectangle whose look changed for repainting, without erasing: through the keeper
    // of the panel's picture when there is one, else straight in the window (if any).
    void InvalidateIn(HWND window, const RECT& rect) const {
        if (OnInvalidateRect) {
            OnInvalidateRect(window, rect);
        } else if (window != nullptr) {
            InvalidateRect(window, &rect, FALSE);
        }
    }
    // Marks the view's paint bounds stale in the panel's picture and asks the window for a
    // repaint; a view that no window has taken yet has nothing to repaint.
    void RequestRepaint() {
        if (OnInvalidateRect) {
            OnInvalidateRect(nullptr, GetPaintBounds());
        }
        if (OnInvalidate) {
            OnInvalidate(this, false);
        }
    }

    RECT mBounds{0, 0, 0, 0};
    DragDropManager* mDragDropManager = nullptr;
};
