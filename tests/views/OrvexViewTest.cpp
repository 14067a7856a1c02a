#include "ViewFixture.h"

#include "support/PaintSurface.h"

#include "foundation/win32/DataFolder.h"
#include "views/DragDropManager.h"
#include "views/OrvexView.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using TestSupport::GroupFixture;
using TestSupport::IconStyle;
using TestSupport::PaintSurface;

namespace {

// A panel of groups as the window builds it: the root, its drag state and the group views.
struct PanelFixture {
    OrvexView root;
    DragDropManager drag;
    std::vector<std::unique_ptr<GroupFixture>> groups;

    PanelFixture() {
        root.SetDragDropManager(&drag);
        root.SetBounds(RECT{0, 0, 800, 600});
    }
    GroupFixture& Add(int links, int x, int y) {
        groups.push_back(std::make_unique<GroupFixture>(links, IconStyle::Large, 5, x, y));
        GroupFixture& group = *groups.back();
        group.view.SetDragDropManager(&drag);
        root.AddChild(&group.view);
        root.UpdateLayout();
        return group;
    }
};

// Records the mouse events a view receives.
class RecordingView : public ElementViewBase {
public:
    explicit RecordingView(std::vector<std::string>& journal, std::string name) : mJournal(journal), mName(name) {}
    void MouseEnter(const ViewMouseArgs*) override { mJournal.push_back(mName + " enter"); }
    void MouseLeave(const ViewMouseArgs*) override { mJournal.push_back(mName + " leave"); }
    void MouseMove(const ViewMouseArgs*) override { mJournal.push_back(mName + " move"); }
    void Click(const ViewMouseArgs*) override { mJournal.push_back(mName + " click"); }
    void BeginDrag(const ViewDragArgs*) override {}
    bool DragTo(const ViewDragArgs*) override { return false; }
    void EndDrag(const ViewDragArgs*) override {}
    void DropLink(std::wstring, POINT) override { mJournal.push_back(mName + " drop"); }
    void ShowContextMenu(POINT) override { mJournal.push_back(mName + " menu"); }

private:
    std::vector<std::string>& mJournal;
    std::string mName;
};

} // namespace

TEST(OrvexViewRouting, TopmostGroupWinsAndBringToFrontChangesWhichThatIs) {
    std::vector<std::string> journal;
    RecordingView lower(journal, "lower"), upper(journal, "upper");
    lower.SetBounds(RECT{0, 0, 100, 100});
    upper.SetBounds(RECT{50, 50, 150, 150});
    OrvexView root;
    root.AddChild(&lower);
    root.AddChild(&upper);

    const ViewMouseArgs overlap{nullptr, POINT{75, 75}};
    root.Click(&overlap);
    EXPECT_EQ(root.HitTest(75, 75), &upper);
    EXPECT_EQ(root.HitTest(10, 10), &lower);
    EXPECT_EQ(root.HitTest(500, 500), static_cast<IElementView*>(&root));

    EXPECT_EQ(root.BringToFront(10, 10), &lower);
    EXPECT_EQ(root.GetChildren().back(), &lower);
    root.Click(&overlap);
    EXPECT_EQ(journal, (std::vector<std::string>{"upper click", "lower click"}));
    EXPECT_EQ(root.BringToFront(500, 500), nullptr);
    EXPECT_EQ(root.GetChildren().back(), &lower);
}

TEST(OrvexViewRouting, MovesTellEnterAndLeaveAndARemovedViewHearsNothing) {
    std::vector<std::string> journal;
    RecordingView a(journal, "a"), b(journal, "b");
    a.SetBounds(RECT{0, 0, 100, 100});
    b.SetBounds(RECT{200, 0, 300, 100});
    OrvexView root;
    root.SetBounds(RECT{0, 0, 800, 600});
    root.AddChild(&a);
    root.AddChild(&b);
    for (POINT p : {POINT{10, 10}, POINT{20, 10}, POINT{210, 10}, POINT{500, 500}}) {
        const ViewMouseArgs move{nullptr, p};
        root.MouseMove(&move);
    }
    EXPECT_EQ(journal,
              (std::vector<std::string>{"a enter", "a move", "a move", "a leave", "b enter", "b move", "b leave"}));
    journal.clear();
    const ViewMouseArgs onB{nullptr, POINT{210, 10}};
    root.MouseMove(&onB);
    root.RemoveChild(&b);
    EXPECT_EQ(root.GetHoverChild(), nullptr);
    const ViewMouseArgs away{nullptr, POINT{500, 500}};
    root.MouseMove(&away);
    EXPECT_EQ(journal, (std::vector<std::string>{"b enter", "b move"}));
}

