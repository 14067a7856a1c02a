#include "views/CellNavigation.h"

#include <gtest/gtest.h>

namespace N = CellNavigation;
using D = CellNavigation::Direction;
using GroupGeometry::Rect;

namespace {

Rect Cell(int left, int top) {
    return Rect{left, top, left + 60, top + 48};
}

} // namespace

// Matches in two groups side by side and one below:
//   0 1   |   3       (group A's first row, group B to the right)
//   2     |
//   4                 (group C below A)
TEST(CellNavigation, ArrowsGoToTheNearestCellThatWayAcrossGroups) {
    const std::vector<Rect> cells = {Cell(60, 80), Cell(120, 80), Cell(60, 128), Cell(400, 80), Cell(60, 300)};
    struct Case {
        int from;
        D direction;
        int to;
    };
    for (const Case& c : {Case{0, D::Right, 1}, Case{1, D::Right, 3}, Case{3, D::Left, 1}, Case{0, D::Down, 2},
                          Case{2, D::Down, 4}, Case{4, D::Up, 2}, Case{2, D::Right, 1}, Case{3, D::Down, 2},
                          // Nothing that way: the selection stays.
                          Case{0, D::Left, 0}, Case{0, D::Up, 0}, Case{3, D::Right, 3}, Case{4, D::Down, 4}}) {
        EXPECT_EQ(N::Next(cells, c.from, c.direction), c.to) << c.from << " " << static_cast<int>(c.direction);
    }
    EXPECT_EQ(N::Next(cells, -1, D::Right), -1);
    EXPECT_EQ(N::Next(cells, 9, D::Right), 9);
    EXPECT_EQ(N::Next({}, 0, D::Right), 0);
}
