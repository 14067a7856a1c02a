#include "views/LinkGroupView.h"

#include "framework/Canvas.h"
#include "framework/Graphic.h"
#include "model/LinkGroupModel.h"
#include "model/LinkItemModel.h"

#include "foundation/common/GdiHandles.h"

#include <algorithm>

using Tessel::Common::UniqueRegion;

namespace {

// Everything after the last path delimiter.
std::wstring ExtractFileName(const std::wstring& path) {
    const std::size_t split = path.find_last_of(L"\\/:");
    return split == std::wstring::npos ? path : path.substr(split + 1);
}

int TruncatingRemainder(int value, int divisor) {
    return value % divisor; // C++ rounds toward zero: the sign follows the dividend
}

} // namespace

LinkGroupView::LinkGroupView()
    : IsLeftButtonDown([] { return GetKeyState(VK_LBUTTON) < 0; }),
      RunLink([this](int index) { mModel->GetLinks()[index]->Run(); }) {}

int LinkGroupView::LinkCount() const {
    return mModel == nullptr ? 0 : static_cast<int>(mModel->GetLinks().size());
}

void LinkGroupView::ReloadFromModel() {
    if (mModel == nullptr) {
        return;
    }
    const LinkGroupSettings& settings = mModel->GetSettings();
    mColumns = settings.Column();
    if (!settings.IsLargeIcon()) {
        mCellWidth = 120;
        mCellHeight = 24;
    } else if (settings.IsTitleVisible()) {
        mCellWidth = 70;
        mCellHeight = 80;
    } else {
        mCellWidth = 60;
        mCellHeight = 48;
    }
    mBounds.left = settings.X();
    mBounds.top = settings.Y();
    mCells.assign(mModel->GetLinks().size(), RECT{0, 0, 0, 0});
    mCellIcons.clear();
    mCellIcons.resize(mCells.size());
}

RECT LinkGroupView::GetBodyRect() const {
    return RECT{mBounds.left + HorizontalMargin, mBounds.top + VerticalMargin, mBounds.right - HorizontalMargin,
                mBounds.bottom - VerticalMargin};
}

RECT LinkGroupView::GetBoundsFor(int columns, int rows) const {
    RECT body = GetBodyRect();
    body.right = body.left + columns * mCellWidth + 2 * HorizontalInset;
    body.bottom = body.top + rows * mCellHeight + TopGap + 2 * VerticalInset;
    return RECT{body.left - HorizontalMargin, body.top - VerticalMargin, body.right + HorizontalMargin,
                body.bottom + VerticalMargin};
}

int LinkGroupView::GetRowCount(int columns) const {
    const int count = static_cast<int>(mCells.size());
    if (columns <= 0) {
        return 1;
    }
    const int rows = (count + columns - 1) / columns;
    return rows < 1 ? 1 : rows;
}

RECT LinkGroupView::GetPreferredBounds() {
    const int columns = mColumns <= 0 ? DefaultColumns : std::min(mColumns, MaxColumns);
    return GetBoundsFor(columns, GetRowCount(columns));
}

void LinkGroupView::GetColumnsAndRows(int& columns, int& rows) const {
    const RECT body = GetBodyRect();
    columns = (body.right - body.left - 2 * HorizontalInset) / mCellWidth;
    if (columns < 1) {
        columns = 1;
    }
    rows = GetRowCount(columns);
}

void LinkGroupView::LayoutCells() {
    int columns = 0;
    int rows = 0;
    GetColumnsAndRows(columns, rows);
    const int count = static_cast<int>(mCells.size());
    for (int i = 0; i < count; ++i) {
        const int r = i / columns;
        const int c = i % columns;
        mCells[i] = RECT{c * mCellWidth, r * mCellHeight, (c + 1) * mCellWidth, (r + 1) * mCellHeight};
    }
}

RECT LinkGroupView::GetCellRect(int index) const {
    const RECT body = GetBodyRect();
    const RECT& cell = mCells[index];
    const int left = body.left + HorizontalInset + cell.left;
    const int top = body.top + VerticalInset + TopGap + cell.top;
    return RECT{left, top, left + mCellWidth, top + mCellHeight};
}

