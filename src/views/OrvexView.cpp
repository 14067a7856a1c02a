#include "views/OrvexView.h"

#include "foundation/win32/FunctionTrace.h"
#include "framework/Canvas.h"
#include "framework/Graphic.h"
#include "views/LinkGroupView.h"

#include <algorithm>

namespace {

LinkGroupView* DragSourceGroup(IDragDropManager* drag) {
    return static_cast<LinkGroupView*>(drag->GetDragSource());
}

} // namespace

void OrvexView::SetBackground(const TGraphic* background) {
    mBackground = background;
    mBackgroundValid = false;
}

IElementView* OrvexView::HitTest(int x, int y) {
    for (auto it = mChildren.rbegin(); it != mChildren.rend(); ++it) {
        if (IElementView* hit = (*it)->HitTest(x, y)) {
            return hit;
        }
    }
    return this;
}

IElementView* OrvexView::ChildAt(POINT position) {
    IElementView* child = HitTest(position.x, position.y);
    return child == static_cast<IElementView*>(this) ? nullptr : child;
}

void OrvexView::Click(const ViewMouseArgs* args) {
    if (IElementView* child = ChildAt(args->position)) {
        child->Click(args);
    }
}

bool OrvexView::ChangeHoverChild(IElementView* child, const std::function<void(IElementView*)>& leave,
                                 const std::function<void(IElementView*)>& enter) {
    if (child == mHoverChild) {
        return false;
    }
    if (mHoverChild != nullptr) {
        leave(mHoverChild);
    }
    mHoverChild = child;
    if (child != nullptr) {
        enter(child);
    }
    return true;
}

void OrvexView::MouseMove(const ViewMouseArgs* args) {
    IElementView* child = HitTest(args->position.x, args->position.y);
    ChangeHoverChild(
        child, [args](IElementView* view) { view->MouseLeave(args); },
        [args](IElementView* view) { view->MouseEnter(args); });
    if (child != nullptr && child != static_cast<IElementView*>(this)) {
        child->MouseMove(args);
    }
}

void OrvexView::BeginDrag(const ViewDragArgs* args) {
    if (IElementView* child = ChildAt(args->position)) {
        child->BeginDrag(args);
    }
}

void OrvexView::DropLink(std::wstring path, POINT position) {
    if (IElementView* child = ChildAt(position)) {
        child->DropLink(std::move(path), position);
    }
}

void OrvexView::ShowContextMenu(POINT position) {
    if (IElementView* child = ChildAt(position)) {
        child->ShowContextMenu(position);
    } else if (OnContextMenu) {
        OnContextMenu(this, position);
    }
}

void OrvexView::LayoutContent() {
    for (IElementView* child : mChildren) {
        child->LayoutContent();
    }
}

void OrvexView::UpdateLayout() {
    TRACE_FUNCTION("OrvexView::UpdateLayout");
    for (IElementView* child : mChildren) {
        child->SetBounds(child->GetPreferredBounds());
        child->LayoutContent();
    }
}

void OrvexView::SetBounds(const RECT& bounds) {
    ElementViewBase::SetBounds(bounds);
    mBackgroundCache.SetSize(bounds.right - bounds.left, bounds.bottom - bounds.top);
}

IElementView* OrvexView::BringToFront(int x, int y) {
    for (auto it = mChildren.rbegin(); it != mChildren.rend(); ++it) {
        if ((*it)->HitTest(x, y) != nullptr) {
            IElementView* child = *it;
            mChildren.erase(std::next(it).base());
            mChildren.push_back(child);
            return child;
        }
    }
    return nullptr;
}

void OrvexView::RemoveChild(IElementView* child) {
    const auto it = std::find(mChildren.begin(), mChildren.end(), child);
    if (it != mChildren.end()) {
        mChildren.erase(it);
    }
    // The window destroys the view next: it must never hear of the pointer again.
    if (mHoverChild == child) {
        mHoverChild = nullptr;
    }
    UpdateLayout();
}

RECT OrvexView::DragImageRect() {
    const POINT p = mDragDropManager->GetDragPosition();
    const POINT s = mDragDropManager->GetDragImageSize();
    return RECT{p.x - s.x / 2, p.y - s.y / 2, p.x + s.x / 2, p.y + s.y / 2};
}

