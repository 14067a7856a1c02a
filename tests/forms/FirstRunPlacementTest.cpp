#include "forms/FirstRunPlacement.h"

#include <gtest/gtest.h>

#include <vector>

using GroupGeometry::Rect;

namespace {

const Rect Panel{0, 0, 1600, 900};

bool Overlap(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

} // namespace

TEST(FirstRunPlacementTest, ColumnsFollowTheCountAndKeepTheCardOnThePanel) {
    const struct {
        int count;
        Rect area;
        int columns;
    } cases[] = {
        {1, Panel, 1}, // one shortcut, one cell
        {4, Panel, 4}, // a single row
        {5, Panel, 5},
        {7, Panel, 5},              // at least a row of five
        {36, Panel, 6},             // about square
        {200, Panel, 20},           // 15 columns would make 14 rows, taller than the panel; 20 make 10
        {200, {0, 0, 600, 900}, 8}, // never wider than the panel
        {3, {0, 0, 100, 900}, 1},
    };
    for (const auto& c : cases) {
        const int columns = FirstRunPlacement::ColumnsFor(c.count, c.area);
        EXPECT_EQ(columns, c.columns) << c.count << " in " << c.area.Width() << "x" << c.area.Height();
        EXPECT_LE(FirstRunPlacement::BoundsFor(0, 0, columns, c.count).Width(), std::max(c.area.Width(), 108));
    }
    EXPECT_LE(FirstRunPlacement::BoundsFor(0, 0, 20, 200).Height(), Panel.Height());
}

TEST(FirstRunPlacementTest, GroupsAreSetSideBySideCoveringNoGroup) {
    const struct {
        std::vector<int> counts;
        std::vector<Rect> existing;
        Rect area;
    } cases[] = {
        {{5, 40}, {}, Panel},
        {{200, 200}, {}, Panel}, // the second does not fit beside the first
        {{12, 3}, {{0, 0, 400, 300}, {600, 0, 900, 700}}, Panel},
        {{1, 1}, {{0, 0, 1600, 900}}, Panel}, // no free place at all
    };
    for (const auto& c : cases) {
        const auto placements = FirstRunPlacement::Place(c.counts, c.existing, c.area);
        ASSERT_EQ(placements.size(), c.counts.size());
        std::vector<Rect> taken = c.existing;
        for (std::size_t i = 0; i < placements.size(); ++i) {
            const auto& p = placements[i];
            EXPECT_EQ(p.columns, FirstRunPlacement::ColumnsFor(c.counts[i], c.area));
            const Rect box = FirstRunPlacement::BoundsFor(p.x, p.y, p.columns, c.counts[i]);
            for (const Rect& t : taken) {
                EXPECT_FALSE(Overlap(box, t)) << "group " << i << " at " << p.x << "," << p.y;
            }
            EXPECT_EQ(p.x % GroupGeometry::SnapGrid, 0);
            EXPECT_EQ(p.y % GroupGeometry::SnapGrid, 0);
            taken.push_back(box);
        }
    }
    // On an empty panel the first group takes the top-left corner and the next stands beside it.
    const auto placements = FirstRunPlacement::Place({5, 40}, {}, Panel);
    EXPECT_EQ(placements[0].x, 0);
    EXPECT_EQ(placements[0].y, 0);
    EXPECT_EQ(placements[1].y, 0);
    EXPECT_GT(placements[1].x, FirstRunPlacement::BoundsFor(0, 0, 5, 5).right);
}
