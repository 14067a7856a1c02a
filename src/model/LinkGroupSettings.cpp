#include "model/LinkGroupSettings.h"

void LinkGroupSettings::RaiseChanged() {
    if (OnChanged) {
        OnChanged();
    }
}

void LinkGroupSettings::SetX(int x) {
    mX = x;
    RaiseChanged();
}

void LinkGroupSettings::SetY(int y) {
    mY = y;
    RaiseChanged();
}

void LinkGroupSettings::SetColumn(int column) {
    mColumn = column;
    RaiseChanged();
}

void LinkGroupSettings::SetIsLargeIcon(bool isLargeIcon) {
    mIsLargeIcon = isLargeIcon;
    RaiseChanged();
}

void LinkGroupSettings::SetIsTitleVisible(bool isTitleVisible) {
    mIsTitleVisible = isTitleVisible;
    RaiseChanged();
}

void LinkGroupSettings::SetBackgroundIndex(int backgroundIndex) {
    mBackgroundIndex = backgroundIndex;
    RaiseChanged();
}
