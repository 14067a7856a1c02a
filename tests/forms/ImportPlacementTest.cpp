#include "forms/ImportPlacement.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using GroupGeometry::Point;
using GroupGeometry::Rect;

bool Overlaps(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

Rect Moved(const Rect& r, Point by) {
    return {r.left + by.x, r.top + by.y, r.right + by.x, r.bottom + by.y};
}

const Rect Area{0, 28, 1720, 780};

TEST(ImportPlacement, GroupsThatCoverNothingStayWhereTheyWere) {
    const std::vector<Rect> imported{{40, 48, 340, 200}, {500, 48, 800, 300}};
    EXPECT_EQ(ImportPlacement::Offset({}, imported, Area).x, 0);
    EXPECT_EQ(ImportPlacement::Offset({}, imported, Area).y, 0);
    EXPECT_EQ(ImportPlacement::Offset({{1000, 400, 1200, 600}}, imported, Area).x, 0);
}

TEST(ImportPlacement, GroupsThatWouldCoverOthersMoveTogetherToAFreePlaceOnThePanel) {
    const struct {
        const char* what;
        std::vector<Rect> existing;
    } cases[] = {
        {"their own copies", {{40, 48, 340, 200}, {500, 48, 800, 300}}},
        {"a wide group across the top", {{0, 28, 1400, 320}}},
        {"scattered groups", {{40, 48, 340, 200}, {600, 400, 900, 700}, {1200, 60, 1500, 500}}},
    };
    const std::vector<Rect> imported{{40, 48, 340, 200}, {500, 48, 800, 300}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Point offset = ImportPlacement::Offset(c.existing, imported, Area);
        for (const Rect& i : imported) {
            const Rect placed = Moved(i, offset);
            EXPECT_GE(placed.left, Area.left);
            EXPECT_GE(placed.top, Area.top);
            EXPECT_LE(placed.right, Area.right);
            EXPECT_LE(placed.bottom, Area.bottom);
            for (const Rect& e : c.existing) {
                EXPECT_FALSE(Overlaps(placed, e));
            }
        }
    }
}

TEST(ImportPlacement, AFullPanelStillMovesTheCopyOffItsOriginal) {
    const std::vector<Rect> full{Area};
    const std::vector<Rect> imported{{40, 48, 340, 200}};
    const Point offset = ImportPlacement::Offset(full, imported, Area);
    EXPECT_NE(offset.x, 0);
    EXPECT_NE(offset.y, 0);
}

TEST(ImportPlacement, BoundsFollowTheColumnsAndRowsOfTheGroup) {
    StoreSummary::Group group;
    group.x = 100;
    group.y = 50;
    group.column = 4;
    const Rect four = ImportPlacement::BoundsOf(group, 4);
    const Rect five = ImportPlacement::BoundsOf(group, 5);
    EXPECT_EQ(four.left, 100);
    EXPECT_EQ(four.top, 50);
    EXPECT_EQ(five.Width(), four.Width());
    EXPECT_GT(five.Height(), four.Height()) << "a fifth shortcut starts a second row";
}

} // namespace
