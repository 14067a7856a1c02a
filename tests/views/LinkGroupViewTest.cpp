#include "ViewFixture.h"

#include "support/PaintSurface.h"

#include "foundation/win32/UniqueHandle.h"
#include "graphics/IconAtlas.h"
#include "model/LinkItemModel.h"
#include "views/DragDropManager.h"
#include "views/GroupGeometry.h"

#include <gtest/gtest.h>

using TestSupport::GroupFixture;
using TestSupport::IconStyle;
using TestSupport::PaintSurface;

namespace {
int Width(const RECT& r) {
    return r.right - r.left;
}
int Height(const RECT& r) {
    return r.bottom - r.top;
}
} // namespace

TEST(LinkGroupViewLayout, EmptyGroupIsOneRowHighAndFiveColumnsWideByDefault) {
    struct Case {
        IconStyle style;
        int column;
        int width, height;
    };
    const Case cases[] = {
        {IconStyle::Large, 5, 338, 95},
        {IconStyle::LargeWithText, 5, 388, 127},
        {IconStyle::Small, 5, 638, 71},
        {IconStyle::Large, 0, 338, 95},
        {IconStyle::Large, -3, 338, 95},
        {IconStyle::Large, 2, 158, 95},
        {IconStyle::Large, 2000000000, 100 * 60 + 38, 95},
    };
    for (const Case& c : cases) {
        GroupFixture group(0, c.style, c.column, 24, 40);
        const RECT bounds = group.view.GetBounds();
        EXPECT_EQ(Width(bounds), c.width) << "column " << c.column;
        EXPECT_EQ(Height(bounds), c.height) << "column " << c.column;
        EXPECT_EQ(bounds.left, 24);
        EXPECT_EQ(bounds.top, 40);
    }
}

TEST(LinkGroupViewLayout, CellsFollowTheBodyWidthInRowMajorOrder) {
    // Seven small shortcuts in a body 2 x 14 + 3 x 120 wide.
    GroupFixture group(7, IconStyle::Small, 3);
    int columns = 0, rows = 0;
    group.view.GetColumnsAndRows(columns, rows);
    EXPECT_EQ(columns, 3);
    EXPECT_EQ(rows, 3);
    EXPECT_EQ(Height(group.view.GetBounds()), 3 * 24 + 47);
    const RECT body = group.view.GetBodyRect();
    const RECT last = group.view.GetCellRect(6);
    EXPECT_EQ(last.left, body.left + 14);
    EXPECT_EQ(last.top, body.top + 19 + 2 * 24);
    EXPECT_EQ(group.view.GetCellRect(5).left, body.left + 14 + 2 * 120);
}

TEST(LinkGroupViewLayout, PointGivesShortcutAndSideOrBodySpaceOrNothing) {
    GroupFixture group(3);
    const RECT body = group.view.GetBodyRect();
    const RECT cell2 = group.view.GetCellRect(2);
    struct Case {
        POINT point;
        int index;
        int side;
    };
    const Case cases[] = {
        {group.InCell(0, 0), 0, 0},
        {group.InCell(2, 1), 2, 1},
        {POINT{cell2.left + 29, cell2.top}, 2, 0},     // last pixel of the left half
        {POINT{cell2.left + 30, cell2.top}, 2, 1},     // first pixel of the right half
        {POINT{cell2.right + 5, cell2.top + 5}, 3, 1}, // body space after the last cell
        {POINT{body.left + 1, body.top + 1}, 3, 1},    // body space above the cells
        {POINT{body.left - 2, body.top + 20}, -1, 7},  // the frame margin: side untouched
    };
    for (const Case& c : cases) {
        int side = 7;
        EXPECT_EQ(group.view.GetLinkIndexByPos(c.point, side), c.index) << c.point.x << "," << c.point.y;
        EXPECT_EQ(side, c.side) << c.point.x << "," << c.point.y;
    }
}

