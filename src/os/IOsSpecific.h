#pragma once

#include <windows.h>

// A window message as the services see it; they may change it before the default handling runs.
struct WindowMessage {
    HWND window = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// What differs between Windows XP and Windows Vista and later for the two windows: the drop
// effect shown by the shell's drag image, and how the captionless panel treats its frame.
class IOsSpecific {
public:
    virtual ~IOsSpecific() = default;
    // Passes the effect offered to the shell's drag image; may change it.
    virtual void AdjustDropEffect(DWORD& effect) = 0;
    // Runs before the default handling; true when the message is finished with result.
    virtual bool PreProcessMessage(WindowMessage& message, LRESULT& result) = 0;
    // Runs after the default handling; may change the result or the data lParam points to.
    virtual void PostProcessMessage(WindowMessage& message, LRESULT& result) = 0;
};
