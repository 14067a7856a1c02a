#pragma once

#include "views/GroupGeometry.h"

#include <vector>

// Keeps stored window places usable on the screens there are now: a monitor that was unplugged,
// a size of nothing or of a hundred thousand pixels must never leave the user without a panel
// or a button to reach it.
namespace WindowPlacement {

using GroupGeometry::Rect;

// The smallest panel that still shows a group.
constexpr int MinPanelWidth = 400;
constexpr int MinPanelHeight = 300;
// How much of the panel's width must lie on a screen for it to count as reachable.
constexpr int MinReachableWidth = 100;

// The panel's place and size made usable. workAreas are the monitors' work areas, the primary
// first. Only the left edge and the size are checked: the top is the slide's to set. A panel
// whose width lies on no screen goes to the default place, 100 px right of the primary work
// area's left edge; the size is kept within the minimum and the work area of the screen it is on.
Rect UsablePanel(Rect stored, const std::vector<Rect>& workAreas);

// The button's left edge kept on the screens (monitors: their whole areas).
int UsableButtonLeft(int left, int width, const std::vector<Rect>& monitors);

// How far the button hangs into the screen, as the Options dialog lets the user choose it; a
// stored value outside is taken to the nearest end, so that the button is always in reach.
constexpr int MinButtonVisibleHeight = 1;
constexpr int MaxButtonVisibleHeight = 500;
int UsableButtonVisibleHeight(int stored);

} // namespace WindowPlacement