TEST(LinkGroupViewEditing, DropInsertsAtTheSideOfTheCellOrAppends) {
    struct Case {
        int cell; // -1: body space after the cells, -2: the margin
        int side;
        std::wstring order;
    };
    const Case cases[] = {
        {0, 0, L"new 0 1 2"}, {0, 1, L"0 new 1 2"}, {2, 1, L"0 1 2 new"}, {-1, 0, L"0 1 2 new"}, {-2, 0, L"0 1 2 new"},
    };
    for (const Case& c : cases) {
        GroupFixture group(3);
        const RECT body = group.view.GetBodyRect();
        const POINT point = c.cell >= 0    ? group.InCell(c.cell, c.side)
                            : c.cell == -1 ? POINT{body.right - 3, body.bottom - 3}
                                           : POINT{body.left - 3, body.top + 20};
        int repaints = 0;
        group.view.OnInvalidate = [&](IElementView*, bool) { ++repaints; };
        group.view.DropLink(L"C:\\links\\zzznew.lnk", point);
        EXPECT_EQ(group.Order(), c.order);
        EXPECT_EQ(group.model.GetLinks().size(), 4u);
        EXPECT_GE(repaints, 1);
    }
    GroupFixture group(5);
    group.view.DropLink(L"C:\\links\\zzznew.lnk", group.InCell(4, 1));
    EXPECT_EQ(Height(group.view.GetBounds()), 2 * 48 + 47) << "a sixth shortcut opens a second row";
}

TEST(LinkGroupViewEditing, MoveTakesTheShortcutToTheSideOfTheTargetCell) {
    struct Case {
        int from, cell, side;
        std::wstring order;
    };
    const Case cases[] = {
        {3, 4, 0, L"0 1 2 3 4 5"}, // target 4 = from + 1: nothing moves
        {3, 3, 1, L"0 1 2 3 4 5"}, // target 4 again
        {3, 4, 1, L"0 1 2 4 3 5"}, {0, 5, 1, L"1 2 3 4 5 0"}, {5, 0, 0, L"5 0 1 2 3 4"}, {1, 3, 0, L"0 2 1 3 4 5"},
    };
    for (const Case& c : cases) {
        GroupFixture group(6);
        group.view.MoveLink(c.from, group.InCell(c.cell, c.side));
        EXPECT_EQ(group.Order(), c.order) << c.from << " to cell " << c.cell << " side " << c.side;
    }
}

TEST(LinkGroupViewEditing, RemoveShrinksTheGroupAndKeepsTheFileUnlessAsked) {
    GroupFixture group(6);
    group.view.RemoveLink(0, false);
    EXPECT_EQ(group.Order(), L"1 2 3 4 5");
    EXPECT_EQ(Height(group.view.GetBounds()), 48 + 47);
}

TEST(LinkGroupViewDrag, MovingSnapsTheCornerToEightPixelsTowardZero) {
    struct Case {
        int dx, dy;
        int left, top;
    };
    const Case cases[] = {{13, 5, 48, 40}, {-53, 0, -8, 40}, {0, -47, 40, 0}, {7, 7, 40, 40}, {-3, 0, 32, 40}};
    for (const Case& c : cases) {
        GroupFixture group(2, IconStyle::Large, 5, 40, 40);
        DragDropManager drag;
        group.view.SetDragDropManager(&drag);
        const ViewDragArgs press{POINT{60, 45}, nullptr};
        group.view.BeginDrag(&press);
        EXPECT_EQ(group.view.GetDragMode(), LinkGroupView::DragModeMove);
        EXPECT_EQ(drag.GetDragType(), DragTypeLinkGroup);
        const ViewDragArgs move{POINT{60 + c.dx, 45 + c.dy}, nullptr};
        EXPECT_TRUE(group.view.DragTo(&move));
        EXPECT_EQ(group.view.GetBounds().left, c.left) << c.dx;
        EXPECT_EQ(group.view.GetBounds().top, c.top) << c.dy;
        EXPECT_EQ(group.model.GetSettings().X(), c.left) << "the model follows at once";
        EXPECT_EQ(group.model.GetSettings().Y(), c.top);
    }
}

