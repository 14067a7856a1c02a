#include "os/ChooseOsSpecific.h"
#include "os/VistaOrLaterSpecific.h"
#include "os/WinXPSpecific.h"

#include <oleidl.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

// A plain top-level window at a known place, destroyed with the test.
class TestWindow {
public:
    explicit TestWindow(const RECT& rect)
        : mHandle(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, rect.left, rect.top, rect.right - rect.left,
                                  rect.bottom - rect.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr)) {}
    ~TestWindow() { DestroyWindow(mHandle); }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND Handle() const { return mHandle; }

private:
    HWND mHandle;
};

RECT WindowRect(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

constexpr LRESULT NotHandled = -1;

LRESULT HitTest(IOsSpecific& service, HWND window, int x, int y) {
    WindowMessage message{window, WM_NCHITTEST, 0, MAKELPARAM(x, y)};
    LRESULT result = 12345;
    return service.PreProcessMessage(message, result) ? result : NotHandled;
}

} // namespace

TEST(VistaOrLaterSpecific, SizesThePanelFromItsLeftRightAndBottomEdgesOnly) {
    struct Case {
        RECT window;
        int x, y;
        LRESULT expected;
    };
    const Case cases[] = {
        {{100, 100, 500, 400}, 494, 394, HTBOTTOMRIGHT},
        {{100, 100, 500, 400}, 106, 394, HTBOTTOMLEFT},
        {{100, 100, 500, 400}, 300, 394, HTBOTTOM},
        {{100, 100, 500, 400}, 494, 200, HTRIGHT},
        {{100, 100, 500, 400}, 106, 200, HTLEFT},
        {{100, 100, 500, 400}, 300, 102, NotHandled},
        {{100, 100, 500, 400}, 300, 200, NotHandled},
        {{100, 100, 500, 400}, 493, 393, NotHandled},
        {{100, 100, 500, 400}, 107, 200, NotHandled},
        {{100, 100, 500, 400}, 100, 100, HTLEFT}, // no top corner
        {{100, 100, 500, 400}, 499, 100, HTRIGHT},
        {{100, 100, 500, 400}, 499, 399, HTBOTTOMRIGHT},
        // A panel on a monitor left of and above the primary one: negative screen coordinates.
        {{-900, -700, -500, -400}, -506, -406, HTBOTTOMRIGHT},
        {{-900, -700, -500, -400}, -894, -600, HTLEFT},
        {{-900, -700, -500, -400}, -700, -600, NotHandled},
    };
    VistaOrLaterSpecific service;
    for (const Case& c : cases) {
        TestWindow window(c.window);
        ASSERT_TRUE(WindowRect(window.Handle()) == c.window);
        EXPECT_EQ(HitTest(service, window.Handle(), c.x, c.y), c.expected) << "(" << c.x << ", " << c.y << ")";
    }
}

TEST(VistaOrLaterSpecific, NeverPaintsTheFrameAndKeepsTheDefaultActivationFromRepainting) {
    VistaOrLaterSpecific service;
    WindowMessage paint{nullptr, WM_NCPAINT, 1, 0};
    LRESULT result = 7;
    EXPECT_TRUE(service.PreProcessMessage(paint, result));

    for (const WPARAM active : {WPARAM(0), WPARAM(1)}) {
        WindowMessage activate{nullptr, WM_NCACTIVATE, active, 0};
        result = 7;
        EXPECT_FALSE(service.PreProcessMessage(activate, result)) << "the default handling still runs";
        EXPECT_EQ(activate.lParam, -1);
        EXPECT_EQ(activate.wParam, active);
        EXPECT_EQ(result, active ? 0 : 1);
    }

    WindowMessage other{nullptr, WM_SIZE, 3, 4};
    result = 7;
    EXPECT_FALSE(service.PreProcessMessage(other, result));
    EXPECT_EQ(other.lParam, 4);
    EXPECT_EQ(result, 7);
}

TEST(VistaOrLaterSpecific, ClientAreaCoversTheSizingFrameSaveOnePixelAndTwoAtTheTop) {
    VistaOrLaterSpecific service;
    const int frame = GetSystemMetrics(SM_CXFRAME) - 1;
    NCCALCSIZE_PARAMS params = {};
    params.rgrc[0] = {10, 20, 110, 220};
    WindowMessage calc{nullptr, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params)};
    LRESULT result = 0;
    service.PostProcessMessage(calc, result);
    EXPECT_TRUE(params.rgrc[0] == (RECT{10 - frame, 20 - frame + 1, 110 + frame, 220 + frame}));
    EXPECT_EQ(result, 0);

    // With wParam 0, lParam points at a single rectangle, which stays as it is.
    RECT single = {10, 20, 110, 220};
    WindowMessage plain{nullptr, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&single)};
    service.PostProcessMessage(plain, result);
    EXPECT_TRUE(single == (RECT{10, 20, 110, 220}));
}

