#include "framework/Controls.h"

#include "graphics/Canvas.h"
#include "graphics/Graphic.h"
#include "framework/ImageList.h"
#include "framework/PixelScaling.h"

#include <algorithm>

using Tessel::Common::ScopedSelectObject;
using Tessel::Common::ScopedWindowDc;

namespace {

constexpr UINT LabelFormat = DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_TOP;

// The looks of a flat button, as straight 0xAARRGGBB colours of the rounded shape's inside and
// edge: light and translucent under the pointer, darker when pressed or down.
constexpr double ButtonCornerRadius = 4.0;
struct ButtonLook {
    std::uint32_t fill;
    std::uint32_t border;
};
constexpr ButtonLook HotLook{0x38FFFFFF, 0x78FFFFFF};
constexpr ButtonLook PressedLook{0x58000000, 0x50FFFFFF};
constexpr ButtonLook DownLook{0x48000000, 0x40FFFFFF};
constexpr ButtonLook DownHotLook{0x30000000, 0x88FFFFFF};
// A disabled glyph keeps this much of its opacity.
constexpr unsigned DisabledOpacity = 110;

} // namespace

// ---------------------------------------------------------------------------------------------
// TGraphicControl

TGraphicControl::TGraphicControl(TControlHost& parent) : mParent(parent) {
    mParent.AddControl(this);
}

TGraphicControl::~TGraphicControl() {
    Invalidate();
    mParent.RemoveControl(this);
}

void TGraphicControl::SetBounds(int left, int top, int width, int height) {
    AdjustSize(width, height);
    const RECT bounds{left, top, left + std::max(width, 0), top + std::max(height, 0)};
    if (EqualRect(&bounds, &mBounds)) {
        return;
    }
    Invalidate();
    mBounds = bounds;
    Invalidate();
    mParent.ControlChanged(this);
}

void TGraphicControl::UpdateSize() {
    SetBounds(Left(), Top(), Width(), Height());
}

void TGraphicControl::SetVisible(bool visible) {
    if (visible == mVisible) {
        return;
    }
    mVisible = visible;
    Invalidate();
    mParent.ControlChanged(this);
}

void TGraphicControl::SetEnabled(bool enabled) {
    if (enabled == mEnabled) {
        return;
    }
    mEnabled = enabled;
    Invalidate();
    mParent.ControlChanged(this);
}

void TGraphicControl::SetHint(std::wstring hint) {
    mHint = std::move(hint);
}

void TGraphicControl::Invalidate() {
    if (mParent.Handle() != nullptr && !IsRectEmpty(&mBounds)) {
        InvalidateRect(mParent.Handle(), &mBounds, FALSE);
    }
}

void TGraphicControl::Click() {
    if (OnClick) {
        OnClick();
    }
}

// ---------------------------------------------------------------------------------------------
// TLabel

TLabel::TLabel(TControlHost& parent) : TGraphicControl(parent), mLogFont(SystemMessageFont()) {
    UpdateSize();
}

TLabel::~TLabel() = default;

void TLabel::SetCaption(std::wstring caption) {
    if (caption == mCaption) {
        return;
    }
    mCaption = std::move(caption);
    UpdateSize();
    Invalidate();
}

void TLabel::SetAutoSize(bool autoSize) {
    mAutoSize = autoSize;
    UpdateSize();
}

void TLabel::SetFontName(std::wstring name) {
    lstrcpynW(mLogFont.lfFaceName, name.c_str(), LF_FACESIZE);
    FontChanged();
}

void TLabel::SetFontHeight(int pixels) {
    mLogFont.lfHeight = -std::abs(pixels);
    mLogFont.lfWidth = 0;
    FontChanged();
}

void TLabel::SetFontColor(COLORREF color) {
    mFontColor = color;
    Invalidate();
}

void TLabel::SetFontUnderline(bool underline) {
    mLogFont.lfUnderline = underline ? TRUE : FALSE;
    FontChanged();
}

void TLabel::SetFontBold(bool bold) {
    mLogFont.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    FontChanged();
}

void TLabel::FontChanged() {
    mFont.Reset();
    UpdateSize();
    Invalidate();
}