TEST(LinkGroupViewDrag, PressZonesChooseMoveResizeShortcutOrNothing) {
    GroupFixture group(2, IconStyle::Large, 5, 0, 0);
    DragDropManager drag;
    group.view.SetDragDropManager(&drag);
    const RECT b = group.view.GetBounds();
    struct Case {
        POINT press;
        int mode;
        bool dragging;
        const char* type;
    };
    const Case cases[] = {
        {POINT{100, 29}, LinkGroupView::DragModeMove, true, DragTypeLinkGroup},
        {POINT{b.right - 19, b.bottom - 19}, LinkGroupView::DragModeResize, true, DragTypeLinkGroup},
        {POINT{b.right - 20, b.bottom - 19}, LinkGroupView::DragModeNoneOrLink, false, ""},
        {group.InCell(1, 0), LinkGroupView::DragModeNoneOrLink, true, DragTypeLinkItem},
        {POINT{b.right - 30, 40}, LinkGroupView::DragModeNoneOrLink, false, ""},
    };
    for (const Case& c : cases) {
        drag.ResetDrag();
        const ViewDragArgs press{c.press, nullptr};
        group.view.BeginDrag(&press);
        EXPECT_EQ(group.view.GetDragMode(), c.mode) << c.press.x << "," << c.press.y;
        EXPECT_EQ(drag.IsDragging(), c.dragging) << c.press.x << "," << c.press.y;
        EXPECT_EQ(drag.GetDragType(), c.type);
    }
    const POINT onShortcut = group.InCell(1, 0);
    const ViewDragArgs press{onShortcut, nullptr};
    group.view.BeginDrag(&press);
    const LinkMoveDrag* link = drag.Get<LinkMoveDrag>();
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->group, &group.view);
    EXPECT_EQ(link->index, 1);
    EXPECT_EQ(link->path, L"C:\\links\\zzz1.lnk");
    EXPECT_EQ(link->position.x, onShortcut.x);
    EXPECT_EQ(link->imageSize.cx, 32);
    const ViewDragArgs move{POINT{0, 0}, nullptr};
    EXPECT_FALSE(group.view.DragTo(&move)) << "a shortcut drag does not move the group";
}

TEST(LinkGroupViewDrag, ResizeEndsOnWholeColumns) {
    GroupFixture group(6, IconStyle::Large, 5, 0, 0);
    DragDropManager drag;
    group.view.SetDragDropManager(&drag);
    const RECT start = group.view.GetBounds();
    ASSERT_EQ(Width(start), 338);
    const ViewDragArgs press{POINT{start.right - 5, start.bottom - 5}, nullptr};
    group.view.BeginDrag(&press);
    // The body becomes 28 + 250 px wide: room for 4 whole columns.
    const ViewDragArgs move{POINT{start.right - 5 - 50, start.bottom - 5 + 30}, nullptr};
    group.view.DragTo(&move);
    EXPECT_EQ(group.view.GetBounds().right, 288);
    group.view.EndDrag(&move);
    EXPECT_EQ(Width(group.view.GetBounds()), 278);
    EXPECT_EQ(Height(group.view.GetBounds()), 2 * 48 + 47) << "the dragged height does not last";
    EXPECT_EQ(group.model.GetSettings().Column(), 4);
    EXPECT_FALSE(drag.IsDragging());
}

TEST(LinkGroupViewInput, ClickRunsOnlyAHoveredShortcut) {
    GroupFixture group(3);
    const ViewMouseArgs outside{nullptr, POINT{-50, -50}};
    group.view.MouseMove(&outside);
    EXPECT_EQ(group.view.GetHoverIndex(), -1);
    group.view.Click(&outside);
    const RECT body = group.view.GetBodyRect();
    const ViewMouseArgs bodySpace{nullptr, POINT{body.right - 3, body.bottom - 3}};
    group.view.MouseMove(&bodySpace);
    EXPECT_EQ(group.view.GetHoverIndex(), 3);
    group.view.Click(&bodySpace);
    ASSERT_TRUE(group.ran.empty()) << "ran shortcut " << group.ran.front()
                                   << " while no shortcut was under the pointer";
    const ViewMouseArgs onSecond{nullptr, group.InCell(1, 1)};
    group.view.MouseMove(&onSecond);
    group.view.Click(&onSecond);
    ASSERT_EQ(group.ran.size(), 1u);
    EXPECT_EQ(group.ran[0], 1) << "ran shortcut " << group.ran[0] << " instead of the one under the pointer, 1";
    group.view.MouseLeave(&onSecond);
    EXPECT_EQ(group.view.GetHoverIndex(), LinkGroupView::HoverNone);
    group.view.Click(&onSecond);
    EXPECT_EQ(group.ran.size(), 1u) << "a click after the pointer left runs nothing";
}

