#pragma once

#include "foundation/geometry/DisplayScale.h"

// A window the slide moves or measures: only its top edge, height and input state matter.
class ISlideWindow {
public:
    virtual ~ISlideWindow() = default;
    virtual int Top() const = 0;
    virtual int Height() const = 0;
    virtual void SetTop(int top) = 0;
    virtual void SetEnabled(bool enabled) = 0;
};

// Moves the panel between its place out of view above the screen and its place hanging from the
// bottom edge of the button, one step per tick of the button's slide timer, and keeps the
// auto-hide switch. Each step on a panel at rest starts the opposite motion; a motion under way
// always runs to its end.
class SlideAnimationManager {
public:
    enum State { Hidden = 1, Shown = 2, Hiding = 3, Showing = 4 };

    // Design pixels per tick; the slide covers them at the button's display scale, so that it
    // takes as many ticks on every screen.
    static constexpr int ShowStep = 800;
    static constexpr int HideStep = 200;
    // How far above the screen the hidden panel's bottom edge lies, in design pixels.
    static constexpr int HiddenGap = 10;

    // Performs one step; true when it ended a motion.
    bool Step();

    // The panel's top edge out of view.
    int HiddenTop() const { return -mPanel->Height() - mScale.Px(HiddenGap); }

    bool mAutoHide = true;
    // The button: its bottom edge is the panel's shown top. Not owned.
    ISlideWindow* mAnchor = nullptr;
    // The panel that moves. Not owned.
    ISlideWindow* mPanel = nullptr;
    int mState = Shown;
    // The display scale of the screen the slide runs on.
    Tessel::Common::DisplayScale mScale;
};
