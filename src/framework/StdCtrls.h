#pragma once

#include "foundation/win32/UniqueHandle.h"
#include "framework/ControlHost.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TEdit;
class TPageControl;
class TUpDown;

// What the window of a native control is made with; WS_CHILD, WS_VISIBLE and WS_DISABLED are
// added from the control's state.
struct TWinCreateParams {
    std::wstring className;
    DWORD style = 0;
    DWORD exStyle = 0;
};

// A control that is a window of one of the system's control classes (a button, an edit box, a tab
// control, ...): the system draws it and gives it the keyboard, so it looks and behaves as the
// same control does in any Windows dialog. It lies on its form, or inside a container control
// (the page of a page control), at bounds in that parent's client coordinates. Controls are parts
// of their form, constructed before the form's window: their windows are made right after it, in
// the order the controls were constructed, which is also the order the Tab key moves the focus
// through them; properties set before then are applied when the window is made. The notifications it sends its parent
// come back to the control object; the window goes with its parent's or with the control object, whichever goes first.
class TWinControl {
public:
    explicit TWinControl(TControlHost& form, TWinControl* container = nullptr);
    virtual ~TWinControl();

    TWinControl(const TWinControl&) = delete;
    TWinControl& operator=(const TWinControl&) = delete;

    HWND Handle() const { return mHandle; }
    TControlHost& Form() const { return mForm; }
    TWinControl* Container() const { return mContainer; }
    // The id the control's notifications carry.
    int Id() const { return mId; }

    int Left() const { return mBounds.left; }
    int Top() const { return mBounds.top; }
    int Width() const { return mBounds.right - mBounds.left; }
    int Height() const { return mBounds.bottom - mBounds.top; }
    RECT BoundsRect() const { return mBounds; }
    virtual void SetBounds(int left, int top, int width, int height);

    bool Visible() const { return mVisible; }
    void SetVisible(bool visible);
    bool Enabled() const { return mEnabled; }
    void SetEnabled(bool enabled);
    // The window's text (what the user typed, for an edit box).
    std::wstring Text() const;
    virtual void SetText(const std::wstring& text);
    // The font is not owned and must outlive the control's window (or be replaced).
    HFONT Font() const { return mFont; }
    virtual void SetFont(HFONT font);

    void SetFocus();
    bool Focused() const;
    // The name screen readers say for the control (its label); the system's when empty.
    void SetAccessibleName(std::wstring name) { mAccessibleName = std::move(name); }
    const std::wstring& AccessibleName() const { return mAccessibleName; }
    // Puts the window below all others of its parent: it is passed last by the Tab key and never
    // painted over the controls that overlap it.
    void SendToBack();

    std::intptr_t Tag = 0;

    // The control object of a window; null for any other window.
    static TWinControl* FromHandle(HWND window);
    // Hands a notification that a control sent its parent (WM_COMMAND, WM_NOTIFY, WM_CTLCOLOR...,
    // WM_DRAWITEM, WM_VSCROLL, WM_HSCROLL) back to that control; true when it took it, with result
    // set.
    static bool ReflectMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

protected:
    virtual void CreateParams(TWinCreateParams& params) = 0;
    // The window exists: put into it what the system keeps (ranges, items, the buddy ...).
    virtual void HandleCreated() {}
    // Every control of the form has its window now.
    virtual void Loaded() {}
    // Notifications from the control's window to its parent.
    virtual bool Command(WORD /*code*/) { return false; }
    virtual bool Notify(NMHDR& /*header*/, LRESULT& /*result*/) { return false; }
    virtual bool DrawItem(const DRAWITEMSTRUCT& /*draw*/) { return false; }
    // WM_VSCROLL and WM_HSCROLL that the control sent its parent.
    virtual bool Scroll(WORD /*code*/) { return false; }
    // The brush for the control's background (WM_CTLCOLOR...); null leaves the system's. The
    // default takes what the container gives its children for static text and buttons.
    virtual HBRUSH ControlColor(UINT message, HDC dc);
    // What a container gives the background of a child window (null: the system's).
    virtual HBRUSH ChildBackground(HDC /*dc*/, HWND /*child*/) { return nullptr; }
    // Sees the form's keyboard messages before the system's dialog keys; true when it took one.
    virtual bool PreviewKey(const MSG& /*message*/) { return false; }
    // The control's own messages; the default is the system control's handling.
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam);

    void SetId(int id);
    // Sets and clears style bits of the window made or to be made.
    void ChangeStyle(DWORD set, DWORD clear);
    DWORD Style() const;
    // Takes the bounds the system gave the window.
    void ReadBounds();

