#pragma once

#include "foundation/geometry/DisplayScale.h"
#include "framework/ControlHost.h"
#include "framework/Window.h"

#include <windows.h>

#include <string>
#include <vector>

class TButton;
class TFormHost;
class TGraphicControl;
class TWinControl;

enum class TCloseAction { caNone, caHide, caFree, caMinimize };
enum class TFormStyle { fsNormal, fsStayOnTop };

// What a form's window is created with; a form adjusts it in CreateParams.
struct TCreateParams {
    std::wstring caption;
    DWORD style = WS_OVERLAPPEDWINDOW;
    DWORD exStyle = 0;
    int x = CW_USEDEFAULT;
    int y = CW_USEDEFAULT;
    int width = CW_USEDEFAULT;
    int height = CW_USEDEFAULT;
    HWND parent = nullptr;
    std::wstring windowClassName = L"TForm";
};

// A top-level window owned by one object (see TWindow). The window is made after construction
// (CreateParams, then FormCreate) and destroyed by Destroy (FormDestroy first, then the window,
// while the whole form still exists). Handlers are virtual and do nothing unless a form overrides
// them; an exception out of a handler goes to HandleCurrentException and the loop keeps
// running. What a form needs of the application it asks of its host (TFormHost).
//
// A form paints its graphic controls (TGraphicControl) over its own content and routes the mouse
// to them: input over a visible, enabled control goes to the control and never to the form's
// handlers (nor its context menu). The control under the pointer shows its hint after a short
// rest.
class TForm : public TControlHost {
public:
    TForm();
    ~TForm() override;

    // The host of every form: the one set, else one that leaves forms standing alone.
    static TFormHost& Host();
    // Null puts back the one for forms standing alone.
    static void SetHost(TFormHost* host);

    // Makes the window and runs FormCreate; done by whoever creates the form.
    void AfterConstruction();
    // FormDestroy, then the window is destroyed; done before the form is deleted.
    void Destroy();

    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    int ClientWidth() const;
    int ClientHeight() const;
    RECT ClientRect() const;
    RECT BoundsRect() const;
    void SetLeft(int left);
    void SetTop(int top);
    void SetBounds(int left, int top, int width, int height);
    void SetClientSize(int width, int height);

    bool Visible() const;
    void Show();
    void Hide();
    void SetVisible(bool visible);
    bool Enabled() const;
    void SetEnabled(bool enabled);
    void BringToFront();
    // Asks the form to close: FormCloseQuery, then FormClose; closing the main form ends the
    // application, a modal form ends its loop with mrCancel, any other form is hidden.
    void Close();
    void Invalidate();

    std::wstring Caption() const;
    void SetCaption(const std::wstring& caption);
    COLORREF Color() const { return mColor; }
    void SetColor(COLORREF color);
    bool AlphaBlend() const { return mAlphaBlend; }
    BYTE AlphaBlendValue() const { return mAlphaBlendValue; }
    void SetAlphaBlend(bool alphaBlend);
    void SetAlphaBlendValue(BYTE value);
    TFormStyle FormStyle() const { return mFormStyle; }
    void SetFormStyle(TFormStyle style);

    // The display density of the monitor the window is on; the system's before the window is
    // made. Sizes of the design (96-DPI pixels) become the window's pixels through Scale.
    int Dpi() const { return mDpi; }
    Tessel::Common::DisplayScale Scale() const { return Tessel::Common::DisplayScale(mDpi); }

    // Screen point to client coordinates of this form and back.
    POINT ScreenToClient(POINT point) const;
    POINT ClientToScreen(POINT point) const;

    // Painting into a memory bitmap first, then onto the window in one step: no flicker, and the
    // background is never erased on the screen (the form's colour fills the bitmap instead).
    bool DoubleBuffered() const { return mDoubleBuffered; }
    void SetDoubleBuffered(bool doubleBuffered) { mDoubleBuffered = doubleBuffered; }

    // The topmost visible, enabled control at a client point; null when there is none.
    TGraphicControl* ControlAtPos(POINT point) const;
    // How long the pointer rests on a control before its hint shows, in milliseconds.
    static constexpr UINT HintPause = 500;

