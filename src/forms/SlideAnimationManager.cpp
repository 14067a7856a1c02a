#include "forms/SlideAnimationManager.h"

bool SlideAnimationManager::Step() {
    if (mAnchor == nullptr || mPanel == nullptr) {
        return true;
    }
    if (mState == Hidden) {
        mState = Showing;
    }
    if (mState == Showing) {
        const int target = mAnchor->Top() + mAnchor->Height();
        if (target - mPanel->Top() < ShowStep) {
            mPanel->SetTop(target);
            mState = Shown;
            mPanel->SetEnabled(true);
            return true;
        }
        mPanel->SetEnabled(false);
        mPanel->SetTop(mPanel->Top() + ShowStep);
        return false;
    }
    if (mState == Shown) {
        mState = Hiding;
    }
    const int target = HiddenTop();
    if (mPanel->Top() - target < HideStep) {
        mPanel->SetTop(target);
        mState = Hidden;
        return true;
    }
    mPanel->SetEnabled(false);
    mPanel->SetTop(mPanel->Top() - HideStep);
    return false;
}
