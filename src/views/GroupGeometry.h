#pragma once

#include "foundation/geometry/DisplayScale.h"

#include <vector>

// The geometry of a group card, free of any window: its size from the column and shortcut
// counts, where each shortcut cell lies, which cell and side a point hits, the press zones of a
// drag and the snapping of moves and resizes. Rectangles are in panel client pixels; their right
// and bottom edges are exclusive. The sizes below are the design's (96-DPI pixels); Metrics holds
// them scaled for one display density, and every function takes it (the design's by default).
namespace GroupGeometry {

struct Point {
    int x = 0;
    int y = 0;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    bool operator==(const Rect&) const = default;
};

struct CellSize {
    int width = 0;
    int height = 0;
};

// From the bounds to the body (the card itself), each side.
constexpr int HorizontalMargin = 5;
constexpr int VerticalMargin = 5 + 2;
// From the body to the cell area, each side.
constexpr int HorizontalInset = 14;
constexpr int VerticalInset = 14;
// Extra space above the cell area.
constexpr int TopGap = 5;
// Width and height of the ellipse that rounds the body's corners.
constexpr int Corner = 5;
constexpr int DefaultColumns = 5;
// More columns than any screen shows: a stored column count beyond it is laid out as this.
constexpr int MaxColumns = 100;
// A press this close to the top of the bounds moves the group.
constexpr int GripStripHeight = 29;
// A press within this distance of the bottom and the right edge resizes the group.
constexpr int ResizeCornerSize = 20;
// Moves and resizes snap to multiples of this.
constexpr int SnapGrid = 8;
// The insertion bar of a shortcut drag.
constexpr int InsertionBarWidth = 6;

// Cell sizes of the three icon styles.
constexpr CellSize SmallCell{120, 24};
constexpr CellSize LargeCell{60, 48};
constexpr CellSize LargeWithTextCell{70, 80};
constexpr int SmallIconSize = 16;
constexpr int LargeIconSize = 32;
// A name under a large icon stands this far below the cell's top and this far in from its sides.
constexpr int NameTop = 48;
constexpr int NameInset = 8;
// A large icon above its name stands this far below the cell's top.
constexpr int TitledIconTop = 14;

// The sizes above in pixels of one display density.
struct Metrics {
    Tessel::Common::DisplayScale scale;
    int horizontalMargin = HorizontalMargin;
    int verticalMargin = VerticalMargin;
    int horizontalInset = HorizontalInset;
    int verticalInset = VerticalInset;
    int topGap = TopGap;
    int corner = Corner;
    int gripStripHeight = GripStripHeight;
    int resizeCornerSize = ResizeCornerSize;
    int insertionBarWidth = InsertionBarWidth;
    CellSize smallCell = SmallCell;
    CellSize largeCell = LargeCell;
    CellSize largeWithTextCell = LargeWithTextCell;
    int smallIconSize = SmallIconSize;
    int largeIconSize = LargeIconSize;
    int nameTop = NameTop;
    int nameInset = NameInset;
    int titledIconTop = TitledIconTop;
};

// The metrics of a display density; the design's at 96 DPI.
Metrics MetricsFor(Tessel::Common::DisplayScale scale);
inline const Metrics DesignMetrics{};

CellSize CellSizeFor(bool isLargeIcon, bool isTitleVisible, const Metrics& m = DesignMetrics);

Rect BodyOf(Rect bounds, const Metrics& m = DesignMetrics);
// Bounds for whole columns × rows of cells, with the top-left corner of bounds kept.
Rect BoundsFor(Rect bounds, CellSize cell, int columns, int rows, const Metrics& m = DesignMetrics);
// Rows needed for count cells in columns; at least one (an empty group has one row).
int RowCount(int count, int columns);
// The column count a stored value is laid out with: 0 or less means the default.
int PreferredColumns(int storedColumns);
// Whole columns that fit the body of bounds; at least one.
int ColumnsForWidth(Rect bounds, CellSize cell, const Metrics& m = DesignMetrics);

// Cell index of a grid with columns, relative to the top-left of the cell area.
Rect CellInArea(int index, int columns, CellSize cell);
// A cell of the cell area on the panel.
Rect CellOnPanel(Rect bounds, Rect cellInArea, const Metrics& m = DesignMetrics);
// The cell under the point and the side of it (0 left half, 1 right half). Body space after the
// cells gives cells.size() with side 1; outside the body -1 with side unchanged.
int LinkIndexAt(const std::vector<Rect>& cellsInArea, Rect bounds, CellSize cell, Point point, int& side,
                const Metrics& m = DesignMetrics);

// What a press starts when it is dragged.
enum class DragZone { Move, Resize, Other };
DragZone ZoneAt(Rect bounds, Point press, const Metrics& m = DesignMetrics);
// The bounds of a group moved by (dx, dy) from start: the top-left corner snaps to the grid of
// the design's units, toward zero (a left edge of -13 becomes -8), so that the same move stores
// the same place at every density.
Rect MovedBy(Rect start, int dx, int dy, const Metrics& m = DesignMetrics);
// The bounds of a group whose bottom-right corner is dragged by (dx, dy): it snaps to the grid,
// toward zero.
Rect ResizedBy(Rect start, int dx, int dy, const Metrics& m = DesignMetrics);

// Where the icon stands inside a cell, by style.
Point IconOffset(CellSize cell, bool isLargeIcon, bool isTitleVisible, const Metrics& m = DesignMetrics);
// The bar drawn left of a cell (side 0) or inside its right edge (side 1).
Rect InsertionBar(Rect cellOnPanel, int side, const Metrics& m = DesignMetrics);
// The rectangle a shortcut's name is drawn in; textCell is the cell less its hover frame.
// Empty when the style shows no names.
Rect NameRect(Rect textCell, CellSize cell, bool isLargeIcon, bool isTitleVisible, const Metrics& m = DesignMetrics);

} // namespace GroupGeometry