private:
    friend class TForm;

    void CreateHandle();
    void Detach() noexcept;
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR data) noexcept;

    TControlHost& mForm;
    TWinControl* mContainer;
    HWND mHandle = nullptr;
    int mId;
    RECT mBounds{0, 0, 0, 0};
    bool mVisible = true;
    bool mEnabled = true;
    std::wstring mText;
    std::wstring mAccessibleName;
    HFONT mFont = nullptr;
    // Style bits changed before the window was made.
    DWORD mStyleSet = 0;
    DWORD mStyleClear = 0;
};

// A push button. Enter presses the form's default button unless another push button has the
// focus (that one then shows as the default); Esc presses the cancel button.
class TButton : public TWinControl {
public:
    explicit TButton(TControlHost& form, TWinControl* container = nullptr);
    ~TButton() override;

    bool Default() const { return mDefault; }
    void SetDefault(bool isDefault);
    bool Cancel() const { return mCancel; }
    void SetCancel(bool cancel);

    // Once OnClick returned (without failing), a modal form closes with this result; mrNone
    // leaves it open.
    TModalResult ModalResult = TModalResult::mrNone;
    std::function<void()> OnClick;
    void Click();

protected:
    void CreateParams(TWinCreateParams& params) override;
    bool Command(WORD code) override;

private:
    friend class TForm;
    void ShowAsDefault(bool shown);

    bool mDefault = false;
    bool mCancel = false;
    bool mShownDefault = false;
};

// A check box with its text on the right.
class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TControlHost& form, TWinControl* container = nullptr);

    bool Checked() const;
    void SetChecked(bool checked);
    std::function<void()> OnClick;

protected:
    void CreateParams(TWinCreateParams& params) override;
    void HandleCreated() override;
    bool Command(WORD code) override;

private:
    bool mChecked = false;
};

// A one-line edit box.
class TEdit : public TWinControl {
public:
    explicit TEdit(TControlHost& form, TWinControl* container = nullptr);

    // Set before the window is made.
    void SetRightAligned(bool right) { ChangeStyle(right ? ES_RIGHT : 0, right ? 0 : ES_RIGHT); }
    void SetNumbersOnly(bool numbers) { ChangeStyle(numbers ? ES_NUMBER : 0, numbers ? 0 : ES_NUMBER); }
    void SelectAll();
    // The grey hint the empty box shows.
    void SetCueBanner(const std::wstring& text);
    std::function<void()> OnChange;
    // Sees the keys pressed in the box first; true when it took the key (Enter and Esc then
    // make no sound either).
    std::function<bool(WORD key)> OnKeyDown;

protected:
    void CreateParams(TWinCreateParams& params) override;
    void HandleCreated() override;
    bool Command(WORD code) override;
    HBRUSH ControlColor(UINT message, HDC dc) override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    friend class TUpDown;
    TUpDown* mUpDown = nullptr;
    std::wstring mCueBanner;
};

// The system's hotkey box: the user presses a combination and it shows it. Keys are the virtual
// key in the low byte and HOTKEYF_ flags in the next; 0 is none.
class THotKey : public TWinControl {
public:
    explicit THotKey(TControlHost& form, TWinControl* container = nullptr);

    int Keys() const;
    void SetKeys(int keys);
    std::function<void()> OnChange;

protected:
    void CreateParams(TWinCreateParams& params) override;
    void HandleCreated() override;
    bool Command(WORD code) override;

private:
    int mKeys = 0;
};

// Up and down arrows that step a whole number within a range, shown in an edit box (its
// associate) inside whose right edge they sit. The position is the box's text while that is a
// whole number within the range; otherwise it is what the program set, the arrows stepped to or
// the box held when it last lost the focus (where any other text is put back to the position). So
// the position never leaves the range, and text typed on the way to a number ("9" and "90" of
// "900") is never taken for it.
class TUpDown : public TWinControl {
public:
    explicit TUpDown(TControlHost& form, TWinControl* container = nullptr);
    ~TUpDown() override;

