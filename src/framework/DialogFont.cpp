#include "framework/DialogFont.h"

#include "graphics/Canvas.h"
#include <cmath>

using Tessel::Common::ScopedSelectObject;
using Tessel::Common::ScopedWindowDc;
using Tessel::Common::UniqueFont;

namespace {

constexpr wchar_t DesignFace[] = L"Tahoma";
// Tahoma 8 points at 96 dots per inch: characters 11 pixels high.
constexpr int DesignCharacterHeight = 11;

int Scale(int value, LONG to, LONG from) {
    return from > 0 ? MulDiv(value, to, from) : value;
}

} // namespace

TDialogFont::TDialogFont(int dpi) : mLogFont(SystemMessageFont()) {
    if (dpi > 0 && dpi != SystemDpi()) {
        mLogFont.lfHeight = MulDiv(mLogFont.lfHeight, dpi, SystemDpi());
        mLogFont.lfWidth = MulDiv(mLogFont.lfWidth, dpi, SystemDpi());
    }
    mFont.Reset(CreateFontIndirectW(&mLogFont));
    mUnits = BaseUnits(mFont ? mFont.Get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    LOGFONTW design{};
    design.lfHeight = -DesignCharacterHeight;
    design.lfCharSet = DEFAULT_CHARSET;
    design.lfQuality = mLogFont.lfQuality;
    lstrcpynW(design.lfFaceName, DesignFace, LF_FACESIZE);
    UniqueFont designFont(CreateFontIndirectW(&design));
    mDesignUnits = designFont ? BaseUnits(designFont.Get()) : mUnits;
}

SIZE TDialogFont::BaseUnits(HFONT font) {
    ScopedWindowDc screen(nullptr);
    ScopedSelectObject select(screen.Get(), font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen.Get(), &metrics);
    SIZE letters{};
    static constexpr wchar_t Alphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    GetTextExtentPoint32W(screen.Get(), Alphabet, 52, &letters);
    // The average of the 52 letters, rounded.
    return SIZE{(letters.cx / 26 + 1) / 2, metrics.tmHeight};
}

int TDialogFont::X(int design) const {
    return Scale(design, mUnits.cx, mDesignUnits.cx);
}

int TDialogFont::Y(int design) const {
    return Scale(design, mUnits.cy, mDesignUnits.cy);
}

UniqueFont TDialogFont::MakeFont(int designCharacterHeight) const {
    LOGFONTW font = mLogFont;
    font.lfHeight = -Y(designCharacterHeight);
    font.lfWidth = 0;
    return UniqueFont(CreateFontIndirectW(&font));
}
