#include "graphics/Canvas.h"

namespace {

// The default user-interface font of the system, as dialogs and menus use it; asked once,
// since canvases are made for every paint.
const LOGFONTW& DefaultFont() {
    static const LOGFONTW font = SystemMessageFont();
    return font;
}

} // namespace

int SystemDpi() {
    static const int dpi = [] {
        const HDC screen = GetDC(nullptr);
        const int value = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
        if (screen != nullptr) {
            ReleaseDC(nullptr, screen);
        }
        return value > 0 ? value : 96;
    }();
    return dpi;
}

LOGFONTW SystemMessageFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        return metrics.lfMessageFont;
    }
    LOGFONTW font{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    return font;
}

TCanvas::TCanvas(HDC dc) : mDc(dc), mSavedState(SaveDC(dc)), mDpi(SystemDpi()), mFont(DefaultFont()) {}

void TCanvas::SetDpi(int dpi) {
    if (dpi <= 0 || dpi == mDpi) {
        return;
    }
    mFont.lfHeight = MulDiv(mFont.lfHeight, dpi, mDpi);
    mFont.lfWidth = MulDiv(mFont.lfWidth, dpi, mDpi);
    mDpi = dpi;
    mFontChanged = true;
}

TCanvas::~TCanvas() {
    // Deselects every object of the canvas before its handles are deleted.
    RestoreDC(mDc, mSavedState);
}

void TCanvas::SetFontName(const std::wstring& name) {
    lstrcpynW(mFont.lfFaceName, name.c_str(), LF_FACESIZE);
    mFontChanged = true;
}

void TCanvas::SetFontSize(int points) {
    mFont.lfHeight = -MulDiv(points, mDpi, 72);
    mFont.lfWidth = 0;
    mFontChanged = true;
}

void TCanvas::SetFontBold(bool bold) {
    mFont.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    mFontChanged = true;
}

void TCanvas::SetFontUnderline(bool underline) {
    mFont.lfUnderline = underline ? TRUE : FALSE;
    mFontChanged = true;
}

void TCanvas::SetBrushColor(COLORREF color) {
    mBrushColor = color;
    mBrushStyle = TBrushStyle::bsSolid;
    mBrushChanged = true;
}

void TCanvas::SetBrushStyle(TBrushStyle style) {
    mBrushStyle = style;
    mBrushChanged = true;
}

void TCanvas::SetPenColor(COLORREF color) {
    mPenColor = color;
    mPenChanged = true;
}

void TCanvas::SetPenStyle(TPenStyle style) {
    mPenStyle = style;
    mPenChanged = true;
}

void TCanvas::RequireFont() {
    if (mFontChanged) {
        Tessel::Common::UniqueFont font(CreateFontIndirectW(&mFont));
        SelectObject(mDc, font ? static_cast<HGDIOBJ>(font.Get()) : GetStockObject(DEFAULT_GUI_FONT));
        mFontHandle = std::move(font);
        mFontChanged = false;
    }
    SetTextColor(mDc, mFontColor);
}

void TCanvas::RequireBrush() {
    if (mBrushChanged) {
        Tessel::Common::UniqueBrush brush;
        if (mBrushStyle == TBrushStyle::bsSolid) {
            brush.Reset(CreateSolidBrush(mBrushColor));
        }
        SelectObject(mDc, brush ? static_cast<HGDIOBJ>(brush.Get()) : GetStockObject(NULL_BRUSH));
        mBrushHandle = std::move(brush);
        mBrushChanged = false;
    }
    if (mBrushStyle == TBrushStyle::bsClear) {
        SetBkMode(mDc, TRANSPARENT);
    } else {
        SetBkMode(mDc, OPAQUE);
        SetBkColor(mDc, mBrushColor);
    }
}

void TCanvas::RequirePen() {
    if (mPenChanged) {
        Tessel::Common::UniquePen pen;
        if (mPenStyle == TPenStyle::psSolid) {
            pen.Reset(CreatePen(PS_SOLID, 1, mPenColor));
        }
        SelectObject(mDc, pen ? static_cast<HGDIOBJ>(pen.Get()) : GetStockObject(NULL_PEN));
        mPenHandle = std::move(pen);
        mPenChanged = false;
    }
}

void TCanvas::FillRect(const RECT& rect) {
    RequireBrush();
    if (mBrushStyle == TBrushStyle::bsSolid) {
        ::FillRect(mDc, &rect, mBrushHandle.Get());
    }
}

void TCanvas::RoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight) {
    RequireBrush();
    RequirePen();
    ::RoundRect(mDc, left, top, right, bottom, ellipseWidth, ellipseHeight);
}

void TCanvas::TextRect(RECT rect, const std::wstring& text, unsigned format) {
    RequireFont();
    RequireBrush();
    DrawTextW(mDc, text.c_str(), static_cast<int>(text.size()), &rect, format);
}