    int Min() const { return mMin; }
    int Max() const { return mMax; }
    void SetRange(int minimum, int maximum);
    int Position() const;
    // Clamped to the range; the associate shows it.
    void SetPosition(int position);
    // The edit box is to be constructed before the up-down.
    void SetAssociate(TEdit* edit);
    TEdit* Associate() const { return mAssociate; }

protected:
    void CreateParams(TWinCreateParams& params) override;
    void HandleCreated() override;
    bool Scroll(WORD code) override;

private:
    friend class TEdit;
    void AssociateLeft();

    int mMin = 0;
    int mMax = 100;
    int mPosition = 0;
    TEdit* mAssociate = nullptr;
};

// A line of text. It sizes itself to its text unless AutoSize is turned off; "&" marks the
// letter that moves the focus to the control after it. With OnClick or OnDblClick set it tells
// of clicks.
class TStaticText : public TWinControl {
public:
    explicit TStaticText(TControlHost& form, TWinControl* container = nullptr);

    bool AutoSize() const { return mAutoSize; }
    void SetAutoSize(bool autoSize);
    void SetText(const std::wstring& text) override;
    void SetFont(HFONT font) override;
    void SetBounds(int left, int top, int width, int height) override;

    std::function<void()> OnClick;
    std::function<void()> OnDblClick;

protected:
    void CreateParams(TWinCreateParams& params) override;
    void HandleCreated() override;
    bool Command(WORD code) override;

private:
    void AdjustSize();

    bool mAutoSize = true;
};

// A raised panel filled with a colour, its text centred; it takes the focus and is pressed with
// the mouse or the space bar like a button.
class TColorPanel : public TWinControl {
public:
    explicit TColorPanel(TControlHost& form, TWinControl* container = nullptr);

    COLORREF Color() const { return mColor; }
    void SetColor(COLORREF color);
    std::function<void()> OnClick;

protected:
    void CreateParams(TWinCreateParams& params) override;
    bool Command(WORD code) override;
    bool DrawItem(const DRAWITEMSTRUCT& draw) override;

private:
    COLORREF mColor = GetSysColor(COLOR_BTNFACE);
};

// One page of a page control, constructed after it: a window over the control's display area that
// holds the page's controls and shows the body of the tabs behind them.
class TTabSheet : public TWinControl {
public:
    explicit TTabSheet(TPageControl& pageControl);
    ~TTabSheet() override;

    TPageControl& PageControl() const { return mPageControl; }
    // The caption of the page's tab.
    void SetText(const std::wstring& text) override;

    static constexpr const wchar_t* WindowClassName = L"TTabSheet";

protected:
    void CreateParams(TWinCreateParams& params) override;
    void HandleCreated() override;
    HBRUSH ChildBackground(HDC dc, HWND child) override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    HBRUSH BodyBrush();
    void PaintBody(HDC dc);

    TPageControl& mPageControl;
    // The body picture as a brush, for the size it was made for; null when the system's face
    // colour is the body (no visual style).
    Tessel::Common::UniqueBrush mBodyBrush;
    SIZE mBodyBrushSize{0, 0};
};

// Tabs over pages (TTabSheet), one page shown at a time. Clicking a tab, the arrow keys on the
// tabs, or Ctrl+Tab / Ctrl+Shift+Tab (Ctrl+PageDown / Ctrl+PageUp) anywhere on the form show
// another page. The tabs come after the form's other controls when the Tab key goes round.
class TPageControl : public TWinControl {
public:
    explicit TPageControl(TControlHost& form);
    ~TPageControl() override;

    void SetBounds(int left, int top, int width, int height) override;
    void SetFont(HFONT font) override;

    const std::vector<TTabSheet*>& Pages() const { return mPages; }
    TTabSheet* ActivePage() const { return mActivePage; }
    void SetActivePage(TTabSheet* page);
    // The next page (or the one before), round the end.
    void SelectNextPage(bool forward);
    std::function<void()> OnChange;

protected:
    void CreateParams(TWinCreateParams& params) override;
    void HandleCreated() override;
    void Loaded() override;
    bool Notify(NMHDR& header, LRESULT& result) override;
    bool PreviewKey(const MSG& message) override;

private:
    friend class TTabSheet;
    void AddPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    void PageTextChanged(TTabSheet* page);
    void InsertTab(int index);
    // Puts every page over the display area and shows only the active one.
    void LayOutPages();
    int IndexOf(const TTabSheet* page) const;

    std::vector<TTabSheet*> mPages;
    TTabSheet* mActivePage = nullptr;
};
