#include "framework/Form.h"

#include "framework/Application.h"

#include <windowsx.h>

namespace {

TShiftState ShiftFromKeys(WPARAM keys) {
    TShiftState shift = 0;
    if (keys & MK_SHIFT) shift |= ssShift;
    if (keys & MK_CONTROL) shift |= ssCtrl;
    if (keys & MK_LBUTTON) shift |= ssLeft;
    if (keys & MK_RBUTTON) shift |= ssRight;
    if (keys & MK_MBUTTON) shift |= ssMiddle;
    if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
    return shift;
}

} // namespace

TForm::~TForm() = default;

void TForm::CreateParams(TCreateParams& /*params*/) {}

void TForm::CreateHandle() {
    if (Handle() != nullptr) {
        return;
    }
    TCreateParams params;
    CreateParams(params);
    RegisterWindowClass(params.windowClassName);
    const bool isMainForm = Application != nullptr && Application->MainForm() == this;
    if (params.parent == nullptr && Application != nullptr && (!isMainForm || !Application->MainFormOnTaskBar)) {
        // Forms belong to the hidden application window, which keeps them out of the taskbar; the
        // main form has a taskbar button of its own when MainFormOnTaskBar is set.
        params.parent = Application->Handle();
    }
    CreateWindowHandle(params.exStyle, params.windowClassName, params.caption, params.style & ~WS_VISIBLE, params.x,
                       params.y, params.width, params.height, params.parent);
    ApplyLayeredStyle();
    if (mFormStyle == TFormStyle::fsStayOnTop) {
        SetFormStyle(mFormStyle);
    }
}

void TForm::AfterConstruction() {
    CreateHandle();
    Guarded([this] { FormCreate(); });
}

void TForm::Destroy() {
    if (mDestroying) {
        return;
    }
    mDestroying = true;
    Guarded([this] { FormDestroy(); });
    DestroyHandle();
}

