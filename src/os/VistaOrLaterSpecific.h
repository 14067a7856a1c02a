#pragma once

#include "os/IOsSpecific.h"

// Windows Vista and later: the drag image shows the link effect, and the panel's frame is never
// painted; its client area covers the sizing frame, and the panel supplies its own sizing hit
// test on the left, right and bottom edges (none at the top).
class VistaOrLaterSpecific : public IOsSpecific {
public:
    // How far inside the window rectangle the sizing band reaches.
    static constexpr int SizingBand = 6;

    void AdjustDropEffect(DWORD& effect) override;
    bool PreProcessMessage(WindowMessage& message, LRESULT& result) override;
    void PostProcessMessage(WindowMessage& message, LRESULT& result) override;

    // The sizing hit code of a screen point for a window rectangle; HTNOWHERE when the point is
    // not on a sizing edge.
    static LRESULT SizingHitTest(const RECT& windowRect, POINT point);
};