int LinkGroupView::GetLinkIndexByPos(const POINT& point, int& side) const {
    const int count = static_cast<int>(mCells.size());
    for (int i = 0; i < count; ++i) {
        const RECT cell = GetCellRect(i);
        if (PtInRect(&cell, point)) {
            side = point.x - cell.left < mCellWidth / 2 ? 0 : 1;
            return i;
        }
    }
    const RECT body = GetBodyRect();
    if (PtInRect(&body, point)) {
        side = 1;
        return count;
    }
    return -1;
}

void LinkGroupView::SetBounds(const RECT& bounds) {
    ElementViewBase::SetBounds(bounds);
    if (mModel != nullptr) {
        // Each setter tells the root model, which marks itself changed.
        LinkGroupSettings& settings = mModel->GetSettings();
        settings.SetX(bounds.left);
        settings.SetY(bounds.top);
    }
}

void LinkGroupView::ResizeToContent() {
    ReloadFromModel();
    SetBounds(GetPreferredBounds());
    LayoutCells();
    RequestRepaint();
}

void LinkGroupView::Click(const ViewMouseArgs* /*args*/) {
    if (IsLinkIndex(mHoverIndex) && RunLink) {
        RunLink(mHoverIndex);
    }
}

void LinkGroupView::ShowContextMenu(POINT position) {
    int side = 0;
    const int index = GetLinkIndexByPos(position, side);
    if (index >= 0 && index < static_cast<int>(mCells.size())) {
        if (OnLinkContextMenu) {
            OnLinkContextMenu(this, index, position);
        }
        return;
    }
    if (OnGroupContextMenu) {
        OnGroupContextMenu(this, position);
    }
}

void LinkGroupView::DropLink(std::wstring path, POINT position) {
    if (mModel == nullptr) {
        return;
    }
    int side = 0;
    const int index = GetLinkIndexByPos(position, side);
    const int insertAt = index == -1 ? LinkCount() : index + side;
    mModel->InsertLink(ExtractFileName(path), path, insertAt);
    ResizeToContent();
}

void LinkGroupView::MoveLink(int from, POINT point) {
    if (mModel == nullptr || !IsLinkIndex(from)) {
        return;
    }
    int side = 0;
    const int index = GetLinkIndexByPos(point, side);
    const int target = index == -1 ? LinkCount() : index + side;
    mModel->MoveLink(from, target);
    ResizeToContent();
}

void LinkGroupView::RemoveLink(int index, bool deleteFile) {
    if (mModel == nullptr || !IsLinkIndex(index)) {
        return;
    }
    RequestRepaint();
    if (deleteFile) {
        DeleteFileW(mModel->GetLinks()[index]->Path().c_str());
    }
    mModel->DeleteLink(index);
    if (mHoverIndex >= LinkCount()) {
        mHoverIndex = HoverNone;
    }
    ResizeToContent();
}

void LinkGroupView::RefreshFromModel() {
    RequestRepaint();
    ResizeToContent();
}

RECT LinkGroupView::GetPaintBounds() {
    RECT bounds = mBounds;
    bounds.bottom += ReflectionHeight;
    return bounds;
}

bool LinkGroupView::GetClipRegion(HRGN region) {
    const RECT body = GetBodyRect();
    UniqueRegion rounded(CreateRoundRectRgn(body.left, body.top, body.right, body.bottom, Corner, Corner));
    UniqueRegion bottomEdge(CreateRectRgn(body.left + 5, body.bottom - 1, body.right - 5, body.bottom + 2));
    CombineRgn(region, rounded.Get(), bottomEdge.Get(), RGN_OR);
    return true;
}

void LinkGroupView::PaintOnDc(HDC dc, const RECT* update) {
    const RECT paintBounds = GetPaintBounds();
    RECT overlap;
    if (update != nullptr && !IntersectRect(&overlap, &paintBounds, update)) {
        return;
    }
    const int saved = SaveDC(dc);
    {
        TCanvas canvas(dc);
        // Regions are built in client coordinates; the device may have its origin elsewhere.
        POINT origin{0, 0};
        LPtoDP(dc, &origin, 1);
        RECT body = GetBodyRect();
        UniqueRegion region(CreateRoundRectRgn(body.left, body.top, body.right, body.bottom, Corner, Corner));
        if (OnDecorate) {
            OnDecorate(&canvas, body);
        }
        OffsetRgn(region.Get(), origin.x, origin.y);
        ExtSelectClipRgn(dc, region.Get(), RGN_AND);
        if (mBackground != nullptr) {
            canvas.StretchDraw(body, *mBackground);
        }
        PaintContents(dc, update);
    }
    RestoreDC(dc, saved);
}