TEST(OsSpecific, DropEffectIsTheLinkEffectOnVistaAndAsOfferedOnXP) {
    VistaOrLaterSpecific vista;
    WinXPSpecific xp;
    for (const DWORD offered : {DWORD(DROPEFFECT_NONE), DWORD(DROPEFFECT_COPY | DROPEFFECT_MOVE)}) {
        DWORD effect = offered;
        vista.AdjustDropEffect(effect);
        EXPECT_EQ(effect, DWORD(DROPEFFECT_LINK));
        effect = offered;
        xp.AdjustDropEffect(effect);
        EXPECT_EQ(effect, offered);
    }
}

TEST(OsSpecific, WithoutVistaEveryMessageGoesToTheDefaultHandlingUntouched) {
    WinXPSpecific xp;
    TestWindow window({100, 100, 500, 400});
    NCCALCSIZE_PARAMS params = {};
    params.rgrc[0] = {1, 2, 3, 4};
    const WindowMessage messages[] = {
        {window.Handle(), WM_NCHITTEST, 0, MAKELPARAM(494, 394)},
        {window.Handle(), WM_NCPAINT, 1, 0},
        {window.Handle(), WM_NCACTIVATE, 0, 0},
        {window.Handle(), WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params)},
    };
    for (IOsSpecific* service : {static_cast<IOsSpecific*>(&xp), static_cast<IOsSpecific*>(nullptr)}) {
        for (const WindowMessage& original : messages) {
            WindowMessage message = original;
            std::vector<UINT> seen;
            const LRESULT result = DispatchThroughOsSpecific(service, message, [&](const WindowMessage& m) {
                seen.push_back(m.message);
                EXPECT_EQ(m.lParam, original.lParam);
                return LRESULT(42);
            });
            EXPECT_EQ(result, 42);
            EXPECT_EQ(seen, std::vector<UINT>{original.message});
        }
    }
    EXPECT_TRUE(params.rgrc[0] == (RECT{1, 2, 3, 4}));
}

TEST(OsSpecific, VistaDispatchFinishesHandledMessagesAndAdjustsAfterTheDefaultHandling) {
    VistaOrLaterSpecific vista;
    TestWindow window({100, 100, 500, 400});
    int defaultCalls = 0;
    const auto defaultHandling = [&](const WindowMessage& m) {
        ++defaultCalls;
        return m.message == WM_NCACTIVATE && m.lParam == -1 ? LRESULT(TRUE) : LRESULT(HTCLIENT);
    };

    WindowMessage hit{window.Handle(), WM_NCHITTEST, 0, MAKELPARAM(300, 394)};
    EXPECT_EQ(DispatchThroughOsSpecific(&vista, hit, defaultHandling), HTBOTTOM);
    WindowMessage paint{window.Handle(), WM_NCPAINT, 1, 0};
    DispatchThroughOsSpecific(&vista, paint, defaultHandling);
    EXPECT_EQ(defaultCalls, 0);

    WindowMessage inside{window.Handle(), WM_NCHITTEST, 0, MAKELPARAM(300, 200)};
    EXPECT_EQ(DispatchThroughOsSpecific(&vista, inside, defaultHandling), HTCLIENT);
    WindowMessage activate{window.Handle(), WM_NCACTIVATE, 0, 0};
    EXPECT_EQ(DispatchThroughOsSpecific(&vista, activate, defaultHandling), TRUE) << "the default saw lParam -1";
    EXPECT_EQ(defaultCalls, 2);

    NCCALCSIZE_PARAMS params = {};
    params.rgrc[0] = {100, 100, 500, 400};
    WindowMessage calc{window.Handle(), WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params)};
    DispatchThroughOsSpecific(&vista, calc, [&](const WindowMessage&) {
        params.rgrc[0] = {104, 104, 496, 396}; // the default handling takes the frame off
        return LRESULT(0);
    });
    const int frame = GetSystemMetrics(SM_CXFRAME) - 1;
    EXPECT_TRUE(params.rgrc[0] == (RECT{104 - frame, 104 - frame + 1, 496 + frame, 396 + frame}));
}

TEST(ChooseOsSpecific, PicksTheServiceByPlatformAndVersion) {
    struct Case {
        std::uint32_t platform, major, minor;
        int expected; // 0 none, 1 XP, 2 Vista or later
    };
    const Case cases[] = {
        {VER_PLATFORM_WIN32_NT, 5, 0, 0}, {VER_PLATFORM_WIN32_NT, 5, 1, 1},       {VER_PLATFORM_WIN32_NT, 5, 2, 1},
        {VER_PLATFORM_WIN32_NT, 6, 0, 2}, {VER_PLATFORM_WIN32_NT, 6, 1, 2},       {VER_PLATFORM_WIN32_NT, 10, 0, 2},
        {VER_PLATFORM_WIN32_NT, 4, 0, 0}, {VER_PLATFORM_WIN32_WINDOWS, 4, 90, 0}, {VER_PLATFORM_WIN32_WINDOWS, 6, 0, 0},
    };
    WinXPSpecific xp;
    VistaOrLaterSpecific vista;
    for (const Case& c : cases) {
        Tessel::Common::OsVersion version;
        version.platformId = c.platform;
        version.major = c.major;
        version.minor = c.minor;
        IOsSpecific* const expected[] = {nullptr, &xp, &vista};
        EXPECT_EQ(ChooseOsSpecific(version, xp, vista), expected[c.expected])
            << c.platform << " " << c.major << "." << c.minor;
    }
}
