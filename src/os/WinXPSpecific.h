#pragma once

#include "os/IOsSpecific.h"

// Windows XP: the system's own frame and drag image, untouched.
class WinXPSpecific : public IOsSpecific {
public:
    void AdjustDropEffect(DWORD& effect) override;
    bool PreProcessMessage(WindowMessage& message, LRESULT& result) override;
    void PostProcessMessage(WindowMessage& message, LRESULT& result) override;
};
