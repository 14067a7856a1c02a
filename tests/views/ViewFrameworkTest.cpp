#include "views/DragDropManager.h"
#include "views/ElementViewBase.h"
#include "views/LinkGroupView.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace {
class PlainView : public ElementViewBase {
public:
    void BeginDrag(const ViewDragArgs*) override {}
    bool DragTo(const ViewDragArgs*) override { return false; }
    void EndDrag(const ViewDragArgs*) override {}
    void DropLink(std::wstring, POINT) override {}
    void PaintOnDc(HDC, const RECT* update) override { painted = update; }
    void Repaint() { RequestRepaint(); }
    const RECT* painted = nullptr;
};
} // namespace

TEST(ElementViewBase, HitTestTakesLeftAndTopEdgesButNotRightAndBottom) {
    PlainView view;
    view.SetBounds(RECT{10, 20, 30, 40});
    struct Case {
        int x, y;
        bool inside;
    };
    const Case cases[] = {{10, 20, true}, {29, 39, true}, {30, 25, false}, {15, 40, false}, {9, 25, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(view.HitTest(c.x, c.y), c.inside ? static_cast<IElementView*>(&view) : nullptr) << c.x << "," << c.y;
    }
}

TEST(ElementViewBase, PaintGoesToThePainterAndRepaintWithoutWindowIsHarmless) {
    PlainView view;
    const RECT update{0, 0, 5, 5};
    view.Paint(nullptr, &update);
    EXPECT_EQ(view.painted, &update);
    view.Repaint();
    int calls = 0;
    view.OnInvalidate = [&](IElementView* v, bool flag) {
        EXPECT_EQ(v, static_cast<IElementView*>(&view));
        EXPECT_FALSE(flag);
        ++calls;
    };
    view.Repaint();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(view.GetTypeName(), "ElementViewBase");
}

TEST(DragDropManager, OneKindOfDragAtATimeEndedByItsScopeWhateverHappens) {
    DragDropManager drag;
    EXPECT_FALSE(drag.IsDragging());
    EXPECT_EQ(drag.GetDragType(), "");
    LinkGroupView dragged;
    LinkGroupView* group = &dragged;
    const struct {
        std::function<void()> begin;
        const char* type;
        bool shortcut;
        LinkGroupView* dragged;
    } cases[] = {
        {[&] { drag.Begin(GroupMoveDrag{group}); }, DragTypeLinkGroup, false, group},
        {[&] { drag.Begin(GroupResizeDrag{group}); }, DragTypeLinkGroup, false, group},
        {[&] {
             LinkMoveDrag link;
             link.group = group;
             drag.Begin(std::move(link));
         },
         DragTypeLinkItem, true, nullptr},
        {[&] { drag.Begin(ShellDrag{}); }, DragTypeShellItem, true, nullptr},
    };
    for (const auto& c : cases) {
        try {
            const DragDropManager::EndScope end(drag);
            c.begin();
            EXPECT_TRUE(drag.IsDragging()) << c.type;
            EXPECT_EQ(drag.GetDragType(), c.type);
            EXPECT_EQ(drag.IsDraggingShortcut(), c.shortcut) << c.type;
            EXPECT_EQ(drag.DraggedGroup(), c.dragged) << c.type;
            throw std::runtime_error("handling the drag failed");
        } catch (const std::runtime_error&) {
        }
        EXPECT_FALSE(drag.IsDragging()) << c.type;
    }

    // A group about to go takes its drags with it; others stay.
    LinkGroupView other;
    LinkMoveDrag link;
    link.group = group;
    drag.Begin(std::move(link));
    drag.Forget(&other);
    EXPECT_TRUE(drag.IsDragging());
    drag.Forget(group);
    EXPECT_FALSE(drag.IsDragging());
}
