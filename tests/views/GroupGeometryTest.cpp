#include "views/GroupGeometry.h"

#include <gtest/gtest.h>

#include <vector>

namespace G = GroupGeometry;

namespace {

std::vector<G::Rect> LaidOut(int count, int columns, G::CellSize cell) {
    std::vector<G::Rect> cells;
    for (int i = 0; i < count; ++i) {
        cells.push_back(G::CellInArea(i, columns, cell));
    }
    return cells;
}

} // namespace

TEST(GroupGeometry, SizeFollowsColumnsRowsAndStyle) {
    struct Case {
        bool large, title;
        int columns, rows;
        int width, height;
    } cases[] = {
        {true, false, 5, 1, 5 * 60 + 38, 48 + 47},  // an empty "Large" group: one row
        {true, true, 4, 2, 4 * 70 + 38, 2 * 80 + 47},
        {false, true, 3, 3, 3 * 120 + 38, 3 * 24 + 47},
    };
    for (const Case& c : cases) {
        const G::Rect bounds = G::BoundsFor(G::Rect{40, 16, 41, 17}, G::CellSizeFor(c.large, c.title), c.columns, c.rows);
        EXPECT_EQ(bounds, (G::Rect{40, 16, 40 + c.width, 16 + c.height})) << c.columns << " x " << c.rows;
    }
}

TEST(GroupGeometry, ColumnCountsAndRows) {
    EXPECT_EQ(G::PreferredColumns(0), 5);
    EXPECT_EQ(G::PreferredColumns(-3), 5);
    EXPECT_EQ(G::PreferredColumns(7), 7);
    EXPECT_EQ(G::PreferredColumns(1000000), G::MaxColumns);
    EXPECT_EQ(G::RowCount(0, 5), 1);
    EXPECT_EQ(G::RowCount(7, 3), 3);
    EXPECT_EQ(G::RowCount(6, 3), 2);
    // A body of 28 + 250 px holds 4 whole "Large" columns; a sliver of a body still one.
    EXPECT_EQ(G::ColumnsForWidth(G::Rect{0, 0, 10 + 28 + 250, 100}, G::LargeCell), 4);
    EXPECT_EQ(G::ColumnsForWidth(G::Rect{0, 0, 20, 100}, G::LargeCell), 1);
}

TEST(GroupGeometry, PointsFindCellsAndSides) {
    const G::Rect bounds = G::BoundsFor(G::Rect{100, 200, 0, 0}, G::LargeCell, 3, 2);
    const auto cells = LaidOut(5, 3, G::LargeCell);
    // The cell area starts 5 + 14 right of the bounds and 7 + 14 + 5 below their top.
    const int areaLeft = 100 + 19, areaTop = 200 + 26;
    struct Case {
        G::Point point;
        int index, side;
    } cases[] = {
        {{areaLeft, areaTop}, 0, 0},
        {{areaLeft + 29, areaTop + 47}, 0, 0},
        {{areaLeft + 30, areaTop}, 0, 1},
        {{areaLeft + 2 * 60 + 59, areaTop}, 2, 1},
        {{areaLeft + 60, areaTop + 48}, 4, 0},
        {{areaLeft + 2 * 60 + 10, areaTop + 48 + 10}, 5, 1},  // body space after the last cell
        {{bounds.left + 2, bounds.top + 40}, -1, 7},           // frame margin: side untouched
        {{bounds.right, bounds.top + 40}, -1, 7},
    };
    for (const Case& c : cases) {
        int side = 7;
        EXPECT_EQ(G::LinkIndexAt(cells, bounds, G::LargeCell, c.point, side), c.index) << c.point.x << "," << c.point.y;
        EXPECT_EQ(side, c.side) << c.point.x << "," << c.point.y;
    }
}

TEST(GroupGeometry, PressZones) {
    const G::Rect bounds{40, 40, 378, 135};
    EXPECT_EQ(G::ZoneAt(bounds, {100, 40 + 29}), G::DragZone::Move);
    EXPECT_EQ(G::ZoneAt(bounds, {100, 40 + 30}), G::DragZone::Other);
    EXPECT_EQ(G::ZoneAt(bounds, {378 - 19, 135 - 19}), G::DragZone::Resize);
    EXPECT_EQ(G::ZoneAt(bounds, {378 - 20, 135 - 19}), G::DragZone::Other);
    EXPECT_EQ(G::ZoneAt(bounds, {378 - 19, 135 - 20}), G::DragZone::Other);
}

TEST(GroupGeometry, MovesAndResizesSnapTowardZero) {
    const G::Rect start{40, 40, 378, 135};
    EXPECT_EQ(G::MovedBy(start, 13, 5), (G::Rect{48, 40, 386, 135}));
    EXPECT_EQ(G::MovedBy(start, -53, 0), (G::Rect{-8, 40, 330, 135}));
    EXPECT_EQ(G::MovedBy(start, -47, -47), (G::Rect{0, 0, 338, 95}));
    EXPECT_EQ(G::ResizedBy(start, -50, 30), (G::Rect{40, 40, 328, 160}));
    EXPECT_EQ(G::ResizedBy(start, -400, 0), (G::Rect{40, 40, -16, 128}));
}

