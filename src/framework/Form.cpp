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

void HandleHandlerException() {
    if (Application != nullptr) {
        Application->HandleException();
    }
}

void RegisterFormClass(const std::wstring& name, WNDPROC procedure) {
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(GetModuleHandleW(nullptr), name.c_str(), &existing)) {
        return;
    }
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    windowClass.lpszClassName = name.c_str();
    RegisterClassExW(&windowClass);
}

} // namespace

TForm::~TForm() {
    if (mHandle != nullptr) {
        HWND window = mHandle;
        // From here on the window's messages no longer reach this half-destroyed object.
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        mHandle = nullptr;
        DestroyWindow(window);
    }
}

void TForm::CreateParams(TCreateParams& /*params*/) {}

void TForm::CreateHandle() {
    if (mHandle != nullptr) {
        return;
    }
    TCreateParams params;
    CreateParams(params);
    RegisterFormClass(params.windowClassName, WindowProc);
    CreateWindowExW(params.exStyle, params.windowClassName.c_str(), params.caption.c_str(),
                    params.style & ~WS_VISIBLE, params.x, params.y, params.width, params.height, params.parent,
                    nullptr, GetModuleHandleW(nullptr), this);
    if (mHandle == nullptr) {
        throw Exception(L"Error creating window " + params.windowClassName);
    }
    ApplyLayeredStyle();
    if (mFormStyle == TFormStyle::fsStayOnTop) {
        SetFormStyle(mFormStyle);
    }
}

void TForm::AfterConstruction() {
    CreateHandle();
    try {
        FormCreate();
    } catch (...) {
        HandleHandlerException();
    }
}

void TForm::BeforeDestruction() {
    mDestroying = true;
    try {
        FormDestroy();
    } catch (...) {
        HandleHandlerException();
    }
}

LRESULT CALLBACK TForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* form = static_cast<TForm*>(create->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
        form->mHandle = window;
    }
    auto* form = reinterpret_cast<TForm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (form == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        return form->Dispatch(message, wParam, lParam);
    } catch (...) {
        HandleHandlerException();
        return 0;
    }
}

LRESULT TForm::DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(mHandle, message, wParam, lParam);
}

LRESULT TForm::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (PreDispatch(message, wParam, lParam, result)) {
        return result;
    }
    switch (message) {
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(mHandle, &client);
        const HDC dc = reinterpret_cast<HDC>(wParam);
        const COLORREF previous = SetDCBrushColor(dc, mColor);
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        SetDCBrushColor(dc, previous);
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(mHandle, &paint);
        struct EndPaintOnExit {
            HWND window;
            PAINTSTRUCT* paint;
            ~EndPaintOnExit() { EndPaint(window, paint); }
        } endPaint{mHandle, &paint};
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
            TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, mHandle, 0};
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
    case WM_NCDESTROY:
        SetWindowLongPtrW(mHandle, GWLP_USERDATA, 0);
        {
            HWND window = mHandle;
            mHandle = nullptr;
            return DefWindowProcW(window, message, wParam, lParam);
        }
    default:
        break;
    }
    return DefaultHandler(message, wParam, lParam);
}

void TForm::MouseDownMessage(TMouseButton button, WPARAM wParam, LPARAM lParam) {
    SetCapture(mHandle);
    if (button == TMouseButton::mbLeft) {
        mClicked = true;
    }
    FormMouseDown(button, ShiftFromKeys(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
}

void TForm::MouseUpMessage(TMouseButton button, WPARAM wParam, LPARAM lParam) {
    if ((wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0 && GetCapture() == mHandle) {
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
    GetWindowRect(mHandle, &r);
    return r.left;
}

int TForm::Top() const {
    RECT r{};
    GetWindowRect(mHandle, &r);
    return r.top;
}

int TForm::Width() const {
    RECT r{};
    GetWindowRect(mHandle, &r);
    return r.right - r.left;
}

int TForm::Height() const {
    RECT r{};
    GetWindowRect(mHandle, &r);
    return r.bottom - r.top;
}

RECT TForm::ClientRect() const {
    RECT r{};
    GetClientRect(mHandle, &r);
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
    SetWindowPos(mHandle, nullptr, left, Top(), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetTop(int top) {
    SetWindowPos(mHandle, nullptr, Left(), top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetBounds(int left, int top, int width, int height) {
    SetWindowPos(mHandle, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetClientSize(int width, int height) {
    RECT window{}, client{};
    GetWindowRect(mHandle, &window);
    GetClientRect(mHandle, &client);
    const int frameX = (window.right - window.left) - (client.right - client.left);
    const int frameY = (window.bottom - window.top) - (client.bottom - client.top);
    SetWindowPos(mHandle, nullptr, 0, 0, width + frameX, height + frameY,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TForm::Visible() const {
    return mHandle != nullptr && IsWindowVisible(mHandle);
}

void TForm::Show() {
    if (mHandle == nullptr || Visible()) {
        return;
    }
    try {
        FormShow();
    } catch (...) {
        HandleHandlerException();
    }
    if (mHandle != nullptr) {
        ShowWindow(mHandle, SW_SHOW);
    }
}

void TForm::Hide() {
    if (!Visible()) {
        return;
    }
    try {
        FormHide();
    } catch (...) {
        HandleHandlerException();
    }
    ShowWindow(mHandle, SW_HIDE);
}

void TForm::SetVisible(bool visible) {
    if (visible) {
        Show();
    } else {
        Hide();
    }
}

void TForm::BringToFront() {
    if (mHandle != nullptr) {
        SetWindowPos(mHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    }
}

void TForm::Close() {
    if (mDestroying || mHandle == nullptr) {
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
        ShowWindow(mHandle, SW_MINIMIZE);
    } else {
        Hide();
    }
}

void TForm::Invalidate() {
    if (mHandle != nullptr) {
        InvalidateRect(mHandle, nullptr, FALSE);
    }
}

std::wstring TForm::Caption() const {
    const int length = GetWindowTextLengthW(mHandle);
    std::wstring text(length + 1, L'\0');
    const int copied = GetWindowTextW(mHandle, text.data(), length + 1);
    text.resize(copied > 0 ? copied : 0);
    return text;
}

void TForm::SetCaption(const std::wstring& caption) {
    SetWindowTextW(mHandle, caption.c_str());
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
    if (mHandle == nullptr) {
        return;
    }
    const LONG_PTR exStyle = GetWindowLongPtrW(mHandle, GWL_EXSTYLE);
    if (mAlphaBlend) {
        if ((exStyle & WS_EX_LAYERED) == 0) {
            SetWindowLongPtrW(mHandle, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
        }
        SetLayeredWindowAttributes(mHandle, 0, mAlphaBlendValue, LWA_ALPHA);
    } else if (exStyle & WS_EX_LAYERED) {
        SetWindowLongPtrW(mHandle, GWL_EXSTYLE, exStyle & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
    }
}

void TForm::SetFormStyle(TFormStyle style) {
    mFormStyle = style;
    if (mHandle != nullptr) {
        SetWindowPos(mHandle, style == TFormStyle::fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

POINT TForm::ScreenToClient(POINT point) const {
    ::ScreenToClient(mHandle, &point);
    return point;
}

POINT TForm::ClientToScreen(POINT point) const {
    ::ClientToScreen(mHandle, &point);
    return point;
}
