#pragma once

#include "foundation/win32/UniqueHandle.h"
#include "graphics/Graphic.h"

#include <windows.h>

#include <string>

enum class TBrushStyle { bsSolid, bsClear };
enum class TPenStyle { psSolid, psClear };

// Text layout flags for TCanvas::TextRect.
enum TTextFormatFlag : unsigned {
    tfCenter = DT_CENTER,
    tfVerticalCenter = DT_VCENTER,
    tfSingleLine = DT_SINGLELINE,
    tfEndEllipsis = DT_END_ELLIPSIS,
    tfNoPrefix = DT_NOPREFIX,
};

// The system's message font, which dialogs and menus use; the default GUI font when the system
// does not tell. Its height is for the system's density (SystemDpi).
LOGFONTW SystemMessageFont();
// The density the system's metrics and fonts are given for (the primary monitor's at logon).
int SystemDpi();

// Drawing on a device context it borrows, with a font, a brush and a pen that are made when
// first needed. Everything it selected into the context is put back when it goes away.
class TCanvas {
public:
    explicit TCanvas(HDC dc);
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    HDC Handle() const { return mDc; }

    // The display density the canvas draws for: the font keeps its size on the screen. Until set,
    // the system's.
    void SetDpi(int dpi);

    void SetFontName(const std::wstring& name);
    // Size in points, as the user sees it; the pixel height follows the device's resolution.
    void SetFontSize(int points);
    void SetFontColor(COLORREF color) { mFontColor = color; }
    void SetFontBold(bool bold);
    void SetFontUnderline(bool underline);
    void SetBrushColor(COLORREF color);
    void SetBrushStyle(TBrushStyle style);
    void SetPenColor(COLORREF color);
    void SetPenStyle(TPenStyle style);

    void FillRect(const RECT& rect);
    void RoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
    // Draws text in rect with DrawText layout flags (TTextFormatFlag or DT_*), in the canvas font;
    // with a clear brush the text has no background.
    void TextRect(RECT rect, const std::wstring& text, unsigned format);
    void Draw(int x, int y, const TGraphic& graphic) { graphic.Draw(mDc, x, y); }
    void StretchDraw(const RECT& dest, const TGraphic& graphic) { graphic.StretchDraw(mDc, dest); }

private:
    void RequireFont();
    void RequireBrush();
    void RequirePen();

    HDC mDc;
    int mSavedState;
    int mDpi;
    LOGFONTW mFont{};
    bool mFontChanged = true;
    COLORREF mFontColor = RGB(0, 0, 0);
    COLORREF mBrushColor = RGB(255, 255, 255);
    TBrushStyle mBrushStyle = TBrushStyle::bsSolid;
    bool mBrushChanged = true;
    COLORREF mPenColor = RGB(0, 0, 0);
    TPenStyle mPenStyle = TPenStyle::psSolid;
    bool mPenChanged = true;
    Tessel::Common::UniqueFont mFontHandle;
    Tessel::Common::UniqueBrush mBrushHandle;
    Tessel::Common::UniquePen mPenHandle;
};
