#include "forms/WindowPlacement.h"

#include <algorithm>

namespace WindowPlacement {

Rect UsablePanel(Rect stored, const std::vector<Rect>& workAreas) {
    if (workAreas.empty()) {
        return stored;
    }
    // In 64 bits: stored values may be anything.
    const long long left = stored.left;
    const long long width = static_cast<long long>(stored.right) - stored.left;
    const long long height = static_cast<long long>(stored.bottom) - stored.top;
    // The screen that holds most of the panel's width.
    const Rect* area = nullptr;
    long long best = 0;
    for (const Rect& candidate : workAreas) {
        const long long overlap = std::min<long long>(left + width, candidate.right) - std::max<long long>(left, candidate.left);
        if (overlap > best) {
            best = overlap;
            area = &candidate;
        }
    }
    long long placedLeft = left;
    if (area == nullptr || best < std::min<long long>(MinReachableWidth, width)) {
        area = &workAreas.front();
        placedLeft = area->left + 100;
    }
    const int w = static_cast<int>(std::clamp<long long>(width, std::min(MinPanelWidth, area->Width()), area->Width()));
    const int h =
        static_cast<int>(std::clamp<long long>(height, std::min(MinPanelHeight, area->Height()), area->Height()));
    // The whole width on its screen.
    const int x = static_cast<int>(std::clamp<long long>(placedLeft, area->left, area->right - w));
    return Rect{x, stored.top, x + w, stored.top + h};
}

int UsableButtonLeft(int left, int width, const std::vector<Rect>& monitors) {
    if (monitors.empty()) {
        return left;
    }
    int low = monitors.front().left;
    int high = monitors.front().right;
    for (const Rect& monitor : monitors) {
        low = std::min(low, monitor.left);
        high = std::max(high, monitor.right);
    }
    return std::clamp(left, low, std::max(low, high - width));
}

int UsableButtonVisibleHeight(int stored) {
    return std::clamp(stored, MinButtonVisibleHeight, MaxButtonVisibleHeight);
}

} // namespace WindowPlacement
