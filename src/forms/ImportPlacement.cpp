#include "forms/ImportPlacement.h"

#include <algorithm>
#include <climits>

namespace ImportPlacement {

using GroupGeometry::Point;
using GroupGeometry::Rect;

namespace {

// Space kept between an imported group and an existing one.
constexpr int Gap = 8;

bool Overlap(const Rect& a, const Rect& b) {
    return a.left < b.right + Gap && b.left < a.right + Gap && a.top < b.bottom + Gap && b.top < a.bottom + Gap;
}

Rect Moved(Rect r, int dx, int dy) {
    return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

bool Inside(const Rect& r, const Rect& area) {
    return r.left >= area.left && r.top >= area.top && r.right <= area.right && r.bottom <= area.bottom;
}

bool Free(const std::vector<Rect>& existing, const std::vector<Rect>& imported, const Rect& box, int dx, int dy) {
    const Rect movedBox = Moved(box, dx, dy);
    for (const Rect& e : existing) {
        if (!Overlap(movedBox, e)) {
            continue;
        }
        for (const Rect& i : imported) {
            if (Overlap(Moved(i, dx, dy), e)) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

Rect BoundsOf(const StoreSummary::Group& group, std::size_t links) {
    const int columns = GroupGeometry::PreferredColumns(group.column);
    return GroupGeometry::BoundsFor(
        {group.x, group.y, group.x, group.y}, GroupGeometry::CellSizeFor(group.isLargeIcon, group.isTitleVisible),
        columns, GroupGeometry::RowCount(static_cast<int>(std::min<std::size_t>(links, INT_MAX)), columns));
}

Point Offset(const std::vector<Rect>& existing, const std::vector<Rect>& imported, Rect area) {
    if (imported.empty()) {
        return {0, 0};
    }
    Rect box = imported.front();
    for (const Rect& r : imported) {
        box = {std::min(box.left, r.left), std::min(box.top, r.top), std::max(box.right, r.right),
               std::max(box.bottom, r.bottom)};
    }
    if (Inside(box, area) && Free(existing, imported, box, 0, 0)) {
        return {0, 0};
    }
    // Each place costs up to existing × imported tests; past this many the scan is skipped.
    const bool scan = existing.size() * imported.size() <= 20000;
    const int step = 4 * GroupGeometry::SnapGrid;
    for (int y = area.top; scan && y + box.Height() <= area.bottom; y += step) {
        for (int x = area.left; x + box.Width() <= area.right; x += step) {
            if (Free(existing, imported, box, x - box.left, y - box.top)) {
                return {x - box.left, y - box.top};
            }
        }
    }
    int bottom = area.top;
    for (const Rect& e : existing) {
        bottom = std::max(bottom, e.bottom);
    }
    const int below = bottom + 2 * Gap;
    if (below + box.Height() <= area.bottom) {
        return {area.left - box.left, below - box.top};
    }
    return {3 * GroupGeometry::SnapGrid, 3 * GroupGeometry::SnapGrid};
}

} // namespace ImportPlacement
