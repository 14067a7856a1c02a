#include "framework/Form.h"

#include "foundation/lang/Exception.h"
#include "graphics/Canvas.h"
#include "framework/Controls.h"
#include "framework/Dpi.h"
#include "framework/ErrorSink.h"
#include "framework/FormHost.h"
#include "framework/HintWindow.h"
#include "framework/StdCtrls.h"

#include <windowsx.h>

#include <algorithm>

using Tessel::Common::ScopedSelectObject;
using Tessel::Common::UniqueBitmap;
using Tessel::Common::UniqueMemoryDc;

namespace {

TShiftState ShiftFromKeys(WPARAM keys) {
    TShiftState shift = 0;
    if (keys & MK_SHIFT)
        shift |= ssShift;
    if (keys & MK_CONTROL)
        shift |= ssCtrl;
    if (keys & MK_LBUTTON)
        shift |= ssLeft;
    if (keys & MK_RBUTTON)
        shift |= ssRight;
    if (keys & MK_MBUTTON)
        shift |= ssMiddle;
    if (GetKeyState(VK_MENU) < 0)
        shift |= ssAlt;
    return shift;
}

// A control hint shows this far below the pointer's hot spot, clear of the arrow.
constexpr int HintBelowPointer = 20;

TFormHost* gHost = nullptr;

} // namespace

TFormHost& TForm::Host() {
    static TFormHost standalone;
    return gHost != nullptr ? *gHost : standalone;
}

void TForm::SetHost(TFormHost* host) {
    gHost = host;
}

TForm::TForm() : mDpi(SystemDpi()) {
    mHintTimer.OnTimer = [this] { ShowControlHint(); };
}

TForm::~TForm() = default;

void TForm::CreateParams(TCreateParams& /*params*/) {}