TEST(OrvexViewRouting, ContextMenuOfThePanelTheGroupOrTheShortcut) {
    PanelFixture panel;
    GroupFixture& group = panel.Add(2, 40, 40);
    std::vector<std::string> calls;
    panel.root.OnContextMenu = [&](OrvexView*, POINT) { calls.push_back("panel"); };
    group.view.OnGroupContextMenu = [&](LinkGroupView*, POINT) { calls.push_back("group"); };
    group.view.OnLinkContextMenu = [&](LinkGroupView*, int index, POINT) {
        calls.push_back("link " + std::to_string(index));
    };
    const RECT body = group.view.GetBodyRect();
    panel.root.ShowContextMenu(POINT{700, 500});
    panel.root.ShowContextMenu(POINT{body.right - 3, body.bottom - 3});
    panel.root.ShowContextMenu(group.InCell(1, 0));
    EXPECT_EQ(calls, (std::vector<std::string>{"panel", "group", "link 1"}));
}

TEST(OrvexViewRouting, DropOnEmptySpaceChangesNothingAndOnAGroupInserts) {
    PanelFixture panel;
    GroupFixture& group = panel.Add(2, 40, 40);
    panel.root.DropLink(L"C:\\links\\zzznew.lnk", POINT{700, 500});
    EXPECT_EQ(group.Order(), L"0 1");
    panel.root.DropLink(L"C:\\links\\zzznew.lnk", group.InCell(0, 0));
    EXPECT_EQ(group.Order(), L"new 0 1");
}

TEST(OrvexViewDrag, ShortcutMovesWithinAGroupBetweenGroupsOrStaysOnEmptySpace) {
    struct Case {
        const char* where;
        std::wstring first, second;
    };
    const Case cases[] = {
        {"own group", L"1 0 2", L"0 1"},
        {"other group", L"0 2", L"0 1 1"},
        {"empty space", L"0 1 2", L"0 1"},
    };
    for (const Case& c : cases) {
        PanelFixture panel;
        GroupFixture& first = panel.Add(3, 0, 0);
        GroupFixture& second = panel.Add(2, 0, 300);
        const POINT press = first.InCell(1, 0);
        const POINT release = std::string(c.where) == "own group"     ? first.InCell(0, 0)
                              : std::string(c.where) == "other group" ? second.InCell(1, 1)
                                                                      : POINT{700, 550};
        const ViewDragArgs begin{press, nullptr};
        panel.root.BeginDrag(&begin);
        ASSERT_EQ(panel.drag.GetDragType(), DragTypeLinkItem);
        const ViewDragArgs move{release, nullptr};
        EXPECT_TRUE(panel.root.DragTo(&move));
        EXPECT_EQ(panel.drag.GetDragPosition().x, release.x);
        panel.root.EndDrag(&move);
        EXPECT_EQ(first.Order(), c.first) << c.where;
        EXPECT_EQ(second.Order(), c.second) << c.where;
    }
}

TEST(OrvexViewDrag, GroupDragMovesTheGroupAndNothingHappensWithoutADrag) {
    PanelFixture panel;
    GroupFixture& group = panel.Add(1, 40, 40);
    const ViewDragArgs idle{POINT{10, 10}, nullptr};
    EXPECT_FALSE(panel.root.DragTo(&idle));
    const ViewDragArgs press{POINT{60, 50}, nullptr};
    panel.root.BeginDrag(&press);
    const ViewDragArgs move{POINT{60 + 13, 50 + 5}, nullptr};
    EXPECT_TRUE(panel.root.DragTo(&move));
    panel.root.EndDrag(&move);
    EXPECT_EQ(group.view.GetBounds().left, 48);
    EXPECT_EQ(group.model.GetSettings().X(), 48);
    EXPECT_FALSE(panel.drag.IsDragging());
}

class OrvexViewPaint : public ::testing::Test {
protected:
    PaintSurface surface{200, 160, RGB(0, 0, 0)};
    OrvexView root;
    DragDropManager drag;