TEST(LinkGroupViewInput, TooltipShowsForShortcutsThatWantItAndHidesForOthers) {
    GroupFixture group(3, IconStyle::Large, 5, 100, 200);
    // Shortcut 2's name has not arrived yet.
    group.model.GetLinks()[0]->SetLook({}, {}, L"zero", {});
    group.model.GetLinks()[1]->SetLook({}, {}, L"one", {});
    group.model.GetLinks()[1]->SetIsShowingToolTip(false);
    std::vector<std::wstring> events;
    group.view.OnShowToolTip = [&](LinkGroupView*, std::wstring&, POINT p) {
        events.push_back(L"show " + std::to_wstring(p.x) + L"," + std::to_wstring(p.y));
    };
    group.view.OnHideToolTip = [&] { events.push_back(L"hide"); };
    for (int cell : {0, 0, 1, 2}) {
        const ViewMouseArgs move{nullptr, group.InCell(cell, 0)};
        group.view.MouseMove(&move);
    }
    const RECT body = group.view.GetBodyRect();
    const ViewMouseArgs bodySpace{nullptr, POINT{body.right - 3, body.bottom - 3}};
    group.view.MouseMove(&bodySpace);
    const int firstCellLeft = body.left + 14;
    EXPECT_EQ(events,
              (std::vector<std::wstring>{L"show " + std::to_wstring(firstCellLeft) + L",165", L"hide", L"hide"}));
}

// The panel tells a group it was entered and then that the pointer moved, both at the same
// point: entering straight onto a cell shows that cell's tooltip once.
TEST(LinkGroupViewInput, EnteringStraightOntoACellShowsItsTooltip) {
    GroupFixture group(2, IconStyle::Large, 5, 100, 200);
    group.model.GetLinks()[1]->SetLook({}, {}, L"one", {});
    std::vector<std::wstring> events;
    group.view.OnShowToolTip = [&](LinkGroupView*, std::wstring& text, POINT) { events.push_back(L"show " + text); };
    group.view.OnHideToolTip = [&] { events.push_back(L"hide"); };
    const ViewMouseArgs onSecond{nullptr, group.InCell(1, 0)};
    group.view.MouseEnter(&onSecond);
    group.view.MouseMove(&onSecond);
    EXPECT_EQ(group.view.GetHoverIndex(), 1);
    EXPECT_EQ(events, std::vector<std::wstring>{L"show one"});
}

TEST(LinkGroupViewInput, ContextMenuOnAShortcutOrOnTheGroup) {
    GroupFixture group(2);
    const ContextTarget onShortcut = group.view.ContextTargetAt(group.InCell(1, 1));
    EXPECT_EQ(onShortcut.group, &group.view);
    EXPECT_EQ(onShortcut.link, 1);
    const RECT body = group.view.GetBodyRect();
    const ContextTarget onGroup = group.view.ContextTargetAt(POINT{body.right - 3, body.bottom - 3});
    EXPECT_EQ(onGroup.group, &group.view);
    EXPECT_EQ(onGroup.link, -1);
}

class LinkGroupViewPaint : public ::testing::Test {
protected:
    static constexpr std::uint32_t Gray = 0x808080;
    static constexpr std::uint32_t White = 0xFFFFFF;
    static constexpr std::uint32_t Green = 0x00FF00;

    GroupFixture group{3, IconStyle::Large, 5, 10, 10};
    TBitmap background{4, 4, RGB(0, 255, 0)};
    DragDropManager drag;
    PaintSurface surface{400, 200, RGB(0, 0, 0)};

    void SetUp() override {
        group.view.SetBackground(&background);
        group.view.SetDragDropManager(&drag);
    }
    void Paint(const RECT* update = nullptr) {
        const RECT all{0, 0, surface.Width(), surface.Height()};
        group.view.Paint(surface.Dc(), update ? update : &all);
    }
    void Hover(int cell, int side) {
        const ViewDragArgs over{group.InCell(cell, side), nullptr};
        group.view.DragOver(&over);
    }
};