    // Shows the form and runs a message loop of its own (through the host's, so every message
    // filter sees its messages) until ModalResult is set or the form is closed; the program's
    // other windows are disabled meanwhile and enabled again before the form hides.
    // Keys work as in any Windows dialog: Tab and Shift+Tab move the focus through the native
    // controls, Enter presses the default button, Esc the cancel button (or cancels the form),
    // Alt and a marked letter press or focus that control. A WM_QUIT ends the loop with mrCancel
    // and is posted again for the loop outside.
    TModalResult ShowModal();
    bool Modal() const { return mModal; }
    // Puts the window's centre on the centre of the primary monitor.
    void CenterOnDesktop();

    // The control that gets the focus when the form first becomes active; without one, the first
    // control that the Tab key reaches.
    TWinControl* ActiveControl() const { return mActiveControl; }
    void SetActiveControl(TWinControl* control) { mActiveControl = control; }

protected:
    virtual void CreateParams(TCreateParams& params);

    virtual void FormCreate() {}
    virtual void FormShow() {}
    virtual void FormHide() {}
    virtual void FormPaint(HDC /*dc*/, const RECT& /*clip*/) {}
    virtual void FormResize() {}
    virtual void FormMouseDown(TMouseButton /*button*/, TShiftState /*shift*/, int /*x*/, int /*y*/) {}
    virtual void FormMouseMove(TShiftState /*shift*/, int /*x*/, int /*y*/) {}
    virtual void FormMouseUp(TMouseButton /*button*/, TShiftState /*shift*/, int /*x*/, int /*y*/) {}
    virtual void FormClick() {}
    virtual void FormMouseEnter() {}
    virtual void FormMouseLeave() {}
    // mousePos is in client coordinates, (-1, -1) when the menu key asked for it.
    virtual void FormContextPopup(POINT /*mousePos*/, bool& /*handled*/) {}
    virtual void FormCloseQuery(bool& /*canClose*/) {}
    virtual void FormClose(TCloseAction& /*action*/) {}
    virtual void FormDestroy() {}
    // The window is on a monitor of another density now (Dpi tells which), and has taken the
    // size the system suggested for it.
    virtual void FormDpiChanged() {}

    // Sees every message before the form's own handling; return true with result set to end it.
    virtual bool PreDispatch(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT& /*result*/) {
        return false;
    }

    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateHandle();
    void PaintMessage();
    void PaintContent(HDC dc, const RECT& clip);
    void MouseDownMessage(TMouseButton button, WPARAM wParam, LPARAM lParam);
    void MouseMoveMessage(WPARAM wParam, LPARAM lParam);
    void MouseUpMessage(TMouseButton button, WPARAM wParam, LPARAM lParam);
    bool SetCursorMessage(WPARAM wParam, LPARAM lParam);
    void ApplyLayeredStyle();

    void ControlRemoved(TGraphicControl* control) override;
    void ControlChanged(TGraphicControl* control) override;
    void SetHotControl(TGraphicControl* control);
    void CancelControlPress();
    bool HasControl(const TGraphicControl* control) const;
    void ShowControlHint();
    void HideControlHint();

    void WinControlRemoved(TWinControl* control) override;
    // A push button shows as the default while it has the focus.
    void ControlFocused(TWinControl* control) override;
    void DefaultButtonChanged() override;
    void UpdateDefaultButton(TWinControl* focused);
    TButton* ShownDefaultButton() const;
    bool DialogCommand(WORD id);
    // The modal loop's keyboard filter: dialog keys for this form and its controls.
    bool DialogMessage(MSG& message);
    // Gives the focus back to the control that had it, else to the first one.
    void RestoreFocus();

    COLORREF mColor = GetSysColor(COLOR_BTNFACE);
    bool mAlphaBlend = false;
    BYTE mAlphaBlendValue = 255;
    TFormStyle mFormStyle = TFormStyle::fsNormal;
    bool mClicked = false;
    bool mMouseInside = false;
    bool mDestroying = false;
    bool mDoubleBuffered = false;
    int mDpi;

    // The control under the pointer, which had MouseEnter.
    TGraphicControl* mHotControl = nullptr;
    // A press that began on a control holds the mouse until every button is up; the control
    // is null when it went away (or was hidden or disabled) before that.
    bool mControlPress = false;
    TGraphicControl* mPressControl = nullptr;
    // A press that began on the form itself: controls get no hover until it ends.
    bool mFormPress = false;
    TTimer mHintTimer{*this, HintPause, false};
    // The hint text this form showed, while it shows.
    std::wstring mShownHint;
    // Show has run once.
    bool mShownOnce = false;

    TWinControl* mActiveControl = nullptr;
    // The control that had the focus last, given it back when the form is activated again.
    HWND mLastFocus = nullptr;
    bool mModal = false;
};
