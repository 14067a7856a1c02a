#pragma once

#include "model/StoreSummary.h"
#include "views/GroupGeometry.h"

#include <vector>

// Where imported groups go: moved together, so that their arrangement stays, to a place on the
// panel where they cover no existing group. Rectangles are in the stored (design) units.
namespace ImportPlacement {

// The bounds a group of that many shortcuts is laid out with at the design's size.
GroupGeometry::Rect BoundsOf(const StoreSummary::Group& group, std::size_t links);

// The move (dx, dy) for the imported groups: none when they already cover nothing and lie in
// area; else the first free place found scanning area from its top-left corner (left to right,
// then down, on the snap grid); else below all existing groups when that lies in area; else a
// small step down and right, so that they at least do not hide their originals exactly.
GroupGeometry::Point Offset(const std::vector<GroupGeometry::Rect>& existing,
                            const std::vector<GroupGeometry::Rect>& imported, GroupGeometry::Rect area);

} // namespace ImportPlacement
