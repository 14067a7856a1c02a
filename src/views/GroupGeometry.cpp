#include "views/GroupGeometry.h"

#include <algorithm>

namespace GroupGeometry {

namespace {

// A pixel position on the grid of the design's units, toward zero. C++ division rounds toward
// zero, so the remainder's sign follows the dividend.
int TowardZeroOnGrid(int pixels, const Metrics& m) {
    const int design = m.scale.Design(pixels);
    return m.scale.Px(design - design % SnapGrid);
}

CellSize Scaled(CellSize cell, Tessel::Common::DisplayScale s) {
    return CellSize{s.Px(cell.width), s.Px(cell.height)};
}

} // namespace

Metrics MetricsFor(Tessel::Common::DisplayScale s) {
    Metrics m;
    m.scale = s;
    m.horizontalMargin = s.Px(HorizontalMargin);
    m.verticalMargin = s.Px(VerticalMargin);
    m.horizontalInset = s.Px(HorizontalInset);
    m.verticalInset = s.Px(VerticalInset);
    m.topGap = s.Px(TopGap);
    m.corner = s.Px(Corner);
    m.gripStripHeight = s.Px(GripStripHeight);
    m.resizeCornerSize = s.Px(ResizeCornerSize);
    m.insertionBarWidth = s.Px(InsertionBarWidth);
    m.smallCell = Scaled(SmallCell, s);
    m.largeCell = Scaled(LargeCell, s);
    m.largeWithTextCell = Scaled(LargeWithTextCell, s);
    m.smallIconSize = s.Px(SmallIconSize);
    m.largeIconSize = s.Px(LargeIconSize);
    m.nameTop = s.Px(NameTop);
    m.nameInset = s.Px(NameInset);
    m.titledIconTop = s.Px(TitledIconTop);
    return m;
}

CellSize CellSizeFor(bool isLargeIcon, bool isTitleVisible, const Metrics& m) {
    if (!isLargeIcon) {
        return m.smallCell;
    }
    return isTitleVisible ? m.largeWithTextCell : m.largeCell;
}

Rect BodyOf(Rect bounds, const Metrics& m) {
    return Rect{bounds.left + m.horizontalMargin, bounds.top + m.verticalMargin, bounds.right - m.horizontalMargin,
                bounds.bottom - m.verticalMargin};
}

Rect BoundsFor(Rect bounds, CellSize cell, int columns, int rows, const Metrics& m) {
    const int width = columns * cell.width + 2 * m.horizontalInset + 2 * m.horizontalMargin;
    const int height = rows * cell.height + m.topGap + 2 * m.verticalInset + 2 * m.verticalMargin;
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

int ColumnsForWidth(Rect bounds, CellSize cell, const Metrics& m) {
    return std::max(1, (BodyOf(bounds, m).Width() - 2 * m.horizontalInset) / std::max(1, cell.width));
}

Rect CellInArea(int index, int columns, CellSize cell) {
    const int r = index / columns;
    const int c = index % columns;
    return Rect{c * cell.width, r * cell.height, (c + 1) * cell.width, (r + 1) * cell.height};
}

Rect CellOnPanel(Rect bounds, Rect cellInArea, const Metrics& m) {
    const Rect body = BodyOf(bounds, m);
    const int left = body.left + m.horizontalInset + cellInArea.left;
    const int top = body.top + m.verticalInset + m.topGap + cellInArea.top;
    return Rect{left, top, left + cellInArea.Width(), top + cellInArea.Height()};
}

int LinkIndexAt(const std::vector<Rect>& cellsInArea, Rect bounds, CellSize cell, Point point, int& side,
                const Metrics& m) {
    const int count = static_cast<int>(cellsInArea.size());
    for (int i = 0; i < count; ++i) {
        const Rect onPanel = CellOnPanel(bounds, cellsInArea[i], m);
        if (onPanel.Contains(point)) {
            side = point.x - onPanel.left < cell.width / 2 ? 0 : 1;
            return i;
        }
    }
    if (BodyOf(bounds, m).Contains(point)) {
        side = 1;
        return count;
    }
    return -1;
}

DragZone ZoneAt(Rect bounds, Point press, const Metrics& m) {
    if (press.y - bounds.top <= m.gripStripHeight) {
        return DragZone::Move;
    }
    if (bounds.bottom - press.y < m.resizeCornerSize && bounds.right - press.x < m.resizeCornerSize) {
        return DragZone::Resize;
    }
    return DragZone::Other;
}

Rect MovedBy(Rect start, int dx, int dy, const Metrics& m) {
    const int left = TowardZeroOnGrid(start.left + dx, m);
    const int top = TowardZeroOnGrid(start.top + dy, m);
    return Rect{left, top, left + start.Width(), top + start.Height()};
}

Rect ResizedBy(Rect start, int dx, int dy, const Metrics& m) {
    return Rect{start.left, start.top, TowardZeroOnGrid(start.right + dx, m), TowardZeroOnGrid(start.bottom + dy, m)};
}

Point IconOffset(CellSize cell, bool isLargeIcon, bool isTitleVisible, const Metrics& m) {
    if (!isLargeIcon) {
        return Point{(cell.height - m.smallIconSize) / 2, (cell.height - m.smallIconSize) / 2};
    }
    return Point{(cell.width - m.largeIconSize) / 2,
                 isTitleVisible ? m.titledIconTop : (cell.height - m.largeIconSize) / 2};
}

Rect InsertionBar(Rect cellOnPanel, int side, const Metrics& m) {
    const int edge = side == 0 ? cellOnPanel.left : cellOnPanel.right;
    return Rect{edge - m.insertionBarWidth, cellOnPanel.top, edge, cellOnPanel.bottom};
}

Rect NameRect(Rect textCell, CellSize cell, bool isLargeIcon, bool isTitleVisible, const Metrics& m) {
    const Point icon = IconOffset(cell, isLargeIcon, isTitleVisible, m);
    if (!isLargeIcon) {
        Rect text = textCell;
        text.left = textCell.left + 3 * icon.x + m.smallIconSize;
        text.top = textCell.top + icon.y + m.scale.Px(2);
        return text;
    }
    if (!isTitleVisible) {
        return Rect{};
    }
    return Rect{textCell.left + m.nameInset, textCell.top + m.nameTop, textCell.right - m.nameInset, textCell.bottom};
}

} // namespace GroupGeometry