HFONT TLabel::Font() {
    if (!mFont) {
        mFont.Reset(CreateFontIndirectW(&mLogFont));
    }
    return mFont ? mFont.Get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

SIZE TLabel::TextExtent() {
    ScopedWindowDc screen(nullptr);
    ScopedSelectObject select(screen.Get(), Font());
    if (mCaption.empty()) {
        TEXTMETRICW metrics = {};
        GetTextMetricsW(screen.Get(), &metrics);
        return SIZE{0, metrics.tmHeight};
    }
    RECT rect{0, 0, 0, 0};
    DrawTextW(screen.Get(), mCaption.c_str(), static_cast<int>(mCaption.size()), &rect, LabelFormat | DT_CALCRECT);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

void TLabel::AdjustSize(int& width, int& height) {
    if (mAutoSize) {
        const SIZE extent = TextExtent();
        width = extent.cx;
        height = extent.cy;
    }
}

void TLabel::Paint(TCanvas& canvas) {
    const HDC dc = canvas.Handle();
    SelectObject(dc, Font());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, Enabled() ? mFontColor : GetSysColor(COLOR_GRAYTEXT));
    RECT bounds = BoundsRect();
    DrawTextW(dc, mCaption.c_str(), static_cast<int>(mCaption.size()), &bounds,
              LabelFormat | (mAutoSize ? 0u : static_cast<UINT>(DT_END_ELLIPSIS)));
}

// ---------------------------------------------------------------------------------------------
// TSpeedButton

struct TSpeedButton::Pictures {
    int width = 0;
    int height = 0;
    const TGraphic* upGlyph = nullptr;
    const TGraphic* downGlyph = nullptr;
    std::unique_ptr<TAlphaImage> hot, pressed, down, downHot;
    // The glyphs fitted to the button, and faded for the disabled look.
    std::unique_ptr<TAlphaImage> up, upFaded, downImage, downFaded;
};

TSpeedButton::TSpeedButton(TControlHost& parent) : TGraphicControl(parent) {}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::SetGlyph(const TGraphic* up, const TGraphic* down) {
    mUpGlyph = up;
    mDownGlyph = down;
    mPictures.reset();
    Invalidate();
}

void TSpeedButton::SetDown(bool down) {
    if (GroupIndex == 0) {
        down = false;
    }
    if (down == mDown) {
        return;
    }
    // In a group that may not be all up, a button goes up only when another goes down.
    if (mDown && !AllowAllUp) {
        return;
    }
    mDown = down;
    Invalidate();
    if (mDown) {
        for (TGraphicControl* control : Parent().Controls()) {
            auto* sibling = dynamic_cast<TSpeedButton*>(control);
            if (sibling != nullptr && sibling != this && sibling->GroupIndex == GroupIndex && sibling->mDown) {
                sibling->mDown = false;
                sibling->Invalidate();
            }
        }
    }
}

void TSpeedButton::Click() {
    if (GroupIndex != 0) {
        if (!mDown) {
            SetDown(true);
        } else if (AllowAllUp) {
            SetDown(false);
        }
    }
    TGraphicControl::Click();
}

const TSpeedButton::Pictures& TSpeedButton::Prepared() {
    if (mPictures && mPictures->width == Width() && mPictures->height == Height() && mPictures->upGlyph == mUpGlyph &&
        mPictures->downGlyph == mDownGlyph) {
        return *mPictures;
    }
    auto pictures = std::make_unique<Pictures>();
    pictures->width = Width();
    pictures->height = Height();
    pictures->upGlyph = mUpGlyph;
    pictures->downGlyph = mDownGlyph;
    const auto shape = [&](const ButtonLook& look) {
        return MakeAlphaImage(RoundedRectPixels(Width(), Height(), ButtonCornerRadius, look.fill, look.border), Width(),
                              Height());
    };
    pictures->hot = shape(HotLook);
    pictures->pressed = shape(PressedLook);
    pictures->down = shape(DownLook);
    pictures->downHot = shape(DownHotLook);
    // A glyph larger than the button's inside (one pixel in from every edge) is shrunk to fit,
    // keeping its proportions.
    const auto fitted = [&](const TGraphic* glyph, std::unique_ptr<TAlphaImage>& image,
                            std::unique_ptr<TAlphaImage>& faded) {
        if (glyph == nullptr || glyph->Empty()) {
            return;
        }
        const int roomWidth = std::max(Width() - 2, 1);
        const int roomHeight = std::max(Height() - 2, 1);
        int width = glyph->Width();
        int height = glyph->Height();
        if (width > roomWidth || height > roomHeight) {
            const double scale =
                std::min(static_cast<double>(roomWidth) / width, static_cast<double>(roomHeight) / height);
            width = std::max(1, static_cast<int>(width * scale + 0.5));
            height = std::max(1, static_cast<int>(height * scale + 0.5));
        }
        std::vector<std::uint32_t> pixels = PremultipliedPixels(*glyph, width, height);
        image = MakeAlphaImage(pixels, width, height);
        FadePremultiplied(pixels, DisabledOpacity);
        faded = MakeAlphaImage(pixels, width, height);
    };
    fitted(mUpGlyph, pictures->up, pictures->upFaded);
    fitted(mDownGlyph, pictures->downImage, pictures->downFaded);
    mPictures = std::move(pictures);
    return *mPictures;
}

void TSpeedButton::Paint(TCanvas& canvas) {
    if (Width() <= 0 || Height() <= 0) {
        return;
    }
    const Pictures& pictures = Prepared();
    const bool pressedIn = Pressed() && MouseInControl();
    const TAlphaImage* look = nullptr;
    if (!Enabled()) {
        look = mDown ? pictures.down.get() : nullptr;
    } else if (pressedIn) {
        look = pictures.pressed.get();
    } else if (mDown) {
        look = MouseInControl() ? pictures.downHot.get() : pictures.down.get();
    } else if (MouseInControl()) {
        look = pictures.hot.get();
    }
    if (look != nullptr) {
        canvas.Draw(Left(), Top(), *look);
    }
    const bool showDown = mDown && pictures.downImage != nullptr;
    const TAlphaImage* glyph = nullptr;
    if (Enabled()) {
        glyph = showDown ? pictures.downImage.get() : pictures.up.get();
    } else {
        glyph = showDown ? pictures.downFaded.get() : pictures.upFaded.get();
    }
    if (glyph == nullptr || glyph->Empty()) {
        return;
    }
    // Pressed or down, the glyph sinks by a pixel with the button.
    const int sink = Enabled() && (pressedIn || mDown) ? 1 : 0;
    const int x = Left() + (Width() - glyph->Width()) / 2 + sink;
    const int y = Top() + (Height() - glyph->Height()) / 2 + sink;
    canvas.Draw(x, y, *glyph);
}
