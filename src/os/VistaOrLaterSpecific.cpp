#include "os/VistaOrLaterSpecific.h"

#include <oleidl.h>
#include <windowsx.h>

void VistaOrLaterSpecific::AdjustDropEffect(DWORD& effect) {
    effect = DROPEFFECT_LINK;
}

bool VistaOrLaterSpecific::PreProcessMessage(WindowMessage& message, LRESULT& result) {
    switch (message.message) {
    case WM_NCHITTEST: {
        RECT windowRect = {};
        if (!GetWindowRect(message.window, &windowRect)) {
            return false;
        }
        const LRESULT hit =
            SizingHitTest(windowRect, POINT{GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)});
        if (hit == HTNOWHERE) {
            return false;
        }
        result = hit;
        return true;
    }
    case WM_NCPAINT:
        return true;
    case WM_NCACTIVATE:
        // lParam -1 tells the default handling not to repaint the frame; it still gives the result.
        message.lParam = -1;
        result = message.wParam == 0 ? 1 : 0;
        return false;
    default:
        return false;
    }
}

void VistaOrLaterSpecific::PostProcessMessage(WindowMessage& message, LRESULT& /*result*/) {
    if (message.message != WM_NCCALCSIZE || message.wParam != TRUE || message.lParam == 0) {
        return;
    }
    // Leave one pixel of frame on the left, right and bottom and two at the top.
    const int frame = GetSystemMetrics(SM_CXFRAME) - 1;
    RECT& client = reinterpret_cast<NCCALCSIZE_PARAMS*>(message.lParam)->rgrc[0];
    client.left -= frame;
    client.right += frame;
    client.bottom += frame;
    client.top -= frame - 1;
}

LRESULT VistaOrLaterSpecific::SizingHitTest(const RECT& windowRect, POINT point) {
    RECT inner = windowRect;
    InflateRect(&inner, -SizingBand, -SizingBand);
    const bool right = point.x >= inner.right;
    const bool left = point.x <= inner.left;
    const bool bottom = point.y >= inner.bottom;
    if (right && bottom) {
        return HTBOTTOMRIGHT;
    }
    if (left && bottom) {
        return HTBOTTOMLEFT;
    }
    if (right) {
        return HTRIGHT;
    }
    if (bottom) {
        return HTBOTTOM;
    }
    if (left) {
        return HTLEFT;
    }
    return HTNOWHERE;
}
