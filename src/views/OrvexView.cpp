#include "views/OrvexView.h"

#include "foundation/win32/FunctionTrace.h"
#include "graphics/Canvas.h"
#include "graphics/Graphic.h"
#include "views/DragDropManager.h"
#include "views/LinkGroupView.h"

#include <algorithm>

void OrvexView::SetBackground(const TGraphic* background) {
    mBackground = background;
    InvalidateAll();
}

void OrvexView::SetScale(Tessel::Common::DisplayScale scale) {
    if (scale != mScale) {
        mScale = scale;
        InvalidateAll();
    }
}

void OrvexView::SetHintText(const std::wstring& text) {
    if (text != mHintText) {
        mHintText = text;
        InvalidateAll();
    }
}

void OrvexView::AddChild(IElementView* child) {
    mChildren.push_back(child);
    child->OnInvalidateRect = [this](HWND window, const RECT& rect) { Invalidate(window, rect); };
    MarkStale(child->GetPaintBounds());
}

void OrvexView::Invalidate(HWND window, const RECT& rect) {
    MarkStale(rect);
    if (OnPictureInvalidated) {
        OnPictureInvalidated(rect);
    }
    if (window != nullptr) {
        InvalidateRect(window, &rect, FALSE);
    }
}

void OrvexView::InvalidateAll() {
    mAllStale = true;
}

