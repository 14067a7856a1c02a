#include "framework/StdCtrls.h"

#include "framework/Accessibility.h"

#include "foundation/lang/Exception.h"
#include "framework/ErrorSink.h"
#include "framework/NumberText.h"

#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>

using Tessel::Common::ScopedSelectObject;
using Tessel::Common::ScopedWindowDc;
using Tessel::Common::UniqueBitmap;
using Tessel::Common::UniqueBrush;
using Tessel::Common::UniqueMemoryDc;

namespace {

// The window property that leads from a control's window to its object.
constexpr wchar_t ControlProperty[] = L"Tilebay.TWinControl";
constexpr UINT_PTR SubclassId = 1;

void EnsureCommonControls() {
    static const bool initialized = [] {
        INITCOMMONCONTROLSEX init{};
        init.dwSize = sizeof(init);
        init.dwICC = ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_UPDOWN_CLASS | ICC_HOTKEY_CLASS;
        return InitCommonControlsEx(&init) != FALSE;
    }();
    (void)initialized;
}

void RegisterTabSheetClass() {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(GetModuleHandleW(nullptr), TTabSheet::WindowClassName, &existing)) {
        return;
    }
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = TTabSheet::WindowClassName;
    RegisterClassExW(&windowClass);
}

// Black or white, whichever reads better on the colour.
COLORREF ReadableTextColor(COLORREF background) {
    const int luminance =
        (299 * GetRValue(background) + 587 * GetGValue(background) + 114 * GetBValue(background)) / 1000;
    return luminance < 128 ? RGB(255, 255, 255) : RGB(0, 0, 0);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TWinControl

TWinControl::TWinControl(TControlHost& form, TWinControl* container)
    : mForm(form), mContainer(container), mId(form.NextControlId()) {
    EnsureCommonControls();
    mForm.AddWinControl(this);
}

TWinControl::~TWinControl() {
    mForm.RemoveWinControl(this);
    if (mHandle != nullptr) {
        const HWND window = mHandle;
        Detach();
        DestroyWindow(window);
    }
}

void TWinControl::CreateHandle() {
    if (mHandle != nullptr) {
        return;
    }
    HWND parent = mForm.Handle();
    if (mContainer != nullptr) {
        mContainer->CreateHandle();
        parent = mContainer->Handle();
    }
    if (parent == nullptr) {
        return;
    }
    TWinCreateParams params;
    CreateParams(params);
    DWORD style = (params.style | mStyleSet) & ~mStyleClear;
    style |= WS_CHILD;
    style = mVisible ? (style | WS_VISIBLE) : (style & ~WS_VISIBLE);
    style = mEnabled ? (style & ~WS_DISABLED) : (style | WS_DISABLED);
    const HWND window = CreateWindowExW(
        params.exStyle, params.className.c_str(), mText.c_str(), style, mBounds.left, mBounds.top, Width(), Height(),
        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(mId)), GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) {
        throw Exception(L"Error creating window " + params.className);
    }
    mHandle = window;
    SetPropW(window, ControlProperty, this);
    SetWindowSubclass(window, SubclassProc, SubclassId, reinterpret_cast<DWORD_PTR>(this));
    if (mFont != nullptr) {
        SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(mFont), FALSE);
    }
    HandleCreated();
}

void TWinControl::Detach() noexcept {
    if (mHandle != nullptr) {
        RemoveWindowSubclass(mHandle, SubclassProc, SubclassId);
        RemovePropW(mHandle, ControlProperty);
        mHandle = nullptr;
    }
}

LRESULT CALLBACK TWinControl::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR /*id*/,
                                           DWORD_PTR data) noexcept {
    auto* control = reinterpret_cast<TWinControl*>(data);
    if (message == WM_NCDESTROY) {
        control->Detach();
        return DefSubclassProc(window, message, wParam, lParam);
    }
    LRESULT result = 0;
    try {
        result = control->WndProc(message, wParam, lParam);
        if (message == WM_SETFOCUS) {
            control->mForm.ControlFocused(control);
        }
    } catch (...) {
        HandleCurrentException();
    }
    return result;
}

