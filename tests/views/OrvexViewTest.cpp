#include "ViewFixture.h"

#include "support/PaintSurface.h"

#include "foundation/win32/DataFolder.h"
#include "graphics/IconAtlas.h"
#include "views/DragDropManager.h"
#include "views/OrvexView.h"

#include <gtest/gtest.h>

#include <functional>
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

TEST(OrvexViewRouting, ContextMenuIsAboutThePanelTheGroupOrTheShortcut) {
    PanelFixture panel;
    GroupFixture& group = panel.Add(2, 40, 40);
    const RECT body = group.view.GetBodyRect();
    const struct {
        POINT at;
        LinkGroupView* group;
        int link;
    } cases[] = {
        {POINT{700, 500}, nullptr, -1},
        {POINT{body.right - 3, body.bottom - 3}, &group.view, -1},
        {group.InCell(1, 0), &group.view, 1},
    };
    for (const auto& c : cases) {
        const ContextTarget target = panel.root.ContextTargetAt(c.at);
        EXPECT_EQ(target.group, c.group) << c.at.x << "," << c.at.y;
        EXPECT_EQ(target.link, c.link) << c.at.x << "," << c.at.y;
    }
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
        ASSERT_NE(panel.drag.Get<LinkMoveDrag>(), nullptr);
        EXPECT_EQ(panel.drag.Get<LinkMoveDrag>()->position.x, release.x);
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

TEST_F(OrvexViewPaint, RepaintsReuseTheRenderingAndANewSizeRendersAgain) {
    TBitmap picture(2, 2, RGB(255, 0, 0));
    root.SetBackground(&picture);
    Paint();
    // The picture changes behind the root's back: only a new rendering can show it.
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 2; ++x) {
            picture.SetPixel(x, y, RGB(0, 0, 255));
        }
    }
    Paint();
    EXPECT_EQ(surface.Pixel(150, 120), 0xFF0000u) << "an unchanged panel is copied, not rendered";
    root.SetBounds(RECT{0, 0, 100, 80});
    Paint();
    EXPECT_EQ(surface.Pixel(50, 40), 0x0000FFu) << "a shrink stretches the picture anew";
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
    ASSERT_NE(drag.Get<LinkMoveDrag>(), nullptr);
    ASSERT_TRUE(drag.Get<LinkMoveDrag>()->icon);
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

// The panel keeps its picture between paints and renders anew only what was marked changed.
// After each change a paint must show exactly what rendering the whole panel anew shows: a
// change that marks too little leaves stale pixels behind.
class OrvexViewPicture : public ::testing::Test {
public:
    static constexpr int Width = 700;
    static constexpr int Height = 500;

    IconAtlas atlas{GroupGeometry::LargeIconSize};
    IconAtlas::Ref red = atlas.Add(std::vector<std::uint32_t>(Icon, 0xFFFF0000u));
    IconAtlas::Ref blue = atlas.Add(std::vector<std::uint32_t>(Icon, 0xFF0000FFu));
    TBitmap panelPicture{3, 3, RGB(40, 60, 90)};
    TBitmap green{4, 40, RGB(200, 230, 200)};
    TBitmap purple{4, 40, RGB(200, 160, 220)};
    std::unique_ptr<PanelFixture> panel;
    GroupFixture* a = nullptr;
    GroupFixture* b = nullptr;
    GroupFixture* c = nullptr;
    PaintSurface kept{Width, Height};
    PaintSurface fresh{Width, Height};

    static constexpr std::size_t Icon = GroupGeometry::LargeIconSize * GroupGeometry::LargeIconSize;

    // A fresh panel of three groups whose shortcuts have their looks, but for each group's last.
    void Build() {
        TearDown();
        panel = std::make_unique<PanelFixture>();
        panelPicture.SetPixel(1, 1, RGB(90, 20, 20));
        panel->root.SetBounds(RECT{0, 0, Width, Height});
        panel->root.SetBackground(&panelPicture);
        // B overlaps A; C stands alone.
        a = &Add(6, 16, 16);
        b = &Add(4, 120, 72);
        c = &Add(3, 400, 300);
        for (GroupFixture* group : {a, b, c}) {
            const auto& links = group->model.GetLinks();
            for (std::size_t i = 0; i + 1 < links.size(); ++i) {
                links[i]->SetLook(i % 2 == 0 ? red : blue, {}, L"name " + std::to_wstring(i), {});
            }
        }
    }
    void TearDown() override {
        if (panel == nullptr) {
            return;
        }
        // The shortcuts give their icons back while the atlas is still there.
        for (auto& group : panel->groups) {
            for (const auto& link : group->model.GetLinks()) {
                link->SetLook({}, {}, L"", {});
            }
        }
    }
    GroupFixture& Add(int links, int x, int y) {
        panel->groups.push_back(std::make_unique<GroupFixture>(links, IconStyle::LargeWithText, 3, x, y));
        GroupFixture& group = *panel->groups.back();
        group.view.SetDragDropManager(&panel->drag);
        group.view.SetBackground(&green);
        panel->root.AddChild(&group.view);
        panel->root.UpdateLayout();
        return group;
    }
    void Paint(const PaintSurface& surface) {
        const RECT all{0, 0, Width, Height};
        panel->root.Paint(surface.Dc(), &all);
    }
    // Paints with the kept picture, then renders everything anew, and compares the two.
    void ExpectPictureIsCurrent(const std::string& what) {
        Paint(kept);
        panel->root.InvalidateAll();
        Paint(fresh);
        int differing = 0;
        POINT first{-1, -1};
        for (int y = 0; y < Height; ++y) {
            for (int x = 0; x < Width; ++x) {
                if (kept.Pixel(x, y) != fresh.Pixel(x, y)) {
                    if (differing++ == 0) {
                        first = POINT{x, y};
                    }
                }
            }
        }
        EXPECT_EQ(differing, 0) << what << ": stale pixels, the first at " << first.x << "," << first.y;
    }
    void Move(POINT to) {
        const ViewMouseArgs args{nullptr, to};
        panel->root.MouseMove(&args);
    }
};

