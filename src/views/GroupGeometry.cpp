#include "views/GroupGeometry.h"

#include <algorithm>

namespace GroupGeometry {

namespace {

// C++ division rounds toward zero, so the remainder's sign follows the dividend.
int TowardZeroOnGrid(int value) {
    return value - value % SnapGrid;
}

} // namespace

CellSize CellSizeFor(bool isLargeIcon, bool isTitleVisible) {
    if (!isLargeIcon) {
        return SmallCell;
    }
    return isTitleVisible ? LargeWithTextCell : LargeCell;
}

Rect BodyOf(Rect bounds) {
    return Rect{bounds.left + HorizontalMargin, bounds.top + VerticalMargin, bounds.right - HorizontalMargin,
                bounds.bottom - VerticalMargin};
}

Rect BoundsFor(Rect bounds, CellSize cell, int columns, int rows) {
    const int width = columns * cell.width + 2 * HorizontalInset + 2 * HorizontalMargin;
    const int height = rows * cell.height + TopGap + 2 * VerticalInset + 2 * VerticalMargin;
    return Rect{bounds.left, bounds.top, bounds.left + width, bounds.top + height};
}

int RowCount(int count, int columns) {
    if (columns <= 0) {
        return 1;
    }
    return std::max(1, (count + columns - 1) / columns);
}

int PreferredColumns(int storedColumns) {
    return storedColumns <= 0 ? DefaultColumns : std::min(storedColumns, MaxColumns);
}

int ColumnsForWidth(Rect bounds, CellSize cell) {
    return std::max(1, (BodyOf(bounds).Width() - 2 * HorizontalInset) / cell.width);
}

Rect CellInArea(int index, int columns, CellSize cell) {
    const int r = index / columns;
    const int c = index % columns;
    return Rect{c * cell.width, r * cell.height, (c + 1) * cell.width, (r + 1) * cell.height};
}

Rect CellOnPanel(Rect bounds, Rect cellInArea) {
    const Rect body = BodyOf(bounds);
    const int left = body.left + HorizontalInset + cellInArea.left;
    const int top = body.top + VerticalInset + TopGap + cellInArea.top;
    return Rect{left, top, left + cellInArea.Width(), top + cellInArea.Height()};
}

int LinkIndexAt(const std::vector<Rect>& cellsInArea, Rect bounds, CellSize cell, Point point, int& side) {
    const int count = static_cast<int>(cellsInArea.size());
    for (int i = 0; i < count; ++i) {
        const Rect onPanel = CellOnPanel(bounds, cellsInArea[i]);
        if (onPanel.Contains(point)) {
            side = point.x - onPanel.left < cell.width / 2 ? 0 : 1;
            return i;
        }
    }
    if (BodyOf(bounds).Contains(point)) {
        side = 1;
        return count;
    }
    return -1;
}

DragZone ZoneAt(Rect bounds, Point press) {
    if (press.y - bounds.top <= GripStripHeight) {
        return DragZone::Move;
    }
    if (bounds.bottom - press.y < ResizeCornerSize && bounds.right - press.x < ResizeCornerSize) {
        return DragZone::Resize;
    }
    return DragZone::Other;
}

Rect MovedBy(Rect start, int dx, int dy) {
    const int left = TowardZeroOnGrid(start.left + dx);
    const int top = TowardZeroOnGrid(start.top + dy);
    return Rect{left, top, left + start.Width(), top + start.Height()};
}

Rect ResizedBy(Rect start, int dx, int dy) {
    return Rect{start.left, start.top, TowardZeroOnGrid(start.right + dx), TowardZeroOnGrid(start.bottom + dy)};
}

Point IconOffset(CellSize cell, bool isLargeIcon, bool isTitleVisible) {
    if (!isLargeIcon) {
        return Point{(cell.height - SmallIconSize) / 2, (cell.height - SmallIconSize) / 2};
    }
    return Point{(cell.width - LargeIconSize) / 2, isTitleVisible ? 14 : (cell.height - LargeIconSize) / 2};
}

Rect InsertionBar(Rect cellOnPanel, int side) {
    const int edge = side == 0 ? cellOnPanel.left : cellOnPanel.right;
    return Rect{edge - InsertionBarWidth, cellOnPanel.top, edge, cellOnPanel.bottom};
}

Rect NameRect(Rect textCell, CellSize cell, bool isLargeIcon, bool isTitleVisible) {
    const Point icon = IconOffset(cell, isLargeIcon, isTitleVisible);
    if (!isLargeIcon) {
        Rect text = textCell;
        text.left = textCell.left + 3 * icon.x + SmallIconSize;
        text.top = textCell.top + icon.y + 2;
        return text;
    }
    if (!isTitleVisible) {
        return Rect{};
    }
    return Rect{textCell.left + 8, textCell.top + 48, textCell.right - 8, textCell.bottom};
}

} // namespace GroupGeometry