LRESULT TWinControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT && !mAccessibleName.empty()) {
        if (const LRESULT object = Accessibility::NamedClientObject(mHandle, wParam, mAccessibleName)) {
            return object;
        }
    }
    return DefaultHandler(message, wParam, lParam);
}

LRESULT TWinControl::DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefSubclassProc(mHandle, message, wParam, lParam);
}

TWinControl* TWinControl::FromHandle(HWND window) {
    if (window == nullptr) {
        return nullptr;
    }
    return static_cast<TWinControl*>(GetPropW(window, ControlProperty));
}

bool TWinControl::ReflectMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    HWND from = nullptr;
    switch (message) {
    case WM_COMMAND:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_VSCROLL:
    case WM_HSCROLL:
        from = reinterpret_cast<HWND>(lParam);
        break;
    case WM_NOTIFY:
        from = lParam != 0 ? reinterpret_cast<NMHDR*>(lParam)->hwndFrom : nullptr;
        break;
    case WM_DRAWITEM: {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        from = draw != nullptr && draw->CtlType != ODT_MENU ? draw->hwndItem : nullptr;
        break;
    }
    default:
        return false;
    }
    TWinControl* control = FromHandle(from);
    if (control == nullptr) {
        return false;
    }
    switch (message) {
    case WM_COMMAND:
        result = 0;
        return control->Command(HIWORD(wParam));
    case WM_NOTIFY:
        return control->Notify(*reinterpret_cast<NMHDR*>(lParam), result);
    case WM_DRAWITEM:
        result = TRUE;
        return control->DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_VSCROLL:
    case WM_HSCROLL:
        result = 0;
        return control->Scroll(LOWORD(wParam));
    default: {
        const HBRUSH brush = control->ControlColor(message, reinterpret_cast<HDC>(wParam));
        result = reinterpret_cast<LRESULT>(brush);
        return brush != nullptr;
    }
    }
}

