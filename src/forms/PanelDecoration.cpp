#include "forms/PanelDecoration.h"

#include <algorithm>

namespace PanelDecoration {

FramePieces FramePiecesFor(Rect body, const FramePictureSizes& s) {
    const int L = body.left, T = body.top, R = body.right, B = body.bottom;
    FramePieces p;
    p.topLeft = Rect{L - 3, T - 2, L - 3 + s.topLeft.width, T - 2 + s.topLeft.height};
    p.topRight = Rect{R - 12, T - 2, R - 12 + s.topRight.width, T - 2 + s.topRight.height};
    const int edgesTop = p.topLeft.bottom;
    p.left = Rect{L - 3, edgesTop, L - 3 + s.left.width, B + edgesTop - T - 23};
    p.right = Rect{R - 2, edgesTop, R - 2 + s.right.width, p.left.bottom};
    p.top = Rect{L + 12, T + 2 - s.top.height, R - 12, T + 2};
    p.bottom = Rect{L + 12, B - 1, R - 12, B - 1 + s.bottom.height};
    p.bottomLeft = Rect{L - 3, B + 5 - s.bottomLeft.height, L - 3 + s.bottomLeft.width, B + 5};
    p.bottomRight = Rect{R - 12, B + 5 - s.bottomLeft.height, R - 12 + s.bottomRight.width, B + 5};
    p.reflection = Rect{L, B, R - 1, B + s.reflection.height};
    return p;
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
