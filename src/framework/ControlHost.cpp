#include "framework/ControlHost.h"

#include <algorithm>

void TControlHost::AddControl(TGraphicControl* control) {
    mControls.push_back(control);
}

void TControlHost::RemoveControl(TGraphicControl* control) {
    mControls.erase(std::remove(mControls.begin(), mControls.end(), control), mControls.end());
    ControlRemoved(control);
}

void TControlHost::AddWinControl(TWinControl* control) {
    mWinControls.push_back(control);
}

void TControlHost::RemoveWinControl(TWinControl* control) {
    mWinControls.erase(std::remove(mWinControls.begin(), mWinControls.end(), control), mWinControls.end());
    WinControlRemoved(control);
}

void TControlHost::ControlRemoved(TGraphicControl* /*control*/) {}

void TControlHost::ControlChanged(TGraphicControl* /*control*/) {}

void TControlHost::WinControlRemoved(TWinControl* /*control*/) {}

void TControlHost::ControlFocused(TWinControl* /*control*/) {}

void TControlHost::DefaultButtonChanged() {}