LRESULT TForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (PreDispatch(message, wParam, lParam, result)) {
        return result;
    }
    switch (message) {
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(Handle(), &client);
        const HDC dc = reinterpret_cast<HDC>(wParam);
        const COLORREF previous = SetDCBrushColor(dc, mColor);
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        SetDCBrushColor(dc, previous);
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(Handle(), &paint);
        struct EndPaintOnExit {
            HWND window;
            PAINTSTRUCT* paint;
            ~EndPaintOnExit() { EndPaint(window, paint); }
        } endPaint{Handle(), &paint};
        FormPaint(dc, paint.rcPaint);
        return 0;
    }
    case WM_SIZE:
        FormResize();
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        MouseDownMessage(TMouseButton::mbLeft, wParam, lParam);
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        MouseDownMessage(TMouseButton::mbRight, wParam, lParam);
        return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        MouseDownMessage(TMouseButton::mbMiddle, wParam, lParam);
        return 0;
    case WM_LBUTTONUP:
        MouseUpMessage(TMouseButton::mbLeft, wParam, lParam);
        return 0;
    case WM_RBUTTONUP:
        MouseUpMessage(TMouseButton::mbRight, wParam, lParam);
        // The default handling turns a right-button release into WM_CONTEXTMENU.
        break;
    case WM_MBUTTONUP:
        MouseUpMessage(TMouseButton::mbMiddle, wParam, lParam);
        return 0;
    case WM_MOUSEMOVE:
        if (!mMouseInside) {
            mMouseInside = true;
            TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, Handle(), 0};
            TrackMouseEvent(&track);
            FormMouseEnter();
        }
        FormMouseMove(ShiftFromKeys(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_MOUSELEAVE:
        mMouseInside = false;
        FormMouseLeave();
        return 0;
    case WM_CONTEXTMENU: {
        POINT position{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (position.x != -1 || position.y != -1) {
            position = ScreenToClient(position);
        }
        bool handled = false;
        FormContextPopup(position, handled);
        if (handled) {
            return 0;
        }
        break;
    }
    case WM_CLOSE:
        Close();
        return 0;
    default:
        break;
    }
    return DefaultHandler(message, wParam, lParam);
}

void TForm::MouseDownMessage(TMouseButton button, WPARAM wParam, LPARAM lParam) {
    SetCapture(Handle());
    if (button == TMouseButton::mbLeft) {
        mClicked = true;
    }
    FormMouseDown(button, ShiftFromKeys(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
}

void TForm::MouseUpMessage(TMouseButton button, WPARAM wParam, LPARAM lParam) {
    if ((wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0 && GetCapture() == Handle()) {
        ReleaseCapture();
    }
    const POINT position{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    // The click comes before the release, and only when the button goes up over the form.
    if (button == TMouseButton::mbLeft && mClicked) {
        mClicked = false;
        const RECT client = ClientRect();
        if (PtInRect(&client, position)) {
            FormClick();
        }
    }
    FormMouseUp(button, ShiftFromKeys(wParam), position.x, position.y);
}

int TForm::Left() const {
    RECT r{};
    GetWindowRect(Handle(), &r);
    return r.left;
}

int TForm::Top() const {
    RECT r{};
    GetWindowRect(Handle(), &r);
    return r.top;
}

int TForm::Width() const {
    RECT r{};
    GetWindowRect(Handle(), &r);
    return r.right - r.left;
}

int TForm::Height() const {
    RECT r{};
    GetWindowRect(Handle(), &r);
    return r.bottom - r.top;
}

RECT TForm::BoundsRect() const {
    RECT r{};
    GetWindowRect(Handle(), &r);
    return r;
}

RECT TForm::ClientRect() const {
    RECT r{};
    GetClientRect(Handle(), &r);
    return r;
}

int TForm::ClientWidth() const {
    const RECT r = ClientRect();
    return r.right - r.left;
}

int TForm::ClientHeight() const {
    const RECT r = ClientRect();
    return r.bottom - r.top;
}

void TForm::SetLeft(int left) {
    SetWindowPos(Handle(), nullptr, left, Top(), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetTop(int top) {
    SetWindowPos(Handle(), nullptr, Left(), top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetBounds(int left, int top, int width, int height) {
    SetWindowPos(Handle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetClientSize(int width, int height) {
    RECT window{}, client{};
    GetWindowRect(Handle(), &window);
    GetClientRect(Handle(), &client);
    const int frameX = (window.right - window.left) - (client.right - client.left);
    const int frameY = (window.bottom - window.top) - (client.bottom - client.top);
    SetWindowPos(Handle(), nullptr, 0, 0, width + frameX, height + frameY,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TForm::Visible() const {
    return Handle() != nullptr && IsWindowVisible(Handle());
}

void TForm::Show() {
    if (Handle() == nullptr || Visible()) {
        return;
    }
    Guarded([this] { FormShow(); });
    if (Handle() != nullptr) {
        ShowWindow(Handle(), SW_SHOW);
    }
}

void TForm::Hide() {
    if (!Visible()) {
        return;
    }
    Guarded([this] { FormHide(); });
    ShowWindow(Handle(), SW_HIDE);
}

void TForm::SetVisible(bool visible) {
    if (visible) {
        Show();
    } else {
        Hide();
    }
}

bool TForm::Enabled() const {
    return Handle() != nullptr && IsWindowEnabled(Handle());
}

void TForm::SetEnabled(bool enabled) {
    if (Handle() != nullptr) {
        EnableWindow(Handle(), enabled ? TRUE : FALSE);
    }
}

void TForm::BringToFront() {
    if (Handle() != nullptr) {
        SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    }
}

void TForm::Close() {
    if (mDestroying || Handle() == nullptr) {
        return;
    }
    bool canClose = true;
    FormCloseQuery(canClose);
    if (!canClose) {
        return;
    }
    const bool isMainForm = Application != nullptr && Application->MainForm() == this;
    TCloseAction action = isMainForm ? TCloseAction::caFree : TCloseAction::caHide;
    FormClose(action);
    if (action == TCloseAction::caNone) {
        return;
    }
    if (isMainForm) {
        Application->Terminate();
    } else if (action == TCloseAction::caMinimize) {
        ShowWindow(Handle(), SW_MINIMIZE);
    } else {
        Hide();
    }
}

void TForm::Invalidate() {
    if (Handle() != nullptr) {
        InvalidateRect(Handle(), nullptr, FALSE);
    }
}

std::wstring TForm::Caption() const {
    const int length = GetWindowTextLengthW(Handle());
    std::wstring text(length + 1, L'\0');
    const int copied = GetWindowTextW(Handle(), text.data(), length + 1);
    text.resize(copied > 0 ? copied : 0);
    return text;
}

void TForm::SetCaption(const std::wstring& caption) {
    SetWindowTextW(Handle(), caption.c_str());
}

void TForm::SetColor(COLORREF color) {
    mColor = color;
    Invalidate();
}

void TForm::SetAlphaBlend(bool alphaBlend) {
    mAlphaBlend = alphaBlend;
    ApplyLayeredStyle();
}

void TForm::SetAlphaBlendValue(BYTE value) {
    mAlphaBlendValue = value;
    ApplyLayeredStyle();
}

void TForm::ApplyLayeredStyle() {
    if (Handle() == nullptr) {
        return;
    }
    const LONG_PTR exStyle = GetWindowLongPtrW(Handle(), GWL_EXSTYLE);
    if (mAlphaBlend) {
        if ((exStyle & WS_EX_LAYERED) == 0) {
            SetWindowLongPtrW(Handle(), GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
        }
        SetLayeredWindowAttributes(Handle(), 0, mAlphaBlendValue, LWA_ALPHA);
    } else if (exStyle & WS_EX_LAYERED) {
        SetWindowLongPtrW(Handle(), GWL_EXSTYLE, exStyle & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
    }
}

void TForm::SetFormStyle(TFormStyle style) {
    mFormStyle = style;
    if (Handle() != nullptr) {
        SetWindowPos(Handle(), style == TFormStyle::fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

POINT TForm::ScreenToClient(POINT point) const {
    ::ScreenToClient(Handle(), &point);
    return point;
}

POINT TForm::ClientToScreen(POINT point) const {
    ::ClientToScreen(Handle(), &point);
    return point;
}
