#include "os/WinXPSpecific.h"

void WinXPSpecific::AdjustDropEffect(DWORD& /*effect*/) {}

bool WinXPSpecific::PreProcessMessage(WindowMessage& /*message*/, LRESULT& /*result*/) {
    return false;
}

void WinXPSpecific::PostProcessMessage(WindowMessage& /*message*/, LRESULT& /*result*/) {}
