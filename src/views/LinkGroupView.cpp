#include "views/LinkGroupView.h"

#include "foundation/logging/Log.h"
#include "graphics/Canvas.h"
#include "graphics/Graphic.h"
#include "model/LinkGroupModel.h"
#include "model/LinkItemModel.h"
#include "views/DragDropManager.h"

#include "foundation/win32/UniqueHandle.h"

#include <algorithm>

using Tessel::Common::UniquePen;
using Tessel::Common::UniqueRegion;

namespace G = GroupGeometry;

namespace {

// Everything after the last path delimiter.
std::wstring ExtractFileName(const std::wstring& path) {
    const std::size_t split = path.find_last_of(L"\\/:");
    return split == std::wstring::npos ? path : path.substr(split + 1);
}

G::Rect FromRECT(const RECT& r) {
    return G::Rect{r.left, r.top, r.right, r.bottom};
}

RECT ToRECT(const G::Rect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

G::Point FromPOINT(const POINT& p) {
    return G::Point{p.x, p.y};
}

// What a cell shows until its shortcut's icon is known: a faint rounded square where the icon
// will be, lighter than any picture behind it, and no name.
// A search's look: shortcuts it passed over faint, its matches on a light chip, the selected one
// on a blue chip with a firm ring.
constexpr BYTE DimmedOpacity = 64;
constexpr COLORREF DimmedTextColor = RGB(168, 168, 168);
constexpr COLORREF MatchedTextColor = RGB(20, 20, 20);
constexpr COLORREF MatchedFill = RGB(255, 255, 255);
constexpr COLORREF MatchedEdge = RGB(190, 206, 228);
constexpr COLORREF SelectedFill = RGB(222, 236, 252);
constexpr COLORREF SelectedRing = RGB(0, 95, 184);
// Corner ellipse of a chip and the ring's width (design pixels).
constexpr int ChipCorner = 8;
constexpr int RingWidth = 2;

void PaintPlaceholder(HDC dc, int x, int y, int size) {
    static const Tessel::Common::UniqueBrush fill(CreateSolidBrush(RGB(236, 238, 240)));
    static const Tessel::Common::UniquePen edge(CreatePen(PS_SOLID, 1, RGB(214, 218, 222)));
    const HGDIOBJ oldBrush = SelectObject(dc, fill.Get());
    const HGDIOBJ oldPen = SelectObject(dc, edge.Get());
    const int inset = size / 8;
    RoundRect(dc, x + inset, y + inset, x + size - inset, y + size - inset, size / 4, size / 4);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
}

} // namespace

LinkGroupView::LinkGroupView()
    : IsLeftButtonDown([] { return GetKeyState(VK_LBUTTON) < 0; }),
      RunLink([this](int index) { mModel->GetLinks()[index]->Run(); }) {}

int LinkGroupView::LinkCount() const {
    return mModel == nullptr ? 0 : static_cast<int>(mModel->GetLinks().size());
}

G::Rect LinkGroupView::Bounds() const {
    return FromRECT(mBounds);
}

void LinkGroupView::ReloadFromModel() {
    if (mModel == nullptr) {
        return;
    }
    const LinkGroupSettings& settings = mModel->GetSettings();
    mColumns = settings.Column();
    mCellSize = G::CellSizeFor(settings.IsLargeIcon(), settings.IsTitleVisible(), mMetrics);
    // The store keeps places in the design's units, the same at every density.
    mBounds.left = mMetrics.scale.Px(settings.X());
    mBounds.top = mMetrics.scale.Px(settings.Y());
    mCells.assign(mModel->GetLinks().size(), G::Rect{});
}

RECT LinkGroupView::GetBodyRect() const {
    return ToRECT(G::BodyOf(Bounds(), mMetrics));
}

RECT LinkGroupView::GetBoundsFor(int columns, int rows) const {
    return ToRECT(G::BoundsFor(Bounds(), mCellSize, columns, rows, mMetrics));
}

int LinkGroupView::GetRowCount(int columns) const {
    return G::RowCount(static_cast<int>(mCells.size()), columns);
}

RECT LinkGroupView::GetPreferredBounds() {
    const int columns = G::PreferredColumns(mColumns);
    return GetBoundsFor(columns, GetRowCount(columns));
}

void LinkGroupView::GetColumnsAndRows(int& columns, int& rows) const {
    columns = G::ColumnsForWidth(Bounds(), mCellSize, mMetrics);
    rows = GetRowCount(columns);
}

void LinkGroupView::LayoutCells() {
    int columns = 0;
    int rows = 0;
    GetColumnsAndRows(columns, rows);
    for (std::size_t i = 0; i < mCells.size(); ++i) {
        mCells[i] = G::CellInArea(static_cast<int>(i), columns, mCellSize);
    }
}

RECT LinkGroupView::GetCellRect(int index) const {
    return ToRECT(G::CellOnPanel(Bounds(), mCells[index], mMetrics));
}

int LinkGroupView::GetLinkIndexByPos(const POINT& point, int& side) const {
    return G::LinkIndexAt(mCells, Bounds(), mCellSize, FromPOINT(point), side, mMetrics);
}

void LinkGroupView::SetBounds(const RECT& bounds) {
    ElementViewBase::SetBounds(bounds);
    if (mModel != nullptr) {
        // Each setter tells the root model, which marks itself changed.
        LinkGroupSettings& settings = mModel->GetSettings();
        settings.SetX(mMetrics.scale.Design(bounds.left));
        settings.SetY(mMetrics.scale.Design(bounds.top));
    }
}

void LinkGroupView::ResizeToContent() {
    ReloadFromModel();
    SetBounds(GetPreferredBounds());
    LayoutCells();
    RequestRepaint();
}

void LinkGroupView::Click(const ViewMouseArgs* /*args*/) {
    RunAt(mHoverIndex);
}

void LinkGroupView::RunAt(int index) {
    if (IsLinkIndex(index) && RunLink) {
        LOG_INF("LinkGroupView::RunAt", L"Running " << mModel->GetLinks()[static_cast<std::size_t>(index)]->FileName());
        RunLink(index);
    }
}

void LinkGroupView::PaintMatchedCell(TCanvas& canvas, const RECT& cell, bool selected) const {
    const int corner = mMetrics.scale.Px(ChipCorner);
    const int edge = selected ? mMetrics.scale.Px(RingWidth) : std::max(1, mMetrics.scale.Px(1));
    canvas.SetPenStyle(TPenStyle::psClear);
    canvas.SetBrushStyle(TBrushStyle::bsSolid);
    // The edge is the outer chip showing around the inner one.
    canvas.SetBrushColor(selected ? SelectedRing : MatchedEdge);
    canvas.RoundRect(cell.left, cell.top, cell.right + 1, cell.bottom + 1, corner, corner);
    canvas.SetBrushColor(selected ? SelectedFill : MatchedFill);
    canvas.RoundRect(cell.left + edge, cell.top + edge, cell.right + 1 - edge, cell.bottom + 1 - edge,
                     std::max(1, corner - edge), std::max(1, corner - edge));
    canvas.SetBrushStyle(TBrushStyle::bsClear);
}

LinkGroupView::Mark LinkGroupView::GetMark(int index) const {
    return index >= 0 && index < static_cast<int>(mMarks.size()) ? mMarks[static_cast<std::size_t>(index)]
                                                                  : Mark::Normal;
}

void LinkGroupView::SetMarks(HWND window, std::vector<Mark> marks, int selected) {
    const std::size_t reach = std::max(marks.size(), mMarks.size());
    std::vector<int> changed;
    for (std::size_t i = 0; i < reach; ++i) {
        const Mark before = i < mMarks.size() ? mMarks[i] : Mark::Normal;
        const Mark after = i < marks.size() ? marks[i] : Mark::Normal;
        const int index = static_cast<int>(i);
        if (before != after || (index == mSelected) != (index == selected)) {
            changed.push_back(index);
        }
    }
    if (mSelected >= static_cast<int>(reach) || selected >= static_cast<int>(reach)) {
        for (const int index : {mSelected, selected}) {
            if (index >= static_cast<int>(reach) && mSelected != selected) {
                changed.push_back(index);
            }
        }
    }
    mMarks = std::move(marks);
    mSelected = selected;
    for (const int index : changed) {
        if (index >= 0 && index < static_cast<int>(mCells.size())) {
            InvalidateIn(window, GetCellRect(index));
        }
    }
}

void LinkGroupView::SetGroupFocused(HWND window, bool focused) {
    if (focused != mGroupFocused) {
        mGroupFocused = focused;
        InvalidateIn(window, GetBodyRect());
    }
}

ContextTarget LinkGroupView::ContextTargetAt(POINT position) {
    int side = 0;
    const int index = GetLinkIndexByPos(position, side);
    return ContextTarget{this, index >= 0 && index < static_cast<int>(mCells.size()) ? index : -1};
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
    bounds.bottom += mMetrics.scale.Px(ReflectionHeight);
    return bounds;
}

bool LinkGroupView::GetClipRegion(HRGN region) {
    const RECT body = GetBodyRect();
    UniqueRegion rounded(
        CreateRoundRectRgn(body.left, body.top, body.right, body.bottom, mMetrics.corner, mMetrics.corner));
    const Tessel::Common::DisplayScale& scale = mMetrics.scale;
    UniqueRegion bottomEdge(CreateRectRgn(body.left + scale.Px(5), body.bottom - scale.Px(1), body.right - scale.Px(5),
                                          body.bottom + scale.Px(2)));
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
        UniqueRegion region(
            CreateRoundRectRgn(body.left, body.top, body.right, body.bottom, mMetrics.corner, mMetrics.corner));
        if (OnDecorate) {
            OnDecorate(&canvas, body);
        }
        OffsetRgn(region.Get(), origin.x, origin.y);
        ExtSelectClipRgn(dc, region.Get(), RGN_AND);
        if (mBackground != nullptr) {
            canvas.StretchDraw(body, *mBackground);
        }
        PaintContents(dc, update);
        if (mGroupFocused) {
            // Inside the card's clip: the ring follows its rounded corners.
            const int ring = mMetrics.scale.Px(RingWidth);
            UniquePen pen(CreatePen(PS_INSIDEFRAME, ring, SelectedRing));
            const HGDIOBJ oldPen = SelectObject(dc, pen.Get());
            const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
            RoundRect(dc, body.left, body.top, body.right, body.bottom, mMetrics.corner, mMetrics.corner);
            SelectObject(dc, oldBrush);
            SelectObject(dc, oldPen);
        }
    }
    RestoreDC(dc, saved);
}

