#pragma once

#include "foundation/win32/UniqueHandle.h"
#include "graphics/Graphic.h"
#include "views/ElementViewBase.h"
#include "views/GroupGeometry.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class LinkGroupModel;
class LinkItemModel;
class TCanvas;

// One group of shortcuts on the panel: a rounded card with a grid of equal cells, one per
// shortcut in the group's order. It lays itself out from its model, paints itself, shows hover
// and insertion feedback, and moves, resizes and rearranges itself when dragged.
class LinkGroupView : public ElementViewBase {
public:
    // Room below the card for its reflection, repainted with it (design units).
    static constexpr int ReflectionHeight = 56;
    // How far above the group its tooltips are anchored (design units).
    static constexpr int ToolTipRise = 35;
    // Hover states besides a shortcut index.
    static constexpr int HoverNone = -2;
    static constexpr int HoverOutsideBody = -1;
    // How a search over the panel's shortcuts shows a cell.
    enum class Mark : std::uint8_t { Normal, Dimmed, Matched };
    // Drag modes.
    static constexpr int DragModeNoneOrLink = 0;
    static constexpr int DragModeMove = 1;
    static constexpr int DragModeResize = 2;

    std::function<void(TCanvas* canvas, RECT& body)> OnDecorate;
    std::function<void(LinkGroupView* group, std::wstring& text, POINT point)> OnShowToolTip;
    std::function<void()> OnHideToolTip;
    // Called while painting a shortcut whose icon and name are not known yet.
    std::function<void(LinkItemModel* link)> OnLinkWithoutLook;
    // Whether the left mouse button is down; the system's key state unless a test replaces it.
    std::function<bool()> IsLeftButtonDown;
    // Runs the shortcut at index through the shell, unless a test replaces it.
    std::function<void(int index)> RunLink;

    LinkGroupView();

    // Gives the cells the marks of a search (one per shortcut in order; those missing are
    // Normal) and the selected cell (-1 for none). Only the cells whose look changes are
    // repainted, in window when given.
    void SetMarks(HWND window, std::vector<Mark> marks, int selected);
    Mark GetMark(int index) const;
    int GetSelected() const { return mSelected; }
    // The keyboard is on the group itself (one without shortcuts): a ring shows around the card.
    void SetGroupFocused(HWND window, bool focused);
    bool IsGroupFocused() const { return mGroupFocused; }
    // Runs the shortcut at index, as a click on it does.
    void RunAt(int index);

    void SetModel(LinkGroupModel* model) { mModel = model; }
    // The sizes of the display density the group is shown at; the design's until set. The group
    // takes them at its next ReloadFromModel.
    void SetMetrics(const GroupGeometry::Metrics& metrics) { mMetrics = metrics; }
    const GroupGeometry::Metrics& Metrics() const { return mMetrics; }
    LinkGroupModel* GetModel() const { return mModel; }
    // The picture stretched over the body; owned by the window.
    void SetBackground(const TGraphic* background) { mBackground = background; }
    const TGraphic* GetBackground() const { return mBackground; }

    // Layout and hit testing.
    void ReloadFromModel();
    RECT GetBodyRect() const;
    RECT GetBoundsFor(int columns, int rows) const;
    int GetRowCount(int columns) const;
    void GetColumnsAndRows(int& columns, int& rows) const;
    void LayoutCells();
    // The panel rectangle of cell index.
    RECT GetCellRect(int index) const;
    // The shortcut cell under the point and the side of it (0 left half, 1 right half); the
    // shortcut count (side 1) for body space after the cells; -1 outside the body.
    int GetLinkIndexByPos(const POINT& point, int& side) const;

    // Changes to the group's shortcuts; each re-sizes the group and asks for a repaint.
    void MoveLink(int from, POINT point);
    void RemoveLink(int index, bool deleteFile);
    void RefreshFromModel();

    void PaintContents(HDC dc, const RECT* update);
    // Asks for a repaint of the cells whose shortcut was given its look since the last paint.
    void InvalidateCell(HWND window, int index);
    // The hover and insertion feedback is drawn for the state of the mouse button and the drag;
    // when that state changed since the last check, the hovered cell's feedback is marked stale.
    void CheckFeedbackState();

    RECT GetPaintBounds() override;
    bool GetClipRegion(HRGN region) override;
    RECT GetPreferredBounds() override;
    void SetBounds(const RECT& bounds) override;
    void LayoutContent() override { LayoutCells(); }
    void PaintOnDc(HDC dc, const RECT* update) override;
    void Click(const ViewMouseArgs* args) override;
    void MouseMove(const ViewMouseArgs* args) override;
    void MouseEnter(const ViewMouseArgs* args) override;
    void MouseLeave(const ViewMouseArgs* args) override;
    void DragOver(const ViewDragArgs* args) override;
    void DragEnter(const ViewDragArgs* args) override;
    void DragLeave(const ViewDragArgs* args) override;
    std::string GetTypeName() override { return "IElementView/LinkGroupView"; }
    void DropLink(std::wstring path, POINT position) override;
    // The shortcut under the point, or the group itself.
    ContextTarget ContextTargetAt(POINT position) override;
    void BeginDrag(const ViewDragArgs* args) override;
    bool DragTo(const ViewDragArgs* args) override;
    void EndDrag(const ViewDragArgs* args) override;

    // State a drag and the feedback depend on.
    int GetHoverIndex() const { return mHoverIndex; }
    int GetHoverSide() const { return mHoverSide; }
    // How the group itself is dragged now: moved, resized, or not at all (DragModeNoneOrLink).
    int GetDragMode() const;
    int GetColumns() const { return mColumns; }
    int GetCellWidth() const { return mCellSize.width; }
    int GetCellHeight() const { return mCellSize.height; }
    int GetCellCount() const { return static_cast<int>(mCells.size()); }

private:
    int LinkCount() const;
    bool IsLinkIndex(int index) const { return index >= 0 && index < LinkCount(); }
    void ResizeToContent();
    // The chip under a shortcut the search matched, with the ring of the selected one.
    void PaintMatchedCell(TCanvas& canvas, const RECT& cell, bool selected) const;
    // Takes the cell and side under the point as the hovered one; true when the cell changed.
    bool UpdateHover(POINT point);
    // The panel area that shows the hover or insertion feedback of a hover index; empty for none.
    RECT HoverArea(int index) const;
    // Asks for a repaint of the feedback of the previous and the current hover index only.
    void InvalidateHover(HWND window, int previous) const;
    GroupGeometry::Rect Bounds() const;
    // 0 with the left button up, 1 with it down, 2 while a shortcut is dragged with it.
    int FeedbackState() const;

    LinkGroupModel* mModel = nullptr;
    const TGraphic* mBackground = nullptr;
    GroupGeometry::Metrics mMetrics;
    std::vector<Mark> mMarks;
    int mSelected = -1;
    bool mGroupFocused = false;
    int mHoverIndex = HoverNone;
    int mHoverSide = 0;
    int mFeedbackState = 0;
    int mColumns = 0;
    // Each cell relative to the top-left of the cell area, laid out by LayoutCells.
    std::vector<GroupGeometry::Rect> mCells;
    GroupGeometry::CellSize mCellSize = GroupGeometry::LargeCell;
};
