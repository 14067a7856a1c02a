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
        const int step = mScale.Px(ShowStep);
        if (target - mPanel->Top() < step) {
            mPanel->SetTop(target);
            mState = Shown;
            mPanel->SetEnabled(true);
            return true;
        }
        mPanel->SetEnabled(false);
        mPanel->SetTop(mPanel->Top() + step);
        return false;
    }
    if (mState == Shown) {
        mState = Hiding;
    }
    const int target = HiddenTop();
    const int step = mScale.Px(HideStep);
    if (mPanel->Top() - target < step) {
        mPanel->SetTop(target);
        mState = Hidden;
        return true;
    }
    mPanel->SetEnabled(false);
    mPanel->SetTop(mPanel->Top() - step);
    return false;
}
