#pragma once

#include <cstdint>
#include <vector>

// Pixel work on premultiplied 32-bit pictures (0xAARRGGBB, row after row from the top, every
// colour channel already multiplied by alpha), kept free of the platform so that it is checked
// with the sanitizers.

// Resizes a picture to width x height. Each target pixel is the average of the source area it
// covers, so a shrunk glyph keeps its thin lines as soft lines instead of dropping them, and an
// enlarged one keeps clean edges. An empty source or target gives a transparent picture of the
// target size (nothing for a target without pixels).
std::vector<std::uint32_t> ResamplePremultiplied(const std::uint32_t* source, int sourceWidth, int sourceHeight,
                                                 int width, int height);

// A grey, faded copy of every pixel: brightness kept, colour dropped, opacity scaled by
// opacity / 255. Disabled glyphs are drawn like this.
void FadePremultiplied(std::vector<std::uint32_t>& pixels, unsigned opacity);

// An antialiased rounded rectangle that fills width x height: a one-pixel line of colour border
// along its edge around an inside of colour fill. Colours are straight 0xAARRGGBB (alpha is the
// opacity, not premultiplied); the result is premultiplied.
std::vector<std::uint32_t> RoundedRectPixels(int width, int height, double radius, std::uint32_t fill,
                                             std::uint32_t border);
