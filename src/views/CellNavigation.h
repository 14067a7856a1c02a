#pragma once

#include "views/GroupGeometry.h"

#include <vector>

// Moving a selection among cells spread over the panel (the shortcuts a search found, in every
// group) by arrow keys, free of any window: the next cell is the nearest one whose centre lies
// in the arrow's direction, a cell straight ahead counting before one off to the side.
namespace CellNavigation {

enum class Direction { Left, Right, Up, Down };

// The index into cells of the cell an arrow moves to from cells[from], or from itself when no
// cell lies that way (or from is no index of cells).
int Next(const std::vector<GroupGeometry::Rect>& cells, int from, Direction direction);

} // namespace CellNavigation