void OrvexView::MarkStale(const RECT& rect) {
    if (mAllStale || IsRectEmpty(&rect)) {
        return;
    }
    if (!mStale) {
        mStale.Reset(CreateRectRgnIndirect(&rect));
        if (!mStale) {
            mAllStale = true;
        }
        return;
    }
    Tessel::Common::UniqueRegion added(CreateRectRgnIndirect(&rect));
    if (!added || CombineRgn(mStale.Get(), mStale.Get(), added.Get(), RGN_OR) == ERROR) {
        // Without a region nothing is known about what is stale: all of it is.
        mAllStale = true;
    }
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

ContextTarget OrvexView::ContextTargetAt(POINT position) {
    IElementView* child = ChildAt(position);
    return child != nullptr ? child->ContextTargetAt(position) : ContextTarget{};
}

void OrvexView::LayoutContent() {
    for (IElementView* child : mChildren) {
        child->LayoutContent();
    }
    InvalidateAll();
}

void OrvexView::UpdateLayout() {
    TRACE_FUNCTION("OrvexView::UpdateLayout");
    for (IElementView* child : mChildren) {
        child->SetBounds(child->GetPreferredBounds());
        child->LayoutContent();
    }
    InvalidateAll();
}

void OrvexView::SetBounds(const RECT& bounds) {
    const SIZE before = mPicture.GetSize();
    ElementViewBase::SetBounds(bounds);
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    mPicture.SetSize(width, height);
    // The background is stretched or centred for the size: a new size is a new picture.
    if (width != before.cx || height != before.cy) {
        InvalidateAll();
    }
}

IElementView* OrvexView::BringToFront(int x, int y) {
    for (auto it = mChildren.rbegin(); it != mChildren.rend(); ++it) {
        if ((*it)->HitTest(x, y) != nullptr) {
            IElementView* child = *it;
            mChildren.erase(std::next(it).base());
            mChildren.push_back(child);
            // Now on top of the groups it overlaps.
            MarkStale(child->GetPaintBounds());
            return child;
        }
    }
    return nullptr;
}

void OrvexView::RemoveChild(IElementView* child) {
    const auto it = std::find(mChildren.begin(), mChildren.end(), child);
    if (it != mChildren.end()) {
        mChildren.erase(it);
        child->OnInvalidateRect = nullptr;
    }
    // The window destroys the view next: it must never hear of the pointer again.
    if (mHoverChild == child) {
        mHoverChild = nullptr;
    }
    UpdateLayout();
}

RECT OrvexView::DragImageRect(const LinkMoveDrag& drag) {
    const POINT p = drag.position;
    const SIZE s = drag.imageSize;
    return RECT{p.x - s.cx / 2, p.y - s.cy / 2, p.x + s.cx / 2, p.y + s.cy / 2};
}

bool OrvexView::DragTo(const ViewDragArgs* args) {
    if (mDragDropManager == nullptr || !mDragDropManager->IsDragging()) {
        return false;
    }
    if (LinkGroupView* source = mDragDropManager->DraggedGroup()) {
        Invalidate(args->window, source->GetPaintBounds());
        source->DragTo(args);
        Invalidate(args->window, source->GetPaintBounds());
    } else if (LinkMoveDrag* link = mDragDropManager->Get<LinkMoveDrag>()) {
        InvalidateIn(args->window, DragImageRect(*link));
        link->position = args->position;
        InvalidateIn(args->window, DragImageRect(*link));
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
    if (LinkGroupView* source = mDragDropManager->DraggedGroup()) {
        Invalidate(args->window, source->GetPaintBounds());
        source->EndDrag(args);
        Invalidate(args->window, source->GetPaintBounds());
        if (args->window != nullptr) {
            UpdateWindow(args->window);
        }
    } else if (const LinkMoveDrag* link = mDragDropManager->Get<LinkMoveDrag>()) {
        InvalidateIn(args->window, DragImageRect(*link));
        LinkGroupView* source = link->group;
        const int index = link->index;
        const std::wstring path = link->path;
        // The shortcut lands once; the drag is over whatever the groups do with it.
        mDragDropManager->ResetDrag();
        IElementView* target = HitTest(args->position.x, args->position.y);
        if (target == static_cast<IElementView*>(this)) {
            return;
        }
        if (target == static_cast<IElementView*>(source)) {
            source->MoveLink(index, args->position);
        } else {
            target->DropLink(path, args->position);
            source->RemoveLink(index, false);
        }
    }
}

void OrvexView::SetKeepsPicture(bool keeps) {
    mKeepsPicture = keeps;
    if (!keeps) {
        mPicture.Release();
    }
}

void OrvexView::MakePicture(HDC reference) {
    if (!mKeepsPicture) {
        return;
    }
    if (mPicture.IsDirty()) {
        mAllStale = true;
    }
    if (const HDC surface = mPicture.GetDrawingDC(reference)) {
        RefreshPicture(surface);
    }
}

void OrvexView::PaintOnDc(HDC dc, const RECT* update) {
    TRACE_FUNCTION("OrvexView::PaintOnDc");
    const auto [width, height] = mPicture.GetSize();
    RECT area{0, 0, width, height};
    if (update != nullptr && !IntersectRect(&area, &area, update)) {
        PaintDragImage(dc);
        return;
    }
    for (IElementView* child : mChildren) {
        if (auto* group = dynamic_cast<LinkGroupView*>(child)) {
            group->CheckFeedbackState();
        }
    }
    if (mPicture.IsDirty()) {
        mAllStale = true;
    }
    const HDC surface = mKeepsPicture ? mPicture.GetDrawingDC(dc) : nullptr;
    if (surface == nullptr) {
        // No picture kept (or no memory for it): everything is drawn straight, as it would be
        // rendered.
        mAllStale = true;
        Compose(dc, area);
        PaintDragImage(dc);
        return;
    }
    RefreshPicture(surface);
    BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, surface, area.left, area.top,
           SRCCOPY);
    PaintDragImage(dc);
}

void OrvexView::RefreshPicture(HDC surface) {
    const auto [width, height] = mPicture.GetSize();
    std::vector<RECT> parts;
    RECT box{0, 0, width, height};
    if (mAllStale) {
        parts.push_back(box);
    } else if (mStale) {
        if (GetRgnBox(mStale.Get(), &box) == NULLREGION) {
            return;
        }
        // A few parts (a hover, an icon, a moved group) are rendered one by one; many at once
        // (icons arriving in bulk) in one pass over their bounding box, clipped to the region.
        std::vector<char> data(GetRegionData(mStale.Get(), 0, nullptr));
        const auto* region = reinterpret_cast<const RGNDATA*>(data.data());
        if (!data.empty() &&
            GetRegionData(mStale.Get(), static_cast<DWORD>(data.size()), reinterpret_cast<RGNDATA*>(data.data())) !=
                0 &&
            region->rdh.nCount <= MaxSeparateParts) {
            const auto* rects = reinterpret_cast<const RECT*>(region->Buffer);
            parts.assign(rects, rects + region->rdh.nCount);
        } else {
            parts.push_back(box);
        }
    } else {
        return;
    }
    for (const RECT& part : parts) {
        const int saved = SaveDC(surface);
        if (mAllStale || parts.size() > 1 || !mStale) {
            IntersectClipRect(surface, part.left, part.top, part.right, part.bottom);
        } else {
            ExtSelectClipRgn(surface, mStale.Get(), RGN_AND);
        }
        Compose(surface, part);
        RestoreDC(surface, saved);
    }
    mAllStale = false;
    mStale.Reset();
}

void OrvexView::Compose(HDC dc, const RECT& area) {
    const auto [width, height] = mPicture.GetSize();
    if (mBackground != nullptr && !mBackground->Empty()) {
        TCanvas canvas(dc);
        if (mBackground->Width() < width || mBackground->Height() < height) {
            canvas.StretchDraw(RECT{0, 0, width, height}, *mBackground);
        } else {
            canvas.Draw((width - mBackground->Width()) / 2, (height - mBackground->Height()) / 2, *mBackground);
        }
    }
    for (IElementView* child : mChildren) {
        child->Paint(dc, &area);
    }
    if (mChildren.empty()) {
        PaintWhenNoGroupFound(dc);
    }
}

void OrvexView::PaintDragImage(HDC dc) {
    // The dragged shortcut floats above the picture and is never part of it.
    const LinkMoveDrag* link = mDragDropManager != nullptr ? mDragDropManager->Get<LinkMoveDrag>() : nullptr;
    if (link != nullptr && link->icon) {
        const RECT image = DragImageRect(*link);
        DrawIcon(dc, image.left, image.top, link->icon.Get());
    }
}

void OrvexView::PaintWhenNoGroupFound(HDC dc) {
    TRACE_FUNCTION("OrvexView::PaintWhenNoGroupFound");
    TCanvas canvas(dc);
    canvas.SetDpi(mScale.Dpi());
    canvas.SetFontSize(16);
    canvas.SetFontColor(RGB(220, 220, 220));
    canvas.SetBrushStyle(TBrushStyle::bsClear);
    RECT rect = mBounds;
    OffsetRect(&rect, 0, -mScale.Px(HintRise));
    canvas.TextRect(rect, mHintText, tfCenter | tfVerticalCenter | tfSingleLine | tfNoPrefix);
}