void LinkGroupView::PaintContents(HDC dc, const RECT* update) {
    if (mModel == nullptr) {
        return;
    }
    const LinkGroupSettings& settings = mModel->GetSettings();
    const auto& links = mModel->GetLinks();
    const int count = static_cast<int>(std::min(links.size(), mCells.size()));
    // Feedback is drawn on the hovered cell only: without one the button's state is not asked.
    const RECT hoverArea = HoverArea(mHoverIndex);
    const int feedback = IsRectEmpty(&hoverArea) ? 0 : FeedbackState();
    const bool leftButton = feedback != 0;
    const bool linkDrag = feedback == 2;
    const HBRUSH gray = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    const HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    const bool small = !settings.IsLargeIcon();
    const G::Point iconOffset = G::IconOffset(mCellSize, settings.IsLargeIcon(), settings.IsTitleVisible(), mMetrics);

    TCanvas canvas(dc);
    canvas.SetDpi(mMetrics.scale.Dpi());
    canvas.SetBrushStyle(TBrushStyle::bsClear);
    canvas.SetFontColor(small ? RGB(50, 50, 50) : RGB(100, 100, 100));

    for (int i = 0; i < count; ++i) {
        const RECT cell = GetCellRect(i);
        // Only the cells the repaint touches are drawn (with the insertion bar left of a cell).
        const RECT reach{cell.left - mMetrics.insertionBarWidth, cell.top, cell.right, cell.bottom};
        RECT overlap;
        if (update != nullptr && !IntersectRect(&overlap, &reach, update)) {
            continue;
        }
        RECT textCell = cell;
        const Mark mark = GetMark(i);
        if (mSelected == i || mark == Mark::Matched) {
            PaintMatchedCell(canvas, cell, mSelected == i);
        }
        const int frame = mMetrics.scale.Px(2);
        if (!leftButton && mHoverIndex == i) {
            if (mSelected != i) {
                FillRect(dc, &cell, gray);
                InflateRect(&textCell, -frame, -frame);
                FillRect(dc, &textCell, white);
            } else {
                InflateRect(&textCell, -frame, -frame);
            }
        } else if (linkDrag) {
            const bool atEnd = i == count - 1 && mHoverIndex == count;
            if (mHoverIndex == i || atEnd) {
                const RECT bar = ToRECT(G::InsertionBar(FromRECT(cell), mHoverSide, mMetrics));
                FillRect(dc, &bar, gray);
            }
        }

        LinkItemModel* link = &*links[i];
        const int iconX = cell.left + iconOffset.x;
        const int iconY = cell.top + iconOffset.y;
        if (!link->HasLook()) {
            if (OnLinkWithoutLook) {
                OnLinkWithoutLook(link);
            }
            PaintPlaceholder(dc, iconX, iconY, small ? mMetrics.smallIconSize : mMetrics.largeIconSize);
            continue;
        }
        // A shortcut the search passed over shows faintly: the matches stand out at a glance.
        const bool dimmed = mark == Mark::Dimmed && mSelected != i;
        (small ? link->SmallIconRef() : link->LargeIconRef()).Draw(dc, iconX, iconY, dimmed ? DimmedOpacity : 255);
        if (dimmed) {
            canvas.SetFontColor(DimmedTextColor);
        } else if (mark == Mark::Matched || mSelected == i) {
            canvas.SetFontColor(MatchedTextColor);
        } else {
            canvas.SetFontColor(small ? RGB(50, 50, 50) : RGB(100, 100, 100));
        }

        // Names are plain text: "&" is a character, not an accelerator mark.
        if (small || settings.IsTitleVisible()) {
            RECT text =
                ToRECT(G::NameRect(FromRECT(textCell), mCellSize, settings.IsLargeIcon(), settings.IsTitleVisible(),
                                   mMetrics));
            canvas.TextRect(text, link->DisplayName(),
                            (small ? 0 : DT_CENTER) | DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE);
        }
    }
}