TEST(GroupGeometry, IconsBarsAndNamesInACell) {
    EXPECT_EQ(G::IconOffset(G::SmallCell, false, true).x, 4);
    EXPECT_EQ(G::IconOffset(G::SmallCell, false, true).y, 4);
    EXPECT_EQ(G::IconOffset(G::LargeCell, true, false).x, 14);
    EXPECT_EQ(G::IconOffset(G::LargeCell, true, false).y, 8);
    EXPECT_EQ(G::IconOffset(G::LargeWithTextCell, true, true).x, 19);
    EXPECT_EQ(G::IconOffset(G::LargeWithTextCell, true, true).y, 14);

    const G::Rect cell{100, 50, 160, 98};
    EXPECT_EQ(G::InsertionBar(cell, 0), (G::Rect{94, 50, 100, 98}));
    EXPECT_EQ(G::InsertionBar(cell, 1), (G::Rect{154, 50, 160, 98}));

    EXPECT_EQ(G::NameRect(G::Rect{0, 0, 120, 24}, G::SmallCell, false, true), (G::Rect{28, 6, 120, 24}));
    EXPECT_EQ(G::NameRect(G::Rect{0, 0, 70, 80}, G::LargeWithTextCell, true, true), (G::Rect{8, 48, 62, 80}));
    EXPECT_EQ(G::NameRect(G::Rect{0, 0, 60, 48}, G::LargeCell, true, false), (G::Rect{}));
}

// One scale for every design size: rounded to the nearest, halves away from zero, and back to the
// same design size at every density from the design's up.
TEST(DisplayScale, DesignSizesBecomePixelsAndBackAtEveryDensity) {
    using Tessel::Common::DisplayScale;
    struct Case {
        int dpi, design, pixels;
    };
    for (const Case& c : {Case{96, 77, 77}, Case{120, 77, 96}, Case{144, 77, 116}, Case{144, -3, -5},
                          Case{144, 5, 8}, Case{168, 100, 175}, Case{192, 77, 154}, Case{0, 40, 40},
                          Case{-20, 40, 40}}) {
        EXPECT_EQ(DisplayScale(c.dpi).Px(c.design), c.pixels) << c.dpi << " DPI, " << c.design;
    }
    EXPECT_EQ(DisplayScale(144).Percent(), 150);
    EXPECT_EQ(DisplayScale(120).Percent(), 125);
    for (const int dpi : {96, 120, 144, 168, 192, 288}) {
        for (int design = -2000; design <= 2000; ++design) {
            ASSERT_EQ(DisplayScale(dpi).Design(DisplayScale(dpi).Px(design)), design) << dpi << " DPI, " << design;
        }
    }
    // Absurd sizes and densities do not overflow.
    EXPECT_EQ(DisplayScale(960).Px(2'000'000'00), 2'000'000'000);
}

// At 150 percent every size is the design's scaled, and a group moved by the same number of
// design pixels lands on the same grid place in design units as at 100 percent.
TEST(GroupGeometry, MetricsAndSnappingAtAScale) {
    const G::Metrics m = G::MetricsFor(Tessel::Common::DisplayScale(144));
    EXPECT_EQ(G::CellSizeFor(true, true, m).width, 105);
    EXPECT_EQ(G::CellSizeFor(true, true, m).height, 120);
    EXPECT_EQ(G::CellSizeFor(false, false, m).width, 180);
    EXPECT_EQ(m.largeIconSize, 48);
    EXPECT_EQ(m.smallIconSize, 24);
    const G::Rect design = G::BoundsFor(G::Rect{40, 48, 40, 48}, G::LargeCell, 3, 2);
    const G::Rect scaled = G::BoundsFor(G::Rect{60, 72, 60, 72}, m.largeCell, 3, 2, m);
    // Each part is rounded on its own: the whole is the scaled design size within a pixel.
    EXPECT_NEAR(scaled.Width(), m.scale.Px(design.Width()), 1);
    EXPECT_NEAR(scaled.Height(), m.scale.Px(design.Height()), 1);
    for (const int moved : {13, -13, 100, 3, -50}) {
        const G::Rect atDesign = G::MovedBy(design, moved, moved);
        const G::Rect atScale = G::MovedBy(scaled, m.scale.Px(moved), m.scale.Px(moved), m);
        EXPECT_EQ(m.scale.Design(atScale.left), atDesign.left) << moved;
        EXPECT_EQ(m.scale.Design(atScale.top), atDesign.top) << moved;
    }
    // Zones follow the scale: the grip strip is 29 design pixels high.
    EXPECT_EQ(G::ZoneAt(scaled, G::Point{scaled.left + 50, scaled.top + 42}, m), G::DragZone::Move);
    EXPECT_NE(G::ZoneAt(scaled, G::Point{scaled.left + 50, scaled.top + 45}, m), G::DragZone::Move);
}