void LinkGroupView::PaintContents(HDC dc, const RECT* /*update*/) {
    if (mModel == nullptr) {
        return;
    }
    const LinkGroupSettings& settings = mModel->GetSettings();
    const auto& links = mModel->GetLinks();
    const int count = static_cast<int>(std::min({links.size(), mCells.size(), mCellIcons.size()}));
    const bool leftButton = IsLeftButtonDown && IsLeftButtonDown();
    const HBRUSH gray = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    const HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    const bool small = !settings.IsLargeIcon();
    const int iconX = small ? (mCellHeight - 16) / 2 : (mCellWidth - 32) / 2;
    const int iconY = small ? (mCellHeight - 16) / 2 : settings.IsTitleVisible() ? 14 : (mCellHeight - 32) / 2;
    bool linkDrag = false;
    if (leftButton && mDragDropManager != nullptr && mDragDropManager->IsDragging()) {
        const std::string type = mDragDropManager->GetDragType();
        linkDrag = type == DragTypeLinkItem || type == DragTypeShellItem;
    }

    TCanvas canvas(dc);
    canvas.SetBrushStyle(TBrushStyle::bsClear);
    canvas.SetFontColor(small ? RGB(50, 50, 50) : RGB(100, 100, 100));

    for (int i = 0; i < count; ++i) {
        const RECT cell = GetCellRect(i);
        RECT textCell = cell;
        if (!leftButton && mHoverIndex == i) {
            FillRect(dc, &cell, gray);
            InflateRect(&textCell, -2, -2);
            FillRect(dc, &textCell, white);
        } else if (linkDrag) {
            const bool atEnd = i == count - 1 && mHoverIndex == count;
            if (mHoverIndex == i || atEnd) {
                const int edge = mHoverSide == 0 ? cell.left : cell.left + mCellWidth;
                const RECT bar{edge - 6, cell.top, edge, cell.top + mCellHeight};
                FillRect(dc, &bar, gray);
            }
        }

        LinkItemModel* link = &*links[i];
        const int size = small ? 16 : 32;
        const HICON icon = small ? link->GetSmallIcon() : link->GetLargeIcon();
        CellIcon& cellIcon = mCellIcons[i];
        if (cellIcon.source != icon) {
            cellIcon.source = icon;
            cellIcon.image.AssignIcon(icon, size, size);
        }
        if (!cellIcon.image.Empty()) {
            cellIcon.image.Draw(dc, cell.left + iconX, cell.top + iconY);
        } else if (icon != nullptr) {
            DrawIconEx(dc, cell.left + iconX, cell.top + iconY, icon, size, size, 0, nullptr, DI_NORMAL | DI_COMPAT);
        }

        // Names are plain text: "&" is a character, not an accelerator mark.
        if (small) {
            RECT text = textCell;
            text.left = textCell.left + 3 * iconX + 16;
            text.top = textCell.top + iconY + 2;
            canvas.TextRect(text, link->DisplayName(), DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE);
        } else if (settings.IsTitleVisible()) {
            RECT text = textCell;
            text.top += 48;
            text.left += 8;
            text.right -= 8;
            canvas.TextRect(text, link->DisplayName(), DT_CENTER | DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE);
        }
    }
}

void LinkGroupView::InvalidateOwnBounds(HWND window) {
    if (window != nullptr) {
        InvalidateRect(window, &mBounds, FALSE);
    }
}

void LinkGroupView::MouseEnter(const ViewMouseArgs* args) {
    int side = mHoverSide;
    const int index = GetLinkIndexByPos(args->position, side);
    mHoverSide = side;
    if (index != mHoverIndex) {
        InvalidateOwnBounds(args->window);
    }
    mHoverIndex = index;
}