TEST_F(OrvexViewPicture, EveryChangeToAGroupShowsInTheNextPaint) {
    struct Case {
        const char* what;
        std::function<void(OrvexViewPicture&)> change;
    };
    const Case cases[] = {
        {"an icon arrives",
         [](OrvexViewPicture& t) {
             const auto& links = t.c->model.GetLinks();
             links.back()->SetLook(t.blue, {}, L"arrived", {});
             t.c->view.InvalidateCell(nullptr, static_cast<int>(links.size()) - 1);
         }},
        {"a shortcut is removed", [](OrvexViewPicture& t) { t.a->view.RemoveLink(0, false); }},
        {"a shortcut is dropped on a group",
         [](OrvexViewPicture& t) { t.panel->root.DropLink(L"C:\\links\\zzznew.lnk", t.b->InCell(0, 0)); }},
        {"a group's icon style changes",
         [](OrvexViewPicture& t) {
             t.b->model.GetSettings().SetIsLargeIcon(false);
             t.b->view.RefreshFromModel();
         }},
        {"a group's background changes",
         [](OrvexViewPicture& t) {
             t.a->view.SetBackground(&t.purple);
             t.a->view.RefreshFromModel();
         }},
        {"a group is dragged by its corner",
         [](OrvexViewPicture& t) {
             const RECT bounds = t.c->view.GetBounds();
             const ViewDragArgs press{POINT{bounds.left + 20, bounds.top + 10}, nullptr};
             t.panel->root.BeginDrag(&press);
             const ViewDragArgs move{POINT{bounds.left - 150, bounds.top - 200}, nullptr};
             t.panel->root.DragTo(&move);
             t.panel->root.EndDrag(&move);
         }},
        {"an overlapped group comes to the front",
         [](OrvexViewPicture& t) {
             // B lies over A: a press where only A is brings A over B.
             const RECT a = t.a->view.GetBounds();
             const RECT b = t.b->view.GetBounds();
             RECT both;
             ASSERT_TRUE(IntersectRect(&both, &a, &b));
             ASSERT_EQ(t.panel->root.BringToFront(a.left + 4, a.top + 4), &t.a->view);
         }},
        {"the pointer moves between cells of two groups",
         [](OrvexViewPicture& t) {
             t.Move(t.a->InCell(1, 0));
             t.Paint(t.kept);
             t.Move(t.c->InCell(0, 0));
         }},
        {"the button goes down over a hovered cell",
         [](OrvexViewPicture& t) {
             t.Move(t.c->InCell(1, 0));
             t.Paint(t.kept);
             t.c->leftButtonDown = true;
         }},
        {"a shortcut is dragged over another group",
         [](OrvexViewPicture& t) {
             t.a->leftButtonDown = t.b->leftButtonDown = t.c->leftButtonDown = true;
             const ViewDragArgs press{t.a->InCell(0, 0), nullptr};
             t.panel->root.BeginDrag(&press);
             ASSERT_EQ(t.panel->drag.GetDragType(), DragTypeLinkItem);
             const ViewDragArgs over{t.c->InCell(1, 1), nullptr};
             t.panel->root.DragTo(&over);
         }},
        {"a group is removed", [](OrvexViewPicture& t) { t.panel->root.RemoveChild(&t.b->view); }},
        {"the panel shrinks",
         [](OrvexViewPicture& t) {
             t.panel->root.SetBounds(RECT{0, 0, Width - 80, Height - 60});
         }},
        {"the hint of an empty panel changes",
         [](OrvexViewPicture& t) {
             t.panel->root.SetHintText(L"Click + for a group");
             for (GroupFixture* group : {t.a, t.b, t.c}) {
                 t.panel->root.RemoveChild(&group->view);
             }
             t.Paint(t.kept);
             t.panel->root.SetHintText(L"Klicken Sie auf + für eine Gruppe");
         }},
    };
    for (const Case& c : cases) {
        Build();
        ExpectPictureIsCurrent(std::string("before ") + c.what);
        c.change(*this);
        ExpectPictureIsCurrent(c.what);
    }
}
