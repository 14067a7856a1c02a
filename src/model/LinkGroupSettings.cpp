#include "model/LinkGroupSettings.h"

template <typename T> void LinkGroupSettings::Assign(T& field, T value) {
    if (field == value) {
        return;
    }
    field = value;
    if (OnChanged) {
        OnChanged();
    }
}

void LinkGroupSettings::SetX(int x) {
    Assign(mX, x);
}

void LinkGroupSettings::SetY(int y) {
    Assign(mY, y);
}

void LinkGroupSettings::SetColumn(int column) {
    Assign(mColumn, column);
}

void LinkGroupSettings::SetIsLargeIcon(bool isLargeIcon) {
    Assign(mIsLargeIcon, isLargeIcon);
}

void LinkGroupSettings::SetIsTitleVisible(bool isTitleVisible) {
    Assign(mIsTitleVisible, isTitleVisible);
}

void LinkGroupSettings::SetBackgroundIndex(int backgroundIndex) {
    Assign(mBackgroundIndex, backgroundIndex);
}
