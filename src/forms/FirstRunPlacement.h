#pragma once

#include "model/FirstRunFill.h"
#include "views/GroupGeometry.h"

#include <vector>

// Sizes and places the groups of the first-run fill: large icons with names, as many columns as
// make a card about as wide as it is tall (at least one full row of five), more when the card
// would be taller than the panel, never wider than the panel; each card at the first free place
// of the panel, scanning from its top-left corner, covering no other group. Rectangles are in the
// stored (design) units.
namespace FirstRunPlacement {

// The columns of a group of count shortcuts with large icons and names on a panel of area's size.
int ColumnsFor(int count, GroupGeometry::Rect area);

// The bounds of such a group at (x, y).
GroupGeometry::Rect BoundsFor(int x, int y, int columns, int count);

// One placement per count, in order, each covering neither existing nor an earlier one. A card
// that finds no free place inside area goes right of everything placed, where it covers nothing.
std::vector<FirstRunFill::Placement> Place(const std::vector<int>& counts,
                                           const std::vector<GroupGeometry::Rect>& existing, GroupGeometry::Rect area);

} // namespace FirstRunPlacement
