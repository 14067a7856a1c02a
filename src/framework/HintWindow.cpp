#include "framework/HintWindow.h"

#include <algorithm>

using Tessel::Common::ScopedSelectObject;
using Tessel::Common::ScopedWindowDc;

namespace {

constexpr wchar_t HintWindowClass[] = L"THintWindow";
// Breaks lines between words, and a word wider than the hint between its characters.
constexpr UINT TextFormat = DT_NOPREFIX | DT_WORDBREAK | DT_EDITCONTROL | DT_LEFT | DT_TOP;

// A calm look in any theme: a light background that darkens a little towards the bottom, a grey
// border and dark grey text.
constexpr COLORREF BackgroundTop = RGB(255, 255, 255);
constexpr COLORREF BackgroundBottom = RGB(228, 229, 240);
constexpr COLORREF BorderColor = RGB(118, 118, 118);
constexpr COLORREF TextColor = RGB(76, 76, 76);

} // namespace

THintWindow::~THintWindow() {
    DestroyHandle();
}

void THintWindow::CreateIfNeeded() {
    if (Handle() != nullptr) {
        return;
    }
    RegisterWindowClass(HintWindowClass, CS_SAVEBITS | CS_DROPSHADOW, IDC_ARROW, nullptr);
    // Owned by the application window, so that the hint has no taskbar button of its own.
    CreateWindowHandle(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, HintWindowClass, L"", WS_POPUP, 0, 0, 0, 0,
                       DefaultOwner());
}

HFONT THintWindow::Font() {
    if (!mFont) {
        NONCLIENTMETRICSW metrics = {};
        metrics.cbSize = sizeof(metrics);
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
            mFont.Reset(CreateFontIndirectW(&metrics.lfStatusFont));
        }
    }
    return mFont ? mFont.Get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

SIZE THintWindow::WindowSizeFor(const std::wstring& text) {
    ScopedWindowDc screen(nullptr);
    ScopedSelectObject select(screen.Get(), Font());
    RECT rect{0, 0, MaxTextWidth, 0};
    DrawTextW(screen.Get(), text.c_str(), static_cast<int>(text.size()), &rect, TextFormat | DT_CALCRECT);
    return SIZE{(rect.right - rect.left) + 2 * (PaddingX + 1), (rect.bottom - rect.top) + 2 * (PaddingY + 1)};
}

void THintWindow::ActivateHint(const std::wstring& text, POINT screenPoint) {
    if (text.empty()) {
        HideHint();
        return;
    }
    CreateIfNeeded();
    const SIZE size = WindowSizeFor(text);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromPoint(screenPoint, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    const int width = std::min<int>(size.cx, work.right - work.left);
    const int height = std::min<int>(size.cy, work.bottom - work.top);
    const int left = std::max<int>(work.left, std::min<int>(screenPoint.x, work.right - width));
    const int top = std::max<int>(work.top, std::min<int>(screenPoint.y, work.bottom - height));
    const RECT bounds{left, top, left + width, top + height};
    if (Visible() && text == mText && EqualRect(&bounds, &mShownBounds)) {
        return;
    }
    mText = text;
    mShownBounds = bounds;
    SetWindowPos(Handle(), HWND_TOPMOST, left, top, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(Handle(), nullptr, FALSE);
}

void THintWindow::HideHint() {
    if (Visible()) {
        ShowWindow(Handle(), SW_HIDE);
    }
}

bool THintWindow::Visible() const {
    return Handle() != nullptr && IsWindowVisible(Handle());
}

void THintWindow::Paint(HDC dc) {
    RECT client;
    GetClientRect(Handle(), &client);
    TRIVERTEX vertices[2] = {
        {client.left, client.top, static_cast<COLOR16>(GetRValue(BackgroundTop) << 8),
         static_cast<COLOR16>(GetGValue(BackgroundTop) << 8), static_cast<COLOR16>(GetBValue(BackgroundTop) << 8), 0},
        {client.right, client.bottom, static_cast<COLOR16>(GetRValue(BackgroundBottom) << 8),
         static_cast<COLOR16>(GetGValue(BackgroundBottom) << 8), static_cast<COLOR16>(GetBValue(BackgroundBottom) << 8),
         0},
    };
    GRADIENT_RECT gradient{0, 1};
    GdiGradientFill(dc, vertices, 2, &gradient, 1, GRADIENT_FILL_RECT_V);
    const COLORREF previousBrush = SetDCBrushColor(dc, BorderColor);
    FrameRect(dc, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    SetDCBrushColor(dc, previousBrush);
    ScopedSelectObject select(dc, Font());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, TextColor);
    RECT text = client;
    InflateRect(&text, -(PaddingX + 1), -(PaddingY + 1));
    DrawTextW(dc, mText.c_str(), static_cast<int>(mText.size()), &text, TextFormat);
}

LRESULT THintWindow::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(Handle(), &paint);
        Paint(dc);
        EndPaint(Handle(), &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_NCHITTEST:
        // The pointer goes through to whatever lies below.
        return HTTRANSPARENT;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    default:
        return DefaultHandler(message, wParam, lParam);
    }
}
