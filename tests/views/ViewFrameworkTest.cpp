#include "views/DragDropManager.h"
#include "views/ElementViewBase.h"

#include <gtest/gtest.h>

namespace {
class PlainView : public ElementViewBase {
public:
    void BeginDrag(const ViewDragArgs*) override {}
    bool DragTo(const ViewDragArgs*) override { return false; }
    void EndDrag(const ViewDragArgs*) override {}
    void DropLink(std::wstring, POINT) override {}
    void ShowContextMenu(POINT) override {}
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
        EXPECT_EQ(view.HitTest(c.x, c.y), c.inside ? static_cast<IElementView*>(&view) : nullptr)
            << c.x << "," << c.y;
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

TEST(DragDropManager, SourceAloneDecidesWhetherADragIsUnderWay) {
    DragDropManager drag;
    int source = 0;
    EXPECT_FALSE(drag.IsDragging());
    drag.SetDragSource(&source);
    drag.SetDragType(DragTypeLinkItem);
    EXPECT_TRUE(drag.IsDragging());

    drag.SetDragSource(nullptr);
    EXPECT_FALSE(drag.IsDragging());
    EXPECT_EQ(drag.GetDragType(), DragTypeLinkItem) << "the type stays readable";

    drag.SetDragSource(&source);
    drag.ResetDrag();
    EXPECT_FALSE(drag.IsDragging());
    EXPECT_EQ(drag.GetDragType(), "");
}