HBRUSH TWinControl::ControlColor(UINT message, HDC dc) {
    if (mContainer == nullptr || (message != WM_CTLCOLORSTATIC && message != WM_CTLCOLORBTN)) {
        return nullptr;
    }
    return mContainer->ChildBackground(dc, mHandle);
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    mBounds = RECT{left, top, left + std::max(width, 0), top + std::max(height, 0)};
    if (mHandle != nullptr) {
        SetWindowPos(mHandle, nullptr, left, top, Width(), Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void TWinControl::ReadBounds() {
    if (mHandle == nullptr) {
        return;
    }
    RECT r{};
    GetWindowRect(mHandle, &r);
    MapWindowPoints(nullptr, GetParent(mHandle), reinterpret_cast<POINT*>(&r), 2);
    mBounds = r;
}

void TWinControl::SetVisible(bool visible) {
    mVisible = visible;
    if (mHandle != nullptr) {
        ShowWindow(mHandle, visible ? SW_SHOWNA : SW_HIDE);
    }
}

void TWinControl::SetEnabled(bool enabled) {
    mEnabled = enabled;
    if (mHandle != nullptr) {
        EnableWindow(mHandle, enabled ? TRUE : FALSE);
    }
}

std::wstring TWinControl::Text() const {
    if (mHandle == nullptr) {
        return mText;
    }
    const int length = GetWindowTextLengthW(mHandle);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(mHandle, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

void TWinControl::SetText(const std::wstring& text) {
    mText = text;
    if (mHandle != nullptr) {
        SetWindowTextW(mHandle, text.c_str());
    }
}

void TWinControl::SetFont(HFONT font) {
    mFont = font;
    if (mHandle != nullptr) {
        SendMessageW(mHandle, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
}

void TWinControl::SetFocus() {
    if (mHandle != nullptr) {
        ::SetFocus(mHandle);
    }
}

bool TWinControl::Focused() const {
    return mHandle != nullptr && GetFocus() == mHandle;
}

void TWinControl::SendToBack() {
    if (mHandle != nullptr) {
        SetWindowPos(mHandle, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void TWinControl::SetId(int id) {
    mId = id;
    if (mHandle != nullptr) {
        SetWindowLongPtrW(mHandle, GWLP_ID, id);
    }
}

void TWinControl::ChangeStyle(DWORD set, DWORD clear) {
    mStyleSet = (mStyleSet | set) & ~clear;
    mStyleClear = (mStyleClear | clear) & ~set;
    if (mHandle != nullptr) {
        const LONG_PTR style = GetWindowLongPtrW(mHandle, GWL_STYLE);
        SetWindowLongPtrW(mHandle, GWL_STYLE, (style | set) & ~static_cast<LONG_PTR>(clear));
        InvalidateRect(mHandle, nullptr, TRUE);
    }
}

DWORD TWinControl::Style() const {
    return mHandle != nullptr ? static_cast<DWORD>(GetWindowLongPtrW(mHandle, GWL_STYLE)) : 0;
}

// ---------------------------------------------------------------------------------------------
// TButton

TButton::TButton(TControlHost& form, TWinControl* container) : TWinControl(form, container) {}

TButton::~TButton() = default;

void TButton::CreateParams(TWinCreateParams& params) {
    params.className = L"BUTTON";
    params.style = WS_TABSTOP | (mShownDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
}

void TButton::SetDefault(bool isDefault) {
    mDefault = isDefault;
    // Enter in a dialog asks for the button with the id IDOK when nothing else answers.
    if (isDefault) {
        SetId(IDOK);
    } else if (Id() == IDOK) {
        SetId(Form().NextControlId());
    }
    Form().DefaultButtonChanged();
}

void TButton::SetCancel(bool cancel) {
    mCancel = cancel;
    // Esc in a dialog presses the button with the id IDCANCEL.
    if (cancel) {
        SetId(IDCANCEL);
    } else if (Id() == IDCANCEL) {
        SetId(Form().NextControlId());
    }
}

void TButton::ShowAsDefault(bool shown) {
    mShownDefault = shown;
    // The window's own style decides: the system's dialog keys change it too.
    if (Handle() != nullptr && ((Style() & BS_TYPEMASK) == BS_DEFPUSHBUTTON) != shown) {
        SendMessageW(Handle(), BM_SETSTYLE, shown ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    }
}

void TButton::Click() {
    if (OnClick) {
        // A copy: the handler may replace itself.
        const auto handler = OnClick;
        handler();
    }
    if (ModalResult != TModalResult::mrNone) {
        Form().SetModalResult(ModalResult);
    }
}

bool TButton::Command(WORD code) {
    if (code != BN_CLICKED) {
        return false;
    }
    Click();
    return true;
}

// ---------------------------------------------------------------------------------------------
// TCheckBox

TCheckBox::TCheckBox(TControlHost& form, TWinControl* container) : TWinControl(form, container) {}

void TCheckBox::CreateParams(TWinCreateParams& params) {
    params.className = L"BUTTON";
    params.style = WS_TABSTOP | BS_AUTOCHECKBOX;
}

void TCheckBox::HandleCreated() {
    SendMessageW(Handle(), BM_SETCHECK, mChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TCheckBox::Checked() const {
    if (Handle() == nullptr) {
        return mChecked;
    }
    return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TCheckBox::SetChecked(bool checked) {
    mChecked = checked;
    if (Handle() != nullptr) {
        SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

bool TCheckBox::Command(WORD code) {
    if (code != BN_CLICKED) {
        return false;
    }
    mChecked = Checked();
    if (OnClick) {
        OnClick();
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// TEdit

TEdit::TEdit(TControlHost& form, TWinControl* container) : TWinControl(form, container) {}

void TEdit::CreateParams(TWinCreateParams& params) {
    params.className = L"EDIT";
    params.style = WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT;
    params.exStyle = WS_EX_CLIENTEDGE;
}

void TEdit::SelectAll() {
    if (Handle() != nullptr) {
        SendMessageW(Handle(), EM_SETSEL, 0, -1);
    }
}

bool TEdit::Command(WORD code) {
    switch (code) {
    case EN_CHANGE:
        if (OnChange) {
            OnChange();
        }
        return true;
    case EN_KILLFOCUS:
        if (mUpDown != nullptr) {
            mUpDown->AssociateLeft();
        }
        return true;
    default:
        return false;
    }
}

HBRUSH TEdit::ControlColor(UINT /*message*/, HDC /*dc*/) {
    // An edit box keeps the system's colours, on a page too.
    return nullptr;
}

void TEdit::SetCueBanner(const std::wstring& text) {
    mCueBanner = text;
    if (Handle() != nullptr) {
        SendMessageW(Handle(), EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(mCueBanner.c_str()));
    }
}

void TEdit::HandleCreated() {
    if (!mCueBanner.empty()) {
        SendMessageW(Handle(), EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(mCueBanner.c_str()));
    }
}

LRESULT TEdit::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (OnKeyDown) {
        if (message == WM_KEYDOWN && OnKeyDown(static_cast<WORD>(wParam))) {
            return 0;
        }
        // Enter and Esc taken as keys above would also beep as characters.
        if (message == WM_CHAR && (wParam == L'\r' || wParam == 0x1B)) {
            return 0;
        }
    }
    return TWinControl::WndProc(message, wParam, lParam);
}

// ---------------------------------------------------------------------------------------------
// THotKey

THotKey::THotKey(TControlHost& form, TWinControl* container) : TWinControl(form, container) {}

void THotKey::CreateParams(TWinCreateParams& params) {
    params.className = HOTKEY_CLASSW;
    params.style = WS_TABSTOP;
    params.exStyle = WS_EX_CLIENTEDGE;
}

void THotKey::HandleCreated() {
    // A combination of a key alone or with Shift alone becomes Ctrl+Alt and the key.
    SendMessageW(Handle(), HKM_SETRULES, HKCOMB_NONE | HKCOMB_S, MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_ALT, 0));
    SendMessageW(Handle(), HKM_SETHOTKEY, static_cast<WPARAM>(mKeys), 0);
}

int THotKey::Keys() const {
    return Handle() != nullptr ? static_cast<int>(LOWORD(SendMessageW(Handle(), HKM_GETHOTKEY, 0, 0))) : mKeys;
}

void THotKey::SetKeys(int keys) {
    mKeys = keys & 0xFFFF;
    if (Handle() != nullptr) {
        SendMessageW(Handle(), HKM_SETHOTKEY, static_cast<WPARAM>(mKeys), 0);
    }
}

bool THotKey::Command(WORD code) {
    if (code == EN_CHANGE) {
        if (OnChange) {
            OnChange();
        }
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// TUpDown

TUpDown::TUpDown(TControlHost& form, TWinControl* container) : TWinControl(form, container) {}

TUpDown::~TUpDown() {
    if (mAssociate != nullptr && mAssociate->mUpDown == this) {
        mAssociate->mUpDown = nullptr;
    }
}

void TUpDown::CreateParams(TWinCreateParams& params) {
    params.className = UPDOWN_CLASSW;
    params.style = UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS | UDS_HOTTRACK;
}

void TUpDown::HandleCreated() {
    SendMessageW(Handle(), UDM_SETRANGE32, static_cast<WPARAM>(mMin), static_cast<LPARAM>(mMax));
    if (mAssociate != nullptr && mAssociate->Handle() != nullptr) {
        SendMessageW(Handle(), UDM_SETBUDDY, reinterpret_cast<WPARAM>(mAssociate->Handle()), 0);
        // Aligned inside the box's right edge: the box gave up the room the arrows take.
        ReadBounds();
        mAssociate->ReadBounds();
    }
    SetPosition(mPosition);
}

void TUpDown::SetRange(int minimum, int maximum) {
    mMin = std::min(minimum, maximum);
    mMax = std::max(minimum, maximum);
    if (Handle() != nullptr) {
        SendMessageW(Handle(), UDM_SETRANGE32, static_cast<WPARAM>(mMin), static_cast<LPARAM>(mMax));
    }
    SetPosition(mPosition);
}

int TUpDown::Position() const {
    if (mAssociate != nullptr) {
        if (const std::optional<int> typed = WholeNumberInRange(mAssociate->Text(), mMin, mMax)) {
            return *typed;
        }
    }
    return mPosition;
}

void TUpDown::SetPosition(int position) {
    mPosition = std::clamp(position, mMin, mMax);
    if (Handle() != nullptr) {
        SendMessageW(Handle(), UDM_SETPOS32, 0, static_cast<LPARAM>(mPosition));
    }
    if (mAssociate != nullptr) {
        const std::wstring text = std::to_wstring(mPosition);
        if (mAssociate->Text() != text) {
            mAssociate->SetText(text);
        }
    }
}

void TUpDown::SetAssociate(TEdit* edit) {
    if (mAssociate != nullptr && mAssociate->mUpDown == this) {
        mAssociate->mUpDown = nullptr;
    }
    mAssociate = edit;
    if (edit != nullptr) {
        edit->mUpDown = this;
        if (Handle() != nullptr && edit->Handle() != nullptr) {
            SendMessageW(Handle(), UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit->Handle()), 0);
            ReadBounds();
            edit->ReadBounds();
        }
        SetPosition(mPosition);
    }
}

bool TUpDown::Scroll(WORD code) {
    if (code != SB_THUMBPOSITION) {
        return false;
    }
    // The arrows stepped (from what the box showed, when that was a number in the range).
    BOOL error = FALSE;
    const int stepped = static_cast<int>(SendMessageW(Handle(), UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&error)));
    mPosition = std::clamp(stepped, mMin, mMax);
    return true;
}

void TUpDown::AssociateLeft() {
    if (const std::optional<int> typed = WholeNumberInRange(mAssociate->Text(), mMin, mMax)) {
        mPosition = *typed;
    } else {
        SetPosition(mPosition);
    }
}

// ---------------------------------------------------------------------------------------------
// TStaticText

TStaticText::TStaticText(TControlHost& form, TWinControl* container) : TWinControl(form, container) {}

void TStaticText::CreateParams(TWinCreateParams& params) {
    params.className = L"STATIC";
    params.style = SS_LEFT | SS_NOTIFY;
}

void TStaticText::HandleCreated() {
    AdjustSize();
}

void TStaticText::SetAutoSize(bool autoSize) {
    mAutoSize = autoSize;
    AdjustSize();
}

void TStaticText::SetText(const std::wstring& text) {
    TWinControl::SetText(text);
    AdjustSize();
}

void TStaticText::SetFont(HFONT font) {
    TWinControl::SetFont(font);
    AdjustSize();
}

void TStaticText::SetBounds(int left, int top, int width, int height) {
    TWinControl::SetBounds(left, top, width, height);
    AdjustSize();
}

void TStaticText::AdjustSize() {
    if (!mAutoSize) {
        return;
    }
    ScopedWindowDc screen(nullptr);
    ScopedSelectObject select(screen.Get(), Font() != nullptr ? Font() : GetStockObject(DEFAULT_GUI_FONT));
    const std::wstring text = Text();
    RECT r{0, 0, 0, 0};
    // A space keeps the line's height when there is no text.
    DrawTextW(screen.Get(), text.empty() ? L" " : text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_LEFT);
    const int width = text.empty() ? 0 : r.right - r.left;
    if (width != Width() || r.bottom - r.top != Height()) {
        TWinControl::SetBounds(Left(), Top(), width, r.bottom - r.top);
    }
}

bool TStaticText::Command(WORD code) {
    if (code == STN_CLICKED && OnClick) {
        OnClick();
        return true;
    }
    if (code == STN_DBLCLK && OnDblClick) {
        OnDblClick();
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// TColorPanel

TColorPanel::TColorPanel(TControlHost& form, TWinControl* container) : TWinControl(form, container) {}

void TColorPanel::CreateParams(TWinCreateParams& params) {
    params.className = L"BUTTON";
    params.style = WS_TABSTOP | BS_OWNERDRAW;
}

void TColorPanel::SetColor(COLORREF color) {
    mColor = color;
    if (Handle() != nullptr) {
        InvalidateRect(Handle(), nullptr, FALSE);
    }
}

bool TColorPanel::Command(WORD code) {
    if (code != BN_CLICKED) {
        return false;
    }
    if (OnClick) {
        OnClick();
    }
    return true;
}

bool TColorPanel::DrawItem(const DRAWITEMSTRUCT& draw) {
    const HDC dc = draw.hDC;
    RECT r = draw.rcItem;
    const bool pressed = (draw.itemState & ODS_SELECTED) != 0;
    UniqueBrush fill(CreateSolidBrush(mColor));
    FillRect(dc, &r, fill.Get());
    DrawEdge(dc, &r, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);

    RECT textRect = r;
    if (pressed) {
        OffsetRect(&textRect, 1, 1);
    }
    ScopedSelectObject select(dc, Font());
    SetBkMode(dc, TRANSPARENT);
    const bool disabled = (draw.itemState & ODS_DISABLED) != 0;
    SetTextColor(dc, disabled ? GetSysColor(COLOR_GRAYTEXT) : ReadableTextColor(mColor));
    const std::wstring text = Text();
    const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | ((draw.itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0);
    DrawTextW(dc, text.c_str(), -1, &textRect, format);
    if ((draw.itemState & ODS_FOCUS) && !(draw.itemState & ODS_NOFOCUSRECT)) {
        RECT focus = r;
        InflateRect(&focus, -3, -3);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RGB(255, 255, 255));
        DrawFocusRect(dc, &focus);
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// TTabSheet

TTabSheet::TTabSheet(TPageControl& pageControl) : TWinControl(pageControl.Form()), mPageControl(pageControl) {
    RegisterTabSheetClass();
    SetVisible(false);
    mPageControl.AddPage(this);
}

TTabSheet::~TTabSheet() {
    mPageControl.RemovePage(this);
}

void TTabSheet::CreateParams(TWinCreateParams& params) {
    params.className = WindowClassName;
    params.style = WS_CLIPCHILDREN;
    // The keyboard goes through the page's controls as if they lay on the form.
    params.exStyle = WS_EX_CONTROLPARENT;
}

void TTabSheet::HandleCreated() {
    mPageControl.LayOutPages();
}

void TTabSheet::SetText(const std::wstring& text) {
    TWinControl::SetText(text);
    mPageControl.PageTextChanged(this);
}

LRESULT TTabSheet::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (ReflectMessage(message, wParam, lParam, result)) {
        return result;
    }
    switch (message) {
    case WM_ERASEBKGND:
        PaintBody(reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_PRINTCLIENT:
        // What themed controls draw behind themselves.
        PaintBody(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_SIZE:
    case WM_THEMECHANGED:
    case WM_SYSCOLORCHANGE:
        mBodyBrush.Reset();
        break;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
        // Whatever no control of the page took goes on to the form.
        return SendMessageW(GetParent(Handle()), message, wParam, lParam);
    default:
        break;
    }
    return DefaultHandler(message, wParam, lParam);
}

HBRUSH TTabSheet::BodyBrush() {
    RECT client{};
    GetClientRect(Handle(), &client);
    const SIZE size{client.right, client.bottom};
    if (mBodyBrush && size.cx == mBodyBrushSize.cx && size.cy == mBodyBrushSize.cy) {
        return mBodyBrush.Get();
    }
    mBodyBrush.Reset();
    HTHEME theme =
        IsAppThemed() && mPageControl.Handle() != nullptr ? OpenThemeData(mPageControl.Handle(), L"TAB") : nullptr;
    if (theme == nullptr || size.cx <= 0 || size.cy <= 0) {
        if (theme != nullptr) {
            CloseThemeData(theme);
        }
        return GetSysColorBrush(COLOR_BTNFACE);
    }
    // The themed body as a picture the size of the page, so that text and buttons on it show
    // the body behind them wherever they lie.
    ScopedWindowDc screen(Handle());
    UniqueMemoryDc memory(CreateCompatibleDC(screen.Get()));
    UniqueBitmap picture(CreateCompatibleBitmap(screen.Get(), size.cx, size.cy));
    if (memory && picture) {
        ScopedSelectObject select(memory.Get(), picture.Get());
        DrawThemeBackground(theme, memory.Get(), TABP_BODY, 0, &client, nullptr);
    }
    CloseThemeData(theme);
    if (!picture) {
        return GetSysColorBrush(COLOR_BTNFACE);
    }
    mBodyBrush.Reset(CreatePatternBrush(picture.Get()));
    mBodyBrushSize = size;
    return mBodyBrush ? mBodyBrush.Get() : GetSysColorBrush(COLOR_BTNFACE);
}

void TTabSheet::PaintBody(HDC dc) {
    RECT client{};
    GetClientRect(Handle(), &client);
    POINT previous{};
    SetBrushOrgEx(dc, 0, 0, &previous);
    FillRect(dc, &client, BodyBrush());
    SetBrushOrgEx(dc, previous.x, previous.y, nullptr);
}

HBRUSH TTabSheet::ChildBackground(HDC dc, HWND child) {
    SetBkMode(dc, TRANSPARENT);
    POINT origin{0, 0};
    MapWindowPoints(child, Handle(), &origin, 1);
    SetBrushOrgEx(dc, -origin.x, -origin.y, nullptr);
    return BodyBrush();
}

// ---------------------------------------------------------------------------------------------
// TPageControl

TPageControl::TPageControl(TControlHost& form) : TWinControl(form) {}

TPageControl::~TPageControl() = default;

void TPageControl::CreateParams(TWinCreateParams& params) {
    params.className = WC_TABCONTROLW;
    // Never painted over its pages, which lie above it.
    params.style = WS_TABSTOP | WS_CLIPSIBLINGS;
}

void TPageControl::HandleCreated() {
    for (int i = 0; i < static_cast<int>(mPages.size()); ++i) {
        InsertTab(i);
    }
    LayOutPages();
}

void TPageControl::Loaded() {
    // Below its pages, and last when the Tab key goes round: from the tabs it goes on to the
    // active page's controls.
    SendToBack();
}

void TPageControl::InsertTab(int index) {
    if (Handle() == nullptr) {
        return;
    }
    std::wstring text = mPages[index]->Text();
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    SendMessageW(Handle(), TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

void TPageControl::AddPage(TTabSheet* page) {
    mPages.push_back(page);
    InsertTab(static_cast<int>(mPages.size()) - 1);
    if (mActivePage == nullptr) {
        mActivePage = page;
    }
    LayOutPages();
}

void TPageControl::RemovePage(TTabSheet* page) {
    const int index = IndexOf(page);
    if (index < 0) {
        return;
    }
    mPages.erase(mPages.begin() + index);
    if (Handle() != nullptr) {
        SendMessageW(Handle(), TCM_DELETEITEM, static_cast<WPARAM>(index), 0);
    }
    if (mActivePage == page) {
        mActivePage = mPages.empty() ? nullptr : mPages.front();
    }
    LayOutPages();
}

void TPageControl::PageTextChanged(TTabSheet* page) {
    const int index = IndexOf(page);
    if (index < 0 || Handle() == nullptr) {
        return;
    }
    std::wstring text = page->Text();
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    SendMessageW(Handle(), TCM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    // Wider or narrower tabs may take another row: the pages follow.
    LayOutPages();
}

int TPageControl::IndexOf(const TTabSheet* page) const {
    const auto it = std::find(mPages.begin(), mPages.end(), page);
    return it == mPages.end() ? -1 : static_cast<int>(it - mPages.begin());
}

void TPageControl::SetBounds(int left, int top, int width, int height) {
    TWinControl::SetBounds(left, top, width, height);
    LayOutPages();
}

void TPageControl::SetFont(HFONT font) {
    TWinControl::SetFont(font);
    LayOutPages();
}

void TPageControl::LayOutPages() {
    if (Handle() != nullptr) {
        RECT display{0, 0, Width(), Height()};
        SendMessageW(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
        const int index = IndexOf(mActivePage);
        if (index >= 0 && SendMessageW(Handle(), TCM_GETCURSEL, 0, 0) != index) {
            SendMessageW(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
        }
        for (TTabSheet* page : mPages) {
            page->SetBounds(Left() + display.left, Top() + display.top, display.right - display.left,
                            display.bottom - display.top);
        }
    }
    const HWND focus = GetFocus();
    bool focusHidden = false;
    for (TTabSheet* page : mPages) {
        if (page != mActivePage && page->Handle() != nullptr && focus != nullptr &&
            (focus == page->Handle() || IsChild(page->Handle(), focus))) {
            focusHidden = true;
        }
    }
    for (TTabSheet* page : mPages) {
        if (page == mActivePage && !page->Visible()) {
            page->SetVisible(true);
        }
    }
    for (TTabSheet* page : mPages) {
        if (page != mActivePage && page->Visible()) {
            page->SetVisible(false);
        }
    }
    // The focus was on a page that went away: it goes to the tabs, as in any dialog with pages.
    if (focusHidden) {
        SetFocus();
    }
}

void TPageControl::SetActivePage(TTabSheet* page) {
    if (page == mActivePage || IndexOf(page) < 0) {
        return;
    }
    mActivePage = page;
    LayOutPages();
    if (OnChange) {
        OnChange();
    }
}

void TPageControl::SelectNextPage(bool forward) {
    if (mPages.empty()) {
        return;
    }
    const int count = static_cast<int>(mPages.size());
    const int index = std::max(IndexOf(mActivePage), 0);
    SetActivePage(mPages[(index + (forward ? 1 : count - 1)) % count]);
}

bool TPageControl::Notify(NMHDR& header, LRESULT& result) {
    if (header.code != TCN_SELCHANGE) {
        return false;
    }
    const LRESULT index = SendMessageW(Handle(), TCM_GETCURSEL, 0, 0);
    if (index >= 0 && index < static_cast<LRESULT>(mPages.size())) {
        SetActivePage(mPages[static_cast<std::size_t>(index)]);
    }
    result = 0;
    return true;
}

bool TPageControl::PreviewKey(const MSG& message) {
    if (message.message != WM_KEYDOWN || GetKeyState(VK_CONTROL) >= 0 || !IsWindowVisible(Handle()) ||
        !IsWindowEnabled(Handle())) {
        return false;
    }
    switch (message.wParam) {
    case VK_TAB:
        SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
        return true;
    case VK_NEXT:
        SelectNextPage(true);
        return true;
    case VK_PRIOR:
        SelectNextPage(false);
        return true;
    default:
        return false;
    }
}