void LinkGroupView::InvalidateCell(HWND window, int index) {
    if (index >= 0 && index < static_cast<int>(mCells.size())) {
        InvalidateIn(window, GetCellRect(index));
    }
}

int LinkGroupView::FeedbackState() const {
    const bool leftButton = IsLeftButtonDown && IsLeftButtonDown();
    if (!leftButton) {
        return 0;
    }
    const bool linkDrag = mDragDropManager != nullptr && mDragDropManager->IsDraggingShortcut();
    return linkDrag ? 2 : 1;
}

void LinkGroupView::CheckFeedbackState() {
    // Without a hovered cell nothing shows the state (and asking for the button's state costs a
    // call to the system per group); a cell that gets the hover is repainted anyway.
    const RECT area = HoverArea(mHoverIndex);
    if (IsRectEmpty(&area)) {
        return;
    }
    const int state = FeedbackState();
    if (state != mFeedbackState) {
        mFeedbackState = state;
        InvalidateIn(nullptr, area);
    }
}

bool LinkGroupView::UpdateHover(POINT point) {
    int side = mHoverSide;
    const int index = GetLinkIndexByPos(point, side);
    mHoverSide = side;
    const bool changed = index != mHoverIndex;
    mHoverIndex = index;
    return changed;
}

RECT LinkGroupView::HoverArea(int index) const {
    const int count = static_cast<int>(mCells.size());
    if (count == 0 || index < 0 || index > count) {
        return RECT{0, 0, 0, 0};
    }
    // Past the last cell the insertion bar stands at the last cell's right edge.
    RECT area = GetCellRect(std::min(index, count - 1));
    area.left -= mMetrics.insertionBarWidth;
    return area;
}

