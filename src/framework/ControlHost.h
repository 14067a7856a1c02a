#pragma once

#include "framework/Window.h"

#include <windows.h>

#include <vector>

class TButton;
class TGraphicControl;
class TWinControl;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// Keys and buttons held during a mouse event.
enum TShiftStateFlag : unsigned {
    ssShift = 1u << 0,
    ssAlt = 1u << 1,
    ssCtrl = 1u << 2,
    ssLeft = 1u << 3,
    ssRight = 1u << 4,
    ssMiddle = 1u << 5,
    ssDouble = 1u << 6,
};
using TShiftState = unsigned;

// How a modal form was closed: not yet, by its OK button, or by anything that cancels it.
enum class TModalResult { mrNone, mrOk, mrCancel };

// A window that controls lie on (a form). It keeps its graphic controls (TGraphicControl) and its
// native controls (TWinControl) in the order they were made, gives the native ones their ids and
// holds the result a button chose for a modal showing. The controls tell it when they change,
// take the focus or go, so that a host that routes the mouse and the keys to them (a form) can
// follow; the base hears it and does nothing more.
class TControlHost : public TWindow {
public:
    // The graphic controls, bottom first.
    const std::vector<TGraphicControl*>& Controls() const { return mControls; }
    // The native controls, in the order they were constructed.
    const std::vector<TWinControl*>& WinControls() const { return mWinControls; }

    TModalResult ModalResult() const { return mModalResult; }
    void SetModalResult(TModalResult result) { mModalResult = result; }

protected:
    TControlHost() = default;

    // A graphic control is going (it is no longer among Controls): nothing more may be called on
    // it.
    virtual void ControlRemoved(TGraphicControl* control);
    // A graphic control was hidden, disabled or moved.
    virtual void ControlChanged(TGraphicControl* control);
    // A native control is going (it is no longer among WinControls).
    virtual void WinControlRemoved(TWinControl* control);
    // A native control took the focus.
    virtual void ControlFocused(TWinControl* control);
    // A push button became the default button or stopped being it.
    virtual void DefaultButtonChanged();

private:
    friend class TButton;
    friend class TGraphicControl;
    friend class TWinControl;

    void AddControl(TGraphicControl* control);
    void RemoveControl(TGraphicControl* control);
    void AddWinControl(TWinControl* control);
    void RemoveWinControl(TWinControl* control);
    // An id for a native control's notifications that no other control of this host has.
    int NextControlId() { return mNextControlId++; }

    std::vector<TGraphicControl*> mControls;
    std::vector<TWinControl*> mWinControls;
    int mNextControlId = 100;
    TModalResult mModalResult = TModalResult::mrNone;
};
