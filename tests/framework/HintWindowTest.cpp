#include "framework/HintWindow.h"
#include "framework/Application.h"

#include <gtest/gtest.h>

namespace {

RECT WindowBounds(const THintWindow& hint) {
    RECT r{};
    GetWindowRect(hint.Handle(), &r);
    return r;
}

RECT WorkArea(POINT point) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor.rcWork;
}

} // namespace

TEST(THintWindow, SizesItselfToItsTextAndStaysOnTheWorkArea) {
    TApplication application;
    application.Initialize();
    THintWindow& hint = application.HintWindow();
    EXPECT_EQ(&hint, &application.HintWindow()) << "one per application";
    const HWND foreground = GetForegroundWindow();

    hint.ActivateHint(L"Add a new group", POINT{200, 150});
    ASSERT_TRUE(hint.Visible());
    const RECT shortHint = WindowBounds(hint);
    EXPECT_EQ(shortHint.left, 200);
    EXPECT_EQ(shortHint.top, 150);
    const int shortWidth = shortHint.right - shortHint.left;
    const int lineHeight = shortHint.bottom - shortHint.top;
    EXPECT_GT(shortWidth, 40);
    EXPECT_GT(lineHeight, 2 * THintWindow::PaddingY + 8);
    EXPECT_LT(lineHeight, 60);
    EXPECT_EQ(GetForegroundWindow(), foreground) << "never activated";
    EXPECT_TRUE(GetWindowLongPtrW(hint.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);

    hint.ActivateHint(L"Add a new group to the panel, with a longer text", POINT{200, 150});
    EXPECT_GT(WindowBounds(hint).right - WindowBounds(hint).left, shortWidth);
    hint.ActivateHint(L"First line\nSecond line", POINT{200, 150});
    EXPECT_GT(WindowBounds(hint).bottom - WindowBounds(hint).top, lineHeight + lineHeight / 3);
    hint.ActivateHint(std::wstring(400, L'x') + L" " + std::wstring(400, L'y'), POINT{200, 150});
    EXPECT_LE(WindowBounds(hint).right - WindowBounds(hint).left,
              THintWindow::MaxTextWidth + 2 * (THintWindow::PaddingX + 1));

    const RECT work = WorkArea(POINT{200, 150});
    for (const POINT point : {POINT{work.right - 5, work.bottom - 5}, POINT{work.left - 300, work.top - 300},
                              POINT{work.right + 2000, 150}}) {
        hint.ActivateHint(L"Add a new group", point);
        const RECT r = WindowBounds(hint);
        EXPECT_GE(r.left, work.left);
        EXPECT_GE(r.top, work.top);
        EXPECT_LE(r.right, work.right);
        EXPECT_LE(r.bottom, work.bottom);
        EXPECT_EQ(r.right - r.left, shortWidth) << "moved, not squeezed";
    }

    hint.HideHint();
    EXPECT_FALSE(hint.Visible());
    hint.ActivateHint(L"Shown", POINT{10, 10});
    hint.ActivateHint(L"", POINT{10, 10});
    EXPECT_FALSE(hint.Visible()) << "an empty text hides";
}
