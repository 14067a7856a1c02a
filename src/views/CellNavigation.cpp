#include "views/CellNavigation.h"

#include <cstdint>
#include <cstdlib>
#include <limits>

namespace CellNavigation {

int Next(const std::vector<GroupGeometry::Rect>& cells, int from, Direction direction) {
    if (from < 0 || from >= static_cast<int>(cells.size())) {
        return from;
    }
    // Centres doubled, so that they stay whole.
    const auto centre = [](const GroupGeometry::Rect& r) {
        return GroupGeometry::Point{r.left + r.right, r.top + r.bottom};
    };
    const GroupGeometry::Point here = centre(cells[static_cast<std::size_t>(from)]);
    int best = from;
    std::int64_t bestCost = std::numeric_limits<std::int64_t>::max();
    for (int i = 0; i < static_cast<int>(cells.size()); ++i) {
        if (i == from) {
            continue;
        }
        const GroupGeometry::Point there = centre(cells[static_cast<std::size_t>(i)]);
        const std::int64_t dx = static_cast<std::int64_t>(there.x) - here.x;
        const std::int64_t dy = static_cast<std::int64_t>(there.y) - here.y;
        std::int64_t ahead = 0;
        std::int64_t aside = 0;
        switch (direction) {
        case Direction::Left: ahead = -dx, aside = dy; break;
        case Direction::Right: ahead = dx, aside = dy; break;
        case Direction::Up: ahead = -dy, aside = dx; break;
        case Direction::Down: ahead = dy, aside = dx; break;
        }
        if (ahead <= 0) {
            continue;
        }
        // A step to the side costs three steps ahead: the next cell of the row or column wins
        // over a nearer one in another row or column.
        const std::int64_t cost = ahead + 3 * (aside < 0 ? -aside : aside);
        if (cost < bestCost) {
            bestCost = cost;
            best = i;
        }
    }
    return best;
}

} // namespace CellNavigation