TEST_F(LinkGroupViewPaint, BackgroundFillsTheRoundedBodyOnly) {
    Paint();
    const RECT body = group.view.GetBodyRect();
    EXPECT_EQ(surface.Pixel(body.left + 3, body.top + 3), Green);
    EXPECT_EQ(surface.Pixel(body.right - 3, body.bottom - 3), Green);
    EXPECT_NE(surface.Pixel(body.left, body.top), Green) << "the corner is cut round";
    EXPECT_NE(surface.Pixel(body.right, body.top + 10), Green);
}

TEST_F(LinkGroupViewPaint, HoveredShortcutStandsOnWhiteInsideATwoPixelGrayFrame) {
    const ViewMouseArgs move{nullptr, group.InCell(1, 0)};
    group.view.MouseMove(&move);
    Paint();
    const RECT cell = group.view.GetCellRect(1);
    EXPECT_EQ(surface.Pixel(cell.left, cell.top), Gray);
    EXPECT_EQ(surface.Pixel(cell.left + 1, cell.top + 5), Gray);
    EXPECT_EQ(surface.Pixel(cell.left + 2, cell.top + 2), White);
    EXPECT_EQ(surface.Pixel(cell.right - 3, cell.bottom - 3), White);
    EXPECT_EQ(surface.Pixel(cell.right - 2, cell.bottom - 2), Gray);
    const RECT other = group.view.GetCellRect(0);
    EXPECT_EQ(surface.Pixel(other.left + 2, other.top + 2), Green);
}

TEST_F(LinkGroupViewPaint, InsertionBarStandsBeforeTheCellOrAtTheEndOfTheLast) {
    group.leftButtonDown = true;
    drag.Begin(ShellDrag{});

    Hover(0, 0);
    Paint();
    const RECT first = group.view.GetCellRect(0);
    EXPECT_EQ(surface.Pixel(first.left - 6, first.top + 10), Gray);
    EXPECT_EQ(surface.Pixel(first.left - 1, first.bottom - 1), Gray);
    EXPECT_EQ(surface.Pixel(first.left - 7, first.top + 10), Green);
    EXPECT_EQ(surface.Pixel(first.left, first.top + 10), Green);

    const RECT body = group.view.GetBodyRect();
    const ViewDragArgs end{POINT{body.right - 3, body.bottom - 3}, nullptr};
    group.view.DragOver(&end);
    Paint();
    const RECT last = group.view.GetCellRect(2);
    EXPECT_EQ(surface.Pixel(last.right - 6, last.top + 10), Gray);
    EXPECT_EQ(surface.Pixel(last.right - 1, last.top + 10), Gray);
    EXPECT_EQ(surface.Pixel(last.right - 7, last.top + 10), Green);
}

TEST_F(LinkGroupViewPaint, NoBarWhileAGroupIsDraggedOrTheButtonIsUp) {
    drag.Begin(GroupMoveDrag{&group.view, group.view.GetBounds(), POINT{0, 0}});
    group.leftButtonDown = true;
    Hover(1, 0);
    Paint();
    const RECT cell = group.view.GetCellRect(1);
    EXPECT_EQ(surface.Pixel(cell.left - 3, cell.top + 10), Green);
}

TEST_F(LinkGroupViewPaint, GroupWhoseReflectionAloneMeetsTheUpdateIsPainted) {
    const RECT bounds = group.view.GetBounds();
    const RECT belowGroup{0, bounds.bottom + 10, 400, bounds.bottom + 20};
    int decorated = 0;
    group.view.OnDecorate = [&](TCanvas*, RECT&) { ++decorated; };
    Paint(&belowGroup);
    EXPECT_EQ(decorated, 1);
    const RECT farBelow{0, bounds.bottom + 56, 400, bounds.bottom + 80};
    Paint(&farBelow);
    EXPECT_EQ(decorated, 1) << "nothing of it meets the update";
}

