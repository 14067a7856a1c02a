#include "views/ElementViewBase.h"

IElementView* ElementViewBase::HitTest(int x, int y) {
    const POINT point{x, y};
    return PtInRect(&mBounds, point) ? this : nullptr;
}