void LinkGroupView::InvalidateHover(HWND window, int previous) const {
    for (const int index : {previous, mHoverIndex}) {
        const RECT area = HoverArea(index);
        if (!IsRectEmpty(&area)) {
            InvalidateIn(window, area);
        }
    }
}

void LinkGroupView::MouseEnter(const ViewMouseArgs* args) {
    // Entering straight onto a cell is a move onto it: its feedback and its tooltip show.
    MouseMove(args);
}

void LinkGroupView::MouseMove(const ViewMouseArgs* args) {
    const int previous = mHoverIndex;
    if (!UpdateHover(args->position)) {
        return;
    }
    InvalidateHover(args->window, previous);
    if (!IsLinkIndex(mHoverIndex)) {
        return;
    }
    LinkItemModel* link = &*mModel->GetLinks()[mHoverIndex];
    // A shortcut whose name has not arrived yet has no tooltip to show.
    if (link->IsShowingToolTip() && link->HasLook()) {
        if (OnShowToolTip) {
            std::wstring text = link->DisplayName();
            const RECT cell = GetCellRect(mHoverIndex);
            OnShowToolTip(this, text, POINT{cell.left, mBounds.top - mMetrics.scale.Px(ToolTipRise)});
        }
    } else if (OnHideToolTip) {
        OnHideToolTip();
    }
}

