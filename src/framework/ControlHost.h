#pragma once

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

// What the controls on a form need of it: its window, the other controls, and to hear of them
// as they come, change and go. The form implements it; controls are parts of their form.
class TControlHost {
public:
    // The form's window; null before it is made.
    virtual HWND Handle() const = 0;
    // The graphic controls, bottom first.
    virtual const std::vector<TGraphicControl*>& Controls() const = 0;
    // Ends a modal form's loop with the result (a button that closes its dialog).
    virtual void SetModalResult(TModalResult result) = 0;

protected:
    ~TControlHost() = default;

private:
    friend class TButton;
    friend class TGraphicControl;
    friend class TWinControl;

    virtual void AddControl(TGraphicControl* control) = 0;
    virtual void RemoveControl(TGraphicControl* control) = 0;
    // A control was hidden, disabled or moved: hover and press follow.
    virtual void ControlChanged(TGraphicControl* control) = 0;
    virtual void AddWinControl(TWinControl* control) = 0;
    virtual void RemoveWinControl(TWinControl* control) = 0;
    virtual int NextControlId() = 0;
    // A native control took the focus: a push button shows as the default while it has it.
    virtual void ControlFocused(TWinControl* control) = 0;
    // Shows the default button as the one Enter presses, unless a focused push button is.
    virtual void UpdateDefaultButton(TWinControl* focused) = 0;
};