void TForm::CreateHandle() {
    if (Handle() != nullptr) {
        return;
    }
    TCreateParams params;
    CreateParams(params);
    RegisterWindowClass(params.windowClassName);
    if (params.parent == nullptr) {
        // Forms belong to the hidden application window, which keeps them out of the taskbar.
        params.parent = Host().FormOwner(*this);
    }
    CreateWindowHandle(params.exStyle, params.windowClassName, params.caption, params.style & ~WS_VISIBLE, params.x,
                       params.y, params.width, params.height, params.parent);
    mDpi = WindowDpi(Handle());
    ApplyLayeredStyle();
    if (mFormStyle == TFormStyle::fsStayOnTop) {
        SetFormStyle(mFormStyle);
    }
    // The native controls, in the order they were constructed: that is the order of their
    // windows among their siblings, which the Tab key follows.
    const std::vector<TWinControl*> controls = WinControls();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        TWinControl* control = controls[i];
        control->CreateHandle();
        HWND after = HWND_TOP;
        for (std::size_t j = i; j-- > 0;) {
            if (controls[j]->Container() == control->Container()) {
                after = controls[j]->Handle();
                break;
            }
        }
        SetWindowPos(control->Handle(), after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    for (TWinControl* control : controls) {
        control->Loaded();
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
    if (TWinControl::ReflectMessage(message, wParam, lParam, result)) {
        return result;
    }
    switch (message) {
    case WmDpiChanged: {
        // The new density is the message's, also when a test sends it.
        const int dpi = HIWORD(wParam);
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        mDpi = dpi > 0 ? dpi : mDpi;
        if (suggested != nullptr) {
            SetWindowPos(Handle(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                         suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        }
        Guarded([this] { FormDpiChanged(); });
        return 0;
    }
    case WM_COMMAND:
        if (lParam == 0 && DialogCommand(LOWORD(wParam))) {
            return 0;
        }
        break;
    case DM_GETDEFID:
        if (const TButton* button = ShownDefaultButton()) {
            return MAKELRESULT(button->Id(), DC_HASDEFID);
        }
        break;
    case WM_ACTIVATE:
        if (!WinControls().empty()) {
            if (LOWORD(wParam) == WA_INACTIVE) {
                const HWND focus = GetFocus();
                if (focus != nullptr && IsChild(Handle(), focus)) {
                    mLastFocus = focus;
                }
            } else if (!IsIconic(Handle())) {
                RestoreFocus();
            }
            // The default would put the focus on the form itself.
            return 0;
        }
        break;
    case WM_ERASEBKGND: {
        if (mDoubleBuffered) {
            // The paint fills the whole buffer; erasing the screen first would only flicker.
            return 1;
        }
        RECT client;
        GetClientRect(Handle(), &client);
        const HDC dc = reinterpret_cast<HDC>(wParam);
        const COLORREF previous = SetDCBrushColor(dc, mColor);
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        SetDCBrushColor(dc, previous);
        return 1;
    }
    case WM_PAINT:
        PaintMessage();
        return 0;
    case WM_PRINTCLIENT: {
        // The client area drawn into a given context (a snapshot, an animation): the form's
        // colour, its content and its controls.
        const HDC dc = reinterpret_cast<HDC>(wParam);
        const RECT client = ClientRect();
        const COLORREF previous = SetDCBrushColor(dc, mColor);
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        SetDCBrushColor(dc, previous);
        PaintContent(dc, client);
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
        MouseMoveMessage(wParam, lParam);
        return 0;
    case WM_MOUSELEAVE:
        mMouseInside = false;
        if (!mControlPress) {
            SetHotControl(nullptr);
        }
        FormMouseLeave();
        return 0;
    case WM_SETCURSOR:
        if (SetCursorMessage(wParam, lParam)) {
            return TRUE;
        }
        // The default gives the window class's cursor.
        break;
    case WM_CAPTURECHANGED:
        // Someone else took the mouse (a menu, a move loop): the press ends without a click.
        if (reinterpret_cast<HWND>(lParam) != Handle()) {
            CancelControlPress();
            mFormPress = false;
        }
        break;
    case WM_SHOWWINDOW:
        if (!wParam) {
            CancelControlPress();
            SetHotControl(nullptr);
        }
        break;
    case WM_DESTROY:
        HideControlHint();
        break;
    case WM_CONTEXTMENU: {
        POINT position{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (position.x != -1 || position.y != -1) {
            position = ScreenToClient(position);
            // A right click on a control belongs to the control, not to the form.
            if (ControlAtPos(position) != nullptr) {
                return 0;
            }
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

void TForm::PaintMessage() {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(Handle(), &paint);
    struct EndPaintOnExit {
        HWND window;
        PAINTSTRUCT* paint;
        ~EndPaintOnExit() { EndPaint(window, paint); }
    } endPaint{Handle(), &paint};
    const RECT clip = paint.rcPaint;
    if (!mDoubleBuffered || IsRectEmpty(&clip)) {
        PaintContent(dc, clip);
        return;
    }
    const int width = clip.right - clip.left;
    const int height = clip.bottom - clip.top;
    UniqueMemoryDc buffer(CreateCompatibleDC(dc));
    UniqueBitmap bitmap(CreateCompatibleBitmap(dc, width, height));
    if (!buffer || !bitmap) {
        PaintContent(dc, clip);
        return;
    }
    ScopedSelectObject select(buffer.Get(), bitmap.Get());
    // The buffer covers the update rectangle and is drawn on in client coordinates.
    SetWindowOrgEx(buffer.Get(), clip.left, clip.top, nullptr);
    const COLORREF previous = SetDCBrushColor(buffer.Get(), mColor);
    FillRect(buffer.Get(), &clip, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    SetDCBrushColor(buffer.Get(), previous);
    PaintContent(buffer.Get(), clip);
    BitBlt(dc, clip.left, clip.top, width, height, buffer.Get(), clip.left, clip.top, SRCCOPY);
}

void TForm::PaintContent(HDC dc, const RECT& clip) {
    FormPaint(dc, clip);
    // A copy: painting may add or remove controls.
    const std::vector<TGraphicControl*> controls = Controls();
    for (TGraphicControl* control : controls) {
        RECT meet;
        if (!HasControl(control) || !control->Visible() || !IntersectRect(&meet, &control->mBounds, &clip)) {
            continue;
        }
        Guarded([&] {
            TCanvas canvas(dc);
            IntersectClipRect(dc, control->mBounds.left, control->mBounds.top, control->mBounds.right,
                              control->mBounds.bottom);
            control->Paint(canvas);
        });
    }
}

void TForm::MouseDownMessage(TMouseButton button, WPARAM wParam, LPARAM lParam) {
    SetCapture(Handle());
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const TShiftState shift = ShiftFromKeys(wParam);
    // The first button down decides who gets the whole press.
    if (!mControlPress && !mFormPress) {
        if (TGraphicControl* control = ControlAtPos(point)) {
            mControlPress = true;
            mPressControl = control;
            SetHotControl(control);
        } else {
            mFormPress = true;
            SetHotControl(nullptr);
        }
    }
    HideControlHint();
    if (mControlPress) {
        TGraphicControl* control = mPressControl;
        if (control != nullptr) {
            if (button == TMouseButton::mbLeft) {
                control->mPressed = true;
                control->Invalidate();
            }
            Guarded([&] { control->MouseDown(button, shift, point.x, point.y); });
        }
        return;
    }
    if (button == TMouseButton::mbLeft) {
        mClicked = true;
    }
    FormMouseDown(button, shift, point.x, point.y);
}

void TForm::MouseMoveMessage(WPARAM wParam, LPARAM lParam) {
    if (!mMouseInside) {
        mMouseInside = true;
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, Handle(), 0};
        TrackMouseEvent(&track);
        FormMouseEnter();
    }
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const TShiftState shift = ShiftFromKeys(wParam);
    if (mControlPress) {
        // The pressed control is hot only while the pointer is over it; no other one is.
        TGraphicControl* control = mPressControl;
        if (control != nullptr) {
            SetHotControl(PtInRect(&control->mBounds, point) ? control : nullptr);
        }
        if (control != nullptr && control == mPressControl) {
            Guarded([&] { control->MouseMove(shift, point.x, point.y); });
        }
        return;
    }
    if (mFormPress) {
        FormMouseMove(shift, point.x, point.y);
        return;
    }
    TGraphicControl* control = ControlAtPos(point);
    SetHotControl(control);
    if (control != nullptr) {
        if (control == mHotControl) {
            Guarded([&] { control->MouseMove(shift, point.x, point.y); });
        }
        return;
    }
    FormMouseMove(shift, point.x, point.y);
}

void TForm::MouseUpMessage(TMouseButton button, WPARAM wParam, LPARAM lParam) {
    const bool allUp = (wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0;
    const POINT position{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const TShiftState shift = ShiftFromKeys(wParam);
    if (mControlPress) {
        TGraphicControl* control = mPressControl;
        if (allUp) {
            mControlPress = false;
            mPressControl = nullptr;
        }
        bool click = false;
        if (control != nullptr && button == TMouseButton::mbLeft && control->mPressed) {
            control->mPressed = false;
            click = PtInRect(&control->mBounds, position) != FALSE;
            control->Invalidate();
        }
        if (allUp && GetCapture() == Handle()) {
            ReleaseCapture();
        }
        // Like the form's, the click comes before the release.
        if (click) {
            Guarded([&] { control->Click(); });
        }
        if (control != nullptr && HasControl(control)) {
            Guarded([&] { control->MouseUp(button, shift, position.x, position.y); });
        }
        if (allUp && Handle() != nullptr) {
            SetHotControl(ControlAtPos(position));
        }
        return;
    }
    if (allUp) {
        mFormPress = false;
        if (GetCapture() == Handle()) {
            ReleaseCapture();
        }
    }
    // The click comes before the release, and only when the button goes up over the form.
    if (button == TMouseButton::mbLeft && mClicked) {
        mClicked = false;
        const RECT client = ClientRect();
        if (PtInRect(&client, position)) {
            FormClick();
        }
    }
    FormMouseUp(button, shift, position.x, position.y);
    if (allUp && !mFormPress && !mControlPress && Handle() != nullptr) {
        SetHotControl(ControlAtPos(position));
    }
}

bool TForm::SetCursorMessage(WPARAM wParam, LPARAM lParam) {
    if (reinterpret_cast<HWND>(wParam) != Handle() || LOWORD(lParam) != HTCLIENT || mFormPress) {
        return false;
    }
    TGraphicControl* control = mPressControl;
    if (!mControlPress) {
        POINT cursor{};
        GetCursorPos(&cursor);
        control = ControlAtPos(ScreenToClient(cursor));
    }
    if (control == nullptr || control->Cursor() == nullptr) {
        return false;
    }
    ::SetCursor(control->Cursor());
    return true;
}

TGraphicControl* TForm::ControlAtPos(POINT point) const {
    for (auto it = Controls().rbegin(); it != Controls().rend(); ++it) {
        TGraphicControl* control = *it;
        if (control->Visible() && control->Enabled() && PtInRect(&control->mBounds, point)) {
            return control;
        }
    }
    return nullptr;
}

bool TForm::HasControl(const TGraphicControl* control) const {
    return std::find(Controls().begin(), Controls().end(), control) != Controls().end();
}

void TForm::ControlRemoved(TGraphicControl* control) {
    if (mPressControl == control) {
        mPressControl = nullptr;
    }
    if (mHotControl == control) {
        // Nothing more is called on a control that is going.
        mHotControl = nullptr;
        HideControlHint();
    }
}

void TForm::ControlChanged(TGraphicControl* control) {
    if (control->Visible() && control->Enabled()) {
        return;
    }
    if (control == mPressControl) {
        // The rest of the press goes nowhere.
        control->mPressed = false;
        mPressControl = nullptr;
    }
    if (control == mHotControl) {
        SetHotControl(nullptr);
    }
}

void TForm::CancelControlPress() {
    if (mPressControl != nullptr) {
        mPressControl->mPressed = false;
        mPressControl->Invalidate();
    }
    mPressControl = nullptr;
    mControlPress = false;
}

void TForm::SetHotControl(TGraphicControl* control) {
    if (control == mHotControl) {
        return;
    }
    const bool hintShowing = !mShownHint.empty();
    TGraphicControl* previous = mHotControl;
    mHotControl = control;
    mHintTimer.SetEnabled(false);
    if (previous != nullptr) {
        previous->mMouseInControl = false;
        Guarded([&] { previous->MouseLeave(); });
    }
    if (control != nullptr && control == mHotControl) {
        control->mMouseInControl = true;
        Guarded([&] { control->MouseEnter(); });
    }
    if (mHotControl != nullptr && !mHotControl->Hint().empty() && !mControlPress && !mFormPress) {
        if (hintShowing) {
            // Moving from one hint to the next shows the next at once.
            ShowControlHint();
        } else {
            mHintTimer.SetEnabled(true);
        }
    } else {
        HideControlHint();
    }
}

void TForm::ShowControlHint() {
    mHintTimer.SetEnabled(false);
    if (mHotControl == nullptr || mHotControl->Hint().empty() || mControlPress || mFormPress) {
        return;
    }
    THintWindow* hint = Host().ControlHintWindow();
    if (hint == nullptr) {
        return;
    }
    POINT cursor{};
    GetCursorPos(&cursor);
    mShownHint = mHotControl->Hint();
    hint->ActivateHint(mShownHint, POINT{cursor.x, cursor.y + HintBelowPointer});
}

void TForm::HideControlHint() {
    mHintTimer.SetEnabled(false);
    if (mShownHint.empty()) {
        return;
    }
    // Only the hint this form showed: the same window may show another's by now.
    THintWindow* hint = Host().ControlHintWindow();
    if (hint != nullptr && hint->Visible() && hint->Text() == mShownHint) {
        hint->HideHint();
    }
    mShownHint.clear();
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
    SetWindowPos(Handle(), nullptr, 0, 0, width + frameX, height + frameY, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TForm::Visible() const {
    return Handle() != nullptr && IsWindowVisible(Handle());
}

void TForm::Show() {
    // A form put on the screen before it was first shown (to be seen early) still hears that it
    // is shown.
    if (Handle() == nullptr || (Visible() && mShownOnce)) {
        return;
    }
    mShownOnce = true;
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
    const bool isMainForm = Host().MainForm() == this;
    TCloseAction action = isMainForm ? TCloseAction::caFree : TCloseAction::caHide;
    FormClose(action);
    if (action == TCloseAction::caNone) {
        return;
    }
    if (mModal) {
        // The modal loop hides the form once the program's other windows are enabled again.
        if (ModalResult() == TModalResult::mrNone) {
            SetModalResult(TModalResult::mrCancel);
        }
    } else if (isMainForm) {
        Host().Terminate();
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

// ---------------------------------------------------------------------------------------------
// Native controls and modal showing

void TForm::WinControlRemoved(TWinControl* control) {
    if (mActiveControl == control) {
        mActiveControl = nullptr;
    }
}

void TForm::ControlFocused(TWinControl* control) {
    mLastFocus = control->Handle();
    UpdateDefaultButton(control);
}

void TForm::DefaultButtonChanged() {
    UpdateDefaultButton(TWinControl::FromHandle(GetFocus()));
}

void TForm::UpdateDefaultButton(TWinControl* focused) {
    // A push button with the focus is the one Enter presses; otherwise the form's default is.
    auto* focusedButton = dynamic_cast<TButton*>(focused);
    for (TWinControl* control : WinControls()) {
        if (auto* button = dynamic_cast<TButton*>(control)) {
            button->ShowAsDefault(focusedButton != nullptr ? button == focusedButton : button->Default());
        }
    }
}

TButton* TForm::ShownDefaultButton() const {
    for (TWinControl* control : WinControls()) {
        auto* button = dynamic_cast<TButton*>(control);
        if (button != nullptr && button->mShownDefault && button->Handle() != nullptr) {
            return button;
        }
    }
    return nullptr;
}

bool TForm::DialogCommand(WORD id) {
    // Enter or Esc without a button of that id: the default or cancel button, else the form.
    if (id != IDOK && id != IDCANCEL) {
        return false;
    }
    for (TWinControl* control : WinControls()) {
        auto* button = dynamic_cast<TButton*>(control);
        if (button != nullptr && (id == IDOK ? button->Default() : button->Cancel())) {
            if (button->Enabled()) {
                button->Click();
            }
            return true;
        }
    }
    if (id == IDCANCEL && mModal) {
        SetModalResult(TModalResult::mrCancel);
        return true;
    }
    return false;
}

void TForm::RestoreFocus() {
    const auto usable = [this](HWND window) {
        return window != nullptr && IsWindow(window) && IsChild(Handle(), window) && IsWindowVisible(window) &&
               IsWindowEnabled(window);
    };
    HWND target = usable(mLastFocus) ? mLastFocus : nullptr;
    if (target == nullptr && mActiveControl != nullptr && usable(mActiveControl->Handle())) {
        target = mActiveControl->Handle();
    }
    if (target == nullptr) {
        target = GetNextDlgTabItem(Handle(), nullptr, FALSE);
    }
    if (!usable(target)) {
        ::SetFocus(Handle());
        return;
    }
    ::SetFocus(target);
    if (SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) {
        SendMessageW(target, EM_SETSEL, 0, -1);
    }
}

bool TForm::DialogMessage(MSG& message) {
    if (!mModal || Handle() == nullptr || (message.hwnd != Handle() && !IsChild(Handle(), message.hwnd))) {
        return false;
    }
    if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST) {
        const std::vector<TWinControl*> controls = WinControls();
        for (TWinControl* control : controls) {
            if (control->Handle() != nullptr && control->PreviewKey(message)) {
                return true;
            }
        }
    }
    if (!IsDialogMessageW(Handle(), &message)) {
        return false;
    }
    // Moving the focus, the system's dialog keys may take the default look from a button; the
    // focused push button, else the form's default, shows it.
    if (Handle() != nullptr) {
        UpdateDefaultButton(TWinControl::FromHandle(GetFocus()));
    }
    return true;
}

void TForm::CenterOnDesktop() {
    if (Handle() == nullptr) {
        return;
    }
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    const HMONITOR primary = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    if (!GetMonitorInfoW(primary, &info)) {
        return;
    }
    const RECT& area = info.rcMonitor;
    SetBounds(area.left + ((area.right - area.left) - Width()) / 2,
              area.top + ((area.bottom - area.top) - Height()) / 2, Width(), Height());
}

namespace {

// The windows of this thread that a modal form disables: visible and enabled ones.
std::vector<HWND> DisableThreadWindows(HWND except) {
    struct Collect {
        HWND except;
        std::vector<HWND> windows;
    } collect{except, {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto* c = reinterpret_cast<Collect*>(data);
            if (window != c->except && IsWindowVisible(window) && IsWindowEnabled(window)) {
                c->windows.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&collect));
    for (HWND window : collect.windows) {
        EnableWindow(window, FALSE);
    }
    return collect.windows;
}

} // namespace

TModalResult TForm::ShowModal() {
    if (Handle() == nullptr || Visible() || mModal) {
        throw Exception(L"Cannot make a visible window modal");
    }
    const HWND previouslyActive = GetActiveWindow();
    mModal = true;
    SetModalResult(TModalResult::mrNone);
    const std::vector<HWND> disabled = DisableThreadWindows(Handle());
    const int filter = Host().AddMessageFilter([this](MSG& m) { return DialogMessage(m); });
    struct EndModal {
        TForm& form;
        const std::vector<HWND>& disabled;
        HWND previouslyActive;
        int filter;
        ~EndModal() {
            Host().RemoveMessageFilter(filter);
            // Enabled before the form hides, so that the activation goes back to this program
            // instead of to another one.
            for (HWND window : disabled) {
                if (IsWindow(window)) {
                    EnableWindow(window, TRUE);
                }
            }
            if (previouslyActive != nullptr && IsWindow(previouslyActive) && IsWindowVisible(previouslyActive)) {
                SetActiveWindow(previouslyActive);
            }
            form.mModal = false;
            form.Hide();
        }
    } endModal{*this, disabled, previouslyActive, filter};

    // Focus rectangles and underlined access keys show as the last input asks (they stay hidden
    // after a mouse click until a key is used).
    SendMessageW(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, 0), 0);
    Show();
    if (Handle() != nullptr) {
        SetForegroundWindow(Handle());
        if (GetFocus() == nullptr || (GetFocus() != Handle() && !IsChild(Handle(), GetFocus()))) {
            RestoreFocus();
        }
    }
    MSG message;
    while (ModalResult() == TModalResult::mrNone) {
        if (!Visible()) {
            SetModalResult(TModalResult::mrCancel);
            break;
        }
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) {
            SetModalResult(TModalResult::mrCancel);
            break;
        }
        if (got == 0) {
            // The program is ending: the loop outside must see the quit message too.
            PostQuitMessage(static_cast<int>(message.wParam));
            SetModalResult(TModalResult::mrCancel);
            break;
        }
        Host().ProcessMessage(message);
    }
    return ModalResult();
}