void LinkGroupView::MouseLeave(const ViewMouseArgs* args) {
    const int previous = mHoverIndex;
    mHoverIndex = HoverNone;
    InvalidateHover(args->window, previous);
    if (OnHideToolTip) {
        OnHideToolTip();
    }
}

void LinkGroupView::DragEnter(const ViewDragArgs* args) {
    const int previous = mHoverIndex;
    // The side may change within one cell, so the bar's cells are repainted on every move.
    UpdateHover(args->position);
    InvalidateHover(args->window, previous);
}

void LinkGroupView::DragOver(const ViewDragArgs* args) {
    DragEnter(args);
}

void LinkGroupView::DragLeave(const ViewDragArgs* args) {
    const int previous = mHoverIndex;
    mHoverIndex = HoverNone;
    InvalidateHover(args->window, previous);
}

int LinkGroupView::GetDragMode() const {
    if (mDragDropManager == nullptr || mDragDropManager->DraggedGroup() != this) {
        return DragModeNoneOrLink;
    }
    return mDragDropManager->Get<GroupResizeDrag>() != nullptr ? DragModeResize : DragModeMove;
}

void LinkGroupView::BeginDrag(const ViewDragArgs* args) {
    if (mDragDropManager == nullptr) {
        return;
    }
    const POINT p = args->position;
    switch (G::ZoneAt(Bounds(), FromPOINT(p), mMetrics)) {
    case G::DragZone::Move:
        mDragDropManager->Begin(GroupMoveDrag{this, GetBounds(), p});
        return;
    case G::DragZone::Resize:
        mDragDropManager->Begin(GroupResizeDrag{this, GetBounds(), p});
        return;
    case G::DragZone::Other:
        break;
    }
    int side = 0;
    const int index = GetLinkIndexByPos(p, side);
    if (!IsLinkIndex(index)) {
        return;
    }
    LinkItemModel* link = &*mModel->GetLinks()[index];
    LinkMoveDrag drag;
    drag.group = this;
    drag.index = index;
    drag.path = link->Path();
    drag.icon = link->HasLook() ? link->LargeIconRef().MakeIconHandle() : LinkItemModel::LoadIcon(link->Path(), false);
    drag.position = p;
    drag.imageSize = SIZE{mMetrics.largeIconSize, mMetrics.largeIconSize};
    mDragDropManager->Begin(std::move(drag));
}

bool LinkGroupView::DragTo(const ViewDragArgs* args) {
    if (mDragDropManager == nullptr) {
        return false;
    }
    const auto movedBy = [&](const RECT& startBounds, POINT startPoint, auto change) {
        SetBounds(
            ToRECT(change(FromRECT(startBounds), args->position.x - startPoint.x, args->position.y - startPoint.y,
                          mMetrics)));
    };
    if (const auto* move = mDragDropManager->Get<GroupMoveDrag>(); move != nullptr && move->group == this) {
        movedBy(move->startBounds, move->startPoint, G::MovedBy);
        return true;
    }
    if (const auto* resize = mDragDropManager->Get<GroupResizeDrag>(); resize != nullptr && resize->group == this) {
        LayoutCells();
        movedBy(resize->startBounds, resize->startPoint, G::ResizedBy);
        return true;
    }
    return false;
}

void LinkGroupView::EndDrag(const ViewDragArgs* /*args*/) {
    const int mode = GetDragMode();
    if (mode == DragModeNoneOrLink) {
        return;
    }
    mDragDropManager->ResetDrag();
    if (mode == DragModeResize) {
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
        settings.SetX(mMetrics.scale.Design(mBounds.left));
        settings.SetY(mMetrics.scale.Design(mBounds.top));
    }
}