bool OrvexView::DragTo(const ViewDragArgs* args) {
    if (mDragDropManager == nullptr || !mDragDropManager->IsDragging()) {
        return false;
    }
    const std::string type = mDragDropManager->GetDragType();
    if (type == DragTypeLinkGroup) {
        LinkGroupView* source = DragSourceGroup(mDragDropManager);
        InvalidateIn(args->window, source->GetPaintBounds());
        source->DragTo(args);
        InvalidateIn(args->window, source->GetPaintBounds());
    } else if (type == DragTypeLinkItem) {
        InvalidateIn(args->window, DragImageRect());
        mDragDropManager->SetDragPosition(args->position.x, args->position.y);
        InvalidateIn(args->window, DragImageRect());
    }
    IElementView* child = HitTest(args->position.x, args->position.y);
    const bool changed = ChangeHoverChild(
        child, [args](IElementView* view) { view->DragLeave(args); },
        [args](IElementView* view) { view->DragEnter(args); });
    if (!changed && child != nullptr) {
        child->DragOver(args);
    }
    if (args->window != nullptr) {
        UpdateWindow(args->window);
    }
    return true;
}

void OrvexView::EndDrag(const ViewDragArgs* args) {
    if (mDragDropManager == nullptr || !mDragDropManager->IsDragging()) {
        return;
    }
    const std::string type = mDragDropManager->GetDragType();
    if (type == DragTypeLinkGroup) {
        LinkGroupView* source = DragSourceGroup(mDragDropManager);
        InvalidateIn(args->window, source->GetPaintBounds());
        source->EndDrag(args);
        InvalidateIn(args->window, source->GetPaintBounds());
        if (args->window != nullptr) {
            UpdateWindow(args->window);
        }
    } else if (type == DragTypeLinkItem) {
        InvalidateIn(args->window, DragImageRect());
        LinkGroupView* source = DragSourceGroup(mDragDropManager);
        const std::wstring path = source->GetDragPath();
        IElementView* target = HitTest(args->position.x, args->position.y);
        if (target == static_cast<IElementView*>(this)) {
            return;
        }
        if (target == static_cast<IElementView*>(source)) {
            source->MoveLink(source->GetDragIndex(), args->position);
        } else {
            target->DropLink(path, args->position);
            source->RemoveLink(source->GetDragIndex(), false);
        }
    }
}

void OrvexView::PaintOnDc(HDC dc, const RECT* update) {
    TRACE_FUNCTION("OrvexView::PaintOnDc");
    const auto [width, height] = mBackgroundCache.GetSize();
    if (!mBackgroundValid || mBackgroundCache.IsDirty()) {
        const HDC cacheDc = mBackgroundCache.GetDrawingDC(dc);
        if (mBackground != nullptr && !mBackground->Empty()) {
            TCanvas canvas(cacheDc);
            if (mBackground->Width() < width || mBackground->Height() < height) {
                canvas.StretchDraw(RECT{0, 0, width, height}, *mBackground);
            } else {
                canvas.Draw((width - mBackground->Width()) / 2, (height - mBackground->Height()) / 2, *mBackground);
            }
        }
        mBackgroundValid = true;
    }
    BitBlt(dc, 0, 0, width, height, mBackgroundCache.GetDrawingDC(dc), 0, 0, SRCCOPY);
    for (IElementView* child : mChildren) {
        child->Paint(dc, update);
    }
    if (mChildren.empty()) {
        PaintWhenNoGroupFound(dc);
    }
    if (mDragDropManager != nullptr && mDragDropManager->IsDragging() &&
        mDragDropManager->GetDragType() == DragTypeLinkItem) {
        const HICON icon = DragSourceGroup(mDragDropManager)->GetDragIcon();
        const RECT image = DragImageRect();
        if (icon != nullptr) {
            DrawIcon(dc, image.left, image.top, icon);
        }
    }
}

void OrvexView::PaintWhenNoGroupFound(HDC dc) {
    TRACE_FUNCTION("OrvexView::PaintWhenNoGroupFound");
    TCanvas canvas(dc);
    canvas.SetFontSize(16);
    canvas.SetFontColor(RGB(220, 220, 220));
    canvas.SetBrushStyle(TBrushStyle::bsClear);
    RECT rect = mBounds;
    OffsetRect(&rect, 0, -HintRise);
    canvas.TextRect(rect, mHintText, tfCenter | tfVerticalCenter | tfSingleLine | tfNoPrefix);
}