    void SetUp() override {
        root.SetDragDropManager(&drag);
        root.SetBounds(RECT{0, 0, 200, 160});
    }
    void Paint() {
        const RECT all{0, 0, 200, 160};
        root.Paint(surface.Dc(), &all);
    }
};

TEST_F(OrvexViewPaint, SmallerPictureIsStretchedOverThePanel) {
    TBitmap picture(2, 2, RGB(255, 0, 0));
    picture.SetPixel(1, 1, RGB(0, 0, 255));
    root.SetBackground(&picture);
    Paint();
    EXPECT_EQ(surface.Pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(surface.Pixel(99, 79), 0xFF0000u);
    EXPECT_EQ(surface.Pixel(100, 80), 0x0000FFu);
    EXPECT_EQ(surface.Pixel(199, 159), 0x0000FFu);
}

TEST_F(OrvexViewPaint, LargerPictureIsCentredAndCroppedEvenly) {
    TBitmap picture(400, 360, RGB(0, 255, 0));
    // Mark the picture's own centre part that should land at the panel's top-left corner.
    picture.SetPixel(100, 100, RGB(255, 0, 0));
    picture.SetPixel(99, 99, RGB(0, 0, 255));
    root.SetBackground(&picture);
    Paint();
    EXPECT_EQ(surface.Pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(surface.Pixel(1, 1), 0x00FF00u);
}

TEST_F(OrvexViewPaint, ShrinkingReusesTheRenderingAndGrowingRendersAgain) {
    TBitmap picture(2, 2, RGB(255, 0, 0));
    root.SetBackground(&picture);
    Paint();
    // The picture changes behind the root's back: only a new rendering can show it.
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 2; ++x) {
            picture.SetPixel(x, y, RGB(0, 0, 255));
        }
    }
    root.SetBounds(RECT{0, 0, 100, 80});
    Paint();
    EXPECT_EQ(surface.Pixel(50, 40), 0xFF0000u) << "a shrink shows part of the old rendering";
    root.SetBounds(RECT{0, 0, 200, 160});
    Paint();
    EXPECT_EQ(surface.Pixel(150, 120), 0x0000FFu) << "growing renders anew";
}

TEST_F(OrvexViewPaint, DraggedShortcutFloatsAboveTheGroupsAtThePointer) {
    TBitmap black(2, 2, RGB(0, 0, 0));
    root.SetBackground(&black);
    // A shortcut whose file the shell knows, so that it has an icon to drag.
    LinkGroupModel model;
    model.AppendLink(L"self.exe", Tessel::Common::GetProgramFilePath());
    LinkGroupView group;
    group.SetModel(&model);
    group.OnDecorate = [](TCanvas*, RECT&) {};
    group.SetDragDropManager(&drag);
    group.ReloadFromModel();
    root.AddChild(&group);
    root.UpdateLayout();
    const RECT cell = group.GetCellRect(0);
    const ViewDragArgs press{POINT{cell.left + 5, cell.top + 5}, nullptr};
    root.BeginDrag(&press);
    ASSERT_NE(group.GetDragIcon(), nullptr);
    const ViewDragArgs move{POINT{150, 130}, nullptr};
    root.DragTo(&move);
    Paint();
    int drawn = 0;
    for (int y = 130 - 16; y < 130 + 16; ++y) {
        for (int x = 150 - 16; x < 150 + 16; ++x) {
            drawn += surface.Pixel(x, y) != 0;
        }
    }
    EXPECT_GT(drawn, 50) << "the icon is drawn centred on the pointer";
    EXPECT_EQ(surface.Pixel(150 + 17, 130), 0u);
    EXPECT_EQ(surface.Pixel(150, 130 - 17), 0u);
}

TEST_F(OrvexViewPaint, EmptyPanelShowsTheHintSixtyPixelsAboveTheMiddle) {
    TBitmap black(2, 2, RGB(0, 0, 0));
    root.SetBackground(&black);
    root.SetHintText(L"Please click the \"+\" button to create a new group.");
    Paint();
    int top = 1000, bottom = -1, left = 1000, right = -1;
    for (int y = 0; y < 160; ++y) {
        for (int x = 0; x < 200; ++x) {
            if (surface.Pixel(x, y) != 0) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    ASSERT_GE(bottom, 0) << "the hint is drawn";
    EXPECT_NEAR((top + bottom) / 2.0, 80 - 60, 4.0);
    EXPECT_LT(bottom, 80 - 60 + 20);
}
