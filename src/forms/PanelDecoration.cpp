#include "forms/PanelDecoration.h"

#include <algorithm>
#include <cstdlib>

namespace PanelDecoration {

FramePieces FramePiecesFor(Rect body, const FramePictureSizes& s, Tessel::Common::DisplayScale scale) {
    const int L = body.left, T = body.top, R = body.right, B = body.bottom;
    const auto px = [&](int design) { return scale.Px(design); };
    FramePieces p;
    p.topLeft = Rect{L + px(-3), T + px(-2), L + px(-3) + s.topLeft.width, T + px(-2) + s.topLeft.height};
    p.topRight = Rect{R + px(-12), T + px(-2), R + px(-12) + s.topRight.width, T + px(-2) + s.topRight.height};
    const int edgesTop = p.topLeft.bottom;
    p.left = Rect{L + px(-3), edgesTop, L + px(-3) + s.left.width, B + px(-10)};
    p.right = Rect{R + px(-2), edgesTop, R + px(-2) + s.right.width, p.left.bottom};
    p.top = Rect{L + px(12), T + px(2) - s.top.height, R + px(-12), T + px(2)};
    p.bottom = Rect{L + px(12), B + px(-1), R + px(-12), B + px(-1) + s.bottom.height};
    p.bottomLeft = Rect{L + px(-3), B + px(5) - s.bottomLeft.height, L + px(-3) + s.bottomLeft.width, B + px(5)};
    p.bottomRight =
        Rect{R + px(-12), B + px(5) - s.bottomLeft.height, R + px(-12) + s.bottomRight.width, B + px(5)};
    p.reflection = Rect{L, B, R - px(1), B + s.reflection.height};
    return p;
}

int PictureScaleFor(Tessel::Common::DisplayScale scale) {
    const int percent = scale.Percent();
    int best = PictureScales[0];
    for (const int candidate : PictureScales) {
        if (std::abs(candidate - percent) <= std::abs(best - percent)) {
            best = candidate;
        }
    }
    return best;
}

std::wstring ScaledPictureName(const wchar_t* name, int pictureScale) {
    return pictureScale == 100 ? std::wstring(name) : std::wstring(name) + L"_" + std::to_wstring(pictureScale);
}

std::wstring PictureFileName(int number) {
    return number == 0 ? std::wstring(L"Back.bmp") : L"Back" + std::to_wstring(number) + L".bmp";
}

int PictureNumberOf(std::wstring_view fileName) {
    const auto folded = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 0x20) : c; };
    for (int number = 0; number < PictureCount; ++number) {
        const std::wstring name = PictureFileName(number);
        if (name.size() == fileName.size() &&
            std::equal(name.begin(), name.end(), fileName.begin(),
                       [&](wchar_t a, wchar_t b) { return folded(a) == folded(b); })) {
            return number;
        }
    }
    return -1;
}

std::vector<int> PictureSearchOrder(int lastShown) {
    const int last = lastShown >= 0 && lastShown < PictureCount ? lastShown : -1;
    std::vector<int> order;
    for (int i = last + 1; i <= last + PictureCount; ++i) {
        order.push_back(i % PictureCount);
    }
    return order;
}

} // namespace PanelDecoration
