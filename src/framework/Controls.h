#pragma once

#include "foundation/win32/UniqueHandle.h"
#include "framework/ControlHost.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TCanvas;
class TGraphic;
class TAlphaImage;

// A control without a window of its own: its form paints it over the form's own content (so it
// sits see-through on a picture or a translucent band) and feeds it the mouse. A press over a
// visible, enabled control goes to it, and the rest of that press (moves, releases, until every
// button is up) too; the form's own mouse handlers never see it. Bounds are in the form's client
// coordinates, and so are the points given to the mouse handlers and the canvas given to Paint.
// Controls are painted and hit in the order they were made: a later one lies on top.
class TGraphicControl {
public:
    explicit TGraphicControl(TControlHost& parent);
    virtual ~TGraphicControl();

    TGraphicControl(const TGraphicControl&) = delete;
    TGraphicControl& operator=(const TGraphicControl&) = delete;

    TControlHost& Parent() const { return mParent; }

    int Left() const { return mBounds.left; }
    int Top() const { return mBounds.top; }
    int Width() const { return mBounds.right - mBounds.left; }
    int Height() const { return mBounds.bottom - mBounds.top; }
    RECT BoundsRect() const { return mBounds; }
    void SetBounds(int left, int top, int width, int height);
    void SetLeft(int left) { SetBounds(left, Top(), Width(), Height()); }
    void SetTop(int top) { SetBounds(Left(), top, Width(), Height()); }

    bool Visible() const { return mVisible; }
    void SetVisible(bool visible);
    bool Enabled() const { return mEnabled; }
    void SetEnabled(bool enabled);
    const std::wstring& Hint() const { return mHint; }
    void SetHint(std::wstring hint);
    // The pointer's shape over the control; null keeps the form's.
    HCURSOR Cursor() const { return mCursor; }
    void SetCursor(HCURSOR cursor) { mCursor = cursor; }

    // Whether the pointer is over the control (and no press elsewhere holds the mouse).
    bool MouseInControl() const { return mMouseInControl; }
    // Whether the left button went down on the control and is not yet up.
    bool Pressed() const { return mPressed; }

    // Repaints the control's bounds with the form's next paint.
    void Invalidate();

    std::intptr_t Tag = 0;
    std::function<void()> OnClick;
    // A click made by the keyboard or an assistive program: as a click of the mouse does.
    void PerformClick() { Click(); }

protected:
    // Paints the control; the canvas draws on the form in client coordinates, clipped to the
    // control's bounds.
    virtual void Paint(TCanvas& /*canvas*/) {}
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}
    virtual void MouseDown(TMouseButton /*button*/, TShiftState /*shift*/, int /*x*/, int /*y*/) {}
    virtual void MouseMove(TShiftState /*shift*/, int /*x*/, int /*y*/) {}
    virtual void MouseUp(TMouseButton /*button*/, TShiftState /*shift*/, int /*x*/, int /*y*/) {}
    // A left press and release over the control; the default raises OnClick.
    virtual void Click();
    // Lets a control decide its own size (a label that fits its caption); called with the size
    // asked for.
    virtual void AdjustSize(int& /*width*/, int& /*height*/) {}
    // Applies AdjustSize to the current bounds, after something it depends on changed.
    void UpdateSize();

private:
    friend class TForm;

    TControlHost& mParent;
    RECT mBounds{0, 0, 0, 0};
    bool mVisible = true;
    bool mEnabled = true;
    std::wstring mHint;
    HCURSOR mCursor = nullptr;
    bool mMouseInControl = false;
    bool mPressed = false;
};

// A single line of text on a see-through background, sized to its caption unless AutoSize is
// turned off. Its font is the system's message font until set otherwise.
class TLabel : public TGraphicControl {
public:
    explicit TLabel(TControlHost& parent);
    ~TLabel() override;

    const std::wstring& Caption() const { return mCaption; }
    void SetCaption(std::wstring caption);
    bool AutoSize() const { return mAutoSize; }
    void SetAutoSize(bool autoSize);

    void SetFontName(std::wstring name);
    // The height of the characters in pixels (without the line's leading).
    void SetFontHeight(int pixels);
    void SetFontColor(COLORREF color);
    void SetFontUnderline(bool underline);
    void SetFontBold(bool bold);
    COLORREF FontColor() const { return mFontColor; }

protected:
    void Paint(TCanvas& canvas) override;
    void AdjustSize(int& width, int& height) override;

private:
    void FontChanged();
    HFONT Font();
    SIZE TextExtent();

    std::wstring mCaption;
    bool mAutoSize = true;
    LOGFONTW mLogFont{};
    COLORREF mFontColor = RGB(0, 0, 0);
    Tessel::Common::UniqueFont mFont;
};

// A flat button that shows a glyph. At rest only the glyph shows, centred (shrunk to fit when it
// is larger than the button); under the pointer a soft translucent rounded highlight lies below
// it; pressed or down the button looks slightly sunk; disabled, the glyph is faded. Everything is
// blended over what the form painted below, so it looks right on pictures and translucent bands.
//
// Buttons with the same GroupIndex other than 0 on one form act together: at most one of them is
// down, and setting one down puts the others up. A click on such a button puts it down; on a
// button already down it puts it up only when AllowAllUp. A button with GroupIndex 0 is never
// down.
class TSpeedButton : public TGraphicControl {
public:
    explicit TSpeedButton(TControlHost& parent);
    ~TSpeedButton() override;

    // The glyphs are not owned and must outlive the button (or be replaced); the down glyph,
    // when given, shows while the button is Down. The button prepares its pictures from them
    // once: set them again after changing their pixels.
    void SetGlyph(const TGraphic* up, const TGraphic* down = nullptr);
    bool Down() const { return mDown; }
    void SetDown(bool down);

    int GroupIndex = 0;
    bool AllowAllUp = false;

protected:
    void Paint(TCanvas& canvas) override;
    void MouseEnter() override { Invalidate(); }
    void MouseLeave() override { Invalidate(); }
    void Click() override;

private:
    // The pictures for one size and glyph pair, made when first painted.
    struct Pictures;
    const Pictures& Prepared();

    const TGraphic* mUpGlyph = nullptr;
    const TGraphic* mDownGlyph = nullptr;
    bool mDown = false;
    std::unique_ptr<Pictures> mPictures;
};
