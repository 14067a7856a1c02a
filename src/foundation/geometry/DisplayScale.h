#pragma once

#include <cstdint>

namespace Tessel::Common {

// The design's sizes are pixels at 96 dots per inch. A window on a monitor of another density
// shows each of them at dpi / 96: this is that one scale, applied wherever a design size becomes
// pixels and pixels become a stored, portable size again.
class DisplayScale {
public:
    static constexpr int DesignDpi = 96;

    constexpr DisplayScale() = default;
    // A density of 0 or less is taken for the design's.
    explicit constexpr DisplayScale(int dpi) : mDpi(dpi > 0 ? dpi : DesignDpi) {}

    constexpr int Dpi() const { return mDpi; }
    // The scale in percent: 100, 125, 150, 200...
    constexpr int Percent() const { return Px(100); }
    constexpr bool IsDesign() const { return mDpi == DesignDpi; }

    // A design size in pixels, rounded to the nearest (halves away from zero).
    constexpr int Px(int design) const { return Rounded(static_cast<std::int64_t>(design) * mDpi, DesignDpi); }
    // Pixels in design units again, rounded to the nearest. For every density from the design's
    // up, Design(Px(v)) is v.
    constexpr int Design(int pixels) const { return Rounded(static_cast<std::int64_t>(pixels) * DesignDpi, mDpi); }
    // A size of another density's pixels (a font height given for 96 DPI, say) in this one's.
    constexpr int FromDpi(int pixels, int dpi) const {
        return Rounded(static_cast<std::int64_t>(pixels) * mDpi, dpi > 0 ? dpi : DesignDpi);
    }

    constexpr bool operator==(const DisplayScale&) const = default;

private:
    static constexpr int Rounded(std::int64_t numerator, std::int64_t denominator) {
        const std::int64_t half = denominator / 2;
        const std::int64_t value = numerator >= 0 ? (numerator + half) / denominator : -((-numerator + half) / denominator);
        return static_cast<int>(value);
    }

    int mDpi = DesignDpi;
};

} // namespace Tessel::Common
