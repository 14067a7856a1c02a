#include "forms/FirstRunPlacement.h"

#include <algorithm>
#include <cmath>

namespace FirstRunPlacement {

using GroupGeometry::Rect;

namespace {

// Space kept between two cards, and the step of the scan for a free place.
constexpr int Gap = 2 * GroupGeometry::SnapGrid;
constexpr int Step = 2 * GroupGeometry::SnapGrid;

const GroupGeometry::CellSize Cell = GroupGeometry::LargeWithTextCell;

bool Overlap(const Rect& a, const Rect& b) {
    return a.left < b.right + Gap && b.left < a.right + Gap && a.top < b.bottom + Gap && b.top < a.bottom + Gap;
}

bool Free(const Rect& r, const std::vector<Rect>& taken) {
    return std::none_of(taken.begin(), taken.end(), [&](const Rect& t) { return Overlap(r, t); });
}

} // namespace

Rect BoundsFor(int x, int y, int columns, int count) {
    return GroupGeometry::BoundsFor({x, y, x, y}, Cell, columns, GroupGeometry::RowCount(count, columns));
}

int ColumnsFor(int count, Rect area) {
    const int widest = std::max(1, GroupGeometry::ColumnsForWidth({0, 0, area.Width(), 0}, Cell));
    int columns = std::max(std::min(count, GroupGeometry::DefaultColumns),
                           static_cast<int>(std::ceil(std::sqrt(static_cast<double>(std::max(count, 0))))));
    while (columns < widest && BoundsFor(0, 0, columns, count).Height() > area.Height()) {
        ++columns;
    }
    return std::clamp(columns, 1, widest);
}

std::vector<FirstRunFill::Placement> Place(const std::vector<int>& counts, const std::vector<Rect>& existing,
                                           Rect area) {
    std::vector<FirstRunFill::Placement> placements;
    std::vector<Rect> taken = existing;
    for (const int count : counts) {
        const int columns = ColumnsFor(count, area);
        const Rect size = BoundsFor(0, 0, columns, count);
        bool placed = false;
        Rect box;
        for (int y = area.top; !placed && y + size.Height() <= area.bottom; y += Step) {
            for (int x = area.left; !placed && x + size.Width() <= area.right; x += Step) {
                box = BoundsFor(x, y, columns, count);
                placed = Free(box, taken);
            }
        }
        if (!placed) {
            int right = area.left;
            for (const Rect& t : taken) {
                right = std::max(right, t.right + Gap);
            }
            // On the grid, as a move by the user would leave it.
            right = (right + GroupGeometry::SnapGrid - 1) / GroupGeometry::SnapGrid * GroupGeometry::SnapGrid;
            box = BoundsFor(right, area.top, columns, count);
        }
        taken.push_back(box);
        placements.push_back({box.left, box.top, columns});
    }
    return placements;
}

} // namespace FirstRunPlacement
