#pragma once

#include <functional>

// The display settings of one group. Each setter raises OnChanged after it stored a value that
// differs from the one it had, so a command that changes two fields raises it twice, and setting
// a field to what it holds (laying a group out at its stored place, say) raises nothing. The
// names are the keys of the group store.
class LinkGroupSettings {
public:
    // Raised after a field changed; empty until the group belongs to a root model.
    std::function<void()> OnChanged;

    // Left and top edge of the group in the panel's client area, in pixels.
    int X() const { return mX; }
    int Y() const { return mY; }
    // Number of shortcut columns; 0 or less is laid out as 5.
    int Column() const { return mColumn; }
    // Large (32 x 32) icons; false: small icons.
    bool IsLargeIcon() const { return mIsLargeIcon; }
    // Names shown under large icons.
    bool IsTitleVisible() const { return mIsTitleVisible; }
    // Background and colour of the group, used modulo 7.
    int BackgroundIndex() const { return mBackgroundIndex; }

    void SetX(int x);
    void SetY(int y);
    void SetColumn(int column);
    void SetIsLargeIcon(bool isLargeIcon);
    void SetIsTitleVisible(bool isTitleVisible);
    void SetBackgroundIndex(int backgroundIndex);

private:
    // Stores value and raises OnChanged when it differs from what field holds.
    template <typename T> void Assign(T& field, T value);

    int mX = 0;
    int mY = 0;
    int mColumn = 5;
    bool mIsLargeIcon = true;
    bool mIsTitleVisible = false;
    int mBackgroundIndex = 0;
};