TEST_F(LinkGroupViewPaint, ClipRegionIsTheRoundedBodyAndTheBottomEdge) {
    Tessel::Common::UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_TRUE(group.view.GetClipRegion(region.Get()));
    const RECT body = group.view.GetBodyRect();
    EXPECT_TRUE(PtInRegion(region.Get(), body.left + 10, body.top + 10));
    EXPECT_FALSE(PtInRegion(region.Get(), body.left, body.top));
    EXPECT_TRUE(PtInRegion(region.Get(), body.left + 6, body.bottom + 1));
    EXPECT_FALSE(PtInRegion(region.Get(), body.left + 6, body.bottom + 2));
}

// A cell draws its shortcut's icon from the shared atlas once the icon has arrived, a quiet
// placeholder until then (and asks for the look), and nothing over its background when the
// shell had no icon for it.
TEST_F(LinkGroupViewPaint, CellsShowTheirIconFromTheAtlasOrAPlaceholderUntilItArrives) {
    constexpr std::uint32_t Red = 0xFF0000;
    IconAtlas atlas(GroupGeometry::LargeIconSize);
    const IconAtlas::Ref red =
        atlas.Add(std::vector<std::uint32_t>(GroupGeometry::LargeIconSize * GroupGeometry::LargeIconSize, 0xFFFF0000u));
    ASSERT_TRUE(red);
    const auto& links = group.model.GetLinks();
    links[0]->SetLook(red, {}, L"red", {});
    links[2]->SetLook({}, {}, L"no icon", {});
    std::vector<LinkItemModel*> asked;
    group.view.OnLinkWithoutLook = [&](LinkItemModel* link) { asked.push_back(link); };
    Paint();

    const GroupGeometry::Point offset = GroupGeometry::IconOffset(GroupGeometry::LargeCell, true, false);
    const auto iconMiddle = [&](int index) {
        const RECT cell = group.view.GetCellRect(index);
        return POINT{cell.left + offset.x + GroupGeometry::LargeIconSize / 2,
                     cell.top + offset.y + GroupGeometry::LargeIconSize / 2};
    };
    EXPECT_EQ(surface.Pixel(iconMiddle(0).x, iconMiddle(0).y), Red);
    const std::uint32_t placeholder = surface.Pixel(iconMiddle(1).x, iconMiddle(1).y);
    EXPECT_NE(placeholder, Green) << "a placeholder stands where the icon will be";
    EXPECT_NE(placeholder, Red);
    EXPECT_EQ(surface.Pixel(iconMiddle(2).x, iconMiddle(2).y), Green);
    EXPECT_EQ(asked, std::vector<LinkItemModel*>{&*links[1]});
    // The items give their icons back while the atlas is still there.
    links[0]->SetLook({}, {}, L"", {});
}

// Moving the pointer from cell to cell asks for a repaint of the cells it left and entered
// only, not of the whole group.
TEST(LinkGroupViewInput, HoverRepaintsOnlyTheCellsItTouches) {
    GroupFixture group(6, IconStyle::Large, 3, 10, 10);
    const HWND window =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 600, 400, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    const auto invalidCells = [&] {
        Tessel::Common::UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
        GetUpdateRgn(window, region.Get(), FALSE);
        std::vector<int> cells;
        for (int i = 0; i < group.view.GetCellCount(); ++i) {
            const RECT cell = group.view.GetCellRect(i);
            if (PtInRegion(region.Get(), (cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2)) {
                cells.push_back(i);
            }
        }
        ValidateRect(window, nullptr);
        return cells;
    };
    ValidateRect(window, nullptr);
    const ViewMouseArgs onFirst{window, group.InCell(0, 0)};
    group.view.MouseMove(&onFirst);
    EXPECT_EQ(invalidCells(), std::vector<int>{0});
    const ViewMouseArgs onFifth{window, group.InCell(4, 1)};
    group.view.MouseMove(&onFifth);
    EXPECT_EQ(invalidCells(), (std::vector<int>{0, 4}));
    group.view.MouseMove(&onFifth);
    EXPECT_EQ(invalidCells(), std::vector<int>{}) << "no change, no repaint";
    group.view.MouseLeave(&onFifth);
    EXPECT_EQ(invalidCells(), std::vector<int>{4});
    DestroyWindow(window);
}