void LinkGroupView::MouseMove(const ViewMouseArgs* args) {
    int side = mHoverSide;
    const int index = GetLinkIndexByPos(args->position, side);
    mHoverSide = side;
    if (index != mHoverIndex) {
        InvalidateOwnBounds(args->window);
        if (IsLinkIndex(index)) {
            LinkItemModel* link = &*mModel->GetLinks()[index];
            if (link->IsShowingToolTip()) {
                if (OnShowToolTip) {
                    std::wstring text = link->DisplayName();
                    const RECT body = GetBodyRect();
                    OnShowToolTip(this, text,
                                  POINT{body.left + HorizontalInset + mCells[index].left, mBounds.top - ToolTipRise});
                }
            } else if (OnHideToolTip) {
                OnHideToolTip();
            }
        }
    }
    mHoverIndex = index;
}

void LinkGroupView::MouseLeave(const ViewMouseArgs* args) {
    mHoverIndex = HoverNone;
    InvalidateOwnBounds(args->window);
    if (OnHideToolTip) {
        OnHideToolTip();
    }
}

void LinkGroupView::DragEnter(const ViewDragArgs* args) {
    int side = mHoverSide;
    mHoverIndex = GetLinkIndexByPos(args->position, side);
    mHoverSide = side;
    InvalidateOwnBounds(args->window);
}

void LinkGroupView::DragOver(const ViewDragArgs* args) {
    DragEnter(args);
}

void LinkGroupView::DragLeave(const ViewDragArgs* args) {
    mHoverIndex = HoverNone;
    InvalidateOwnBounds(args->window);
}

void LinkGroupView::BeginDrag(const ViewDragArgs* args) {
    mDragStartBounds = GetBounds();
    mDragStartPoint = args->position;
    const POINT p = args->position;
    if (p.y - mBounds.top <= 29) {
        mDragMode = DragModeMove;
    } else if (mBounds.bottom - p.y < 20 && mBounds.right - p.x < 20) {
        mDragMode = DragModeResize;
    } else {
        mDragMode = DragModeNoneOrLink;
        int side = 0;
        const int index = GetLinkIndexByPos(p, side);
        if (mDragDropManager != nullptr && IsLinkIndex(index)) {
            LinkItemModel* link = &*mModel->GetLinks()[index];
            mDragDropManager->SetDragSource(this);
            mDragDropManager->SetDragType(DragTypeLinkItem);
            mDragDropManager->SetDragImageSize(32, 32);
            mDragDropManager->SetDragPosition(p.x, p.y);
            mDragIndex = index;
            mDragIcon = link->GetLargeIcon();
            mDragPath = link->Path();
        }
        return;
    }
    if (mDragDropManager != nullptr) {
        mDragDropManager->SetDragSource(this);
        mDragDropManager->SetDragType(DragTypeLinkGroup);
    }
}

bool LinkGroupView::DragTo(const ViewDragArgs* args) {
    if (mDragMode == DragModeNoneOrLink) {
        return false;
    }
    const int dx = args->position.x - mDragStartPoint.x;
    const int dy = args->position.y - mDragStartPoint.y;
    RECT r = mDragStartBounds;
    if (mDragMode == DragModeMove) {
        OffsetRect(&r, dx, dy);
        // Snap the top-left corner to multiples of 8, toward zero.
        OffsetRect(&r, -TruncatingRemainder(r.left, 8), -TruncatingRemainder(r.top, 8));
    } else {
        r.right += dx;
        r.bottom += dy;
        r.right -= TruncatingRemainder(r.right, 8);
        r.bottom -= TruncatingRemainder(r.bottom, 8);
        LayoutCells();
    }
    SetBounds(r);
    return true;
}

void LinkGroupView::EndDrag(const ViewDragArgs* /*args*/) {
    if (mDragDropManager != nullptr) {
        mDragDropManager->SetDragSource(nullptr);
    }
    if (mDragMode == DragModeResize) {
        int columns = 0;
        int rows = 0;
        GetColumnsAndRows(columns, rows);
        mColumns = columns;
        SetBounds(GetBoundsFor(columns, rows));
        LayoutCells();
    }
    if (mModel != nullptr) {
        LinkGroupSettings& settings = mModel->GetSettings();
        settings.SetColumn(mColumns);
        settings.SetX(mBounds.left);
        settings.SetY(mBounds.top);
    }
}
